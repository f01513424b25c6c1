// WAVE files: properties from the format and data chunks; the ID3v2 and INFO
// tags read as TagLib reads them, refused where the chunk list does not add
// up, and saved with every other chunk kept byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <attachedpictureframe.h>
#include <id3v2tag.h>
#include <infotag.h>
#include <tfilestream.h>
#include <wavfile.h>

#include "bytebuilder.h"
#include "testfiles.h"
#include "tresolvers.h"
#include "wav/wavfile.h"

using namespace brenvo_test;

namespace {

// A 16-byte PCM format chunk; the byte rate follows from the other fields unless given.
ByteBuilder fmt(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, long byteRate = -1)
{
  const auto align = static_cast<std::uint16_t>(channels * bits / 8);
  return ByteBuilder().text("fmt ").le32(16).le16(1).le16(channels).le32(rate)
      .le32(byteRate < 0 ? rate * align : static_cast<std::uint32_t>(byteRate)).le16(align).le16(bits);
}

//! A data chunk claiming \a claimed bytes, followed by \a present bytes.
ByteBuilder data(std::uint32_t claimed, std::size_t present)
{
  return ByteBuilder().text("data").le32(claimed).fill(present, 0x80);
}

//! A chunk with its pad byte.
ByteBuilder chunk(const std::string &id, const std::string &body)
{
  ByteBuilder b = ByteBuilder().text(id).le32(static_cast<std::uint32_t>(body.size())).text(body);
  return body.size() % 2 ? b.u8(0) : b;
}

//! A RIFF WAVE file of \a chunks whose RIFF size is off by \a sizeError.
std::string wav(std::initializer_list<ByteBuilder> chunks, long sizeError = 0)
{
  ByteBuilder b;
  b.text("RIFF").le32(0).text("WAVE");
  for(const ByteBuilder &c : chunks)
    b.append(c);
  return b.patch(4, static_cast<std::uint64_t>(static_cast<long>(b.size()) - 8 + sizeError), 4, false).str();
}

//! Each chunk's id and bytes, pad included, without the tag chunks unless \a tags;
//! "?" for bytes that are no whole chunk.
std::vector<std::pair<std::string, std::string>> chunksOf(const std::string &file, bool tags = true)
{
  std::vector<std::pair<std::string, std::string>> chunks;
  std::size_t at = 12;
  for(std::size_t next; at + 8 <= file.size(); at = next) {
    const auto *p = reinterpret_cast<const unsigned char *>(file.data() + at + 4);
    const std::size_t size = p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::size_t>(p[3]) << 24;
    next = at + 8 + size + size % 2;
    const std::string id = file.substr(at, 4);
    if(tags || (id != "id3 " && id != "ID3 " && file.compare(at + 8, 4, "INFO") != 0))
      chunks.emplace_back(id, file.substr(at, next - at));
  }
  if(at != file.size())
    chunks.emplace_back("?", "");
  return chunks;
}

std::string seven(const TagLib::Tag &t)
{
  return (t.title() + "|" + t.artist() + "|" + t.album() + "|" + t.comment() + "|" + t.genre() + "|" +
          TagLib::String::number(static_cast<int>(t.year())) + "|" + TagLib::String::number(static_cast<int>(t.track())))
      .to8Bit(true);
}

std::string fields(const TagLib::Map<TagLib::ByteVector, TagLib::String> &map)
{
  std::string text;
  for(const auto &field : map)
    text += std::string(field.first.data(), field.first.size()) + "=" + field.second.to8Bit(true) + "\n";
  return text;
}

std::string infoList(std::initializer_list<std::pair<const char *, std::string>> fields)
{
  ByteBuilder b = ByteBuilder().text("INFO");
  for(const auto &f : fields)
    b.append(chunk(f.first, f.second));
  return b.str();
}

std::string id3v2Body(const char *title)
{
  TagLib::ID3v2::Tag tag;
  tag.setTitle(title);
  const TagLib::ByteVector v = tag.render();
  return std::string(v.data(), v.size());
}

//! What \a command writes to standard output.
std::string run(const TempDir &dir, const std::string &command)
{
  const std::string out = dir.path() + "/out";
  return std::system((command + " >" + out).c_str()) == 0 ? readFile(out) : "failed: " + command;
}

//! Length, bit rate, sample rate and channels.
using Values = std::array<int, 4>;

Values values(const TagLib::AudioProperties &p)
{
  return {p.length(), p.bitrate(), p.sampleRate(), p.channels()};
}

} // namespace

