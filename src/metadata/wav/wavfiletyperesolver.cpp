#include "wavfiletyperesolver.h"

#include <cstdio>

#include "tfile_helper.h"
#include "wavfile.h"

namespace TagLib {
inline namespace BRENVO_NS {

File *WavFileTypeResolver::createFile(FileName fileName, bool readAudioProperties,
                                      AudioProperties::ReadStyle audioPropertiesStyle) const
{
  if(!hasAnyExtension(fileName, {".wav"}))
    return nullptr;
  // Opened here so that an unreadable file yields no object at all; the file
  // object takes the stream.
  FILE *stream = std::fopen(fileName, "rb");
  if(!stream)
    return nullptr;
  // TagLib's API takes ownership of the returned raw pointer.
  return new Wav::File(fileName, readAudioProperties, audioPropertiesStyle, stream);
}

} // namespace BRENVO_NS
} // namespace TagLib
