// Files made by ffmpeg and tagged by mutagen and AtomicParsley
// (tests/data/m4a/make.sh): every value reads back as the script wrote it.
#include <gtest/gtest.h>

#include <cstdlib>

#include <fileref.h>
#include <tbytevectorstream.h>

#include "common/fdstream.h"
#include "hostcalls.h"
#include "m4a/mp4file.h"
#include "mp4testfile.h"

using brenvo_test::dataPath;
using mp4test::bytesReadSoFar;
using TagLib::String;

namespace {

struct Expected
{
  const char *name;
  int length, bitrate, sampleRate, channels;
};

// Rates, channels and lengths as ffprobe reports them (tests/data/m4a/ffprobe.txt);
// the bit rate is the encoder's average in kbit/s, rounded down. ALAC
// streams have no descriptor with a bit rate.
const Expected samples[] = {
  {"aac-stereo-44k-faststart.m4a", 1, 63, 44100, 2},
  {"aac-mono-22k.m4a", 1, 33, 22050, 1},
  {"aac-stereo-48k.m4a", 1, 96, 48000, 2},
  {"aac-stereo-96k.m4a", 1, 63, 96000, 2},
  {"alac-mono-44k.m4a", 1, 0, 44100, 1},
};

String utf8(const char *text)
{
  return String(text, String::UTF8);
}

//! Every field of the tag and the audio properties, for comparing two reads of one file.
std::string describe(const TagLib::MP4::File &f)
{
  const TagLib::MP4::Tag *t = f.tag();
  const TagLib::AudioProperties *p = f.audioProperties();
  const TagLib::ByteVector cover = t->cover();
  return (t->title() + "|" + t->artist() + "|" + t->album() + "|" + t->comment() + "|" + t->genre() + "|" +
          t->composer() + "|" + t->grouping()).to8Bit(true) +
         "|" + std::to_string(t->year()) + "|" + std::to_string(t->track()) + "|" + std::to_string(t->disk()) +
         "|" + std::to_string(t->bpm()) + "|" + std::string(cover.data(), cover.size()) + "|" +
         std::to_string(p->length()) + "|" + std::to_string(p->bitrate()) + "|" + std::to_string(p->sampleRate()) +
         "|" + std::to_string(p->channels());
}

} // namespace

TEST(Mp4RealFiles, Properties)
{
  for(const Expected &e : samples) {
    TagLib::MP4::File f(dataPath(std::string("m4a/") + e.name).c_str());
    const TagLib::AudioProperties *p = f.audioProperties();
    EXPECT_EQ(e.length, p->length()) << e.name;
    EXPECT_EQ(e.bitrate, p->bitrate()) << e.name;
    EXPECT_EQ(e.sampleRate, p->sampleRate()) << e.name;
    EXPECT_EQ(e.channels, p->channels()) << e.name;
  }
}

TEST(Mp4RealFiles, TagsWrittenByFfmpeg)
{
  TagLib::MP4::File f(dataPath("m4a/aac-stereo-44k-faststart.m4a").c_str());
  const TagLib::MP4::Tag *t = f.tag();
  EXPECT_EQ(String("Faststart Title"), t->title());
  EXPECT_EQ(String("Some Artist"), t->artist());
  EXPECT_EQ(String("An Album"), t->album());
  EXPECT_EQ(String("made by ffmpeg"), t->comment());
  EXPECT_EQ(String("Jazz"), t->genre());
  EXPECT_EQ(2019u, t->year());
  EXPECT_EQ(3u, t->track());
  EXPECT_EQ(1u, t->disk());
  EXPECT_EQ(String("A Composer"), t->composer());
  EXPECT_EQ(String("Group A"), t->grouping());
  EXPECT_EQ(0u, t->bpm());
  EXPECT_TRUE(t->cover().isEmpty());
}

TEST(Mp4RealFiles, TagsWrittenByMutagen)
{
  // Non-ASCII text everywhere, and a cover item holding two images.
  TagLib::MP4::File f(dataPath("m4a/aac-mono-22k.m4a").c_str());
  const TagLib::MP4::Tag *t = f.tag();
  EXPECT_EQ(utf8("Ünïcödé – 日本語"), t->title());
  EXPECT_EQ(utf8("Björk"), t->artist());
  EXPECT_EQ(utf8("Ælbum"), t->album());
  EXPECT_EQ(String("tagged by mutagen"), t->comment());
  EXPECT_EQ(utf8("Électronique"), t->genre());
  EXPECT_EQ(2004u, t->year());
  EXPECT_EQ(5u, t->track());
  EXPECT_EQ(2u, t->disk());
  EXPECT_EQ(120u, t->bpm());
  EXPECT_EQ(utf8("Antonín Dvořák"), t->composer());
  // Written after the two-image cover item.
  EXPECT_EQ(utf8("Grüppe"), t->grouping());
  const std::string png = brenvo_test::readFile(dataPath("m4a/cover.png"));
  EXPECT_EQ(TagLib::ByteVector(png.data(), static_cast<unsigned int>(png.size())), t->cover());
}

