// The property map of a RealMedia file, and fields changed in memory only.
#include <gtest/gtest.h>

#include <string>

#include <tpropertymap.h>

#include "rmchunks.h"
#include "rmff/taglib_realmediafile.h"
#include "testfiles.h"

using namespace brenvo_test;
using namespace rmtest;
using TagLib::PropertyMap;
using TagLib::StringList;

namespace {

MdProp record(const std::string &name, const std::string &value, std::uint32_t type = 2, std::vector<MdProp> subs = {})
{
  return MdProp{name, value, type, std::move(subs), false};
}

ByteBuilder section(const std::vector<MdProp> &records)
{
  return rmmd(record("", "", 9, records).bytes());
}

} // namespace

TEST(RmffProperties, EveryRecordUnderItsKeyTheID3v1TagFirst)
{
  const ByteBuilder fileInfo = logicalStream({}, {}, {nameValue("Creation Date", 2, std::string("1/2/2003\0", 9)),
                                                      nameValue("Bits", 0, ByteBuilder().be32(256).str()),
                                                      nameValue("Blob", 1, "xyz")});
  const ByteBuilder metadata = section({
    record("Title", "Meta Title", 1), record("Author", "Meta Author"), record("Album", "Meta Album"),
    record("Genre", "Jazz"), record("Year", "2004"), record("Track", ByteBuilder().be32(7).str(), 4),
    record("Comments", std::string("Meta comment\0", 13)), record("Producer", "Caf\xC3\xA9"),
    record("Info", "", 9, {record("Label", "Label Name")}), record("Cover", "\x89PNG\r\n", 5),
  });
  const struct
  {
    const char *what;
    ByteBuilder bytes;
    const char *fields;  // as PropertyMap::toString() lists them
  } cases[] = {
    {"metadata section and logical stream",
     cat({rmf(), prop(), mdpr("Info", "logical-fileinfo", fileInfo), cont("", "", "", ""), data(), metadata}),
     "ALBUM=Meta Album\nARTIST=Meta Author\nBITS=256\nCOMMENT=Meta comment\nCREATION DATE=1/2/2003\nDATE=2004\n"
     "GENRE=Jazz\nINFO/LABEL=Label Name\nPRODUCER=Caf\xC3\xA9\nTITLE=Meta Title\nTRACKNUMBER=7\n"
     "Unsupported Data: COVER, BLOB\n"},
    {"ID3v1, then content description, then metadata section",
     cat({rmf(), prop(), cont("Cont Title", "Cont Author", "(c) \xE2\x98\x83", ""), data(),
          section({record("Title", "Meta Title"), record("Author", "Meta Author"), record("Album", "Meta Album")}),
          id3v1("V1 Title")}),
     "ALBUM=Meta Album\nARTIST=Cont Author\nCOPYRIGHT=(c) \xE2\x98\x83\nTITLE=V1 Title\n"},
    {"a failed read holds nothing", cat({rmf(), prop(), cont("t", "a", "c", "m", 1), data(), id3v1("V1")}), ""},
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
    cat({rmf(), prop(), cont(), data(), section({record("Cover", "\xFF\xD8\xFF", 5)}), id3v1("V1 Title")}).str();
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
