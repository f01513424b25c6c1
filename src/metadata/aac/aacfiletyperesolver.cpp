#include "aacfiletyperesolver.h"

#include <memory>

#include <id3v2framefactory.h>
#include <mpegfile.h>

#include "common/fdstream.h"
#include "tfile_helper.h"

namespace TagLib {
namespace MPEG {
inline namespace BRENVO_NS {

namespace {

// Holds the stream, as a base constructed before the MPEG file that reads
// through it and destroyed after it.
struct StreamHolder
{
  explicit StreamHolder(FileName fileName) : stream(std::make_unique<DescriptorStream>(fileName)) {}
  std::unique_ptr<DescriptorStream> stream;
};

} // namespace

// TagLib's own MPEG file, reading through this library's stream: one open
// and a few reads where TagLib's stream makes a system call per seek. Hosts
// see an MPEG::File, with everything TagLib gives one.
class AACFile : private StreamHolder, public MPEG::File
{
public:
  AACFile(FileName fileName, bool readProperties, AudioProperties::ReadStyle style) :
    StreamHolder(fileName),
    MPEG::File(stream.get(), ID3v2::FrameFactory::instance(), readProperties, style)
  {
  }
};

} // namespace BRENVO_NS
} // namespace MPEG

inline namespace BRENVO_NS {

File *AACFileTypeResolver::createFile(FileName fileName, bool readAudioProperties,
                                      AudioProperties::ReadStyle audioPropertiesStyle) const
{
  if(!CheckExtensionImpl(fileName, ".aac"))
    return nullptr;
  // TagLib's API takes ownership of the returned raw pointer.
  return new MPEG::AACFile(fileName, readAudioProperties, audioPropertiesStyle);
}

} // namespace BRENVO_NS
} // namespace TagLib
