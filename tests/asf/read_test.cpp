// Reading headers built in code: objects, records, properties and hostile input.
#include <gtest/gtest.h>

#include <memory>

#include <fileref.h>

#include "asf/asffile.h"
#include "tresolvers.h"
#include "asfbuilder.h"
#include "testfiles.h"

using TagLib::ByteVector;
using TagLib::String;
using TagLib::ASF::Attribute;
using namespace asf_test;
using brenvo_test::TempDir;

namespace {

// Everything an attribute shows, as one comparable line.
std::string hex(const ByteVector &v)
{
  const ByteVector h = v.toHex();
  return std::string(h.data(), h.size());
}

std::string describe(const Attribute &a)
{
  return std::to_string(a.type()) + " '" + a.toString().to8Bit(true) + "' " + hex(a.toByteVector()) +
         " " + std::to_string(a.toULongLong()) + (a.toBool() ? " true" : " false") + " s" +
         std::to_string(a.stream()) + " l" + std::to_string(a.language());
}

} // namespace

// Registration and the refusal of other files are tested in tests/core.
TEST(AsfRead, ResolverTakesOnlyAsfFiles)
{
  TempDir dir;
  TagLib::ASFFileTypeResolver resolver;
  const auto style = TagLib::AudioProperties::Average;
  const std::string asf = file({contentDescription("x")});
  std::unique_ptr<TagLib::File> upper(resolver.createFile(dir.write("A.WMA", asf).c_str(), true, style));
  ASSERT_NE(upper, nullptr);
  EXPECT_NE(upper->tag(), nullptr);
  EXPECT_EQ(resolver.createFile(dir.write("a.mp3", asf).c_str(), true, style), nullptr);

  // A file without the header GUID is invalid and refused.
  std::string notAsf = asf;
  notAsf[0] = 'X';
  const std::string path = dir.write("fake.wma", notAsf);
  EXPECT_EQ(resolver.createFile(path.c_str(), true, style), nullptr);
  TagLib::ASF::File direct(path.c_str());
  EXPECT_FALSE(direct.isValid());
  EXPECT_EQ(direct.tag(), nullptr);
  EXPECT_EQ(direct.audioProperties(), nullptr);
  EXPECT_FALSE(direct.save());
  EXPECT_TRUE(brenvo_test::readFile(path) == notAsf);
}

