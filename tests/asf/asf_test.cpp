// ASF headers built in code (from the format's layout, independently of the
// library's parser and writer), the samples in tests/data/asf (make.sh), and
// the tag's property map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <tuple>
#include <sys/stat.h>

#include <fileref.h>

#include "asf/asffile.h"
#include "bytebuilder.h"
#include "faultystream.h"
#include "hostcalls.h"
#include "testfiles.h"
#include "tresolvers.h"

using TagLib::ByteVector;
using TagLib::PropertyMap;
using TagLib::String;
using TagLib::StringList;
using TagLib::ASF::Attribute;
using TagLib::ASF::File;
using namespace brenvo_test;

namespace {

std::string le16(std::uint64_t v) { return ByteBuilder().le16(static_cast<std::uint16_t>(v)).str(); }
std::string le32(std::uint64_t v) { return ByteBuilder().le32(static_cast<std::uint32_t>(v)).str(); }
std::string le64(std::uint64_t v) { return ByteBuilder().le64(v).str(); }
std::string guid(const char (&bytes)[17]) { return std::string(bytes, 16); }

// Object GUIDs in file byte order.
const std::string headerGuid = guid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
const std::string contentDescriptionGuid = guid("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
const std::string extendedGuid = guid("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50");
const std::string metadataGuid = guid("\xEA\xCB\xF8\xC5\xAF\x5B\x77\x48\x84\x67\xAA\x8C\x44\xFA\x4C\xCA");
const std::string libraryGuid = guid("\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54");
const std::string audioMediaGuid = guid("\x40\x9E\x69\xF8\x4D\x5B\xCF\x11\xA8\xFD\x00\x80\x5F\x5C\x44\x2B");
std::string unknownGuid(int seed) { return std::string(16, static_cast<char>(0xA0 + seed)); }

// UTF-16LE of an ASCII text, with one zero code unit when terminated.
std::string utf16(const std::string &ascii, bool terminated = true)
{
  std::string out;
  for(char c : ascii)
    out += std::string{c, '\0'};
  return terminated ? out + std::string(2, '\0') : out;
}

std::string concat(const std::vector<std::string> &parts)
{
  std::string all;
  for(const std::string &p : parts)
    all += p;
  return all;
}

std::string object(const std::string &id, const std::string &body) { return id + le64(24 + body.size()) + body; }

// The header object around the objects, with their count unless one is given.
std::string header(const std::vector<std::string> &objects, long count = -1)
{
  const std::string all = concat(objects);
  return headerGuid + le64(30 + all.size()) + le32(count < 0 ? objects.size() : static_cast<std::size_t>(count)) + "\x01\x02" + all;
}

// A data object stands for the audio after the header.
const std::string audioTail = object(guid("\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C"), "packets");
std::string file(const std::vector<std::string> &objects) { return header(objects) + audioTail; }
std::size_t declaredSize(const std::string &b) { return static_cast<std::size_t>(ByteVector(b.data() + 16, 8).toLongLong(false)); }

std::string fileProperties(std::uint64_t playDuration100ns, std::uint64_t prerollMs)
{
  // File id, size, creation date and packet count; then the durations, flags, packet sizes and bit rate.
  return object(guid("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65"),
                std::string(40, '\1') + le64(playDuration100ns) + le64(0) + le64(prerollMs) + le32(2) + std::string(12, '\1'));
}

std::string streamProperties(const std::string &type, int channels, int rate, int bytesPerSecond)
{
  // Error correction type, time offset, the two lengths, flags, reserved and codec id before the format.
  return object(guid("\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65"),
                type + std::string(40, '\2') + le16(channels) + le32(rate) + le32(bytesPerSecond) + std::string(6, '\2'));
}

// Title, author, copyright, description and rating, each terminated, as this library writes them.
std::string contentDescription(const std::string &title, const std::string &author = "", const std::string &description = "")
{
  std::string lengths, texts;
  for(const std::string &t : {title, author, std::string(), description, std::string()}) {
    lengths += le16(utf16(t).size());
    texts += utf16(t);
  }
  return object(contentDescriptionGuid, lengths + texts);
}

// Records of the extended content description (0), and of metadata or its library (12; first is reserved or the language).
std::string record0(const std::string &name, int type, const std::string &value)
{
  return le16(utf16(name).size()) + utf16(name) + le16(type) + le16(value.size()) + value;
}
std::string record12(int first, int stream, const std::string &name, int type, const std::string &value)
{
  return le16(first) + le16(stream) + le16(utf16(name).size()) + le16(type) + le32(value.size()) + utf16(name) + value;
}
std::string list(const std::string &id, const std::vector<std::string> &records)
{
  return object(id, le16(records.size()) + concat(records));
}

std::string headerExtension(const std::vector<std::string> &nested)
{
  return object(guid("\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65"),
                guid("\x11\xD2\xD3\xAB\xBA\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65") + le16(6) + le32(concat(nested).size()) +
                  concat(nested));
}

std::unique_ptr<File> open(const std::string &path) { return std::make_unique<File>(path.c_str()); }

// An attribute as one comparable line; values over 16 bytes as their size.
std::string describe(const Attribute &a)
{
  const ByteVector v = a.toByteVector(), hex = v.toHex();
  return std::to_string(a.type()) + " '" + a.toString().to8Bit(true) + "' " +
         (v.size() > 16 ? std::to_string(v.size()) + "#" : std::string(hex.data(), hex.size())) + " " +
         std::to_string(a.toULongLong()) + " s" + std::to_string(a.stream()) + " l" + std::to_string(a.language());
}

std::string only(File &f, const char *name)
{
  auto &map = f.tag()->attributeListMap();
  const bool one = map.contains(name) && map[name].size() == 1;
  EXPECT_TRUE(one) << "not exactly one attribute " << name;
  return one ? describe(map[name].front()) : "";
}

// Texts, attributes in reading order, and audio properties unless all are 0.
std::string reading(File &f)
{
  std::string shows = f.tag()->title().to8Bit() + "|" + f.tag()->artist().to8Bit() + "|" + f.tag()->comment().to8Bit();
  for(const auto &entry : f.tag()->attributeListMap()) {
    shows += " " + entry.first.to8Bit() + "=";
    for(const Attribute &a : entry.second)
      shows += a.toString().to8Bit() + ",";
  }
  const TagLib::AudioProperties &p = *f.audioProperties();
  if(p.length() || p.sampleRate() || p.channels() || p.bitrate())
    shows += " | " + std::to_string(p.length()) + "s " + std::to_string(p.sampleRate()) + "Hz " +
             std::to_string(p.channels()) + "ch " + std::to_string(p.bitrate()) + "kbps";
  return shows;
}

std::string summary(const TagLib::FileRef &f)
{
  std::string s;
  for(const String &text : {f.tag()->title(), f.tag()->artist(), f.tag()->album(), f.tag()->comment(), f.tag()->genre()})
    s += text.to8Bit(true) + "|";
  const TagLib::AudioProperties &p = *f.audioProperties();
  return s + std::to_string(f.tag()->year()) + "|" + std::to_string(f.tag()->track()) + " " + std::to_string(p.length()) +
         "s " + std::to_string(p.bitrate()) + "kbps " + std::to_string(p.sampleRate()) + "Hz " + std::to_string(p.channels()) + "ch";
}

// The texts and every attribute, one sorted line each, as mutagenSnapshot prints them.
std::string snapshot(File &f)
{
  TagLib::ASF::Tag &t = *f.tag();
  std::vector<std::string> lines;
  for(const auto &text : {std::make_pair("Title", t.title()), std::make_pair("Author", t.artist()),
                          std::make_pair("Copyright", t.copyright()), std::make_pair("Description", t.comment()),
                          std::make_pair("Rating", t.rating())})
    lines.push_back(text.first + (" " + describe(Attribute(text.second)) + "\n"));
  for(const auto &entry : t.attributeListMap())
    for(const Attribute &a : entry.second)
      lines.push_back(entry.first.to8Bit(true) + " " + describe(a) + "\n");
  std::sort(lines.begin(), lines.end());
  return concat(lines);
}

const char mutagenSnapshot[] = R"(import sys
from mutagen.asf import ASF
lines = []
for k, v in ASF(sys.argv[1]).tags:
    x, b = v.value, v.value if isinstance(v.value, bytes) else b''
    lines.append("%s %d '%s' %s %d s%d l%d\n" % (k, v.TYPE, x if v.TYPE == 0 else '', '%d#' % len(b) if len(b) > 16 else b.hex(),
                                               int(x) if v.TYPE in (2, 3, 4, 5) else 0, v.stream or 0, v.language or 0))
print(''.join(sorted(lines)), end='')
)";

// Every attribute as its type, value bytes, stream and language.
using Stored = std::tuple<int, TagLib::ByteVector, int, int>;
std::map<String, std::vector<Stored>> attributes(TagLib::ASF::File &f)
{
  std::map<String, std::vector<Stored>> out;
  for(const auto &entry : f.tag()->attributeListMap()) {
    for(const Attribute &a : entry.second)
      out[entry.first].emplace_back(a.type(), a.renderValue(2), a.stream(), a.language());
  }
  return out;
}

} // namespace

