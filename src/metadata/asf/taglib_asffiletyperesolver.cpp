#include "taglib_asffiletyperesolver.h"

#include "asffile.h"
#include "tfile_helper.h"

namespace TagLib {
inline namespace BRENVO_NS {

File *ASFFileTypeResolver::createFile(FileName fileName, bool readAudioProperties,
                                      AudioProperties::ReadStyle audioPropertiesStyle) const
{
  if(!hasAnyExtension(fileName, {".wma", ".asf"}))
    return nullptr;
  // TagLib's API takes ownership of the returned raw pointer.
  return discardIfInvalid(new ASF::File(fileName, readAudioProperties, audioPropertiesStyle));
}

ASFFileTypeResolver::~ASFFileTypeResolver() = default;

} // namespace BRENVO_NS
} // namespace TagLib
