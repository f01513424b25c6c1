// Saving: every value type in every record kind, where attributes go, what
// stays in place, limits, repeated saves and refused saves; byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

#include "asfbuilder.h"
#include "testfiles.h"

using TagLib::ByteVector;
using TagLib::String;
using TagLib::ASF::Attribute;
using TagLib::ASF::File;
using namespace asf_test;
using brenvo_test::readFile;
using brenvo_test::TempDir;

TEST(AsfSave, EveryTypeInEveryKindReadsAndSavesBack)
{
  TempDir dir;
  const std::string dword = le32(0x01020304), qword = le64(0x0102030405060708ull), guid = unknownGuid(10);
  const std::string g = " " + std::string(32, 'a') + " 0";
  // Kind 0 is the extended content description, 1 metadata, 2 the library; names
  // in map order, so that a save writes the records back as they were.
  const struct
  {
    int kind, first, stream;
    const char *name;
    int type;
    std::string stored, shows, saved;
  } rows[] = {
    {0, 0, 0, "B", 2, le32(1), "2 ''  1 s0 l0", ""},  // a DWORD here, a WORD elsewhere
    {0, 0, 0, "B2", 2, le32(2), "2 ''  0 s0 l0", le32(0)},  // only 1 is true
    {0, 0, 0, "D", 3, dword, "3 ''  16909060 s0 l0", ""},
    {0, 0, 0, "G", 6, guid, "6 ''" + g + " s0 l0", ""},
    {0, 0, 0, "Q", 4, qword, "4 ''  72623859790382856 s0 l0", ""},
    {0, 0, 0, "U", 0, utf16("text") + std::string(2, '\0'), "0 'text'  0 s0 l0", utf16("text")},
    {0, 0, 0, "W", 5, le16(0x0102), "5 ''  258 s0 l0", ""},
    {0, 0, 0, "X", 9, "abcd", "9 '' 61626364 0 s0 l0", ""},  // an unknown type keeps its value
    {0, 0, 0, "Y", 1, std::string("\x00\x01\x02", 3), "1 '' 000102 0 s0 l0", ""},
    {1, 0, 2, "mB", 2, le16(1), "2 ''  1 s2 l0", ""},
    {1, 0, 4, "mQ", 4, qword, "4 ''  72623859790382856 s4 l0", ""},
    {1, 9, 1, "mU", 0, utf16("m"), "0 'm'  0 s1 l0", ""},  // the first WORD is reserved here
    {2, 3, 0, "lB", 2, le16(1), "2 ''  1 s0 l3", ""},
    {2, 2, 0, "lG", 6, guid, "6 ''" + g + " s0 l2", ""},
    {2, 4, 1, "lU", 0, utf16("l"), "0 'l'  0 s1 l4", ""},
  };
  std::vector<std::string> stored[3], saved[3];
  for(const auto &r : rows) {
    const std::string &value = r.saved.empty() ? r.stored : r.saved;
    stored[r.kind].push_back(r.kind ? record12(r.first, r.stream, r.name, r.type, r.stored) : record0(r.name, r.type, r.stored));
    saved[r.kind].push_back(r.kind ? record12(r.kind == 2 ? r.first : 0, r.stream, r.name, r.type, value)
                                   : record0(r.name, r.type, value));
  }
  const auto objects = [](std::vector<std::string> *lists) {
    return std::vector<std::string>{list(extendedGuid, lists[0]),
                                    headerExtension({list(metadataGuid, lists[1]), list(libraryGuid, lists[2])})};
  };
  const std::string path = dir.write("a.wma", file(objects(stored)));
  auto f = open(path);
  for(const auto &r : rows)
    EXPECT_EQ(describe(only(*f, r.name)), r.shows) << r.name;
  ASSERT_TRUE(f->save());
  std::vector<std::string> expected = objects(saved);
  expected.push_back(contentDescription(""));
  EXPECT_TRUE(readFile(path) == file(expected));
}

