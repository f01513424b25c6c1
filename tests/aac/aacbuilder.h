#ifndef BRENVO_TEST_AACBUILDER_H
#define BRENVO_TEST_AACBUILDER_H

// Raw AAC streams built field by field: the ADTS frame header, the ADIF
// header and the program config element of ISO/IEC 14496-3.

#include <cstdint>
#include <string>
#include <vector>

namespace aactest {

//! Bits written most significant first, padded with zero bits to whole bytes.
struct Bits
{
  std::vector<bool> bits;
  Bits &put(std::uint32_t value, int width)
  {
    for(int i = width - 1; i >= 0; --i)
      bits.push_back(((value >> i) & 1U) != 0);
    return *this;
  }
  Bits &put(const Bits &other)
  {
    bits.insert(bits.end(), other.bits.begin(), other.bits.end());
    return *this;
  }
  std::string bytes() const
  {
    std::string out((bits.size() + 7) / 8, '\0');
    for(std::size_t i = 0; i < bits.size(); ++i)
      out[i / 8] = static_cast<char>(out[i / 8] | (bits[i] ? 0x80 >> (i % 8) : 0));
    return out;
  }
};

//! A program config element without its element id: \a pairs channel pairs and \a singles single channels in front.
inline Bits programConfig(unsigned int rateIndex, unsigned int pairs, unsigned int singles, unsigned int lfe)
{
  Bits b;
  b.put(0, 4).put(1, 2).put(rateIndex, 4).put(pairs + singles, 4).put(0, 8); // tag, LC, rate, front/side/back
  b.put(lfe, 2).put(0, 7).put(1, 1).put(0, 4).put(0, 1).put(1, 1).put(0, 3); // LFE, mono and matrix mixdowns
  for(unsigned int i = 0; i < pairs + singles; ++i)
    b.put(i < pairs ? 1 : 0, 1).put(i, 4);
  for(unsigned int i = 0; i < lfe; ++i)
    b.put(i, 4);
  return b;
}

//! One ADTS frame: its header fields, and its length in bytes, header included.
struct Frame
{
  unsigned int length = 200;
  unsigned int rateIndex = 4; // 44100 Hz
  unsigned int channelConfig = 2;
  int lengthField = -1; // what the header says, when not the length
  unsigned int profile = 1; // LC
  bool mpeg2 = false, crc = false;
  unsigned int blocks = 1;
  std::string rawData = {}; // the start of the raw data; filler bytes follow

  std::string bytes() const
  {
    Bits h;
    h.put(0xFFF, 12).put(mpeg2, 1).put(0, 2).put(!crc, 1).put(profile, 2).put(rateIndex, 4).put(0, 1);
    h.put(channelConfig, 3).put(0, 4).put(lengthField < 0 ? length : static_cast<unsigned int>(lengthField), 13);
    std::string frame = h.put(0x7FF, 11).put(blocks - 1, 2).bytes() + std::string(crc ? 2 * blocks : 0, '\0') + rawData;
    frame.resize(length, '\x21'); // filler that never reads as a sync word
    return frame;
  }
};

inline std::string frames(const Frame &frame, int count)
{
  std::string out;
  for(int i = 0; i < count; ++i)
    out += frame.bytes();
  return out;
}

//! An ADIF header: constant rate \a bitrate, one program config element.
inline std::string adifHeader(std::uint32_t bitrate, const Bits &program)
{
  return "ADIF" + Bits().put(0, 4).put(bitrate, 23).put(0, 24).put(program).bytes();
}

} // namespace aactest

#endif
