// The WavPack file on built bytes: where tags are found, what is presented,
// and every path of save() and remove(), checked byte by byte.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include <apefooter.h>
#include <apetag.h>
#include <fileref.h>
#include <id3v1tag.h>
#include <tpropertymap.h>

#include "bytebuilder.h"
#include "hostcalls.h"
#include "tagcheck.h"
#include "testfiles.h"
#include "wavpack/combinedtag.h"
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

std::string id3v1Tag(const char *title, unsigned int track)
{
  TagLib::ID3v1::Tag tag;
  tag.setTitle(title);
  tag.setAlbum("v1 album");
  tag.setTrack(track);
  return bytes(tag.render());
}

struct Disk
{
  bool ape;
  bool id3v1;
  std::string name() const { return std::string(ape ? "APE" : "") + (ape && id3v1 ? "+" : "") + (id3v1 ? "ID3v1" : "") + (!ape && !id3v1 ? "none" : ""); }
  std::string content() const
  {
    return audio() + (ape ? apeTag("APE title", 2010) : "") + (id3v1 ? id3v1Tag("v1 title", 5) : "");
  }
};

const Disk disks[] = {{false, false}, {true, false}, {false, true}, {true, true}};

// The presented tag follows the tags in memory.
void expectPresented(File &f)
{
  TagLib::APE::Tag *ape = f.APETag();
  TagLib::ID3v1::Tag *v1 = f.ID3v1Tag();
  ASSERT_TRUE(ape || v1) << "there is always a tag to present";
  ASSERT_NE(f.tag(), nullptr);
  if(ape && v1)
    EXPECT_NE(dynamic_cast<TagLib::CombinedTag *>(f.tag()), nullptr);
  else if(ape)
    EXPECT_EQ(f.tag(), ape);
  else
    EXPECT_EQ(f.tag(), v1);
}

struct Edit
{
  const char *name;
  std::function<void(File &)> apply;
};

const Edit edits[] = {
  {"untouched", [](File &) {}},
  {"setFields", [](File &f) { f.tag()->setTitle("Edited"); f.tag()->setYear(2024); f.tag()->setGenre("Blues"); }},
  {"removeID3v1", [](File &f) { f.remove(File::ID3v1Bit); }},
  {"removeAPE", [](File &f) { f.remove(File::APEBit); }},
  {"removeBoth", [](File &f) { f.remove(File::ID3v1Bit | File::APEBit); }},
  {"removeNone", [](File &f) { f.remove(0); f.remove(4 | 8); }},
  {"createAPE", [](File &f) { f.APETag(true)->setTitle("made APE"); }},
  {"createID3v1", [](File &f) { f.ID3v1Tag(true)->setTitle("made v1"); }},
  {"createBoth", [](File &f) { f.APETag(true)->setArtist("a"); f.ID3v1Tag(true)->setArtist("b"); f.tag()->setTrack(8); }},
  {"removeAPEThenCreate", [](File &f) { f.remove(File::APEBit); f.APETag(true)->setTitle("again"); }},
  {"removeBothThenCreateID3v1", [](File &f) { f.remove(3); f.ID3v1Tag(true)->setComment("only v1"); }},
  {"removeID3v1ThenCreate", [](File &f) { f.remove(File::ID3v1Bit); f.ID3v1Tag(true)->setYear(1977); }},
};

enum class Again { No, Unchanged, Grown, Shrunk, RemovedAll };

const char *name(Again a)
{
  switch(a) {
  case Again::No: return "once";
  case Again::Unchanged: return "twiceUnchanged";
  case Again::Grown: return "twiceGrown";
  case Again::Shrunk: return "twiceShrunk";
  case Again::RemovedAll: return "twiceRemovedAll";
  }
  return "";
}

void changeAgain(File &f, Again again)
{
  switch(again) {
  case Again::No:
  case Again::Unchanged:
    break;
  case Again::Grown:
    // Only the APE tag can grow; an ID3v1 tag would cut the text.
    if(f.APETag())
      f.APETag()->setComment(TagLib::String(std::string(3000, 'g')));
    f.tag()->setAlbum("a longer album name");
    break;
  case Again::Shrunk:
    f.tag()->setTitle("");
    f.tag()->setArtist("");
    f.tag()->setComment("");
    break;
  case Again::RemovedAll:
    f.remove(3);
    break;
  }
}

} // namespace

