// The AAC file's tags: where they are found, what tag() and properties()
// present, and what save() and strip() leave on disk, byte by byte and as
// TagLib's own MPEG reader reads the file back.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <apeitem.h>
#include <apetag.h>
#include <fileref.h>
#include <id3v1tag.h>
#include <id3v2synchdata.h>
#include <id3v2tag.h>
#include <tpropertymap.h>

#include "aac/aacfile.h"
#include "aacbuilder.h"
#include "hostcalls.h"
#include "taglibview.h"
#include "testfiles.h"

using namespace aactest;
using namespace brenvo_test;
using TagLib::String;
using TagLib::AAC::File;

namespace {

// 20 frames, 464 ms, and a frame header that tags hold so as to look like audio.
const std::string stream = frames(Frame(), 20);
const String syncWord(stream.substr(0, 7), String::Latin1);

std::string rendered(const TagLib::ByteVector &v) { return std::string(v.data(), v.size()); }

// Each tag holds fields the others lack.
std::string tagBytes(char kind)
{
  TagLib::ID3v2::Tag v2;
  TagLib::APE::Tag ape;
  TagLib::ID3v1::Tag v1;
  v2.setTitle("v2 title");
  v2.setArtist("v2 artist");
  v2.setComment(syncWord);
  ape.setTitle("ape title");
  ape.setAlbum("ape album");
  ape.setItem("SYNC", TagLib::APE::Item("SYNC", syncWord.data(String::Latin1), true));
  v1.setTitle("v1 title");
  v1.setComment(syncWord);
  v1.setYear(1999);
  return rendered(kind == '2' ? v2.render() : kind == 'a' ? ape.render() : v1.render());
}

std::string content(bool id3v2, bool ape, bool id3v1)
{
  return (id3v2 ? tagBytes('2') : "") + stream + (ape ? tagBytes('a') : "") + (id3v1 ? tagBytes('1') : "");
}

// What ours reads of the file at \a path, after checking that TagLib's reader agrees.
std::string readAlike(const std::string &path)
{
  File ours(path.c_str(), true, TagLib::AudioProperties::Accurate);
  EXPECT_EQ(ours.audioProperties()->lengthInMilliseconds(), 464);
  const TaglibView theirs = readWithTaglib(path);
  EXPECT_EQ(std::make_tuple(ours.hasID3v2Tag(), ours.hasAPETag(), ours.hasID3v1Tag()),
            std::make_tuple(theirs.id3v2, theirs.ape, theirs.id3v1));
  EXPECT_EQ(fieldsOf(ours.tag()), theirs.fields);
  EXPECT_EQ(ours.properties().toString().to8Bit(true), theirs.properties);
  return fieldsOf(ours.tag());
}

} // namespace

TEST(AACFile, SaveWritesEveryTagThatIsNotEmptyAroundTheUntouchedStream)
{
  const struct { const char *name; void (*apply)(File &); } edits[] = {
    {"title everywhere", [](File &f) { f.tag()->setTitle("new title"); }},
    {"new APE tag", [](File &f) {
       // The tag presented before stays valid for a host that kept it.
       const TagLib::Tag *before = f.tag();
       f.APETag(true)->setArtist("new ape");
       EXPECT_EQ(before->title(), f.tag()->title());
     }},
    {"new ID3v1 tag", [](File &f) { f.ID3v1Tag(true)->setAlbum("new v1"); }},
    {"properties", [](File &f) {
       TagLib::PropertyMap map;
       map.replace("CONDUCTOR", TagLib::StringList("x"));
       f.setProperties(map);
     }},
    {"emptied", [](File &f) { // the APE tag keeps its binary item
       for(const auto set : {&TagLib::Tag::setTitle, &TagLib::Tag::setArtist, &TagLib::Tag::setAlbum, &TagLib::Tag::setComment})
         (f.tag()->*set)(String());
       f.tag()->setYear(0);
     }},
  };
  for(int disk = 0; disk < 8; ++disk) {
    for(const auto &edit : edits) {
      SCOPED_TRACE(std::to_string(disk) + " " + edit.name);
      TempDir dir;
      const std::string path = dir.write("t.aac", content(disk & 1, disk & 2, disk & 4));
      readAlike(path);
      std::string expected, fields;
      {
        File f(path.c_str());
        EXPECT_EQ(f.hasID3v2Tag() + 2 * f.hasAPETag() + 4 * f.hasID3v1Tag(), disk);
        edit.apply(f);
        ASSERT_TRUE(f.save());
        const auto kept = [](const auto *tag) { return tag && !tag->isEmpty() ? rendered(tag->render()) : ""; };
        expected = kept(f.ID3v2Tag()) + stream + kept(f.APETag()) + kept(f.ID3v1Tag());
        fields = fieldsOf(f.tag());
        // Later saves find the tags where the first one put them.
        f.tag()->setGenre("second save");
        ASSERT_TRUE(f.save());
        f.tag()->setGenre("");
        ASSERT_TRUE(f.save());
      }
      EXPECT_EQ(readFile(path), expected);
      EXPECT_EQ(readAlike(path), fields);
    }
  }
}

