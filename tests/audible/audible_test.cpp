// Audible headers built in code, the samples in tests/data/audible (make.py),
// and their property maps, changed in memory (a save writes nothing: the
// companion suite checks that for every read-only format).
#include <gtest/gtest.h>

#include <vector>

#include <fileref.h>
#include <tpropertymap.h>

#include "audible/taglib_audiblefile.h"
#include "borrowedstreams.h"
#include "bytebuilder.h"
#include "hostcalls.h"
#include "testfiles.h"

using namespace brenvo_test;
using Book = TagLib::Audible::File;

namespace {

// One header record: key and value lengths, key, value, continuation byte (none when negative).
ByteBuilder record(ByteBuilder b, const std::string &key, const std::string &value, int continuation = 0)
{
  b.be32(static_cast<std::uint32_t>(key.size())).be32(static_cast<std::uint32_t>(value.size())).text(key).text(value);
  return continuation < 0 ? b : b.u8(static_cast<std::uint8_t>(continuation));
}

// An audiobook header: 189 skipped bytes, the records (every one but the last
// announcing another), the length 61 bytes behind them, then stand-in audio.
std::string audiobook(const std::vector<std::pair<std::string, std::string>> &records, std::uint32_t seconds = 3600)
{
  ByteBuilder b;
  b.fill(189);
  for(std::size_t i = 0; i < records.size(); ++i)
    b = record(b, records[i].first, records[i].second, i + 1 < records.size() ? 0 : 1);
  return b.fill(61).be32(seconds).fill(100, 0x5A).str();
}

// The header up to the end of the product id record.
ByteBuilder afterProductId()
{
  return record(ByteBuilder().fill(189), "product_id", "x");
}

std::string shows(const TagLib::Tag &t)
{
  std::string s;
  for(const TagLib::String &text : {t.title(), t.artist(), t.album(), t.comment(), t.genre()})
    s += text.to8Bit(true) + "|";
  return s + std::to_string(t.year()) + "|" + std::to_string(static_cast<const TagLib::Audible::Tag &>(t).userID());
}

std::string properties(const Book &b) { return std::to_string(b.audioProperties()->length()) + "s " + std::to_string(b.audioProperties()->channels()) + "ch"; }

} // namespace

TEST(Audible, Headers)
{
  TempDir dir;
  struct Case
  {
    std::string what, bytes, tag, properties;
    bool complains;
  };
  std::vector<Case> cases = {
    // Latin-1 text, the year after the last dash, digits before junk, the later of
    // two records, the long description over the short one in either order, and
    // keys that match only as a whole.
    {"records", audiobook({{"product_id", "x"}, {"title", "Caf\xE9"}, {"Title", "a"}, {"titles", "b"}, {"titl", "c"},
                           {"genre", "d"}, {"album", "e"}, {"author", "first"}, {"author", "second"}, {"description", "short"},
                           {"long_description", "long"}, {"description", "again"}, {"pubdate", "15-Mar-2005"},
                           {"user_id", "77abc"}}, 5025),
     "Caf\xC3\xA9|second||long|Audiobook|2005|77", "5025s 1ch", false},
    {"dashless date", audiobook({{"product_id", "x"}, {"pubdate", "2005"}}), "||||Audiobook|0|0", "3600s 1ch", false},
    {"first key product_iD", audiobook({{"product_iD", "x"}, {"title", "t"}}), "|||||0|0", "0s 0ch", true},
    {"first key Product_id", audiobook({{"Product_id", "x"}, {"title", "t"}}), "|||||0|0", "0s 0ch", true},
    {"zero byte in the first key", audiobook({{std::string("abc\0efghij", 10), "x"}}), "|||||0|0", "0s 0ch", true},
    // Read from the unset end offset in 32-bit arithmetic, the length would come from offset 60.
    {"no audiobook", ByteBuilder().fill(60).be32(1234).fill(133).text("not_an_aa_file").fill(100).str(), "|||||0|0", "0s 0ch", true},
    {"empty", "", "|||||0|0", "0s 0ch", false},
    {"100 bytes", audiobook({{"product_id", "x"}}).substr(0, 100), "|||||0|0", "0s 0ch", false},
    {"206 bytes", audiobook({{"product_id", "x"}}).substr(0, 206), "|||||0|0", "0s 0ch", false},
    {"empty value ends the list", audiobook({{"product_id", "x"}, {"author", "a"}, {"title", ""}, {"title", "t"}}),
     "|a|||Audiobook|0|0", "0s 1ch", false},
    {"empty key ends the list", audiobook({{"product_id", "x"}, {"author", "a"}, {"", "v"}, {"title", "t"}}),
     "|a|||Audiobook|0|0", "0s 1ch", false},
    {"record filling the file without continuation byte", record(afterProductId(), "title", "end", -1).str(),
     "end||||Audiobook|0|0", "0s 0ch", false},
    {"continuation 0x80 ends the list", record(record(afterProductId(), "title", "t", 0x80), "author", "a", 1).fill(200).str(),
     "t||||Audiobook|0|0", "0s 1ch", false},
    {"length field cut", record(afterProductId(), "title", "t", 1).fill(61).be16(0).str(), "t||||Audiobook|0|0", "0s 0ch", false},
  };
  // Lengths beyond the file make a record incomplete before anything is allocated for them.
  for(std::uint32_t huge : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000u}) {
    const std::string title = ByteBuilder().text("title").text("t").u8(1).fill(200).str();
    cases.push_back({"key length " + std::to_string(huge), record(afterProductId(), "author", "a").be32(huge).be32(1).text(title).str(),
                     "|a|||Audiobook|0|0", "0s 1ch", false});
    cases.push_back({"value length " + std::to_string(huge), afterProductId().be32(5).be32(huge).text(title).str(),
                     "||||Audiobook|0|0", "0s 1ch", false});
  }
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.write("book.aa", c.bytes);
    StderrCapture capture;
    const Book book(path.c_str()), noProperties(path.c_str(), false);
    EXPECT_EQ(capture.text().empty(), !c.complains);
    EXPECT_EQ(shows(*book.tag()), c.tag);
    EXPECT_EQ(properties(book), c.properties);
    EXPECT_EQ(shows(*noProperties.tag()), c.tag);
    EXPECT_EQ(properties(noProperties), "0s 0ch");
  }
  EXPECT_EQ(Book((dir.path() + "/missing.aa").c_str()).tag(), nullptr);
  // The message shows the ten bytes read.
  StderrCapture capture;
  const Book book(dir.write("book.aa", audiobook({{"abcdefghijklmnop", "x"}})).c_str());
  EXPECT_EQ(capture.text(), "no valid Audible aa file: abcdefghij\n");
}

