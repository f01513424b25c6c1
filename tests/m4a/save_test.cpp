// Saving MP4 item lists into built files of every layout: what moves, what
// stays byte for byte, what is refused with the file untouched.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <tfilestream.h>

#include "common/fdstream.h"
#include "mp4builder.h"

using namespace mp4test;
using brenvo_test::readFile;

namespace {

// The media data: chunks whose first bytes every chunk offset must keep pointing at.
const std::string chunkA = "CHUNK-A" + std::string(57, 'a');
const std::string chunkB = "CHUNK-B" + std::string(31, 'b');

std::string offsetTable(bool wide, const std::vector<std::uint64_t> &offsets)
{
  ByteBuilder b;
  b.be32(static_cast<std::uint32_t>(offsets.size()));
  for(std::uint64_t o : offsets)
    wide ? b.be64(o) : b.be32(static_cast<std::uint32_t>(o));
  return fullBox(wide ? "co64" : "stco", 0, 0, b.str());
}

// With \a external, the track's data reference names another file.
std::string trackWithChunks(const std::string &handler, bool wide, const std::vector<std::uint64_t> &offsets,
                            bool external = false)
{
  const std::string dref = fullBox("dref", 0, 0, ByteBuilder().be32(1).str() +
                                                   (external ? fullBox("url ", 0, 0, "other.mov") : fullBox("url ", 0, 1)));
  return box("trak", box("mdia", fullBox("mdhd", 0, 0, std::string(20, '\0')) + hdlr(handler) +
                                   box("minf", box("dinf", dref) + box("stbl", stsd(audioEntry(2, 44100u << 16, esds(128000))) +
                                                                           offsetTable(wide, offsets)))));
}

enum class Place { MovieFirst, MovieLast, MovieThenOther };
enum class MediaHeader { Plain, Large, ToEnd };

struct Layout
{
  Place place = Place::MovieFirst;
  MediaHeader media = MediaHeader::Plain;
  std::string udta = tagBoxes(item("\251nam", "Old title"));
  bool wide = false;
  // Added to the audio track's last offset (past the file), to make a 32-bit table overflow.
  std::uint64_t far = 0;
};

std::string build(const Layout &l)
{
  const std::string ftyp = box("ftyp", std::string("M4A \0\0\0\0isom", 12));
  const std::string payload = chunkA + chunkB;
  std::string mdat = l.media == MediaHeader::Large
                       ? ByteBuilder().be32(1).text("mdat").be64(16 + payload.size()).text(payload).str()
                       : l.media == MediaHeader::ToEnd ? boxSized(0, "mdat", payload) : box("mdat", payload);
  const auto moov = [&](std::uint64_t base) {
    return box("moov", mvhd(1000, 2000) + trackWithChunks("soun", l.wide, {base, base + chunkA.size(), base + l.far}) +
                         trackWithChunks("text", l.wide, {base + chunkA.size()}) + l.udta);
  };
  const std::uint64_t header = mdat.size() - payload.size();
  if(l.place == Place::MovieFirst)
    return ftyp + moov(ftyp.size() + moov(0).size() + header) + mdat;
  return ftyp + mdat + moov(ftyp.size() + header) + (l.place == Place::MovieThenOther ? box("uuid", std::string(20, 'u')) : "");
}

std::uint64_t be(const std::string &bytes, std::size_t at, int width)
{
  std::uint64_t v = 0;
  for(int i = 0; i < width; ++i)
    v = v << 8 | static_cast<unsigned char>(bytes.at(at + i));
  return v;
}

// The top-level boxes add up to the file, and every chunk offset of the
// movie box points at a chunk. Returns the movie box.
std::string expectSound(const std::string &bytes, std::size_t tables)
{
  std::string movie;
  std::uint64_t at = 0;
  while(at < bytes.size()) {
    std::uint64_t size = be(bytes, at, 4);
    size = size == 1 ? be(bytes, at + 8, 8) : size == 0 ? bytes.size() - at : size;
    if(size < 8)
      break;
    if(bytes.compare(at + 4, 4, "moov") == 0)
      movie = bytes.substr(at, size);
    at += size;
  }
  EXPECT_EQ(at, bytes.size());
  std::size_t found = 0;
  for(const char *code : {"stco", "co64"}) {
    const int width = std::string(code) == "co64" ? 8 : 4;
    for(std::size_t p = movie.find(code); p != std::string::npos; p = movie.find(code, p + 4), ++found) {
      for(std::uint64_t i = 0, count = be(movie, p + 8, 4); i < count; ++i) {
        const std::uint64_t offset = be(movie, p + 12 + i * width, width);
        if(offset < bytes.size()) {
          EXPECT_EQ(bytes.substr(offset, 6), "CHUNK-") << code << " entry " << i;
        }
      }
    }
  }
  EXPECT_EQ(found, tables);
  return movie;
}

// A stream that counts the bytes it writes, moved ones included.
class CountingStream : public TagLib::DescriptorStream
{
public:
  using DescriptorStream::DescriptorStream;
  void writeBlock(const TagLib::ByteVector &data) override
  {
    written += data.size();
    DescriptorStream::writeBlock(data);
  }
  void insert(const TagLib::ByteVector &data, unsigned long start, unsigned long replace) override
  {
    written += static_cast<unsigned long>(length()) - start - replace + data.size();
    DescriptorStream::insert(data, start, replace);
  }
  unsigned long written = 0;
};

struct Saved
{
  bool ok = false;
  std::string bytes;
  unsigned long written = 0;
};

Saved save(const std::string &path, const std::function<void(brenvo_taglib::MP4File &)> &change)
{
  Saved s;
  {
    CountingStream stream(path.c_str());
    brenvo_taglib::MP4File f(&stream);
    change(f);
    s.ok = f.save();
    s.written = stream.written;
  }
  s.bytes = readFile(path);
  return s;
}

const TagLib::ByteVector cover(5000, 'c');

TEST(Mp4Save, EveryLayoutKeepsItsMediaAndReadsBack)
{
  struct Case { const char *name; Layout layout; bool moves; };
  const Layout base;
  Layout last, other, large, toEnd, wide, far, bare, quicktime;
  last.place = Place::MovieLast;
  other.place = Place::MovieThenOther;
  large.media = MediaHeader::Large;
  toEnd.media = MediaHeader::ToEnd;
  wide.wide = true;
  far.far = 0xFFFFFFF0u - 2000;
  bare.udta.clear();
  quicktime.udta = box("udta", box("meta", hdlr("mdir") + box("ilst", item("\251nam", "Old title"))) + std::string(4, '\0'));
  const Case cases[] = {
    {"movie box before the media", base, true},       {"movie box at the end", last, false},
    {"movie box before another box", other, false},  {"64-bit media size", large, true},
    {"media to the end of the file", toEnd, true},   {"64-bit chunk offsets", wide, true},
    {"32-bit offsets that overflow", far, true},      {"no user data", bare, true},
    {"plain meta and a zero terminator", quicktime, true},
  };
  for(const Case &c : cases) {
    SCOPED_TRACE(c.name);
    brenvo_test::TempDir dir;
    const std::string before = build(c.layout);
    const std::string path = dir.write("f.m4a", before);
    const Saved grown = save(path, [](brenvo_taglib::MP4File &f) {
      f.tag()->setTitle(TagLib::String("Snow \xE2\x98\x83", TagLib::String::UTF8));
      f.tag()->setCover(cover);
    });
    ASSERT_TRUE(grown.ok);
    const std::string movie = expectSound(grown.bytes, 2);
    if(c.layout.far) {
      EXPECT_NE(movie.find("co64"), std::string::npos) << "promoted";
    }
    // Where nothing had to move, the bytes before the movie box are untouched.
    const std::size_t moov = before.find("moov") - 4;
    EXPECT_EQ(grown.bytes.substr(0, moov), before.substr(0, moov));
    EXPECT_EQ(grown.bytes.find(chunkA + chunkB) != before.find(chunkA + chunkB), c.moves);
    {
      brenvo_taglib::MP4File f(path.c_str());
      EXPECT_EQ(f.tag()->title().to8Bit(true), "Snow \xE2\x98\x83");
      EXPECT_EQ(f.tag()->cover(), cover);
      EXPECT_EQ(f.audioProperties()->length(), 2);
    }

    // A small change now fits the padding left behind: only the item list is written.
    const Saved again = save(path, [](brenvo_taglib::MP4File &f) { f.tag()->setTitle("Short"); });
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.bytes.size(), grown.bytes.size());
    EXPECT_LT(again.written, cover.size() + 4096 + 200);
    expectSound(again.bytes, 2);

    const Saved stripped = save(path, [](brenvo_taglib::MP4File &f) { f.remove(); });
    ASSERT_TRUE(stripped.ok);
    EXPECT_EQ(expectSound(stripped.bytes, 2).find("ilst"), std::string::npos);
    EXPECT_TRUE(brenvo_taglib::MP4File(path.c_str()).tag()->isEmpty());
  }
}

