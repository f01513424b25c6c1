#include "taglib_trueaudiofiletyperesolver.h"

#include "tfile_helper.h"
#include "ttafile.h"

namespace TagLib {
inline namespace BRENVO_NS {

File *TTAFileTypeResolver::createFile(FileName fileName, bool readAudioProperties,
                                      AudioProperties::ReadStyle audioPropertiesStyle) const
{
  if(!hasAnyExtension(fileName, {".tta"}))
    return nullptr;
  // TagLib's API takes ownership of the returned raw pointer.
  return discardIfInvalid(new TTA::File(fileName, readAudioProperties, audioPropertiesStyle));
}

} // namespace BRENVO_NS
} // namespace TagLib
