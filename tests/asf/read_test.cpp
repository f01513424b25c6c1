// Reading headers built in code, hostile and damaged ones included, and the tag's own rules.
#include <gtest/gtest.h>

#include "asfbuilder.h"
#include "testfiles.h"
#include "tresolvers.h"

using TagLib::String;
using TagLib::ASF::Attribute;
using namespace asf_test;
using brenvo_test::readFile;
using brenvo_test::TempDir;

TEST(AsfRead, NotAsfIsInvalidAndRefused)
{
  TempDir dir;
  std::string bytes = file({contentDescription("x")});
  bytes[0] = 'X';
  const std::string path = dir.write("fake.wma", bytes);
  // Invalid, so that the resolver discards it and TagLib may try others.
  EXPECT_EQ(TagLib::ASFFileTypeResolver().createFile(path.c_str(), true, TagLib::AudioProperties::Average), nullptr);
  TagLib::ASF::File f(path.c_str());
  EXPECT_FALSE(f.isValid());
  EXPECT_EQ(f.tag(), nullptr);
  EXPECT_EQ(f.audioProperties(), nullptr);
  EXPECT_FALSE(f.save());
  EXPECT_TRUE(readFile(path) == bytes);
}

// The texts, the attributes in reading order, and the audio properties.
TEST(AsfRead, ObjectsRecordsAndProperties)
{
  TempDir dir;
  const auto texts = [](int title, int artist, int comment) {
    return le16(static_cast<std::uint16_t>(title)) + le16(static_cast<std::uint16_t>(artist)) + le16(0) +
           le16(static_cast<std::uint16_t>(comment)) + le16(0);
  };
  std::string countLie = le16(1) + record0("A", 0, utf16("1")) + record0("B", 0, utf16("2"));  // one of two announced
  std::string cut = record0("B", 0, utf16("22"));
  cut[2 + 4 + 2] = 100;  // value length beyond the object
  const struct
  {
    const char *what;
    std::vector<std::string> objects;
    std::string shows;
  } cases[] = {
    // Title "abc" with two zero code units, artist "ab" with one, comment "x" with its terminator.
    {"texts", {object(contentDescriptionGuid, texts(10, 6, 4) + utf16("abc", false) + std::string(4, '\0') +
                                                  utf16("ab") + utf16("x"))}, "abc|ab|x; 0s 0Hz 0ch 0kbps"},
    // A text overrunning the object ends the texts; those before it stay. The preroll is part of the length.
    {"text overrun", {object(contentDescriptionGuid, texts(4, 200, 4) + utf16("t") + utf16("x")),
                      fileProperties(2300000000ull, 3000)}, "t||; 227s 0Hz 0ch 0kbps"},
    // 0x8002 bytes: negative as a signed 16-bit length.
    {"long text", {object(contentDescriptionGuid, texts(0x8002, 0, 0) + utf16(std::string(0x4001, 'z'), false)),
                   fileProperties(10000000, 5000)}, std::string(0x4001, 'z') + "||; 0s 0Hz 0ch 0kbps"},
    // Bytes a parser does not consume: after the texts and after the records the count announces.
    {"declared starts", {object(contentDescriptionGuid, texts(4, 0, 0) + utf16("t") + "junk"),
                         object(extendedGuid, countLie), streamProperties(audioMediaGuid, 2, 44100, 16000)},
     "t||; A=1,; 0s 44100Hz 2ch 128kbps"},
    {"record beyond its object", {list(extendedGuid, {record0("A", 0, utf16("1")), cut})}, "||; A=1,; 0s 0Hz 0ch 0kbps"},
    // Only audio streams count, the last one decides; metadata counts only inside the header extension.
    {"file order", {list(extendedGuid, {record0("N", 0, utf16("1")), record0("N", 0, utf16("2"))}),
                    headerExtension({list(libraryGuid, {record12(0, 0, "N", 0, utf16("4"))}),
                                     list(metadataGuid, {record12(0, 1, "N", 0, utf16("3"))})}),
                    list(metadataGuid, {record12(0, 1, "M", 0, utf16("x"))}),
                    streamProperties(audioMediaGuid, 1, 8000, 1000), streamProperties(audioMediaGuid, 2, 22050, 4000),
                    streamProperties(videoMediaGuid, 6, 90000, 900000)}, "||; N=1,2,4,3,; 0s 22050Hz 2ch 32kbps"},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    auto f = open(dir.write("a.wma", file(c.objects)));
    ASSERT_TRUE(f->isValid());
    std::string shows = f->tag()->title().to8Bit() + "|" + f->tag()->artist().to8Bit() + "|" + f->tag()->comment().to8Bit() + ";";
    for(const auto &entry : f->tag()->attributeListMap()) {
      shows += " " + entry.first.to8Bit() + "=";
      for(const Attribute &a : entry.second)
        shows += a.toString().to8Bit() + ",";
      shows += ";";
    }
    const TagLib::AudioProperties &p = *f->audioProperties();
    shows += " " + std::to_string(p.length()) + "s " + std::to_string(p.sampleRate()) + "Hz " +
             std::to_string(p.channels()) + "ch " + std::to_string(p.bitrate()) + "kbps";
    EXPECT_EQ(shows, c.shows);
  }
}

