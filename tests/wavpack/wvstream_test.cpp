// WavPack properties beyond the first block header: channels, rates and
// sample counts from metadata sub-blocks, the blocks of a frame and the last
// block, on built streams (hostile ones among them) and on encoder files.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <tbytevectorstream.h>

#include "bytebuilder.h"
#include "testfiles.h"
#include "wavpack/wvfile.h"

using brenvo_test::ByteBuilder;
using brenvo_test::dataPath;

namespace {

// Block header flags.
const std::uint32_t twoBytes = 1, mono = 4, initialBlock = 1u << 11, finalBlock = 1u << 12, dsd = 1u << 31;
const std::uint32_t unknownCount = 0xFFFFFFFF;
std::uint32_t rateIndex(unsigned index) { return index << 23; }
const std::uint32_t stereo8k = twoBytes | rateIndex(1) | initialBlock | finalBlock;

// A metadata sub-block: id, size in words (one byte, or three with the large
// flag), the data, and a pad byte with the odd-size flag.
std::string subBlock(std::uint8_t id, const std::string &data)
{
  const std::size_t words = (data.size() + 1) / 2;
  ByteBuilder b;
  b.u8(static_cast<std::uint8_t>(id | (data.size() % 2 ? 0x40 : 0) | (words > 255 ? 0x80 : 0)));
  if(words > 255)
    b.le16(static_cast<std::uint16_t>(words)).u8(static_cast<std::uint8_t>(words >> 16));
  else
    b.u8(static_cast<std::uint8_t>(words));
  b.text(data).fill(data.size() % 2);
  return b.str();
}

std::string block(std::uint32_t flags, std::uint32_t index, std::uint32_t samples, std::uint32_t total,
                  const std::vector<std::string> &subBlocks = {}, std::uint8_t totalHigh = 0,
                  std::uint32_t sizeField = 0)
{
  ByteBuilder body;
  for(const std::string &s : subBlocks)
    body.text(s);
  body.text(subBlock(0x0A, std::string(40, 'U')));  // the audio bitstream
  return ByteBuilder()
    .text("wvpk").le32(sizeField ? sizeField : static_cast<std::uint32_t>(24 + body.str().size()))
    .le16(0x410).u8(0).u8(totalHigh)
    .le32(total).le32(index).le32(samples).le32(flags)
    .le32(0xC0FFEE)
    .append(body).str();
}

std::string apeTag(const std::string &value)
{
  // An APE tag of one item (no header), with its footer.
  const std::string item = ByteBuilder().le32(static_cast<std::uint32_t>(value.size())).le32(0).text("Title").u8(0).text(value).str();
  return item + ByteBuilder()
    .text("APETAGEX").le32(2000).le32(static_cast<std::uint32_t>(item.size() + 32)).le32(1).le32(0).fill(8).str();
}

std::string id3v1Tag() { return "TAG" + std::string(125, ' '); }

struct Expected
{
  int sampleRate, channels, bitsPerSample, milliseconds;
};

struct Case
{
  const char *what;
  std::string bytes;
  Expected expected;
};

std::vector<Case> cases()
{
  const std::uint32_t mono8k = mono | rateIndex(1) | twoBytes;
  const std::string frame2 = block(mono8k, 0, 1000, 1000);
  const std::string frame3 = block(mono8k | finalBlock, 0, 1000, 1000);
  const std::string unknown1 = block(stereo8k, 0, 1000, unknownCount);
  const std::string unknown2 = block(stereo8k, 1000, 1000, unknownCount);
  const std::string unknown3 = block(stereo8k, 2000, 1000, unknownCount);
  const std::string trailer = ByteBuilder().text("wvpk").le32(24 + 6).le16(0x410).le16(0).le32(unknownCount)
                                .le32(0).le32(0).le32(0).le32(0).text(subBlock(0x22, "data")).str();
  const std::string fakeHeader = block(stereo8k, 0, 900000000, unknownCount);
  return {
    {"channel info counts four", block(stereo8k, 0, 8000, 8000, {subBlock(0x0D, std::string("\x04\x33", 2))}), {8000, 4, 16, 1000}},
    {"channel info in one odd byte", block(stereo8k, 0, 8000, 8000, {subBlock(0x0D, "\x06")}), {8000, 6, 16, 1000}},
    {"long channel info form: 256", block(stereo8k, 0, 8000, 8000, {subBlock(0x0D, std::string("\xFF\xFB\x00\xFF\xFF\x03", 6))}), {8000, 256, 16, 1000}},
    {"no channel info: a frame of three blocks", block(stereo8k & ~finalBlock, 0, 8000, 8000) + frame2 + frame3, {8000, 4, 16, 1000}},
    {"a frame whose final block is missing ends at the next frame",
     block(stereo8k & ~finalBlock, 0, 8000, 16000) + frame2 + block(stereo8k, 8000, 8000, 16000), {8000, 3, 16, 2000}},
    {"a frame whose final block is missing ends at the end", block(stereo8k & ~finalBlock, 0, 8000, 8000) + frame2, {8000, 3, 16, 1000}},
    {"a frame block whose size wraps", block(stereo8k & ~finalBlock, 0, 1000, 1000) + block(mono8k, 0, 1000, 1000, {}, 0, 0xFFFFFFF8) + frame3, {8000, 3, 16, 125}},
    {"rate index 15 and a rate sub-block", block(stereo8k | rateIndex(15), 0, 1000, 1000, {subBlock(0x27, std::string("\xE8\x03\x00", 3))}), {1000, 2, 16, 1000}},
    {"a rate of four bytes", block(stereo8k | rateIndex(15), 0, 1000, 100000000, {subBlock(0x27, std::string("\x00\xE1\xF5\x05", 4))}), {100000000, 2, 16, 1000}},
    {"a rate sub-block shorter than its field", block(stereo8k | rateIndex(15), 0, 1000, 1000, {subBlock(0x27, std::string("\xE8\x03", 2))}), {0, 2, 16, 0}},
    {"a sub-block longer than its block hides what follows",
     block(stereo8k, 0, 8000, 8000, {ByteBuilder().u8(0x80).le16(0xFFFF).u8(0xFF).str(), subBlock(0x0D, "\x06")}), {8000, 2, 16, 1000}},
    {"DSD: the byte rate times the sub-block's power of two", block(dsd | rateIndex(12) | initialBlock | finalBlock, 0, 1000, 352800, {subBlock(0x0E, "\x02" + std::string(99, 'D'))}), {352800, 2, 1, 1000}},
    {"a DSD sub-block longer than its block is not read",
     block(dsd | rateIndex(12) | initialBlock | finalBlock, 0, 1000, 88200, {ByteBuilder().u8(0x8E).le16(0xFFFF).u8(0).u8(2).str()}), {88200, 2, 1, 1000}},
    {"DSD audio larger than what is read at once", block(dsd | rateIndex(12) | initialBlock | finalBlock, 0, 1000, 352800, {subBlock(0x0E, "\x02" + std::string(40000, 'D'))}), {352800, 2, 1, 1000}},
    {"a count of 40 bits", block(twoBytes | rateIndex(14) | initialBlock | finalBlock, 0, 1000, 0, {}, 1), {192000, 2, 16, 22369621}},
    {"no count: the last block's index and samples, before a trailer and the tags",
     unknown1 + unknown2 + unknown3 + trailer + apeTag(fakeHeader) + id3v1Tag(), {8000, 2, 16, 375}},
    {"no count: a header whose block runs past the audio is no block",
     unknown1 + unknown2 + block(stereo8k, 2000, 1000, unknownCount, {}, 0, 5000).substr(0, 40) + apeTag("t"), {8000, 2, 16, 250}},
    {"no count and no block within reach: only tag bytes", unknown1 + std::string(2200000, '\x11') + apeTag(fakeHeader), {8000, 2, 16, 0}},
    {"first block past index 0: its count is not the stream's",
     block(stereo8k, 5000, 1000, 99999) + block(stereo8k, 6000, 1000, 99999), {8000, 2, 16, 250}},
  };
}

TEST(WavPackStream, PropertiesFromSubBlocksFramesAndTheLastBlock)
{
  for(const Case &c : cases()) {
    SCOPED_TRACE(c.what);
    TagLib::ByteVector bytes(c.bytes.data(), static_cast<unsigned int>(c.bytes.size()));
    TagLib::ByteVectorStream stream(bytes);
    TagLib::WavPack::File f(&stream);
    ASSERT_TRUE(f.isValid());
    const TagLib::WavPack::Properties *p = f.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->sampleRate(), c.expected.sampleRate);
    EXPECT_EQ(p->channels(), c.expected.channels);
    EXPECT_EQ(p->bitsPerSample(), c.expected.bitsPerSample);
    EXPECT_EQ(p->lengthInMilliseconds(), c.expected.milliseconds);
    if(c.expected.milliseconds == 0) {
      EXPECT_EQ(p->bitrate(), 0);
    }
  }
}

