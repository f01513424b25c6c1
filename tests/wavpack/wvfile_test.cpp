// The WavPack file on built bytes: where tags are found, what is presented,
// and every path of save() and remove(), checked byte by byte.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <apefooter.h>
#include <apetag.h>
#include <fileref.h>
#include <id3v1tag.h>
#include <tpropertymap.h>

#include "bytebuilder.h"
#include "hostcalls.h"
#include "tagcheck.h"
#include "tagpair_scenarios.h"
#include "testfiles.h"
#include "common/combinedtag.h"
#include "wavpack/wvfile.h"

using namespace brenvo_test;
using TagLib::WavPack::File;

namespace {

// A first block: "wvpk" header (16-bit stereo, 44100 Hz, 4 s) and payload
// bytes that can never read as a tag identifier.
std::string audio()
{
  ByteBuilder b;
  b.text("wvpk").le32(600).le16(0x410).u8(0).u8(0).le32(44100 * 4).le32(0).le32(44100 * 4)
    .le32(0x04800001).le32(0xDEADBEEF);
  for(int i = 0; i < 600; ++i)
    b.u8(static_cast<std::uint8_t>(0x80 + (i * 7) % 100));
  return b.str();
}

std::string apeTag(const char *title, unsigned int year)
{
  TagLib::APE::Tag tag;
  tag.setTitle(title);
  tag.setArtist("APE artist");
  tag.setYear(year);
  return bytes(tag.render());
}

// The audio first, then the APE tag, then the ID3v1 tag.
struct WavPackFormat
{
  using File = TagLib::WavPack::File;
  static constexpr const char *name = "t.wv";
  static constexpr int richBit = File::APEBit;
  static TagLib::APE::Tag *rich(File &f, bool create) { return f.APETag(create); }
  static std::string richTag(const char *title, unsigned int year) { return apeTag(title, year); }
  static std::string media() { return audio(); }
  static std::string layout(const std::string &ape, const std::string &sound, const std::string &id3v1)
  {
    return sound + ape + id3v1;
  }
};

using Scenarios = TagPairScenarios<WavPackFormat>;
using Disk = Scenarios::Disk;

} // namespace

TEST(WavPackFileSave, EveryCombinationOfTagsAndEdits)
{
  Scenarios::saveEveryCombination();
}

TEST(WavPackFileSave, RemoveLeavesAnEmptyAPETagWhenNoID3v1TagRemains)
{
  Scenarios::removeLeavesAnEmptyRichTag();
}

TEST(WavPackFileSave, APETagIsInsertedBeforeAnID3v1Tag)
{
  TempDir dir;
  const std::string path = dir.write("t.wv", Disk{false, true}.content());
  std::string ape;
  {
    File f(path.c_str());
    EXPECT_EQ(f.tag(), f.ID3v1Tag());
    f.APETag(true)->setTitle(TagLib::String(std::string(500, 'x')));
    EXPECT_NE(dynamic_cast<TagLib::CombinedTag *>(f.tag()), nullptr);
    ASSERT_TRUE(f.save());
    ape = bytes(f.APETag()->render());
    // The ID3v1 location moved by the APE tag's size: a second save must
    // rewrite the last 128 bytes, not the middle of the APE tag.
    f.ID3v1Tag()->setTitle("second");
    ASSERT_TRUE(f.save());
  }
  EXPECT_TRUE(sameBytes(readFile(path), audio() + ape + id3v1Tag("second", 5)));
}

TEST(WavPackFileRead, CombinedTagFallsBackToTheID3v1Tag)
{
  TempDir dir;
  const std::string path = dir.write("t.wv", Disk{true, true}.content());
  File f(path.c_str());
  ASSERT_NE(dynamic_cast<TagLib::CombinedTag *>(f.tag()), nullptr);
  EXPECT_EQ(f.tag()->title(), "rich title");   // both have one: APE wins
  EXPECT_EQ(f.tag()->album(), "v1 album");    // only ID3v1 has one
  EXPECT_EQ(f.tag()->year(), 2010u);
  EXPECT_EQ(f.tag()->track(), 5u);
  f.tag()->setTitle("both");
  EXPECT_EQ(f.APETag()->title(), "both");
  EXPECT_EQ(f.ID3v1Tag()->title(), "both");
}

TEST(WavPackFileRead, PropertiesComeFromTheFirstBlockAndExcludeTheAPETag)
{
  TempDir dir;
  const std::string content = Disk{true, true}.content();
  const std::string path = dir.write("t.wv", content);
  const long apeSize = static_cast<long>(apeTag("rich title", 2010).size());
  {
    File f(path.c_str());
    ASSERT_NE(f.audioProperties(), nullptr);
    EXPECT_EQ(f.audioProperties()->sampleRate(), 44100);
    EXPECT_EQ(f.audioProperties()->channels(), 2);
    EXPECT_EQ(f.audioProperties()->bitsPerSample(), 16);
    EXPECT_EQ(f.audioProperties()->length(), 4);
    EXPECT_EQ(f.audioProperties()->bitrate(), static_cast<int>((static_cast<long>(content.size()) - apeSize) / 125 / 4));
  }
  File noProperties(path.c_str(), false);
  EXPECT_EQ(noProperties.audioProperties(), nullptr);
  EXPECT_EQ(noProperties.tag()->title(), "rich title");
}

