// iTunes items, their data boxes, the tags proxy and the MP4 tag.
#include <gtest/gtest.h>

#include <fstream>

#include "common/fdstream.h"
#include "m4a/itunesboxes.h"
#include "m4a/mp4itunestag.h"
#include "m4a/mp4tagsproxy.h"
#include "mp4builder.h"
#include "mp4testfile.h"

using namespace mp4test;
using TagLib::ByteVector;
using TagLib::String;

namespace {

std::string numbers(std::initializer_list<int> values)
{
  return ByteBuilder().raw(values).str();
}

std::string tagged(const std::string &items)
{
  return file(mvhd(1000, 1000) + tagBoxes(items));
}

long bytesReadSoFar()
{
  std::ifstream in("/proc/self/io");
  std::string key;
  long value = 0;
  while(in >> key >> value) {
    if(key == "rchar:")
      return value;
  }
  return -1L;
}

} // namespace

TEST(Mp4Tag, StartsEmptyAndAnySetterMarksIt)
{
  TagLib::MP4::Tag tag;
  EXPECT_TRUE(tag.isEmpty());
  EXPECT_TRUE(tag.title().isEmpty());
  EXPECT_EQ(0u, tag.year());
  EXPECT_EQ(0u, tag.disk());
  EXPECT_EQ(0u, tag.bpm());
  EXPECT_TRUE(tag.cover().isEmpty());

  TagLib::MP4::Tag a, b, c;
  a.setTitle(String());
  b.setYear(0);
  c.setCover(ByteVector());
  EXPECT_FALSE(a.isEmpty());
  EXPECT_FALSE(b.isEmpty());
  EXPECT_FALSE(c.isEmpty());

  tag.setTrack(4294967295u);
  tag.setComposer("First");
  tag.setComposer("Second");
  const ByteVector cover("\0\x01\xFF\0", 4);
  tag.setCover(cover);
  EXPECT_EQ(4294967295u, tag.track());
  EXPECT_EQ(String("Second"), tag.composer());
  EXPECT_EQ(cover, tag.cover());
}

TEST(Mp4Items, EveryFieldFromAFile)
{
  OpenedFile f(tagged(item("\251nam", "Title") + item("\251ART", "Artist") + item("\251alb", "Album") +
                      item("\251cmt", "Comment") + item("\251gen", "Genre") + item("\251day", "2004") +
                      item("trkn", numbers({0, 0, 0, 5, 0, 12, 0, 0}), 0) + item("\251grp", "Grouping") +
                      item("\251wrt", "Composer") + item("disk", numbers({0, 0, 0, 2, 0, 3}), 0) +
                      item("tmpo", numbers({0, 0x78}), 21) + item("covr", std::string("\x89PNG\0\x01", 6), 14)));
  const TagLib::MP4::Tag *tag = f->tag();
  EXPECT_EQ(String("Title"), tag->title());
  EXPECT_EQ(String("Artist"), tag->artist());
  EXPECT_EQ(String("Album"), tag->album());
  EXPECT_EQ(String("Comment"), tag->comment());
  EXPECT_EQ(String("Genre"), tag->genre());
  EXPECT_EQ(2004u, tag->year());
  EXPECT_EQ(5u, tag->track());
  EXPECT_EQ(String("Grouping"), tag->grouping());
  EXPECT_EQ(String("Composer"), tag->composer());
  EXPECT_EQ(2u, tag->disk());
  EXPECT_EQ(120u, tag->bpm());
  EXPECT_EQ(ByteVector("\x89PNG\0\x01", 6), tag->cover());
  EXPECT_FALSE(tag->isEmpty());
}

TEST(Mp4Items, TextIsUtf8)
{
  OpenedFile f(tagged(item("\251nam", "\xC3\x9Cn\xC3\xAF \xE6\x97\xA5\xE6\x9C\xAC")));
  EXPECT_EQ(String(L"\u00DCn\u00EF \u65E5\u672C"), f->tag()->title());
}

TEST(Mp4Items, NumbersAndShortPayloads)
{
  EXPECT_EQ(256u, OpenedFile(tagged(item("trkn", numbers({0, 0, 1, 0}), 0)))->tag()->track());
  {
    // Too short for a number: 0, but the item was there.
    OpenedFile f(tagged(item("trkn", numbers({0, 0, 5}), 0)));
    EXPECT_EQ(0u, f->tag()->track());
    EXPECT_FALSE(f->tag()->isEmpty());
  }
  EXPECT_EQ(0u, OpenedFile(tagged(item("tmpo", numbers({0x78}), 21)))->tag()->bpm());
  EXPECT_EQ(0u, OpenedFile(tagged(item("disk", numbers({0, 0, 0}), 0)))->tag()->disk());
}

