#include "ttaproperties.h"

#include <cstdint>

namespace TagLib {
namespace TTA {
inline namespace BRENVO_NS {

class Properties::PropertiesPrivate
{
public:
  PropertiesPrivate(const ByteVector &block, long streamLen, ReadStyle readStyle) :
    data(block), streamLength(streamLen), style(readStyle) {}

  ByteVector data;
  long streamLength;
  ReadStyle style;
  int version = 0;
  int length = 0;
  int bitrate = 0;
  int sampleRate = 0;
  int channels = 0;
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
int Properties::bitsPerSample() const { return d->bitsPerSample; }
int Properties::ttaVersion() const { return d->version; }

void Properties::read()
{
  const ByteVector &data = d->data;
  // A cut-off header is no header.
  if(data.size() < headerSize || !data.startsWith("TTA"))
    return;

  d->version = static_cast<signed char>(data[3]) - '0';
  d->channels = data.toShort(6, false);
  d->bitsPerSample = data.toShort(8, false);
  const std::uint32_t sampleRate = data.toUInt(10, false);
  d->sampleRate = static_cast<int>(sampleRate);
  const std::uint32_t totalSamples = data.toUInt(14, false);

  // Truncated, not rounded: 1.9 seconds are 1.
  if(sampleRate > 0)
    d->length = static_cast<int>(totalSamples / sampleRate);
  if(d->length > 0 && d->streamLength > 0)
    d->bitrate = static_cast<int>(d->streamLength / 125 / d->length);
}

} // namespace BRENVO_NS
} // namespace TTA
} // namespace TagLib
