// iTunes items, their data boxes and the MP4 tag.
#include <gtest/gtest.h>

#include <map>

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
    {"title", t.title().to8Bit(true)}, {"genre", t.genre().to8Bit(true)}, {"track", std::to_string(t.track())},
    {"empty", t.isEmpty() ? "yes" : "no"}};
  return fields.at(name);
}

} // namespace

TEST(Mp4Tag, StartsEmptyAndAnySetterMarksIt)
{
  TagLib::MP4::Tag a, b, c;
  EXPECT_TRUE(a.isEmpty());
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
    // An ID3v1 genre index out of range.
    {tagged(item("gnre", raw({0x7F, 0xFF}), 0)), "genre", ""},
    // Only the item list at moov/udta/meta counts, and only the first.
    {file(mvhd(1000, 1000) + tagBoxes(item("\251nam", "First")) + tagBoxes(item("\251nam", "Second"))), "title", "First"},
    {file(box("moov", tagBoxes(item("\251nam", "Nested")))), "empty", "yes"},
    {file(mvhd(1000, 1000) + fullBox("meta", 0, 0, box("ilst", item("\251nam", "No udta")))), "empty", "yes"},
    // A data box of 24 bytes: the 8 bytes from offset 16.
    {tagged(box("\251nam", fullBox("data", 0, 1, "RSVD12345678"))), "title", "12345678"},
    // A data box, with its item, ilst and all, cut off by the end of the file.
    {longTitle.substr(0, longTitle.size() - 100 - 8 - 10), "title", "A long title that the fil"},
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

TEST(Mp4Items, MalformedItemsShowNothingAndTheListGoesOn)
{
  const std::string text = ByteBuilder().be32(1).be32(0).text("Ti").str();
  const struct { std::string item; const char *title; bool reported; } cases[] = {
    {box("\251nam", "abc"), "", true},
    {box("\251nam", box("free", "xxxx") + fullBox("data", 0, 1, "RSVDTitle")), "", true},
    {box("\251nam", boxSized(4, "data", text)), "", true},
    {box("----", box("name", "0000ASIN") + box("data", text)), "", true},
    // A data box that runs past its item holds what the item holds.
    {box("\251nam", boxSized(40, "data", text)), "Ti", false},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(&c - cases);
    brenvo_test::StderrCapture capture;
    OpenedFile f(tagged(c.item + item("\251ART", "Next")));
    EXPECT_EQ(c.reported ? "bad atom in itunes tag - skipping it.\n" : "", capture.text());
    EXPECT_EQ(String(c.title) + "|Next", f->tag()->title() + "|" + f->tag()->artist());
  }
}
