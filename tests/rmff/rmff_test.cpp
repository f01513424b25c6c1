// RealMedia: built files for the header walk, the metadata section and the
// logical stream; built and real files for the tag and properties a host sees.
#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <tpropertymap.h>

#include "bytebuilder.h"
#include "rmff/rmff.h"
#include "rmff/taglib_realmediafile.h"
#include "testfiles.h"
#include "tresolvers.h"

using namespace brenvo_test;
using TagLib::PropertyMap;
using TagLib::StringList;
namespace RM = TagLib::RealMedia;

namespace {

ByteBuilder cat(std::initializer_list<ByteBuilder> parts)
{
  ByteBuilder b;
  for(const ByteBuilder &p : parts)
    b.append(p);
  return b;
}

//! A chunk: its id, its size (\a declared, else the whole chunk's), its body.
ByteBuilder chunk(const std::string &id, const ByteBuilder &body = {}, std::uint32_t declared = 0)
{
  return ByteBuilder().text(id).be32(declared ? declared : static_cast<std::uint32_t>(8 + body.size())).append(body);
}

ByteBuilder rmf(std::uint16_t version = 0)
{
  return chunk(".RMF", ByteBuilder().be16(version).be32(0).be32(5));
}

ByteBuilder prop(std::uint32_t duration = 2020, std::uint32_t avgBitRate = 64000, std::uint16_t version = 0)
{
  return chunk("PROP", ByteBuilder().be16(version).be32(70000).be32(avgBitRate).be32(1024).be32(512).be32(100)
                           .be32(duration).be32(10).be32(0).be32(300).be16(1).be16(3));
}

ByteBuilder mdpr(const std::string &mime = "audio/x-pn-realaudio", const ByteBuilder &typeSpecific = {},
                 std::uint16_t version = 0)
{
  return chunk("MDPR", ByteBuilder().be16(version).be16(0).fill(28).u8(4).text("name")
                           .u8(static_cast<std::uint8_t>(mime.size())).text(mime)
                           .be32(static_cast<std::uint32_t>(typeSpecific.size())).append(typeSpecific));
}

ByteBuilder cont(const std::string &title = "Cont Title", const std::string &author = "Cont Author",
                 const std::string &comment = "Cont Comment", std::uint16_t version = 0,
                 const std::string &copyright = "Cont Copyright")
{
  ByteBuilder body = ByteBuilder().be16(version);
  for(const std::string &s : {title, author, copyright, comment})
    body.be16(static_cast<std::uint16_t>(s.size())).text(s);
  return chunk("CONT", body);
}

ByteBuilder data(std::size_t payload = 32)
{
  return chunk("DATA", ByteBuilder().be16(0).be32(1).be32(0).fill(payload, 0x55));
}

//! A 128-byte ID3v1.1 tag of year 2001, track 9 and genre 8 (Jazz).
ByteBuilder id3v1(const std::string &title = "V1 Title", const std::string &artist = "V1 Artist",
                  const std::string &album = "V1 Album", const std::string &comment = "V1 Comment")
{
  ByteBuilder b = ByteBuilder().text("TAG");
  for(const std::string &s : {title, artist, album})
    b.text(s).fill(30 - s.size());
  return b.text("2001").text(comment).fill(28 - comment.size()).u8(0).u8(9).u8(8);
}

ByteBuilder plainFile()
{
  return cat({rmf(), prop(), mdpr(), cont(), data()});
}

// A metadata property record: seven words, name, value, sub-property table, then the sub-records
// laid out backwards, so that only the table's offsets (from the record's first byte) find them.
ByteBuilder mdprop(const std::string &name = "", const std::string &value = "", std::uint32_t type = 2,
                   const std::vector<ByteBuilder> &subs = {})
{
  const auto valueOffset = static_cast<std::uint32_t>(28 + name.size());
  const auto tableOffset = static_cast<std::uint32_t>(valueOffset + 4 + value.size());
  ByteBuilder tail;
  for(auto s = subs.rbegin(); s != subs.rend(); ++s)
    tail.append(*s);
  auto size = static_cast<std::uint32_t>(tableOffset + 8 * subs.size() + tail.size());
  ByteBuilder b = ByteBuilder().be32(size).be32(type).be32(0).be32(valueOffset).be32(tableOffset).be32(static_cast<std::uint32_t>(subs.size()))
      .be32(static_cast<std::uint32_t>(name.size())).text(name).be32(static_cast<std::uint32_t>(value.size())).text(value);
  for(const ByteBuilder &s : subs)
    b.be32(size -= static_cast<std::uint32_t>(s.size())).be32(0);
  return b.append(tail);
}

//! \a levels properties, each the only sub-property of the one above.
ByteBuilder chain(int levels)
{
  return levels > 1 ? mdprop("level", "", 2, {chain(levels - 1)}) : mdprop("level");
}

ByteBuilder rmmd(const ByteBuilder &root)
{
  return chunk("RMMD", ByteBuilder().be32(0x524a4d44).be32(0x10000).append(root));
}

//! A logical stream: its size, \a version, then \a body.
ByteBuilder logical(const ByteBuilder &body, std::uint16_t version = 0)
{
  return ByteBuilder().beginSized().be16(version).append(body).end();
}

// A metadata section whose root holds \a records.
ByteBuilder section(const std::vector<ByteBuilder> &records)
{
  return rmmd(mdprop("", "", 9, records));
}

// A name-value property of a logical stream.
ByteBuilder nameValue(const std::string &name, std::uint32_t type, const std::string &value)
{
  return ByteBuilder().beginSized().be16(0).u8(static_cast<std::uint8_t>(name.size())).text(name).be32(type)
      .be16(static_cast<std::uint16_t>(value.size())).text(value).end();
}

//! What a host reads: "title|artist|album|comment|genre|year|track|seconds|kb/s", marked when the tag is empty.
std::string seen(const TagLib::File &file)
{
  const TagLib::Tag &t = *file.tag();
  const TagLib::String texts = t.title() + "|" + t.artist() + "|" + t.album() + "|" + t.comment() + "|" + t.genre() + "|";
  return texts.to8Bit(true) + std::to_string(t.year()) + "|" + std::to_string(t.track()) + "|" +
         std::to_string(file.audioProperties()->length()) + "|" + std::to_string(file.audioProperties()->bitrate()) +
         (t.isEmpty() ? " (empty)" : "");
}

class Rmff : public ::testing::Test
{
protected:
  //! The file of \a bytes; what opening it printed goes to stderrText.
  std::unique_ptr<RM::File> open(const ByteBuilder &bytes, bool readProperties = true)
  {
    const std::string path = dir.write("f.rm", bytes.str());
    StderrCapture capture;
    auto file = std::make_unique<RM::File>(path.c_str(), readProperties);
    stderrText = capture.text();
    return file;
  }

