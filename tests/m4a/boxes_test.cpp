// The container walk: bad children, empty containers, declared ends, nesting.
#include <gtest/gtest.h>

#include "mp4builder.h"
#include "mp4testfile.h"

using namespace mp4test;

TEST(Mp4Container, ChildPastTheEndIsReported)
{
  // A stbl of 100 bytes whose second child ends beyond byte 100.
  const std::string stbl = boxSized(100, "stbl", box("stts", std::string(12, '\0')) + boxSized(80, "stsz") +
                                                   std::string(64, '\0'));
  ASSERT_EQ(100u, stbl.size());
  brenvo_test::StderrCapture capture;
  OpenedFile f(box("ftyp", "M4A ") + stbl);
  EXPECT_EQ("Error in mp4 file " + f.path() + " stbl box contains bad box with name: stsz\n", capture.text());
}

TEST(Mp4Container, BadOrHugeChildIsReported)
{
  std::vector<std::string> files;
  for(const char *c : {"moov", "trak", "mdia", "minf", "stbl", "udta"})
    files.push_back(boxSized(16, c, boxSized(100, "free")));
  files.push_back(box("moov", tagBoxes(boxSized(100, "\251nam"))));
  // meta's children start after its version and flags.
  files.push_back(boxSized(20, "meta", std::string(4, '\0') + boxSized(100, "hdlr")));
  // A size that would wrap the count of bytes left.
  files.push_back(box("moov", boxSized(0xFFFFFFF8u, "trak") + mvhd(1000, 3000)));
  for(const std::string &bytes : files) {
    brenvo_test::StderrCapture capture;
    OpenedFile f(bytes);
    EXPECT_NE("", capture.text()) << bytes.substr(4, 4);
  }
}

TEST(Mp4Container, EmptyContainersReadNothingOfWhatFollows)
{
  for(const std::string &empty : {box("moov"), box("trak"), box("udta"), box("ilst"), fullBox("meta", 0, 0)}) {
    brenvo_test::StderrCapture capture;
    OpenedFile f(box("moov", empty + mvhd(1000, 4000)));
    EXPECT_EQ("", capture.text()) << empty.substr(4, 4);
    EXPECT_EQ(4, f->audioProperties()->length()) << empty.substr(4, 4);
  }
}

TEST(Mp4Container, GoesOnAtEachChildsDeclaredEnd)
{
  // A cover item with two images, as real files have, then more items: the
  // cover is the first image, and the list goes on after the item.
  const std::string covers = box("covr", fullBox("data", 0, 13, std::string(4, '\0') + "JPEGBYTES") +
                                           fullBox("data", 0, 14, std::string(4, '\0') + "PNGBYTES"));
  OpenedFile f(file(tagBoxes(item("\251nam", "Before") + covers + item("\251ART", "After") +
                             item("\251alb", "Album"))));
  EXPECT_EQ(TagLib::String("Before"), f->tag()->title());
  EXPECT_EQ(TagLib::ByteVector("JPEGBYTES"), f->tag()->cover());
  EXPECT_EQ(TagLib::String("After"), f->tag()->artist());
  EXPECT_EQ(TagLib::String("Album"), f->tag()->album());
}

TEST(Mp4Container, NestingIsBounded)
{
  // Thousands of containers inside each other must not exhaust the stack.
  std::string bytes = item("\251nam", "Deep");
  for(int i = 0; i < 5000; ++i)
    bytes = box(i % 2 ? "moov" : "udta", bytes);
  OpenedFile f(bytes);
  EXPECT_TRUE(f->tag()->isEmpty());

  // The item list's few levels are read.
  OpenedFile shallow(box("moov", tagBoxes(item("\251nam", "Shallow"))));
  EXPECT_EQ(TagLib::String("Shallow"), shallow->tag()->title());
}
