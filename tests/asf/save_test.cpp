// Saving: the rebuilt header, routing of attributes, limits, and repeated saves.
#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

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

// The records of the attribute-list objects of a written file.
struct Written
{
  std::vector<Record> extended;
  std::vector<Record> metadata;
  std::vector<Record> library;
};

Written writtenRecords(const std::string &bytes)
{
  Written w;
  const Header h = parseHeader(bytes);
  if(const Object *o = find(h.objects, extendedContentDescriptionGuid()))
    w.extended = parseRecords(o->body, 0);
  if(const Object *he = find(h.objects, headerExtensionGuid())) {
    const std::vector<Object> nested = nestedObjects(he->body);
    if(const Object *o = find(nested, metadataGuid()))
      w.metadata = parseRecords(o->body, 1);
    if(const Object *o = find(nested, metadataLibraryGuid()))
      w.library = parseRecords(o->body, 2);
  }
  return w;
}

std::string text(const std::string &utf16le)
{
  std::string ascii;
  for(std::size_t i = 0; i + 1 < utf16le.size() && utf16le[i] != '\0'; i += 2)
    ascii += utf16le[i];
  // Written texts end with exactly one zero code unit.
  return utf16(ascii) == utf16le ? ascii : ascii + "(unterminated)";
}

// Records as "name first stream type value;": text values as text, short
// values in hex, long ones by their size.
std::string show(const std::vector<Record> &records)
{
  std::string out;
  for(const Record &r : records) {
    std::string value = "#" + std::to_string(r.value.size());
    if(r.type == 0)
      value = text(r.value);
    else if(r.value.size() <= 8) {
      const ByteVector hex = ByteVector(r.value.data(), static_cast<unsigned int>(r.value.size())).toHex();
      value.assign(hex.data(), hex.size());
    }
    out += text(r.name) + " " + std::to_string(r.first) + " " + std::to_string(r.stream) + " " +
           std::to_string(r.type) + " " + value + ";";
  }
  return out;
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

  const std::string bytes = readFile(path);
  const Header h = parseHeader(bytes);
  ASSERT_EQ(h.count, 6u);
  EXPECT_EQ(h.objects[0].guid + h.objects[0].body, fp.substr(0, 16) + fp.substr(24));
  EXPECT_EQ(h.objects[1].guid + h.objects[1].body, sp.substr(0, 16) + sp.substr(24));
  EXPECT_EQ(h.objects[2].body, "opaque body");
  EXPECT_EQ(h.objects[3].guid, contentDescriptionGuid());
  // Five empty texts: five WORD lengths of 2 and five terminators.
  EXPECT_EQ(h.objects[3].body, brenvo_test::ByteBuilder().le16(2).le16(2).le16(2).le16(2).le16(2).fill(10).str());
  EXPECT_EQ(h.objects[4].guid, extendedContentDescriptionGuid());
  EXPECT_EQ(h.objects[4].body, std::string(2, '\0'));
  EXPECT_EQ(h.objects[5].guid, headerExtensionGuid());
  const std::vector<Object> nested = nestedObjects(h.objects[5].body);
  ASSERT_EQ(nested.size(), 2u);
  EXPECT_EQ(nested[0].guid, metadataGuid());
  EXPECT_EQ(nested[0].body, std::string(2, '\0'));
  EXPECT_EQ(nested[1].guid, metadataLibraryGuid());
  EXPECT_EQ(nested[1].body, std::string(2, '\0'));
  // The reserved fields of the header object and of the header extension.
  EXPECT_EQ(bytes.substr(28, 2), "\x01\x02");
  EXPECT_EQ(h.objects[5].body.substr(16, 2), std::string("\x06\x00", 2));
  EXPECT_EQ(tailAfterHeader(bytes), audioTail());

  auto f = open(path);
  EXPECT_TRUE(f->tag()->isEmpty());
  EXPECT_EQ(f->audioProperties()->length(), 3);
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
  // Map order is by name: L, N, S. Stream and language round trips are in realfile_test.
  const Written w = writtenRecords(readFile(path));
  EXPECT_EQ(show(w.extended), "N 0 0 0 1;");
  EXPECT_EQ(show(w.metadata), "S 0 2 0 s1;");
  EXPECT_EQ(show(w.library), "L 1 0 3 05000000;L 1 3 3 06000000;N 0 0 0 2;N 0 0 0 3;S 0 2 0 s2;");
}