TEST(Mp4Items, EmptyTextIsNotSet)
{
  OpenedFile f(tagged(item("\251nam", "") + item("\251day", "")));
  EXPECT_TRUE(f->tag()->title().isEmpty());
  EXPECT_EQ(0u, f->tag()->year());
  EXPECT_TRUE(f->tag()->isEmpty());
  // The slot was filled nonetheless.
  EXPECT_NE(nullptr, f->tagProxy()->titleData());
  EXPECT_TRUE(f->tagProxy()->titleData()->data().isEmpty());
}

TEST(Mp4Items, LaterItemOfASlotWins)
{
  OpenedFile f(tagged(item("\251nam", "First") + item("\251nam", "Second")));
  EXPECT_EQ(String("Second"), f->tag()->title());
}

TEST(Mp4Items, NumericGenreIsAnId3v1Genre)
{
  // gnre holds the ID3v1 index plus one: 18 is Rock (17).
  EXPECT_EQ(String("Rock"), OpenedFile(tagged(item("gnre", numbers({0, 18}), 0)))->tag()->genre());
  EXPECT_EQ(String("Blues"), OpenedFile(tagged(item("gnre", numbers({0, 1}), 0)))->tag()->genre());
  // 0, an index past the list, or a short payload: no genre.
  for(const std::string &payload : {numbers({0, 0}), numbers({0x7F, 0xFF}), numbers({18})}) {
    OpenedFile f(tagged(item("gnre", payload, 0)));
    EXPECT_TRUE(f->tag()->genre().isEmpty());
  }
  // The text genre and the number share the slot: the later one counts.
  EXPECT_EQ(String("Jazz"), OpenedFile(tagged(item("gnre", numbers({0, 18}), 0) + item("\251gen", "Jazz")))->tag()->genre());
  EXPECT_EQ(String("Rock"), OpenedFile(tagged(item("\251gen", "Jazz") + item("gnre", numbers({0, 18}), 0)))->tag()->genre());
}

TEST(Mp4Items, DataBoxPayload)
{
  {
    // A data box of 24 bytes: the 8 bytes from offset 16.
    OpenedFile f(tagged(box("\251nam", fullBox("data", 0, 1, "RSVD12345678"))));
    EXPECT_EQ(String("12345678"), f->tag()->title());
  }
  {
    // Sizes 8 to 15 leave no room for a payload: empty.
    for(std::uint32_t size = 8; size < 16; ++size) {
      const std::string data = boxSized(size, "data", std::string(size - 8, '\x41'));
      OpenedFile f(tagged(box("\251nam", data) + item("\251ART", "Next")));
      EXPECT_TRUE(f->tag()->title().isEmpty()) << size;
      EXPECT_EQ(String("Next"), f->tag()->artist()) << size;
    }
  }
  {
    // A data box, with its item, ilst and all, cut off by the end of the file.
    const std::string whole = tagged(item("\251nam", "A long title that the file cuts off"));
    const std::string cut = whole.substr(0, whole.size() - 100 - 8 - 10);
    OpenedFile f(cut);
    EXPECT_EQ(String("A long title that the fil"), f->tag()->title());
  }
}

TEST(Mp4Items, HugeDeclaredSizesAllocateOnlyWhatExists)
{
  // Every box down to the data box claims nearly 4 GB, each fitting in its
  // parent; the file holds a few bytes.
  std::string bytes = box("moov", box("udta", fullBox("meta", 0, 0, box("ilst", item("covr", "tiny", 13)))));
  ByteBuilder patched;
  patched.text(bytes);
  const std::pair<std::size_t, std::uint32_t> sizes[] = {
    {0, 0xFFFFFFF0u}, {8, 0xFFFFFFE8u}, {16, 0xFFFFFFE0u}, {28, 0xFFFFFFD4u}, {36, 0xFFFFFFCCu}, {44, 0xFFFFFFC4u}};
  for(const auto &size : sizes)
    patched.patch(size.first, size.second, 4, true);
  bytes = patched.str();
  brenvo_test::StderrCapture capture;
  OpenedFile f(bytes);
  EXPECT_EQ(ByteVector("tiny"), f->tag()->cover());
  capture.text();
}

TEST(Mp4Items, BadFirstChildIsSkipped)
{
  brenvo_test::StderrCapture capture;
  OpenedFile f(tagged(box("\251nam", box("free", "xxxx") + fullBox("data", 0, 1, "RSVDTitle")) +
                      item("\251ART", "Artist")));
  EXPECT_EQ("bad atom in itunes tag - skipping it.\n", capture.text());
  EXPECT_TRUE(f->tag()->title().isEmpty());
  EXPECT_EQ(nullptr, f->tagProxy()->titleData());
  EXPECT_EQ(String("Artist"), f->tag()->artist());
}

