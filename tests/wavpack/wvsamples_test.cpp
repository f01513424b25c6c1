// The WavPack files made by the wavpack encoder (tests/data/wavpack/make.sh):
// values read, and saves that leave the audio decodable and unchanged.
#include <gtest/gtest.h>

#include <apefooter.h>
#include <apetag.h>
#include <fileref.h>
#include <id3v1tag.h>

#include "hostcalls.h"
#include "sampledecode.h"
#include "tagcheck.h"
#include "testfiles.h"
#include "wavpack/wvfile.h"

using namespace brenvo_test;
using TagLib::WavPack::File;

namespace {

struct Sample
{
  const char *name;
  int sampleRate, channels, bitsPerSample, length;
  bool ape, id3v1;
  Fields tag;   // what tag() presents
};

// Values from make.sh; properties as ffprobe and mutagen report them.
const Sample samples[] = {
  {"stereo16-ape.wv", 44100, 2, 16, 1, true, false,
   {"Stereo Sixteen", "Brenvo Tests", "Samples", "", "Ambient", 2021, 3}},
  {"mono24-ape-id3v1.wv", 48000, 1, 24, 1, true, true,
   {"Mono Twentyfour", "Brenvo Tests", "", "", "", 2022, 7}},   // track from the ID3v1 tag
  {"mono16-id3v1.wv", 22050, 1, 16, 1, false, true,
   {"Only ID3v1", "Someone", "", "", "", 2003, 12}},
  {"stereo24-notag.wv", 32000, 2, 24, 1, false, false,   // 0.5 s rounds up
   {"", "", "", "", "", 0, 0}},
};

// Where the audio ends, found without the code under test: an ID3v1 tag is
// the last 128 bytes, an APE footer the 32 bytes before.
std::size_t audioEnd(const std::string &file)
{
  std::size_t end = file.size();
  if(end >= 128 && file.compare(end - 128, 3, "TAG") == 0)
    end -= 128;
  if(end >= 32 && file.compare(end - 32, 8, "APETAGEX") == 0) {
    const TagLib::APE::Footer footer(TagLib::ByteVector(file.data() + end - 32, 32));
    end -= footer.completeTagSize();
  }
  return end;
}

std::string wvDecoded(const std::string &path, const std::string &dir)
{
  const std::string out = dir + "/decoded.raw";
  return decodedBy("wvunpack -q -y --raw " + shellQuoted(path) + " -o " + shellQuoted(out), out);
}

} // namespace

TEST(WavPackSamples, ReadPropertiesAndTags)
{
  ensurePluginsRegistered();
  for(const Sample &s : samples) {
    SCOPED_TRACE(s.name);
    const std::string path = dataPath(std::string("wavpack/") + s.name);
    const std::string content = readFile(path);
    File f(path.c_str());
    ASSERT_TRUE(f.isValid());
    const TagLib::WavPack::Properties *p = f.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->sampleRate(), s.sampleRate);
    EXPECT_EQ(p->channels(), s.channels);
    EXPECT_EQ(p->bitsPerSample(), s.bitsPerSample);
    EXPECT_EQ(p->length(), s.length);
    EXPECT_GE(p->version(), 0x402);
    // The bit rate counts the audio without the tags, over the exact duration.
    EXPECT_NEAR(p->bitrate(), static_cast<double>(audioEnd(content)) * 8 / p->lengthInMilliseconds(), 0.5);
    EXPECT_EQ(Fields::of(f.tag()), s.tag);
    EXPECT_EQ(f.ID3v1Tag() != nullptr, s.id3v1);
    EXPECT_EQ(f.APETag() != nullptr, s.ape || !s.id3v1);

    TagLib::FileRef ref(path.c_str());
    EXPECT_NE(dynamic_cast<File *>(ref.file()), nullptr);
  }
}

// Tags saved into real files: the audio bytes stay where they were, the tags
// read back, and the encoder's own decoder still decodes the same samples.
TEST(WavPackSamples, SavedFilesKeepTheirAudio)
{
  const bool canDecode = haveProgram("wvunpack");
  for(const Sample &s : samples) {
    TempDir work;
    const std::string before = canDecode ? wvDecoded(dataPath(std::string("wavpack/") + s.name), work.path()) : "";
    ASSERT_TRUE(!canDecode || !before.empty());
    for(int removeBits : {0, 1, 2, 3}) {
      SCOPED_TRACE(std::string(s.name) + " remove " + std::to_string(removeBits));
      TempDir dir;
      const std::string original = readFile(dataPath(std::string("wavpack/") + s.name));
      const std::string path = dir.write("saved.wv", original);
      {
        File f(path.c_str());
        f.remove(removeBits);
        f.tag()->setTitle("Saved title");
        f.tag()->setArtist(TagLib::String("Dvořák", TagLib::String::UTF8));
        f.tag()->setYear(2030);
        ASSERT_TRUE(f.save());
      }
      const std::string saved = readFile(path);
      const std::size_t end = audioEnd(original);
      EXPECT_EQ(audioEnd(saved), end);
      EXPECT_EQ(saved.substr(0, end), original.substr(0, end));
      const bool v1Left = s.id3v1 && !(removeBits & 1);
      const bool apeLeft = (s.ape && !(removeBits & 2)) || !v1Left;
      EXPECT_EQ(saved.size() - (v1Left ? 128 : 0) > end, apeLeft);
      EXPECT_EQ(saved.compare(saved.size() - 128, 3, "TAG") == 0, v1Left);

      File fresh(path.c_str());
      EXPECT_EQ(fresh.tag()->title(), "Saved title");
      EXPECT_EQ(fresh.tag()->year(), 2030u);
      EXPECT_EQ(fresh.ID3v1Tag() != nullptr, v1Left);
      if(apeLeft) {
        EXPECT_EQ(fresh.APETag()->artist(), TagLib::String("Dvořák", TagLib::String::UTF8));
      }
      EXPECT_EQ(fresh.audioProperties()->sampleRate(), s.sampleRate);

      if(canDecode) {
        EXPECT_TRUE(sameBytes(wvDecoded(path, work.path()), before)) << "decoded audio differs";
        EXPECT_EQ(std::system(("wvunpack -q -v " + shellQuoted(path) + " >/dev/null 2>&1").c_str()), 0);
      }
    }
  }
  if(!canDecode)
    GTEST_SKIP() << "wvunpack not found: decoded audio not compared";
}