// What a reader makes of objects and records built in code: the five texts,
// the attributes and the length and sample rate.
TEST(AsfRead, ObjectsAndRecords)
{
  TempDir dir;
  const auto texts = [](unsigned title, unsigned artist, unsigned comment) {
    return le16(static_cast<std::uint16_t>(title)) + le16(static_cast<std::uint16_t>(artist)) + le16(0) +
           le16(static_cast<std::uint16_t>(comment)) + le16(0);
  };
  std::string longTitle;  // 0x8002 bytes: a length that is negative as a signed 16-bit number
  for(int i = 0; i < 0x8002 / 2; ++i)
    longTitle += utf16("z", false);
  std::string countLie = attributeList({record0("A", 0, utf16("1")), record0("B", 0, utf16("2"))});
  countLie[0] = 1;  // announce one record of two
  std::string cut = record0("B", 0, utf16("22"));
  cut[2 + 4 + 2] = 100;  // value length beyond the object
  const struct
  {
    const char *what;
    std::vector<std::string> objects;
    std::string shows;
  } cases[] = {
    // Title "abc" with two zero code units, artist "ab" with one, comment "x" with its terminator.
    {"texts", {object(contentDescriptionGuid(), texts(10, 6, 4) + utf16("abc", false) + std::string(4, '\0') +
                                                    utf16("ab") + utf16("x"))}, "abc|ab|x 0s 0Hz"},
    // A text overrunning the object ends the texts; those before it stay.
    {"text overrun", {object(contentDescriptionGuid(), texts(4, 200, 4) + utf16("t") + utf16("x")),
                      fileProperties(30000000, 0)}, "t|| 3s 0Hz"},
    {"long text", {object(contentDescriptionGuid(), texts(0x8002, 0, 0) + longTitle)},
     std::string(0x8002 / 2, 'z') + "|| 0s 0Hz"},
    // Bytes a parser does not consume: after the texts and after the records the count announces.
    {"declared starts", {object(contentDescriptionGuid(), texts(4, 0, 0) + utf16("t") + "junk"),
                         object(extendedContentDescriptionGuid(), countLie),
                         streamProperties(audioMediaGuid(), 2, 44100, 16000)}, "t|| A=1, 0s 44100Hz"},
    {"record beyond its object", {extendedContentDescription({record0("A", 0, utf16("1")), cut})}, "|| A=1, 0s 0Hz"},
    {"repeated names in file order",
     {extendedContentDescription({record0("N", 0, utf16("1")), record0("N", 0, utf16("2"))}),
      headerExtension({metadataLibrary({record12(0, 0, "N", 0, utf16("4"))}),
                       metadata({record12(0, 1, "N", 0, utf16("3"))})})}, "|| N=1,2,4,3, 0s 0Hz"},
    {"metadata outside the header extension", {metadata({record12(0, 1, "N", 0, utf16("x"))})}, "|| 0s 0Hz"},
  };
  for(const auto &c : cases) {
    auto f = open(dir.write("a.wma", file(c.objects)));
    ASSERT_TRUE(f->isValid()) << c.what;
    std::string shows = f->tag()->title().to8Bit() + "|" + f->tag()->artist().to8Bit() + "|" +
                        f->tag()->comment().to8Bit();
    for(const auto &entry : f->tag()->attributeListMap()) {
      shows += " " + entry.first.to8Bit() + "=";
      for(const Attribute &a : entry.second)
        shows += a.toString().to8Bit() + ",";
    }
    shows += " " + std::to_string(f->audioProperties()->length()) + "s " +
             std::to_string(f->audioProperties()->sampleRate()) + "Hz";
    EXPECT_EQ(shows, c.shows) << c.what;
  }
}

TEST(AsfRead, EveryTypeInEveryKind)
{
  TempDir dir;
  const std::string dword = le32(0x01020304);
  const std::string qword = le64(0x0102030405060708ull);
  const std::string guid = unknownGuid(3);
  const std::string g = hex(ByteVector(guid.data(), 16));
  // Kind 0 is the extended content description, 1 metadata, 2 the library.
  const struct
  {
    int kind, first, stream;
    const char *name;
    int type;
    std::string stored, shows;
  } rows[] = {
    {0, 0, 0, "U", 0, utf16("text") + std::string(2, '\0'), "0 'text'  0 false s0 l0"},  // extra zero unit goes too
    {0, 0, 0, "Y", 1, std::string("\x00\x01\x02", 3), "1 '' 000102 0 false s0 l0"},
    {0, 0, 0, "B", 2, le32(1), "2 ''  1 true s0 l0"},
    {0, 0, 0, "B2", 2, le32(2), "2 ''  0 false s0 l0"},  // only 1 is true
    {0, 0, 0, "D", 3, dword, "3 ''  16909060 true s0 l0"},
    {0, 0, 0, "Q", 4, qword, "4 ''  72623859790382856 true s0 l0"},
    {0, 0, 0, "W", 5, le16(0x0102), "5 ''  258 true s0 l0"},
    {0, 0, 0, "G", 6, guid, "6 '' " + g + " 0 false s0 l0"},
    {1, 9, 1, "mU", 0, utf16("m"), "0 'm'  0 false s1 l0"},  // the first WORD is reserved here
    {1, 0, 2, "mB", 2, le16(1), "2 ''  1 true s2 l0"},
    {1, 0, 3, "mD", 3, dword, "3 ''  16909060 true s3 l0"},
    {1, 0, 4, "mQ", 4, qword, "4 ''  72623859790382856 true s4 l0"},
    {1, 0, 5, "mW", 5, le16(7), "5 ''  7 true s5 l0"},
    {1, 0, 6, "mY", 1, "zz", "1 '' 7a7a 0 false s6 l0"},
    {2, 4, 1, "lU", 0, utf16("l"), "0 'l'  0 false s1 l4"},
    {2, 3, 0, "lB", 2, le16(1), "2 ''  1 true s0 l3"},
    {2, 2, 0, "lG", 6, guid, "6 '' " + g + " 0 false s0 l2"},
    {2, 1, 7, "lQ", 4, qword, "4 ''  72623859790382856 true s7 l1"},
  };
  std::vector<std::string> records[3];
  for(const auto &r : rows)
    records[r.kind].push_back(r.kind == 0 ? record0(r.name, r.type, r.stored)
                                          : record12(r.first, r.stream, r.name, r.type, r.stored));
  auto f = open(dir.write("a.wma", file({extendedContentDescription(records[0]),
                                         headerExtension({metadata(records[1]), metadataLibrary(records[2])})})));
  ASSERT_TRUE(f->isValid());
  for(const auto &r : rows)
    EXPECT_EQ(describe(only(*f, r.name)), r.shows) << r.name;
}