TEST(Wav, ChunkLayoutsAndTheirValues)
{
  TempDir dir;
  const std::string fiveSeconds = wav({fmt(1, 8000, 8), data(5 * 8000, 5 * 8000)});
  // 24-bit and multichannel files have a 40-byte format chunk.
  const ByteBuilder extensible = ByteBuilder().text("fmt ").le32(40).le16(0xFFFE).le16(6).le32(48000).le32(48000 * 18)
      .le16(18).le16(24).le16(22).le16(24).le32(0x3F).fill(16, 0x11);
  const struct
  {
    const char *what;
    std::string bytes;
    Values values;
    const char *message;
  } rows[] = {
    // Expected values of the samples from ffprobe (see tests/data/wav/make.sh).
    {"wav/canonical.wav", readFile(dataPath("wav/canonical.wav")), {2, 64, 8000, 1}, ""},
    {"wav/list.wav", readFile(dataPath("wav/list.wav")), {1, 64, 8000, 1}, ""},
    {"wav/s24.wav", readFile(dataPath("wav/s24.wav")), {1, 96, 2000, 2}, ""},
    {"wav/surround.wav", readFile(dataPath("wav/surround.wav")), {1, 192, 2000, 6}, ""},
    {"a byte short of ten seconds", wav({fmt(2, 44100, 16), data(10 * 176400 - 1, 10 * 176400 - 1)}),
     {9, 1411, 44100, 2}, ""},
    {"chunks between, one of odd size with its pad byte",
     wav({ByteBuilder().text("JUNK").le32(5).text("junk!").u8(0), fmt(1, 8000, 8),
          ByteBuilder().text("LIST").le32(12).text("INFOISFT").le32(0), data(24000, 24000)}), {3, 64, 8000, 1}, ""},
    {"data before format", wav({data(16000, 16000), fmt(1, 8000, 8)}), {2, 64, 8000, 1}, ""},
    {"extensible format", wav({extensible, data(48000 * 36, 48000 * 36)}), {2, 6912, 48000, 6}, ""},
    {"only the first format and data count", wav({fmt(1, 8000, 8), data(8000, 8000), fmt(2, 44100, 16), data(4, 4)}),
     {1, 64, 8000, 1}, ""},
    {"data cut short", fiveSeconds.substr(0, 44 + 2 * 8000 + 10), {2, 64, 8000, 1}, ""},
    {"data size never filled in", wav({fmt(1, 8000, 8), data(0xFFFFFFFFu, 3 * 8000)}), {3, 64, 8000, 1}, ""},
    // 0x20000000 * 8 wraps to 0.
    {"bit rate in 32 bits", wav({fmt(2, 44100, 16, 0x20000000), data(100, 100)}), {0, 0, 44100, 2}, ""},
    {"zero byte rate", wav({fmt(2, 44100, 16, 0), data(1000, 1000)}), {0, 0, 44100, 2},
     "Error in parsing WavHeader - num_avg_bytes_per_sec should not be 0 - file is corrupted!\n"},
    {"no data chunk", wav({fmt(2, 44100, 16), ByteBuilder().text("LIST").le32(1000).fill(1000)}), {0, 0, 0, 0}, ""},
    {"no format chunk", wav({data(1000, 1000)}), {0, 0, 0, 0}, ""},
    {"format chunk too short for the fields",
     wav({ByteBuilder().text("fmt ").le32(10).le16(1).le16(2).le32(44100).le16(0), data(1000, 1000)}), {0, 0, 0, 0}, ""},
    {"chunk size past the end hides what follows",
     wav({ByteBuilder().text("JUNK").le32(0xFFFFFFF0u).fill(8), fmt(2, 44100, 16), data(16, 16)}), {0, 0, 0, 0}, ""},
    {"file ends inside the format chunk", fiveSeconds.substr(0, 30), {0, 0, 0, 0}, ""},
  };
  for(const auto &row : rows) {
    SCOPED_TRACE(row.what);
    StderrCapture capture;
    TagLib::Wav::File file(dir.write("sound.wav", row.bytes).c_str());
    ASSERT_NE(file.audioProperties(), nullptr);
    EXPECT_EQ(values(*file.audioProperties()), row.values);
    EXPECT_EQ(capture.text(), row.message);
  }
}

