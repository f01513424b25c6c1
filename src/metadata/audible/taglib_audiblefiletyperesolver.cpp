#include "taglib_audiblefiletyperesolver.h"

#include <cstdio>

#include "taglib_audiblefile.h"
#include "tfile_helper.h"

namespace TagLib {
inline namespace BRENVO_NS {

File *AudibleFileTypeResolver::createFile(FileName fileName, bool readAudioProperties,
                                          AudioProperties::ReadStyle audioPropertiesStyle) const
{
  if(!hasAnyExtension(fileName, {".aa"}))
    return nullptr;
  // Opened here so that an unreadable file yields no object at all; the file
  // object takes the stream, and with it always has a tag.
  FILE *stream = std::fopen(fileName, "rb");
  if(!stream)
    return nullptr;
  // TagLib's API takes ownership of the returned raw pointer.
  return new Audible::File(fileName, readAudioProperties, audioPropertiesStyle, stream);
}

} // namespace BRENVO_NS
} // namespace TagLib
