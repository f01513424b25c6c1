#include "aacfile.h"

#include <id3v2framefactory.h>

namespace TagLib {
namespace MPEG {
inline namespace BRENVO_NS {

AACFile::AACFile(FileName fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  StreamHolder(fileName),
  MPEG::File(stream.get(), ID3v2::FrameFactory::instance(), readProperties, propertiesStyle)
{
}

AACFile::~AACFile() = default;

} // namespace BRENVO_NS
} // namespace MPEG
} // namespace TagLib
