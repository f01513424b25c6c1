// iTunes items, their data boxes and the MP4 tag.
#include <gtest/gtest.h>

#include <map>

#include "common/fdstream.h"
#include "m4a/mp4itunestag.h"
#include "mp4builder.h"

using namespace mp4test;
using TagLib::ByteVector;
using TagLib::String;

namespace {

std::string tagged(const std::string &items)
{
  return file(mvhd(1000, 1000) + tagBoxes(items));
}

//! One field of \a t as text, by name.
std::string field(const TagLib::MP4::Tag &t, const std::string &name)
{
  const std::map<std::string, std::string> fields = {
    {"title", t.title().to8Bit(true)}, {"artist", t.artist().to8Bit(true)}, {"genre", t.genre().to8Bit(true)},
    {"track", std::to_string(t.track())}, {"disk", std::to_string(t.disk())}, {"bpm", std::to_string(t.bpm())},
    {"empty", t.isEmpty() ? "yes" : "no"}};
  return fields.at(name);
}

} // namespace

TEST(Mp4Tag, StartsEmptyAndAnySetterMarksIt)
{
  EXPECT_TRUE(TagLib::MP4::Tag().isEmpty());
  TagLib::MP4::Tag a, b, c;
  a.setTitle(String());
  b.setYear(0);
  c.setCover(ByteVector());
  EXPECT_FALSE(a.isEmpty() || b.isEmpty() || c.isEmpty());
}

TEST(Mp4Items, OneFieldFromBuiltFiles)
{
  const std::string longTitle = tagged(item("\251nam", "A long title that the file cuts off"));
  const struct { std::string bytes; const char *field, *expected; } cases[] = {
    {tagged(item("trkn", raw({0, 0, 1, 0}), 0)), "track", "256"},
    // Too short for a number: 0, but the item was there.
    {tagged(item("trkn", raw({0, 0, 5}), 0)), "track", "0"},
    {tagged(item("trkn", raw({0, 0, 5}), 0)), "empty", "no"},
    {tagged(item("tmpo", raw({0x78}), 21)), "bpm", "0"},
    {tagged(item("disk", raw({0, 0, 0}), 0)), "disk", "0"},
    // Empty text is not set.
    {tagged(item("\251nam", "") + item("\251day", "")), "empty", "yes"},
    {tagged(item("\251nam", "First") + item("\251nam", "Second")), "title", "Second"},
    // gnre holds the ID3v1 index plus one; 0, an index past the list or a short payload is no genre.
    {tagged(item("gnre", raw({0, 18}), 0)), "genre", "Rock"},
    {tagged(item("gnre", raw({0, 1}), 0)), "genre", "Blues"},
    {tagged(item("gnre", raw({0, 0}), 0)), "genre", ""},
    {tagged(item("gnre", raw({0x7F, 0xFF}), 0)), "genre", ""},
    {tagged(item("gnre", raw({18}), 0)), "genre", ""},
    // The text genre and the number share the slot: the later one counts.
    {tagged(item("gnre", raw({0, 18}), 0) + item("\251gen", "Jazz")), "genre", "Jazz"},
    {tagged(item("\251gen", "Jazz") + item("gnre", raw({0, 18}), 0)), "genre", "Rock"},
    // A data box of 24 bytes: the 8 bytes from offset 16.
    {tagged(box("\251nam", fullBox("data", 0, 1, "RSVD12345678"))), "title", "12345678"},
    // A data box, with its item, ilst and all, cut off by the end of the file.
    {longTitle.substr(0, longTitle.size() - 100 - 8 - 10), "title", "A long title that the fil"},
    {tagged(item("\251too", "Encoder") + item("aART", "Album Artist") + item("\251nam", "Title")), "title", "Title"},
    {tagged(item("\251too", "Encoder") + item("aART", "Album Artist") + item("\251nam", "Title")), "artist", ""},
    {file(mvhd(1000, 1000)), "empty", "yes"},
  };
  for(const auto &c : cases) {
    OpenedFile f(c.bytes);
    EXPECT_EQ(c.expected, field(*f->tag(), c.field)) << c.field << " of case " << (&c - cases);
  }
}

TEST(Mp4Items, HugeDeclaredSizesAllocateOnlyWhatExists)
{
  // Every box down to the data box claims to end at byte 0xFFFFFFF0, each
  // fitting in its parent; the file holds a few bytes.
  ByteBuilder patched;
  patched.text(box("moov", box("udta", fullBox("meta", 0, 0, box("ilst", item("covr", "tiny", 13))))));
  for(std::uint32_t at : {0, 8, 16, 28, 36, 44})
    patched.patch(at, 0xFFFFFFF0u - at, 4, true);
  brenvo_test::StderrCapture capture;
  OpenedFile f(patched.str());
  EXPECT_EQ(ByteVector("tiny"), f->tag()->cover());
  capture.text();
}

TEST(Mp4Items, AnItemThatCannotBeReadIsSkipped)
{
  const std::string truncated = "Error in parsing ITunesNamBox - serious Error in taglib!\n";
  const struct { const char *name; std::string content, diagnostic; } cases[] = {
    // Data boxes of 8 to 15 bytes leave no room for a payload.
    {"a data box of 8 bytes", boxSized(8, "data"), ""},
    {"a data box of 15 bytes", boxSized(15, "data", "AAAAAAA") + "BBBB", ""},
    {"a first child that is not data", box("free", "xxxx") + fullBox("data", 0, 1, "RSVDTitle"),
     "bad atom in itunes tag - skipping it.\n"},
    {"no room for a child header", "abc", truncated},
    {"a data box running past its item", boxSized(40, "data", std::string(8, '\0') + "Ti"), truncated},
  };
  for(const auto &c : cases) {
    brenvo_test::StderrCapture capture;
    OpenedFile f(tagged(box("\251nam", c.content) + item("trkn", raw({0, 0, 0, 7}), 0)));
    EXPECT_EQ(c.diagnostic, capture.text()) << c.name;
    EXPECT_TRUE(f->tag()->title().isEmpty()) << c.name;
    EXPECT_EQ(7u, f->tag()->track()) << c.name;
  }
}

TEST(Mp4File, BoxesNoOneParsesAreNotRead)
{
  // The media data before the movie box, and large unknown boxes in it and in the item list.
  const std::string skipped(1 << 20, '\x5A');
  const std::string bytes = box("mdat", skipped) + box("moov", mvhd(1000, 1000) + box("free", skipped) +
                                                      tagBoxes(box("zzzz", skipped) + item("\251nam", "Title")));
  const long before = bytesReadSoFar();
  OpenedFile f(bytes);
  // A read-ahead window at the start and at each box parsed after a skip.
  EXPECT_LT(bytesReadSoFar() - before, static_cast<long>(6 * TagLib::DescriptorStream::windowSize));
  EXPECT_EQ(String("Title"), f->tag()->title());
  EXPECT_EQ(1, f->audioProperties()->length());
}
