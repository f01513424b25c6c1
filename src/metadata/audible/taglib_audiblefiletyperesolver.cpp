#include "taglib_audiblefiletyperesolver.h"

#include "common/fdstream.h"
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
  std::unique_ptr<IOStream> stream = DescriptorStream::open(fileName);
  if(!stream)
    return nullptr;
  // TagLib's API takes ownership of the returned raw pointer.
  return new Audible::File(std::move(stream), readAudioProperties, audioPropertiesStyle);
}

} // namespace BRENVO_NS
} // namespace TagLib
