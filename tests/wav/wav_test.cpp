#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <fileref.h>
#include <tfilestream.h>
#include <tpropertymap.h>

#include "bytebuilder.h"
#include "hostcalls.h"
#include "testfiles.h"
#include "wav/wavfile.h"
#include "tresolvers.h"

using namespace brenvo_test;

namespace {

const char zeroByteRateMessage[] =
  "Error in parsing WavHeader - num_avg_bytes_per_sec should not be 0 - file is corrupted!\n";

// A 16-byte PCM format chunk.
ByteBuilder &formatChunk(ByteBuilder &b, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits)
{
  const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
  return b.text("fmt ").le32(16).le16(1).le16(channels).le32(rate).le32(rate * blockAlign)
          .le16(blockAlign).le16(bits);
}

// The data chunk header claiming \a claimed bytes, followed by \a present bytes.
ByteBuilder &dataChunk(ByteBuilder &b, std::uint32_t claimed, std::size_t present)
{
  return b.text("data").le32(claimed).fill(present, 0x80);
}

// "RIFF", the form size (not read) and "WAVE".
ByteBuilder riff()
{
  ByteBuilder b;
  b.text("RIFF").le32(0).text("WAVE");
  return b;
}

// The canonical 44-byte header with its data.
std::string canonical(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::uint32_t dataBytes)
{
  ByteBuilder b = riff();
  formatChunk(b, channels, rate, bits);
  dataChunk(b, dataBytes, dataBytes);
  return b.str();
}

struct Values
{
  int length, bitrate, sampleRate, channels;
};

class WavTest : public ::testing::Test
{
protected:
  std::unique_ptr<TagLib::Wav::File> open(const std::string &bytes, bool readProperties = true)
  {
    const std::string path = dir.write("sound.wav", bytes);
    return std::make_unique<TagLib::Wav::File>(path.c_str(), readProperties, TagLib::AudioProperties::Average);
  }

  static void expectValues(const TagLib::Wav::File &file, Values v)
  {
    const TagLib::Wav::Properties *p = file.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->length(), v.length);
    EXPECT_EQ(p->bitrate(), v.bitrate);
    EXPECT_EQ(p->sampleRate(), v.sampleRate);
    EXPECT_EQ(p->channels(), v.channels);
  }

  TempDir dir;
};

} // namespace

TEST_F(WavTest, CanonicalHeaderGivesTheFourFields)
{
  StderrCapture capture;
  auto file = open(canonical(2, 44100, 16, 10 * 4 * 44100));
  EXPECT_TRUE(file->isOpen());
  expectValues(*file, {10, 1411, 44100, 2});
  auto shortOfTen = open(canonical(2, 44100, 16, 10 * 4 * 44100 - 1));
  expectValues(*shortOfTen, {9, 1411, 44100, 2});
  EXPECT_EQ(capture.text(), "");
}

TEST_F(WavTest, LayoutsAndTheirValues)
{
  // Other chunks before and between, one of odd size with its pad byte.
  ByteBuilder between = riff();
  between.text("JUNK").le32(5).text("junk!").u8(0);
  formatChunk(between, 1, 8000, 8);
  between.text("LIST").le32(12).text("INFOISFT").le32(0);
  between.text("fact").le32(4).le32(24000);
  dataChunk(between, 24000, 24000);

  ByteBuilder reversed = riff();
  dataChunk(reversed, 16000, 16000);
  formatChunk(reversed, 1, 8000, 8);

  // 24-bit and multichannel files have a 40-byte format chunk.
  ByteBuilder extensible = riff();
  extensible.text("fmt ").le32(40).le16(0xFFFE).le16(6).le32(48000).le32(48000 * 18).le16(18).le16(24)
            .le16(22).le16(24).le32(0x3F).fill(16, 0x11);
  dataChunk(extensible, 48000 * 18 * 2, 48000 * 18 * 2);

  ByteBuilder twice = riff();
  formatChunk(twice, 1, 8000, 8);
  dataChunk(twice, 8000, 8000);
  formatChunk(twice, 2, 44100, 16);
  dataChunk(twice, 4, 4);

  std::string truncated = canonical(1, 8000, 8, 5 * 8000);
  truncated.resize(44 + 2 * 8000 + 10);

  ByteBuilder unknownSize = riff();
  formatChunk(unknownSize, 1, 8000, 8);
  dataChunk(unknownSize, 0xFFFFFFFFu, 3 * 8000);

  // The byte rate times 8 wraps at 2^32: 0x20000000 * 8 = 0.
  ByteBuilder wrapping = riff();
  wrapping.text("fmt ").le32(16).le16(1).le16(2).le32(44100).le32(0x20000000u).le16(4).le16(16);
  dataChunk(wrapping, 100, 100);

  const struct
  {
    const char *what;
    std::string bytes;
    Values values;
  } rows[] = {
    {"chunks between", between.str(), {3, 64, 8000, 1}},
    {"data before format", reversed.str(), {2, 64, 8000, 1}},
    {"extensible format", extensible.str(), {2, 6912, 48000, 6}},
    {"only the first format and data count", twice.str(), {1, 64, 8000, 1}},
    {"data cut short", truncated, {2, 64, 8000, 1}},
    {"data size never filled in", unknownSize.str(), {3, 64, 8000, 1}},
    {"bit rate in 32 bits", wrapping.str(), {0, 0, 44100, 2}},
  };
  for(const auto &row : rows) {
    SCOPED_TRACE(row.what);
    expectValues(*open(row.bytes), row.values);
  }
}