TEST(Mp4RealFiles, NumericGenreUntaggedAndAlac)
{
  // AtomicParsley wrote the genre as a number.
  TagLib::MP4::File numeric(dataPath("m4a/aac-stereo-48k.m4a").c_str());
  EXPECT_EQ(String("Forty-Eight"), numeric.tag()->title());
  EXPECT_EQ(String("Rock"), numeric.tag()->genre());
  TagLib::MP4::File untagged(dataPath("m4a/aac-stereo-96k.m4a").c_str());
  EXPECT_TRUE(untagged.tag()->isEmpty());
  TagLib::MP4::File alac(dataPath("m4a/alac-mono-44k.m4a").c_str());
  EXPECT_EQ(String("Lossless"), alac.tag()->title());
}

TEST(Mp4RealFiles, OpenedThroughFileRef)
{
  brenvo_test::ensurePluginsRegistered();
  TagLib::FileRef ref(dataPath("m4a/aac-mono-22k.m4a").c_str());
  ASSERT_FALSE(ref.isNull());
  auto *mp4 = dynamic_cast<TagLib::MP4::File *>(ref.file());
  ASSERT_NE(nullptr, mp4);
  EXPECT_EQ(utf8("Björk"), ref.tag()->artist());
  EXPECT_EQ(22050, ref.audioProperties()->sampleRate());
  EXPECT_EQ(utf8("Antonín Dvořák"), mp4->tag()->composer());
  EXPECT_FALSE(ref.save());
}

TEST(Mp4RealFiles, ReadThroughABorrowedStream)
{
  for(const Expected &e : samples) {
    const std::string path = dataPath(std::string("m4a/") + e.name);
    const std::string bytes = brenvo_test::readFile(path);
    const std::string expected = describe(TagLib::MP4::File(path.c_str()));
    TagLib::ByteVector data(bytes.data(), static_cast<unsigned int>(bytes.size()));
    TagLib::ByteVectorStream memory(data);
    TagLib::DescriptorStream descriptor(path.c_str());
    for(TagLib::IOStream *stream : {static_cast<TagLib::IOStream *>(&memory), static_cast<TagLib::IOStream *>(&descriptor)}) {
      // Read from the start, wherever the stream stood.
      stream->seek(0, TagLib::IOStream::End);
      {
        TagLib::MP4::File f(stream);
        EXPECT_TRUE(f.isValid()) << e.name;
        EXPECT_EQ(expected, describe(f)) << e.name;
        EXPECT_FALSE(f.save()) << e.name;
      }
      // Borrowed: the stream outlives the file, open and unchanged.
      ASSERT_TRUE(stream->isOpen()) << e.name;
      stream->seek(0);
      EXPECT_EQ(TagLib::ByteVector(data.data(), 64), stream->readBlock(64)) << e.name;
    }
  }
}

TEST(Mp4RealFiles, OpeningReadsNoMediaData)
{
  if(!brenvo_test::haveProgram("ffmpeg"))
    GTEST_SKIP() << "ffmpeg is not installed";
  // Two files alike but for their length, media data before the movie box,
  // both longer than two read-ahead windows.
  brenvo_test::TempDir dir;
  long read[2] = {0, 0};
  const int seconds[2] = {30, 60};
  for(int i = 0; i < 2; ++i) {
    const std::string path = dir.path() + "/long" + std::to_string(seconds[i]) + ".m4a";
    const std::string command = "ffmpeg -v error -y -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" +
                                std::to_string(seconds[i]) + " -ac 2 -c:a aac -b:a 64k -metadata title=T '" + path + "'";
    ASSERT_EQ(0, std::system(command.c_str()));
    const long before = bytesReadSoFar();
    {
      TagLib::MP4::File f(path.c_str());
      EXPECT_EQ(String("T"), f.tag()->title());
      EXPECT_EQ(seconds[i], f.audioProperties()->length());
    }
    read[i] = bytesReadSoFar() - before;
  }
  RecordProperty("bytes_read_30s", static_cast<int>(read[0]));
  RecordProperty("bytes_read_60s", static_cast<int>(read[1]));
  // The window at the start of the file and the one holding the movie box.
  EXPECT_LT(read[1], static_cast<long>(3 * TagLib::DescriptorStream::windowSize))
    << "the 60 s file holds about 480 KB of media data";
  EXPECT_LE(std::labs(read[1] - read[0]), 300) << read[0] << " and " << read[1] << " bytes";
}