TEST(Wav, UnreadPropertiesAndAMissingFile)
{
  TempDir dir;
  TagLib::Wav::File file(dir.write("keep.wav", wav({fmt(1, 8000, 8), data(8000, 8000)})).c_str(), false);
  EXPECT_EQ(values(*file.audioProperties()), (Values{0, 0, 0, 0}));
  TagLib::Wav::File missing((dir.path() + "/missing.wav").c_str());
  EXPECT_EQ(missing.audioProperties(), nullptr);
  ASSERT_NE(missing.tag(), nullptr);
  EXPECT_TRUE(missing.tag()->isEmpty());
  EXPECT_FALSE(missing.save());
  // The resolver makes a file object only for a file that opens.
  EXPECT_EQ(TagLib::WavFileTypeResolver().createFile((dir.path() + "/missing.wav").c_str(), true,
                                                     TagLib::AudioProperties::Average), nullptr);
}

// Our property map without the INFO fields TagLib does not show (it shows
// only the common ones).
TagLib::PropertyMap shownByTaglib(const TagLib::Wav::File &ours, const TagLib::PropertyMap &theirs)
{
  TagLib::PropertyMap shown = ours.properties();
  for(const auto &field : ours.InfoTag()->otherProperties()) {
    if(!theirs.contains(field.first))
      shown.erase(field.first);
  }
  return shown;
}

TEST(WavTags, SamplesReadAsTaglibReadsThem)
{
  // make.sh: INFO from ffmpeg, ID3v2 (with a picture) from mutagen, and both.
  for(const char *name : {"canonical.wav", "list.wav", "info.wav", "id3.wav", "both.wav", "s24.wav"}) {
    SCOPED_TRACE(name);
    const std::string path = dataPath(std::string("wav/") + name);
    const TagLib::Wav::File ours(path.c_str());
    const TagLib::RIFF::WAV::File theirs(path.c_str());
    EXPECT_TRUE(shownByTaglib(ours, theirs.properties()) == theirs.properties()) << ours.properties().toString().to8Bit(true);
    EXPECT_EQ(ours.hasID3v2Tag(), theirs.hasID3v2Tag());
    EXPECT_EQ(ours.hasInfoTag(), theirs.hasInfoTag());
    EXPECT_EQ(seven(*ours.ID3v2Tag()), seven(*theirs.ID3v2Tag()));
    EXPECT_EQ(seven(*ours.InfoTag()), seven(*theirs.InfoTag()));
    EXPECT_EQ(fields(ours.InfoTag()->fieldListMap()), fields(theirs.InfoTag()->fieldListMap()));
    const TagLib::Tag *first = theirs.ID3v2Tag()->isEmpty() ? static_cast<TagLib::Tag *>(theirs.InfoTag()) : theirs.ID3v2Tag();
    EXPECT_EQ(ours.tag()->title().to8Bit(true), first->title().to8Bit(true));
    EXPECT_EQ(ours.pictures().size(), theirs.ID3v2Tag()->frameListMap()["APIC"].size());
  }
  const TagLib::Wav::File both(dataPath("wav/both.wav").c_str());
  EXPECT_EQ(seven(*both.tag()), "ID3 T\xC3\xADtle \xE2\x98\x83|ID3 artist||||2010|0");
  EXPECT_EQ(seven(*both.InfoTag()), "INFO title|INFO artist||||1999|0");
  ASSERT_EQ(both.pictures().size(), 1u);
  EXPECT_EQ(both.pictures().front().mimeType(), "image/png");
}