// Samples made by make.py, through FileRef and through borrowed streams.
TEST(Audible, Samples)
{
  ensurePluginsRegistered();
  const struct
  {
    const char *sample, *tag;
    int length;
    const char *fields;  // as PropertyMap::toString() lists them
  } samples[] = {
    {"book.aa", "A Short Test Book|Jane Q. Reader|The Test Series|A longer description that wins over the short one.|Audiobook|2005|42", 3725,
     "ALBUM=The Test Series\nARTIST=Jane Q. Reader\nCOMMENT=A longer description that wins over the short one.\n"
     "COPYRIGHT=(c) 2026 Brenvo Audio\nDATE=2005-03-15\nDESCRIPTION=Short description.\nGENRE=Audiobook\n"
     "NARRATOR=N. Voice\nPRODUCT_ID=BK_TEST_000001\nTITLE=A Short Test Book\nUSER_ID=42\n"},
    {"latin1.aa", "Caf\xC3\xA9 Cr\xC3\xA8me|Zo\xC3\xAB||Only a short description.|Audiobook|0|0", 59,
     "ARTIST=Zo\xC3\xAB\nCOMMENT=Only a short description.\nDATE=2019\nGENRE=Audiobook\nPRODUCT_ID=BK_TEST_000002\n"
     "TITLE=Caf\xC3\xA9 Cr\xC3\xA8me\n"},
    {"minimal.aa", "||||Audiobook|0|0", 1, "GENRE=Audiobook\nPRODUCT_ID=BK_TEST_000003\n"},
  };
  for(const auto &s : samples) {
    SCOPED_TRACE(s.sample);
    const std::string path = dataPath(std::string("audible/") + s.sample);
    TagLib::FileRef ref(path.c_str());
    const Book *opened = dynamic_cast<Book *>(ref.file());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(shows(*ref.tag()), s.tag);
    EXPECT_EQ(ref.audioProperties()->length(), s.length);
    EXPECT_EQ(opened->properties().toString().to8Bit(true), s.fields);
    withBorrowedStreams(path, [&](TagLib::IOStream *stream) {
      const Book book(stream);
      EXPECT_EQ(shows(*book.tag()), s.tag);
      EXPECT_EQ(book.audioProperties()->length(), s.length);
    });
  }
}

TEST(AudibleProperties, FieldsChangeInMemoryOnly)
{
  TagLib::Audible::File file(dataPath("audible/book.aa").c_str());
  TagLib::Audible::Tag &tag = *file.getAudibleTag();

  tag.setYear(1999);
  tag.setUserID(7);
  TagLib::PropertyMap map = file.properties();
  EXPECT_EQ(map["DATE"], TagLib::StringList("1999"));
  EXPECT_EQ(map["USER_ID"], TagLib::StringList("7"));

  // One value a field, the others come back as not stored; other keys hold them all.
  map.erase("ARTIST");
  map.replace("TITLE", TagLib::StringList("A").append("B"));
  map.replace("NARRATOR", TagLib::StringList("N1").append("N2"));
  map.replace("DATE", TagLib::StringList("2010-05-06"));
  map.replace("USER_ID", TagLib::StringList("12"));
  map.replace("TRACKNUMBER", TagLib::StringList("3"));
  TagLib::PropertyMap notStored;
  notStored.replace("TITLE", TagLib::StringList("B"));
  EXPECT_TRUE(file.setProperties(map) == notStored);
  map.replace("TITLE", TagLib::StringList("A"));
  EXPECT_TRUE(file.properties() == map);
  EXPECT_TRUE(tag.artist().isEmpty());
  EXPECT_EQ(tag.year(), 2010u);
  EXPECT_EQ(tag.track(), 3u);
  EXPECT_EQ(tag.userID(), 12u);
}
