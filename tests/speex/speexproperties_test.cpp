// The header fields and the length of built Speex streams.
#include <gtest/gtest.h>

#include <memory>

#include "speex/speexfile.h"
#include "speexbuilder.h"
#include "testfiles.h"

using namespace brenvo_test;

namespace {

class SpeexProperties : public ::testing::Test
{
protected:
  std::unique_ptr<TagLib::Speex::File> open(const std::string &bytes, bool readProperties = true)
  {
    const std::string path = dir.write("built" + std::to_string(++count) + ".spx", bytes);
    return std::make_unique<TagLib::Speex::File>(path.c_str(), readProperties);
  }

  int bitrateFor(std::int32_t bitsPerSecond)
  {
    SpeexHeaderFields fields;
    fields.bitrate = bitsPerSecond;
    auto file = open(speexStream(fields));
    return file->audioProperties() ? file->audioProperties()->bitrate() : -1000;
  }

  int lengthFor(const std::string &bytes)
  {
    auto file = open(bytes);
    return file->audioProperties() ? file->audioProperties()->length() : -1000;
  }

  TempDir dir;
  int count = 0;
};

} // namespace

TEST_F(SpeexProperties, HeaderFieldsAreLittleEndianAtTheirOffsets)
{
  SpeexHeaderFields fields;
  fields.version = 0x01020304;
  fields.rate = 32000;
  fields.mode = 2;
  fields.channels = 2;
  fields.bitrate = 42200;
  auto file = open(speexStream(fields, 3 * 32000));
  ASSERT_TRUE(file->isValid());
  const TagLib::Speex::Properties *props = file->audioProperties();
  ASSERT_NE(props, nullptr);
  EXPECT_EQ(props->speexVersion(), 0x01020304);
  EXPECT_EQ(props->sampleRate(), 32000);
  EXPECT_EQ(props->channels(), 2);
  EXPECT_EQ(props->bitrate(), 42);
  EXPECT_EQ(props->length(), 3);
}

TEST_F(SpeexProperties, BitrateIsRoundedToWholeKilobits)
{
  EXPECT_EQ(bitrateFor(24600), 25);
  EXPECT_EQ(bitrateFor(24400), 24);
  EXPECT_EQ(bitrateFor(24500), 25);
  EXPECT_EQ(bitrateFor(499), 0);
  // Unknown (-1, what speexenc writes, or 0): measured over the stream instead.
  EXPECT_GT(bitrateFor(-1), 0);
  EXPECT_EQ(bitrateFor(0), bitrateFor(-1));
}

TEST_F(SpeexProperties, LengthComesFromTheFirstAndLastGranulePositions)
{
  const std::string header = speexHeader();  // 8000 Hz
  const std::string comment = commentPacket("v", {});
  EXPECT_EQ(lengthFor(speexStream(header, comment, 10 * 8000)), 10);
  EXPECT_EQ(lengthFor(speexStream(header, comment, 10 * 8000 - 1)), 9);
  EXPECT_EQ(lengthFor(speexStream(header, comment, 10 * 8000 + 4000, 4000)), 10);
  EXPECT_EQ(lengthFor(speexStream(header, comment, 0)), 0);
}

TEST_F(SpeexProperties, UnusableGranulesOrRateGiveLengthZero)
{
  const std::string comment = commentPacket("v", {});
  // Negative granule positions (-1 means "no packet ends on this page").
  EXPECT_EQ(lengthFor(speexStream(speexHeader(), comment, -1)), 0);
  EXPECT_EQ(lengthFor(speexStream(speexHeader(), comment, 16000, -8000)), 0);
  // A last page before the first one is damage, not a negative duration.
  EXPECT_EQ(lengthFor(speexStream(speexHeader(), comment, 8000, 80000)), 0);

  SpeexHeaderFields noRate;
  noRate.rate = 0;
  EXPECT_EQ(lengthFor(speexStream(noRate, 16000)), 0);
  SpeexHeaderFields negativeRate;
  negativeRate.rate = -8000;
  EXPECT_EQ(lengthFor(speexStream(negativeRate, 16000)), 0);
}

TEST_F(SpeexProperties, HeaderCutShortReadsMissingFieldsAsZero)
{
  // Up to the sample rate (offset 36..39) and a little beyond, but no channels.
  const std::string cut = speexHeader().substr(0, 46);
  auto file = open(speexStream(cut, commentPacket("v", {"TITLE=Short"})));
  ASSERT_TRUE(file->isValid());
  ASSERT_NE(file->tag(), nullptr);
  EXPECT_EQ(file->tag()->title(), "Short");
  const TagLib::Speex::Properties *props = file->audioProperties();
  ASSERT_NE(props, nullptr);
  EXPECT_EQ(props->speexVersion(), 1);
  EXPECT_EQ(props->sampleRate(), 8000);
  EXPECT_EQ(props->channels(), 0);
  EXPECT_GT(props->bitrate(), 0);  // no rate in the header: measured over the stream
  EXPECT_EQ(props->length(), 2);

  // Nothing but the identification.
  auto bare = open(speexStream(std::string("Speex   "), commentPacket("v", {})));
  ASSERT_TRUE(bare->isValid());
  ASSERT_NE(bare->audioProperties(), nullptr);
  EXPECT_EQ(bare->audioProperties()->speexVersion(), 0);
  EXPECT_EQ(bare->audioProperties()->sampleRate(), 0);
  EXPECT_EQ(bare->audioProperties()->length(), 0);
}

TEST_F(SpeexProperties, NotReadWhenNotWanted)
{
  auto file = open(speexStream(), false);
  ASSERT_TRUE(file->isValid());
  ASSERT_NE(file->tag(), nullptr);
  EXPECT_EQ(file->tag()->title(), "Built title");
  EXPECT_EQ(file->audioProperties(), nullptr);
}