TEST(WavPackStream, BytesGivenAloneAreNotSearchedForACount)
{
  const std::string s = block(stereo8k, 0, 1000, unknownCount) + block(stereo8k, 1000, 1000, unknownCount);
  const TagLib::WavPack::Properties p(TagLib::ByteVector(s.data(), static_cast<unsigned int>(s.size())), 1000);
  EXPECT_EQ(p.sampleRate(), 8000);
  EXPECT_EQ(p.lengthInMilliseconds(), 0);
  EXPECT_EQ(p.bitrate(), 0);
}

struct RealFile
{
  const char *name;
  int milliseconds, sampleRate, channels, bitsPerSample, kbps;
};

// TagLib 1.13's WavPack reader, ffprobe and wvunpack -s agree on these (mutagen
// reports two channels for 4 and 6 and fails on rates off the table; wvunpack
// counts the tags into the bit rate, and reports DSD at 2,822,400 Hz of bits).
const RealFile realFiles[] = {
  {"quad.wv", 100, 8000, 4, 16, 166},
  {"six51.wv", 100, 8000, 6, 16, 219},
  {"rate1000.wv", 1000, 1000, 1, 16, 10},
  {"rate37800-ape.wv", 100, 37800, 2, 16, 154},
  {"hybrid.wv", 300, 16000, 2, 16, 78},
  {"dsd64.wv", 30, 352800, 2, 1, 1305},
  {"streamed-ape-id3v1.wv", 500, 8000, 2, 16, 55},
  {"stereo16-ape.wv", 1000, 44100, 2, 16, 163},
  {"stereo24-notag.wv", 500, 32000, 2, 24, 366},
  {"mono16-id3v1.wv", 1000, 22050, 1, 16, 95},
  {"mono24-ape-id3v1.wv", 1000, 48000, 1, 24, 188},
};

TEST(WavPackStream, EncoderFilesAgreeWithTheReferenceReaders)
{
  for(const RealFile &r : realFiles) {
    SCOPED_TRACE(r.name);
    TagLib::WavPack::File f(dataPath(std::string("wavpack/") + r.name).c_str());
    const TagLib::WavPack::Properties *p = f.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_NEAR(p->lengthInMilliseconds(), r.milliseconds, r.milliseconds / 100.0);
    EXPECT_EQ(p->sampleRate(), r.sampleRate);
    EXPECT_EQ(p->channels(), r.channels);
    EXPECT_EQ(p->bitsPerSample(), r.bitsPerSample);
    EXPECT_NEAR(p->bitrate(), r.kbps, std::max(1.0, r.kbps / 50.0));
  }
}

} // namespace
