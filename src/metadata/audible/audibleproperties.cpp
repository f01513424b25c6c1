#include "audibleproperties.h"

#include <cstdint>

namespace TagLib {
namespace Audible {
inline namespace BRENVO_NS {

namespace {

// Distance from the end of the header records to the length field.
const long lengthFieldDistance = 61;

} // namespace

Properties::Properties(ReadStyle style) :
  AudioProperties(style),
  m_length(0),
  m_bitrate(0),
  m_sampleRate(0),
  m_channels(0)
{
}

Properties::~Properties() = default;

int Properties::length() const { return m_length; }
int Properties::bitrate() const { return m_bitrate; }
int Properties::sampleRate() const { return m_sampleRate; }
int Properties::channels() const { return m_channels; }

void Properties::readAudibleProperties(FILE *stream, unsigned int tagsEndOffset)
{
  if(!stream)
    return;
  // Computed in long: the 32-bit sum could wrap to an offset near the start.
  const long offset = static_cast<long>(tagsEndOffset) + lengthFieldDistance;
  unsigned char b[4];
  if(std::fseek(stream, offset, SEEK_SET) != 0 || std::fread(b, sizeof(b), 1, stream) != 1)
    return;
  const std::uint32_t length =
    (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
  m_length = static_cast<int>(length);
  m_channels = 1;
  m_sampleRate = 0;
  m_bitrate = 0;
}

} // namespace BRENVO_NS
} // namespace Audible
} // namespace TagLib
