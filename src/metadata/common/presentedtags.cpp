#include "presentedtags.h"

namespace TagLib {
inline namespace BRENVO_NS {

long findID3v1Tag(File &file, long notBefore)
{
  if(!file.isValid())
    return -1;
  const long location = file.length() - id3v1TagSize;
  if(location < 0 || location < notBefore)
    return -1;
  file.seek(location);
  return file.readBlock(3) == ID3v1::Tag::fileIdentifier() ? location : -1;
}

} // namespace BRENVO_NS
} // namespace TagLib