  TempDir dir;
  std::string stderrText;
};

} // namespace

TEST_F(Rmff, FilesThatReadAndFilesThatFail)
{
  const auto withSection = [](const ByteBuilder &section) { return cat({plainFile(), section}); };
  //! A section whose root record (with one sub-property when \a withSub) has the word at \a pos set to \a v.
  const auto patched = [&](bool withSub, std::size_t pos, std::uint32_t v) {
    ByteBuilder root = mdprop("", "abcd", 2, withSub ? std::vector<ByteBuilder>{mdprop()} : std::vector<ByteBuilder>{});
    return withSection(rmmd(root.patch(pos, v, 4, true)));
  };
  // Sixteen records, each with 200 table entries all naming the next one:
  // followed naively that is 200^15 records.
  ByteBuilder shared;
  for(int i = 0; i < 16; ++i) {
    shared.be32(1632).be32(0).be32(0).be32(28).be32(32).be32(i < 15 ? 200 : 0).be32(0).be32(0);
    for(int e = 0; e < 200; ++e)
      shared.be32(1632).be32(0);
  }
  const ByteBuilder words = ByteBuilder().be32(1).be32(2);  // the two words that open a section
  const struct
  {
    const char *what;
    ByteBuilder bytes;
    bool fails = true;
    unsigned int length = 0;
  } cases[] = {
    {"plain file, no metadata section", plainFile(), false, 2020},
    {"file properties of version 1: zero fields", cat({rmf(), prop(2020, 64000, 1), data()}), false},
    {"file properties too short: zero fields", cat({rmf(), chunk("PROP", ByteBuilder().be16(0).be32(1)), data()}), false},
    {"file header of version 2", cat({rmf(2), prop(), data()}), false, 2020},
    {"unknown chunk", cat({rmf(), chunk("XYZW", ByteBuilder().fill(20, 1)), prop(), data()}), false, 2020},
    {"data chunk right after the file header", cat({rmf(), data(40)}), false},
    {"data chunk overshooting the file", cat({rmf(), prop(), chunk("DATA", ByteBuilder(), 4000000)}), false, 2020},
    // The search for the section ends at a chunk this small, so the broken section behind is never read.
    {"chunk of size 8", withSection(cat({chunk("NULL"), rmmd(chain(17))})), false, 2020},
    {"file does not start with .RMF", cat({prop(), rmf(), data()})},
    {"content description of version 1", cat({rmf(), prop(), cont("t", "a", "c", 1), data()})},
    {"media properties of version 1", cat({rmf(), prop(), mdpr("audio/x", {}, 1), data()})},
    {"chunk before DATA longer than 65536 bytes", cat({rmf(), prop(), chunk("BIGC", ByteBuilder().fill(65529)), data()})},
    {"file ends inside a chunk header", cat({rmf(), prop(), cont(), ByteBuilder().text("DA")})},
    {"file ends inside a chunk", cat({rmf(), prop(), chunk("CONT", cont(), 200)})},
    {"chunk size below 8", cat({rmf(), prop(), chunk("XXXX", {}, 4), data()})},
    {"second chunk, data longer than 65536 bytes", cat({rmf(), chunk("DATA", ByteBuilder().fill(70000), 70008)})},
    {"second chunk, data the file ends inside", cat({rmf(), chunk("DATA", ByteBuilder().fill(100), 5000)})},
    {"file header too short for its fields", cat({chunk(".RMF", ByteBuilder().be16(0).be32(0)), prop(), data()})},
    {"content description text past the chunk",
     cat({rmf(), prop(), chunk("CONT", ByteBuilder().be16(0).be16(50).text("short")), data()})},
    {"type-specific data past the chunk",
     cat({rmf(), prop(), chunk("MDPR", ByteBuilder().fill(32).u8(0).u8(0).be32(100).text("xy")), data()})},
    {"stream name past the chunk", cat({rmf(), prop(), chunk("MDPR", ByteBuilder().fill(32).u8(200).text("xy")), data()})},
    {"section sixteen levels deep", withSection(rmmd(chain(16))), false, 2020},
    {"section seventeen levels deep", withSection(rmmd(chain(17)))},
    {"section of shared sub-trees", withSection(rmmd(shared))},
    {"sub-property offset leading back into its parent", patched(true, 36, 0)},
    {"sub-property offset outside", patched(true, 36, 0x7FFFFFFF)},
    {"property name past the chunk", patched(false, 24, 1000)},
    {"property value past the chunk", patched(false, 28, 5000)},
    {"property value offset outside", patched(false, 12, 0xFFFFFFF0u)},
    {"sub-property count too large", patched(false, 20, 0x10000000u)},
    {"section longer than 65536 bytes", withSection(chunk("RMMD", cat({words, mdprop(), ByteBuilder().fill(65536)})))},
    {"section shorter than its words", withSection(chunk("RMMD", ByteBuilder().be32(1)))},
    {"section without a root property", withSection(chunk("RMMD", cat({words, ByteBuilder().fill(20)})))},
    {"section cut short by the end of the file", withSection(chunk("RMMD", cat({words, mdprop()}), 500))},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const auto start = std::chrono::steady_clock::now();
    const auto file = open(c.bytes);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(file->reader()->err(), c.fails ? -1 : 0);
    EXPECT_EQ(stderrText, c.fails ? "ERROR reading Metadata\n" : "");
    EXPECT_EQ(file->reader()->length(), c.length);
    EXPECT_EQ(file->reader()->bitrate(), c.length ? 64000u : 0u);
  }
}

