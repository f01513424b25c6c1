#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>

#include "bytebuilder.h"
#include "testfiles.h"
#include "tresolvers.h"
#include "wav/wavfile.h"

using namespace brenvo_test;

namespace {

// A 16-byte PCM format chunk; the byte rate follows from the other fields unless given.
ByteBuilder fmt(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, long byteRate = -1)
{
  const auto align = static_cast<std::uint16_t>(channels * bits / 8);
  return ByteBuilder().text("fmt ").le32(16).le16(1).le16(channels).le32(rate)
      .le32(byteRate < 0 ? rate * align : static_cast<std::uint32_t>(byteRate)).le16(align).le16(bits);
}

//! A data chunk claiming \a claimed bytes, followed by \a present bytes.
ByteBuilder data(std::uint32_t claimed, std::size_t present)
{
  return ByteBuilder().text("data").le32(claimed).fill(present, 0x80);
}

std::string wav(std::initializer_list<ByteBuilder> chunks)
{
  ByteBuilder b;
  b.text("RIFF").le32(0).text("WAVE");
  for(const ByteBuilder &c : chunks)
    b.append(c);
  return b.str();
}

//! Length, bit rate, sample rate and channels.
using Values = std::array<int, 4>;

Values values(const TagLib::AudioProperties &p)
{
  return {p.length(), p.bitrate(), p.sampleRate(), p.channels()};
}

} // namespace

TEST(Wav, ChunkLayoutsAndTheirValues)
{
  TempDir dir;
  const std::string fiveSeconds = wav({fmt(1, 8000, 8), data(5 * 8000, 5 * 8000)});
  // 24-bit and multichannel files have a 40-byte format chunk.
  const ByteBuilder extensible = ByteBuilder().text("fmt ").le32(40).le16(0xFFFE).le16(6).le32(48000).le32(48000 * 18)
      .le16(18).le16(24).le16(22).le16(24).le32(0x3F).fill(16, 0x11);
  const struct
  {
    const char *what;
    std::string bytes;
    Values values;
    const char *message;
  } rows[] = {
    // Expected values of the samples from ffprobe (see tests/data/wav/make.sh).
    {"wav/canonical.wav", readFile(dataPath("wav/canonical.wav")), {2, 64, 8000, 1}, ""},
    {"wav/list.wav", readFile(dataPath("wav/list.wav")), {1, 64, 8000, 1}, ""},
    {"wav/s24.wav", readFile(dataPath("wav/s24.wav")), {1, 96, 2000, 2}, ""},
    {"wav/surround.wav", readFile(dataPath("wav/surround.wav")), {1, 192, 2000, 6}, ""},
    {"a byte short of ten seconds", wav({fmt(2, 44100, 16), data(10 * 176400 - 1, 10 * 176400 - 1)}),
     {9, 1411, 44100, 2}, ""},
    {"chunks between, one of odd size with its pad byte",
     wav({ByteBuilder().text("JUNK").le32(5).text("junk!").u8(0), fmt(1, 8000, 8),
          ByteBuilder().text("LIST").le32(12).text("INFOISFT").le32(0), data(24000, 24000)}), {3, 64, 8000, 1}, ""},
    {"data before format", wav({data(16000, 16000), fmt(1, 8000, 8)}), {2, 64, 8000, 1}, ""},
    {"extensible format", wav({extensible, data(48000 * 36, 48000 * 36)}), {2, 6912, 48000, 6}, ""},
    {"only the first format and data count", wav({fmt(1, 8000, 8), data(8000, 8000), fmt(2, 44100, 16), data(4, 4)}),
     {1, 64, 8000, 1}, ""},
    {"data cut short", fiveSeconds.substr(0, 44 + 2 * 8000 + 10), {2, 64, 8000, 1}, ""},
    {"data size never filled in", wav({fmt(1, 8000, 8), data(0xFFFFFFFFu, 3 * 8000)}), {3, 64, 8000, 1}, ""},
    // 0x20000000 * 8 wraps to 0.
    {"bit rate in 32 bits", wav({fmt(2, 44100, 16, 0x20000000), data(100, 100)}), {0, 0, 44100, 2}, ""},
    {"zero byte rate", wav({fmt(2, 44100, 16, 0), data(1000, 1000)}), {0, 0, 44100, 2},
     "Error in parsing WavHeader - num_avg_bytes_per_sec should not be 0 - file is corrupted!\n"},
    {"no data chunk", wav({fmt(2, 44100, 16), ByteBuilder().text("LIST").le32(1000).fill(1000)}), {0, 0, 0, 0}, ""},
    {"no format chunk", wav({data(1000, 1000)}), {0, 0, 0, 0}, ""},
    {"format chunk too short for the fields",
     wav({ByteBuilder().text("fmt ").le32(10).le16(1).le16(2).le32(44100).le16(0), data(1000, 1000)}), {0, 0, 0, 0}, ""},
    {"chunk size past the end hides what follows",
     wav({ByteBuilder().text("JUNK").le32(0xFFFFFFF0u).fill(8), fmt(2, 44100, 16), data(16, 16)}), {0, 0, 0, 0}, ""},
    {"file ends inside the format chunk", fiveSeconds.substr(0, 30), {0, 0, 0, 0}, ""},
  };
  for(const auto &row : rows) {
    SCOPED_TRACE(row.what);
    StderrCapture capture;
    TagLib::Wav::File file(dir.write("sound.wav", row.bytes).c_str());
    ASSERT_NE(file.audioProperties(), nullptr);
    EXPECT_EQ(values(*file.audioProperties()), row.values);
    EXPECT_EQ(capture.text(), row.message);
  }
}

TEST(Wav, UnreadPropertiesEmptyTagNoSaveAndAMissingFile)
{
  TempDir dir;
  const std::string bytes = wav({fmt(1, 8000, 8), data(8000, 8000)});
  const std::string path = dir.write("keep.wav", bytes);
  {
    TagLib::Wav::File file(path.c_str(), false);
    EXPECT_EQ(values(*file.audioProperties()), (Values{0, 0, 0, 0}));
    file.tag()->setTitle("changed");
    file.tag()->setYear(2000);
    EXPECT_TRUE(file.tag()->isEmpty());
    EXPECT_EQ(file.tag()->title(), TagLib::String());
    EXPECT_EQ(file.tag()->year(), 0u);
    EXPECT_FALSE(file.save());
  }
  EXPECT_EQ(readFile(path), bytes);
  TagLib::Wav::File missing((dir.path() + "/missing.wav").c_str());
  EXPECT_EQ(missing.audioProperties(), nullptr);
  EXPECT_NE(missing.tag(), nullptr);
  // The resolver makes a file object only for a file that opens.
  EXPECT_EQ(TagLib::WavFileTypeResolver().createFile((dir.path() + "/missing.wav").c_str(), true,
                                                     TagLib::AudioProperties::Average), nullptr);
}
