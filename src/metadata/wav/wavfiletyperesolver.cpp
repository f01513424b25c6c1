#include "wavfiletyperesolver.h"

#include "common/fdstream.h"
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
  std::unique_ptr<IOStream> stream = DescriptorStream::open(fileName);
  if(!stream)
    return nullptr;
  // TagLib's API takes ownership of the returned raw pointer.
  return new Wav::File(std::move(stream), readAudioProperties, audioPropertiesStyle);
}

} // namespace BRENVO_NS
} // namespace TagLib