TEST(AsfSave, SavedHeaders)
{
  TempDir dir;
  const std::string fp = fileProperties(40000000, 1000), sp = streamProperties(audioMediaGuid, 1, 8000, 1000);
  const std::string top1 = object(unknownGuid(1), "first"), top2 = object(unknownGuid(2), std::string("\0\1\2\0", 4));
  const std::string nested1 = object(unknownGuid(3), "nested one"), nested2 = object(unknownGuid(4), "");
  const std::string keep = list(extendedGuid, {record0("Keep", 0, utf16("k"))});
  std::string picture(70000, '\0');
  for(std::size_t i = 0; i < picture.size(); ++i)
    picture[i] = static_cast<char>(i * 131 % 251);
  const std::string fits(32766, 't');  // 65534 bytes with its terminator: the most a WORD length holds
  const auto attribute = [](Attribute a, int stream, int language) {
    a.setStream(stream);
    a.setLanguage(language);
    return a;
  };
  const struct
  {
    const char *what;
    std::vector<std::string> objects;
    std::function<void(File &)> edit;
    std::string expected;
  } cases[] = {
    // Objects stay in place; the missing list objects are added after them.
    {"objects kept", {fp, sp, top1, headerExtension({nested1, list(metadataGuid, {}), nested2}), contentDescription("t"), top2},
     [](File &f) { f.tag()->setArtist("someone"); },
     file({fp, sp, top1, headerExtension({nested1, list(metadataGuid, {}), nested2, list(libraryGuid, {})}),
           contentDescription("t", "someone"), top2, list(extendedGuid, {})})},
    // Each save routes anew: the first record of a name without stream or language
    // to the extended object, one on a stream to the metadata object, the rest and
    // values over a WORD's range to the library; map order is by name.
    {"routing", {headerExtension({list(libraryGuid, {record12(0, 0, "N", 0, utf16("1"))})})},
     [&](File &f) {
       TagLib::ASF::Tag &t = *f.tag();
       for(const char *n : {"2", "3"})
         t.addAttribute("N", Attribute(String(n)));
       t.addAttribute("S", attribute(Attribute(String("s1")), 2, 0));
       t.addAttribute("S", attribute(Attribute(String("s2")), 2, 0));
       t.addAttribute("L", attribute(Attribute(5u), 0, 1));
       t.addAttribute("L", attribute(Attribute(6u), 3, 1));
       t.addAttribute("WM/Picture", Attribute(ByteVector(picture.data(), static_cast<unsigned int>(picture.size()))));
       t.addAttribute("WM/Picture", Attribute(ByteVector("small", 5)));
       t.addAttribute("Long", Attribute(String(std::string(40000, 'q'))));
       t.addAttribute("Edge", Attribute(ByteVector(0xFFFF, 'e')));
       t.addAttribute(fits, Attribute(1u));
       t.setComment(fits);
     },
     file({headerExtension({list(libraryGuid, {record12(1, 0, "L", 3, le32(5)), record12(1, 3, "L", 3, le32(6)),
                                               record12(0, 0, "Long", 0, utf16(std::string(40000, 'q'))),
                                               record12(0, 0, "N", 0, utf16("2")), record12(0, 0, "N", 0, utf16("3")),
                                               record12(0, 2, "S", 0, utf16("s2")), record12(0, 0, "WM/Picture", 1, picture)}),
                            list(metadataGuid, {record12(0, 2, "S", 0, utf16("s1"))})}),
           contentDescription("", "", fits),
           list(extendedGuid, {record0("Edge", 1, std::string(0xFFFF, 'e')), record0("N", 0, utf16("1")),
                               record0("WM/Picture", 1, "small"), record0(fits, 3, le32(1))})})},
    // Grow the header, shrink it, then grow it a little, all on one file object.
    {"saving again", {fp, keep},
     [](File &f) {
       f.tag()->setTitle("first");
       f.tag()->addAttribute("WM/Picture", Attribute(ByteVector(70000, 'p')));
       EXPECT_TRUE(f.save());
       f.tag()->removeItem("WM/Picture");
       EXPECT_TRUE(f.save());
       f.tag()->setTitle("second, a longer title");
     },
     file({fp, keep, contentDescription("second, a longer title"),
           headerExtension({list(metadataGuid, {}), list(libraryGuid, {})})})},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.write("a.wma", file(c.objects));
    {
      auto f = open(path);
      c.edit(*f);
      ASSERT_TRUE(f->save());
    }
    EXPECT_TRUE(readFile(path) == c.expected);
  }
}

TEST(AsfSave, TextsAndNamesThatFitNoRecordLeaveTheFileUnchanged)
{
  TempDir dir;
  const std::string original = file({contentDescription("old")});
  const std::string path = dir.write("a.wma", original);
  const String tooLong(std::string(32767, 't'));
  // Each too long value and its undoing, on one file object: a refused save
  // leaves the object able to save.
  using Edit = std::function<void(TagLib::ASF::Tag &)>;
  const std::pair<Edit, Edit> edits[] = {
    {[&](TagLib::ASF::Tag &t) { t.setTitle(tooLong); }, [](TagLib::ASF::Tag &t) { t.setTitle("old"); }},
    {[&](TagLib::ASF::Tag &t) { t.setRating(tooLong); }, [](TagLib::ASF::Tag &t) { t.setRating(""); }},
    {[&](TagLib::ASF::Tag &t) { t.addAttribute(tooLong, Attribute(1u)); }, [&](TagLib::ASF::Tag &t) { t.removeItem(tooLong); }},
  };
  auto f = open(path);
  for(const auto &edit : edits) {
    edit.first(*f->tag());
    EXPECT_FALSE(f->save());
    EXPECT_TRUE(readFile(path) == original) << "the file changed";
    edit.second(*f->tag());
  }
  EXPECT_TRUE(f->save());
}

TEST(AsfSave, ReadOnlyFileIsNotWritten)
{
  TempDir dir;
  const std::string original = file({contentDescription("t")});
  const std::string path = dir.write("a.wma", original);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  runAsUnprivileged(dir, [&] {
    auto f = open(path);
    ASSERT_TRUE(f->readOnly());
    f->tag()->setTitle("x");
    EXPECT_FALSE(f->save());
  });
  EXPECT_TRUE(readFile(path) == original) << "the file changed";
}