TEST(AsfRead, UnknownTypeKeepsItsValueAndTheNextRecord)
{
  TempDir dir;
  auto f = open(dir.write("a.wma", file({extendedContentDescription({
    record0("Odd", 9, "abcd"), record0("After", 0, utf16("ok"))})})));
  EXPECT_EQ(only(*f, "After").toString(), "ok");
  EXPECT_EQ(static_cast<int>(only(*f, "Odd").type()), 9);
  EXPECT_EQ(only(*f, "Odd").toByteVector(), ByteVector("abcd", 4));

  // Saving writes the value back under its own type code.
  ASSERT_TRUE(f->save());
  f.reset();
  const std::string bytes = brenvo_test::readFile(dir.path() + "/a.wma");
  EXPECT_NE(bytes.find(record0("Odd", 9, "abcd")), std::string::npos);
}

TEST(AsfRead, AudioProperties)
{
  TempDir dir;
  const struct
  {
    const char *what;
    std::vector<std::string> objects;
    int length, channels, sampleRate, bitrate;
  } cases[] = {
    {"empty header", {}, 0, 0, 0, 0},
    {"length less preroll", {fileProperties(2300000000ll, 3000)}, 227, 0, 0, 0},
    {"preroll above the length", {fileProperties(35000000ll, 3100)}, 0, 0, 0, 0},
    {"preroll equal to the length", {fileProperties(10000000ll, 5000)}, 0, 0, 0, 0},
    {"stereo", {streamProperties(audioMediaGuid(), 2, 44100, 16000)}, 0, 2, 44100, 128},
    {"bitrate rounds", {streamProperties(audioMediaGuid(), 1, 8000, 20050)}, 0, 1, 8000, 160},
    // Only audio streams count; the last one decides.
    {"last audio stream", {streamProperties(audioMediaGuid(), 1, 8000, 1000),
                           streamProperties(audioMediaGuid(), 2, 22050, 4000),
                           streamProperties(videoMediaGuid(), 6, 90000, 900000)}, 0, 2, 22050, 32},
    {"video only", {streamProperties(videoMediaGuid(), 6, 90000, 900000)}, 0, 0, 0, 0},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    auto f = open(dir.write("p.wma", file(c.objects)));
    ASSERT_TRUE(f->isValid());
    EXPECT_EQ(f->audioProperties()->length(), c.length);
    EXPECT_EQ(f->audioProperties()->channels(), c.channels);
    EXPECT_EQ(f->audioProperties()->sampleRate(), c.sampleRate);
    EXPECT_EQ(f->audioProperties()->bitrate(), c.bitrate);
  }
  EXPECT_TRUE(open(dir.write("e.wma", file({})))->tag()->isEmpty());
}