TEST(Mp4Save, OffsetsIntoAnotherFileStayWhenTheMediaDataMoves)
{
  const std::string ftyp = box("ftyp", std::string("M4A \0\0\0\0isom", 12));
  const auto moov = [](std::uint64_t base) {
    return box("moov", mvhd(1000, 2000) + trackWithChunks("soun", false, {base}) +
                         trackWithChunks("vide", false, {1234}, true) + tagBoxes(item("\251nam", "Old")));
  };
  brenvo_test::TempDir dir;
  const std::string path = dir.write("f.m4a", ftyp + moov(ftyp.size() + moov(0).size() + 8) + box("mdat", chunkA));
  const Saved s = save(path, [](brenvo_taglib::MP4File &f) { f.tag()->setCover(cover); });
  ASSERT_TRUE(s.ok);
  const std::size_t first = s.bytes.find("stco"), second = s.bytes.find("stco", first + 4);
  EXPECT_EQ(s.bytes.substr(be(s.bytes, first + 12, 4), 6), "CHUNK-");
  EXPECT_EQ(be(s.bytes, second + 12, 4), 1234u);
}

TEST(Mp4Save, InPlaceWritesOnlyTheItemListAndItsFreeSpace)
{
  Layout l;
  l.udta = box("udta", fullBox("meta", 0, 0, hdlr("mdir") + box("ilst", item("\251nam", "Old")) + box("free", std::string(300, '\0'))));
  brenvo_test::TempDir dir;
  const std::string before = build(l);
  const std::string path = dir.write("f.m4a", before);
  const Saved s = save(path, [](brenvo_taglib::MP4File &f) { f.tag()->setArtist("Someone Else"); });
  ASSERT_TRUE(s.ok);
  const std::size_t list = before.find("ilst") - 4;
  EXPECT_EQ(s.written, be(before, list, 4) + 308);
  ASSERT_EQ(s.bytes.size(), before.size());
  EXPECT_EQ(s.bytes.substr(0, list), before.substr(0, list));
  brenvo_taglib::MP4File f(path.c_str());
  EXPECT_EQ(f.tag()->title(), "Old");
  EXPECT_EQ(f.tag()->artist(), "Someone Else");
}

