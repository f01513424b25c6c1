#include "mp4audioproperties.h"

#include <algorithm>
#include <limits>

#include "mp4propsproxy.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class AudioProperties::PropertiesPrivate
{
public:
  Mp4PropsProxy *proxy = nullptr;
};

AudioProperties::AudioProperties()
  : TagLib::AudioProperties(TagLib::AudioProperties::Average),
    d(std::make_unique<PropertiesPrivate>())
{
}

AudioProperties::~AudioProperties() = default;

void AudioProperties::setProxy(Mp4PropsProxy *proxy)
{
  d->proxy = proxy;
}

int AudioProperties::length() const
{
  return d->proxy ? static_cast<int>(d->proxy->seconds()) : 0;
}

int AudioProperties::lengthInMilliseconds() const
{
  return d->proxy ? static_cast<int>(std::min<unsigned long long>(d->proxy->milliseconds(), std::numeric_limits<int>::max())) : 0;
}

int AudioProperties::lengthInSeconds() const
{
  return lengthInMilliseconds() / 1000;
}

int AudioProperties::bitrate() const
{
  return d->proxy ? static_cast<int>(d->proxy->bitRate() / 1000) : 0;
}

int AudioProperties::sampleRate() const
{
  return d->proxy ? static_cast<int>(d->proxy->sampleRate()) : 0;
}

int AudioProperties::channels() const
{
  return d->proxy ? static_cast<int>(d->proxy->channels()) : 0;
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
