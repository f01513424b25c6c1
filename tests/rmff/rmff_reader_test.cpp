// The chunk reader: the header walk, the chunk search and the failures that
// set the error flag.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "common/fdstream.h"
#include "rmchunks.h"
#include "rmff/rmff.h"
#include "testfiles.h"

using namespace brenvo_test;
using namespace rmtest;
using TagLib::RealMedia::RealMediaFF;
using TagLib::RealMedia::chunkId;

namespace {

struct Opened
{
  std::unique_ptr<RealMediaFF> reader;
  std::string stderrText;
};

class RmffReader : public ::testing::Test
{
protected:
  Opened open(const ByteBuilder &bytes, bool readProperties = true)
  {
    const std::string path = dir.write("file.rm", bytes.str());
    Opened o;
    StderrCapture capture;
    o.reader = std::make_unique<RealMediaFF>(path.c_str(), readProperties);
    o.stderrText = capture.text();
    return o;
  }

  TempDir dir;
};

} // namespace

TEST_F(RmffReader, PlainFileReadsEveryHeaderChunk)
{
  const Opened o = open(cat({rmf(), prop(), mdpr(), cont("T", "Au", "C", "Co"), data()}));
  const RealMediaFF &r = *o.reader;
  EXPECT_EQ(r.err(), 0);
  EXPECT_EQ(o.stderrText, "");  // no metadata section is no failure
  ASSERT_EQ(r.records().size(), 4u);
  ASSERT_NE(r.fileHeader(), nullptr);
  ASSERT_NE(r.mediaProperties(), nullptr);
  ASSERT_NE(r.contentDescription(), nullptr);
  EXPECT_STREQ(r.mediaProperties()->mime_type, "audio/x-pn-realaudio");
  EXPECT_STREQ(r.contentDescription()->comment.get(), "Co");
  EXPECT_EQ(r.metadataSection(), nullptr);
  EXPECT_EQ(r.length(), 2020u);
  EXPECT_EQ(r.bitrate(), 64000u);
  EXPECT_EQ(r.title(), TagLib::String("T"));
}

TEST_F(RmffReader, FilesThatReadWithoutError)
{
  MdProp root;
  const struct
  {
    const char *what;
    ByteBuilder bytes;
    std::size_t records;
    unsigned int length;
  } cases[] = {
      {"two media properties chunks", cat({rmf(), prop(), mdpr("a", "audio/x", {}), mdpr("b", "video/x", {}), data()}),
       4, 2020},
      {"file properties of version 1: zero fields", cat({rmf(), prop(2020, 64000, 1), cont(), data()}), 3, 0},
      {"file properties too short: zero fields", cat({rmf(), chunk("PROP", ByteBuilder().be16(0).be32(1)), cont(), data()}),
       3, 0},
      {"file header of version 2", cat({rmf(2), prop(), data()}), 2, 2020},
      {"four empty texts", cat({rmf(), prop(), cont("", "", "", ""), data()}), 3, 2020},
      {"unknown chunk", cat({rmf(), chunk("XYZW", ByteBuilder().fill(20, 1)), prop(), data()}), 2, 2020},
      {"data chunk right after the file header", cat({rmf(), data(40)}), 1, 0},
      {"data chunk overshooting the bytes written",
       cat({rmf(), prop(), cont(), chunkDeclaring("DATA", 4000000, ByteBuilder().fill(100))}), 3, 2020},
      {"trailing ID3v1 tag", cat({plainFile(), id3v1("t", "a", "al", "1999", "c", 1, 2)}), 4, 2020},
      {"chunk of size 8 stops the search", cat({plainFile(), chunkDeclaring("NULL", 8, {}), rmmd(root.bytes())}), 4,
       2020},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const Opened o = open(c.bytes);
    EXPECT_EQ(o.reader->err(), 0);
    EXPECT_EQ(o.stderrText, "");
    EXPECT_EQ(o.reader->records().size(), c.records);
    EXPECT_EQ(o.reader->length(), c.length);
    EXPECT_EQ(o.reader->metadataSection(), nullptr);
  }
}

