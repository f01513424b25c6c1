#include "taglib_mp4filetyperesolver.h"

#include "mp4file.h"
#include "tfile_helper.h"

namespace TagLib {
inline namespace BRENVO_NS {

File *MP4FileTypeResolver::createFile(FileName fileName, bool readAudioProperties,
                                      AudioProperties::ReadStyle audioPropertiesStyle) const
{
  if(!hasAnyExtension(fileName, {".m4a", ".m4b", ".m4p", ".mp4", ".m4v", ".mp4v"}))
    return nullptr;
  // Returned whether or not the file could be read: its tag is never null.
  // FileRef takes ownership of the raw pointer.
  return new MP4::File(fileName, readAudioProperties, audioPropertiesStyle);
}

} // namespace BRENVO_NS
} // namespace TagLib
