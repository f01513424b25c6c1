// Speex files: the header and comment of built and real streams, saves, and
// the refusals that keep other Ogg streams and unwritable files untouched.
#include <gtest/gtest.h>

#include <cstdlib>

#include <fileref.h>
#include <sys/stat.h>

#include "bytebuilder.h"
#include "faultystream.h"
#include "hostcalls.h"
#include "speex/speexfile.h"
#include "testfiles.h"

using namespace brenvo_test;
using SpeexFile = TagLib::Speex::File;

namespace {

// The 80-byte header packet: version text, header size 80, mode 0, mode
// bitstream version 4, frame size 160, no VBR, one frame per packet.
std::string header(std::int32_t rate = 8000, std::int32_t channels = 1, std::int32_t bitrate = -1,
                   std::int32_t version = 1)
{
  return ByteBuilder().text("Speex   1.2.1").fill(15).le32(version).le32(80).le32(rate).le32(0).le32(4)
    .le32(channels).le32(bitrate).le32(160).le32(0).le32(1).fill(12).str();
}

// A comment as Speex writes it, without a framing bit.
std::string comment(const std::vector<std::string> &fields = {"TITLE=Built title", "ARTIST=Built artist"})
{
  ByteBuilder b;
  b.le32(5).text("Built").le32(fields.size());
  for(const std::string &field : fields)
    b.le32(field.size()).text(field);
  return b.str();
}

// One Ogg page holding whole packets; flags 2: first page, 4: last page.
std::string page(const std::vector<std::string> &packets, std::int64_t granule, std::uint32_t sequence,
                 std::uint8_t flags = 0)
{
  std::string lacing, body;
  for(const std::string &packet : packets) {
    lacing.append(packet.size() / 255, '\xFF').push_back(static_cast<char>(packet.size() % 255));
    body += packet;
  }
  ByteBuilder b;
  b.text("OggS").u8(0).u8(flags).le64(granule).le32(0x5EED).le32(sequence).le32(0).u8(lacing.size());
  std::uint32_t crc = 0;  // CRC-32 of the page, polynomial 0x04C11DB7, not reflected
  for(unsigned char c : b.text(lacing + body).str()) {
    crc ^= static_cast<std::uint32_t>(c) << 24;
    for(int bit = 0; bit < 8; ++bit)
      crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return b.patch(22, crc, 4, false).str();
}

const std::string audio = std::string(38, 'a') + std::string(38, 'b');

// Header page, comment page, and a last page of two audio packets ending at granule \a last.
std::string stream(const std::string &head = header(), std::int64_t last = 16000, std::int64_t first = 0)
{
  return page({head}, first, 0, 2) + page({comment()}, 0, 1) + page({audio.substr(0, 38), audio.substr(38)}, last, 2, 4);
}

} // namespace

TEST(SpeexProperties, FromTheHeaderAndTheGranulePositions)
{
  const struct
  {
    const char *name;
    std::string bytes;
    std::vector<int> expected;  // version, rate, channels, kbit/s, seconds
  } cases[] = {
    {"fields little-endian", stream(header(32000, 2, 42200, 0x01020304), 96000), {0x01020304, 32000, 2, 42, 3}},
    {"bit rate rounded up", stream(header(8000, 1, 24500)), {1, 8000, 1, 25, 2}},
    {"bit rate rounded down", stream(header(8000, 1, 24499)), {1, 8000, 1, 24, 2}},
    {"length rounded down", stream(header(), 79999), {1, 8000, 1, 0, 9}},
    {"length from the first granule on", stream(header(), 84000, 4000), {1, 8000, 1, 0, 10}},
    {"no granule (-1)", stream(header(), -1), {1, 8000, 1, 0, 0}},
    {"negative first granule", stream(header(), 16000, -8000), {1, 8000, 1, 0, 0}},
    {"last granule before the first", stream(header(), 8000, 80000), {1, 8000, 1, 0, 0}},
    {"rate 0", stream(header(0)), {1, 0, 1, 0, 0}},
    {"negative rate", stream(header(-8000)), {1, -8000, 1, 0, 0}},
    {"header cut after the rate", stream(header().substr(0, 46)), {1, 8000, 0, 0, 2}},
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
  const struct
  {
    const char *name, *title, *author;
    int sampleRate, channels, length;
  } files[] = {
    {"narrowband.spx", "Narrow Title", "Narrow Author", 8000, 1, 2},
    {"wideband.spx", "Wide Title", "Wide Author", 16000, 1, 2},
    {"vbr-stereo.spx", "Variable", "VBR Author", 16000, 2, 1},
    {"untagged.spx", "", "", 8000, 1, 2},
  };
  const bool speexdec = haveProgram("speexdec");
  const auto decode = [speexdec](const std::string &path) {
    const std::string command = speexdec ? "speexdec '" + path + "' '" + path + ".raw' 2>/dev/null"
                                         : "ffmpeg -v error -y -i '" + path + "' -f s16le '" + path + ".raw'";
    return std::system(command.c_str()) == 0 ? readFile(path + ".raw") : std::string();
  };
  const bool decoder = speexdec || haveProgram("ffmpeg");
  ensurePluginsRegistered();
  TempDir dir;
  for(const auto &real : files) {
    SCOPED_TRACE(real.name);
    const std::string path = dir.copy(dataPath(std::string("speex/") + real.name), real.name);
    const std::string before = decoder ? decode(path) : std::string();
    for(bool saved : {false, true}) {
      TagLib::FileRef ref(path.c_str());
      auto *file = dynamic_cast<SpeexFile *>(ref.file());
      ASSERT_NE(file, nullptr);
      EXPECT_EQ(file->tag()->title(), saved ? "Saved title" : real.title);
      // speexenc writes its author as AUTHOR, which is not the tag's artist.
      EXPECT_EQ(file->tag()->artist(), saved ? "Saved artist" : "");
      EXPECT_EQ(file->tag()->fieldListMap()["AUTHOR"].toString(), real.author);
      EXPECT_TRUE(file->tag()->vendorID().startsWith("Encoded with Speex 1.2.1"));
      const TagLib::Speex::Properties *p = file->audioProperties();
      EXPECT_EQ((std::vector<int>{p->sampleRate(), p->channels(), p->length(), p->speexVersion(), p->bitrate()}),
                (std::vector<int>{real.sampleRate, real.channels, real.length, 1, 0}));  // bit rate -1: unknown
      file->tag()->setTitle("Saved title");
      file->tag()->setArtist("Saved artist");
      file->tag()->addField("DESCRIPTION", TagLib::String(std::string(5000, 'd')));
      ASSERT_TRUE(saved || ref.save());
    }
    if(decoder) {
      EXPECT_EQ(decode(path), before);
    }
  }
}

TEST(SpeexSave, CommentGrowsOverManyPagesAndShrinksBack)
{
  TempDir dir;
  const std::string path = dir.write("big.spx", stream());
  for(const TagLib::String &text : {TagLib::String(std::string(200000, 'x')), TagLib::String()}) {
    {
      SpeexFile file(path.c_str());
      file.tag()->setComment(text);
      file.tag()->setTitle("New title");
      ASSERT_TRUE(file.save());
    }
    SpeexFile file(path.c_str());
    EXPECT_EQ(file.tag()->comment(), text);
    EXPECT_EQ(file.tag()->title(), "New title");
    EXPECT_EQ(file.tag()->artist(), "Built artist");
    EXPECT_EQ(file.audioProperties()->length(), 2);
    const std::string after = readFile(path);
    EXPECT_EQ(after.size() > 200000, !text.isEmpty());
    EXPECT_EQ(after.substr(after.size() - audio.size()), audio);
  }
}

TEST(SpeexLayouts, HeaderAndCommentOnTheLastPageAreReadAndSaved)
{
  // The Ogg layer answers the first request for a packet of the last page with nothing.
  const std::string tags = comment({"TITLE=Last page"});
  const std::pair<std::string, std::string> cases[] = {
    {page({header(), tags, audio.substr(0, 38), audio.substr(38)}, 16000, 0, 6), audio},
    {page({header()}, 0, 0, 2) + page({tags}, 0, 1, 4), ""},
  };
  TempDir dir;
  for(const auto &c : cases) {
    const std::string path = dir.write("short.spx", c.first);
    for(const char *title : {"Last page", "Saved"}) {
      SpeexFile file(path.c_str());
      ASSERT_NE(file.tag(), nullptr);
      EXPECT_EQ(file.tag()->title(), title);
      EXPECT_EQ(file.audioProperties()->sampleRate(), 8000);
      file.tag()->setTitle("Saved");
      EXPECT_TRUE(file.save());
    }
    const std::string after = readFile(path);
    EXPECT_EQ(after.substr(after.size() - c.second.size()), c.second);
  }
}

TEST(SpeexSave, RefusedWhereItWouldDamageTheFile)
{
  const std::string vorbis = page({"\x01vorbis" + std::string(23, '\0')}, 0, 0, 2) +
                             page({comment() + "\x01"}, 0, 1) + page({audio}, 8000, 2, 4);
  const struct
  {
    const char *name;
    std::string bytes;
    bool valid;
  } cases[] = {
    {"Vorbis", vorbis, false},
    {"Speex without its three spaces", stream("Speex" + header().substr(8)), false},
    {"not Ogg", "not an ogg file at all", false},
    {"empty", "", false},
    // The Ogg layer cannot add a packet for the comment.
    {"no comment packet", page({header()}, 0, 0, 6), true},
  };
  ensurePluginsRegistered();
  TempDir dir;
  for(const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.write("x.spx", c.bytes);
    {
      SpeexFile file(path.c_str());
      EXPECT_EQ(file.isValid(), c.valid);
      EXPECT_EQ(file.audioProperties() != nullptr, c.valid);
      if(file.tag())
        file.tag()->setTitle("Nowhere to go");
      EXPECT_EQ(file.tag() != nullptr, c.valid);
      EXPECT_FALSE(file.save());
    }
    EXPECT_EQ(readFile(path), c.bytes);
    EXPECT_EQ(TagLib::FileRef(path.c_str()).isNull(), !c.valid);
  }
}

TEST(SpeexSave, ReadOnlyFileIsNotWritten)
{
  TempDir dir;
  const std::string path = dir.write("ro.spx", stream());
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  runAsUnprivileged(dir, [&] {
    SpeexFile file(path.c_str());
    ASSERT_TRUE(file.readOnly());
    ASSERT_NE(file.tag(), nullptr);
    file.tag()->setTitle("Changed");
    EXPECT_FALSE(file.save());
  });
  EXPECT_EQ(readFile(path), stream());
}

namespace {

// Counts the writes that reach the file after its failed operation.
class LateWrites : public FaultyStream
{
public:
  using FaultyStream::FaultyStream;
  void writeBlock(const TagLib::ByteVector &data) override
  {
    late += struck();
    FaultyStream::writeBlock(data);
  }
  void insert(const TagLib::ByteVector &data, unsigned long start, unsigned long replace) override
  {
    late += struck();
    FaultyStream::insert(data, start, replace);
  }
  void removeBlock(unsigned long start, unsigned long length) override
  {
    late += struck();
    FaultyStream::removeBlock(start, length);
  }
  int late = 0;
};

} // namespace

TEST(SpeexSave, AFailedOperationFailsTheReadOrTheSaveAndNothingIsWrittenAfterIt)
{
  TempDir dir;
  // A comment over many pages, so that the pages behind it are renumbered too.
  const TagLib::String big(std::string(200000, 'x'));
  long total = 0;
  for(long n = -1; n < total; ++n) {
    SCOPED_TRACE(n);
    LateWrites faulty(dir.write("f.spx", stream()).c_str(), n);
    SpeexFile file(&faulty);
    if(faulty.struck()) {
      EXPECT_FALSE(file.isValid());
      EXPECT_EQ(file.tag(), nullptr);
      EXPECT_EQ(file.audioProperties(), nullptr);
      continue;
    }
    file.tag()->setComment(big);
    EXPECT_EQ(file.save(), n < 0);
    EXPECT_EQ(faulty.late, 0);
    if(n < 0)
      total = faulty.operations();
  }
  EXPECT_GT(total, 10);
}
