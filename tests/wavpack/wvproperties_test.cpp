#include <gtest/gtest.h>

#include "bytebuilder.h"
#include "wavpack/wvproperties.h"

using brenvo_test::ByteBuilder;
using TagLib::WavPack::Properties;

namespace {

// Flag bits of the block header.
std::uint32_t flags(unsigned bytesPerSampleField, unsigned shift, unsigned rateIndex, bool mono)
{
  return bytesPerSampleField | (mono ? 4u : 0u) | (shift << 13) | (rateIndex << 23);
}

TagLib::ByteVector header(std::uint32_t flagWord, std::uint32_t totalSamples, std::uint16_t version = 0x410)
{
  return ByteBuilder()
    .text("wvpk").le32(1000)      // block id, block size
    .le16(version).u8(0).u8(0)    // version, track, index
    .le32(totalSamples)
    .le32(0).le32(4096)           // block index, block samples
    .le32(flagWord)
    .le32(0x12345678)             // crc
    .vector();
}

} // namespace

TEST(WavPackProperties, StereoTwentyFourBitHeader)
{
  // The flags bytes 02 00 80 04: bytes-per-sample field 2, shift 0, rate index 9.
  const TagLib::ByteVector block = header(0x04800002, 441000);
  ASSERT_EQ(block.size(), 32u);
  ASSERT_EQ(block.mid(24, 4), TagLib::ByteVector("\x02\x00\x80\x04", 4));
  const Properties p(block, 1250000);
  EXPECT_EQ(p.bitsPerSample(), 24);
  EXPECT_EQ(p.sampleRate(), 44100);
  EXPECT_EQ(p.channels(), 2);
  EXPECT_EQ(p.length(), 10);
  EXPECT_EQ(p.bitrate(), 1000);
  EXPECT_EQ(p.version(), 0x410);
}

TEST(WavPackProperties, LengthRoundsToTheNearestSecondHalvesUp)
{
  const std::uint32_t f = flags(1, 0, 9, false);
  EXPECT_EQ(Properties(header(f, 22050), 1000).length(), 1);   // 0.5 s
  EXPECT_EQ(Properties(header(f, 22049), 1000).length(), 0);   // just under
  EXPECT_EQ(Properties(header(f, 66149), 1000).length(), 1);   // 1.49998 s
  EXPECT_EQ(Properties(header(f, 66150), 1000).length(), 2);   // 1.5 s
  // A count near the 32-bit limit rounds without wrapping.
  EXPECT_EQ(Properties(header(f, 0xFFFFFFF0u), 1000).length(), 97392);
}

TEST(WavPackProperties, FlagFields)
{
  const Properties eightBit(header(flags(1, 8, 0, true), 6000), 1000);
  EXPECT_EQ(eightBit.bitsPerSample(), 8);
  EXPECT_EQ(eightBit.channels(), 1);
  EXPECT_EQ(eightBit.sampleRate(), 6000);

  const int table[] = {6000, 8000, 9600, 11025, 12000, 16000, 22050, 24000,
                       32000, 44100, 48000, 64000, 88200, 96000, 192000};
  for(unsigned i = 0; i < 15; ++i)
    EXPECT_EQ(Properties(header(flags(3, 0, i, false), 1), 0).sampleRate(), table[i]) << i;
  EXPECT_EQ(Properties(header(flags(3, 0, 0, false), 1), 0).bitsPerSample(), 32);
}

TEST(WavPackProperties, UnknownValuesGiveZero)
{
  // Rate index 15 is past the table: no rate, so no length or bit rate.
  const Properties noRate(header(flags(1, 0, 15, false), 441000), 1250000);
  EXPECT_EQ(noRate.sampleRate(), 0);
  EXPECT_EQ(noRate.length(), 0);
  EXPECT_EQ(noRate.bitrate(), 0);
  EXPECT_EQ(noRate.channels(), 2);

  // All-ones total samples: the encoder did not know the length.
  const Properties unknown(header(flags(1, 0, 9, false), 0xFFFFFFFFu), 1250000);
  EXPECT_EQ(unknown.length(), 0);
  EXPECT_EQ(unknown.bitrate(), 0);
  EXPECT_EQ(unknown.sampleRate(), 44100);

  const Properties empty(header(flags(1, 0, 9, false), 0), 1250000);
  EXPECT_EQ(empty.length(), 0);
  EXPECT_EQ(empty.bitrate(), 0);
}

TEST(WavPackProperties, NotAHeaderGivesZeroEverywhere)
{
  TagLib::ByteVector wrong = header(0x04800002, 441000);
  wrong[0] = 'W';
  const TagLib::ByteVector cut = header(0x04800002, 441000).mid(0, 20);
  for(const TagLib::ByteVector &block : {wrong, cut, TagLib::ByteVector()}) {
    const Properties p(block, 1250000);
    EXPECT_EQ(p.length(), 0);
    EXPECT_EQ(p.bitrate(), 0);
    EXPECT_EQ(p.sampleRate(), 0);
    EXPECT_EQ(p.channels(), 0);
    EXPECT_EQ(p.version(), 0);
    EXPECT_EQ(p.bitsPerSample(), 0);
  }
}
