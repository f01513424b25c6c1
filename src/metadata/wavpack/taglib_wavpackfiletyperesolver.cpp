#include "taglib_wavpackfiletyperesolver.h"

#include "tfile_helper.h"
#include "wvfile.h"

namespace TagLib {
inline namespace BRENVO_NS {

File *WavPackFileTypeResolver::createFile(FileName fileName, bool readAudioProperties,
                                          AudioProperties::ReadStyle audioPropertiesStyle) const
{
  if(!hasAnyExtension(fileName, {".wv"}))
    return nullptr;
  // TagLib's API takes ownership of the returned raw pointer.
  return discardIfInvalid(new WavPack::File(fileName, readAudioProperties, audioPropertiesStyle));
}

} // namespace BRENVO_NS
} // namespace TagLib