// Tag locations from the file are checked before save() may use them.
TEST(WavPackFileRead, APEFooterClaimingMoreThanTheFileHoldsIsNoTag)
{
  // The audio before the footer is 632 bytes.
  const std::pair<unsigned int, bool> claims[] = {
    {5000u, false}, {633u, false}, {601u, true}, {20u, false}, {20u, true}, {0u, false}, {0xFFFFFFF0u, true}};
  for(const auto &[claimed, withHeader] : claims) {
    SCOPED_TRACE(std::to_string(claimed) + (withHeader ? " with header" : ""));
    TagLib::APE::Footer footer;
    footer.setTagSize(claimed);
    footer.setHeaderPresent(withHeader);
    footer.setItemCount(1);
    const std::string bogus = bytes(footer.renderFooter());
    const std::string content = audio() + bogus;
    TempDir dir;
    const std::string path = dir.write("t.wv", content);
    std::string ape;
    {
      File f(path.c_str());
      EXPECT_TRUE(f.tag()->isEmpty());
      EXPECT_EQ(f.ID3v1Tag(), nullptr);
      // No APE size is subtracted from the stream.
      EXPECT_EQ(f.audioProperties()->bitrate(), static_cast<int>(content.size() / 125 / 4));
      f.tag()->setTitle("new");
      ASSERT_TRUE(f.save());
      ape = bytes(f.APETag()->render());
    }
    // Nothing before the end was replaced: the new tag is appended.
    EXPECT_TRUE(sameBytes(readFile(path), content + ape));
  }
}

TEST(WavPackFileRead, APETagFillingAllBytesAfterTheBlockHeaderIsRead)
{
  // 32 bytes of block header, then a tag: the largest size that fits.
  const std::string header = audio().substr(0, 32);
  const std::string content = header + apeTag("fits", 1);
  TempDir dir;
  File f(dir.write("t.wv", content).c_str());
  EXPECT_EQ(f.tag()->title(), "fits");
  EXPECT_EQ(f.audioProperties()->sampleRate(), 44100);
}

TEST(WavPackFileRead, TagInTheAudioBeforeAShortAPETagIsNoID3v1Tag)
{
  // An APE tag shorter than 128 bytes ends the file, and the audio happens to
  // hold "TAG" 128 bytes before the end. The APE footer at the end wins: the
  // title is the APE tag's, and saving rewrites the APE tag, not the audio.
  TagLib::APE::Tag small;
  small.setTitle("t");
  const std::string ape = bytes(small.render());
  ASSERT_LT(ape.size(), 128u);
  std::string sound = audio();
  sound.replace(sound.size() - (128 - ape.size()), 3, "TAG");
  TempDir dir;
  const std::string path = dir.write("t.wv", sound + ape);
  {
    File f(path.c_str());
    EXPECT_EQ(f.ID3v1Tag(), nullptr);
    EXPECT_EQ(f.tag()->title(), "t");
    f.tag()->setTitle("saved");
    ASSERT_TRUE(f.save());
  }
  const std::string written = readFile(path);
  EXPECT_EQ(written.substr(0, sound.size()), sound);
  File again(path.c_str());
  EXPECT_EQ(again.tag()->title(), "saved");
}

TEST(WavPackFileRead, TinyAndGarbageFilesHaveNoTags)
{
  const std::string cases[] = {
    "",
    "wvpk",
    "APETAGEX",
    std::string("TAG") + std::string(100, 'x'),
    std::string(40, '\0') + "TAG" + std::string(125, 'y'),   // 168 bytes: an ID3v1 tag, nothing else
    "APETAGEX" + std::string(24, '\xFF'),
  };
  for(const std::string &content : cases) {
    SCOPED_TRACE(content.size());
    TempDir dir;
    const std::string path = dir.write("t.wv", content);
    {
      File f(path.c_str());
      ASSERT_NE(f.tag(), nullptr);
      EXPECT_EQ(f.audioProperties()->sampleRate(), 0);
      EXPECT_EQ(f.audioProperties()->length(), 0);
      if(content.size() < 128) {
        EXPECT_EQ(f.ID3v1Tag(), nullptr);
      }
      f.remove(3);
      ASSERT_TRUE(f.save());
    }
    // Only an empty APE tag is added; the bytes before stay.
    const std::string written = readFile(path);
    const std::string kept = content.size() == 168 ? content.substr(0, 40) : content;
    EXPECT_EQ(written.substr(0, kept.size()), kept);
    EXPECT_EQ(written.size(), kept.size() + TagLib::APE::Tag().render().size());
  }
}

TEST(WavPackFileRead, MissingFileIsInvalidButStillHasATag)
{
  TempDir dir;
  const std::string path = dir.path() + "/missing.wv";
  File f(path.c_str());
  EXPECT_FALSE(f.isValid());
  ASSERT_NE(f.tag(), nullptr);
  EXPECT_TRUE(f.tag()->isEmpty());
  EXPECT_FALSE(f.save());

  ensurePluginsRegistered();
  EXPECT_TRUE(TagLib::FileRef(path.c_str()).isNull());
}

TEST(WavPackFileRead, ReadOnlyFileIsNotSaved)
{
  Scenarios::readOnlyFileIsNotSaved();
}

TEST(WavPackFileRef, OpensAsOurFileAndServesAHost)
{
  Scenarios::servesAHost("Song.WV");
}
