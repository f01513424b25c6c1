#ifndef BRENVO_TEXTS_H
#define BRENVO_TEXTS_H

#include <tbytevector.h>
#include <tstring.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! True when \a bytes are valid UTF-8: no overlong form, surrogate or code point past U+10FFFF.
bool isValidUtf8(const ByteVector &bytes);

/*!
 * \a bytes as text of a format that names no encoding: UTF-8 when they are
 * valid UTF-8, else Latin-1, the common reading of the single-byte code pages
 * older writers used (invalid UTF-8 is almost always such text).
 */
String utf8OrLatin1(const ByteVector &bytes);

} // namespace BRENVO_NS
} // namespace TagLib

#endif