TEST(AsfRead, NotAsfIsInvalidAndRefused)
{
  TempDir dir;
  const std::string bytes = "X" + file({contentDescription("x")}).substr(1);
  const std::string path = dir.write("fake.wma", bytes);
  // Invalid, so that the resolver discards it and TagLib may try others.
  EXPECT_EQ(TagLib::ASFFileTypeResolver().createFile(path.c_str(), true, TagLib::AudioProperties::Average), nullptr);
  File f(path.c_str());
  EXPECT_FALSE(f.isValid());
  EXPECT_EQ(f.tag(), nullptr);
  EXPECT_EQ(f.audioProperties(), nullptr);
  EXPECT_TRUE(f.properties().isEmpty() && f.pictures().isEmpty());
  PropertyMap map;
  map.replace("TITLE", StringList("x"));
  EXPECT_EQ(f.setProperties(map), map);
  EXPECT_FALSE(f.setPictures(TagLib::Plugins::PictureList()));
  EXPECT_FALSE(f.save());
  EXPECT_TRUE(readFile(path) == bytes);
}

// Each header opens with a tag and reads what lies within bounds; save() refuses
// a header it did not read whole and leaves the file as it was.
TEST(AsfRead, HeadersFromWellFormedToHostile)
{
  TempDir dir;
  const auto texts = [](int title, int artist, int comment) { return le16(title) + le16(artist) + le16(0) + le16(comment) + le16(0); };
  std::string cut = record0("B", 0, utf16("22"));
  cut[2 + 4 + 2] = 100;  // value length beyond the object
  const std::string good = list(extendedGuid, {record0("A", 0, utf16("1"))});
  std::string sizeTooSmall = good, sizeTooLarge = good, headerTooLarge = header({good}), headerNegative = file({good});
  sizeTooSmall[16] = 10;                                       // object size below 24
  sizeTooLarge[21] = 0x01;                                     // object size beyond the header
  headerTooLarge[20] = 0x7F;                                   // header size beyond the file
  headerNegative.replace(16, 8, le64(0x8000000000000000ull));  // negative when read signed
  std::string nestedZero = headerExtension({list(metadataGuid, {})}), nestedLong = nestedZero;
  nestedZero.replace(24 + 22 + 16, 8, le64(0));
  nestedLong.replace(24 + 18, 4, le32(5000));
  const struct
  {
    const char *what;
    std::string bytes, shows;
    bool rewritable;
  } cases[] = {
    // Title "abc" with two zero code units, artist "ab" with one, comment "x" with its terminator.
    {"texts", file({object(contentDescriptionGuid, texts(10, 6, 4) + utf16("abc", false) + std::string(4, '\0') +
                                                       utf16("ab") + utf16("x"))}), "abc|ab|x", true},
    // A text overrunning the object ends the texts; those before it stay. The play duration includes the preroll.
    {"text overrun", file({object(contentDescriptionGuid, texts(4, 200, 4) + utf16("t") + utf16("x")),
                           fileProperties(2300000000ull, 3000)}), "t|| | 227s 0Hz 0ch 0kbps", true},
    // 0x8002 bytes: negative as a signed 16-bit length. A preroll beyond the play duration leaves no length.
    {"long text", file({object(contentDescriptionGuid, texts(0x8002, 0, 0) + utf16(std::string(0x4001, 'z'), false)),
                        fileProperties(10000000, 5000)}), std::string(0x4001, 'z') + "||", true},
    // Bytes a parser does not consume: after the texts and after the records the count announces.
    {"declared starts", file({object(contentDescriptionGuid, texts(4, 0, 0) + utf16("t") + "junk"),
                              object(extendedGuid, le16(1) + record0("A", 0, utf16("1")) + record0("B", 0, utf16("2"))),
                              streamProperties(audioMediaGuid, 2, 44100, 16000)}), "t|| A=1, | 0s 44100Hz 2ch 128kbps", true},
    {"record beyond its object", file({list(extendedGuid, {record0("A", 0, utf16("1")), cut})}), "|| A=1,", true},
    // Only audio streams count, the last one decides; metadata counts only inside the header extension.
    {"file order", file({list(extendedGuid, {record0("N", 0, utf16("1")), record0("N", 0, utf16("2"))}),
                         headerExtension({list(libraryGuid, {record12(0, 0, "N", 0, utf16("4"))}),
                                          list(metadataGuid, {record12(0, 1, "N", 0, utf16("3"))})}),
                         list(metadataGuid, {record12(0, 1, "M", 0, utf16("x"))}), streamProperties(audioMediaGuid, 1, 8000, 1000),
                         streamProperties(audioMediaGuid, 2, 22050, 4000), streamProperties(unknownGuid(5), 6, 90000, 900000)}),
     "|| N=1,2,4,3, | 0s 22050Hz 2ch 32kbps", true},
    {"object size below 24", file({good, sizeTooSmall}), "|| A=1,", false},
    {"object beyond the header", file({sizeTooLarge}), "||", false},
    {"header beyond the file", headerTooLarge, "|| A=1,", false},
    {"header size with the top bit set", headerNegative, "|| A=1,", false},
    {"count above the objects", header({good}, 1000) + audioTail, "|| A=1,", false},
    {"count below the objects", header({good, good}, 1) + audioTail, "|| A=1,", false},
    {"nested size 0", file({nestedZero}), "||", false},
    {"nested data length beyond the object", file({nestedLong}), "||", false},
    {"name longer than the object", file({list(extendedGuid, {record0("A", 0, utf16("1")), le16(0xFFFF) + "x"})}), "|| A=1,", true},
    {"record count above the records", file({object(extendedGuid, le16(0xFFFF) + record0("A", 0, utf16("1")))}), "|| A=1,", true},
    {"value length 0xFFFFFFFF", file({headerExtension({list(libraryGuid, {record12(0, 0, "A", 1, "").substr(0, 8) +
                                                                          le32(0xFFFFFFFF) + utf16("A")})})}), "||", true},
    {"header cut short", header({good}).substr(0, 20), "||", false},
    {"header GUID only", headerGuid, "||", false},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.write("h.wma", c.bytes);
    {
      auto f = open(path);
      ASSERT_TRUE(f->isValid() && f->tag() && f->audioProperties());
      EXPECT_EQ(reading(*f), c.shows);
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
  const std::string original = readFile(dataPath("asf/ffmpeg-tags.wma")), path = dir.path() + "/m.wma";
  std::uint32_t state = 12345;
  const auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 8; };
  int saved = 0;
  for(int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    std::string bytes = original;
    for(unsigned i = 0, changes = 1 + next() % 4; i < changes; ++i) {
      const char values[] = {0, '\xFF', 0x18, 0x7F, static_cast<char>(next())};
      bytes[next() % declaredSize(original)] = values[next() % 5];
    }
    writeFile(path, bytes);
    auto f = open(path);
    if(!f->isValid())
      continue;
    f->tag()->setTitle("damaged");
    const bool ok = f->save();
    f.reset();
    const std::string after = readFile(path);
    EXPECT_TRUE(ok ? after.substr(declaredSize(after)) == bytes.substr(declaredSize(bytes)) : after == bytes);
    EXPECT_TRUE(!ok || open(path)->tag()->title() == "damaged");
    saved += ok;
  }
  EXPECT_GT(saved, 0);
}

TEST(AsfTag, FieldsAndTheirProperties)
{
  TagLib::ASF::Tag tag, copyright, rating, album, mapped;
  // The textual number wins even when it reads as 0; an empty list left by a host counts as absent.
  tag.setAttribute("WM/Track", Attribute(4u));
  tag.setAttribute("WM/TrackNumber", Attribute(9u));
  EXPECT_EQ(tag.track(), 0u);
  tag.attributeListMap()["WM/TrackNumber"] = TagLib::ASF::AttributeList();
  EXPECT_EQ(tag.track(), 4u);
  tag.setYear(3000000000u);  // beyond int
  EXPECT_EQ(tag.attributeListMap()["WM/Year"].front().toString(), "3000000000");
  copyright.setCopyright("x");
  rating.setRating("x");
  album.setAlbum("");
  EXPECT_FALSE(copyright.isEmpty() || rating.isEmpty() || album.isEmpty());
  Attribute a(String("a"));  // shares its value: assigning it to itself must keep it
  const Attribute &alias = a;
  a = alias;
  EXPECT_EQ(a.toString(), "a");

  // setProperties() stores what the tag holds and refuses the rest.
  mapped.setComment("Old comment");
  mapped.setAlbum("Old album");
  mapped.addAttribute("Custom", Attribute(String("kept")));
  PropertyMap map;
  map.replace("TITLE", StringList("Two").append("words"));
  map.replace("GENRE", StringList("Jazz").append("Rock"));
  map.replace("TRACKNUMBER", StringList("5"));
  map.replace("RATING", StringList("5 stars"));  // the rating has no key
  map.replace("FIELD", StringList("x"));
  // Longer than the content description's WORD length holds.
  map.replace("COMMENT", StringList(String(std::string(32767, 'c'))));
  const PropertyMap refused = mapped.setProperties(map);
  EXPECT_EQ(refused.size(), 3u);
  EXPECT_TRUE(refused.contains("RATING") && refused.contains("FIELD") && refused.contains("COMMENT"));
  EXPECT_EQ(mapped.title(), "Two words");
  EXPECT_EQ(mapped.genre(), "Jazz");
  EXPECT_EQ(mapped.track(), 5u);
  EXPECT_EQ(mapped.comment(), "Old comment");
  EXPECT_TRUE(mapped.album().isEmpty());

  EXPECT_EQ(mapped.properties().unsupportedData(), StringList("Custom"));
  mapped.removeUnsupportedProperties(StringList("Custom"));
  EXPECT_TRUE(mapped.properties().unsupportedData().isEmpty());
}

TEST(AsfProperties, FieldsTheHostLeftAloneKeepTheirAttributesThroughASave)
{
  TempDir dir;
  const std::string path = dir.copy(dataPath("asf/mutagen-keys.wma"), "f.wma");
  std::map<String, std::vector<Stored>> before;
  {
    auto f = std::make_unique<TagLib::ASF::File>(path.c_str());
    before = attributes(*f);
    // A DWORD track, a WORD tempo shown empty, streams, languages, pictures
    // that do not parse and names without a key all come back as they were.
    PropertyMap map = f->properties();
    map.replace("ALBUM", StringList("New"));
    EXPECT_TRUE(f->setProperties(map).isEmpty());
    EXPECT_TRUE(f->setPictures(f->pictures()));
    ASSERT_TRUE(f->save());
  }
  auto f = std::make_unique<TagLib::ASF::File>(path.c_str());
  before["WM/AlbumTitle"] = {Stored(Attribute::Unicode, Attribute(String("New")).renderValue(2), 0, 0)};
  EXPECT_TRUE(attributes(*f) == before);
}

// Each case's file, edited and saved, byte for byte.
TEST(AsfSave, SavedHeaders)
{
  TempDir dir;
  const std::string path = dir.path() + "/a.wma";
  const std::string fp = fileProperties(40000000, 1000), sp = streamProperties(audioMediaGuid, 1, 8000, 1000);
  const std::string top1 = object(unknownGuid(1), "first"), top2 = object(unknownGuid(2), std::string("\0\1\2\0", 4));
  const std::string nested1 = object(unknownGuid(3), "nested one"), nested2 = object(unknownGuid(4), "");
  const std::string keep = list(extendedGuid, {record0("Keep", 0, utf16("k"))});
  const std::string picture = readFile(dataPath("asf/mutagen-tags.wma"));  // over 64 KiB
  const std::string fits(32766, 't');  // 65534 bytes with its terminator: the most a WORD length holds
  const String tooLong(std::string(32767, 't'));
  const std::string n1 = record12(0, 0, "N", 0, utf16("1")), n2 = record12(0, 0, "N", 0, utf16("2"));
  const std::string s1 = record12(0, 2, "S", 0, utf16("s1")), s2 = record12(0, 2, "S", 0, utf16("s2"));
  const std::string l5 = record12(1, 0, "L", 3, le32(5)), l6 = record12(1, 3, "L", 3, le32(6));
  const std::string big = record12(0, 0, "WM/Picture", 1, picture), longText = record12(0, 0, "Long", 0, utf16(std::string(40000, 'q')));
  // Every type in every record kind: kind 0 is the extended content description,
  // 1 metadata, 2 the library; names in map order, so that a save writes them back.
  const std::string dword = le32(0x01020304), qword = le64(0x0102030405060708ull), g = unknownGuid(10);
  const std::string gHex = " " + std::string(32, 'a') + " 0";
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
    {0, 0, 0, "G", 6, g, "6 ''" + gHex + " s0 l0", ""},
    {0, 0, 0, "Q", 4, qword, "4 ''  72623859790382856 s0 l0", ""},
    {0, 0, 0, "U", 0, utf16("text") + std::string(2, '\0'), "0 'text'  0 s0 l0", utf16("text")},
    {0, 0, 0, "W", 5, le16(0x0102), "5 ''  258 s0 l0", ""},
    {0, 0, 0, "X", 9, "abcd", "9 '' 61626364 0 s0 l0", ""},  // an unknown type keeps its value
    {0, 0, 0, "Y", 1, std::string("\x00\x01\x02", 3), "1 '' 000102 0 s0 l0", ""},
    {1, 0, 2, "mB", 2, le16(1), "2 ''  1 s2 l0", ""},
    {1, 9, 1, "mU", 0, utf16("m"), "0 'm'  0 s1 l0", ""},  // the first WORD is reserved here
    {2, 2, 0, "lG", 6, g, "6 ''" + gHex + " s0 l2", ""},
    {2, 4, 1, "lU", 0, utf16("l"), "0 'l'  0 s1 l4", ""},
  };
  std::vector<std::string> stored[3], saved[3];
  for(const auto &r : rows) {
    const std::string &value = r.saved.empty() ? r.stored : r.saved;
    stored[r.kind].push_back(r.kind ? record12(r.first, r.stream, r.name, r.type, r.stored) : record0(r.name, r.type, r.stored));
    // GUID values are saved to the library, wherever they were.
    const int to = r.type == 6 ? 2 : r.kind;
    saved[to].push_back(to ? record12(to == 2 ? r.first : 0, r.stream, r.name, r.type, value)
                           : record0(r.name, r.type, value));
  }
  const auto typed = [](std::vector<std::string> *lists) {
    return std::vector<std::string>{list(extendedGuid, lists[0]),
                                    headerExtension({list(metadataGuid, lists[1]), list(libraryGuid, lists[2])})};
  };
  std::vector<std::string> typedSaved = typed(saved);
  typedSaved.push_back(contentDescription(""));
  const std::vector<std::string> kept = {fp, sp, top1, headerExtension({nested1, list(metadataGuid, {}), nested2}),
                                         contentDescription("t"), top2};
  const struct
  {
    const char *what;
    std::vector<std::string> objects;
    std::function<void(File &)> edit;
    std::string expected;
  } cases[] = {
    {"every type", typed(stored), [&](File &f) {
       for(const auto &r : rows)
         EXPECT_EQ(only(f, r.name), r.shows) << r.name;
     }, file(typedSaved)},
    // Objects stay in place; the missing list objects are added after them. A text
    // or name too long for its WORD length fails the save before anything is written.
    {"objects kept", kept, [&](File &f) {
       f.tag()->setTitle(tooLong);
       EXPECT_FALSE(f.save());
       f.tag()->setTitle("t");
       f.tag()->setRating(tooLong);
       EXPECT_FALSE(f.save());
       f.tag()->setRating("");
       f.tag()->setAttribute(tooLong, Attribute(1u));
       EXPECT_FALSE(f.save());
       f.tag()->removeItem(tooLong);
       EXPECT_TRUE(readFile(path) == file(kept)) << "the file changed";
       f.tag()->setArtist("someone");
     }, file({fp, sp, top1, headerExtension({nested1, list(metadataGuid, {}), nested2, list(libraryGuid, {})}),
              contentDescription("t", "someone"), top2, list(extendedGuid, {})})},
    // Each save routes anew: a single record without stream or language to the
    // extended object, values over a WORD's range and names whose values would
    // read back in another order to the library whole; map order is by name.
    {"routing", {headerExtension({list(libraryGuid, {n1, n2, s1, s2, l5, l6, big, record12(0, 0, "WM/Picture", 1, "small"),
                                                     longText, record12(0, 0, "Edge", 1, std::string(0xFFFF, 'e'))})})},
     [&](File &f) {
       f.tag()->setAttribute(fits, Attribute(1u));
       f.tag()->setComment(fits);
     }, file({headerExtension({list(libraryGuid, {l5, l6, longText, n1, n2, s1, s2, big}), list(metadataGuid, {})}),
              contentDescription("", "", fits), list(extendedGuid, {record0("Edge", 1, std::string(0xFFFF, 'e')),
              record0("WM/Picture", 1, "small"), record0(fits, 3, le32(1))})})},
    // Grow the header, shrink it, then grow it a little, all on one file object.
    {"saving again", {fp, keep}, [](File &f) {
       f.tag()->setTitle("first");
       f.tag()->addAttribute("WM/Picture", Attribute(ByteVector(70000, 'p')));
       EXPECT_TRUE(f.save());
       f.tag()->removeItem("WM/Picture");
       EXPECT_TRUE(f.save());
       f.tag()->setTitle("second, a longer title");
     }, file({fp, keep, contentDescription("second, a longer title"), headerExtension({list(metadataGuid, {}), list(libraryGuid, {})})})},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(path, file(c.objects));
    {
      auto f = open(path);
      c.edit(*f);
      ASSERT_TRUE(f->save());
    }
    EXPECT_TRUE(readFile(path) == c.expected);
  }
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

// After a failed write the file's state is unknown: the file object does not write again.
TEST(AsfSave, NoSaveAfterAFailedWrite)
{
  TempDir dir;
  const std::string path = dir.copy(dataPath("asf/ffmpeg-tags.wma"), "a.wma");
  const std::string before = readFile(path);
  long readOps = 0;
  {
    FaultyStream sound(path.c_str(), -1);
    File f(&sound);
    readOps = sound.operations();
  }
  FaultyStream faulty(path.c_str(), readOps);
  File f(&faulty);
  f.tag()->setTitle("not written");
  EXPECT_FALSE(f.save());
  EXPECT_TRUE(faulty.struck());
  EXPECT_FALSE(f.save());
  EXPECT_TRUE(readFile(path) == before);
}

TEST(AsfRealFiles, SamplesReadThroughFileRef)
{
  ensurePluginsRegistered();
  const struct
  {
    const char *sample, *name;
    std::string shows;
  } rows[] = {
    {"ffmpeg-tags.wma", "", "Sine Title|Ffmpeg Artist|Some Album||Test Genre|0|3 1s 32kbps 22050Hz 1ch"},
    // ffmpeg writes the comment as an attribute, not into the content description.
    {"ffmpeg-tags.wma", "Description", "0 'A comment'  0 s0 l0"},
    {"mutagen-tags.wma", "", "Mutagen Title|Mutagen Artist|Mutagen Album|||2004|4 1s 48kbps 22050Hz 2ch"},
    {"mutagen-tags.wma", "Brenvo/QWord", "4 ''  78187493530 s0 l0"},
    {"mutagen-tags.wma", "Brenvo/Streamed", "0 'on stream 1'  0 s1 l0"},
    {"mutagen-tags.wma", "Brenvo/Language", "0 'in language 1'  0 s0 l1"},
    {"mutagen-tags.wma", "WM/Picture", "1 '' 70039# 0 s0 l0"},
    {"untagged.asf", "", "|||||0|0 1s 48kbps 22050Hz 2ch"},
  };
  for(const auto &r : rows) {
    SCOPED_TRACE(std::string(r.sample) + " " + r.name);
    TagLib::FileRef ref(dataPath(std::string("asf/") + r.sample).c_str());
    auto *f = dynamic_cast<File *>(ref.file());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(*r.name ? only(*f, r.name) : summary(ref), r.shows);
  }
}

// Saved copies read back the same, here and in mutagen; the audio is untouched and decodes.
TEST(AsfRealFiles, RoundTripOnCopies)
{
  const bool mutagen = std::system("/usr/bin/python3 -c 'import mutagen.asf' 2>/dev/null") == 0;
  for(const char *name : {"ffmpeg-tags.wma", "mutagen-tags.wma", "untagged.asf"}) {
    SCOPED_TRACE(name);
    TempDir dir;
    const std::string path = dir.copy(dataPath(std::string("asf/") + name), name);
    const std::string before = readFile(path);
    std::string expected;
    {
      auto f = open(path);
      TagLib::ASF::Tag &tag = *f->tag();
      tag.setTitle(String("Titel \xc3\xa4\xc3\xb6\xc3\xbc \xe2\x9c\x93", String::UTF8));
      tag.setAlbum("Round Album");
      tag.setRating("5");
      tag.setYear(1987);
      tag.setTrack(12);
      Attribute streamed(String("streamed")), language(0xABCDu);
      streamed.setStream(2);
      language.setLanguage(3);
      tag.addAttribute("Round/Streamed", streamed);
      tag.addAttribute("Round/Language", language);
      tag.addAttribute("Round/Bool", Attribute(true));
      tag.removeItem("Brenvo/Bytes");
      expected = snapshot(*f);
      ASSERT_TRUE(f->save());
      ASSERT_TRUE(f->save());  // a second save on the same object changes nothing
    }
    const std::string after = readFile(path);
    EXPECT_TRUE(after.substr(declaredSize(after)) == before.substr(declaredSize(before))) << "bytes after the header changed";
    EXPECT_EQ(snapshot(*open(path)), expected);
    const std::string out = dir.path() + "/out";
    if(mutagen) {
      const std::string script = dir.write("show.py", mutagenSnapshot);
      EXPECT_EQ(std::system(("PYTHONIOENCODING=utf-8 /usr/bin/python3 " + script + " " + path + " >" + out).c_str()), 0);
      EXPECT_EQ(readFile(out), expected);
    }
    if(haveProgram("ffmpeg")) {
      EXPECT_EQ(std::system(("ffmpeg -v error -i " + path + " -f null - 2>" + out).c_str()), 0);
      EXPECT_EQ(readFile(out), "");
    }
  }
  if(!mutagen)
    GTEST_SKIP() << "/usr/bin/python3 with mutagen is not available to read the saved files";
}
