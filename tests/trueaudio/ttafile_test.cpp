// The TrueAudio file on built bytes and on the samples made by ffmpeg's TTA
// encoder and tagged by mutagen (tests/data/trueaudio/make.sh).
#include <gtest/gtest.h>

#include <id3v2framefactory.h>
#include <id3v2header.h>
#include <id3v2tag.h>
#include <textidentificationframe.h>

#include "../wavpack/tagpair.h"
#include "bytebuilder.h"
#include "trueaudio/ttafile.h"

using namespace brenvo_test;
using TagLib::TTA::Properties;

namespace {

TagLib::ByteVector header(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate, std::uint32_t samples)
{
  return ByteBuilder().text("TTA1").le16(1).le16(channels).le16(bits).le32(rate).le32(samples).le32(0).vector();
}

std::string id3v2Tag(const char *title)
{
  TagLib::ID3v2::Tag tag;
  tag.setTitle(title);
  return bytes(tag.render());
}

// The ID3v2 tag first, then the stream, then the ID3v1 tag.
struct TTA
{
  using File = TagLib::TTA::File;
  static constexpr const char *name = "t.tta";
  static TagLib::ID3v2::Tag *rich(File &f, bool create) { return f.ID3v2Tag(create); }
  // Stereo, 16 bits, 44100 Hz, 4 s, in frame bytes that never read as a tag identifier.
  static std::string media() { return bytes(header(2, 16, 44100, 44100 * 4)) + std::string(700, '\x90'); }
  static std::string layout(const std::string &v2, const std::string &stream, const std::string &v1) { return v2 + stream + v1; }
  static std::string audioOf(const std::string &file)
  {
    const std::size_t begin = file.compare(0, 3, "ID3") == 0
                                ? TagLib::ID3v2::Header(TagLib::ByteVector(file.data(), 10)).completeTagSize() : 0;
    const bool id3v1 = file.size() >= 128 && file.compare(file.size() - 128, 3, "TAG") == 0;
    return file.substr(begin, file.size() - begin - (id3v1 ? 128 : 0));
  }
};

std::vector<int> values(const TagLib::ByteVector &block)
{
  const Properties p(block, 1764000);
  return {p.sampleRate(), p.channels(), p.bitsPerSample(), p.length(), p.bitrate(), p.ttaVersion()};
}

} // namespace

TEST(TTAFile, RefusedSavesLeaveTheFile)
{
  refusedSaves<TTA>();
}

TEST(TTAFile, DamagedFilesKeepTheirStream)
{
  const std::string stream = TTA::media(), cut = id3v2Tag("cut");
  // The last 128 bytes start inside the ID3v2 tag.
  std::string tagInID3v2 = id3v2Tag("v2") + stream.substr(0, 40);
  tagInID3v2.replace(tagInID3v2.size() - 128, 3, "TAG");
  // No ID3v1 tag is made here: TagLib would read a bogus header left in front of the stream into the new ID3v2 tag.
  readAndSave<TTA>({
    // Not a tag, but its bytes stay in front of the stream.
    {"ID3v2 header without a body", ByteBuilder().text("ID3").u8(4).u8(0).u8(0).be32(0).str() + stream,
     "44100 2 16 4 1 2 |||||0|0"},
    {"ID3v2 tag running past the end", cut.substr(0, 60), "0 0 0 0 0 2 |||||0|0"},
    {"ID3v2 tag as long as the file", cut, "0 0 0 0 0 2 cut|||||0|0", cut.size()},
    {"TAG inside the ID3v2 tag", tagInID3v2, "44100 2 16 4 0 2 v2|||||0|0", tagInID3v2.size() - 40},
    {"ID3v2 size past the end", ByteBuilder().text("ID3").u8(3).u8(0).u8(0).raw({0x7F, 0x7F, 0x7F, 0x7F}).str(),
     "0 0 0 0 0 2 |||||0|0"},
    {"only an ID3v1 tag", id3v1Tag(), "0 0 0 0 0 1 v1 title||v1 album|||0|0", 0, 0},
  }, 2);
}

TEST(TTAFile, SamplesReadAndSave)
{
  const auto sample = [](const std::string &name, const char *read) {
    return found<TTA>(name, readFile(dataPath("trueaudio/" + name)), read);
  };
  readAndSave<TTA>({
    sample("stereo16-notag.tta", "44100 2 16 1 159 2 |||||0|0"),
    sample("mono24-id3v2-id3v1.tta", "16000 1 24 1 181 3 Mono Twentyfour|Brenvo Tests|Samples|made by mutagen||2022|4"),
    sample("mono16-id3v2.tta", "22050 1 16 1 75 2 Mono Sixteen|Brenvo Tests|Samples|made by mutagen||2020|2"),   // 1.9 s
    sample("stereo24-id3v1.tta", "32000 2 24 0 362 1 Only ID3v1|Someone|Samples|||2003|12"),
  });
}

TEST(TTAFile, ReadsTheID3v2TagWithTheGivenFrameFactory)
{
  // A factory that stands out: it turns text frames to UTF-16.
  class Utf16Frames : public TagLib::ID3v2::FrameFactory
  {
  public:
    Utf16Frames() { setDefaultTextEncoding(TagLib::String::UTF16); }
  } factory;
  TempDir dir;
  TagLib::TTA::File f(dir.write("t.tta", id3v2Tag("rich title") + TTA::media()).c_str(), &factory);
  const TagLib::ID3v2::FrameList titles = f.ID3v2Tag()->frameList("TIT2");
  ASSERT_EQ(titles.size(), 1u);
  const auto *title = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame *>(titles.front());
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->textEncoding(), TagLib::String::UTF16);
}

TEST(TTAProperties, FromTheHeader)
{
  // No sample rate: no length, so no bit rate.
  EXPECT_EQ(values(header(2, 16, 0, 441000)), (std::vector<int>{0, 2, 16, 0, 0, 1}));
  TagLib::ByteVector wrong = header(2, 16, 44100, 441000);
  wrong[2] = 'B';
  for(const TagLib::ByteVector &notAHeader : {wrong, header(2, 16, 44100, 441000).mid(0, 17), TagLib::ByteVector()})
    EXPECT_EQ(values(notAHeader), std::vector<int>(6, 0));
}
