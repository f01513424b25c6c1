#include <gtest/gtest.h>

#include <string>

#include "common/fdstream.h"
#include "common/tagblocks.h"
#include "testfiles.h"

using TagLib::ByteVector;
using TagLib::DescriptorStream;
using TagLib::TagBlock;
using TagLib::TagBlockLayout;

namespace {

ByteVector bytes(const std::string &s)
{
  return ByteVector(s.data(), static_cast<unsigned int>(s.size()));
}

// A file "HHHH" + audio + "AAA" + "TTT": a head block, a tail block and a last block.
struct Fixture
{
  brenvo_test::TempDir dir;
  std::string path = dir.write("f.bin", "HHHHaudioAAATTT");
  DescriptorStream stream{path.c_str()};
  TagBlock head{0, 4};
  TagBlock tail{9, 3};
  TagBlock last{12, 3};
  TagBlockLayout layout{&stream};

  Fixture()
  {
    for(TagBlock *b : {&head, &tail, &last})
      layout.track(b);
  }
};

TEST(TagBlockLayout, ResizingABlockMovesTheBlocksBehindIt)
{
  Fixture f;
  ASSERT_TRUE(f.layout.write(f.head, bytes("hhhhhhh"), 0));
  EXPECT_EQ(f.tail.offset, 12);
  EXPECT_EQ(f.last.offset, 15);
  ASSERT_TRUE(f.layout.write(f.tail, bytes("a"), 0));
  EXPECT_EQ(f.last.offset, 13);
  EXPECT_EQ(brenvo_test::readFile(f.path), "hhhhhhhaudioaTTT");
}

TEST(TagBlockLayout, ANewBlockInsertedWhereAnotherStartsPushesItBack)
{
  Fixture f;
  ASSERT_TRUE(f.layout.remove(f.tail));
  EXPECT_FALSE(f.tail.exists());
  EXPECT_EQ(f.last.offset, 9);
  ASSERT_TRUE(f.layout.write(f.tail, bytes("NEWAPE"), f.last.offset));
  EXPECT_EQ(f.tail.offset, 9);
  EXPECT_EQ(f.last.offset, 15);
  EXPECT_EQ(brenvo_test::readFile(f.path), "HHHHaudioNEWAPETTT");
  ASSERT_TRUE(f.layout.remove(f.head));
  EXPECT_EQ(f.tail.offset, 5);
  EXPECT_EQ(f.last.offset, 11);
  TagBlock appended;
  f.layout.track(&appended);
  ASSERT_TRUE(f.layout.writeAtEnd(appended, bytes("Z")));
  EXPECT_EQ(brenvo_test::readFile(f.path), "audioNEWAPETTTZ");
}

TEST(TagBlockLayout, ARefusedWriteChangesNothingAndDisablesTheLayout)
{
  Fixture f;
  ::chmod(f.path.c_str(), 0444);
  brenvo_test::runAsUnprivileged(f.dir, [&] {
    DescriptorStream readOnly(f.path.c_str());
    TagBlockLayout layout(&readOnly);
    TagBlock head{0, 4};
    layout.track(&head);
    EXPECT_FALSE(layout.write(head, bytes("xx"), 0));
    EXPECT_FALSE(layout.remove(head));
  });
  EXPECT_EQ(brenvo_test::readFile(f.path), "HHHHaudioAAATTT");
}

} // namespace
