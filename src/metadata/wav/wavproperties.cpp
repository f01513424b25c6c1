#include "wavproperties.h"

#include <cstdint>
#include <cstring>
#include <iostream>

namespace TagLib {
namespace Wav {
inline namespace BRENVO_NS {

namespace {

// The chunks start behind "RIFF", the form size and "WAVE".
const std::int64_t firstChunkOffset = 12;
const std::size_t chunkHeaderSize = 8;
// Format tag, channels, sample rate and byte rate: what is read of "fmt ".
const std::uint32_t formatFieldsSize = 12;

std::uint32_t littleEndian16(const unsigned char *p)
{
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8);
}

std::uint32_t littleEndian32(const unsigned char *p)
{
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}

bool readAt(FILE *stream, std::int64_t offset, unsigned char *buffer, std::size_t size)
{
  return std::fseek(stream, static_cast<long>(offset), SEEK_SET) == 0 &&
         std::fread(buffer, size, 1, stream) == 1;
}

std::int64_t streamSize(FILE *stream)
{
  if(std::fseek(stream, 0, SEEK_END) != 0)
    return 0;
  const long size = std::ftell(stream);
  return size < 0 ? 0 : size;
}

} // namespace

Properties::Properties(ReadStyle style) :
  AudioProperties(style),
  m_length(0),
  m_bitrate(0),
  m_sampleRate(0),
  m_channels(0)
{
}

Properties::~Properties() = default;

int Properties::length() const { return m_length; }
int Properties::bitrate() const { return m_bitrate; }
int Properties::sampleRate() const { return m_sampleRate; }
int Properties::channels() const { return m_channels; }

void Properties::readWavProperties(FILE *stream)
{
  if(!stream)
    return;

  const std::int64_t fileSize = streamSize(stream);
  unsigned char format[formatFieldsSize];
  bool haveFormat = false;
  bool haveData = false;
  std::uint32_t dataLength = 0;

  // Real files put other chunks (LIST, fact, JUNK ...) anywhere and use
  // longer format chunks, so the chunks are found by id, not by offset.
  // Every step moves forward by at least a chunk header: the walk ends.
  std::int64_t offset = firstChunkOffset;
  while(!(haveFormat && haveData) && offset + static_cast<std::int64_t>(chunkHeaderSize) <= fileSize) {
    unsigned char header[chunkHeaderSize];
    if(!readAt(stream, offset, header, sizeof(header)))
      break;
    const std::uint32_t size = littleEndian32(header + 4);
    const std::int64_t body = offset + static_cast<std::int64_t>(chunkHeaderSize);

    if(!haveFormat && std::memcmp(header, "fmt ", 4) == 0) {
      if(size < formatFieldsSize || !readAt(stream, body, format, sizeof(format)))
        return;
      haveFormat = true;
    }
    else if(!haveData && std::memcmp(header, "data", 4) == 0) {
      // A size beyond the end of the file (a truncated or still growing file)
      // counts only the bytes that are there.
      const std::int64_t present = fileSize - body;
      dataLength = static_cast<std::int64_t>(size) > present ? static_cast<std::uint32_t>(present) : size;
      haveData = true;
    }
    // Chunks of odd size are followed by a pad byte.
    offset = body + static_cast<std::int64_t>(size) + (size & 1);
  }

  if(!haveFormat || !haveData)
    return;

  m_channels = static_cast<int>(littleEndian16(format + 2));
  m_sampleRate = static_cast<int>(littleEndian32(format + 4));
  const std::uint32_t byteRate = littleEndian32(format + 8);
  m_bitrate = static_cast<int>(static_cast<std::uint32_t>(byteRate * 8u) / 1000u);
  if(byteRate != 0) {
    m_length = static_cast<int>(dataLength / byteRate);
  }
  else {
    std::cerr << "Error in parsing WavHeader - num_avg_bytes_per_sec should not be 0 - file is corrupted!"
              << std::endl;
  }
}

} // namespace BRENVO_NS
} // namespace Wav
} // namespace TagLib
