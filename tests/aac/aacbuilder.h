#ifndef BRENVO_TEST_AACBUILDER_H
#define BRENVO_TEST_AACBUILDER_H

// Raw AAC streams built field by field, as ISO/IEC 14496-3 lays out the ADTS
// frame header, the ADIF header and the program config element.

#include <cstdint>
#include <string>
#include <vector>

namespace aactest {

//! Bits written most significant first, padded with zero bits to whole bytes.
class Bits
{
public:
  Bits &put(std::uint32_t value, int width)
  {
    for(int i = width - 1; i >= 0; --i)
      bits_.push_back(((value >> i) & 1U) != 0);
    return *this;
  }
  Bits &put(const Bits &other)
  {
    bits_.insert(bits_.end(), other.bits_.begin(), other.bits_.end());
    return *this;
  }
  std::string bytes() const
  {
    std::string out((bits_.size() + 7) / 8, '\0');
    for(std::size_t i = 0; i < bits_.size(); ++i)
      if(bits_[i])
        out[i / 8] = static_cast<char>(out[i / 8] | (0x80 >> (i % 8)));
    return out;
  }

private:
  std::vector<bool> bits_;
};

//! A program config element without its element id: \a pairs channel pairs and \a singles single channels in front.
inline Bits programConfig(unsigned int rateIndex, unsigned int pairs, unsigned int singles, unsigned int lfe)
{
  Bits b;
  b.put(0, 4).put(1, 2).put(rateIndex, 4);            // element tag, LC, rate
  b.put(pairs + singles, 4).put(0, 4).put(0, 4);      // front, side, back elements
  b.put(lfe, 2).put(0, 3).put(0, 4);                  // LFE, association, coupling elements
  b.put(1, 1).put(0, 4).put(0, 1).put(1, 1).put(0, 3); // a mono mixdown, no stereo one, a matrix mixdown
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
  unsigned int rateIndex = 4;  // 44100 Hz
  unsigned int channelConfig = 2;
  unsigned int profile = 1;    // LC
  bool mpeg2 = false;
  bool crc = false;
  unsigned int blocks = 1;
  std::string rawData;  // the start of the raw data; filler bytes follow
  int lengthField = -1; // what the header says, when not the length

  std::string bytes() const
  {
    Bits h;
    h.put(0xFFF, 12).put(mpeg2 ? 1 : 0, 1).put(0, 2).put(crc ? 0 : 1, 1);
    h.put(profile, 2).put(rateIndex, 4).put(0, 1).put(channelConfig, 3);
    h.put(0, 4).put(lengthField < 0 ? length : static_cast<unsigned int>(lengthField), 13).put(0x7FF, 11).put(blocks - 1, 2);
    std::string frame = h.bytes() + std::string(crc ? 2 * blocks : 0, '\0') + rawData;
    // Filler that never reads as a sync word.
    frame.resize(length, '\x21');
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
  Bits b;
  b.put(0, 1).put(0, 1).put(0, 1);                    // no copyright id, original_copy, home
  b.put(0, 1).put(bitrate, 23).put(0, 4).put(0, 20);  // constant rate, one program, buffer fullness
  b.put(program);
  return "ADIF" + b.bytes();
}

} // namespace aactest

#endif
