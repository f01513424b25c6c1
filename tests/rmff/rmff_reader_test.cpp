// The chunk reader: the header walk, each record, the chunk search and the
// failures that set the error flag.
#include <gtest/gtest.h>

#include <cstring>
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

template <class T>
T *recordAt(const RealMediaFF &r, std::size_t i)
{
  return i < r.records().size() ? dynamic_cast<T *>(r.records()[i].get()) : nullptr;
}

} // namespace

TEST_F(RmffReader, PlainFileReadsEveryHeaderChunkInOrder)
{
  ByteBuilder bytes;
  bytes.append(rmf(0, 0, 5)).append(prop()).append(mdpr("Audio Stream", "audio/x-pn-realaudio", ByteBuilder().text("abc")))
      .append(cont("T", "Au", "C", "Co")).append(data());
  const Opened o = open(bytes);
  const RealMediaFF &r = *o.reader;

  EXPECT_EQ(r.err(), 0);
  EXPECT_EQ(o.stderrText, "");  // no metadata section is no failure
  ASSERT_EQ(r.records().size(), 4u);

  auto *fh = recordAt<TagLib::RealMedia::File_Header_v0_v1>(r, 0);
  auto *pr = recordAt<TagLib::RealMedia::RMProperties>(r, 1);
  auto *mp = recordAt<TagLib::RealMedia::MediaProperties>(r, 2);
  auto *cd = recordAt<TagLib::RealMedia::ContentDescription>(r, 3);
  ASSERT_TRUE(fh && pr && mp && cd);
  EXPECT_EQ(r.fileHeader(), fh);
  EXPECT_EQ(r.fileProperties(), pr);
  EXPECT_EQ(r.mediaProperties(), mp);
  EXPECT_EQ(r.contentDescription(), cd);
  EXPECT_EQ(r.metadataSection(), nullptr);

  EXPECT_EQ(fh->object_id, chunkId(".RMF"));
  EXPECT_EQ(fh->size, 18u);
  EXPECT_EQ(fh->num_headers, 5u);

  // Every field at its offset: a shift shows up in the neighbours.
  EXPECT_EQ(pr->size, 50u);
  EXPECT_EQ(pr->max_bit_rate, 70000u);
  EXPECT_EQ(pr->avg_bit_rate, 64000u);
  EXPECT_EQ(pr->duration, 2020u);
  EXPECT_EQ(pr->data_offset, 300u);
  EXPECT_EQ(pr->num_streams, 1);
  EXPECT_EQ(pr->flags, 3);

  EXPECT_EQ(mp->avg_bit_rate, 60000u);
  EXPECT_EQ(mp->duration, 2020u);
  EXPECT_EQ(mp->stream_name_size, 12);
  EXPECT_STREQ(mp->stream_name, "Audio Stream");
  EXPECT_STREQ(mp->mime_type, "audio/x-pn-realaudio");
  ASSERT_EQ(mp->type_specific_len, 3u);
  EXPECT_EQ(std::memcmp(mp->type_specific_data.get(), "abc", 3), 0);
  EXPECT_EQ(mp->lstr, nullptr);

  EXPECT_EQ(cd->title_len, 1);
  EXPECT_STREQ(cd->title.get(), "T");
  EXPECT_STREQ(cd->author.get(), "Au");
  EXPECT_STREQ(cd->copyright.get(), "C");
  EXPECT_STREQ(cd->comment.get(), "Co");

  EXPECT_EQ(r.length(), 2020u);
  EXPECT_EQ(r.bitrate(), 64000u);
  EXPECT_EQ(r.sampleRate(), 0);
  EXPECT_EQ(r.channels(), 0);
}