TEST_F(Rmff, LogicalStreamIsKeptOnlyWhenItFitsItsBytes)
{
  // Counts of physical streams, rules and properties each lead their table.
  const ByteBuilder noStreamsNoRules = ByteBuilder().be16(0).be16(0);
  // Name-value properties of version 0: size, version, name, type, value.
  const ByteBuilder nv = ByteBuilder().be32(17).be16(0).u8(1).text("a").be32(0).be16(3).text("bcd");
  const ByteBuilder unnamed = ByteBuilder().be32(13).be16(0).u8(0).be32(2).be16(0);
  const struct
  {
    const char *what;
    ByteBuilder typeSpecific;
    bool kept = false;
    std::string mime = "logical-fileinfo";
  } cases[] = {
    // A property of another version is stepped over by its size.
    {"streams, rules and properties",
     logical(cat({ByteBuilder().be16(2).be16(7).be16(2).be32(0x1234).be32(20).be16(3).be16(1).be16(0).be16(1).be16(3),
                  unnamed, ByteBuilder().be32(12).be16(3).fill(6), nv})), true},
    {"object version 1", logical(ByteBuilder().fill(6), 1)},
    {"another MIME type", logical(ByteBuilder().fill(6)), false, "audio/x-pn-realaudio"},
    {"more physical streams than bytes", logical(ByteBuilder().be16(5000).be16(1).be32(2).be16(0).be16(0))},
    {"more properties than bytes", logical(cat({noStreamsNoRules, ByteBuilder().be16(60000), nv}))},
    {"value past the stream",
     logical(cat({noStreamsNoRules, ByteBuilder().be16(1).be32(17).be16(0).u8(1).text("a").be32(0).be16(300).text("bcd")}))},
    {"stream cut inside its header", ByteBuilder().be32(8).be16(0).u8(0)},
    {"property size past the stream", logical(cat({noStreamsNoRules, ByteBuilder().be16(1).be32(4000).be16(1)}))},
    {"property size below its fields", logical(cat({noStreamsNoRules, ByteBuilder().be16(2).be32(2).be16(1), nv}))},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    auto file = open(cat({rmf(), prop(), mdpr(c.mime, c.typeSpecific), cont(), data()}));
    EXPECT_EQ(file->reader()->err(), 0);
    EXPECT_EQ(file->tag()->title(), "Cont Title");  // the walk went on
    const auto &stream = file->reader()->mediaProperties()->lstr;
    ASSERT_EQ(stream != nullptr, c.kept);
    if(stream) {
      ASSERT_EQ(stream->num_properties, 3);
      EXPECT_STREQ(stream->properties[2].name.get(), "a");
      EXPECT_STREQ(reinterpret_cast<const char *>(stream->properties[2].value.get()), "bcd");
    }
  }
}