TEST(WavTags, HostileChunkListsAreReadSafelyOrRefused)
{
  const ByteBuilder format = fmt(1, 8000, 8);
  const std::string named = infoList({{"INAM", "Named"}});
  const struct
  {
    const char *what;
    std::string bytes;
    const char *title;
    bool saves;
  } rows[] = {
    {"sound", wav({format, chunk("LIST", named), data(5, 5).u8(0)}), "Named", true},
    {"only the RIFF header", wav({}), "", true},
    {"RF64", "RF64" + wav({format, chunk("LIST", named), data(4, 4)}).substr(4), "", false},
    {"another form", wav({format, chunk("LIST", named)}).replace(8, 4, "AVI "), "", false},
    {"RIFF size one short", wav({format, chunk("LIST", named), data(4, 4)}, -1), "Named", false},
    {"RIFF size one long", wav({format, chunk("LIST", named), data(4, 4)}, 1), "Named", false},
    {"data runs past the end", wav({format, chunk("LIST", named), data(400, 4)}), "Named", false},
    {"a stray byte behind the last chunk", wav({format, chunk("LIST", named), ByteBuilder().u8(0)}), "Named", false},
    {"INFO list runs past the end", wav({format, ByteBuilder().text("LIST").le32(900).text(named)}), "", false},
    {"a field runs past its list", wav({format, chunk("LIST", named + "IART" + std::string(4, '\xFF') + "x")}),
     "Named", true},
    {"field size 0", wav({format, chunk("LIST", infoList({{"INAM", ""}, {"IART", "A"}}))}), "", true},
    {"text to the first zero byte", wav({format, chunk("LIST", infoList({{"INAM", std::string("ab\0cd", 5)}}))}),
     "ab", true},
    {"Latin-1 text", wav({format, chunk("LIST", infoList({{"INAM", "Caf\xE9"}}))}), "Caf\xC3\xA9", true},
    {"LIST of another type", wav({format, chunk("LIST", "adtl" + named.substr(4))}), "", true},
    {"ID3v2 tag larger than its chunk", wav({format, chunk("id3 ", id3v2Body("Big").substr(0, 12))}), "", true},
    {"ID3v2 tag in an ID3 chunk", wav({format, chunk("ID3 ", id3v2Body("Upper"))}), "Upper", true},
    {"last odd chunk without its pad byte", wav({format, chunk("LIST", named), data(3, 3)}), "Named", true},
    {"chunk header cut short", wav({format}).substr(0, 30), "", false},
  };
  TempDir dir;
  for(const auto &row : rows) {
    SCOPED_TRACE(row.what);
    const std::string &bytes = row.bytes;
    const std::string path = dir.write("f.wav", bytes);
    bool saved = false;
    {
      TagLib::Wav::File file(path.c_str());
      EXPECT_EQ(file.tag()->title().to8Bit(true), row.title);
      file.tag()->setTitle("Saved");
      saved = file.save();
      EXPECT_EQ(saved, row.saves);
    }
    const std::string after = readFile(path);
    if(!saved) {
      EXPECT_TRUE(after == bytes);
      continue;
    }
    EXPECT_NE(chunksOf(after).back().first, "?");
    EXPECT_TRUE(chunksOf(after, false) == chunksOf(bytes + std::string(bytes.size() % 2, '\0'), false));
    EXPECT_EQ(TagLib::Wav::File(path.c_str()).tag()->title(), "Saved");
    EXPECT_EQ(TagLib::RIFF::WAV::File(path.c_str()).tag()->title(), "Saved");
  }
  // A read-only stream is refused too.
  const std::string path = dir.write("f.wav", rows[0].bytes);
  TagLib::FileStream readOnly(path.c_str(), true);
  TagLib::Wav::File file(&readOnly);
  file.tag()->setTitle("Saved");
  EXPECT_FALSE(file.save());
  EXPECT_FALSE(file.strip());
  EXPECT_TRUE(readFile(path) == rows[0].bytes);
}

