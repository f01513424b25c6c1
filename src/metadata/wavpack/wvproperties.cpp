#include "wvproperties.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>

#include <tfile.h>

#include "common/bytecursor.h"

namespace TagLib {
namespace WavPack {
inline namespace BRENVO_NS {

namespace {

const unsigned int sample_rates[] = {6000, 8000, 9600, 11025, 12000, 16000, 22050, 24000,
                                     32000, 44100, 48000, 64000, 88200, 96000, 192000};
const unsigned int sampleRateCount = sizeof(sample_rates) / sizeof(sample_rates[0]);

// Flag bits of a block header.
const std::uint32_t monoFlag = 1u << 2;
const std::uint32_t finalBlockFlag = 1u << 12;
const std::uint32_t dsdFlag = 1u << 31;

// Metadata sub-blocks: the id byte's flags and the ids read.
const unsigned int idMask = 0x3F;
const unsigned int oddSizeFlag = 0x40;
const unsigned int largeFlag = 0x80;
const unsigned int channelInfoId = 0x0D;
const unsigned int dsdBlockId = 0x0E;
const unsigned int sampleRateId = 0x27;

// An encoder that did not know the stream's length writes all ones.
const std::uint32_t unknownSampleCount = 0xFFFFFFFFu;

// A block describes itself in sub-blocks before its audio: the first block's
// are read as far as the read-ahead window at the start of the file holds them.
const unsigned int metadataSpan = 16 * 1024 - Properties::headerSize;
// A frame is one block per one or two channels; real files have far fewer.
const int maxFrameBlocks = 256;
// A block holds at most a megabyte: the last one with samples, and a metadata
// block after it, lie within twice that of the end.
const long lastBlockSearch = 2L * 1024 * 1024;
// The first step back reads what the read-ahead window at the end holds.
const long firstSearchStep = 8L * 1024;

struct BlockHeader
{
  bool valid = false;
  long size = 0;  // the whole block, header included
  int version = 0;
  bool countsSamples = false;
  std::uint64_t totalSamples = 0;
  std::uint64_t blockIndex = 0;
  std::uint32_t blockSamples = 0;
  std::uint32_t flags = 0;

  int channels() const { return (flags & monoFlag) ? 1 : 2; }
};

BlockHeader parseHeader(const ByteVector &data, std::size_t offset = 0)
{
  BlockHeader h;
  ByteCursor c(data);
  if(!c.seek(offset) || !c.has(Properties::headerSize) || c.bytes(4) != "wvpk")
    return h;
  const std::uint32_t contentSize = c.u32le();
  h.version = static_cast<short>(c.u16le());
  // Counts of 40 bits: a high byte each, then the low 32 bits.
  const std::uint64_t indexHigh = c.u8();
  const std::uint64_t totalHigh = c.u8();
  const std::uint32_t totalLow = c.u32le();
  h.countsSamples = totalLow != unknownSampleCount;
  h.totalSamples = totalHigh << 32 | totalLow;
  h.blockIndex = indexHigh << 32 | c.u32le();
  h.blockSamples = c.u32le();
  h.flags = c.u32le();
  h.size = static_cast<long>(contentSize) + 8;
  // A block holds its own header.
  h.valid = c.ok() && h.size >= static_cast<long>(Properties::headerSize);
  return h;
}

// What the first block's sub-blocks say; 0 or -1 where they say nothing.
struct Metadata
{
  int channels = 0;
  std::uint32_t sampleRate = 0;
  int dsdRateShift = -1;
};

int channelCount(ByteCursor body, std::size_t length)
{
  if(length >= 6) {
    // The long form: twelve bits of the count, less one.
    const unsigned int low = body.u8();
    body.skip(1);  // streams
    const unsigned int high = body.u8() & 0x0F;
    return static_cast<int>((high << 8 | low) + 1);
  }
  return length >= 1 ? body.u8() : 0;
}

std::uint32_t customSampleRate(ByteCursor body, std::size_t length)
{
  if(length < 3)
    return 0;
  std::uint32_t rate = static_cast<std::uint32_t>(body.uintLE(3));
  if(length >= 4)
    rate |= static_cast<std::uint32_t>(body.u8() & 0x7F) << 24;
  return rate;
}

/*!
 * Walks the sub-blocks in \a data, the bytes of a block after its header;
 * \a blockLength is how many there are in the block (\a data may hold fewer).
 */
Metadata readMetadata(const ByteVector &data, std::size_t blockLength)
{
  Metadata m;
  ByteCursor c(data);
  // Every turn moves on by two bytes at least.
  while(c.has(2) && c.position() < blockLength) {
    const unsigned int id = c.u8();
    const std::size_t length = 2 * static_cast<std::size_t>((id & largeFlag) ? c.uintLE(3) : c.u8());
    if(!c.ok() || length > blockLength - std::min(blockLength, c.position()))
      break;  // runs past its block: nothing after it can be trusted
    std::size_t used = length;
    if((id & oddSizeFlag) && used > 0)
      --used;
    if(!c.has(length)) {
      // Past what was read: DSD audio, say, which only its first byte is wanted of.
      if((id & idMask) == dsdBlockId && used >= 1 && c.has(1))
        m.dsdRateShift = c.u8();
      break;
    }
    const ByteCursor body = c.sub(length);
    switch(id & idMask) {
    case channelInfoId:
      m.channels = channelCount(body, used);
      break;
    case sampleRateId:
      m.sampleRate = customSampleRate(body, used);
      break;
    case dsdBlockId:
      if(used >= 1)
        m.dsdRateShift = ByteCursor(body).u8();
      break;
    default:
      break;
    }
  }
  return m;
}

// The channels of the first frame: its blocks from the first to the one flagged final.
int frameChannels(const std::function<ByteVector(long, unsigned int)> &fetch, const BlockHeader &first, long dataEnd)
{
  int channels = first.channels();
  if(first.flags & finalBlockFlag)
    return channels;
  long offset = first.size;
  for(int i = 1; i < maxFrameBlocks && offset <= dataEnd - static_cast<long>(Properties::headerSize); ++i) {
    const BlockHeader next = parseHeader(fetch(offset, Properties::headerSize));
    // A block of another frame (or none) ends a frame whose final block is missing.
    if(!next.valid || next.blockIndex != first.blockIndex)
      break;
    channels += next.channels();
    if(next.flags & finalBlockFlag)
      break;
    offset += next.size;
  }
  return channels;
}

/*!
 * Where the samples of the stream end: the index plus the sample count of the
 * last block that holds samples, found by searching back from \a dataEnd, in
 * growing steps; 0 when there is none.
 */
std::uint64_t lastBlockEnd(const std::function<ByteVector(long, unsigned int)> &fetch, const BlockHeader &first,
                           long dataEnd)
{
  const long floor = std::max(0L, dataEnd - lastBlockSearch);
  const long overlap = static_cast<long>(Properties::headerSize) - 1;
  long step = firstSearchStep;
  for(long chunkEnd = dataEnd; chunkEnd > floor; step *= 4) {
    const long chunkStart = std::max(floor, chunkEnd - step);
    // A header that starts in this chunk and ends in the next is read whole.
    const long readEnd = std::min(dataEnd, chunkEnd + overlap);
    const ByteVector bytes = fetch(chunkStart, static_cast<unsigned int>(readEnd - chunkStart));
    for(long i = std::min(chunkEnd - chunkStart, static_cast<long>(bytes.size())) - 1; i >= 0; --i) {
      if(static_cast<std::size_t>(i) + 4 > bytes.size() || std::memcmp(bytes.data() + i, "wvpk", 4) != 0)
        continue;
      const BlockHeader b = parseHeader(bytes, static_cast<std::size_t>(i));
      // A block ends within the audio data; one of metadata only (a trailer)
      // counts no samples.
      if(b.valid && b.version == first.version && b.blockSamples > 0 && chunkStart + i + b.size <= dataEnd)
        return b.blockIndex + b.blockSamples;
    }
    chunkEnd = chunkStart;
  }
  return 0;
}

} // namespace

Properties::Properties(const ByteVector &data, long streamLength, ReadStyle style) :
  HeaderProperties(streamLength, style)
{
  const auto fetch = [&data](long offset, unsigned int length) {
    return offset >= 0 && offset < static_cast<long>(data.size()) ? data.mid(static_cast<unsigned int>(offset), length)
                                                                   : ByteVector();
  };
  read(fetch, static_cast<long>(data.size()), false);
}

Properties::Properties(TagLib::File *file, long streamLength, ReadStyle style) :
  HeaderProperties(streamLength, style)
{
  const auto fetch = [file](long offset, unsigned int length) {
    file->seek(offset);
    return file->readBlock(length);
  };
  read(fetch, streamLength, true);
}

Properties::~Properties() = default;

int Properties::version() const
{
  return formatVersion();
}

void Properties::read(const std::function<ByteVector(long, unsigned int)> &fetch, long dataEnd, bool searchLastBlock)
{
  const BlockHeader first = parseHeader(fetch(0, headerSize));
  if(!first.valid)
    return;
  setFormatVersion(first.version);

  const std::size_t blockLength = static_cast<std::size_t>(first.size) - headerSize;
  const Metadata m = readMetadata(fetch(headerSize, static_cast<unsigned int>(std::min<std::size_t>(blockLength, metadataSpan))),
                                  blockLength);

  const int channels = m.channels > 0 ? m.channels : frameChannels(fetch, first, dataEnd);

  // The last index has no table entry: the rate is in a sub-block.
  const unsigned int rateIndex = (first.flags >> 23) & 15;
  std::uint64_t sampleRate = rateIndex < sampleRateCount ? sample_rates[rateIndex] : m.sampleRate;
  const bool dsd = (first.flags & dsdFlag) != 0;
  // DSD: the table gives the rate of whole bytes over a power of two.
  if(dsd && m.dsdRateShift > 0)
    sampleRate = m.dsdRateShift < 32 ? sampleRate << m.dsdRateShift : 0;
  if(sampleRate > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
    sampleRate = 0;

  const int bitsPerSample = dsd ? 1 : static_cast<int>(((first.flags & 3) + 1) * 8) - static_cast<int>((first.flags >> 13) & 31);

  // The total is only that of a stream that starts with its first sample.
  std::uint64_t samples = 0;
  if(first.countsSamples && first.blockIndex == 0)
    samples = first.totalSamples;
  else if(searchLastBlock) {
    const std::uint64_t end = lastBlockEnd(fetch, first, dataEnd);
    samples = end > first.blockIndex ? end - first.blockIndex : 0;
  }

  int seconds = 0;
  if(sampleRate > 0) {
    // Rounds to the nearest second.
    const std::uint64_t rounded = (samples + sampleRate / 2) / sampleRate;
    seconds = static_cast<int>(std::min<std::uint64_t>(rounded, std::numeric_limits<int>::max()));
  }
  set(static_cast<int>(sampleRate), channels, bitsPerSample, seconds, samples);
}

} // namespace BRENVO_NS
} // namespace WavPack
} // namespace TagLib
