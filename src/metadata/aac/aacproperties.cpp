#include "aacproperties.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "aacheaders.h"

namespace TagLib {
namespace AAC {
inline namespace BRENVO_NS {

namespace {

// Every raw data block decodes to this many samples per channel.
const double samplesPerBlock = 1024;

int clampedInt(double value)
{
  if(!(value > 0))
    return 0;
  return value >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(value);
}

} // namespace

class Properties::PropertiesPrivate
{
public:
  int milliseconds = 0;
  int bitrate = 0;
  int sampleRate = 0;
  int channels = 0;
  HeaderType headerType = Unknown;
  Profile profile = LowComplexity;
  int mpegVersion = 0;
};

Properties::Properties(TagLib::File *file, long streamOffset, long streamEnd, ReadStyle style) :
  AudioProperties(style),
  d(std::make_unique<PropertiesPrivate>())
{
  read(file, streamOffset, streamEnd, style);
}

Properties::~Properties() = default;

int Properties::length() const { return lengthInSeconds(); }
int Properties::bitrate() const { return d->bitrate; }
int Properties::sampleRate() const { return d->sampleRate; }
int Properties::channels() const { return d->channels; }
int Properties::lengthInMilliseconds() const { return d->milliseconds; }
int Properties::lengthInSeconds() const { return d->milliseconds / 1000; }
Properties::HeaderType Properties::headerType() const { return d->headerType; }
Properties::Profile Properties::profile() const { return d->profile; }
int Properties::mpegVersion() const { return d->mpegVersion; }

void Properties::read(TagLib::File *file, long streamOffset, long streamEnd, ReadStyle style)
{
  if(!file || streamOffset < 0 || streamEnd - streamOffset < 4)
    return;
  file->seek(streamOffset);
  if(file->readBlock(4) == "ADIF")
    readADIF(file, streamOffset, streamEnd);
  else
    readADTS(file, streamOffset, streamEnd, style);
}

void Properties::readADIF(TagLib::File *file, long streamOffset, long streamEnd)
{
  file->seek(streamOffset);
  const long available = std::min<long>(streamEnd - streamOffset, ADIFHeader::maxSize);
  ADIFHeader header;
  if(!header.parse(file->readBlock(static_cast<unsigned long>(available))))
    return;
  d->headerType = ADIF;
  d->profile = static_cast<Profile>(header.program.objectType);
  d->sampleRate = sampleRateOfIndex(header.program.rateIndex);
  d->channels = header.program.channels;
  if(header.bitrate > 0) {
    const double bits = static_cast<double>(streamEnd - streamOffset) * 8;
    d->milliseconds = clampedInt(bits * 1000 / header.bitrate);
    d->bitrate = static_cast<int>(std::lround(header.bitrate / 1000.0));
  }
}

void Properties::readADTS(TagLib::File *file, long streamOffset, long streamEnd, ReadStyle style)
{
  ADTSHeader first;
  if(!readADTSHeader(*file, streamOffset, streamEnd, first))
    return;
  d->headerType = ADTS;
  d->mpegVersion = first.mpeg2 ? 2 : 4;
  d->profile = static_cast<Profile>(first.profile);
  d->sampleRate = sampleRateOfIndex(first.rateIndex);
  d->channels = first.channels();
  if(first.channelConfig == 0) {
    file->seek(streamOffset + static_cast<long>(first.headerLength()));
    ProgramConfig config;
    if(readFrameProgramConfig(file->readBlock(std::min(64U, first.frameLength - first.headerLength())), config))
      d->channels = config.channels;
  }

  // Every frame is longer than its header, so the walk moves on and ends
  // at the end of the stream at the latest.
  const bool bounded = style != Accurate;
  long position = streamOffset;
  long bytes = 0;
  unsigned long long blocks = 0;
  bool stopped = false;
  while(position < streamEnd) {
    if(bounded && position - streamOffset >= averageBytes)
      break;
    ADTSHeader frame;
    if(!readADTSHeader(*file, position, streamEnd, frame) || !frame.sameStream(first)) {
      stopped = true;
      break;
    }
    position += static_cast<long>(frame.frameLength);
    bytes += static_cast<long>(frame.frameLength);
    blocks += frame.blocks;
  }
  if(blocks == 0)
    return;

  // Past the frames read, the rest of the stream is taken to be like them.
  double allBlocks = static_cast<double>(blocks);
  if(!stopped && position < streamEnd)
    allBlocks = static_cast<double>(streamEnd - streamOffset) * static_cast<double>(blocks) / static_cast<double>(bytes);
  const double rate = d->sampleRate;
  d->milliseconds = clampedInt(allBlocks * samplesPerBlock * 1000 / rate);
  const double seconds = static_cast<double>(blocks) * samplesPerBlock / rate;
  d->bitrate = static_cast<int>(std::lround(static_cast<double>(bytes) * 8 / seconds / 1000));
}

} // namespace BRENVO_NS
} // namespace AAC
} // namespace TagLib