TEST(AACFile, StripRemovesTagsAtOnce)
{
  for(const int tags : std::initializer_list<int>{File::ID3v2, File::APE, File::ID3v1, File::APE | File::ID3v1, File::AllTags, File::NoTags}) {
    SCOPED_TRACE(tags);
    const std::string left = content(!(tags & File::ID3v2), !(tags & File::APE), !(tags & File::ID3v1));
    TempDir dir;
    const std::string path = dir.write("t.aac", content(true, true, true));
    File f(path.c_str());
    ASSERT_TRUE(f.strip(tags));
    EXPECT_EQ(readFile(path), left);
    EXPECT_EQ(readAlike(path), fieldsOf(f.tag()));
    // What strip() left in memory saves as it is on disk.
    ASSERT_TRUE(f.save());
    EXPECT_EQ(readFile(path), left);
  }
}

TEST(AACFile, OddTagBlocks)
{
  TagLib::APE::Tag trap; // 131 bytes: its "TAG" stands 128 bytes before the end
  trap.setTitle(String(std::string(53, 't')));
  const std::string id3v2 = tagBytes('2'), ape = tagBytes('a');
  const struct { const char *name; std::string content; bool id3v2, ape, id3v1; unsigned int titleSize; } cases[] = {
    {"APE tag ending the file, TAG inside it", stream + rendered(trap.render()), false, true, false, 53},
    {"ID3v2 tag larger than the file", id3v2.substr(0, 6) + "\x7F\x7F\x7F\x7F" + stream, false, false, false, 0},
    {"ID3v2 header without a body", id3v2.substr(0, 6) + std::string(4, '\0') + stream, false, false, false, 0},
    {"APE header missing", stream + "XXXXXXXX" + ape.substr(8), false, false, false, 0},
    {"ID3v2 header reaching into the tags at the end, no stream behind it",
     "ID3\x04\0\0" + rendered(TagLib::ID3v2::SynchData::fromUInt(stream.size() + 50)) + stream + ape + tagBytes('1'),
     false, true, true, 9},
    {"APE tag reaching into the ID3v2 tag", id3v2 + frames(Frame{20}, 2) + ape.substr(ape.size() - 32),
     true, false, false, 8},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    File f(dir.write("t.aac", c.content).c_str());
    EXPECT_EQ(std::make_tuple(f.hasID3v2Tag(), f.hasAPETag(), f.hasID3v1Tag()), std::make_tuple(c.id3v2, c.ape, c.id3v1));
    EXPECT_EQ(f.tag()->title().size(), c.titleSize);
  }
}

TEST(AACFile, ReadOnlyFileIsNotChanged)
{
  TempDir dir;
  const std::string path = dir.write("t.aac", content(true, true, true));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  runAsUnprivileged(dir, [&] {
    File f(path.c_str());
    ASSERT_TRUE(f.readOnly());
    f.tag()->setTitle("not written");
    EXPECT_FALSE(f.save());
    EXPECT_FALSE(f.strip());
  });
  EXPECT_EQ(readFile(path), content(true, true, true));
}

TEST(AACFile, FileRefOpensOursAndRefusesWhatHasNoAACStream)
{
  ensurePluginsRegistered();
  TempDir dir;
  const std::string path = dir.write("Song.AAC", content(false, false, true));
  EXPECT_NE(dynamic_cast<File *>(TagLib::FileRef(path.c_str()).file()), nullptr);
  // The host's properties go to the ID3v2 tag and the ID3v1 tag there is.
  EXPECT_TRUE(exerciseHost(path, true).saved);
  EXPECT_EQ(File(path.c_str()).ID3v1Tag()->title(), "Host title");
  for(const std::string &c : {std::string(), tagBytes('2') + std::string(3000, 'x'), tagBytes('2') + tagBytes('1')})
    EXPECT_TRUE(TagLib::FileRef(dir.write("no-stream.aac", c).c_str()).isNull());
}