// Hostile headers: each opens with a tag, and save() refuses a header it did not read whole.
TEST(AsfRead, HostileHeadersAreBoundedAndNotRewritten)
{
  TempDir dir;
  const std::string good = extendedContentDescription({record0("A", 0, utf16("1"))});
  std::string sizeTooSmall = good;
  sizeTooSmall[16] = 10;  // object size below 24
  std::string sizeTooLarge = good;
  sizeTooLarge[21] = 0x01;  // object size beyond the header
  std::string headerTooLarge = header({good});
  headerTooLarge[20] = 0x7F;  // header size beyond the file
  std::string headerSizeNegative = header({good}) + audioTail();
  // The 64-bit size field as 0x8000000000000000: negative when read signed.
  std::fill(headerSizeNegative.begin() + 16, headerSizeNegative.begin() + 23, '\0');
  headerSizeNegative[23] = '\x80';
  std::string nestedZero = headerExtension({metadata({})});
  std::fill(nestedZero.begin() + 24 + 22 + 16, nestedZero.begin() + 24 + 22 + 24, '\0');
  const std::string hostileRecords = extendedContentDescription({
    record0("A", 0, utf16("1")),
    le16(0xFFFF) + "x",                                  // a name longer than the object
  });
  std::string countLie = attributeList({record0("A", 0, utf16("1"))});
  countLie[0] = '\xFF';
  countLie[1] = '\xFF';
  const std::string hugeValue = metadataLibrary({record12(0, 0, "A", 1, "") .substr(0, 8) + le32(0xFFFFFFFF) + utf16("A")});

  struct Case
  {
    const char *what;
    std::string bytes;
    bool rewritable;
  };
  const std::vector<Case> cases = {
    {"object size below 24", header({good, sizeTooSmall}) + audioTail(), false},
    {"object beyond the header", header({sizeTooLarge}) + audioTail(), false},
    {"header beyond the file", headerTooLarge, false},
    {"header size with the top bit set", headerSizeNegative, false},
    {"count above the objects", header({good}, 1000) + audioTail(), false},
    {"count below the objects", header({good, good}, 1) + audioTail(), false},
    {"nested size 0", header({nestedZero}) + audioTail(), false},
    {"nested data length beyond the object", header({headerExtension({metadata({})}, 5000)}) + audioTail(), false},
    {"record overrunning its object", header({hostileRecords}) + audioTail(), true},
    {"record count above the records", header({object(extendedContentDescriptionGuid(), countLie)}) + audioTail(), true},
    {"value length 0xFFFFFFFF", header({headerExtension({hugeValue})}) + audioTail(), true},
    {"header cut short", header({good}).substr(0, 20), false},
    {"header GUID only", headerGuid(), false},
  };
  for(const Case &c : cases) {
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
      EXPECT_TRUE(brenvo_test::readFile(path) == c.bytes) << "the file changed";
    else
      EXPECT_EQ(open(path)->tag()->title(), "changed");
  }
}

// Random damage to a real header: never a crash, always a tag, and a save that
// succeeds leaves everything after the declared header as it was.
TEST(AsfRead, DamagedHeadersNeverSpillOverTheHeader)
{
  TempDir dir;
  const std::string original = brenvo_test::readFile(brenvo_test::dataPath("asf/ffmpeg-tags.wma"));
  const std::size_t headerSize = static_cast<std::size_t>(le(original, 16, 8));
  std::uint32_t state = 12345;
  const auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  int saved = 0;
  for(int round = 0; round < 300; ++round) {
    std::string bytes = original;
    const int changes = 1 + static_cast<int>(next() % 4);
    for(int i = 0; i < changes; ++i) {
      const std::size_t pos = next() % headerSize;
      const unsigned char values[] = {0x00, 0xFF, 0x18, 0x7F, static_cast<unsigned char>(next())};
      bytes[pos] = static_cast<char>(values[next() % 5]);
    }
    const std::string path = dir.write("m.wma", bytes);
    bool ok = false;
    {
      TagLib::ASF::File f(path.c_str());
      if(!f.isValid())
        continue;
      ASSERT_NE(f.tag(), nullptr);
      f.tag()->setTitle("damaged");
      ok = f.save();
    }
    if(!ok) {
      EXPECT_TRUE(brenvo_test::readFile(path) == bytes) << "round " << round;
      continue;
    }
    ++saved;
    const std::string after = brenvo_test::readFile(path);
    const std::size_t declared = static_cast<std::size_t>(le(bytes, 16, 8));
    EXPECT_TRUE(after.substr(static_cast<std::size_t>(le(after, 16, 8))) == bytes.substr(declared)) << "round " << round;
    EXPECT_EQ(open(path)->tag()->title(), "damaged");
  }
  RecordProperty("saved", saved);
  EXPECT_GT(saved, 0);
}
