// Speex: built and real streams read and saved; other Ogg streams and unwritable files left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <sys/stat.h>

#include <speexfile.h>

#include "bytebuilder.h"
#include "faultystream.h"
#include "speex/speexfile.h"
#include "testfiles.h"

using namespace brenvo_test;
using SpeexFile = TagLib::Speex::File;

namespace {

// The header packet: size 80, mode 0 (bitstream 4), 160 samples a frame, no VBR, one frame a packet.
std::string header(int rate = 8000, int channels = 1, int bitrate = -1, int version = 1)
{
  return ByteBuilder().text("Speex   1.2.1").fill(15).le32(version).le32(80).le32(rate).le32(0).le32(4)
    .le32(channels).le32(bitrate).le32(160).le32(0).le32(1).fill(12).str();
}

// A comment as Speex writes it, without a framing bit.
const std::string tags = ByteBuilder().le32(5).text("Built").le32(2).le32(17).text("TITLE=Built title")
                           .le32(19).text("ARTIST=Built artist").str();

// One Ogg page of whole packets; flags 2: first page, 4: last page.
std::string page(const std::vector<std::string> &packets, std::int64_t granule, std::uint32_t sequence,
                 std::uint8_t flags = 0)
{
  ByteBuilder b; // the checksum stays 0: the Ogg layer does not check it, and a save writes its own
  b.text("OggS").u8(0).u8(flags).le64(granule).le32(0x5EED).le32(sequence).le32(0).u8(packets.size());
  for(const std::string &packet : packets)  // each under 255 bytes: one lacing value
    b.u8(packet.size());
  for(const std::string &packet : packets)
    b.text(packet);
  return b.str();
}

// Header page, comment page, and a last page of two audio packets ending at granule \a last.
std::string stream(const std::string &head = header(), std::int64_t last = 16000, std::int64_t first = 0)
{
  return page({head}, first, 0, 2) + page({tags}, 0, 1) + page({std::string(38, 'a'), "audio"}, last, 2, 4);
}

// Counts the writes that reach the file after its failed operation.
struct LateWrites : FaultyStream
{
  using FaultyStream::FaultyStream;
  void writeBlock(const TagLib::ByteVector &d) override { late += struck(); FaultyStream::writeBlock(d); }
  void insert(const TagLib::ByteVector &d, unsigned long a, unsigned long n) override { late += struck(); FaultyStream::insert(d, a, n); }
  void removeBlock(unsigned long a, unsigned long n) override { late += struck(); FaultyStream::removeBlock(a, n); }
  int late = 0;
};

} // namespace

TEST(SpeexProperties, FromTheHeaderAndTheGranulePositions)
{
  // Expected: version, rate, channels, kbit/s, seconds.
  const struct { const char *name; std::string bytes; std::vector<int> expected; } cases[] = {
    {"fields little-endian", stream(header(32000, 2, 42200, 0x01020304), 96000), {0x01020304, 32000, 2, 42, 3}},
    {"bit rate rounded up", stream(header(8000, 1, 24500)), {1, 8000, 1, 25, 2}},
    {"bit rate rounded down", stream(header(8000, 1, 24499)), {1, 8000, 1, 24, 2}},
    {"length rounded down", stream(header(), 79999), {1, 8000, 1, 0, 9}},
    {"length from the first granule on", stream(header(), 88000, 8000), {1, 8000, 1, 0, 10}},
    {"negative first granule", stream(header(), 16000, -8000), {1, 8000, 1, 0, 0}},
    {"last granule before the first", stream(header(), 8000, 80000), {1, 8000, 1, 0, 0}},
    {"rate 0", stream(header(0)), {1, 0, 1, 0, 0}},
    {"header cut after the rate", stream(header().substr(0, 46)), {1, 8000, 0, 1, 2}},  // the stream's rate
    {"identification only", stream("Speex   "), {0, 0, 0, 0, 0}},
  };
  TempDir dir;
  for(const auto &c : cases) {
    SCOPED_TRACE(c.name);
    SpeexFile file(dir.write("p.spx", c.bytes).c_str());
    const TagLib::Speex::Properties *p = file.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ((std::vector<int>{p->speexVersion(), p->sampleRate(), p->channels(), p->bitrate(), p->length()}),
              c.expected);
  }
  EXPECT_EQ(SpeexFile(dir.write("n.spx", stream()).c_str(), false).audioProperties(), nullptr);
}

