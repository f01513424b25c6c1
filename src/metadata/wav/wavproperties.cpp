#include "wavproperties.h"

#include <algorithm>
#include <limits>
#include <cstdint>
#include <iostream>

#include "common/bytecursor.h"

namespace TagLib {
namespace Wav {
inline namespace BRENVO_NS {

namespace {

// The chunks start behind "RIFF", the form size and "WAVE".
constexpr long firstChunkOffset = 12;
constexpr unsigned int chunkHeaderSize = 8;
// Format tag, channels, sample rate and byte rate: what is read of "fmt ".
constexpr unsigned int formatFieldsSize = 12;

} // namespace

Properties::Properties(ReadStyle style) :
  AudioProperties(style),
  m_length(0),
  m_milliseconds(0),
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
int Properties::lengthInMilliseconds() const { return m_milliseconds; }
int Properties::lengthInSeconds() const { return m_milliseconds / 1000; }

void Properties::read(IOStream *stream)
{
  if(!stream)
    return;

  const long fileSize = stream->length();
  ByteCursor format;
  bool haveFormat = false;
  bool haveData = false;
  std::uint32_t dataLength = 0;

  // Real files put other chunks (LIST, fact, JUNK ...) anywhere and use
  // longer format chunks, so the chunks are found by id, not by offset.
  // Every step moves forward by at least a chunk header: the walk ends. The
  // stream's window holds the first chunk headers, so each read here is
  // a copy, not a system call.
  long offset = firstChunkOffset;
  while(!(haveFormat && haveData) && offset + static_cast<long>(chunkHeaderSize) <= fileSize) {
    // A chunk header and what the format fields need of its body, in one read.
    stream->seek(offset);
    ByteCursor chunk(stream->readBlock(chunkHeaderSize + formatFieldsSize));
    const ByteVector id = chunk.bytes(4);
    const std::uint32_t size = chunk.u32le();
    if(!chunk.ok())
      break;
    const long body = offset + static_cast<long>(chunkHeaderSize);

    if(!haveFormat && id == "fmt ") {
      if(size < formatFieldsSize || !chunk.has(formatFieldsSize))
        return;
      format = chunk;
      haveFormat = true;
    }
    else if(!haveData && id == "data") {
      // A size beyond the end of the file (a truncated or still growing file)
      // counts only the bytes that are there.
      const long present = fileSize - body;
      dataLength = static_cast<long>(size) > present ? static_cast<std::uint32_t>(present) : size;
      haveData = true;
    }
    // Chunks of odd size are followed by a pad byte.
    offset = body + static_cast<long>(size) + static_cast<long>(size & 1);
  }

  if(!haveFormat || !haveData)
    return;

  format.skip(2);  // format tag
  m_channels = format.u16le();
  m_sampleRate = static_cast<int>(format.u32le());
  const std::uint32_t byteRate = format.u32le();
  m_bitrate = static_cast<int>(static_cast<std::uint32_t>(byteRate * 8u) / 1000u);
  if(byteRate != 0) {
    m_length = static_cast<int>(dataLength / byteRate);
    m_milliseconds = static_cast<int>(std::min<unsigned long long>(static_cast<unsigned long long>(dataLength) * 1000 / byteRate,
                                                                   std::numeric_limits<int>::max()));
  }
  else {
    std::cerr << "Error in parsing WavHeader - num_avg_bytes_per_sec should not be 0 - file is corrupted!"
              << std::endl;
  }
}

} // namespace BRENVO_NS
} // namespace Wav
} // namespace TagLib