TEST_F(Rmff, ResolverTakesItsExtensionsOnly)
{
  TagLib::RealMediaFileTypeResolver resolver;
  const auto create = [&](const std::string &path) {
    return std::unique_ptr<TagLib::File>(resolver.createFile(path.c_str(), true, TagLib::AudioProperties::Average));
  };
  for(const char *name : {"a.ra", "a.rv", "a.rm", "a.rmj", "A.RMVB"})
    EXPECT_NE(dynamic_cast<RM::File *>(create(dir.write(name, plainFile().str())).get()), nullptr) << name;
  EXPECT_EQ(create(dir.write("a.mp3", plainFile().str())), nullptr);
  EXPECT_EQ(create(dir.path() + "/missing.rm"), nullptr);
}

TEST_F(Rmff, WhatAHostSees)
{
  const auto sample = [](const char *name) { return ByteBuilder().append(readFile(dataPath(name))); };
  const struct
  {
    const char *what;
    ByteBuilder bytes;
    const char *seen;
    bool readProperties = true;
  } cases[] = {
    // Values as ffprobe and mutagen read them (see tests/data/rmff/make.sh).
    {"rmff/ac3.rm", sample("rmff/ac3.rm"), "Sine Title|Sine Author||AC-3 in RealMedia||0|0|1|64"},
    {"rmff/ac3-id3v1.rm", sample("rmff/ac3-id3v1.rm"), "ID3 Title|ID3 Artist|ID3 Album|ID3 comment|Rock|2025|7|1|64"},
    {"rmff/real144.ra", sample("rmff/real144.ra"), "Speech Title|Speech Author||RealAudio 1.0||0|0|0|8"},
    {"rmff/real144-id3v1.ra", sample("rmff/real144-id3v1.ra"), "ID3 Title|Speech Author|ID3 Album|RealAudio 1.0||0|0|0|8"},
    {"rmff/av.rmvb", sample("rmff/av.rmvb"), "Video Title|Video Author||||0|0|1|52"},
    // An ID3v1 field left empty falls back to the content description's, field by field.
    {"ID3v1 with title and album only", cat({plainFile(), id3v1("V1 Title", "", "V1 Album", "")}),
     "V1 Title|Cont Author|V1 Album|Cont Comment|Jazz|2001|9|2|64"},
    {"Latin-1 texts", cat({rmf(), prop(), cont("Caf\xe9", "\xc5sa", "na\xefve"), data()}),
     "Caf\u00e9|\u00c5sa||na\u00efve||0|0|2|64"},
    {"past 2^31: truncated and still positive", cat({rmf(), prop(3000000999u, 3000000999u), cont(), data()}),
     "Cont Title|Cont Author||Cont Comment||0|0|3000000|3000000"},
    {"shorter than an ID3v1 tag", ByteBuilder().text("TAG").fill(40, 'x'), "|||||0|0|0|0 (empty)", false},
    // Not a RealMedia file: without reading properties nothing else is read.
    {"only an ID3v1 tag, properties not read", id3v1(), "V1 Title|V1 Artist|V1 Album|V1 Comment|Jazz|2001|9|0|0", false},
    {"a failed read hides the ID3v1 tag", cat({rmf(), prop(), cont("t", "a", "c", 1), data(), id3v1()}),
     "|||||0|0|0|0 (empty)"},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(seen(*open(c.bytes, c.readProperties)), c.seen);
  }
}

