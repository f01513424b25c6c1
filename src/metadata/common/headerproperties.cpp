#include "headerproperties.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace TagLib {
inline namespace BRENVO_NS {

class HeaderProperties::PropertiesPrivate
{
public:
  explicit PropertiesPrivate(long stream) : streamLength(stream) {}

  long streamLength;
  int length = 0;
  int milliseconds = 0;
  int bitrate = 0;
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;
  int version = 0;
  unsigned long long samples = 0;
};

HeaderProperties::HeaderProperties(long streamLength, ReadStyle style) :
  AudioProperties(style),
  d(std::make_unique<PropertiesPrivate>(streamLength))
{
}

HeaderProperties::~HeaderProperties() = default;

int HeaderProperties::length() const { return d->length; }
int HeaderProperties::bitrate() const { return d->bitrate; }
int HeaderProperties::sampleRate() const { return d->sampleRate; }
int HeaderProperties::channels() const { return d->channels; }
int HeaderProperties::lengthInMilliseconds() const { return d->milliseconds; }
int HeaderProperties::lengthInSeconds() const { return d->milliseconds / 1000; }
int HeaderProperties::bitsPerSample() const { return d->bitsPerSample; }
unsigned long long HeaderProperties::sampleFrames() const { return d->samples; }
int HeaderProperties::formatVersion() const { return d->version; }
void HeaderProperties::setFormatVersion(int version) { d->version = version; }

void HeaderProperties::set(int sampleRate, int channels, int bitsPerSample, int seconds, unsigned long long samples)
{
  if(sampleRate > 0) {
    const unsigned long long ms = samples * 1000 / static_cast<unsigned long long>(sampleRate);
    d->milliseconds = static_cast<int>(std::min<unsigned long long>(ms, std::numeric_limits<int>::max()));
  }
  d->sampleRate = sampleRate;
  d->channels = channels;
  d->bitsPerSample = bitsPerSample;
  d->length = seconds;
  d->samples = samples;
  d->bitrate = 0;
  if(sampleRate > 0 && samples > 0 && d->streamLength > 0) {
    // Over the exact duration: whole seconds make a short file's rate wrong
    // by up to half, and one under a second would have none.
    const double kbps = static_cast<double>(d->streamLength) * 8.0 * sampleRate / (static_cast<double>(samples) * 1000.0);
    d->bitrate = kbps < std::numeric_limits<int>::max() ? static_cast<int>(std::lround(kbps)) : std::numeric_limits<int>::max();
  }
}

} // namespace BRENVO_NS
} // namespace TagLib
