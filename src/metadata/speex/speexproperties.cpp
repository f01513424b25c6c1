#include "speexproperties.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include <oggpageheader.h>

#include "common/bytecursor.h"
#include "speexfile.h"

namespace TagLib {
namespace Speex {
inline namespace BRENVO_NS {

class Properties::PropertiesPrivate
{
public:
  PropertiesPrivate(File *f, AudioProperties::ReadStyle s) : file(f), style(s) {}

  File *file;
  AudioProperties::ReadStyle style;
  int length = 0;
  int milliseconds = 0;
  int bitrate = 0;
  int sampleRate = 0;
  int channels = 0;
  int speexVersion = 0;
  // Kilobits per second over the stream, for a header that gives no rate.
  int streamBitrate = 0;
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
  // The encoder writes -1 (or 0) where it does not know the rate, as in VBR.
  if(d->bitrate <= 0)
    return d->streamBitrate;
  // Rounded to whole kbit/s: truncating after adding 0.5 is the defined rounding.
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

int Properties::lengthInMilliseconds() const
{
  return d->milliseconds;
}

int Properties::lengthInSeconds() const
{
  return d->milliseconds / 1000;
}

int Properties::speexVersion() const
{
  return d->speexVersion;
}

void Properties::read()
{
  if(!d->file)
    return;

  // 32-bit little-endian fields; a header cut short reads as zero from the
  // first field it does not hold on (the cursor's failure is sticky).
  const ByteVector headerPacket = d->file->readPacket(0);
  ByteCursor header(headerPacket);
  header.skip(28);  // "Speex   " and the encoder's version text
  d->speexVersion = static_cast<int>(header.u32le());
  header.skip(4);  // header size
  d->sampleRate = static_cast<int>(header.u32le());
  header.skip(8);  // mode, mode bitstream version
  d->channels = static_cast<int>(header.u32le());
  d->bitrate = static_cast<int>(header.u32le());

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
  const unsigned long long ms = static_cast<unsigned long long>(end - start) / static_cast<unsigned long long>(d->sampleRate) * 1000 +
                                static_cast<unsigned long long>(end - start) % static_cast<unsigned long long>(d->sampleRate) * 1000 /
                                  static_cast<unsigned long long>(d->sampleRate);
  d->milliseconds = static_cast<int>(std::min<unsigned long long>(ms, std::numeric_limits<int>::max()));

  // The stream without its header and comment packets, over the exact duration.
  const long long streamBytes = static_cast<long long>(d->file->length()) - headerPacket.size() - d->file->readPacket(1).size();
  if(streamBytes > 0 && end > start) {
    const double kbps = static_cast<double>(streamBytes) * 8.0 * d->sampleRate / (static_cast<double>(end - start) * 1000.0);
    d->streamBitrate = kbps < std::numeric_limits<int>::max() ? static_cast<int>(std::lround(kbps)) : std::numeric_limits<int>::max();
  }
}

} // namespace BRENVO_NS
} // namespace Speex
} // namespace TagLib
