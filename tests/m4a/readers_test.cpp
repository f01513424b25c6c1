// The exported stream readers, the four-character code and the MP4 file as a whole.
#include <gtest/gtest.h>

#include "tresolvers.h"
#include "mp4builder.h"

using namespace mp4test;
using TagLib::MP4::Fourcc;

TEST(Mp4Readers, IntegersAreBigEndian)
{
  OpenedFile f(raw({0xFF, 0xFF, 0xFF, 0xFE, 0x80, 0x01, 0, 0, 0, 1, 0, 0, 0, 0, 0xA9, 'n', 'a', 'm', 0x7F}));
  f->seek(0);
  unsigned int i = 0, s = 0, b = 0;
  unsigned long long ll = 0;
  Fourcc code;
  ASSERT_TRUE(f->readInt(i) && f->readShort(s) && f->readLongLong(ll) && f->readFourcc(code) && f->readByte(b));
  const auto values = [&] { return std::make_tuple(i, s, ll, static_cast<unsigned int>(code), b); };
  const auto read = values();
  EXPECT_EQ(read, std::make_tuple(4294967294u, 32769u, 4294967296ull, 0xA96E616Du, 0x7Fu));
  // At the end, or with too few bytes left, every reader fails and leaves its value alone.
  EXPECT_FALSE(f->readInt(i) || f->readShort(s) || f->readLongLong(ll) || f->readFourcc(code) || f->readByte(b));
  f->seek(-3, TagLib::File::End);
  EXPECT_FALSE(f->readInt(i));
  f->seek(-1, TagLib::File::End);
  EXPECT_FALSE(f->readShort(s));
  EXPECT_EQ(values(), read);
}

TEST(Mp4Readers, SizeAndType)
{
  const struct { const char *name; std::string bytes; bool ok; unsigned int size; long end; } cases[] = {
    {"a box", box("moov", "xy"), true, 10, 8},
    // Sizes 1 (a 64-bit size follows) and under 8 are not supported; the size is still stored.
    {"64-bit size", boxSized(1, "mdat", std::string(16, '\0')), false, 1, 8},
    {"size 7", boxSized(7, "free"), false, 7, 8},
    // Cut short: the size left alone, the position at the end.
    {"cut in the type", raw({0, 0, 0, 9, 'a', 'b'}), false, 0, 6},
  };
  for(const auto &c : cases) {
    OpenedFile f(c.bytes);
    f->seek(0);
    unsigned int size = 0;
    Fourcc type;
    EXPECT_EQ(c.ok, f->readSizeAndType(size, type)) << c.name;
    EXPECT_EQ(c.size, size) << c.name;
    EXPECT_EQ(c.end, f->tell()) << c.name;
    EXPECT_EQ(c.ok ? Fourcc(TagLib::String("moov")) : type, type) << c.name;
  }
}

TEST(Mp4Readers, ReadAvailableStopsAtTheEnd)
{
  OpenedFile f(std::string(10, 'x'));
  f->seek(4);
  EXPECT_EQ(6u, f->readAvailable(0xFFFFFFF0ul).size());
  EXPECT_TRUE(f->readAvailable(5).isEmpty());
  f->seek(2);
  EXPECT_EQ(3u, f->readAvailable(3).size());
}

TEST(Mp4Fourcc, FromTextAndBack)
{
  using TagLib::String;
  EXPECT_EQ(0u, static_cast<unsigned int>(Fourcc()));
  EXPECT_EQ(0x6D6F6F76u, static_cast<unsigned int>(Fourcc(String("moov"))));
  EXPECT_EQ(0u, static_cast<unsigned int>(Fourcc(String("moo"))));
  EXPECT_TRUE(Fourcc(String("moovx")) == Fourcc(String("moov")) && Fourcc(String("MOOV")) != Fourcc(String("moov")));
  EXPECT_EQ(String("mp4a"), Fourcc(String("mp4a")).toString());
  const Fourcc nam(String("\251nam", String::Latin1));
  EXPECT_EQ(0xA96E616Du, static_cast<unsigned int>(nam));
  EXPECT_EQ(TagLib::ByteVector("\251nam"), nam.toString().data(String::Latin1));
  Fourcc code;
  char text[] = "trkn";
  code = text;
  EXPECT_EQ(0x74726B6Eu, static_cast<unsigned int>(code));
  code = 0x00616200u; // zero bytes become zero characters
  EXPECT_EQ(String("ab"), code.toString().substr(1, 2));
  EXPECT_EQ(4u, code.toString().size());
}

