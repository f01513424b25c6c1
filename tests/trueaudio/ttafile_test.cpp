// The TrueAudio file on built bytes: where tags are found, what is
// presented, and every path of save() and remove(), checked byte by byte.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fileref.h>
#include <id3v1tag.h>
#include <id3v2framefactory.h>
#include <id3v2tag.h>
#include <textidentificationframe.h>
#include <tpropertymap.h>

#include "../wavpack/tagcheck.h"
#include "../wavpack/tagpair_scenarios.h"
#include "bytebuilder.h"
#include "hostcalls.h"
#include "testfiles.h"
#include "trueaudio/ttafile.h"
#include "common/combinedtag.h"

using namespace brenvo_test;
using TagLib::TTA::File;

namespace {

// The TTA stream: an 18-byte header (stereo, 16 bits, 44100 Hz, 4 s) and
// frame bytes that can never read as a tag identifier.
std::string stream()
{
  ByteBuilder b;
  b.text("TTA1").le16(1).le16(2).le16(16).le32(44100).le32(44100 * 4).le32(0xCAFEBABE);
  for(int i = 0; i < 700; ++i)
    b.u8(static_cast<std::uint8_t>(0x80 + (i * 11) % 120));
  return b.str();
}

std::string id3v2Tag(const char *title, unsigned int year)
{
  TagLib::ID3v2::Tag tag;
  tag.setTitle(title);
  tag.setArtist("v2 artist");
  tag.setYear(year);
  return bytes(tag.render());
}

// The ID3v2 tag first, then the stream, then the ID3v1 tag.
struct TTAFormat
{
  using File = TagLib::TTA::File;
  static constexpr const char *name = "t.tta";
  static constexpr int richBit = File::ID3v2Bit;
  static TagLib::ID3v2::Tag *rich(File &f, bool create) { return f.ID3v2Tag(create); }
  static std::string richTag(const char *title, unsigned int year) { return id3v2Tag(title, year); }
  static std::string media() { return stream(); }
  static std::string layout(const std::string &id3v2, const std::string &sound, const std::string &id3v1)
  {
    return id3v2 + sound + id3v1;
  }
};

using Scenarios = TagPairScenarios<TTAFormat>;
using Disk = Scenarios::Disk;

// A factory that stands out: its text frames are turned to UTF-16.
class Utf16FrameFactory : public TagLib::ID3v2::FrameFactory
{
public:
  Utf16FrameFactory() { setDefaultTextEncoding(TagLib::String::UTF16); }
};

TagLib::String::Type titleEncoding(TagLib::ID3v2::Tag *tag)
{
  const TagLib::ID3v2::FrameList frames = tag->frameList("TIT2");
  if(frames.isEmpty())
    return TagLib::String::UTF8;
  auto *frame = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame *>(frames.front());
  return frame ? frame->textEncoding() : TagLib::String::UTF8;
}

} // namespace

TEST(TTAFileSave, EveryCombinationOfTagsAndEdits)
{
  Scenarios::saveEveryCombination();
}

TEST(TTAFileSave, RemoveLeavesAnEmptyID3v2TagWhenNoID3v1TagRemains)
{
  Scenarios::removeLeavesAnEmptyRichTag();
}

TEST(TTAFileSave, ID3v1LocationFollowsAGrowingID3v2Tag)
{
  TempDir dir;
  const std::string path = dir.write("t.tta", Disk{true, true}.content());
  std::string v2;
  {
    File f(path.c_str());
    ASSERT_NE(dynamic_cast<TagLib::CombinedTag *>(f.tag()), nullptr);
    f.tag()->setYear(1999);   // both tags
    f.ID3v2Tag()->setComment(TagLib::String(std::string(5000, 'c')));
    ASSERT_TRUE(f.save());
    // A second save must find the ID3v1 tag where the first one put it.
    f.ID3v1Tag()->setTitle("second");
    ASSERT_TRUE(f.save());
    v2 = bytes(f.ID3v2Tag()->render());
  }
  TagLib::ID3v1::Tag v1;
  v1.setTitle("second");
  v1.setAlbum("v1 album");
  v1.setTrack(5);
  v1.setYear(1999);
  EXPECT_TRUE(sameBytes(readFile(path), v2 + stream() + bytes(v1.render())));
  File fresh(path.c_str());
  EXPECT_EQ(fresh.ID3v2Tag()->year(), 1999u);
  EXPECT_EQ(fresh.ID3v1Tag()->year(), 1999u);
}

