#include "aacheaders.h"

#include <algorithm>
#include <cstdint>

namespace TagLib {
namespace AAC {
inline namespace BRENVO_NS {

namespace {

const int sampleRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};

// The element that opens a program config element in raw data.
const unsigned int programConfigElement = 5;

// Reads a bit string, most significant bit first. Reading past the end
// answers 0 and leaves the reader failed for good, as ByteCursor does.
class BitReader
{
public:
  explicit BitReader(const ByteVector &data) : data_(data) {}

  bool ok() const { return ok_; }

  std::uint32_t read(unsigned int count)
  {
    if(!ok_ || count > 32 || static_cast<std::uint64_t>(data_.size()) * 8 - position_ < count) {
      ok_ = false;
      return 0;
    }
    std::uint32_t value = 0;
    for(unsigned int i = 0; i < count; ++i, ++position_) {
      const auto byte = static_cast<unsigned char>(data_[static_cast<unsigned int>(position_ / 8)]);
      value = (value << 1) | ((byte >> (7 - position_ % 8)) & 1U);
    }
    return value;
  }

  void skip(unsigned int count) { read(count); }

private:
  const ByteVector &data_;
  std::uint64_t position_ = 0;
  bool ok_ = true;
};

// program_config_element() after its element id; only the channel count and
// the fields before it are kept.
bool readProgramConfig(BitReader &bits, ProgramConfig &config)
{
  bits.skip(4);  // element_instance_tag
  config.objectType = bits.read(2);
  config.rateIndex = bits.read(4);
  const unsigned int front = bits.read(4);
  const unsigned int side = bits.read(4);
  const unsigned int back = bits.read(4);
  const unsigned int lfe = bits.read(2);
  bits.skip(3 + 4);  // association and coupling element counts
  if(bits.read(1))
    bits.skip(4);  // mono mixdown element
  if(bits.read(1))
    bits.skip(4);  // stereo mixdown element
  if(bits.read(1))
    bits.skip(3);  // matrix mixdown index and pseudo surround
  // Each front, side and back element is a channel pair or a single channel.
  int channels = static_cast<int>(lfe);
  for(unsigned int i = 0; i < front + side + back; ++i) {
    channels += bits.read(1) ? 2 : 1;
    bits.skip(4);
  }
  config.channels = channels;
  return bits.ok();
}

bool parseADTS(const ByteVector &data, ADTSHeader &h)
{
  if(data.size() < ADTSHeader::size)
    return false;
  const auto b = [&data](unsigned int i) { return static_cast<unsigned int>(static_cast<unsigned char>(data[i])); };
  // Sync word and layer 0.
  if(b(0) != 0xFF || (b(1) & 0xF6) != 0xF0)
    return false;
  h.mpeg2 = (b(1) & 0x08) != 0;
  h.protectionAbsent = (b(1) & 0x01) != 0;
  h.profile = b(2) >> 6;
  h.rateIndex = (b(2) >> 2) & 0x0F;
  h.channelConfig = ((b(2) & 0x01) << 2) | (b(3) >> 6);
  h.frameLength = ((b(3) & 0x03) << 11) | (b(4) << 3) | (b(5) >> 5);
  h.blocks = (b(6) & 0x03) + 1;
  // A frame must hold at least one byte of raw data after its header.
  return sampleRateOfIndex(h.rateIndex) > 0 && h.frameLength > h.headerLength();
}

// With \a first at \a offset: true when a second frame of the same stream
// follows it, or when the one frame is the whole region.
bool confirmed(TagLib::File &file, long start, long offset, long end, const ADTSHeader &first)
{
  const long next = offset + static_cast<long>(first.frameLength);
  if(next == end)
    return offset == start;
  ADTSHeader second;
  return readADTSHeader(file, next, end, second) && second.sameStream(first);
}

} // namespace

int sampleRateOfIndex(unsigned int index)
{
  return index < sizeof(sampleRates) / sizeof(sampleRates[0]) ? sampleRates[index] : 0;
}

bool ADTSHeader::parse(const ByteVector &data)
{
  ADTSHeader read;
  if(!parseADTS(data, read))
    return false;
  *this = read;
  return true;
}

unsigned int ADTSHeader::headerLength() const
{
  // Without protection_absent, a CRC follows, and with several raw data
  // blocks a position for each block but the first.
  return protectionAbsent ? size : size + 2 * blocks;
}

bool ADTSHeader::sameStream(const ADTSHeader &other) const
{
  return mpeg2 == other.mpeg2 && protectionAbsent == other.protectionAbsent && profile == other.profile &&
         rateIndex == other.rateIndex && channelConfig == other.channelConfig;
}

int ADTSHeader::channels() const
{
  // Configuration 7 is the 7.1 layout; 1 to 6 count their channels.
  return channelConfig == 7 ? 8 : static_cast<int>(channelConfig);
}

bool ADIFHeader::parse(const ByteVector &data)
{
  if(!data.startsWith("ADIF"))
    return false;
  BitReader bits(data);
  bits.skip(32);
  if(bits.read(1))
    bits.skip(72);  // copyright_id
  bits.skip(2);     // original_copy, home
  const bool variable = bits.read(1) != 0;
  const std::uint32_t rate = bits.read(23);
  bits.skip(4);  // the number of program config elements, less one: the first one is enough
  if(!variable)
    bits.skip(20);  // adif_buffer_fullness
  ProgramConfig config;
  if(!readProgramConfig(bits, config))
    return false;
  bitrate = rate;
  program = config;
  return true;
}

bool readFrameProgramConfig(const ByteVector &rawData, ProgramConfig &config)
{
  BitReader bits(rawData);
  ProgramConfig read;
  if(bits.read(3) != programConfigElement || !readProgramConfig(bits, read))
    return false;
  config = read;
  return true;
}

bool readADTSHeader(TagLib::File &file, long offset, long end, ADTSHeader &header)
{
  if(offset < 0 || end - offset < static_cast<long>(ADTSHeader::size))
    return false;
  file.seek(offset);
  ADTSHeader read;
  if(!read.parse(file.readBlock(ADTSHeader::size)) || static_cast<long>(read.frameLength) > end - offset)
    return false;
  header = read;
  return true;
}

long findStream(TagLib::File &file, long start, long end)
{
  if(start < 0 || end - start < 4)
    return -1;
  file.seek(start);
  if(file.readBlock(4) == "ADIF")
    return start;

  // Chunks overlap by one byte, so that a sync word across two is seen.
  const unsigned long chunkSize = 4096;
  const long limit = std::min(end, start + frameSearchLength);
  long position = start;
  while(position < limit) {
    file.seek(position);
    const ByteVector chunk = file.readBlock(static_cast<unsigned long>(std::min<long>(chunkSize, end - position)));
    if(chunk.size() < 2)
      break;
    for(unsigned int i = 0; i + 1 < chunk.size() && position + static_cast<long>(i) < limit; ++i) {
      if(static_cast<unsigned char>(chunk[i]) != 0xFF || (static_cast<unsigned char>(chunk[i + 1]) & 0xF6) != 0xF0)
        continue;
      const long candidate = position + static_cast<long>(i);
      ADTSHeader first;
      if(readADTSHeader(file, candidate, end, first) && confirmed(file, start, candidate, end, first))
        return candidate;
    }
    position += static_cast<long>(chunk.size()) - 1;
  }
  return -1;
}

} // namespace BRENVO_NS
} // namespace AAC
} // namespace TagLib