TEST(WavTags, SavesKeepEveryOtherChunkAndItsPadByte)
{
  TempDir dir;
  const std::string original = wav({fmt(1, 8000, 8), chunk("JUNK", "junk!"),
                                    chunk("LIST", infoList({{"INAM", "Old"}, {"ISFT", "encoder"}, {"ITRK", "4/9"}})),
                                    chunk("cue ", "cue"), data(7, 7).u8(0), chunk("id3 ", id3v2Body("Old ID3"))});
  const std::string path = dir.write("f.wav", original);
  const TagLib::String snow("Snow \xE2\x98\x83", TagLib::String::UTF8);
  {
    TagLib::Wav::File file(path.c_str());
    EXPECT_EQ(seven(*file.tag()), "Old ID3|||||0|4");
    file.tag()->setTitle(snow);
    file.tag()->setArtist(TagLib::String("Caf\xC3\xA9", TagLib::String::UTF8));
    file.tag()->setYear(2024);
    file.tag()->setTrack(5);
    ASSERT_TRUE(file.save());
  }
  const std::string saved = readFile(path);
  EXPECT_TRUE(chunksOf(saved, false) == chunksOf(original, false));
  EXPECT_EQ(saved.substr(4, 4), ByteBuilder().le32(static_cast<std::uint32_t>(saved.size() - 8)).str());
  EXPECT_NE(chunksOf(saved).back().first, "?");
  {
    TagLib::Wav::File file(path.c_str());
    EXPECT_EQ(seven(*file.ID3v2Tag()), "Snow \xE2\x98\x83|Caf\xC3\xA9||||2024|5");
    EXPECT_EQ(seven(*file.InfoTag()), seven(*file.ID3v2Tag()));
    // The fields of no common field stay; ITRK follows the track; INFO text is UTF-8.
    EXPECT_EQ(fields(file.InfoTag()->fieldListMap()),
              "IART=Caf\xC3\xA9\nICRD=2024\nINAM=Snow \xE2\x98\x83\nIPRT=5\nISFT=encoder\nITRK=5\n");
    EXPECT_NE(saved.find(std::string("IART\x06\0\0\0Caf\xC3\xA9", 13)), std::string::npos);
    const TagLib::RIFF::WAV::File theirs(path.c_str());
    EXPECT_EQ(theirs.tag()->title(), snow);
    EXPECT_EQ(theirs.InfoTag()->title(), snow);
    EXPECT_TRUE(file.strip(TagLib::Wav::File::ID3v2));
    EXPECT_FALSE(file.hasID3v2Tag());
    EXPECT_EQ(file.tag()->title(), snow);
  }
  EXPECT_EQ(chunksOf(readFile(path)).size(), chunksOf(original, false).size() + 1);
  {
    TagLib::Wav::File file(path.c_str());
    EXPECT_TRUE(file.hasInfoTag());
    EXPECT_FALSE(file.hasID3v2Tag());
    EXPECT_TRUE(file.strip());
    EXPECT_TRUE(file.tag()->isEmpty());
  }
  std::string bare = original.substr(0, 12);
  for(const auto &c : chunksOf(original, false))
    bare += c.second;
  bare.replace(4, 4, ByteBuilder().le32(static_cast<std::uint32_t>(bare.size() - 8)).str());
  EXPECT_TRUE(readFile(path) == bare);
}

