#include "tresolvers.h"

#include "aac/aacfile.h"
#include "asf/asffile.h"
#include "audible/taglib_audiblefile.h"
#include "common/fdstream.h"
#include "m4a/mp4file.h"
#include "rmff/taglib_realmediafile.h"
#include "speex/speexfile.h"
#include "trueaudio/ttafile.h"
#include "wav/wavfile.h"
#include "wavpack/wvfile.h"

// Every resolver returns a raw pointer: TagLib's FileRef takes ownership of it.

namespace TagLib {
inline namespace BRENVO_NS {

namespace {

// For the formats whose file object, given a path it cannot read, would have
// no tag: the stream is opened here first, and the file object takes it.
template <class FileType>
File *openReadable(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  std::unique_ptr<IOStream> stream = DescriptorStream::open(fileName);
  if(!stream)
    return nullptr;
  return new FileType(std::move(stream), readProperties, style);
}

// For the formats whose invalid file objects are refused (FileRef would keep them).
template <class FileType>
File *openValid(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return discardIfInvalid(new FileType(fileName, readProperties, style));
}

} // namespace

File *MP4FileTypeResolver::open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return new MP4::File(fileName, readProperties, style);
}

File *ASFFileTypeResolver::open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return openValid<ASF::File>(fileName, readProperties, style);
}

File *RealMediaFileTypeResolver::open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return openValid<RealMedia::File>(fileName, readProperties, style);
}

File *AudibleFileTypeResolver::open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return openReadable<Audible::File>(fileName, readProperties, style);
}

File *AACFileTypeResolver::open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return new MPEG::AACFile(fileName, readProperties, style);
}

File *WavPackFileTypeResolver::open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return openValid<WavPack::File>(fileName, readProperties, style);
}

File *SpeexFileTypeResolver::open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return openValid<Speex::File>(fileName, readProperties, style);
}

File *TTAFileTypeResolver::open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return openValid<TTA::File>(fileName, readProperties, style);
}

File *WavFileTypeResolver::open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return openReadable<Wav::File>(fileName, readProperties, style);
}

} // namespace BRENVO_NS
} // namespace TagLib
