// DescriptorStream, and the tag block layout that writes through it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <climits>
#include <random>
#include <string>

#include "common/fdstream.h"
#include "common/tagblocks.h"
#include "testfiles.h"

using TagLib::ByteVector;
using TagLib::DescriptorStream;
using TagLib::IOStream;
using TagLib::TagBlock;
using TagLib::TagBlockLayout;

namespace {

const long window = static_cast<long>(DescriptorStream::windowSize);

std::string pattern(std::size_t size)
{
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for(char &c : bytes)
    c = static_cast<char>(random());
  return bytes;
}

std::string str(const ByteVector &v) { return std::string(v.data(), v.size()); }

// Everything the stream holds, read through its window in small steps.
std::string readAll(IOStream &stream)
{
  std::string all;
  stream.seek(0);
  for(ByteVector part = stream.readBlock(1000); !part.isEmpty(); part = stream.readBlock(1000))
    all += str(part);
  return all;
}

TEST(DescriptorStream, ReadsWhatTheFileHoldsWhereverTheWindowLies)
{
  brenvo_test::TempDir dir;
  const std::string bytes = pattern(static_cast<std::size_t>(3 * window + 123));
  const std::string path = dir.write("f.bin", bytes);
  DescriptorStream stream(path.c_str());
  ASSERT_TRUE(stream.isOpen() && !stream.readOnly());
  EXPECT_EQ(stream.length(), static_cast<long>(bytes.size()));

  struct Case { long at; unsigned long count; };
  const long size = static_cast<long>(bytes.size());
  const Case cases[] = {
    {0, 8}, {4, 4}, {window - 2, 4}, {window + 10, 100}, {size - 128, 128}, {size - 10, 100},
    {size - window - 5, 10}, {100, static_cast<unsigned long>(window) + 1}, {0, static_cast<unsigned long>(size)},
    {size, 10}, {size + 5000, 10}, {17, 0},
  };
  for(const Case &c : cases) {
    SCOPED_TRACE(c.at);
    stream.seek(c.at);
    const std::string expected = c.at >= size ? "" : bytes.substr(static_cast<std::size_t>(c.at), c.count);
    EXPECT_EQ(str(stream.readBlock(c.count)), expected);
    EXPECT_EQ(stream.tell(), c.at + static_cast<long>(expected.size()));
  }
  EXPECT_FALSE(stream.failed());
}

TEST(DescriptorStream, InsertAndRemoveMoveTheRestOfTheFileWhole)
{
  // Larger than one move step, so that the moves take several.
  const std::string original = pattern(2 * 1024 * 1024 + 4567);
  const long size = static_cast<long>(original.size());
  struct Case { const char *what; long start; long replace; std::size_t insert; };
  const Case cases[] = {
    {"same size", 1000, 50, 50},      {"grow at start", 0, 0, 3000},    {"grow middle", 70000, 10, 200000},
    {"shrink middle", 5000, 90000, 7}, {"remove at start", 0, 4096, 0}, {"append", size, 0, 128},
    {"replace the tail", size - 128, 128, 300}, {"remove the tail", size - 300, 300, 0},
  };
  for(const Case &c : cases) {
    SCOPED_TRACE(c.what);
    brenvo_test::TempDir dir;
    const std::string path = dir.write("f.bin", original);
    const std::string data(c.insert, 'x');
    std::string expected = original;
    expected.replace(static_cast<std::size_t>(c.start), static_cast<std::size_t>(c.replace), data);
    {
      DescriptorStream stream(path.c_str());
      // Fill the window with bytes about to move.
      stream.seek(c.start);
      stream.readBlock(16);
      stream.insert(ByteVector(data.data(), static_cast<unsigned int>(data.size())),
                    static_cast<unsigned long>(c.start), static_cast<unsigned long>(c.replace));
      EXPECT_FALSE(stream.failed());
      EXPECT_EQ(stream.length(), static_cast<long>(expected.size()));
      EXPECT_TRUE(readAll(stream) == expected);
    }
    EXPECT_TRUE(brenvo_test::readFile(path) == expected);
  }
}

TEST(DescriptorStream, ReadsAfterWritesSeeTheNewBytesInEitherWindow)
{
  brenvo_test::TempDir dir;
  const std::string big = pattern(static_cast<std::size_t>(4 * window));
  const std::string bigPath = dir.write("big.bin", big);
  {
    DescriptorStream stream(bigPath.c_str());
    // The head and the tail are in two windows now.
    stream.readBlock(10);
    stream.seek(-10, IOStream::End);
    stream.readBlock(10);
    stream.seek(2);
    stream.writeBlock(ByteVector("head", 4));
    stream.seek(-6, IOStream::End);
    stream.writeBlock(ByteVector("tail", 4));
    stream.seek(0);
    EXPECT_EQ(str(stream.readBlock(6)), big.substr(0, 2) + "head");
    stream.seek(-6, IOStream::End);
    EXPECT_EQ(str(stream.readBlock(6)), "tail" + big.substr(big.size() - 2));
  }

  const std::string original = pattern(5000);
  const std::string path = dir.write("f.bin", original);
  DescriptorStream stream(path.c_str());
  stream.seek(100);
  stream.readBlock(10);
  stream.seek(98);
  stream.writeBlock(ByteVector("WXYZ", 4));
  stream.seek(0, IOStream::End);
  stream.writeBlock(ByteVector("END", 3));
  stream.seek(96);
  EXPECT_EQ(str(stream.readBlock(8)), original.substr(96, 2) + "WXYZ" + original.substr(102, 2));
  EXPECT_EQ(stream.length(), 5003);
  stream.seek(-3, IOStream::End);
  EXPECT_EQ(str(stream.readBlock(10)), "END");
  stream.truncate(4000);
  EXPECT_EQ(stream.length(), 4000);
  stream.seek(3990);
  EXPECT_EQ(str(stream.readBlock(100)), original.substr(3990, 10));
  EXPECT_FALSE(stream.failed());
}

TEST(DescriptorStream, SeeksNeverGoBeforeTheStartOrOverflow)
{
  brenvo_test::TempDir dir;
  DescriptorStream stream(dir.write("f.bin", "abcdef").c_str());
  stream.seek(3);
  stream.seek(-10, IOStream::Current);
  EXPECT_EQ(stream.tell(), 3);
  stream.seek(LONG_MAX, IOStream::Current);
  EXPECT_EQ(stream.tell(), LONG_MAX);
  EXPECT_TRUE(stream.readBlock(4).isEmpty());
}

TEST(DescriptorStream, AFileThatCannotBeWrittenIsReadOnlyAndWritesFail)
{
  brenvo_test::TempDir dir;
  const std::string path = dir.write("f.bin", "abcdef");
  ::chmod(path.c_str(), 0444);
  brenvo_test::runAsUnprivileged(dir, [&] {
    DescriptorStream stream(path.c_str());
    ASSERT_TRUE(stream.isOpen() && stream.readOnly());
    EXPECT_EQ(str(stream.readBlock(3)), "abc");
    stream.writeBlock(ByteVector("X", 1));
    EXPECT_TRUE(stream.failed());
    stream.clearFailure();
    stream.insert(ByteVector("XY", 2), 0, 0);
    EXPECT_TRUE(stream.failed());
  });
  EXPECT_EQ(brenvo_test::readFile(path), "abcdef");
}

TEST(DescriptorStream, OpenRefusesAPathThatCannotBeRead)
{
  brenvo_test::TempDir dir;
  EXPECT_EQ(DescriptorStream::open((dir.path() + "/missing").c_str()), nullptr);
  EXPECT_NE(DescriptorStream::open(dir.write("f.bin", "x").c_str()), nullptr);
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
  ASSERT_TRUE(f.layout.write(f.head, ByteVector("hhhhhhh"), 0));
  EXPECT_EQ(f.tail.offset, 12);
  EXPECT_EQ(f.last.offset, 15);
  ASSERT_TRUE(f.layout.write(f.tail, ByteVector("a"), 0));
  EXPECT_EQ(f.last.offset, 13);
  EXPECT_EQ(brenvo_test::readFile(f.path), "hhhhhhhaudioaTTT");
}

TEST(TagBlockLayout, ANewBlockInsertedWhereAnotherStartsPushesItBack)
{
  Fixture f;
  ASSERT_TRUE(f.layout.remove(f.tail));
  EXPECT_FALSE(f.tail.exists());
  EXPECT_EQ(f.last.offset, 9);
  ASSERT_TRUE(f.layout.write(f.tail, ByteVector("NEWAPE"), f.last.offset));
  EXPECT_EQ(f.tail.offset, 9);
  EXPECT_EQ(f.last.offset, 15);
  EXPECT_EQ(brenvo_test::readFile(f.path), "HHHHaudioNEWAPETTT");
  ASSERT_TRUE(f.layout.remove(f.head));
  EXPECT_EQ(f.tail.offset, 5);
  EXPECT_EQ(f.last.offset, 11);
  TagBlock appended;
  f.layout.track(&appended);
  ASSERT_TRUE(f.layout.writeAtEnd(appended, ByteVector("Z")));
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
    EXPECT_FALSE(layout.write(head, ByteVector("xx"), 0));
    EXPECT_FALSE(layout.remove(head));
  });
  EXPECT_EQ(brenvo_test::readFile(f.path), "HHHHaudioAAATTT");
}

} // namespace