// Saved samples read back here, in TagLib alone, in mutagen and in ffprobe,
// and decode to the same audio.
TEST(WavTags, SavedSamplesReadBackEverywhere)
{
  const bool mutagen = std::system("/usr/bin/python3 -c 'import mutagen.wave' 2>/dev/null") == 0;
  const bool ffmpeg = haveProgram("ffmpeg") && haveProgram("ffprobe");
  const TagLib::String title("Snow \xE2\x98\x83", TagLib::String::UTF8);
  const TagLib::String artist("\xD0\xAE\xD1\x82\xD1\x82\xD0\xB0", TagLib::String::UTF8);
  for(const char *name : {"canonical.wav", "list.wav", "info.wav", "id3.wav", "both.wav"}) {
    SCOPED_TRACE(name);
    TempDir dir;
    const std::string path = dir.copy(dataPath(std::string("wav/") + name), "f.wav");
    const std::string before = readFile(path);
    const std::string audio = ffmpeg ? run(dir, "ffmpeg -v error -i " + path + " -map 0:a -f md5 -") : "";
    {
      TagLib::Wav::File file(path.c_str());
      file.tag()->setTitle(title);
      file.tag()->setArtist(artist);
      file.tag()->setYear(2024);
      ASSERT_TRUE(file.save());
    }
    const std::string after = readFile(path);
    EXPECT_TRUE(chunksOf(after, false) == chunksOf(before, false));
    const std::string expected = (title + "|" + artist + "|2024").to8Bit(true);
    const auto three = [](const TagLib::Tag *t) {
      return (t->title() + "|" + t->artist() + "|" + TagLib::String::number(static_cast<int>(t->year()))).to8Bit(true);
    };
    const TagLib::Wav::File ours(path.c_str());
    const TagLib::RIFF::WAV::File theirs(path.c_str());
    EXPECT_TRUE(theirs.properties() == shownByTaglib(ours, theirs.properties()));
    EXPECT_EQ(three(ours.tag()), expected);
    EXPECT_EQ(three(theirs.ID3v2Tag()), expected);
    EXPECT_EQ(three(theirs.InfoTag()), expected);
    if(mutagen) {
      EXPECT_EQ(run(dir, "/usr/bin/python3 -c 'import sys; from mutagen.wave import WAVE; t = WAVE(sys.argv[1]).tags; "
                    "sys.stdout.buffer.write(\"|\".join(str(t[k]) for k in (\"TIT2\", \"TPE1\", \"TDRC\")).encode())' " + path),
                expected);
    }
    if(ffmpeg) {
      const std::string tags = run(dir, "ffprobe -v error -show_entries format_tags=title,artist,date -of default=nw=1 " + path);
      for(const std::string &line : {"TAG:title=" + title.to8Bit(true), "TAG:artist=" + artist.to8Bit(true), std::string("TAG:date=2024")})
        EXPECT_NE(tags.find(line + "\n"), std::string::npos) << tags;
      EXPECT_EQ(run(dir, "ffmpeg -v error -i " + path + " -map 0:a -f md5 -"), audio);
    }
  }
  if(!mutagen || !ffmpeg)
    GTEST_SKIP() << "mutagen, ffmpeg or ffprobe is missing: the saved files were read here and by TagLib only";
}

TEST(WavTags, OtherInfoFieldsAreProperties)
{
  TempDir dir;
  const std::string path = dir.write(
    "f.wav", wav({fmt(1, 8000, 8), chunk("LIST", infoList({{"INAM", "T"}, {"ISFT", "encoder"}, {"IXYZ", "own"}})), data(7, 7)}));
  {
    TagLib::Wav::File file(path.c_str());
    TagLib::PropertyMap map = file.properties();
    EXPECT_EQ(map["ENCODING"], TagLib::StringList("encoder"));
    EXPECT_EQ(map["IXYZ"], TagLib::StringList("own"));
    map.erase("ENCODING");
    map.insert("COPYRIGHT", TagLib::StringList("Someone"));
    map.insert("IKEY", TagLib::StringList("k1"));
    EXPECT_TRUE(file.setProperties(map).isEmpty());
    ASSERT_TRUE(file.save());
  }
  const TagLib::Wav::File file(path.c_str());
  EXPECT_EQ(fields(file.InfoTag()->fieldListMap()), "ICOP=Someone\nIKEY=k1\nINAM=T\nIXYZ=own\n");
  EXPECT_EQ(file.properties()["COPYRIGHT"], TagLib::StringList("Someone"));
}