TEST(TTAFileRead, CombinedTagFallsBackToTheID3v1Tag)
{
  TempDir dir;
  File f(dir.write("t.tta", Disk{true, true}.content()).c_str());
  ASSERT_NE(dynamic_cast<TagLib::CombinedTag *>(f.tag()), nullptr);
  EXPECT_EQ(f.tag()->title(), "rich title");
  EXPECT_EQ(f.tag()->album(), "v1 album");
  EXPECT_EQ(f.tag()->year(), 2010u);
  EXPECT_EQ(f.tag()->track(), 5u);
}

TEST(TTAFileRead, PropertiesComeFromTheHeaderBehindTheID3v2Tag)
{
  TempDir dir;
  const std::string content = Disk{true, true}.content();
  const std::string path = dir.write("t.tta", content);
  const long v2Size = static_cast<long>(id3v2Tag("rich title", 2010).size());
  {
    File f(path.c_str());
    ASSERT_NE(f.audioProperties(), nullptr);
    EXPECT_EQ(f.audioProperties()->ttaVersion(), 1);
    EXPECT_EQ(f.audioProperties()->channels(), 2);
    EXPECT_EQ(f.audioProperties()->bitsPerSample(), 16);
    EXPECT_EQ(f.audioProperties()->sampleRate(), 44100);
    EXPECT_EQ(f.audioProperties()->length(), 4);
    // The stream length counts everything after the ID3v2 tag.
    EXPECT_EQ(f.audioProperties()->bitrate(), static_cast<int>((static_cast<long>(content.size()) - v2Size) / 125 / 4));
  }
  File noProperties(path.c_str(), false);
  EXPECT_EQ(noProperties.audioProperties(), nullptr);
  EXPECT_EQ(noProperties.tag()->title(), "rich title");
}

TEST(TTAFileRead, ID3v2HeaderWithoutBodyIsNoTagButIsSkipped)
{
  // A 10-byte ID3v2 header with tag size 0, then the stream.
  const std::string header = ByteBuilder().text("ID3").u8(4).u8(0).u8(0).be32(0).str();
  const std::string content = header + stream();
  TempDir dir;
  const std::string path = dir.write("t.tta", content);
  std::string v2;
  {
    File f(path.c_str());
    EXPECT_TRUE(f.tag()->isEmpty());
    EXPECT_EQ(f.audioProperties()->sampleRate(), 44100);
    EXPECT_EQ(f.audioProperties()->length(), 4);
    f.tag()->setTitle("new");
    ASSERT_TRUE(f.save());
    v2 = bytes(f.ID3v2Tag()->render());
  }
  // The new tag goes to offset 0; the old header stays in front of the stream.
  EXPECT_TRUE(sameBytes(readFile(path), v2 + content));
}

// Tag locations from the file are checked before save() may use them.
TEST(TTAFileRead, ID3v2TagRunningPastTheEndIsNoTag)
{
  const std::string real = id3v2Tag("cut", 1);
  // The tag's own header, claiming more bytes than the file has.
  const std::string content = real.substr(0, 60);
  TempDir dir;
  const std::string path = dir.write("t.tta", content);
  std::string v2;
  {
    File f(path.c_str());
    EXPECT_TRUE(f.tag()->isEmpty());
    EXPECT_EQ(f.audioProperties()->sampleRate(), 0);
    f.tag()->setTitle("new");
    ASSERT_TRUE(f.save());
    v2 = bytes(f.ID3v2Tag()->render());
  }
  EXPECT_TRUE(sameBytes(readFile(path), v2 + content));

  // Exactly as long as the file: a tag.
  File whole(dir.write("whole.tta", real).c_str());
  EXPECT_EQ(whole.tag()->title(), "cut");
}

