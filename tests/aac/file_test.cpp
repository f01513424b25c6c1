// The AAC file's tags: where they are found, what tag() and properties()
// present, and what save() and strip() leave on disk, byte by byte and as
// TagLib's own MPEG reader reads the file back.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <apeitem.h>
#include <apetag.h>
#include <fileref.h>
#include <id3v1tag.h>
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

// A sound frame header, stored in tags so that they look like audio.
const std::string syncWord = Frame().bytes().substr(0, 7);
// 20 frames: 464 ms.
const std::string stream = frames(Frame(), 20);

std::string str(const TagLib::ByteVector &v)
{
  return std::string(v.data(), v.size());
}

// Each tag holds fields the others lack.
std::string id3v2Bytes()
{
  TagLib::ID3v2::Tag t;
  t.setTitle("v2 title");
  t.setArtist("v2 artist");
  t.setComment(String(syncWord, String::Latin1));
  return str(t.render());
}

std::string apeBytes()
{
  TagLib::APE::Tag t;
  t.setTitle("ape title");
  t.setAlbum("ape album");
  t.setItem("SYNC", TagLib::APE::Item("SYNC", TagLib::ByteVector(syncWord.data(), 7), true));
  return str(t.render());
}

std::string id3v1Bytes()
{
  TagLib::ID3v1::Tag t;
  t.setTitle("v1 title");
  t.setComment(String(syncWord, String::Latin1));
  t.setYear(1999);
  t.setTrack(7);
  return str(t.render());
}

struct Disk
{
  bool id3v2, ape, id3v1;
  std::string name() const
  {
    return std::string(id3v2 ? "ID3v2 " : "") + (ape ? "APE " : "") + (id3v1 ? "ID3v1" : "") + "|";
  }
  std::string content() const
  {
    return (id3v2 ? id3v2Bytes() : "") + stream + (ape ? apeBytes() : "") + (id3v1 ? id3v1Bytes() : "");
  }
};

const Disk disks[] = {{false, false, false}, {true, false, false}, {false, true, false}, {false, false, true},
                      {true, true, false},   {true, false, true},  {false, true, true},  {true, true, true}};

std::string fieldsOf(const TagLib::Tag *t)
{
  return (t->title() + "|" + t->artist() + "|" + t->album() + "|" + t->comment() + "|" + t->genre() + "|" +
          String::number(static_cast<int>(t->year())) + "|" + String::number(static_cast<int>(t->track())))
    .to8Bit(true);
}

template <class T>
std::string rendered(const T *tag)
{
  return tag && !tag->isEmpty() ? str(tag->render()) : std::string();
}

// The tags in memory as save() lays them out around the stream.
std::string saved(File &f)
{
  return rendered(f.ID3v2Tag()) + stream + rendered(f.APETag()) + rendered(f.ID3v1Tag());
}

// Ours and TagLib's reader agree on the file at \a path, and ours reads \a fields.
void expectReadAlike(const std::string &path, const std::string &fields)
{
  File ours(path.c_str(), true, TagLib::AudioProperties::Accurate);
  ASSERT_TRUE(ours.isValid());
  EXPECT_EQ(ours.audioProperties()->lengthInMilliseconds(), 464);
  EXPECT_EQ(fieldsOf(ours.tag()), fields);
  const TaglibView theirs = readWithTaglib(path);
  EXPECT_EQ(ours.hasID3v2Tag(), theirs.id3v2);
  EXPECT_EQ(ours.hasAPETag(), theirs.ape);
  EXPECT_EQ(ours.hasID3v1Tag(), theirs.id3v1);
  EXPECT_EQ(fieldsOf(ours.tag()), theirs.fields);
  EXPECT_EQ(ours.properties().toString().to8Bit(true), theirs.properties);
}

struct Edit
{
  const char *name;
  void (*apply)(File &);
};

const Edit edits[] = {
  {"untouched", [](File &) {}},
  {"title everywhere", [](File &f) { f.tag()->setTitle("new title"); }},
  {"new APE tag", [](File &f) { f.APETag(true)->setArtist("new ape"); }},
  {"new ID3v1 tag", [](File &f) { f.ID3v1Tag(true)->setAlbum("new v1"); }},
  {"properties", [](File &f) {
     TagLib::PropertyMap map;
     map.replace("TITLE", TagLib::StringList("from properties"));
     map.replace("CONDUCTOR", TagLib::StringList("Someone"));
     f.setProperties(map);
   }},
  {"emptied", [](File &f) {
     TagLib::Tag *t = f.tag();
     t->setTitle("");
     t->setArtist("");
     t->setAlbum("");
     t->setComment("");
     t->setYear(0);
     t->setTrack(0);
   }},
};

} // namespace

TEST(AACFile, TagsAreReadAsTaglibReadsThemAndNeverTakenForAudio)
{
  for(const Disk &disk : disks) {
    SCOPED_TRACE(disk.name());
    TempDir dir;
    const std::string path = dir.write("t.aac", disk.content());
    File f(path.c_str());
    EXPECT_EQ(f.hasID3v2Tag(), disk.id3v2);
    EXPECT_EQ(f.hasAPETag(), disk.ape);
    EXPECT_EQ(f.hasID3v1Tag(), disk.id3v1);
    EXPECT_EQ(f.ID3v2Tag() != nullptr, disk.id3v2 || (!disk.ape && !disk.id3v1));
    expectReadAlike(path, fieldsOf(f.tag()));
  }
}

