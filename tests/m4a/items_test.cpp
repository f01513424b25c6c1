// The item list: every item in file order with its bytes as read, the
// property map and the basic fields against TagLib's own MP4 reader, the
// pictures, and the tag's setters over the same items.
#include <gtest/gtest.h>

// TagLib's own reader is the oracle; its headers come before ours.
#include <mp4file.h>
using TaglibMP4File = TagLib::MP4::File;

#include "m4a/mp4file.h"
#include "m4a/mp4items.h"
#include "m4a/mp4tagsproxy.h"
#include "mp4builder.h"
#include "testfiles.h"

using namespace mp4test;
using brenvo_taglib::MP4File;
using TagLib::ByteVector;
using TagLib::PropertyMap;
using TagLib::String;
using TagLib::StringList;
using TagLib::MP4::Mp4Item;
using TagLib::Plugins::Picture;

namespace {

std::string data(const std::string &payload, std::uint32_t type = 1, std::uint8_t version = 0)
{
  return fullBox("data", version, type, ByteBuilder().be32(0).text(payload).str());
}

std::string freeform(const std::string &mean, const std::string &name, const std::string &values)
{
  return box("----", fullBox("mean", 0, 0, mean) + fullBox("name", 0, 0, name) + values);
}

std::string show(const PropertyMap &map)
{
  return map.toString().to8Bit(true);
}

std::string show(const TagLib::Tag &t)
{
  return (t.title() + "|" + t.artist() + "|" + t.album() + "|" + t.comment() + "|" + t.genre()).to8Bit(true) + "|" +
         std::to_string(t.year()) + "|" + std::to_string(t.track()) + (t.isEmpty() ? "|empty" : "");
}

// A file of \a items, opened by this library.
struct Opened
{
  explicit Opened(const std::string &items) : file(dir.write("f.m4a", mp4test::file(mvhd(1000, 1000) + tagBoxes(items))).c_str()) {}
  brenvo_test::TempDir dir;
  MP4File file;
};

} // namespace

TEST(Mp4ItemList, OddItemsReadAndChangeAsInTaglib)
{
  const std::string pair = std::string("\0\0\0\x07\0\x09\0\0", 8);
  const std::string lists[] = {
    // Text counts only with type 1, version 0; a value list ends at the first other box.
    box("\251nam", data("one") + data("two", 0) + data("three")) + item("\251ART", "A", 2) +
      box("\251alb", data("v1", 1, 1)) + item("\251cmt", "") + box("aART", data("a") + box("free") + data("b")),
    // The first of two items counts; unknown codes, one named up to its zero byte.
    item("\251nam", "first") + item("\251nam", "second") + item("xyzw", "u") + item("xyzw", "v") +
      item(std::string("t\0\0\0", 4), "z") +
      item("abcd", "\x05", 21) + item("rtng", "\x01", 21) + item("plID", std::string(8, '\x01'), 21),
    // Numbers of every width, cut short or signed.
    item("trkn", pair.substr(0, 3), 0) + item("disk", "", 0) + item("tmpo", "\xFF\xFE", 21) +
      item("\251mvi", "\x05", 21) + item("tvsn", "\xFF\xFF\xFF\xFF", 21) + item("cpil", std::string("\0\1", 2), 21),
    item("trkn", std::string("\xFF\xFF\xFF\xFF\x80\0\0\0", 8), 0) + item("disk", pair, 21) + item("pgap", "1", 1),
    item("gnre", std::string("\0\0", 2), 0) + item("\251gen", "Later") + item("purl", "u", 0),
    item("gnre", "\x05", 0) + item("\251gen", "Ignored") + item("egid", "id", 21) + item("\251day", "1999-12"),
    // Freeform items: mapped, other means, bytes, out of order, cut short.
    freeform("com.apple.iTunes", "ASIN", data("B1") + data("B2", 0)) + freeform("org.example", "ASIN", data("x")) +
      freeform("com.apple.iTunes", "LABEL", data("bytes", 0)) + freeform("com.apple.iTunes", "iTunNORM", data("n")),
    box("----", fullBox("name", 0, 0, "ASIN") + fullBox("mean", 0, 0, "com.apple.iTunes") + data("x")) +
      box("----", box("mean", "ab") + fullBox("name", 0, 0, "ASIN") + data("x")) +
      freeform("com.apple.iTunes", "MusicBrainz Track Id", data("id", 1, 1)),
    // Covers of every type; a cover item of text only does not count.
    box("covr", data("\x89PNG", 14) + data("GIF8", 12) + data("BM", 27) + data("?", 0) + data("t", 1) + data("", 13)),
    box("covr", data("t", 1)) + box("\251nam", boxSized(12, "data", std::string("\0\0\0\1", 4))) +
      box("\251ART", boxSized(100, "data", ByteBuilder().be32(1).be32(0).text("clipped").str())),
  };
  PropertyMap change;
  for(const char *key : {"TITLE", "TRACKNUMBER", "BPM", "COMPILATION", "GENRE", "ASIN", "NOT A KEY"})
    change.insert(key, StringList(" 7/ 9"));
  brenvo_test::TempDir dir;
  brenvo_test::StderrCapture capture;
  for(const std::string &items : lists) {
    SCOPED_TRACE(&items - lists);
    const std::string path = dir.write("f.m4a", file(mvhd(1000, 1000) + tagBoxes(items)));
    TaglibMP4File theirs(path.c_str());
    MP4File ours(path.c_str());
    EXPECT_EQ(show(theirs.properties()), show(ours.properties()));
    EXPECT_EQ(show(*theirs.tag()), show(*ours.tag()));
    EXPECT_EQ(show(theirs.setProperties(change)), show(ours.setProperties(change)));
    EXPECT_EQ(show(theirs.properties()), show(ours.properties()));
  }
}

