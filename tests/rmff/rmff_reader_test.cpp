// The chunk reader: the header walk, the chunk search, the metadata section
// with its property tree, the logical stream of a "logical-fileinfo" media
// properties chunk, and the failures that set the error flag.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/fdstream.h"
#include "rmchunks.h"
#include "rmff/rmff.h"
#include "testfiles.h"

using namespace brenvo_test;
using namespace rmtest;
using TagLib::RealMedia::MDProperties;
using TagLib::RealMedia::RealMediaFF;
using TagLib::RealMedia::chunkId;

namespace {

class RmffReader : public ::testing::Test
{
protected:
  std::unique_ptr<RealMediaFF> open(const ByteBuilder &bytes, bool readProperties = true)
  {
    const std::string path = dir.write("file.rm", bytes.str());
    StderrCapture capture;
    auto reader = std::make_unique<RealMediaFF>(path.c_str(), readProperties);
    stderrText = capture.text();
    return reader;
  }

  //! A plain file with \a section after its data chunk.
  std::unique_ptr<RealMediaFF> openWithSection(const ByteBuilder &section) { return open(cat({plainFile(), section})); }

  TempDir dir;
  std::string stderrText;
};

//! The tree as "name=value:type{children}".
std::string dump(const MDProperties &p)
{
  std::string s = std::string(p.name.get()) + "=" + std::string(reinterpret_cast<const char *>(p.value.get()), p.value_length) +
                  ":" + std::to_string(p.type);
  if(p.subproperties) {
    s += "{";
    for(std::uint32_t i = 0; i < p.num_subproperties; ++i)
      s += dump(p.subproperties[i]) + (i + 1 < p.num_subproperties ? "," : "");
    s += "}";
  }
  return s;
}

//! A chain of \a levels properties, each the only sub-property of the one above.
MdProp chain(int levels)
{
  MdProp p;
  p.name = "level" + std::to_string(levels);
  if(levels > 1)
    p.subs.push_back(chain(levels - 1));
  return p;
}

ByteBuilder logicalFile(const ByteBuilder &typeSpecific, const std::string &mime = "logical-fileinfo")
{
  return cat({rmf(), prop(), mdpr("", mime, typeSpecific), cont(), data()});
}

} // namespace

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
      {"plain file: no metadata section is no failure", plainFile(), 4, 2020},
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
    const auto r = open(c.bytes);
    EXPECT_EQ(r->err(), 0);
    EXPECT_EQ(stderrText, "");
    EXPECT_EQ(r->records().size(), c.records);
    EXPECT_EQ(r->length(), c.length);
    EXPECT_EQ(r->bitrate(), c.length ? 64000u : 0u);
    EXPECT_EQ(r->metadataSection(), nullptr);
  }
}

TEST_F(RmffReader, HeaderWalkFailuresSetTheFlagAndWriteTheMessage)
{
  ByteBuilder badTypeSpecific = cat({rmf(), prop(), mdpr("name", "audio/x", ByteBuilder().text("xy")), data()});
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
      {"file ends inside a chunk", cat({rmf(), prop(), cont("t", "a", "c", "m").patch(4, 200, 4, true)}), 2},
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
    const auto r = open(c.bytes);
    EXPECT_EQ(r->err(), -1);
    EXPECT_NE(stderrText, "");
    EXPECT_EQ(r->records().size(), c.records);
    EXPECT_NE(r->fileHeader(), nullptr);  // created even when its chunk failed
    EXPECT_EQ(r->metadataSection(), nullptr);
    EXPECT_EQ(r->length(), 0u);
    EXPECT_EQ(r->bitrate(), 0u);
    EXPECT_EQ(r->title(), TagLib::String());
  }
}

TEST_F(RmffReader, WithoutReadingPropertiesNoChunkIsRead)
{
  const auto r = open(cat({prop(), ByteBuilder().text("not a RealMedia file at all")}), false);
  EXPECT_EQ(r->err(), 0);
  EXPECT_EQ(stderrText, "");
  EXPECT_EQ(r->fileHeader(), nullptr);
  EXPECT_TRUE(r->records().empty());
  EXPECT_NE(r->id3v1Holder(), nullptr);
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
  const auto r = open(plainFile());
  RealMediaFF copy(*r);
  EXPECT_EQ(copy.records().size(), r->records().size());
  EXPECT_NE(copy.fileProperties(), r->fileProperties());
  EXPECT_EQ(copy.title(), r->title());
}