// Every combination of tags on disk, changes in memory, and one or two
// saves: the audio stays first and untouched, the APE tag follows it, an
// ID3v1 tag is the last 128 bytes, and a fresh object reads what was saved.
TEST(WavPackFileSave, EveryCombinationOfTagsAndEdits)
{
  int combinations = 0;
  const std::string sound = audio();
  for(const Disk &disk : disks) {
    for(const Edit &edit : edits) {
      for(Again again : {Again::No, Again::Unchanged, Again::Grown, Again::Shrunk, Again::RemovedAll}) {
        SCOPED_TRACE(disk.name() + " / " + edit.name + " / " + name(again));
        TempDir dir;
        const std::string path = dir.write("t.wv", disk.content());
        std::string expected;
        Fields presented, apeFields, v1Fields;
        bool haveAPE = false, haveV1 = false;
        {
          File f(path.c_str());
          ASSERT_TRUE(f.isValid());
          EXPECT_EQ(f.APETag() != nullptr, disk.ape || !disk.id3v1);  // read, or the empty stand-in
          EXPECT_EQ(f.ID3v1Tag() != nullptr, disk.id3v1);
          expectPresented(f);
          edit.apply(f);
          expectPresented(f);
          ASSERT_TRUE(f.save());
          if(again != Again::No) {
            changeAgain(f, again);
            expectPresented(f);
            ASSERT_TRUE(f.save());
          }
          haveAPE = f.APETag() != nullptr;
          haveV1 = f.ID3v1Tag() != nullptr;
          expected = sound + (haveAPE ? bytes(f.APETag()->render()) : "") +
                     (haveV1 ? bytes(f.ID3v1Tag()->render()) : "");
          presented = Fields::of(f.tag());
          apeFields = Fields::of(f.APETag());
          v1Fields = Fields::of(f.ID3v1Tag());
        }
        const std::string written = readFile(path);
        ASSERT_TRUE(sameBytes(written, expected));
        EXPECT_EQ(written.substr(0, sound.size()), sound);
        if(haveV1) {
          EXPECT_EQ(written.substr(written.size() - 128, 3), "TAG");
        }
        if(haveAPE) {
          const std::size_t footer = written.size() - (haveV1 ? 160 : 32);
          EXPECT_EQ(written.substr(footer, 8), "APETAGEX");
          EXPECT_EQ(written.substr(sound.size(), 8), "APETAGEX") << "the APE tag directly follows the audio";
        }

        File fresh(path.c_str());
        EXPECT_EQ(Fields::of(fresh.tag()), presented);
        EXPECT_EQ(fresh.ID3v1Tag() != nullptr, haveV1);
        if(haveAPE) {
          EXPECT_EQ(Fields::of(fresh.APETag()), apeFields);
        }
        if(haveV1) {
          EXPECT_EQ(Fields::of(fresh.ID3v1Tag()), v1Fields);
        }
        ++combinations;
      }
    }
  }
  RecordProperty("combinations", combinations);
}

// What remove() leaves in memory, and what save() makes of it.
TEST(WavPackFileSave, RemoveLeavesAnEmptyAPETagWhenNoID3v1TagRemains)
{
  struct Case
  {
    Disk disk;
    int bits;
    bool apeLeft, apeEmpty, v1Left;
  };
  const Case cases[] = {
    {{true, true}, 1, true, false, false},   // ID3v1 goes, APE stays
    {{true, true}, 2, false, false, true},   // APE goes, ID3v1 stays
    {{true, true}, 3, true, true, false},    // an empty APE tag stands in
    {{false, true}, 3, true, true, false},   // ...also where there was none
    {{false, true}, 1, true, true, false},
    {{true, false}, 2, true, true, false},
    {{false, false}, 3, true, true, false},
  };
  for(const Case &c : cases) {
    SCOPED_TRACE(c.disk.name() + " remove " + std::to_string(c.bits));
    TempDir dir;
    const std::string path = dir.write("t.wv", c.disk.content());
    std::string emptyAPE;
    {
      File f(path.c_str());
      f.remove(c.bits);
      ASSERT_EQ(f.APETag() != nullptr, c.apeLeft);
      ASSERT_EQ(f.ID3v1Tag() != nullptr, c.v1Left);
      if(c.apeLeft) {
        EXPECT_EQ(f.APETag()->isEmpty(), c.apeEmpty);
      }
      expectPresented(f);
      ASSERT_TRUE(f.save());
      emptyAPE = bytes(TagLib::APE::Tag().render());
    }
    const std::string written = readFile(path);
    const std::string sound = audio();
    if(c.apeLeft && c.apeEmpty && !c.v1Left) {
      EXPECT_TRUE(sameBytes(written, sound + emptyAPE));
    }
    if(!c.apeLeft) {
      EXPECT_TRUE(sameBytes(written, sound + id3v1Tag("v1 title", 5)));
    }
  }
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
  EXPECT_EQ(f.tag()->title(), "APE title");   // both have one: APE wins
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
  const long apeSize = static_cast<long>(apeTag("APE title", 2010).size());
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
  EXPECT_EQ(noProperties.tag()->title(), "APE title");
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
  if(::geteuid() == 0)
    GTEST_SKIP() << "root writes read-only files";
  TempDir dir;
  const std::string content = Disk{true, false}.content();
  const std::string path = dir.write("t.wv", content);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  {
    File f(path.c_str());
    ASSERT_TRUE(f.isValid());
    f.tag()->setTitle("not written");
    EXPECT_FALSE(f.save());
  }
  EXPECT_EQ(readFile(path), content);
}

TEST(WavPackFileRef, OpensAsOurFileAndServesAHost)
{
  ensurePluginsRegistered();
  TempDir dir;
  const std::string path = dir.write("Song.WV", Disk{true, true}.content());
  {
    TagLib::FileRef ref(path.c_str());
    ASSERT_FALSE(ref.isNull());
    ASSERT_NE(dynamic_cast<File *>(ref.file()), nullptr);
    const TagLib::PropertyMap properties = ref.file()->properties();
    EXPECT_EQ(properties["TITLE"], TagLib::StringList("APE title"));
    EXPECT_EQ(properties["ALBUM"], TagLib::StringList("v1 album"));
  }
  const HostResult result = exerciseHost(path, true);
  EXPECT_TRUE(result.opened);
  EXPECT_TRUE(result.saved);
  File f(path.c_str());
  EXPECT_EQ(f.tag()->title(), "Host title");
  EXPECT_EQ(f.ID3v1Tag()->artist(), "Host artist");
  EXPECT_EQ(readFile(path).substr(0, audio().size()), audio());
}