TEST(Mp4ItemList, ItemsKeepTheirBytesUntilChanged)
{
  const std::string path = brenvo_test::dataPath("m4a/aac-mono-48k-items.m4a");
  MP4File f(path.c_str());
  const TagLib::MP4::Mp4TagsProxy &read = *f.tagProxy();
  // The items as read, in order, are the item list's bytes.
  std::string list;
  std::vector<String> keys;
  for(const Mp4Item &item : read.items().items()) {
    EXPECT_FALSE(item.isChanged());
    list += std::string(item.rawBytes().data(), item.rawBytes().size());
    if(item.key() != String("\251alb", String::Latin1))
      keys.push_back(item.key());
  }
  ASSERT_TRUE(read.hasItemList());
  EXPECT_EQ(brenvo_test::readFile(path).substr(read.itemListOffset() + 8, read.itemListSize() - 8), list);
  EXPECT_EQ(26u, read.items().items().size());

  // Setting what the file holds changes nothing.
  const TagLib::MP4::Mp4ItemList &items = TagLib::MP4::tagItems(*f.tag());
  EXPECT_TRUE(f.setProperties(f.properties()).isEmpty());
  f.setPictures(f.pictures());
  f.tag()->setTrack(5);
  for(const Mp4Item &item : items.items())
    EXPECT_FALSE(item.isChanged()) << item.key().to8Bit(true);

  // A changed item stays in its place, and reads back as it was made.
  PropertyMap map = f.properties();
  map.replace("TITLE", StringList(String("Ti\xE2\x98\x83", String::UTF8)));
  map.replace("ASIN", StringList("B1"));
  map.erase("ALBUM");
  f.setProperties(map);
  ASSERT_EQ(keys.size(), items.items().size());
  for(std::size_t i = 0; i < keys.size(); ++i) {
    const Mp4Item &item = items.items()[i];
    EXPECT_EQ(keys[i], item.key());
    EXPECT_EQ(item.isChanged(), item.key() == String("\251nam", String::Latin1) || item.key() == "----:com.apple.iTunes:ASIN");
    const Mp4Item again = Mp4Item::read(item.render());
    EXPECT_EQ(again.key(), item.key());
    EXPECT_TRUE(again.values() == item.values());
  }
  EXPECT_EQ(String("Ti\xE2\x98\x83", String::UTF8), f.tag()->title());
}

TEST(Mp4ItemList, PicturesAreEveryCoverImage)
{
  const auto describe = [](const TagLib::Plugins::PictureList &pictures) {
    std::string text;
    for(const Picture &p : pictures)
      text += std::string(p.data().mid(0, 2).toHex().data(), p.data().mid(0, 2).toHex().size()) + ":" + p.mimeType().to8Bit() +
              (p.type() == Picture::FrontCover && p.description().isEmpty() ? " " : "? ");
    return text;
  };
  const std::string png = "\x89PNG\r\n\x1A\n";
  Opened opened(box("covr", data("J", 13) + data(png, 14) + data("", 14) + data("B", 27) + data(png, 0)) +
                item("\251nam", "T") + box("covr", data("G", 12) + data("?", 99)));
  MP4File &f = opened.file;
  EXPECT_EQ("4a:image/jpeg 8950:image/png 42:image/bmp 8950:image/png 47:image/gif 3f: ", describe(f.pictures()));
  EXPECT_EQ(ByteVector("J"), f.tag()->cover());

  // One cover item replaces both; none removes it.
  TagLib::Plugins::PictureList two;
  two.append(Picture(ByteVector("\xFF\xD8\xFF"), ""));
  two.append(Picture(ByteVector(png.c_str()), "image/png", "ignored", Picture::BackCover));
  EXPECT_TRUE(f.setPictures(two));
  EXPECT_EQ("ffd8:image/jpeg 8950:image/png ", describe(f.pictures()));
  EXPECT_EQ(StringList("covr"), f.properties().unsupportedData());
  EXPECT_TRUE(f.setPictures(TagLib::Plugins::PictureList()));
  EXPECT_EQ("", describe(f.pictures()));
  EXPECT_TRUE(f.properties().unsupportedData().isEmpty());
}

TEST(Mp4ItemList, SettersAndPropertiesChangeTheSameItems)
{
  Opened opened(item("gnre", std::string("\0\x12", 2), 0) + item("trkn", std::string("\0\0\0\3\0\x0C\0\0", 8), 0) +
                item("\251day", "2004") + item("xyzw", "u") + item("\251too", "Enc"));
  MP4File &f = opened.file;
  f.tag()->setGenre("Jazz");
  f.tag()->setTrack(4);
  f.tag()->setYear(0);
  PropertyMap map = f.properties();
  EXPECT_EQ("ENCODEDBY=Enc\nGENRE=Jazz\nTRACKNUMBER=4/12\nUnsupported Data: xyzw\n", show(map));

  map.replace("DISCNUMBER", StringList("2/3"));
  map.replace("BPM", StringList("128"));
  map.erase("GENRE");
  f.setProperties(map);
  EXPECT_EQ(2u, f.tag()->disk());
  EXPECT_EQ(128u, f.tag()->bpm());
  EXPECT_TRUE(f.tag()->genre().isEmpty());
  // Only what properties() lists as unsupported data goes.
  f.removeUnsupportedProperties(StringList("xyzw").append("\251too").append("trkn"));
  EXPECT_EQ("BPM=128\nDISCNUMBER=2/3\nENCODEDBY=Enc\nTRACKNUMBER=4/12\n", show(f.properties()));
}