TEST_F(RmffReader, HeaderWalkFailuresSetTheFlagAndWriteTheMessage)
{
  ByteBuilder badTypeSpecific = cat({rmf(), prop(), chunk("MDPR", mdprBody("name", "audio/x", ByteBuilder().text("xy"))),
                                     data()});
  badTypeSpecific.patch(18 + 50 + 8 + 32 + 1 + 4 + 1 + 7, 100, 4, true);  // the length overshoots the chunk
  const ByteBuilder longName = ByteBuilder().be16(0).be16(0).fill(28, 0).u8(200).text("short name");
  const struct
  {
    const char *what;
    ByteBuilder bytes;
    std::size_t records;
  } cases[] = {
      {"file does not start with .RMF", cat({prop(), rmf(), data()}), 0},
      // A failed walk also skips the search for the metadata section behind.
      {"content description of version 1",
       cat({rmf(), prop(), cont("a", "b", "c", "d", 1), mdpr(), data(), rmmd(MdProp().bytes())}), 3},
      {"media properties of version 1", cat({rmf(), prop(), mdpr("s", "audio/x", {}, 1), cont(), data()}), 3},
      {"chunk before DATA longer than 65536 bytes",
       cat({rmf(), prop(), chunk("BIGC", ByteBuilder().fill(65536 - 7)), cont(), data()}), 2},
      {"file ends before DATA", cat({rmf(), prop(), cont()}), 3},
      {"file ends inside a chunk header", cat({rmf(), prop(), cont(), ByteBuilder().text("DA")}), 3},
      {"file ends inside a chunk", cat({rmf(), prop(), chunkDeclaring("CONT", 200, contBody("t", "a", "c", "m"))}), 2},
      {"chunk size below 8", cat({rmf(), prop(), chunkDeclaring("XXXX", 4, {}), data()}), 2},
      {"second chunk not read whole", cat({rmf(), chunkDeclaring("PROP", 70000, ByteBuilder().fill(70000)), data()}), 1},
      {"second chunk, data longer than 65536 bytes", cat({rmf(), chunkDeclaring("DATA", 70008, ByteBuilder().fill(70000))}),
       1},
      {"second chunk, data the file ends inside", cat({rmf(), chunkDeclaring("DATA", 5000, ByteBuilder().fill(100))}), 1},
      {"file header too short for its fields", cat({chunk(".RMF", ByteBuilder().be16(0).be32(0)), prop(), data()}), 0},
      {"content description text past the chunk",
       cat({rmf(), prop(), chunk("CONT", ByteBuilder().be16(0).be16(50).text("short")), data()}), 3},
      {"type-specific data past the chunk", badTypeSpecific, 3},
      {"stream name past the chunk", cat({rmf(), prop(), chunk("MDPR", longName), data()}), 3},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const Opened o = open(c.bytes);
    EXPECT_EQ(o.reader->err(), -1);
    EXPECT_NE(o.stderrText, "");
    EXPECT_EQ(o.reader->records().size(), c.records);
    EXPECT_NE(o.reader->fileHeader(), nullptr);  // created even when its chunk failed
    EXPECT_EQ(o.reader->metadataSection(), nullptr);
    EXPECT_EQ(o.reader->length(), 0u);
    EXPECT_EQ(o.reader->bitrate(), 0u);
    EXPECT_EQ(o.reader->title(), TagLib::String());
  }
}

TEST_F(RmffReader, WithoutReadingPropertiesNoChunkIsRead)
{
  const Opened o = open(cat({prop(), ByteBuilder().text("not a RealMedia file at all")}), false);
  EXPECT_EQ(o.reader->err(), 0);
  EXPECT_EQ(o.stderrText, "");
  EXPECT_EQ(o.reader->fileHeader(), nullptr);
  EXPECT_TRUE(o.reader->records().empty());
  EXPECT_NE(o.reader->id3v1Holder(), nullptr);
}

TEST_F(RmffReader, AFileThatCannotBeOpened)
{
  StderrCapture capture;
  RealMediaFF reader((dir.path() + "/missing.rm").c_str(), true);
  EXPECT_EQ(reader.err(), -1);
  EXPECT_EQ(reader.id3v1Holder(), nullptr);
  EXPECT_EQ(reader.fileHeader(), nullptr);
  EXPECT_EQ(capture.text(), "");
}

TEST_F(RmffReader, CopyingConstructorReadsTheFileAgain)
{
  const Opened o = open(plainFile());
  RealMediaFF copy(*o.reader);
  EXPECT_EQ(copy.records().size(), o.reader->records().size());
  EXPECT_NE(copy.fileProperties(), o.reader->fileProperties());
  EXPECT_EQ(copy.title(), o.reader->title());
}

TEST_F(RmffReader, SearchFindsChunksAnywhereAndNeverSetsTheFlag)
{
  const ByteBuilder head = cat({rmf(), prop(), data(40)});
  const Opened o = open(cat({head, chunk("ZZZZ", ByteBuilder().fill(4))}));
  RealMediaFF &r = *o.reader;
  EXPECT_EQ(r.seekChunk(chunkId("PROP")), 18);
  EXPECT_EQ(r.seekChunk(chunkId("ZZZZ")), static_cast<int>(head.size()));
  std::uint32_t id = 0;
  std::uint32_t size = 0;
  EXPECT_TRUE(r.readChunkHeader(id, size));  // the stream stands at the chunk's header
  EXPECT_EQ(id, chunkId("ZZZZ"));
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(r.seekChunk(chunkId("RMMD")), -1);
  EXPECT_EQ(r.err(), 0);
}

TEST_F(RmffReader, LargeDataChunkIsWalkedOverNotRead)
{
  // Opening a file with a large data chunk reads its headers and its end
  // (the metadata section and the ID3v1 tag behind the data), never media
  // data: no more for 8 MiB of it than for 1 MiB.
  const auto rchar = [] {
    std::ifstream in("/proc/self/io");
    std::string key;
    long value = 0;
    while(in >> key >> value) {
      if(key == "rchar:")
        return value;
    }
    return -1L;
  };
  MdProp root;
  root.name = "root";
  for(std::size_t payload : {std::size_t(1) << 20, std::size_t(8) << 20}) {
    SCOPED_TRACE(payload);
    const ByteBuilder b = cat({rmf(), prop(), cont("T", "Au", "C", "Co"), data(payload), rmmd(root.bytes()), id3v1("V1")});
    const std::string path = dir.write("large.rm", b.str());
    const long before = rchar();
    {
      StderrCapture capture;
      RealMediaFF reader(path.c_str(), true);
      EXPECT_EQ(reader.err(), 0);
      EXPECT_EQ(reader.title(), TagLib::String("V1"));
      EXPECT_EQ(reader.artist(), TagLib::String("Au"));
      EXPECT_NE(reader.metadataSection(), nullptr);
    }
    // The start of the file and its end, one read-ahead window each.
    EXPECT_LT(rchar() - before, static_cast<long>(3 * TagLib::DescriptorStream::windowSize));
  }
}
