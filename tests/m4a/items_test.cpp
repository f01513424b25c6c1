// The item list: the property map, the basic fields and the setters against
// TagLib's own MP4 reader, and the pictures.
#include <gtest/gtest.h>

// TagLib's own reader is the oracle; its headers come before ours.
#include <mp4file.h>
using TaglibMP4File = TagLib::MP4::File;

#include "m4a/mp4file.h"
#include "mp4builder.h"
#include "testfiles.h"

using namespace mp4test;
using brenvo_taglib::MP4File;
using TagLib::ByteVector;
using TagLib::PropertyMap;
using TagLib::String;
using TagLib::StringList;
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

std::string show(const PropertyMap &map) { return map.toString().to8Bit(true); }

std::string show(const TagLib::Tag &t)
{
  return (t.title() + "|" + t.artist() + "|" + t.album() + "|" + t.comment() + "|" + t.genre()).to8Bit(true) + "|" +
         std::to_string(t.year()) + "|" + std::to_string(t.track()) + (t.isEmpty() ? "|empty" : "");
}

std::string tagged(const std::string &items) { return file(mvhd(1000, 1000) + tagBoxes(items)); }

} // namespace

TEST(Mp4ItemList, OddItemsReadAndChangeAsInTaglib)
{
  const std::string pair = std::string("\0\0\0\x07\0\x09\0\0", 8);
  const std::string lists[] = {
    // Text counts only with type 1, version 0; a value list ends at the first other box.
    box("\251nam", data("one") + data("two", 0) + data("three")) + item("\251ART", "A", 2) +
      box("\251alb", data("v1", 1, 1)) + item("\251cmt", "") + box("aART", data("a") + box("free") + data("b")),
    // The first of two items counts; unknown codes, one named up to its zero byte.
    item("\251nam", "first") + item("\251nam", "second") + item("xyzw", "u") + item("xyzw", "v") + item("\251too", "Enc") +
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
  for(const char *key : {"TITLE", "TRACKNUMBER", "DISCNUMBER", "BPM", "COMPILATION", "GENRE", "ASIN", "NOT A KEY"})
    change.insert(key, StringList(" 7/ 9"));
  brenvo_test::TempDir dir;
  brenvo_test::StderrCapture capture;
  std::vector<std::string> paths = {brenvo_test::dataPath("m4a/aac-mono-48k-items.m4a")};
  for(const std::string &items : lists)
    paths.push_back(dir.write(std::to_string(paths.size()) + ".m4a", file(mvhd(1000, 1000) + tagBoxes(items))));
  for(const std::string &path : paths) {
    SCOPED_TRACE(path);
    TaglibMP4File theirs(path.c_str(), false);
    MP4File ours(path.c_str(), false);
    EXPECT_EQ(show(theirs.properties()), show(ours.properties()));
    EXPECT_EQ(show(*theirs.tag()), show(*ours.tag()));
    EXPECT_EQ(show(theirs.setProperties(theirs.properties())), show(ours.setProperties(ours.properties())));
    EXPECT_EQ(show(theirs.setProperties(change)), show(ours.setProperties(change)));
    EXPECT_EQ(show(theirs.properties()), show(ours.properties()));
    // The setters change the items the property map shows; what goes is only what is named.
    for(TagLib::Tag *t : {static_cast<TagLib::Tag *>(theirs.tag()), static_cast<TagLib::Tag *>(ours.tag())}) {
      t->setGenre("Jazz");
      t->setYear(0);
    }
    theirs.removeUnsupportedProperties(StringList("xyzw").append("\251too"));
    ours.removeUnsupportedProperties(StringList("xyzw").append("\251too"));
    EXPECT_EQ(show(theirs.properties()), show(ours.properties()));
  }
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
  OpenedFile opened(tagged(box("covr", data("J", 13) + data(png, 14) + data("", 14) + data("B", 27) + data(png, 0)) +
                item("\251nam", "T") + box("covr", data("G", 12) + data("?", 99))));
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

TEST(Mp4ItemList, TrackKeepsItsTotalAndOnlyUnsupportedDataIsRemoved)
{
  OpenedFile opened(tagged(item("trkn", std::string("\0\0\0\3\0\x0C\0\0", 8), 0) + item("xyzw", "u")));
  MP4File &f = opened.file;
  f.tag()->setTrack(4);
  f.removeUnsupportedProperties(StringList("xyzw").append("trkn"));
  EXPECT_EQ("TRACKNUMBER=4/12\n", show(f.properties()));
}
