// The property map of a RealMedia file: every record of the content
// description, the metadata section and the logical streams, the ID3v1 tag
// first, and fields changed in memory only.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <tpropertymap.h>

#include "rmchunks.h"
#include "rmff/taglib_realmediafile.h"
#include "testfiles.h"

using namespace brenvo_test;
using namespace rmtest;
using TagLib::PropertyMap;
using TagLib::String;
using TagLib::StringList;
namespace RM = TagLib::RealMedia;

namespace {

std::string be32Text(std::uint32_t v)
{
  return ByteBuilder().be32(v).str();
}

//! A metadata record; text (type 2) unless \a type says otherwise.
MdProp record(const std::string &name, const std::string &value, std::uint32_t type = 2,
              const std::vector<MdProp> &subs = {})
{
  return MdProp{name, value, type, subs, false};
}

//! A metadata section whose root groups \a records.
ByteBuilder section(const std::vector<MdProp> &records)
{
  return rmmd(record("", "", 9, records).bytes());
}

// The seven fields of the tag read what the map holds.
void expectTagShows(const TagLib::Tag &tag, const PropertyMap &map)
{
  EXPECT_EQ(tag.title(), map.value("TITLE").toString(" "));
  EXPECT_EQ(tag.artist(), map.value("ARTIST").toString(" "));
  EXPECT_EQ(tag.album(), map.value("ALBUM").toString(" "));
  EXPECT_EQ(tag.comment(), map.value("COMMENT").toString(" "));
  EXPECT_EQ(tag.genre(), map.value("GENRE").toString(" "));
  EXPECT_EQ(tag.year(), map.contains("DATE") ? static_cast<unsigned int>(map["DATE"].front().toInt()) : 0u);
  EXPECT_EQ(tag.track(), map.contains("TRACKNUMBER") ? static_cast<unsigned int>(map["TRACKNUMBER"].front().toInt()) : 0u);
}

} // namespace

TEST(RmffProperties, EveryRecordUnderItsKey)
{
  const ByteBuilder fileInfo = logicalStream({}, {}, {
    nameValue("Creation Date", 2, std::string("1/2/2003\0", 9)),
    nameValue("Bits", 0, be32Text(256)),
    nameValue("Blob", 1, "xyz"),
  });
  const ByteBuilder metadata = section({
    record("Title", "Meta Title", 1), record("Author", "Meta Author"), record("Album", "Meta Album"),
    record("Genre", "Jazz"), record("Year", "2004"), record("Track", be32Text(7), 4),
    record("Comments", std::string("Meta comment\0", 13)), record("Producer", "Caf\xC3\xA9"),
    record("Info", "", 9, {record("Label", "Label Name")}), record("Cover", "\x89PNG\r\n", 5),
    record("Copyright", "Meta (c)"),
  });
  const struct
  {
    const char *what;
    ByteBuilder bytes;
    const char *fields;  // as PropertyMap::toString() lists them
  } cases[] = {
    {"metadata section and logical stream",
     cat({rmf(), prop(), mdpr("Info", "logical-fileinfo", fileInfo), cont("", "", "", ""), data(), metadata}),
     "ALBUM=Meta Album\nARTIST=Meta Author\nBITS=256\nCOMMENT=Meta comment\nCOPYRIGHT=Meta (c)\n"
     "CREATION DATE=1/2/2003\nDATE=2004\nGENRE=Jazz\nINFO/LABEL=Label Name\nPRODUCER=Caf\xC3\xA9\n"
     "TITLE=Meta Title\nTRACKNUMBER=7\nUnsupported Data: COVER, BLOB\n"},
    {"ID3v1 first, then the content description, then the metadata section",
     cat({rmf(), prop(), mdpr(), cont("Cont Title", "Cont Author", "", ""), data(),
          section({record("Title", "Meta Title"), record("Author", "Meta Author"), record("Album", "Meta Album")}), id3v1("V1 Title")}),
     "ALBUM=Meta Album\nARTIST=Cont Author\nTITLE=V1 Title\n"},
    {"UTF-8 content description",
     cat({rmf(), prop(), cont("Snow \xE2\x98\x83", "", "(c) Caf\xC3\xA9", ""), data()}),
     "COPYRIGHT=(c) Caf\xC3\xA9\nTITLE=Snow \xE2\x98\x83\n"},
    {"a failed read holds nothing", cat({rmf(), prop(), cont("t", "a", "c", "m", 1), data(), id3v1("V1 Title")}), ""},
  };
  TempDir dir;
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    StderrCapture capture;
    RM::File file(dir.write("f.rm", c.bytes.str()).c_str());
    const PropertyMap map = file.properties();
    EXPECT_EQ(map.toString().to8Bit(true), c.fields);
    expectTagShows(*file.tag(), map);
  }
}

TEST(RmffProperties, FieldsChangeInMemoryOnly)
{
  TempDir dir;
  const std::string bytes =
    cat({rmf(), prop(), cont(), data(), section({record("Cover", "\xFF\xD8\xFF", 5)}), id3v1("V1 Title", "", "", "2001")}).str();
  const std::string path = dir.write("f.rm", bytes);
  RM::File file(path.c_str());
  TagLib::Tag &tag = *file.tag();

  // A setter keeps every other field.
  tag.setYear(1999);
  PropertyMap map = file.properties();
  EXPECT_EQ(map["DATE"], StringList("1999"));
  EXPECT_EQ(map["TITLE"], StringList("V1 Title"));
  EXPECT_EQ(map["COPYRIGHT"], StringList("Cont Copyright"));

  // A map replaces every field; unsupported records stay until removed.
  map.erase("ARTIST");
  map.replace("TITLE", StringList(String("A")).append("B"));
  map.replace("CONDUCTOR", StringList("Someone"));
  EXPECT_TRUE(file.setProperties(map).isEmpty());
  EXPECT_TRUE(file.properties() == map);
  EXPECT_EQ(tag.title(), "A B");
  EXPECT_EQ(tag.artist(), "");
  expectTagShows(tag, file.properties());
  file.removeUnsupportedProperties(StringList("COVER"));
  EXPECT_TRUE(file.properties().unsupportedData().isEmpty());

  // Another tag made to read what this one reads shows the changes too.
  RM::Tag other(file.reader(), false);
  RM::Tag::duplicate(file.RealMediaTag(), &other, true);
  EXPECT_TRUE(other.properties() == file.properties());

  EXPECT_FALSE(file.setPictures({}));
  EXPECT_FALSE(file.save());
  EXPECT_EQ(readFile(path), bytes);
}