TEST(SpeexRealFiles, ReadSavedAndReadBackWithTheSameAudio)
{
  // Values checked with ffprobe, mutagen and the header bytes.
  // speexenc writes no bit rate: the stream's, as TagLib measures it.
  const struct { const char *name, *title, *author; int sampleRate, channels, length, kbps; } files[] = {
    {"narrowband.spx", "Narrow Title", "Narrow Author", 8000, 1, 2, 16},
    {"wideband.spx", "Wide Title", "Wide Author", 16000, 1, 2, 29},
    {"vbr-stereo.spx", "Variable", "VBR Author", 16000, 2, 1, 21},
    {"untagged.spx", "", "", 8000, 1, 2, 7},
  };
  // The decoded samples, or nothing without speexdec.
  const auto decode = [](const std::string &path) {
    const std::string command = "speexdec '" + path + "' '" + path + ".raw' 2>/dev/null";
    return haveProgram("speexdec") && std::system(command.c_str()) == 0 ? readFile(path + ".raw") : std::string();
  };
  TempDir dir;
  for(const auto &real : files) {
    SCOPED_TRACE(real.name);
    const std::string path = dir.copy(dataPath(std::string("speex/") + real.name), real.name);
    const std::string before = decode(path);
    for(bool saved : {false, true}) {
      SpeexFile file(path.c_str());
      EXPECT_EQ(file.tag()->title(), saved ? "Saved title" : real.title);
      // speexenc writes its author as AUTHOR, which is not the tag's artist.
      EXPECT_EQ(file.tag()->artist(), "");
      EXPECT_EQ(file.tag()->fieldListMap()["AUTHOR"].toString(), real.author);
      const TagLib::Speex::Properties *p = file.audioProperties();
      EXPECT_EQ((std::vector<int>{p->sampleRate(), p->channels(), p->length(), p->speexVersion(), p->bitrate()}),
                (std::vector<int>{real.sampleRate, real.channels, real.length, 1, real.kbps}));  // bit rate -1: unknown
      file.tag()->setTitle("Saved title");
      file.tag()->addField("DESCRIPTION", TagLib::String(std::string(5000, 'd')));
      ASSERT_TRUE(saved || file.save());
    }
    EXPECT_EQ(decode(path), before);
  }
}

TEST(SpeexSave, BuiltStreamsAreSavedOrLeftAloneAsAreReadOnlyFiles)
{
  const struct { const char *name; std::string bytes; bool valid, saves; } cases[] = {
    {"three pages", stream(), true, true},
    // The Ogg layer answers the first request for a packet of the last page with nothing.
    {"comment on the last page", page({header()}, 0, 0, 2) + page({tags}, 0, 1, 4), true, true},
    // The Ogg layer cannot add a packet for the comment.
    {"no comment packet", page({header()}, 0, 0, 6), true, false},
    {"Vorbis", page({"\x01vorbis"}, 0, 0, 2) + page({tags + "\x01"}, 0, 1, 4), false, false},
    {"Speex without its three spaces", stream("Speex" + header().substr(8)), false, false},
  };
  TempDir dir;
  for(const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.write("x.spx", c.bytes);
    {
      SpeexFile file(path.c_str());
      ASSERT_EQ((std::vector<bool>{file.isValid(), file.tag() != nullptr, file.audioProperties() != nullptr}),
                std::vector<bool>(3, c.valid));
      if(file.tag())
        file.tag()->setTitle("Saved");
      EXPECT_EQ(file.save(), c.saves);
    }
    EXPECT_TRUE(c.saves || readFile(path) == c.bytes);
    if(!c.saves)
      continue;
    SpeexFile file(path.c_str());
    EXPECT_EQ(file.tag()->title(), "Saved");
    EXPECT_EQ(file.tag()->artist(), "Built artist");
    // Six bytes off the title, a framing bit after the comment: no packet lost or added.
    EXPECT_EQ(readFile(path).size(), c.bytes.size() - 5);
  }

  const std::string path = dir.write("read-only.spx", stream());
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  runAsUnprivileged(dir, [&] {
    SpeexFile file(path.c_str());
    ASSERT_TRUE(file.readOnly());
    file.tag()->setTitle("Changed");
    EXPECT_FALSE(file.save());
  });
  EXPECT_EQ(readFile(path), stream());
}