TEST_F(WavTest, WithoutBothChunksEveryValueIsZero)
{
  StderrCapture capture;
  ByteBuilder noData = riff();
  formatChunk(noData, 2, 44100, 16);
  noData.text("LIST").le32(1000).fill(1000);
  expectValues(*open(noData.str()), {0, 0, 0, 0});

  ByteBuilder noFormat = riff();
  dataChunk(noFormat, 1000, 1000);
  expectValues(*open(noFormat.str()), {0, 0, 0, 0});

  // A format chunk too short for the fields.
  ByteBuilder shortFormat = riff();
  shortFormat.text("fmt ").le32(10).le16(1).le16(2).le32(44100).le16(0);
  dataChunk(shortFormat, 1000, 1000);
  expectValues(*open(shortFormat.str()), {0, 0, 0, 0});

  // A chunk whose size runs past the end hides everything behind it.
  ByteBuilder oversized = riff();
  oversized.text("JUNK").le32(0xFFFFFFF0u).fill(8);
  formatChunk(oversized, 2, 44100, 16);
  dataChunk(oversized, 16, 16);
  expectValues(*open(oversized.str()), {0, 0, 0, 0});

  // Files that end inside the header or the format chunk.
  for(std::size_t size : {std::size_t(0), std::size_t(12), std::size_t(30), std::size_t(43)})
    expectValues(*open(canonical(2, 44100, 16, 0).substr(0, size)), {0, 0, 0, 0});
  EXPECT_EQ(capture.text(), "");
}

TEST_F(WavTest, ZeroByteRateIsReportedAndGivesNoLength)
{
  ByteBuilder b = riff();
  b.text("fmt ").le32(16).le16(1).le16(2).le32(44100).le32(0).le16(4).le16(16);
  dataChunk(b, 1000, 1000);
  StderrCapture capture;
  auto file = open(b.str());
  EXPECT_EQ(capture.text(), zeroByteRateMessage);
  expectValues(*file, {0, 0, 44100, 2});
}

TEST_F(WavTest, PropertiesStayZeroWhenNotRead)
{
  auto file = open(canonical(2, 44100, 16, 4 * 44100), false);
  expectValues(*file, {0, 0, 0, 0});
}

TEST_F(WavTest, TheTagIsEmptyAndCannotBeChanged)
{
  auto file = open(canonical(2, 44100, 16, 4 * 44100));
  TagLib::Tag *tag = file->tag();
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag, file->getWavTag());
  tag->setTitle("title");
  tag->setArtist("artist");
  tag->setAlbum("album");
  tag->setComment("comment");
  tag->setGenre("genre");
  tag->setYear(2000);
  tag->setTrack(3);
  EXPECT_TRUE(tag->isEmpty());
  EXPECT_TRUE(tag->title().isEmpty());
  EXPECT_TRUE(tag->artist().isEmpty());
  EXPECT_TRUE(tag->album().isEmpty());
  EXPECT_TRUE(tag->comment().isEmpty());
  EXPECT_TRUE(tag->genre().isEmpty());
  EXPECT_EQ(tag->year(), 0u);
  EXPECT_EQ(tag->track(), 0u);
  EXPECT_TRUE(file->properties().isEmpty());
  EXPECT_FALSE(file->save());
}

TEST_F(WavTest, SaveWritesNothing)
{
  const std::string bytes = canonical(1, 8000, 8, 800);
  const std::string path = dir.write("keep.wav", bytes);
  {
    ensurePluginsRegistered();
    TagLib::FileRef ref(path.c_str());
    ASSERT_NE(dynamic_cast<TagLib::Wav::File *>(ref.file()), nullptr);
    ref.tag()->setTitle("changed");
    EXPECT_FALSE(ref.save());
  }
  EXPECT_EQ(readFile(path), bytes);
}

