#include "aacfiletyperesolver.h"

#include <mpegfile.h>

#include "tfile_helper.h"

namespace TagLib {
inline namespace BRENVO_NS {

File *AACFileTypeResolver::createFile(FileName fileName, bool readAudioProperties,
                                      AudioProperties::ReadStyle audioPropertiesStyle) const
{
  if(!CheckExtensionImpl(fileName, ".aac"))
    return nullptr;
  // TagLib's API takes ownership of the returned raw pointer.
  return new MPEG::File(fileName, readAudioProperties, audioPropertiesStyle);
}

} // namespace BRENVO_NS
} // namespace TagLib
