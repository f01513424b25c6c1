#include "taglib_realmediafiletyperesolver.h"

#include "taglib_realmediafile.h"
#include "tfile_helper.h"

namespace TagLib {
inline namespace BRENVO_NS {

File *RealMediaFileTypeResolver::createFile(FileName fileName, bool readAudioProperties,
                                            AudioProperties::ReadStyle audioPropertiesStyle) const
{
  if(!hasAnyExtension(fileName, {".ra", ".rv", ".rm", ".rmj", ".rmvb"}))
    return nullptr;
  // FileRef takes ownership of the returned raw pointer.
  return discardIfInvalid(new RealMedia::File(fileName, readAudioProperties, audioPropertiesStyle));
}

} // namespace BRENVO_NS
} // namespace TagLib