TEST_F(RmffReader, RecordVariantsThatKeepTheWalkGoing)
{
  {
    SCOPED_TRACE("two media properties chunks: both kept, the second is current");
    ByteBuilder bytes;
    bytes.append(rmf()).append(prop()).append(mdpr("first", "audio/x", ByteBuilder(), 0))
        .append(mdpr("second", "video/x", ByteBuilder(), 1)).append(data());
    const Opened o = open(bytes);
    EXPECT_EQ(o.reader->err(), 0);
    ASSERT_EQ(o.reader->records().size(), 4u);
    EXPECT_STREQ(recordAt<TagLib::RealMedia::MediaProperties>(*o.reader, 2)->stream_name, "first");
    EXPECT_STREQ(o.reader->mediaProperties()->stream_name, "second");
    EXPECT_EQ(o.reader->mediaProperties()->stream_number, 1);
    EXPECT_EQ(o.reader->mediaProperties()->type_specific_data, nullptr);
  }
  {
    SCOPED_TRACE("file properties of version 1: kept with zero fields");
    PropFields f;
    f.version = 1;
    ByteBuilder bytes;
    bytes.append(rmf()).append(prop(f)).append(cont()).append(data());
    const Opened o = open(bytes);
    EXPECT_EQ(o.reader->err(), 0);
    ASSERT_NE(o.reader->fileProperties(), nullptr);
    EXPECT_EQ(o.reader->fileProperties()->object_version, 1);
    EXPECT_EQ(o.reader->fileProperties()->duration, 0u);
    EXPECT_EQ(o.reader->fileProperties()->avg_bit_rate, 0u);
    EXPECT_NE(o.reader->contentDescription(), nullptr);  // the walk went on
  }
  {
    SCOPED_TRACE("file header of version 2: only id, size and version");
    ByteBuilder bytes;
    bytes.append(rmf(2, 7, 9)).append(prop()).append(data());
    const Opened o = open(bytes);
    EXPECT_EQ(o.reader->err(), 0);
    EXPECT_EQ(o.reader->fileHeader()->object_version, 2);
    EXPECT_EQ(o.reader->fileHeader()->file_version, 0u);
    EXPECT_EQ(o.reader->fileHeader()->num_headers, 0u);
    EXPECT_NE(o.reader->fileProperties(), nullptr);
  }
  {
    SCOPED_TRACE("content description with four empty texts");
    ByteBuilder bytes;
    bytes.append(rmf()).append(prop()).append(cont("", "", "", "")).append(data());
    const Opened o = open(bytes);
    EXPECT_EQ(o.reader->err(), 0);
    const auto *cd = o.reader->contentDescription();
    ASSERT_NE(cd, nullptr);
    for(const auto *text : {&cd->title, &cd->author, &cd->copyright, &cd->comment}) {
      ASSERT_NE(text->get(), nullptr);
      EXPECT_STREQ(text->get(), "");
    }
  }
  {
    SCOPED_TRACE("unknown chunks are read and skipped");
    ByteBuilder bytes;
    bytes.append(rmf()).append(chunk("XYZW", ByteBuilder().fill(20, 1))).append(prop()).append(data());
    const Opened o = open(bytes);
    EXPECT_EQ(o.reader->err(), 0);
    EXPECT_EQ(o.reader->records().size(), 2u);
    EXPECT_EQ(o.reader->length(), 2020u);
  }
}

TEST_F(RmffReader, HeaderWalkFailuresSetTheFlagAndWriteTheMessage)
{
  struct Case
  {
    const char *what;
    ByteBuilder bytes;
    std::size_t records;
  };
  std::vector<Case> cases;
  {
    ByteBuilder b;
    b.append(prop()).append(rmf()).append(data());
    cases.push_back({"file does not start with .RMF", b, 0});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(cont("a", "b", "c", "d", 1)).append(mdpr()).append(data());
    cases.push_back({"content description of version 1", b, 3});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(mdpr("s", "audio/x", ByteBuilder(), 0, 1)).append(cont()).append(data());
    cases.push_back({"media properties of version 1", b, 3});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(chunk("BIGC", ByteBuilder().fill(65536 - 7, 0))).append(cont()).append(data());
    cases.push_back({"chunk before DATA longer than 65536 bytes", b, 2});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(cont());
    cases.push_back({"file ends before DATA", b, 3});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(cont()).text("DA");
    cases.push_back({"file ends inside a chunk header", b, 3});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(chunkDeclaring("CONT", 200, contBody("t", "a", "c", "m")));
    cases.push_back({"file ends inside a chunk", b, 2});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(chunkDeclaring("XXXX", 4, ByteBuilder())).append(data());
    cases.push_back({"chunk size below 8", b, 2});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(chunkDeclaring("PROP", 70000, ByteBuilder().fill(70000, 0))).append(data());
    cases.push_back({"second chunk not read whole", b, 1});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(chunkDeclaring("DATA", 70008, ByteBuilder().fill(70000, 0)));
    cases.push_back({"second chunk, a data chunk longer than 65536 bytes", b, 1});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(chunkDeclaring("DATA", 5000, ByteBuilder().fill(100, 0)));
    cases.push_back({"second chunk, a data chunk the file ends inside", b, 1});
  }
  {
    ByteBuilder b;
    b.append(chunk(".RMF", ByteBuilder().be16(0).be32(0))).append(prop()).append(data());
    cases.push_back({"file header too short for its fields", b, 0});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(chunk("CONT", ByteBuilder().be16(0).be16(50).text("short"))).append(data());
    cases.push_back({"content description text past the chunk", b, 3});
  }
  {
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(chunk("MDPR", mdprBody("name", "audio/x", ByteBuilder().text("xy")).fill(0)))
        .append(data());
    // Patch the type-specific length to overshoot the chunk.
    const std::size_t lenPos = 18 + 50 + 8 + 32 + 1 + 4 + 1 + 7;
    b.patch(lenPos, 100, 4, true);
    cases.push_back({"type-specific data past the chunk", b, 3});
  }
  {
    ByteBuilder b;
    ByteBuilder body;
    body.be16(0).be16(0).fill(28, 0).u8(200).text("short name");
    b.append(rmf()).append(prop()).append(chunk("MDPR", body)).append(data());
    cases.push_back({"stream name past the chunk", b, 3});
  }

  for(const Case &c : cases) {
    SCOPED_TRACE(c.what);
    const Opened o = open(c.bytes);
    EXPECT_EQ(o.reader->err(), -1);
    EXPECT_NE(o.stderrText, "");
    EXPECT_EQ(o.reader->records().size(), c.records);
    EXPECT_NE(o.reader->fileHeader(), nullptr);  // created even when its chunk failed
    EXPECT_EQ(o.reader->length(), 0u);
    EXPECT_EQ(o.reader->bitrate(), 0u);
    EXPECT_EQ(o.reader->title(), TagLib::String());
  }
}

