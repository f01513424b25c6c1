#include "wvproperties.h"

#include <cstdint>

#include "common/bytecursor.h"

namespace TagLib {
namespace WavPack {
inline namespace BRENVO_NS {

namespace {

const unsigned int sample_rates[] = {6000, 8000, 9600, 11025, 12000, 16000, 22050, 24000,
                                     32000, 44100, 48000, 64000, 88200, 96000, 192000};
const unsigned int sampleRateCount = sizeof(sample_rates) / sizeof(sample_rates[0]);

// An encoder that did not know the stream's length writes all ones.
const std::uint32_t unknownSampleCount = 0xFFFFFFFFu;

} // namespace

Properties::Properties(const ByteVector &block, long streamLength, ReadStyle style) :
  HeaderProperties(streamLength, style)
{
  read(block);
}

Properties::~Properties() = default;

int Properties::version() const
{
  return formatVersion();
}

void Properties::read(const ByteVector &block)
{
  // A cut-off header is no header.
  if(block.size() < headerSize || !block.startsWith("wvpk"))
    return;

  ByteCursor header(block);
  header.skip(8);  // "wvpk" and the block size
  setFormatVersion(static_cast<short>(header.u16le()));
  header.skip(2);  // track and index numbers
  const std::uint32_t totalSamples = header.u32le();
  header.skip(8);  // block index and block samples
  const std::uint32_t flags = header.u32le();

  const int bitsPerSample = static_cast<int>(((flags & 3) + 1) * 8) - static_cast<int>((flags >> 13) & 31);
  const unsigned int rateIndex = (flags >> 23) & 15;
  // The last index value has no table entry: the rate is unknown.
  const std::uint32_t sampleRate = rateIndex < sampleRateCount ? sample_rates[rateIndex] : 0;
  const int channels = (flags & 4) ? 1 : 2;

  int seconds = 0;
  const bool counted = totalSamples != unknownSampleCount;
  if(sampleRate > 0 && counted) {
    // Rounds to the nearest second; unsigned 32-bit like the header field.
    const std::uint32_t rounded = totalSamples + sampleRate / 2;
    seconds = static_cast<int>(rounded / sampleRate);
  }
  set(static_cast<int>(sampleRate), channels, bitsPerSample, seconds, counted ? totalSamples : 0);
}

} // namespace BRENVO_NS
} // namespace WavPack
} // namespace TagLib
