#include "mp4propsproxy.h"

#include "mp4trackboxes.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Mp4PropsProxy::Mp4PropsProxyPrivate
{
public:
  Mp4MvhdBox *mvhd = nullptr;
  Mp4AudioSampleEntry *audioSampleEntry = nullptr;
};

Mp4PropsProxy::Mp4PropsProxy() : d(std::make_unique<Mp4PropsProxyPrivate>())
{
}

Mp4PropsProxy::~Mp4PropsProxy() = default;

void Mp4PropsProxy::registerMvhd(Mp4MvhdBox *mvhd)
{
  d->mvhd = mvhd;
}

void Mp4PropsProxy::registerAudioSampleEntry(Mp4AudioSampleEntry *entry)
{
  d->audioSampleEntry = entry;
}

unsigned int Mp4PropsProxy::bitRate() const
{
  return d->audioSampleEntry ? d->audioSampleEntry->bitrate() : 0;
}

unsigned int Mp4PropsProxy::sampleRate() const
{
  return d->audioSampleEntry ? d->audioSampleEntry->sampleRateHz() : 0;
}

unsigned int Mp4PropsProxy::channels() const
{
  return d->audioSampleEntry ? d->audioSampleEntry->channels() : 0;
}

unsigned int Mp4PropsProxy::seconds() const
{
  // A time scale of 0 cannot be divided by: no length.
  if(!d->mvhd || d->mvhd->timescale() == 0)
    return 0;
  const unsigned long long quotient =
    d->mvhd->duration() / static_cast<unsigned long long>(d->mvhd->timescale());
  return static_cast<unsigned int>(quotient & 0xFFFFFFFFull);
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