TEST(SpeexSave, AFailedOperationFailsTheReadOrTheSaveAndNothingIsWrittenAfterIt)
{
  TempDir dir;
  // A comment over many pages, so that the pages behind it are renumbered too.
  const TagLib::String big(std::string(200000, 'x'));
  long total = 0;
  for(long n = -1; n < total; ++n) {
    SCOPED_TRACE(n);
    const std::string path = dir.write("f.spx", stream());
    LateWrites faulty(path.c_str(), n);
    SpeexFile file(&faulty);
    if(faulty.struck()) {
      EXPECT_FALSE(file.isValid() || file.tag() || file.audioProperties());
      continue;
    }
    file.tag()->setComment(big);
    EXPECT_EQ(file.save(), n < 0);
    EXPECT_EQ(faulty.late, 0);
    if(n >= 0)
      continue;
    total = faulty.operations();
    EXPECT_EQ(SpeexFile(path.c_str()).tag()->comment(), big);
  }
  EXPECT_GT(total, 10);
}

TEST(SpeexBitrate, FromTheHeaderElseFromTheStream)
{
  // The expected rate is TagLib 1.13's, measured over the stream.
  const struct { const char *what; std::int32_t headerBitrate; std::int64_t lastGranule; } rows[] = {
    {"unknown (-1)", -1, 16000}, {"none (0)", 0, 16000}, {"a short duration", -1, 800}, {"no duration", -1, 0}};
  TempDir dir;
  for(const auto &r : rows) {
    SCOPED_TRACE(r.what);
    const std::string path = dir.write("built.spx", stream(header(8000, 1, r.headerBitrate), r.lastGranule));
    const int expected = TagLib::Ogg::Speex::File(path.c_str()).audioProperties()->bitrate();
    EXPECT_EQ(expected > 0, r.lastGranule > 0);
    EXPECT_EQ(TagLib::Speex::File(path.c_str()).audioProperties()->bitrate(), expected);
  }
}

TEST(SpeexBitrate, EncoderFilesAgreeWithTheReferenceReaders)
{
  // Lengths, rates and channels as TagLib 1.13, mutagen and speexdec give them
  // (ffprobe adds the decoder's delay); speexenc writes no bit rate (-1), and
  // the bit rates are TagLib's, over the stream. The other files: SpeexRealFiles.
  const struct { const char *name; int milliseconds, sampleRate, channels, kbps; } files[] = {
    {"short-vbr.spx", 600, 8000, 1, 21}, {"long-wb-vbr.spx", 4000, 16000, 1, 8}, {"vbr-stereo.spx", 1000, 16000, 2, 21}};
  for(const auto &r : files) {
    SCOPED_TRACE(r.name);
    const TagLib::Speex::File f(dataPath(std::string("speex/") + r.name).c_str());
    const TagLib::Speex::Properties *p = f.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_NEAR(p->lengthInMilliseconds(), r.milliseconds, r.milliseconds / 100.0);
    EXPECT_EQ(std::make_pair(p->sampleRate(), p->channels()), std::make_pair(r.sampleRate, r.channels));
    EXPECT_NEAR(p->bitrate(), r.kbps, std::max(1.0, r.kbps / 50.0));
  }
}