TEST(Mp4Items, TruncatedItemsAreReported)
{
  for(const char *code : {"\251nam", "\251ART", "\251alb", "covr", "\251gen", "gnre", "\251day", "trkn",
                          "\251cmt", "\251grp", "\251wrt", "disk", "tmpo"}) {
    // An item with no room for a child header, followed by a good item.
    brenvo_test::StderrCapture capture;
    OpenedFile f(tagged(box(code, "abc") + item("\251ART", "Next")));
    EXPECT_NE("", capture.text()) << code;
    EXPECT_EQ(String("Next"), f->tag()->artist()) << code;
  }
  {
    // A data box that runs past its item.
    brenvo_test::StderrCapture capture;
    OpenedFile f(tagged(box("\251nam", boxSized(40, "data", std::string(8, '\0') + "Ti")) + item("\251ART", "Next")));
    EXPECT_EQ("Error in parsing ITunesNamBox - serious Error in taglib!\n", capture.text());
    EXPECT_TRUE(f->tag()->title().isEmpty());
    EXPECT_EQ(String("Next"), f->tag()->artist());
  }
}

TEST(Mp4Items, ItemCodeOutsideTheTableIsSkipped)
{
  OpenedFile f(tagged(item("\251too", "Encoder") + item("aART", "Album Artist") + item("\251nam", "Title")));
  EXPECT_EQ(String("Title"), f->tag()->title());
  EXPECT_TRUE(f->tag()->artist().isEmpty());
}

TEST(Mp4Items, NoIlstLeavesTheTagEmpty)
{
  OpenedFile f(file(mvhd(1000, 1000)));
  EXPECT_TRUE(f->tag()->isEmpty());
  EXPECT_EQ(nullptr, f->tagProxy()->titleData());
  EXPECT_EQ(nullptr, f->tagProxy()->coverData());
}

TEST(Mp4TagsProxy, SlotsAndOutOfRangeValues)
{
  TagLib::MP4::Mp4TagsProxy proxy;
  TagLib::MP4::ITunesDataBox a(nullptr, TagLib::MP4::Fourcc(String("data")), 16, 0);
  TagLib::MP4::ITunesDataBox b(nullptr, TagLib::MP4::Fourcc(String("data")), 16, 0);
  proxy.registerBox(TagLib::MP4::Mp4TagsProxy::bpm, &a);
  proxy.registerBox(TagLib::MP4::Mp4TagsProxy::bpm, &b);
  proxy.registerBox(static_cast<TagLib::MP4::Mp4TagsProxy::EBoxType>(12), &a);
  proxy.registerBox(static_cast<TagLib::MP4::Mp4TagsProxy::EBoxType>(-1), &a);
  EXPECT_EQ(&b, proxy.bpmData());
  EXPECT_EQ(nullptr, proxy.titleData());
  EXPECT_EQ(nullptr, proxy.diskData());

  TagLib::MP4::Tag tag;
  fillTagFromProxy(proxy, tag);
  EXPECT_EQ(0u, tag.bpm());
  EXPECT_FALSE(tag.isEmpty());
}

TEST(Mp4Items, LargeCoverIsReadOnce)
{
  std::string image(5 * 1024 * 1024, '\0');
  for(std::size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<char>(i * 7);
  const std::string bytes = tagged(item("\251nam", "Cover") + item("covr", image, 13));
  brenvo_test::TempDir dir;
  const std::string path = dir.write("cover.m4a", bytes);

  const long before = bytesReadSoFar();
  TagLib::MP4::File f(path.c_str());
  const long read = bytesReadSoFar() - before;
  EXPECT_EQ(String("Cover"), f.tag()->title());
  EXPECT_EQ(ByteVector(image.data(), static_cast<unsigned int>(image.size())), f.tag()->cover());
  // Beside the image, the read-ahead windows around it.
  EXPECT_LT(read, static_cast<long>(image.size() + 3 * TagLib::DescriptorStream::windowSize));
}

TEST(Mp4Items, SkippedBoxesAreNotReadAlongWithTheirNeighbours)
{
  // The large boxes that no one parses, in the movie box and in the item
  // list, are not read: only the read-ahead windows at the boxes parsed.
  const std::string skipped(1 << 20, '\x5A');
  const std::string moov = mvhd(1000, 1000) + box("free", skipped) +
                           box("udta", fullBox("meta", 0, 0, hdlr("mdir") + box("ilst", item("\251nam", "Title") +
                                                                                    box("zzzz", skipped) +
                                                                                    item("\251ART", "Artist"))));
  brenvo_test::TempDir dir;
  const std::string path = dir.write("skipped.m4a", file(moov));

  const long before = bytesReadSoFar();
  TagLib::MP4::File f(path.c_str());
  const long read = bytesReadSoFar() - before;
  EXPECT_EQ(String("Title"), f.tag()->title());
  EXPECT_EQ(String("Artist"), f.tag()->artist());
  EXPECT_EQ(1, f.audioProperties()->length());
  EXPECT_LT(read, static_cast<long>(4 * TagLib::DescriptorStream::windowSize));
}
