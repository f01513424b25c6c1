#include "taglib_speexfiletyperesolver.h"

#include "speexfile.h"
#include "tfile_helper.h"

namespace TagLib {
inline namespace BRENVO_NS {

File *SpeexFileTypeResolver::createFile(FileName fileName, bool readAudioProperties,
                                        AudioProperties::ReadStyle audioPropertiesStyle) const
{
  if(!hasAnyExtension(fileName, {".spx"}))
    return nullptr;
  // FileRef takes ownership of the raw pointer; an invalid file (missing, or
  // not a Speex stream, hence without a tag) never reaches it.
  return discardIfInvalid(new Speex::File(fileName, readAudioProperties, audioPropertiesStyle));
}

} // namespace BRENVO_NS
} // namespace TagLib