TEST_F(WavTest, AFileWithoutAStreamHasNoProperties)
{
  TagLib::Wav::File file((dir.path() + "/missing.wav").c_str(), true, TagLib::AudioProperties::Average);
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(file.audioProperties(), nullptr);
  EXPECT_NE(file.tag(), nullptr);
}

TEST_F(WavTest, ABorrowedStreamReadsAsThePath)
{
  StderrCapture capture;
  ByteBuilder zeroRate = riff();
  zeroRate.text("fmt ").le32(16).le16(1).le16(2).le32(44100).le32(0).le16(4).le16(16);
  dataChunk(zeroRate, 1000, 1000);
  const std::string paths[] = {
    dataPath("wav/list.wav"), dataPath("wav/surround.wav"),
    dir.write("zero-rate.wav", zeroRate.str()), dir.write("junk.wav", std::string(300, 'j')),
  };
  for(const std::string &path : paths) {
    for(bool readProperties : {true, false}) {
      SCOPED_TRACE(path + (readProperties ? "" : " without properties"));
      TagLib::Wav::File byPath(path.c_str(), readProperties);
      TagLib::FileStream stream(path.c_str(), true);
      TagLib::Wav::File byStream(&stream, readProperties);
      const TagLib::Wav::Properties *p = byPath.audioProperties();
      ASSERT_NE(p, nullptr);
      expectValues(byStream, {p->length(), p->bitrate(), p->sampleRate(), p->channels()});
      EXPECT_EQ(std::string(byStream.name()), path);
      EXPECT_TRUE(byStream.tag()->isEmpty());
      EXPECT_FALSE(byStream.save());
    }
  }
  // Both ways report the zero byte rate.
  EXPECT_NE(capture.text(), "");
}

TEST_F(WavTest, ResolverTakesDotWavAndOpensTheStreamFirst)
{
  TagLib::WavFileTypeResolver resolver;
  EXPECT_EQ(resolver.createFile((dir.path() + "/missing.wav").c_str(), true, TagLib::AudioProperties::Average), nullptr);

  const std::string bytes = canonical(1, 8000, 8, 8000);
  for(const std::string name : {"a.wav", "B.WAV", "c.Wav"}) {
    std::unique_ptr<TagLib::File> file(resolver.createFile(dir.write(name, bytes).c_str(), true,
                                                           TagLib::AudioProperties::Average));
    auto *wav = dynamic_cast<TagLib::Wav::File *>(file.get());
    ASSERT_NE(wav, nullptr) << name;
    EXPECT_NE(wav->tag(), nullptr);
    EXPECT_EQ(wav->audioProperties()->length(), 1);
  }
  for(const std::string name : {"d.wave", "e.wav.part", "f.wv"})
    EXPECT_EQ(resolver.createFile(dir.write(name, bytes).c_str(), true, TagLib::AudioProperties::Average), nullptr) << name;

  // Garbage is still a file object with a tag.
  std::unique_ptr<TagLib::File> junk(resolver.createFile(dir.write("junk.wav", std::string(300, 'j')).c_str(), true,
                                                         TagLib::AudioProperties::Average));
  ASSERT_NE(junk, nullptr);
  EXPECT_NE(junk->tag(), nullptr);
  EXPECT_EQ(junk->audioProperties()->length(), 0);
}

// Expected values from ffprobe (see tests/data/wav/make.sh): whole seconds of
// duration, bit_rate / 1000, sample_rate, channels.
TEST(WavSamples, FfmpegFilesInEveryLayout)
{
  ensurePluginsRegistered();
  struct Sample
  {
    const char *name;
    Values values;
  };
  const Sample samples[] = {
    {"wav/canonical.wav", {2, 64, 8000, 1}},
    {"wav/list.wav", {1, 64, 8000, 1}},
    {"wav/s24.wav", {1, 96, 2000, 2}},
    {"wav/surround.wav", {1, 192, 2000, 6}},
  };
  for(const Sample &s : samples) {
    SCOPED_TRACE(s.name);
    TagLib::FileRef ref(dataPath(s.name).c_str());
    ASSERT_NE(dynamic_cast<TagLib::Wav::File *>(ref.file()), nullptr);
    TagLib::AudioProperties *p = ref.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->length(), s.values.length);
    EXPECT_EQ(p->bitrate(), s.values.bitrate);
    EXPECT_EQ(p->sampleRate(), s.values.sampleRate);
    EXPECT_EQ(p->channels(), s.values.channels);
    EXPECT_TRUE(ref.tag()->isEmpty());
  }
  // The canonical file really is the 44-byte layout the fixed offsets describe.
  EXPECT_EQ(readFile(dataPath("wav/canonical.wav")).size(), 44u + 18000u);
}