TEST(TTAFileRead, ID3v1IdentifierInsideTheID3v2TagIsNoID3v1Tag)
{
  // An ID3v2 tag with padding, 40 stream bytes after it: the last 128 bytes
  // start inside the ID3v2 tag.
  std::string content = id3v2Tag("v2", 2000) + stream().substr(0, 40);
  ASSERT_GT(content.size(), 200u);
  content.replace(content.size() - 128, 3, "TAG");
  TempDir dir;
  const std::string path = dir.write("t.tta", content);
  {
    File f(path.c_str());
    EXPECT_EQ(f.ID3v1Tag(), nullptr);
    EXPECT_EQ(f.tag()->title(), "v2");
    f.tag()->setTitle("v2 again");
    ASSERT_TRUE(f.save());
  }
  File fresh(path.c_str());
  EXPECT_EQ(fresh.tag()->title(), "v2 again");
  EXPECT_EQ(readFile(path).substr(readFile(path).size() - 40), stream().substr(0, 40));
}

TEST(TTAFileRead, TinyAndGarbageFilesDoNotBreak)
{
  const std::string cases[] = {
    "",
    "TTA1",
    "ID3",
    std::string("TAG") + std::string(125, 'x'),
    ByteBuilder().text("ID3").u8(3).u8(0).u8(0).raw({0x7F, 0x7F, 0x7F, 0x7F}).str(),
  };
  for(const std::string &content : cases) {
    SCOPED_TRACE(content.size());
    TempDir dir;
    const std::string path = dir.write("t.tta", content);
    File f(path.c_str());
    ASSERT_NE(f.tag(), nullptr);
    EXPECT_EQ(f.audioProperties()->sampleRate(), 0);
    f.remove(3);
    ASSERT_TRUE(f.save());
  }
}

TEST(TTAFileRead, MissingFileHasNoTagAndIsRefused)
{
  TempDir dir;
  const std::string path = dir.path() + "/missing.tta";
  File f(path.c_str());
  EXPECT_FALSE(f.isValid());
  EXPECT_EQ(f.tag(), nullptr);
  EXPECT_EQ(f.audioProperties(), nullptr);
  EXPECT_FALSE(f.save());

  ensurePluginsRegistered();
  EXPECT_TRUE(TagLib::FileRef(path.c_str()).isNull());
}

TEST(TTAFileRead, TheGivenFrameFactoryReadsTheID3v2Tag)
{
  TempDir dir;
  const std::string path = dir.write("t.tta", Disk{true, false}.content());
  Utf16FrameFactory factory;
  {
    File f(path.c_str(), &factory);
    EXPECT_EQ(f.tag()->title(), "rich title");
    EXPECT_EQ(titleEncoding(f.ID3v2Tag()), TagLib::String::UTF16);
  }
  {
    File f(path.c_str());
    EXPECT_EQ(titleEncoding(f.ID3v2Tag()), TagLib::String::Latin1);
    // Tags are read only by the constructor: a factory set later changes nothing read.
    f.setID3v2FrameFactory(&factory);
    EXPECT_EQ(titleEncoding(f.ID3v2Tag()), TagLib::String::Latin1);
    EXPECT_EQ(f.tag()->title(), "rich title");
  }
}

TEST(TTAFileRead, ReadOnlyFileIsNotSaved)
{
  Scenarios::readOnlyFileIsNotSaved();
}

TEST(TTAFileRef, OpensAsOurFileAndServesAHost)
{
  Scenarios::servesAHost("Song.TTA");
}