TEST_F(RmffReader, ShortFilePropertiesLeaveZeroFieldsWithoutError)
{
  ByteBuilder b;
  b.append(rmf()).append(chunk("PROP", ByteBuilder().be16(0).be32(1000).be32(2000))).append(cont()).append(data());
  const Opened o = open(b);
  EXPECT_EQ(o.reader->err(), 0);
  ASSERT_NE(o.reader->fileProperties(), nullptr);
  EXPECT_EQ(o.reader->fileProperties()->max_bit_rate, 0u);
  EXPECT_EQ(o.reader->length(), 0u);
  EXPECT_NE(o.reader->contentDescription(), nullptr);
}

TEST_F(RmffReader, WithoutReadingPropertiesNoChunkIsRead)
{
  ByteBuilder b;
  b.append(prop()).text("not a RealMedia file at all");
  const Opened o = open(b, false);
  EXPECT_EQ(o.reader->err(), 0);
  EXPECT_EQ(o.stderrText, "");
  EXPECT_EQ(o.reader->fileHeader(), nullptr);
  EXPECT_TRUE(o.reader->records().empty());
  EXPECT_NE(o.reader->id3v1Holder(), nullptr);
  EXPECT_EQ(o.reader->length(), 0u);
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
  EXPECT_STREQ(copy.fileName(), o.reader->fileName());
  EXPECT_TRUE(copy.readProperties());
  EXPECT_EQ(copy.records().size(), o.reader->records().size());
  EXPECT_NE(copy.fileProperties(), o.reader->fileProperties());
  EXPECT_EQ(copy.length(), o.reader->length());
  EXPECT_EQ(copy.title(), o.reader->title());
}

TEST_F(RmffReader, SearchFindsChunksAnywhereAndNeverSetsTheFlag)
{
  ByteBuilder b;
  b.append(rmf()).append(prop()).append(data(40));
  const std::size_t rmmdAt = b.size();
  b.append(chunk("ZZZZ", ByteBuilder().fill(4)));
  const Opened o = open(b);
  RealMediaFF &r = *o.reader;
  EXPECT_EQ(r.seekChunk(chunkId(".RMF")), 0);
  EXPECT_EQ(r.seekChunk(chunkId("PROP")), 18);
  EXPECT_EQ(r.seekChunk(chunkId("ZZZZ")), static_cast<int>(rmmdAt));
  // The stream stands at the chunk's header.
  std::uint32_t id = 0;
  std::uint32_t size = 0;
  EXPECT_TRUE(r.readChunkHeader(id, size));
  EXPECT_EQ(id, chunkId("ZZZZ"));
  EXPECT_EQ(size, 12u);

  EXPECT_EQ(r.seekChunk(chunkId("RMMD")), -1);
  EXPECT_EQ(r.err(), 0);
}

TEST_F(RmffReader, DataChunkIsWalkedOverNotRead)
{
  // A whole data chunk right after the file header passes like any other.
  const Opened whole = open(ByteBuilder().append(rmf()).append(data(40)));
  EXPECT_EQ(whole.reader->err(), 0);
  EXPECT_EQ(whole.reader->records().size(), 1u);

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
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(cont("T", "Au", "C", "Co")).append(data(payload))
        .append(rmmd(root.bytes())).append(id3v1("V1", "", "", "", "", 0, 255));
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

TEST_F(RmffReader, MissingMetadataSectionIsNoError)
{
  {
    SCOPED_TRACE("data chunk whose size overshoots the bytes written");
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(cont()).append(chunkDeclaring("DATA", 4000000, ByteBuilder().fill(100)));
    const Opened o = open(b);
    EXPECT_EQ(o.reader->err(), 0);
    EXPECT_EQ(o.stderrText, "");
    EXPECT_EQ(o.reader->metadataSection(), nullptr);
    EXPECT_EQ(o.reader->length(), 2020u);
  }
  {
    SCOPED_TRACE("trailing ID3v1 tag");
    ByteBuilder b;
    b.append(plainFile()).append(id3v1("t", "a", "al", "1999", "c", 1, 2));
    const Opened o = open(b);
    EXPECT_EQ(o.reader->err(), 0);
    EXPECT_EQ(o.stderrText, "");
  }
  {
    SCOPED_TRACE("chunk of size 8 stops the search");
    ByteBuilder b;
    b.append(plainFile()).append(chunkDeclaring("NULL", 8, ByteBuilder())).append(rmmd(MdProp().bytes()));
    const Opened o = open(b);
    EXPECT_EQ(o.reader->err(), 0);
    EXPECT_EQ(o.reader->metadataSection(), nullptr);
  }
}