TEST_F(Rmff, TagCopiesAndDuplicate)
{
  auto file = open(cat({plainFile(), id3v1()}));
  RM::Tag copy(file->reader(), true);  // reads the file again through its own reader
  EXPECT_NE(copy.reader(), file->reader());
  RM::Tag::duplicate(&copy, &copy, true);  // the reader is copied before the old one goes
  EXPECT_EQ(copy.title(), "V1 Title");
  RM::Tag borrowing(nullptr, false);
  RM::Tag::duplicate(&copy, &borrowing, true);
  RM::Tag::duplicate(file->RealMediaTag(), &borrowing, false);  // no overwrite of a tag with fields
  EXPECT_EQ(borrowing.reader(), copy.reader());
}

TEST(RmffProperties, EveryRecordUnderItsKeyTheID3v1TagFirst)
{
  const ByteBuilder fileInfo = logical(cat({ByteBuilder().be16(0).be16(0).be16(3),
                                            nameValue("Creation Date", 2, std::string("1/2/2003\0", 9)),
                                            nameValue("Bits", 0, ByteBuilder().be32(256).str()), nameValue("Blob", 1, "xyz")}));
  const ByteBuilder metadata = section({
    mdprop("Title", "Meta Title", 1), mdprop("Author", "Meta Author"), mdprop("Album", "Meta Album"),
    mdprop("Genre", "Jazz"), mdprop("Year", "2004"), mdprop("Track", ByteBuilder().be32(7).str(), 4),
    mdprop("Comments", std::string("Meta comment\0", 13)), mdprop("Producer", "Caf\xC3\xA9"),
    mdprop("Info", "", 9, {mdprop("Label", "Label Name")}), mdprop("Cover", "\x89PNG\r\n", 5),
  });
  const struct
  {
    const char *what;
    ByteBuilder bytes;
    const char *fields;  // as PropertyMap::toString() lists them
  } cases[] = {
    {"metadata section and logical stream",
     cat({rmf(), prop(), mdpr("logical-fileinfo", fileInfo), cont("", "", "", 0, ""), data(), metadata}),
     "ALBUM=Meta Album\nARTIST=Meta Author\nBITS=256\nCOMMENT=Meta comment\nCREATION DATE=1/2/2003\nDATE=2004\n"
     "GENRE=Jazz\nINFO/LABEL=Label Name\nPRODUCER=Caf\xC3\xA9\nTITLE=Meta Title\nTRACKNUMBER=7\n"
     "Unsupported Data: COVER, BLOB\n"},
    {"ID3v1, then content description, then metadata section",
     cat({rmf(), prop(), cont("Cont Title", "Cont Author", "", 0, "(c) \xE2\x98\x83"), data(),
          section({mdprop("Title", "Meta Title"), mdprop("Author", "Meta Author"), mdprop("Album", "Meta Album")}),
          id3v1("V1 Title", "", "", "")}),
     "ALBUM=Meta Album\nARTIST=Cont Author\nCOPYRIGHT=(c) \xE2\x98\x83\nDATE=2001\nGENRE=Jazz\nTITLE=V1 Title\nTRACKNUMBER=9\n"},
    {"a failed read holds nothing", cat({rmf(), prop(), cont("t", "a", "m", 1, "c"), data(), id3v1("V1")}), ""},
  };
  TempDir dir;
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    StderrCapture capture;
    TagLib::RealMedia::File file(dir.write("f.rm", c.bytes.str()).c_str());
    const PropertyMap map = file.properties();
    EXPECT_EQ(map.toString().to8Bit(true), c.fields);
    // The tag shows the same seven fields (TagLib's basic map is built from its getters).
    PropertyMap seven;
    for(const char *key : {"TITLE", "ARTIST", "ALBUM", "COMMENT", "GENRE", "DATE", "TRACKNUMBER"}) {
      if(map.contains(key))
        seven.replace(key, map[key]);
    }
    EXPECT_TRUE(file.tag()->properties() == seven);
  }
}

