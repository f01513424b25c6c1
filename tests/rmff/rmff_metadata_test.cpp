// The metadata section with its property tree, and the logical stream of a
// "logical-fileinfo" media properties chunk.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "rmchunks.h"
#include "rmff/rmff.h"
#include "testfiles.h"

using namespace brenvo_test;
using namespace rmtest;
using TagLib::RealMedia::MDProperties;
using TagLib::RealMedia::RealMediaFF;

namespace {

class RmffMetadata : public ::testing::Test
{
protected:
  std::unique_ptr<RealMediaFF> open(const ByteBuilder &bytes)
  {
    const std::string path = dir.write("file.rm", bytes.str());
    StderrCapture capture;
    auto reader = std::make_unique<RealMediaFF>(path.c_str(), true);
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

} // namespace

TEST_F(RmffMetadata, SectionAfterTheDataChunkIsFoundThroughTheOffsets)
{
  // An unnamed root whose children and grandchildren are laid out backwards:
  // only the offsets from each parent find them.
  MdProp root;
  root.reversed = true;
  for(int i = 0; i < 2; ++i) {
    MdProp child;
    child.name = "child" + std::to_string(i);
    child.value = "v" + std::to_string(i);
    child.reversed = true;
    for(int j = 0; j < 2; ++j) {
      MdProp leaf;
      leaf.name = "leaf" + std::to_string(j);
      leaf.value = std::string(static_cast<std::size_t>(j + 1), static_cast<char>('a' + i));
      leaf.type = static_cast<std::uint32_t>(10 * i + j);
      child.subs.push_back(leaf);
    }
    root.subs.push_back(child);
  }
  auto r = openWithSection(rmmd(root.bytes()));
  EXPECT_EQ(r->err(), 0);
  EXPECT_EQ(stderrText, "");
  ASSERT_NE(r->metadataSection(), nullptr);
  EXPECT_EQ(r->records().back().get(), r->metadataSection());  // listed after the header chunks
  EXPECT_EQ(dump(r->metadataSection()->properties),
            "=:2{child0=v0:2{leaf0=a:0,leaf1=aa:1},child1=v1:2{leaf0=b:10,leaf1=bb:11}}");
}

TEST_F(RmffMetadata, NestingIsBoundedAtSixteenLevels)
{
  auto deep = openWithSection(rmmd(chain(16).bytes()));
  EXPECT_EQ(deep->err(), 0);
  const MDProperties *p = &deep->metadataSection()->properties;
  int levels = 1;
  for(; p->subproperties; ++levels)
    p = &p->subproperties[0];
  EXPECT_EQ(levels, 16);

  auto tooDeep = openWithSection(rmmd(chain(17).bytes()));
  EXPECT_EQ(tooDeep->err(), -1);
  EXPECT_EQ(stderrText, "ERROR reading Metadata\n");
  // The section was found, so it exists, but it is not on the list.
  EXPECT_NE(tooDeep->metadataSection(), nullptr);
  EXPECT_EQ(tooDeep->records().size(), 4u);
  EXPECT_EQ(tooDeep->length(), 0u);
}

TEST_F(RmffMetadata, UnreadableSectionsFailWithTheMessage)
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

TEST_F(RmffMetadata, SharedSubTreesCannotMultiply)
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

// ------------------------------------------------------------- logical stream

namespace {

ByteBuilder logicalFile(const ByteBuilder &typeSpecific, const std::string &mime = "logical-fileinfo")
{
  return cat({rmf(), prop(), mdpr("", mime, typeSpecific), cont(), data()});
}

} // namespace

TEST_F(RmffMetadata, LogicalStreamIsRead)
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

TEST_F(RmffMetadata, LogicalStreamsThatAreNotKept)
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
