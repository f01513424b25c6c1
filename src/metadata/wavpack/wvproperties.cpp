#include "wvproperties.h"

#include <cstdint>

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

class Properties::PropertiesPrivate
{
public:
  PropertiesPrivate(const ByteVector &block, long streamLen, ReadStyle readStyle) :
    data(block), streamLength(streamLen), style(readStyle) {}

  ByteVector data;
  long streamLength;
  ReadStyle style;
  int length = 0;
  int bitrate = 0;
  int sampleRate = 0;
  int channels = 0;
  int version = 0;
  int bitsPerSample = 0;
};

Properties::Properties(const ByteVector &block, long streamLength, ReadStyle style) :
  AudioProperties(style),
  d(std::make_unique<PropertiesPrivate>(block, streamLength, style))
{
  read();
}

Properties::~Properties() = default;

int Properties::length() const { return d->length; }
int Properties::bitrate() const { return d->bitrate; }
int Properties::sampleRate() const { return d->sampleRate; }
int Properties::channels() const { return d->channels; }
int Properties::version() const { return d->version; }
int Properties::bitsPerSample() const { return d->bitsPerSample; }

void Properties::read()
{
  const ByteVector &data = d->data;
  // A cut-off header is no header.
  if(data.size() < headerSize || !data.startsWith("wvpk"))
    return;

  d->version = data.toShort(8, false);
  const std::uint32_t flags = data.toUInt(24, false);
  d->bitsPerSample = static_cast<int>(((flags & 3) + 1) * 8) - static_cast<int>((flags >> 13) & 31);
  const unsigned int rateIndex = (flags >> 23) & 15;
  // The last index value has no table entry: the rate is unknown.
  const std::uint32_t sampleRate = rateIndex < sampleRateCount ? sample_rates[rateIndex] : 0;
  d->sampleRate = static_cast<int>(sampleRate);
  d->channels = (flags & 4) ? 1 : 2;

  const std::uint32_t totalSamples = data.toUInt(12, false);
  if(sampleRate > 0 && totalSamples != unknownSampleCount) {
    // Rounds to the nearest second; unsigned 32-bit like the header field.
    const std::uint32_t rounded = totalSamples + sampleRate / 2;
    d->length = static_cast<int>(rounded / sampleRate);
  }
  if(d->length > 0 && d->streamLength > 0)
    d->bitrate = static_cast<int>(d->streamLength / 125 / d->length);
}

} // namespace BRENVO_NS
} // namespace WavPack
} // namespace TagLib