TEST(AsfSave, ObjectsAreChosenAnewOnEverySave)
{
  TempDir dir;
  // Read from the metadata library with language 0 and stream 0: written to
  // the extended content description object.
  const std::string path = dir.write("a.wma", file({headerExtension({
    metadataLibrary({record12(0, 0, "N", 0, utf16("x"))})})}));
  ASSERT_TRUE(open(path)->save());
  const Written w = writtenRecords(readFile(path));
  EXPECT_EQ(show(w.extended), "N 0 0 0 x;");
  EXPECT_EQ(show(w.library), "");
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
  const Written w = writtenRecords(readFile(path));
  EXPECT_EQ(show(w.extended), "Edge 0 0 1 #65535;WM/Picture 0 0 1 736d616c6c;");
  ASSERT_EQ(show(w.library), "Long 0 0 0 " + std::string(40000, 'q') + ";WM/Picture 0 0 1 #70000;");
  EXPECT_TRUE(w.library[1].value == picture);

  auto f = open(path);
  auto &map = f->tag()->attributeListMap();
  ASSERT_EQ(map["WM/Picture"].size(), 2u);
  // File order: the extended object comes before the header extension.
  EXPECT_EQ(map["WM/Picture"][0].toByteVector(), ByteVector("small", 5));
  EXPECT_EQ(map["WM/Picture"][1].toByteVector(), ByteVector(picture.data(), static_cast<unsigned int>(picture.size())));
  EXPECT_EQ(map["Long"].front().toString(), longText);
  EXPECT_EQ(map["Edge"].front().toByteVector().size(), 0xFFFFu);
}

TEST(AsfSave, TextsAndNamesThatFitNoRecordLeaveTheFileUnchanged)
{
  TempDir dir;
  const std::string original = file({contentDescription("old")});
  const std::string path = dir.write("a.wma", original);
  // A text of 32766 characters renders to 65534 bytes with its terminator and fits.
  const String fits(std::string(32766, 't'));
  const String tooLong(std::string(32767, 't'));

  auto f = open(path);
  f->tag()->setTitle(tooLong);
  EXPECT_FALSE(f->save());
  EXPECT_TRUE(readFile(path) == original) << "the file changed";
  f->tag()->setTitle("ok");
  f->tag()->setRating(tooLong);
  EXPECT_FALSE(f->save());
  EXPECT_TRUE(readFile(path) == original) << "the file changed";
  f->tag()->setRating("");
  f->tag()->addAttribute(tooLong, Attribute(1u));
  EXPECT_FALSE(f->save());
  EXPECT_TRUE(readFile(path) == original) << "the file changed";

  f->tag()->removeItem(tooLong);
  f->tag()->addAttribute(fits, Attribute(1u));
  f->tag()->setComment(fits);
  ASSERT_TRUE(f->save());
  f.reset();
  f = open(path);
  EXPECT_EQ(f->tag()->comment(), fits);
  EXPECT_EQ(f->tag()->attributeListMap()[fits].front().toUInt(), 1u);
  EXPECT_EQ(f->tag()->title(), "ok");
}

