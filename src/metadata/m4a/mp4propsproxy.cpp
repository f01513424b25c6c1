#include "mp4propsproxy.h"

#include <algorithm>

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

void Mp4PropsProxy::clear()
{
  *d = Mp4PropsProxyPrivate();
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

unsigned long long Mp4PropsProxy::milliseconds() const
{
  if(!d->mvhd || d->mvhd->timescale() == 0)
    return 0;
  const unsigned long long duration = d->mvhd->duration();
  const unsigned long long scale = d->mvhd->timescale();
  // Whole seconds and the rest apart, and the seconds bounded, so that no
  // 64-bit duration overflows.
  const unsigned long long whole = std::min<unsigned long long>(duration / scale, 1ULL << 40);
  return whole * 1000 + duration % scale * 1000 / scale;
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
