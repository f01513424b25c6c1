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

  operator unsigned int() const;
  bool operator==(unsigned int value) const;
  bool operator!=(unsigned int value) const;
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

#endif