TEST(AsfSave, UnknownObjectsComeBackByteForByte)
{
  TempDir dir;
  const std::string top1 = object(unknownGuid(1), "first");
  const std::string top2 = object(unknownGuid(2), std::string("\x00\x01\x02\x00", 4));
  const std::string nested1 = object(unknownGuid(3), "nested one");
  const std::string nested2 = object(unknownGuid(4), "");
  const std::string he = headerExtension({nested1, metadata({}), nested2});
  const std::string path = dir.write("a.wma", file({top1, he, contentDescription("t"), top2}));
  {
    auto f = open(path);
    f->tag()->setArtist("someone");
    ASSERT_TRUE(f->save());
  }
  const std::string bytes = readFile(path);
  const Header h = parseHeader(bytes);
  ASSERT_EQ(h.count, 5u);  // plus the extended content description
  EXPECT_EQ(h.objects[0].guid + h.objects[0].body, unknownGuid(1) + "first");
  EXPECT_EQ(h.objects[1].guid, headerExtensionGuid());
  EXPECT_EQ(h.objects[2].guid, contentDescriptionGuid());
  EXPECT_EQ(h.objects[3].guid + h.objects[3].body, unknownGuid(2) + std::string("\x00\x01\x02\x00", 4));
  EXPECT_EQ(h.objects[4].guid, extendedContentDescriptionGuid());
  // The written objects contain the old unknown objects verbatim.
  EXPECT_NE(bytes.find(top1), std::string::npos);
  EXPECT_NE(bytes.find(top2), std::string::npos);
  const std::vector<Object> nested = nestedObjects(h.objects[1].body);
  ASSERT_EQ(nested.size(), 4u);
  EXPECT_EQ(nested[0].guid + nested[0].body, unknownGuid(3) + "nested one");
  EXPECT_EQ(nested[1].guid, metadataGuid());
  EXPECT_EQ(nested[2].guid + nested[2].body, unknownGuid(4));
  EXPECT_EQ(nested[3].guid, metadataLibraryGuid());
  EXPECT_EQ(tailAfterHeader(bytes), audioTail());
}

TEST(AsfSave, ContentDescriptionGetsOneTerminatorPerText)
{
  TempDir dir;
  const std::string body = brenvo_test::ByteBuilder().le16(10).le16(0).le16(0).le16(0).le16(0).str() +
                           utf16("abc", false) + std::string(4, '\0');
  const std::string path = dir.write("a.wma", file({object(contentDescriptionGuid(), body)}));
  ASSERT_TRUE(open(path)->save());
  const Header h = parseHeader(readFile(path));
  const Object *cd = find(h.objects, contentDescriptionGuid());
  ASSERT_NE(cd, nullptr);
  EXPECT_EQ(le(cd->body, 0, 2), 8u);
  EXPECT_EQ(cd->body.substr(10, 8), utf16("abc"));
  EXPECT_EQ(cd->body.size(), 10u + 8u + 4u * 2u);
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
  // The file is read only after its file object is gone: writes are buffered.
  const std::string oncePath = dir.write("once.wma", original);
  {
    auto f = open(oncePath);
    edit(*f);
    ASSERT_TRUE(f->save());
  }
  const std::string twicePath = dir.write("twice.wma", original);
  {
    auto f = open(twicePath);
    edit(*f);
    ASSERT_TRUE(f->save());
    ASSERT_TRUE(f->save());
  }
  EXPECT_TRUE(readFile(twicePath) == readFile(oncePath)) << "a second save changed the file";

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
  const std::string bytes = readFile(path);
  EXPECT_EQ(tailAfterHeader(bytes), audioTail());
  const Written w = writtenRecords(bytes);
  EXPECT_EQ(show(w.extended), "Keep 0 0 0 k;");
  EXPECT_EQ(show(w.library), "");
  auto again = open(path);
  EXPECT_EQ(again->tag()->title(), "second, a longer title");
  EXPECT_EQ(again->tag()->attributeListMap()["Keep"].size(), 1u);
  EXPECT_FALSE(again->tag()->attributeListMap().contains("WM/Picture"));
  EXPECT_EQ(again->audioProperties()->length(), 5);
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
