#include "speexproperties.h"

#include <cstdint>

#include <oggpageheader.h>

#include "speexfile.h"

namespace TagLib {
namespace Speex {
inline namespace BRENVO_NS {

namespace {

// Header field offsets (32-bit little-endian values).
constexpr unsigned int versionIdOffset = 28;
constexpr unsigned int rateOffset = 36;
constexpr unsigned int modeOffset = 40;
constexpr unsigned int channelsOffset = 48;
constexpr unsigned int bitrateOffset = 52;
constexpr unsigned int vbrOffset = 60;

// A header cut short reads as zero for the fields it does not hold.
int headerField(const ByteVector &header, unsigned int offset)
{
  if(header.size() < offset + 4)
    return 0;
  return static_cast<int>(header.toUInt(offset, false));
}

} // namespace

class Properties::PropertiesPrivate
{
public:
  PropertiesPrivate(File *f, AudioProperties::ReadStyle s) : file(f), style(s) {}

  File *file;
  AudioProperties::ReadStyle style;
  int length = 0;
  int bitrate = 0;
  int sampleRate = 0;
  int channels = 0;
  int speexVersion = 0;
  bool vbr = false;
  int mode = 0;
};

Properties::Properties(File *file, ReadStyle style) :
  AudioProperties(style),
  d(std::make_unique<PropertiesPrivate>(file, style))
{
  read();
}

Properties::~Properties() = default;

int Properties::length() const
{
  return d->length;
}

int Properties::bitrate() const
{
  // Rounded to whole kbit/s; an unknown rate (-1) gives 0. Truncating after
  // adding 0.5 is the defined rounding (also for negative header values).
  // NOLINTNEXTLINE(bugprone-incorrect-roundings)
  return static_cast<int>(static_cast<float>(d->bitrate) / 1000.0 + 0.5);
}

int Properties::sampleRate() const
{
  return d->sampleRate;
}

int Properties::channels() const
{
  return d->channels;
}

int Properties::speexVersion() const
{
  return d->speexVersion;
}

void Properties::read()
{
  if(!d->file)
    return;

  const ByteVector header = d->file->readPacket(0);
  d->speexVersion = headerField(header, versionIdOffset);
  d->sampleRate = headerField(header, rateOffset);
  d->mode = headerField(header, modeOffset);
  d->channels = headerField(header, channelsOffset);
  d->bitrate = headerField(header, bitrateOffset);
  d->vbr = headerField(header, vbrOffset) == 1;

  const Ogg::PageHeader *first = d->file->firstPageHeader();
  const Ogg::PageHeader *last = d->file->lastPageHeader();
  if(!first || !last || d->sampleRate <= 0)
    return;
  const long long start = first->absoluteGranularPosition();
  const long long end = last->absoluteGranularPosition();
  if(start < 0 || end < start)
    return;
  // Low 32 bits of the quotient; a last page before the first (or a length
  // beyond what an int holds) is damage, not a duration.
  const int seconds = static_cast<int>(static_cast<std::uint32_t>((end - start) / d->sampleRate));
  d->length = seconds > 0 ? seconds : 0;
}

} // namespace BRENVO_NS
} // namespace Speex
} // namespace TagLib