TEST_F(RmffReader, SearchFindsChunksAnywhereAndNeverSetsTheFlag)
{
  const ByteBuilder head = cat({rmf(), prop(), data(40)});
  const auto r = open(cat({head, chunk("ZZZZ", ByteBuilder().fill(4))}));
  EXPECT_EQ(r->seekChunk(chunkId("PROP")), 18);
  EXPECT_EQ(r->seekChunk(chunkId("ZZZZ")), static_cast<int>(head.size()));
  std::uint32_t id = 0;
  std::uint32_t size = 0;
  EXPECT_TRUE(r->readChunkHeader(id, size));  // the stream stands at the chunk's header
  EXPECT_EQ(id, chunkId("ZZZZ"));
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(r->seekChunk(chunkId("RMMD")), -1);
  EXPECT_EQ(r->err(), 0);
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

TEST_F(RmffReader, SectionAfterTheDataChunkIsFoundThroughTheOffsets)
{
  // An unnamed root whose children and grandchildren are laid out backwards:
  // only the offsets from each parent find them.
  const auto node = [](const char *name, const char *value, std::uint32_t type, std::vector<MdProp> subs) {
    MdProp p;
    p.name = name;
    p.value = value;
    p.type = type;
    p.subs = std::move(subs);
    p.reversed = true;
    return p;
  };
  const MdProp root = node("", "", 2, {node("child0", "v0", 2, {node("leaf0", "a", 0, {}), node("leaf1", "aa", 1, {})}),
                                       node("child1", "v1", 2, {node("leaf0", "b", 10, {}), node("leaf1", "bb", 11, {})})});
  auto r = openWithSection(rmmd(root.bytes()));
  EXPECT_EQ(r->err(), 0);
  EXPECT_EQ(stderrText, "");
  ASSERT_NE(r->metadataSection(), nullptr);
  EXPECT_EQ(r->records().back().get(), r->metadataSection());  // listed after the header chunks
  EXPECT_EQ(dump(r->metadataSection()->properties),
            "=:2{child0=v0:2{leaf0=a:0,leaf1=aa:1},child1=v1:2{leaf0=b:10,leaf1=bb:11}}");
}

TEST_F(RmffReader, NestingIsBoundedAtSixteenLevels)
{
  auto deep = openWithSection(rmmd(chain(16).bytes()));
  EXPECT_EQ(deep->err(), 0);
  const std::string tree = dump(deep->metadataSection()->properties);
  EXPECT_EQ(std::count(tree.begin(), tree.end(), '{'), 15);

  auto tooDeep = openWithSection(rmmd(chain(17).bytes()));
  EXPECT_EQ(tooDeep->err(), -1);
  EXPECT_EQ(stderrText, "ERROR reading Metadata\n");
  // The section was found, so it exists, but it is not on the list.
  EXPECT_NE(tooDeep->metadataSection(), nullptr);
  EXPECT_EQ(tooDeep->records().size(), 4u);
  EXPECT_EQ(tooDeep->length(), 0u);
}

TEST_F(RmffReader, UnreadableSectionsFailWithTheMessage)
{
  //! The root record (with one sub-property when \a withSub), one word at \a pos set to \a v.
  const auto patched = [](bool withSub, std::size_t pos, std::uint32_t v) {
    MdProp root;
    root.value = "abcd";
    if(withSub)
      root.subs.emplace_back();
    return rmmd(root.bytes().patch(pos, v, 4, true));
  };
  const ByteBuilder words = ByteBuilder().be32(1).be32(2);
  const struct
  {
    const char *what;
    ByteBuilder section;
  } cases[] = {
      {"sub-property offset leading back into its parent", patched(true, 28 + 4 + 4, 0)},
      {"sub-property offset outside", patched(true, 28 + 4 + 4, 0x7FFFFFFF)},
      {"name past the chunk", patched(false, 24, 1000)},
      {"value past the chunk", patched(false, 28, 5000)},
      {"value offset outside", patched(false, 12, 0xFFFFFFF0u)},
      {"sub-property count too large", patched(false, 20, 0x10000000u)},
      {"section longer than 65536 bytes", chunk("RMMD", cat({words, MdProp().bytes(), ByteBuilder().fill(65536)}))},
      {"section shorter than its words", chunk("RMMD", ByteBuilder().be32(1))},
      {"section without a root property", chunk("RMMD", cat({words, ByteBuilder().fill(20)}))},
      {"section cut short by the end of the file", chunkDeclaring("RMMD", 500, cat({words, MdProp().bytes()}))},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    auto r = openWithSection(c.section);
    EXPECT_EQ(r->err(), -1);
    EXPECT_NE(stderrText, "");
    EXPECT_EQ(r->records().size(), 4u);
    EXPECT_NE(r->metadataSection(), nullptr);
  }
}

TEST_F(RmffReader, SharedSubTreesCannotMultiply)
{
  // Sixteen records, each with 200 table entries all naming the next record:
  // followed naively that is 200^15 records.
  const std::uint32_t k = 200;
  const std::uint32_t recordSize = 28 + 4 + 8 * k;
  ByteBuilder rec;
  for(int i = 0; i < 16; ++i) {
    rec.be32(recordSize).be32(0).be32(0).be32(28).be32(32).be32(i + 1 < 16 ? k : 0).be32(0).be32(0);
    for(std::uint32_t e = 0; e < k; ++e)
      rec.be32(recordSize).be32(0);
  }
  const auto start = std::chrono::steady_clock::now();
  auto r = openWithSection(rmmd(rec));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(r->err(), -1);
  EXPECT_NE(stderrText, "");
}

TEST_F(RmffReader, LogicalStreamIsRead)
{
  // A property of another version is stepped over by its size.
  const ByteBuilder other = ByteBuilder().be32(12).be16(3).fill(6, 0xEE);
  const ByteBuilder ls = logicalStream({{7, 0x1234}, {2, 20}}, {1, 0, 1},
                                       {nameValue("", 2, ""), other, nameValue("Title", 2, "Song")});
  auto r = open(logicalFile(ls));
  ASSERT_EQ(r->err(), 0);
  ASSERT_NE(r->mediaProperties()->lstr, nullptr);
  const auto &l = *r->mediaProperties()->lstr;
  EXPECT_EQ(l.size, ls.size());
  ASSERT_EQ(l.num_physical_streams, 2);
  EXPECT_EQ(l.physical_stream_numbers[1], 2);
  EXPECT_EQ(l.data_offsets[0], 0x1234u);
  ASSERT_EQ(l.num_rules, 3);
  EXPECT_EQ(l.rule_to_physical_stream[2], 1);
  ASSERT_EQ(l.num_properties, 3);
  EXPECT_EQ(l.properties[0].name, nullptr);
  EXPECT_EQ(l.properties[0].value, nullptr);
  EXPECT_EQ(l.properties[1].size, 12u);
  EXPECT_STREQ(l.properties[2].name.get(), "Title");
  EXPECT_EQ(l.properties[2].value_length, 4);
  EXPECT_STREQ(reinterpret_cast<const char *>(l.properties[2].value.get()), "Song");
}

TEST_F(RmffReader, LogicalStreamsThatAreNotKept)
{
  const auto patched = [](ByteBuilder ls, std::size_t pos, std::uint16_t v) { return ls.patch(pos, v, 2, true); };
  const ByteBuilder nv = nameValue("a", 0, "bcd");
  const struct
  {
    const char *what;
    ByteBuilder typeSpecific;
    const char *mime;
  } cases[] = {
      {"object version 1", logicalStream({}, {}, {}, 1), "logical-fileinfo"},
      {"no type-specific data", ByteBuilder(), "logical-fileinfo"},
      {"another MIME type", logicalStream({}, {}, {}), "audio/x-pn-realaudio"},
      {"more properties than bytes", patched(logicalStream({}, {}, {nv}), 10, 60000), "logical-fileinfo"},
      {"more physical streams than bytes", patched(logicalStream({{1, 2}}, {}, {}), 6, 5000), "logical-fileinfo"},
      {"value past the stream", patched(logicalStream({}, {}, {nv}), 12 + nv.size() - 5, 300), "logical-fileinfo"},
      {"stream cut inside its header", ByteBuilder().be32(8).be16(0).u8(0), "logical-fileinfo"},
      {"property size past the stream", logicalStream({}, {}, {ByteBuilder().be32(4000).be16(1)}), "logical-fileinfo"},
      {"property size below its fields", logicalStream({}, {}, {ByteBuilder().be32(2).be16(1), nv}), "logical-fileinfo"},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    auto r = open(logicalFile(c.typeSpecific, c.mime));
    EXPECT_EQ(r->err(), 0);
    EXPECT_EQ(r->mediaProperties()->lstr, nullptr);
    EXPECT_NE(r->contentDescription(), nullptr);  // the walk went on
  }
}
