// The metadata section with its property tree, and the logical stream of a
// "logical-fileinfo" media properties chunk.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "rmchunks.h"
#include "rmff/rmff.h"
#include "testfiles.h"

using namespace brenvo_test;
using namespace rmtest;
using TagLib::RealMedia::MDProperties;
using TagLib::RealMedia::RealMediaFF;
using TagLib::RealMedia::chunkId;

namespace {

const std::string Message = "ERROR reading Metadata\n";

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
  std::unique_ptr<RealMediaFF> openWithSection(const ByteBuilder &section)
  {
    ByteBuilder b;
    b.append(plainFile()).append(section);
    return open(b);
  }

  TempDir dir;
  std::string stderrText;
};

std::string valueOf(const MDProperties &p)
{
  return std::string(reinterpret_cast<const char *>(p.value.get()), p.value_length);
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

TEST_F(RmffMetadata, SectionAfterTheDataChunkIsFoundParsedAndListed)
{
  MdProp root;
  root.name = "";
  root.value = "";
  MdProp title;
  title.name = "Title";
  title.value = "Song";
  title.type = 2;
  root.subs.push_back(title);

  auto r = openWithSection(rmmd(root.bytes(), 0x524a4d44, 0x00010000));
  EXPECT_EQ(r->err(), 0);
  EXPECT_EQ(stderrText, "");
  const auto *section = r->metadataSection();
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(section->object_id, chunkId("RMMD"));
  EXPECT_EQ(section->first_word, 0x524a4d44u);
  EXPECT_EQ(section->second_word, 0x00010000u);
  // Appended after the header chunks, last in the list.
  ASSERT_EQ(r->records().size(), 5u);
  EXPECT_EQ(r->records().back().get(), section);

  const MDProperties &p = section->properties;
  EXPECT_EQ(p.num_subproperties, 1u);
  ASSERT_NE(p.subproperties, nullptr);
  EXPECT_STREQ(p.subproperties[0].name.get(), "Title");
  EXPECT_EQ(p.subproperties[0].name_length, 5u);
  EXPECT_EQ(valueOf(p.subproperties[0]), "Song");
  EXPECT_EQ(p.subproperties_list[0].num_props_for_name, 100u);
}

TEST_F(RmffMetadata, RootWithoutNameOrSubProperties)
{
  MdProp root;
  auto r = openWithSection(rmmd(root.bytes()));
  ASSERT_EQ(r->err(), 0);
  const MDProperties &p = r->metadataSection()->properties;
  ASSERT_NE(p.name, nullptr);
  EXPECT_STREQ(p.name.get(), "");
  EXPECT_EQ(p.value_length, 0u);
  EXPECT_EQ(p.value, nullptr);
  EXPECT_EQ(p.subproperties_list, nullptr);
  EXPECT_EQ(p.subproperties, nullptr);
  EXPECT_EQ(p.size, 32u);
  EXPECT_EQ(p.value_offset, 28u);
}

TEST_F(RmffMetadata, ThreeLevelsFoundThroughOffsetsFromEachParent)
{
  MdProp root;
  root.name = "root";
  root.reversed = true;  // children laid out backwards: only the offsets find them
  for(int i = 0; i < 3; ++i) {
    MdProp child;
    child.name = "child" + std::to_string(i);
    child.value = "v" + std::to_string(i);
    child.reversed = true;
    for(int j = 0; j < 2; ++j) {
      MdProp leaf;
      leaf.name = "leaf" + std::to_string(i) + std::to_string(j);
      leaf.value = std::string(static_cast<std::size_t>(j + 1), static_cast<char>('a' + i));
      leaf.type = static_cast<std::uint32_t>(10 * i + j);
      child.subs.push_back(leaf);
    }
    root.subs.push_back(child);
  }

  auto r = openWithSection(rmmd(root.bytes()));
  ASSERT_EQ(r->err(), 0);
  const MDProperties &p = r->metadataSection()->properties;
  EXPECT_STREQ(p.name.get(), "root");
  ASSERT_EQ(p.num_subproperties, 3u);
  for(int i = 0; i < 3; ++i) {
    const MDProperties &child = p.subproperties[i];
    EXPECT_EQ(std::string(child.name.get()), "child" + std::to_string(i));
    EXPECT_EQ(valueOf(child), "v" + std::to_string(i));
    ASSERT_EQ(child.num_subproperties, 2u);
    for(int j = 0; j < 2; ++j) {
      const MDProperties &leaf = child.subproperties[j];
      EXPECT_EQ(std::string(leaf.name.get()), "leaf" + std::to_string(i) + std::to_string(j));
      EXPECT_EQ(valueOf(leaf), std::string(static_cast<std::size_t>(j + 1), static_cast<char>('a' + i)));
      EXPECT_EQ(leaf.type, static_cast<std::uint32_t>(10 * i + j));
      EXPECT_EQ(leaf.subproperties, nullptr);
    }
  }
}

TEST_F(RmffMetadata, NestingIsBoundedAtSixteenLevels)
{
  auto deep = openWithSection(rmmd(chain(16).bytes()));
  EXPECT_EQ(deep->err(), 0);
  const MDProperties *p = &deep->metadataSection()->properties;
  int levels = 1;
  while(p->subproperties) {
    p = &p->subproperties[0];
    ++levels;
  }
  EXPECT_EQ(levels, 16);

  auto tooDeep = openWithSection(rmmd(chain(17).bytes()));
  EXPECT_EQ(tooDeep->err(), -1);
  EXPECT_EQ(stderrText, Message);
  // The section was found, so it exists, but it is not on the list.
  EXPECT_NE(tooDeep->metadataSection(), nullptr);
  EXPECT_EQ(tooDeep->records().size(), 4u);
  EXPECT_EQ(tooDeep->length(), 0u);
}

TEST_F(RmffMetadata, UnreadableSectionsFailWithTheMessage)
{
  struct Case
  {
    const char *what;
    ByteBuilder section;
  };
  std::vector<Case> cases;

  {
    MdProp root;
    root.subs.push_back(MdProp());
    ByteBuilder rec = root.bytes();
    rec.patch(28 + 4, 0, 4, true);  // the one table entry points back at the root
    cases.push_back({"sub-property offset leading back into its parent", rmmd(rec)});
  }
  {
    ByteBuilder rec = MdProp().bytes();
    rec.patch(24, 1000, 4, true);  // name length past the chunk
    cases.push_back({"name past the chunk", rmmd(rec)});
  }
  {
    MdProp root;
    root.value = "abcd";
    ByteBuilder rec = root.bytes();
    rec.patch(28, 5000, 4, true);  // value length past the chunk
    cases.push_back({"value past the chunk", rmmd(rec)});
  }
  {
    ByteBuilder rec = MdProp().bytes();
    rec.patch(12, 0xFFFFFFF0u, 4, true);  // value offset far outside
    cases.push_back({"value offset outside", rmmd(rec)});
  }
  {
    ByteBuilder rec = MdProp().bytes();
    rec.patch(20, 0x10000000u, 4, true);  // a count no table of the chunk can hold
    cases.push_back({"sub-property count too large", rmmd(rec)});
  }
  {
    MdProp root;
    root.subs.push_back(MdProp());
    ByteBuilder rec = root.bytes();
    rec.patch(28 + 4, 0x7FFFFFFF, 4, true);
    cases.push_back({"sub-property offset outside", rmmd(rec)});
  }
  {
    ByteBuilder body;
    body.be32(1).be32(2).append(MdProp().bytes()).fill(65536, 0);
    cases.push_back({"section longer than 65536 bytes", chunk("RMMD", body)});
  }
  {
    cases.push_back({"section shorter than its words", chunk("RMMD", ByteBuilder().be32(1))});
  }
  {
    cases.push_back({"section without a root property", chunk("RMMD", ByteBuilder().be32(1).be32(2).fill(20))});
  }
  {
    ByteBuilder body;
    body.be32(1).be32(2).append(MdProp().bytes());
    cases.push_back({"section cut short by the end of the file", chunkDeclaring("RMMD", 500, body)});
  }

  for(const Case &c : cases) {
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
  const int levels = 16;
  const std::uint32_t k = 200;
  const std::uint32_t recordSize = 28 + 4 + 8 * k;
  ByteBuilder rec;
  for(int i = 0; i < levels; ++i) {
    const std::uint32_t subs = i + 1 < levels ? k : 0;
    rec.be32(recordSize).be32(0).be32(0).be32(28).be32(32).be32(subs).be32(0).be32(0);
    for(std::uint32_t e = 0; e < k; ++e)
      rec.be32(recordSize).be32(0);
  }
  const auto start = std::chrono::steady_clock::now();
  auto r = openWithSection(rmmd(rec));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(r->err(), -1);
  EXPECT_NE(stderrText, "");
  EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 5);
}

TEST_F(RmffMetadata, FailedHeaderWalkSkipsTheSearch)
{
  ByteBuilder b;
  b.append(rmf()).append(prop()).append(cont("t", "a", "c", "m", 1)).append(data()).append(rmmd(MdProp().bytes()));
  auto r = open(b);
  EXPECT_EQ(r->err(), -1);
  EXPECT_NE(stderrText, "");
  EXPECT_EQ(r->metadataSection(), nullptr);
}

// ------------------------------------------------------------- logical stream

namespace {

ByteBuilder logicalFile(const ByteBuilder &typeSpecific, const std::string &mime = "logical-fileinfo")
{
  ByteBuilder b;
  b.append(rmf()).append(prop()).append(mdpr("", mime, typeSpecific)).append(cont()).append(data());
  return b;
}

} // namespace

TEST_F(RmffMetadata, LogicalStreamWithPropertiesReadBackToBack)
{
  const ByteBuilder ls = logicalStream({7}, {0x1234}, {}, {nameValue("", 2, ""), nameValue("Title", 2, "Song")});
  auto r = open(logicalFile(ls));
  ASSERT_EQ(r->err(), 0);
  const auto *mp = r->mediaProperties();
  ASSERT_NE(mp, nullptr);
  ASSERT_EQ(mp->type_specific_len, ls.size());
  ASSERT_NE(mp->lstr, nullptr);
  const auto &l = *mp->lstr;
  EXPECT_EQ(l.size, ls.size());
  EXPECT_EQ(l.num_physical_streams, 1);
  EXPECT_EQ(l.physical_stream_numbers[0], 7);
  EXPECT_EQ(l.data_offsets[0], 0x1234u);
  EXPECT_EQ(l.num_rules, 0);
  EXPECT_EQ(l.rule_to_physical_stream, nullptr);
  ASSERT_EQ(l.num_properties, 2);
  EXPECT_EQ(l.properties[0].name, nullptr);
  EXPECT_EQ(l.properties[0].value, nullptr);
  EXPECT_EQ(l.properties[0].type, 2u);
  EXPECT_STREQ(l.properties[1].name.get(), "Title");
  EXPECT_EQ(l.properties[1].value_length, 4);
  EXPECT_STREQ(reinterpret_cast<const char *>(l.properties[1].value.get()), "Song");
}

TEST_F(RmffMetadata, LogicalStreamWithRules)
{
  const ByteBuilder ls = logicalStream({1, 2}, {10, 20}, {1, 0, 1}, {nameValue("a", 0, "b")});
  auto r = open(logicalFile(ls, "logical-fileinfo-extra"));
  ASSERT_NE(r->mediaProperties()->lstr, nullptr);
  const auto &l = *r->mediaProperties()->lstr;
  EXPECT_EQ(l.physical_stream_numbers[1], 2);
  EXPECT_EQ(l.data_offsets[1], 20u);
  ASSERT_EQ(l.num_rules, 3);
  EXPECT_EQ(l.rule_to_physical_stream[0], 1);
  EXPECT_EQ(l.rule_to_physical_stream[2], 1);
  EXPECT_STREQ(l.properties[0].name.get(), "a");
}

TEST_F(RmffMetadata, LogicalStreamsThatAreNotKept)
{
  {
    SCOPED_TRACE("object version 1");
    auto r = open(logicalFile(logicalStream({}, {}, {}, {}, 1)));
    EXPECT_EQ(r->err(), 0);
    EXPECT_EQ(r->mediaProperties()->lstr, nullptr);
    EXPECT_NE(r->mediaProperties()->type_specific_data, nullptr);
  }
  {
    SCOPED_TRACE("no type-specific data");
    auto r = open(logicalFile(ByteBuilder()));
    EXPECT_EQ(r->err(), 0);
    EXPECT_EQ(r->mediaProperties()->type_specific_data, nullptr);
    EXPECT_EQ(r->mediaProperties()->lstr, nullptr);
  }
  {
    SCOPED_TRACE("another MIME type");
    auto r = open(logicalFile(logicalStream({}, {}, {}, {}), "audio/x-pn-realaudio"));
    EXPECT_EQ(r->mediaProperties()->lstr, nullptr);
  }
  {
    SCOPED_TRACE("more properties than bytes");
    ByteBuilder ls = logicalStream({}, {}, {}, {nameValue("a", 0, "b")});
    ls.patch(10, 60000, 2, true);
    auto r = open(logicalFile(ls));
    EXPECT_EQ(r->err(), 0);
    EXPECT_EQ(r->mediaProperties()->lstr, nullptr);
    EXPECT_NE(r->contentDescription(), nullptr);
  }
  {
    SCOPED_TRACE("more physical streams than bytes");
    ByteBuilder ls = logicalStream({1}, {2}, {}, {});
    ls.patch(6, 5000, 2, true);
    auto r = open(logicalFile(ls));
    EXPECT_EQ(r->mediaProperties()->lstr, nullptr);
  }
  {
    SCOPED_TRACE("value past the stream");
    ByteBuilder ls = logicalStream({}, {}, {}, {nameValue("a", 0, "bcd")});
    ls.patch(ls.size() - 5, 300, 2, true);
    auto r = open(logicalFile(ls));
    EXPECT_EQ(r->err(), 0);
    EXPECT_EQ(r->mediaProperties()->lstr, nullptr);
  }
  {
    SCOPED_TRACE("stream cut inside its header");
    auto r = open(logicalFile(ByteBuilder().be32(8).be16(0).u8(0)));
    EXPECT_EQ(r->err(), 0);
    EXPECT_EQ(r->mediaProperties()->lstr, nullptr);
  }
}

TEST_F(RmffMetadata, NameValuePropertiesOfOtherVersionsAreSteppedOver)
{
  ByteBuilder other;
  other.be32(12).be16(3).fill(6, 0xEE);  // 12 bytes of a layout not read
  {
    const ByteBuilder ls = logicalStream({}, {}, {}, {other, nameValue("after", 1, "x")});
    auto r = open(logicalFile(ls));
    ASSERT_NE(r->mediaProperties()->lstr, nullptr);
    const auto &l = *r->mediaProperties()->lstr;
    EXPECT_EQ(l.properties[0].size, 12u);
    EXPECT_EQ(l.properties[0].object_version, 3);
    EXPECT_EQ(l.properties[0].name, nullptr);
    EXPECT_STREQ(l.properties[1].name.get(), "after");
  }
  {
    SCOPED_TRACE("size field past the stream");
    ByteBuilder bad;
    bad.be32(4000).be16(1);
    auto r = open(logicalFile(logicalStream({}, {}, {}, {bad})));
    EXPECT_EQ(r->err(), 0);
    EXPECT_EQ(r->mediaProperties()->lstr, nullptr);
  }
  {
    SCOPED_TRACE("size field below the fields it covers");
    ByteBuilder bad;
    bad.be32(2).be16(1);
    auto r = open(logicalFile(logicalStream({}, {}, {}, {bad, nameValue("a", 0, "b")})));
    EXPECT_EQ(r->mediaProperties()->lstr, nullptr);
  }
}
