#ifndef BRENVO_ASFENCODING_H
#define BRENVO_ASFENCODING_H

#include <cstddef>
#include <cstdint>

#include <tbytevector.h>
#include <tstring.h>

#include "brenvo_export.h"
#include "common/bytecursor.h"

namespace TagLib {
namespace ASF {
inline namespace BRENVO_NS {

// Texts and little-endian numbers as ASF objects and records store them.

//! The largest length a WORD length field holds.
constexpr unsigned int maxWordLength = 0xFFFF;

//! The low 16 bits of \a value, little-endian.
ByteVector renderWord(unsigned int value);
ByteVector renderDWord(std::uint32_t value);
ByteVector renderQWord(std::uint64_t value);

/*!
 * \a length bytes of UTF-16LE text from \a cursor, without trailing zero code
 * units (writers pad with any number of them; a lone odd zero byte stays).
 * Empty, and the cursor failed, when fewer bytes are left.
 */
String readText(ByteCursor &cursor, std::size_t length);

/*!
 * \a text as UTF-16LE plus a two-byte zero terminator, preceded by a WORD
 * holding that byte length when \a withLength is true.
 */
ByteVector renderText(const String &text, bool withLength = false);

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib

#endif
