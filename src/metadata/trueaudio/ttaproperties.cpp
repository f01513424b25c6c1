#include "ttaproperties.h"

#include <cstdint>

#include "common/bytecursor.h"

namespace TagLib {
namespace TTA {
inline namespace BRENVO_NS {

Properties::Properties(const ByteVector &block, long streamLength, ReadStyle style) :
  HeaderProperties(streamLength, style)
{
  read(block);
}

Properties::~Properties() = default;

int Properties::ttaVersion() const
{
  return formatVersion();
}

void Properties::read(const ByteVector &block)
{
  // A cut-off header is no header.
  if(block.size() < headerSize || !block.startsWith("TTA"))
    return;

  ByteCursor header(block);
  header.skip(3);
  setFormatVersion(static_cast<signed char>(header.u8()) - '0');
  header.skip(2);  // audio format
  const int channels = static_cast<short>(header.u16le());
  const int bitsPerSample = static_cast<short>(header.u16le());
  const std::uint32_t sampleRate = header.u32le();
  const std::uint32_t totalSamples = header.u32le();
  // Truncated, not rounded: 1.9 seconds are 1.
  const int seconds = sampleRate > 0 ? static_cast<int>(totalSamples / sampleRate) : 0;
  set(static_cast<int>(sampleRate), channels, bitsPerSample, seconds, totalSamples);
}

} // namespace BRENVO_NS
} // namespace TTA
} // namespace TagLib
