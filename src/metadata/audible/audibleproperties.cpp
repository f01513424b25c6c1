#include "audibleproperties.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "common/bytecursor.h"

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
// The file counts whole seconds only.
int Properties::lengthInMilliseconds() const
{
  // The field is an unsigned count of seconds; length() shows it as an int.
  const unsigned long long ms = static_cast<unsigned long long>(static_cast<std::uint32_t>(m_length)) * 1000;
  return static_cast<int>(std::min<unsigned long long>(ms, std::numeric_limits<int>::max()));
}
int Properties::lengthInSeconds() const { return lengthInMilliseconds() / 1000; }

void Properties::readAudibleProperties(IOStream *stream, unsigned int tagsEndOffset)
{
  if(!stream)
    return;
  // Computed in long: the 32-bit sum could wrap to an offset near the start.
  stream->seek(static_cast<long>(tagsEndOffset) + lengthFieldDistance);
  ByteCursor c(stream->readBlock(4));
  const std::uint32_t length = c.u32be();
  if(!c.ok())
    return;
  m_length = static_cast<int>(length);
  m_channels = 1;
  m_sampleRate = 0;
  m_bitrate = 0;
}

} // namespace BRENVO_NS
} // namespace Audible
} // namespace TagLib
