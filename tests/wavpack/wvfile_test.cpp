// The WavPack file and the tags it presents, on built bytes and on
// the samples made by tests/data/wavpack/make.sh.
#include <gtest/gtest.h>

#include <apefooter.h>
#include <apetag.h>

#include "bytebuilder.h"
#include "tagpair.h"
#include "wavpack/wvfile.h"

using namespace brenvo_test;
using TagLib::WavPack::Properties;

namespace {

std::string apeTag(const char *title)
{
  TagLib::APE::Tag tag;
  tag.setTitle(title);
  return bytes(tag.render());
}

TagLib::ByteVector header(std::uint32_t flags, std::uint32_t samples)
{
  return ByteBuilder().text("wvpk").le32(1000).le16(0x410).u8(0).u8(0).le32(samples).le32(0).le32(4096)
    .le32(flags).le32(0).vector();
}

// The audio first, then the APE tag, then the ID3v1 tag.
struct WavPack
{
  using File = TagLib::WavPack::File;
  static constexpr const char *name = "t.wv";
  static TagLib::APE::Tag *rich(File &f, bool create) { return f.APETag(create); }
  // A block of 16-bit stereo at 44100 Hz, 4 s, whose bytes never read as a tag identifier.
  static std::string media() { return bytes(header(1u | 9u << 23, 44100 * 4)) + std::string(600, '\x90'); }
  static std::string layout(const std::string &ape, const std::string &audio, const std::string &v1) { return audio + ape + v1; }
  static std::string audioOf(const std::string &file)
  {
    std::size_t end = file.size();
    if(end >= 128 && file.compare(end - 128, 3, "TAG") == 0)
      end -= 128;
    if(end >= 32 && file.compare(end - 32, 8, "APETAGEX") == 0)
      end -= TagLib::APE::Footer(TagLib::ByteVector(file.data() + end - 32, 32)).completeTagSize();
    return file.substr(0, end);
  }
};

std::vector<int> values(const TagLib::ByteVector &block)
{
  const Properties p(block, 1250000);
  return {p.sampleRate(), p.channels(), p.bitsPerSample(), p.length(), p.bitrate(), p.version()};
}

} // namespace

TEST(WavPackFile, RefusedSavesLeaveTheFile)
{
  refusedSaves<WavPack>();
}

TEST(WavPackFile, SamplesReadAndSave)
{
  const auto sample = [](const std::string &name, const char *read) {
    return found<WavPack>(name, readFile(dataPath("wavpack/" + name)), read);
  };
  readAndSave<WavPack>({
    sample("stereo16-ape.wv", "44100 2 16 1 163 2 Stereo Sixteen|Brenvo Tests|Samples||Ambient|2021|3"),
    sample("mono24-ape-id3v1.wv", "48000 1 24 1 188 3 Mono Twentyfour|Brenvo Tests||||2022|7"),
    sample("mono16-id3v1.wv", "22050 1 16 1 95 1 Only ID3v1|Someone||||2003|12"),
    sample("stereo24-notag.wv", "32000 2 24 1 366 2 |||||0|0"),   // 0.5 s rounds up
  });
}

TEST(WavPackFile, DamagedFilesKeepTheirAudio)
{
  const std::string audio = WavPack::media();   // 632 bytes
  const auto footer = [&](std::uint32_t size, bool withHeader) {
    return audio + ByteBuilder().text("APETAGEX").le32(2000).le32(size).le32(1).le32(withHeader ? 1u << 31 : 0).fill(8).str();
  };
  // A short APE tag ends the file, and the audio holds "TAG" 128 bytes before the end.
  std::string tagInAudio = audio + apeTag("t");
  tagInAudio.replace(tagInAudio.size() - 128, 3, "TAG");
  const std::string none = "44100 2 16 4 1 2 |||||0|0";
  readAndSave<WavPack>({
    {"APE tag one byte larger than the file", footer(633, false), none},
    {"APE tag and header one byte larger than the file", footer(601, true), none},
    {"APE tag smaller than its footer", footer(20, false), none},
    {"APE tag size wrapping with the header", footer(0xFFFFFFF0u, true), none},
    {"APE tag filling all bytes after the block header", audio.substr(0, 32) + apeTag("fits"),
     "44100 2 16 4 0 2 fits|||||0|0", 0, 32},
    {"TAG in the audio before a short APE tag", tagInAudio, "44100 2 16 4 1 2 t|||||0|0", 0, audio.size()},
    {"TAG in a short file", "TAG" + std::string(100, 'x'), "0 0 0 0 0 2 |||||0|0"},
    {"an ID3v1 tag after 40 bytes", std::string(40, '\0') + id3v1Tag(), "0 0 0 0 0 1 v1 title||v1 album|||0|0", 0, 40},
  });
}

TEST(WavPackProperties, FromTheBlockHeader)
{
  // Flags: bytes per sample less one in bits 0-1, mono in bit 2, a shift in bits 13-17, the rate in bits 23-26.
  const std::uint32_t stereo16 = 1u | 9u << 23;
  EXPECT_EQ(values(header(1u | 4u | 8u << 13, 6000)), (std::vector<int>{6000, 1, 8, 1, 10000, 0x410}));
  // The length rounds to the nearest second, without wrapping near the 32-bit
  // limit; the bit rate comes from the exact duration.
  EXPECT_EQ(values(header(stereo16, 22049)), (std::vector<int>{44100, 2, 16, 0, 20001, 0x410}));
  EXPECT_EQ(values(header(stereo16, 0xFFFFFFF0u)), (std::vector<int>{44100, 2, 16, 97392, 0, 0x410}));
  // Rate index 15: the rate is unknown.
  EXPECT_EQ(values(header(1u | 15u << 23, 441000)), (std::vector<int>{0, 2, 16, 0, 0, 0x410}));
  const int rates[] = {6000, 8000, 9600, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 64000, 88200, 96000, 192000};
  for(std::uint32_t i = 0; i < 15; ++i)
    EXPECT_EQ(Properties(header(i << 23, 1), 0).sampleRate(), rates[i]);
  TagLib::ByteVector wrong = header(stereo16, 441000);
  wrong[0] = 'W';
  for(const TagLib::ByteVector &notAHeader : {wrong, header(stereo16, 441000).mid(0, 31), TagLib::ByteVector()})
    EXPECT_EQ(values(notAHeader), std::vector<int>(6, 0));
}