// Hostile headers: each opens with a tag, and save() refuses a header it did not read whole.
TEST(AsfRead, HostileHeadersAreBoundedAndNotRewritten)
{
  TempDir dir;
  const std::string good = list(extendedGuid, {record0("A", 0, utf16("1"))});
  std::string sizeTooSmall = good, sizeTooLarge = good, headerTooLarge = header({good}), headerNegative = file({good});
  sizeTooSmall[16] = 10;        // object size below 24
  sizeTooLarge[21] = 0x01;      // object size beyond the header
  headerTooLarge[20] = 0x7F;    // header size beyond the file
  headerNegative.replace(16, 8, le64(0x8000000000000000ull));  // negative when read signed
  std::string nestedZero = headerExtension({list(metadataGuid, {})});
  nestedZero.replace(24 + 22 + 16, 8, le64(0));
  const struct
  {
    const char *what;
    std::string bytes;
    bool rewritable;
  } cases[] = {
    {"object size below 24", file({good, sizeTooSmall}), false},
    {"object beyond the header", file({sizeTooLarge}), false},
    {"header beyond the file", headerTooLarge, false},
    {"header size with the top bit set", headerNegative, false},
    {"count above the objects", header({good}, 1000) + audioTail, false},
    {"count below the objects", header({good, good}, 1) + audioTail, false},
    {"nested size 0", file({nestedZero}), false},
    {"nested data length beyond the object", file({headerExtension({list(metadataGuid, {})}, 5000)}), false},
    {"name longer than the object", file({list(extendedGuid, {record0("A", 0, utf16("1")), le16(0xFFFF) + "x"})}), true},
    {"record count above the records", file({object(extendedGuid, le16(0xFFFF) + record0("A", 0, utf16("1")))}), true},
    {"value length 0xFFFFFFFF", file({headerExtension({list(libraryGuid, {record12(0, 0, "A", 1, "").substr(0, 8) +
                                                                                 le32(0xFFFFFFFF) + utf16("A")})})}), true},
    {"header cut short", header({good}).substr(0, 20), false},
    {"header GUID only", headerGuid, false},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.write("h.wma", c.bytes);
    {
      auto f = open(path);
      ASSERT_TRUE(f->isValid());
      ASSERT_NE(f->tag(), nullptr);
      ASSERT_NE(f->audioProperties(), nullptr);
      f->tag()->setTitle("changed");
      EXPECT_EQ(f->save(), c.rewritable);
    }
    if(!c.rewritable)
      EXPECT_TRUE(readFile(path) == c.bytes) << "the file changed";
    else
      EXPECT_EQ(open(path)->tag()->title(), "changed");
  }
}

// Random damage to a real header: never a crash, always a tag, and a save that
// succeeds leaves everything after the declared header as it was.
TEST(AsfRead, DamagedHeadersNeverSpillOverTheHeader)
{
  TempDir dir;
  const std::string original = readFile(brenvo_test::dataPath("asf/ffmpeg-tags.wma"));
  const auto headerSize = [](const std::string &b) { return ByteBuilder().append(b.substr(16, 8)).vector().toLongLong(false); };
  std::uint32_t state = 12345;
  const auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 8; };
  int saved = 0;
  for(int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    std::string bytes = original;
    for(unsigned i = 0, changes = 1 + next() % 4; i < changes; ++i) {
      const unsigned char values[] = {0x00, 0xFF, 0x18, 0x7F, static_cast<unsigned char>(next())};
      bytes[next() % static_cast<std::uint32_t>(headerSize(original))] = static_cast<char>(values[next() % 5]);
    }
    const std::string path = dir.write("m.wma", bytes);
    auto f = open(path);
    if(!f->isValid())
      continue;
    ASSERT_NE(f->tag(), nullptr);
    f->tag()->setTitle("damaged");
    const bool ok = f->save();
    f.reset();
    const std::string after = readFile(path);
    if(!ok) {
      EXPECT_TRUE(after == bytes);
      continue;
    }
    ++saved;
    EXPECT_TRUE(after.substr(static_cast<std::size_t>(headerSize(after))) ==
                bytes.substr(static_cast<std::size_t>(headerSize(bytes))));
    EXPECT_EQ(open(path)->tag()->title(), "damaged");
  }
  EXPECT_GT(saved, 0);
}

TEST(AsfTag, TrackYearEmptinessAndSharing)
{
  TagLib::ASF::Tag tag;
  tag.setAttribute("WM/Track", Attribute(4u));
  EXPECT_EQ(tag.track(), 4u);
  // The textual number wins even when it reads as 0; an empty list left by a host counts as absent.
  tag.setAttribute("WM/TrackNumber", Attribute(9u));
  EXPECT_EQ(tag.track(), 0u);
  tag.attributeListMap()["WM/TrackNumber"] = TagLib::ASF::AttributeList();
  EXPECT_EQ(tag.track(), 4u);
  tag.setTrack(7);
  EXPECT_EQ(tag.attributeListMap()["WM/TrackNumber"].front().toString(), "7");
  // Numbers beyond int keep their digits.
  tag.setYear(3000000000u);
  EXPECT_EQ(tag.attributeListMap()["WM/Year"].front().toString(), "3000000000");

  for(void (TagLib::ASF::Tag::*set)(const String &) : {&TagLib::ASF::Tag::setCopyright, &TagLib::ASF::Tag::setRating,
                                                         &TagLib::ASF::Tag::setAlbum}) {
    TagLib::ASF::Tag other;
    (other.*set)("x");
    EXPECT_FALSE(other.isEmpty());
  }
  Attribute a(String("a"));
  const Attribute &alias = a;
  a = alias;
  EXPECT_EQ(a.toString(), "a");
}
