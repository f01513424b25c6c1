// The TrueAudio files made by ffmpeg's TTA encoder and tagged by mutagen
// (tests/data/trueaudio/make.sh): values read, and saves that leave the
// audio decodable and unchanged.
#include <gtest/gtest.h>

#include <fileref.h>
#include <id3v1tag.h>
#include <id3v2header.h>
#include <id3v2tag.h>

#include "../wavpack/sampledecode.h"
#include "../wavpack/tagcheck.h"
#include "hostcalls.h"
#include "testfiles.h"
#include "trueaudio/ttafile.h"

using namespace brenvo_test;
using TagLib::TTA::File;

namespace {

struct Sample
{
  const char *name;
  int sampleRate, channels, bitsPerSample, length;
  bool id3v2, id3v1;
  Fields tag;   // what tag() presents
};

// Values from make.sh; properties as ffprobe and mutagen report them, with
// the length truncated to whole seconds.
const Sample samples[] = {
  {"stereo16-notag.tta", 44100, 2, 16, 1, false, false, {"", "", "", "", "", 0, 0}},
  {"mono24-id3v2-id3v1.tta", 16000, 1, 24, 1, true, true,
   {"Mono Twentyfour", "Brenvo Tests", "Samples", "made by mutagen", "", 2022, 4}},
  {"mono16-id3v2.tta", 22050, 1, 16, 1, true, false,   // 1.9 s
   {"Mono Sixteen", "Brenvo Tests", "Samples", "made by mutagen", "", 2020, 2}},
  {"stereo24-id3v1.tta", 32000, 2, 24, 0, false, true,   // 0.5 s
   {"Only ID3v1", "Someone", "Samples", "", "", 2003, 12}},
};

// The stream's bytes, found without the code under test: after an ID3v2
// tag, before an ID3v1 tag.
std::string streamOf(const std::string &file)
{
  std::size_t begin = 0;
  std::size_t end = file.size();
  if(file.compare(0, 3, "ID3") == 0)
    begin = TagLib::ID3v2::Header(TagLib::ByteVector(file.data(), 10)).completeTagSize();
  if(end >= 128 && file.compare(end - 128, 3, "TAG") == 0)
    end -= 128;
  return file.substr(begin, end - begin);
}

std::string ttaDecoded(const std::string &path, const std::string &dir)
{
  const std::string out = dir + "/decoded.raw";
  return decodedBy("ffmpeg -v error -y -i " + shellQuoted(path) + " -map 0:a -c:a pcm_s32le -f s32le " +
                   shellQuoted(out), out);
}

} // namespace

TEST(TTASamples, ReadPropertiesAndTags)
{
  ensurePluginsRegistered();
  for(const Sample &s : samples) {
    SCOPED_TRACE(s.name);
    const std::string path = dataPath(std::string("trueaudio/") + s.name);
    const std::string content = readFile(path);
    File f(path.c_str());
    ASSERT_TRUE(f.isValid());
    const TagLib::TTA::Properties *p = f.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ttaVersion(), 1);
    EXPECT_EQ(p->sampleRate(), s.sampleRate);
    EXPECT_EQ(p->channels(), s.channels);
    EXPECT_EQ(p->bitsPerSample(), s.bitsPerSample);
    EXPECT_EQ(p->length(), s.length);
    // The bit rate counts the stream without its tags, over the exact duration.
    EXPECT_NEAR(p->bitrate(), static_cast<double>(streamOf(content).size()) * 8 / p->lengthInMilliseconds(), 0.5);
    EXPECT_EQ(Fields::of(f.tag()), s.tag);
    EXPECT_EQ(f.ID3v1Tag() != nullptr, s.id3v1);
    EXPECT_EQ(f.ID3v2Tag() != nullptr, s.id3v2 || !s.id3v1);

    TagLib::FileRef ref(path.c_str());
    EXPECT_NE(dynamic_cast<File *>(ref.file()), nullptr);
  }
}

// Tags saved into real files: the stream bytes stay as they were, the tags
// read back, and ffmpeg still decodes the same samples.
TEST(TTASamples, SavedFilesKeepTheirAudio)
{
  const bool canDecode = haveProgram("ffmpeg");
  for(const Sample &s : samples) {
    TempDir work;
    const std::string before = canDecode ? ttaDecoded(dataPath(std::string("trueaudio/") + s.name), work.path()) : "";
    ASSERT_TRUE(!canDecode || !before.empty());
    for(int removeBits : {0, 1, 2, 3}) {
      SCOPED_TRACE(std::string(s.name) + " remove " + std::to_string(removeBits));
      TempDir dir;
      const std::string original = readFile(dataPath(std::string("trueaudio/") + s.name));
      const std::string path = dir.write("saved.tta", original);
      {
        File f(path.c_str());
        f.remove(removeBits);
        f.tag()->setTitle("Saved title");
        f.tag()->setArtist(TagLib::String("Dvořák", TagLib::String::UTF8));
        f.tag()->setYear(2030);
        ASSERT_TRUE(f.save());
      }
      const std::string saved = readFile(path);
      EXPECT_TRUE(sameBytes(streamOf(saved), streamOf(original)));
      const bool v1Left = s.id3v1 && !(removeBits & 1);
      const bool v2Left = (s.id3v2 && !(removeBits & 2)) || !v1Left;
      EXPECT_EQ(saved.compare(0, 3, "ID3") == 0, v2Left);
      EXPECT_EQ(saved.compare(saved.size() - 128, 3, "TAG") == 0, v1Left);

      File fresh(path.c_str());
      EXPECT_EQ(fresh.tag()->title(), "Saved title");
      EXPECT_EQ(fresh.tag()->year(), 2030u);
      EXPECT_EQ(fresh.ID3v1Tag() != nullptr, v1Left);
      if(v2Left) {
        EXPECT_EQ(fresh.ID3v2Tag()->artist(), TagLib::String("Dvořák", TagLib::String::UTF8));
      }
      EXPECT_EQ(fresh.audioProperties()->sampleRate(), s.sampleRate);

      if(canDecode) {
        EXPECT_TRUE(sameBytes(ttaDecoded(path, work.path()), before)) << "decoded audio differs";
      }
    }
  }
  if(!canDecode)
    GTEST_SKIP() << "ffmpeg not found: decoded audio not compared";
}
