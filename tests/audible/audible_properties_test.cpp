// The property map of an Audible audiobook, and fields changed in memory (a save
// writes nothing: the companion suite checks that for every read-only format).
#include <gtest/gtest.h>

#include <string>

#include <tpropertymap.h>

#include "audible/taglib_audiblefile.h"
#include "testfiles.h"

using namespace brenvo_test;
using TagLib::PropertyMap;
using TagLib::StringList;

TEST(AudibleProperties, EveryRecordUnderItsKey)
{
  const struct
  {
    std::string path;
    const char *fields;  // as PropertyMap::toString() lists them
  } cases[] = {
    {dataPath("audible/book.aa"),
     "ALBUM=The Test Series\nARTIST=Jane Q. Reader\nCOMMENT=A longer description that wins over the short one.\n"
     "COPYRIGHT=(c) 2026 Brenvo Audio\nDATE=2005-03-15\nDESCRIPTION=Short description.\nGENRE=Audiobook\n"
     "NARRATOR=N. Voice\nPRODUCT_ID=BK_TEST_000001\nTITLE=A Short Test Book\nUSER_ID=42\n"},
    {dataPath("audible/latin1.aa"),
     "ARTIST=Zo\xC3\xAB\nCOMMENT=Only a short description.\nDATE=2019\nGENRE=Audiobook\nPRODUCT_ID=BK_TEST_000002\n"
     "TITLE=Caf\xC3\xA9 Cr\xC3\xA8me\n"},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(TagLib::Audible::File(c.path.c_str()).properties().toString().to8Bit(true), c.fields);
  }
}

TEST(AudibleProperties, FieldsChangeInMemoryOnly)
{
  TagLib::Audible::File file(dataPath("audible/book.aa").c_str());
  TagLib::Audible::Tag &tag = *file.getAudibleTag();

  tag.setYear(1999);
  tag.setUserID(7);
  PropertyMap map = file.properties();
  EXPECT_EQ(map["DATE"], StringList("1999"));
  EXPECT_EQ(map["USER_ID"], StringList("7"));

  // One value a field, the others come back as not stored; other keys hold them all.
  map.erase("ARTIST");
  map.replace("TITLE", StringList("A").append("B"));
  map.replace("NARRATOR", StringList("N1").append("N2"));
  map.replace("DATE", StringList("2010-05-06"));
  map.replace("USER_ID", StringList("12"));
  map.replace("TRACKNUMBER", StringList("3"));
  PropertyMap notStored;
  notStored.replace("TITLE", StringList("B"));
  EXPECT_TRUE(file.setProperties(map) == notStored);
  map.replace("TITLE", StringList("A"));
  EXPECT_TRUE(file.properties() == map);
  EXPECT_TRUE(tag.artist().isEmpty());
  EXPECT_EQ(tag.year(), 2010u);
  EXPECT_EQ(tag.track(), 3u);
  EXPECT_EQ(tag.userID(), 12u);
}
