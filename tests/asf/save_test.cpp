// Saving: the rebuilt header, routing of attributes, limits, and repeated saves.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sys/stat.h>
#include <utility>

#include "asf/asffile.h"
#include "asfbuilder.h"
#include "testfiles.h"

using TagLib::ByteVector;
using TagLib::String;
using TagLib::ASF::Attribute;
using namespace asf_test;
using brenvo_test::readFile;
using brenvo_test::TempDir;

namespace {

// A saved header: \a objects, then the three attribute lists where they were missing.
std::string savedFile(std::vector<std::string> objects, const std::vector<std::string> &extended = {},
                      const std::vector<std::string> &meta = {}, const std::vector<std::string> &library = {})
{
  objects.push_back(extendedContentDescription(extended));
  objects.push_back(headerExtension({metadata(meta), metadataLibrary(library)}));
  return header(objects) + audioTail();
}

// Byte-exact comparison that names the first difference.
::testing::AssertionResult holds(const std::string &path, const std::string &expected)
{
  const std::string actual = readFile(path);
  std::size_t i = 0;
  while(i < actual.size() && i < expected.size() && actual[i] == expected[i])
    ++i;
  if(actual == expected)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                       << ", first difference at " << i;
}

Attribute withStreamAndLanguage(Attribute a, int stream, int language)
{
  a.setStream(stream);
  a.setLanguage(language);
  return a;
}

} // namespace

TEST(AsfSave, HeaderWithoutMetadataGainsTheMetadataObjects)
{
  TempDir dir;
  const std::string fp = fileProperties(40000000, 1000);
  const std::string sp = streamProperties(audioMediaGuid(), 1, 8000, 1000);
  const std::string unknown = object(unknownGuid(1), "opaque body");
  const std::string path = dir.write("a.wma", file({fp, sp, unknown}));
  ASSERT_TRUE(open(path)->save());
  EXPECT_TRUE(holds(path, savedFile({fp, sp, unknown, contentDescription("")})));
}

TEST(AsfSave, RoutingOfAttributes)
{
  TempDir dir;
  const std::string path = dir.write("a.wma", file({}));
  {
    auto f = open(path);
    auto *tag = f->tag();
    tag->addAttribute("N", Attribute(String("1")));
    tag->addAttribute("N", Attribute(String("2")));
    tag->addAttribute("N", Attribute(String("3")));
    tag->addAttribute("S", withStreamAndLanguage(Attribute(String("s1")), 2, 0));
    tag->addAttribute("S", withStreamAndLanguage(Attribute(String("s2")), 2, 0));
    tag->addAttribute("L", withStreamAndLanguage(Attribute(5u), 0, 1));
    tag->addAttribute("L", withStreamAndLanguage(Attribute(6u), 3, 1));
    ASSERT_TRUE(f->save());
  }
  // The first record of a name without stream or language goes to the extended
  // object, one on a stream to the metadata object, the rest to the library;
  // map order is by name.
  EXPECT_TRUE(holds(path, savedFile({contentDescription("")}, {record0("N", 0, utf16("1"))},
                                    {record12(0, 2, "S", 0, utf16("s1"))},
                                    {record12(1, 0, "L", 3, le32(5)), record12(1, 3, "L", 3, le32(6)),
                                     record12(0, 0, "N", 0, utf16("2")), record12(0, 0, "N", 0, utf16("3")),
                                     record12(0, 2, "S", 0, utf16("s2"))})));
}

TEST(AsfSave, ObjectsAreChosenAnewOnEverySave)
{
  TempDir dir;
  // Read from the metadata library with language 0 and stream 0: written to
  // the extended content description object.
  const std::string path = dir.write("a.wma", file({headerExtension({
    metadataLibrary({record12(0, 0, "N", 0, utf16("x"))})})}));
  ASSERT_TRUE(open(path)->save());
  EXPECT_TRUE(holds(path, header({headerExtension({metadataLibrary({}), metadata({})}), contentDescription(""),
                                  extendedContentDescription({record0("N", 0, utf16("x"))})}) + audioTail()));
}

TEST(AsfSave, LargeValuesGoToTheMetadataLibrary)
{
  TempDir dir;
  const std::string path = dir.write("a.wma", file({}));
  std::string picture(70000, '\0');
  for(std::size_t i = 0; i < picture.size(); ++i)
    picture[i] = static_cast<char>(i * 131 % 251);
  const String longText(std::string(40000, 'q'));
  {
    auto f = open(path);
    f->tag()->addAttribute("WM/Picture", Attribute(ByteVector(picture.data(), static_cast<unsigned int>(picture.size()))));
    f->tag()->addAttribute("WM/Picture", Attribute(ByteVector("small", 5)));
    f->tag()->addAttribute("Long", Attribute(longText));
    // Exactly the largest value a WORD length holds stays in the extended object.
    f->tag()->addAttribute("Edge", Attribute(ByteVector(0xFFFF, 'e')));
    ASSERT_TRUE(f->save());
  }
  // The small picture would be read back before the large one from the
  // extended object, which comes first: both go to the library, in order.
  EXPECT_TRUE(holds(path, savedFile({contentDescription("")}, {record0("Edge", 1, std::string(0xFFFF, 'e'))}, {},
                                    {record12(0, 0, "Long", 0, utf16(std::string(40000, 'q'))),
                                     record12(0, 0, "WM/Picture", 1, picture), record12(0, 0, "WM/Picture", 1, "small")})));
}

