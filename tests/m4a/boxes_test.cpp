// The walk through the boxes: declared ends, bad, huge, empty and deeply nested boxes.
#include <gtest/gtest.h>

#include "mp4builder.h"

using namespace mp4test;

TEST(Mp4Boxes, WalkGoesOnAtDeclaredEndsAndStopsAtWhatItCannotRead)
{
  const std::string late = box("moov", mvhd(1000, 3000) + tagBoxes(item("\251nam", "Late")));
  // A top-level movie header longer than its layout: the bytes after its fields
  // look like a box that would swallow the rest of the file.
  const std::string longMvhd = fullBox("mvhd", 0, 0, mvhd(1000, 2000).substr(12) + boxSized(1000, "free"));
  const std::string covers = box("covr", fullBox("data", 0, 13, "RSVDJPEG") + fullBox("data", 0, 14, "RSVDPNG"));
  std::string deep = item("\251nam", "Deep");
  for(int i = 0; i < 5000; ++i)
    deep = box(i % 2 ? "moov" : "udta", deep);
  const struct { const char *name; std::string bytes; const char *title; int length; } cases[] = {
    {"media data with a 64-bit size first: never past it", boxSized(1, "mdat", std::string(108, '\0')) + late, "", 0},
    {"a last box running to the end of the file", late + boxSized(0, "mdat", std::string(50, 'x')), "Late", 3},
    {"a header longer than its layout", longMvhd + box("moov", tagBoxes(item("\251nam", "Real"))), "Real", 2},
    {"an item of two data boxes", file(tagBoxes(covers + item("\251nam", "After"))), "After", 0},
    {"an empty container", box("moov", box("trak") + mvhd(1000, 4000)), "", 4},
    {"an empty full box container", box("moov", fullBox("meta", 0, 0) + mvhd(1000, 4000)), "", 4},
    {"the item list's few levels", box("moov", tagBoxes(item("\251nam", "A"))), "A", 0},
    {"thousands of levels deep: the stack holds", deep, "", 0},
  };
  for(const auto &c : cases) {
    brenvo_test::StderrCapture capture;
    OpenedFile f(c.bytes);
    EXPECT_EQ(TagLib::String(c.title), f->tag()->title()) << c.name;
    EXPECT_EQ(c.length, f->audioProperties()->length()) << c.name;
    EXPECT_EQ("", capture.text()) << c.name;
  }
}

TEST(Mp4Boxes, BadChildIsReported)
{
  // A stbl of 100 bytes whose second child ends beyond byte 100.
  brenvo_test::StderrCapture capture;
  OpenedFile f(boxSized(100, "stbl", box("stts", std::string(12, '\0')) + boxSized(80, "stsz", std::string(64, '\0'))));
  EXPECT_EQ("Error in mp4 file " + f.path + " stbl box contains bad box with name: stsz\n", capture.text());
  // meta's children start after its version and flags; the last size would
  // wrap the count of bytes left.
  for(const std::string &bytes : {boxSized(16, "udta", boxSized(100, "free")),
                                  boxSized(20, "meta", std::string(4, '\0') + boxSized(100, "hdlr")),
                                  box("moov", boxSized(0xFFFFFFF8u, "trak") + mvhd(1000, 3000))}) {
    brenvo_test::StderrCapture printed;
    OpenedFile other(bytes);
    EXPECT_NE("", printed.text()) << bytes.substr(4, 4);
  }
}