TEST(RmffProperties, FieldsChangeInMemoryOnly)
{
  TempDir dir;
  const std::string bytes =
    cat({rmf(), prop(), cont(), data(), section({mdprop("Cover", "\xFF\xD8\xFF", 5)}), id3v1("V1 Title")}).str();
  const std::string path = dir.write("f.rm", bytes);
  TagLib::RealMedia::File file(path.c_str());
  TagLib::Tag &tag = *file.tag();

  tag.setYear(1999);  // the other fields stay
  PropertyMap map = file.properties();
  EXPECT_EQ(map["DATE"], StringList("1999"));
  EXPECT_EQ(map["COPYRIGHT"], StringList("Cont Copyright"));

  map.erase("ARTIST");
  map.replace("TITLE", StringList("A").append("B"));
  map.replace("CONDUCTOR", StringList("Someone"));
  EXPECT_TRUE(file.setProperties(map).isEmpty());
  EXPECT_TRUE(file.properties() == map);  // unsupported records included
  EXPECT_EQ(tag.title(), "A B");
  EXPECT_EQ(tag.artist(), "");
  file.removeUnsupportedProperties(StringList("COVER"));
  EXPECT_TRUE(file.properties().unsupportedData().isEmpty());

  // A tag made to read what this one reads shows the changes too.
  TagLib::RealMedia::Tag other(file.reader(), false);
  TagLib::RealMedia::Tag::duplicate(file.RealMediaTag(), &other, true);
  EXPECT_TRUE(other.properties() == file.properties());

  EXPECT_FALSE(file.save());
  EXPECT_EQ(readFile(path), bytes);
}