TEST(AsfSave, TextsAndNamesThatFitNoRecordLeaveTheFileUnchanged)
{
  TempDir dir;
  const std::string original = file({contentDescription("old")});
  const std::string path = dir.write("a.wma", original);
  // A text of 32766 characters renders to 65534 bytes with its terminator and fits.
  const std::string fits(32766, 't');
  const String tooLong(std::string(32767, 't'));
  // Each too long value and its undoing, on one file object: a refused save
  // leaves the object able to save.
  using Edit = std::function<void(TagLib::ASF::Tag &)>;
  const std::pair<Edit, Edit> edits[] = {
    {[&](TagLib::ASF::Tag &t) { t.setTitle(tooLong); }, [](TagLib::ASF::Tag &t) { t.setTitle("old"); }},
    {[&](TagLib::ASF::Tag &t) { t.setRating(tooLong); }, [](TagLib::ASF::Tag &t) { t.setRating(""); }},
    {[&](TagLib::ASF::Tag &t) { t.addAttribute(tooLong, Attribute(1u)); },
     [&](TagLib::ASF::Tag &t) { t.removeItem(tooLong); }},
  };
  auto f = open(path);
  for(const auto &edit : edits) {
    edit.first(*f->tag());
    EXPECT_FALSE(f->save());
    EXPECT_TRUE(readFile(path) == original) << "the file changed";
    edit.second(*f->tag());
  }
  f->tag()->addAttribute(fits, Attribute(1u));
  f->tag()->setComment(fits);
  ASSERT_TRUE(f->save());
  EXPECT_TRUE(holds(path, savedFile({contentDescription("old", "", "", fits)}, {record0(fits, 3, le32(1))})));
}

TEST(AsfSave, UnknownObjectsComeBackByteForByte)
{
  TempDir dir;
  const std::string top1 = object(unknownGuid(1), "first");
  const std::string top2 = object(unknownGuid(2), std::string("\x00\x01\x02\x00", 4));
  const std::string nested1 = object(unknownGuid(3), "nested one");
  const std::string nested2 = object(unknownGuid(4), "");
  const std::string path = dir.write("a.wma", file({top1, headerExtension({nested1, metadata({}), nested2}),
                                                    contentDescription("t"), top2}));
  {
    auto f = open(path);
    f->tag()->setArtist("someone");
    ASSERT_TRUE(f->save());
  }
  // Objects stay in place; the missing list objects are added after them.
  const std::string he = headerExtension({nested1, metadata({}), nested2, metadataLibrary({})});
  EXPECT_TRUE(readFile(path) == header({top1, he, contentDescription("t", "someone"), top2,
                                        extendedContentDescription({})}) + audioTail());
}

TEST(AsfSave, ContentDescriptionGetsOneTerminatorPerText)
{
  TempDir dir;
  const std::string body = brenvo_test::ByteBuilder().le16(10).le16(0).le16(0).le16(0).le16(0).str() +
                           utf16("abc", false) + std::string(4, '\0');
  const std::string path = dir.write("a.wma", file({object(contentDescriptionGuid(), body)}));
  ASSERT_TRUE(open(path)->save());
  EXPECT_TRUE(holds(path, savedFile({contentDescription("abc")})));
}

TEST(AsfSave, SavingAgainReplacesTheHeaderNowOnDisk)
{
  TempDir dir;
  const std::string original = file({fileProperties(50000000, 0),
                                     extendedContentDescription({record0("Keep", 0, utf16("k"))})});
  const auto edit = [](TagLib::ASF::File &f) {
    f.tag()->setTitle("first");
    f.tag()->addAttribute("WM/Picture", Attribute(ByteVector(70000, 'p')));
  };
  // Grow the header, shrink it, then grow it a little, all on one file object.
  const std::string path = dir.write("a.wma", original);
  {
    auto f = open(path);
    edit(*f);
    ASSERT_TRUE(f->save());
    f->tag()->removeItem("WM/Picture");
    ASSERT_TRUE(f->save());
    f->tag()->setTitle("second, a longer title");
    ASSERT_TRUE(f->save());
  }
  EXPECT_TRUE(holds(path, header({fileProperties(50000000, 0), extendedContentDescription({record0("Keep", 0, utf16("k"))}),
                                  contentDescription("second, a longer title"),
                                  headerExtension({metadata({}), metadataLibrary({})})}) + audioTail()));
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
