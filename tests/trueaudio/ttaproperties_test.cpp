#include <gtest/gtest.h>

#include "bytebuilder.h"
#include "trueaudio/ttaproperties.h"

using brenvo_test::ByteBuilder;
using TagLib::TTA::Properties;

namespace {

TagLib::ByteVector header(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate, std::uint32_t samples,
                          char version = '1')
{
  return ByteBuilder()
    .text("TTA").u8(static_cast<std::uint8_t>(version))
    .le16(1)                       // audio format, not read
    .le16(channels).le16(bits).le32(rate).le32(samples)
    .le32(0xCAFEBABE)              // header CRC, not read
    .vector();
}

} // namespace

TEST(TTAProperties, StereoSixteenBitHeader)
{
  const Properties p(header(2, 16, 44100, 441000), 1764000);
  EXPECT_EQ(p.ttaVersion(), 1);
  EXPECT_EQ(p.channels(), 2);
  EXPECT_EQ(p.bitsPerSample(), 16);
  EXPECT_EQ(p.sampleRate(), 44100);
  EXPECT_EQ(p.length(), 10);
  EXPECT_EQ(p.bitrate(), 1411);
}

TEST(TTAProperties, LengthTruncates)
{
  EXPECT_EQ(Properties(header(2, 16, 44100, 66149), 1000).length(), 1);
  EXPECT_EQ(Properties(header(2, 16, 44100, 88199), 1000).length(), 1);
  EXPECT_EQ(Properties(header(2, 16, 44100, 88200), 1000).length(), 2);
  // Under one second: no length, but a bit rate over the exact duration.
  const Properties shortStream(header(1, 24, 48000, 47999), 100000);
  EXPECT_EQ(shortStream.length(), 0);
  EXPECT_EQ(shortStream.bitrate(), 800);
  EXPECT_EQ(shortStream.channels(), 1);
  EXPECT_EQ(shortStream.bitsPerSample(), 24);
}

TEST(TTAProperties, ZeroSampleRateGivesZeroLengthAndBitrate)
{
  const Properties p(header(2, 16, 0, 441000), 1764000);
  EXPECT_EQ(p.sampleRate(), 0);
  EXPECT_EQ(p.length(), 0);
  EXPECT_EQ(p.bitrate(), 0);
}

TEST(TTAProperties, VersionIsTheDigitCharacter)
{
  EXPECT_EQ(Properties(header(2, 16, 44100, 1), 0, TagLib::AudioProperties::Fast).ttaVersion(), 1);
  EXPECT_EQ(Properties(header(2, 16, 44100, 1, '2'), 0).ttaVersion(), 2);
  // Any byte: taken as a signed character minus '0'.
  EXPECT_EQ(Properties(header(2, 16, 44100, 1, '\xF0'), 0).ttaVersion(), -16 - '0');
}

TEST(TTAProperties, NotAHeaderGivesZeroEverywhere)
{
  TagLib::ByteVector wrong = header(2, 16, 44100, 441000);
  wrong[2] = 'B';
  const TagLib::ByteVector cut = header(2, 16, 44100, 441000).mid(0, 17);
  for(const TagLib::ByteVector &block : {wrong, cut, TagLib::ByteVector()}) {
    const Properties p(block, 1764000);
    EXPECT_EQ(p.length(), 0);
    EXPECT_EQ(p.bitrate(), 0);
    EXPECT_EQ(p.sampleRate(), 0);
    EXPECT_EQ(p.channels(), 0);
    EXPECT_EQ(p.ttaVersion(), 0);
    EXPECT_EQ(p.bitsPerSample(), 0);
  }
}