TEST(AACFile, SaveWritesEveryTagThatIsNotEmptyAroundTheUntouchedStream)
{
  for(const Disk &disk : disks) {
    for(const Edit &edit : edits) {
      SCOPED_TRACE(disk.name() + edit.name);
      TempDir dir;
      const std::string path = dir.write("t.aac", disk.content());
      std::string expected, fields;
      {
        File f(path.c_str());
        edit.apply(f);
        ASSERT_TRUE(f.save());
        expected = saved(f);
        fields = fieldsOf(f.tag());
        // A second save finds the tags where the first one put them.
        f.tag()->setGenre("second save");
        ASSERT_TRUE(f.save());
        f.tag()->setGenre("");
        ASSERT_TRUE(f.save());
      }
      EXPECT_EQ(readFile(path), expected);
      expectReadAlike(path, fields);
    }
  }
}

TEST(AACFile, StripRemovesTagsAtOnce)
{
  struct Case
  {
    int tags;
    Disk left;
  };
  const Case cases[] = {
    {File::ID3v2, {false, true, true}},      {File::APE, {true, false, true}},
    {File::ID3v1, {true, true, false}},      {File::APE | File::ID3v1, {true, false, false}},
    {File::AllTags, {false, false, false}},  {File::NoTags, {true, true, true}},
  };
  for(const Case &c : cases) {
    SCOPED_TRACE(c.tags);
    TempDir dir;
    const std::string path = dir.write("t.aac", Disk{true, true, true}.content());
    File f(path.c_str());
    ASSERT_TRUE(f.strip(c.tags));
    EXPECT_EQ(readFile(path), c.left.content());
    EXPECT_EQ(f.hasID3v2Tag(), c.left.id3v2);
    EXPECT_EQ(f.hasAPETag(), c.left.ape);
    EXPECT_EQ(f.hasID3v1Tag(), c.left.id3v1);
    EXPECT_EQ(f.APETag() != nullptr, c.left.ape);
    ASSERT_NE(f.tag(), nullptr);
    expectReadAlike(path, fieldsOf(f.tag()));
    // What strip() left in memory saves as it is on disk.
    ASSERT_TRUE(f.save());
    EXPECT_EQ(readFile(path), c.left.content());
  }
}

TEST(AACFile, OddTagBlocks)
{
  std::string apeTrap;  // an APE tag of 131 bytes: its "TAG" stands 128 bytes before the end
  {
    TagLib::APE::Tag t;
    t.setTitle(String(std::string(53, 't')));
    apeTrap = str(t.render());
  }
  const std::string hugeID3v2 = id3v2Bytes().substr(0, 6) + "\x7F\x7F\x7F\x7F";
  const std::string emptyID3v2 = id3v2Bytes().substr(0, 6) + std::string(4, '\0');
  struct Case
  {
    const char *name;
    std::string content;
    Disk found;
    std::size_t titleSize;
  };
  const Case cases[] = {
    {"APE tag ending the file, TAG inside it", stream + apeTrap, {false, true, false}, 53},
    {"ID3v2 tag larger than the file", hugeID3v2 + stream, {false, false, false}, 0},
    {"ID3v2 header without a body", emptyID3v2 + stream, {false, false, false}, 0},
    {"APE footer reaching into the ID3v2 tag", id3v2Bytes() + apeBytes().substr(apeBytes().size() - 32),
     {true, false, false}, 8},
  };
  for(const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.write("t.aac", c.content);
    File f(path.c_str());
    EXPECT_EQ(f.hasID3v2Tag(), c.found.id3v2);
    EXPECT_EQ(f.hasAPETag(), c.found.ape);
    EXPECT_EQ(f.hasID3v1Tag(), c.found.id3v1);
    EXPECT_EQ(f.tag()->title().size(), c.titleSize);
  }
}

TEST(AACFile, ReadOnlyFileIsNotChanged)
{
  TempDir dir;
  const std::string content = Disk{true, true, true}.content();
  const std::string path = dir.write("t.aac", content);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  runAsUnprivileged(dir, [&] {
    File f(path.c_str());
    ASSERT_TRUE(f.isValid());
    ASSERT_TRUE(f.readOnly());
    f.tag()->setTitle("not written");
    EXPECT_FALSE(f.save());
    EXPECT_FALSE(f.strip());
  });
  EXPECT_EQ(readFile(path), content);
}

TEST(AACFile, FileRefOpensOursAndRefusesWhatIsNoAACStream)
{
  ensurePluginsRegistered();
  TempDir dir;
  const std::string path = dir.write("Song.AAC", Disk{true, true, true}.content());
  EXPECT_NE(dynamic_cast<File *>(TagLib::FileRef(path.c_str()).file()), nullptr);
  const HostResult host = exerciseHost(path, true);
  EXPECT_TRUE(host.saved);
  EXPECT_EQ(File(path.c_str()).ID3v1Tag()->title(), "Host title");
  EXPECT_NE(readFile(path).find(stream), std::string::npos);

  for(const std::string &content : {std::string(), id3v2Bytes() + std::string(3000, 'x'), id3v2Bytes() + id3v1Bytes()})
    EXPECT_TRUE(TagLib::FileRef(dir.write("no-stream.aac", content).c_str()).isNull());
}