TEST(Mp4Readers, SystemsLength)
{
  const struct { std::string input; long end; unsigned int value; long position; } cases[] = {
    {raw({0x22}), 0, 34, 1},
    {raw({0x81, 0x01}), 0, 129, 2},
    {raw({0x80, 0x80, 0x80, 0x22}), 0, 34, 4},
    {raw({0x80, 0x80, 0x80, 0x80, 0x05}), 0, 0, 4},  // stops after four bytes
    {raw({0x81, 0x81}), 0, 129, 2},                  // the data ends: what was read
    {std::string(), 0, 0, 0},
    {raw({0x81, 0x81, 0x81, 0x01}), 2, 129, 2},      // stops before the given end
  };
  for(const auto &c : cases) {
    OpenedFile f(c.input);
    f->seek(0);
    EXPECT_EQ(c.value, c.end ? f->readSystemsLen(c.end) : f->readSystemsLen()) << (&c - cases);
    EXPECT_EQ(c.position, f->tell()) << (&c - cases);
  }
}

TEST(Mp4File, MissingFileGivesEmptyTagAndZeroPropertiesAndTheResolverStillTakesIt)
{
  brenvo_test::TempDir dir;
  TagLib::MP4::File f((dir.path() + "/missing.m4a").c_str());
  EXPECT_FALSE(f.isValid());
  EXPECT_TRUE(f.tag()->isEmpty());
  const TagLib::AudioProperties *p = f.audioProperties();
  EXPECT_EQ(0, p->length() | p->bitrate() | p->sampleRate() | p->channels());
  EXPECT_FALSE(f.save());

  const TagLib::MP4FileTypeResolver resolver;
  for(const char *name : {"a.M4A", "a.m4b", "a.m4p", "a.mp4", "a.m4v", "a.mp4v", "a.m4a.tmp"}) {
    std::unique_ptr<TagLib::File> file(resolver.createFile((dir.path() + "/" + name).c_str(), true,
                                                           TagLib::AudioProperties::Average));
    EXPECT_EQ(dynamic_cast<TagLib::MP4::File *>(file.get()) != nullptr, std::string(name) != "a.m4a.tmp") << name;
  }
}

TEST(Mp4File, SurvivesAnyDamagedByte)
{
  // A complete small file, damaged one byte at a time: every size, count and
  // code in it is hit. Opening must neither crash nor hang.
  const std::string good =
    file(mvhd(1000, 3000) + track(audioEntry(2, 44100u << 16, esds(128000, raw({0x12, 0x10})))) +
         tagBoxes(item("\251nam", "Title") + item("trkn", raw({0, 0, 0, 5, 0, 0}), 0) + item("gnre", raw({0, 18}), 0) +
                  box("covr", fullBox("data", 0, 13, "RSVDimg1") + fullBox("data", 0, 13, "RSVDimg2"))),
         std::string(16, 'm'));
  brenvo_test::TempDir dir;
  const std::string path = dir.path() + "/damaged.m4a";
  brenvo_test::StderrCapture quiet;
  for(std::size_t pos = 0; pos < good.size(); ++pos) {
    for(char value : {'\0', '\x80', '\xFF'}) {
      std::string bytes = good;
      bytes[pos] = value;
      brenvo_test::writeFile(path, bytes);
      TagLib::MP4::File f(path.c_str());
      ASSERT_NE(nullptr, f.tag());
      f.audioProperties()->length();
      f.tag()->cover();
    }
  }
}
