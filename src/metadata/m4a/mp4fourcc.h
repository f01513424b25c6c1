#ifndef BRENVO_MP4FOURCC_H
#define BRENVO_MP4FOURCC_H

#include <tstring.h>

#include "brenvo_export.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

/*!
 * The four-character code of an MP4 box as one 32-bit value, the first byte
 * of the code in the most significant position ("moov" is 0x6D6F6F76).
 */
class BRENVO_TAGLIB_EXPORT Fourcc
{
public:
  //! The code 0.
  Fourcc();
  //! The low 8 bits of the first four characters of \a code; 0 for a shorter text.
  Fourcc(const String &code);

  //! The code as one 32-bit value, so that it compares with and switches on integer constants.
  operator unsigned int() const;
  //! True when the code's 32-bit value is \a value.
  bool operator==(unsigned int value) const;
  //! True when the code's 32-bit value is not \a value.
  bool operator!=(unsigned int value) const;
  //! Takes \a value as the code's 32-bit value.
  Fourcc &operator=(unsigned int value);
  //! Takes the first four bytes at \a bytes, the first the most significant.
  Fourcc &operator=(char *bytes);

  //! Four Latin-1 characters, most significant byte first.
  String toString() const;

private:
  unsigned int m_fourcc;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

namespace brenvo_taglib {
//! TagLib::MP4::BRENVO_NS::Fourcc under a name that never clashes with TagLib's own MP4 headers.
using MP4Fourcc = TagLib::MP4::BRENVO_NS::Fourcc;
} // namespace brenvo_taglib

#endif