TEST(Mp4Save, AGibibyteFileWithTheMovieBoxLastWritesAboutTheMovieBox)
{
  brenvo_test::TempDir dir;
  const std::uint64_t media = 1ULL << 30;
  const std::string ftyp = box("ftyp", std::string("M4A \0\0\0\0isom", 12));
  const std::string path = dir.write("big.m4a", ftyp + ByteBuilder().be32(static_cast<std::uint32_t>(media + 8)).text("mdat").str());
  std::filesystem::resize_file(path, ftyp.size() + 8 + media);  // sparse
  const std::string moov = box("moov", mvhd(1000, 2000) + trackWithChunks("soun", false, {ftyp.size() + 8}) +
                                         tagBoxes(item("\251nam", "Old")));
  {
    std::FILE *out = std::fopen(path.c_str(), "ab");
    std::fwrite(moov.data(), 1, moov.size(), out);
    std::fclose(out);
  }
  CountingStream stream(path.c_str());
  brenvo_taglib::MP4File f(&stream);
  f.tag()->setCover(cover);
  ASSERT_TRUE(f.save());
  EXPECT_LT(stream.written, moov.size() + cover.size() + 4096 + 200);
  EXPECT_EQ(brenvo_taglib::MP4File(path.c_str()).tag()->cover(), cover);
}

TEST(Mp4Save, RefusesWhatItCannotRewriteAndLeavesTheFile)
{
  const std::string good = build(Layout());
  const std::size_t moov = good.find("moov") - 4;
  const std::size_t table = good.find("stco") - 4;
  const std::size_t list = good.find("ilst") - 4;
  std::string itemOverrun = good, countOverrun = good, intoMovie = good;
  itemOverrun[list + 8 + 3] = '\x7F';                  // the first item claims more than the list holds
  countOverrun[table + 15] = '\x40';                   // more offsets than the table holds
  intoMovie.replace(table + 16, 4, std::string("\0\0\0\x40", 4));  // an offset into the movie box
  const struct { const char *name; std::string bytes; } cases[] = {
    {"fragmented", good + box("moof", box("mfhd", std::string(8, '\0')))},
    {"bytes after the last box", good + "xyz"},
    {"truncated media", good.substr(0, good.size() - 10)},
    {"two movie boxes", good + good.substr(moov, good.find("mdat") - 4 - moov)},
    {"item overruns its list", itemOverrun},
    {"offset count overruns its table", countOverrun},
    {"chunk offset into the movie box", intoMovie},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.name);
    brenvo_test::TempDir dir;
    const std::string path = dir.write("f.m4a", c.bytes);
    const Saved s = save(path, [](brenvo_taglib::MP4File &f) { f.tag()->setTitle("New"); });
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.bytes, c.bytes);
  }

  // A read-only stream: nothing written.
  brenvo_test::TempDir dir;
  const std::string path = dir.write("f.m4a", good);
  {
    TagLib::FileStream stream(path.c_str(), true);
    brenvo_taglib::MP4File f(&stream);
    f.tag()->setTitle("New");
    EXPECT_FALSE(f.save());
  }
  EXPECT_EQ(readFile(path), good);
}

} // namespace
