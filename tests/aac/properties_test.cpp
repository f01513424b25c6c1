// AAC properties from built ADTS and ADIF streams: header fields, the
// length estimate and the exact count, and streams with damaged or hostile
// headers.
#include <gtest/gtest.h>

#include <apetag.h>
#include <id3v1tag.h>
#include <tbytevectorstream.h>

#include "aac/aacfile.h"
#include "aacbuilder.h"

using namespace aactest;
using TagLib::AAC::Properties;
using Style = TagLib::AudioProperties::ReadStyle;

namespace {

struct Expected
{
  bool valid;
  Properties::HeaderType type;
  int sampleRate, channels, milliseconds, kbps;
  int profile, version;
};

struct Case
{
  const char *name;
  std::string stream;
  Style style;
  Expected expected;
};

const Frame plain;  // LC, 44.1 kHz, stereo, 200 bytes

Frame with(void (*change)(Frame &))
{
  Frame f;
  change(f);
  return f;
}

std::string pceFrames(unsigned int pairs, unsigned int singles, unsigned int lfe)
{
  Frame f;
  f.channelConfig = 0;
  f.rateIndex = 3;
  f.rawData = Bits().put(5, 3).put(programConfig(3, pairs, singles, lfe)).bytes();
  return frames(f, 3);
}

std::string adif(std::uint32_t bitrate, std::size_t total)
{
  std::string s = adifHeader(bitrate, programConfig(3, 1, 0, 0));
  s.resize(total, '\x21');
  return s;
}

// A 20 KB APE tag and an ID3v1 tag.
std::string endTags()
{
  TagLib::APE::Tag ape;
  ape.setComment(TagLib::String(std::string(20000, 'c')));
  TagLib::ID3v1::Tag id3v1;
  id3v1.setTitle("end");
  const TagLib::ByteVector bytes = ape.render() + id3v1.render();
  return std::string(bytes.data(), bytes.size());
}

const Properties::HeaderType ADTS = Properties::ADTS;
const Properties::HeaderType ADIF = Properties::ADIF;
const Properties::HeaderType None = Properties::Unknown;
const Style Average = TagLib::AudioProperties::Average;
const Style Accurate = TagLib::AudioProperties::Accurate;

// Lengths are frames x 1024 samples at the rate, in whole milliseconds; bit
// rates are the frames' bytes over that time.
const Case cases[] = {
  {"LC stereo 44.1 kHz", frames(plain, 10), Average, {true, ADTS, 44100, 2, 232, 69, 1, 4}},
  {"MPEG-2 Main mono 8 kHz, CRC, two blocks a frame",
   frames(with([](Frame &f) { f = Frame{100, 11, 1, 0, true, true, 2, "", -1}; }), 5), Average,
   {true, ADTS, 8000, 1, 1280, 3, 0, 2}},
  {"7.1 at 96 kHz", frames(with([](Frame &f) { f.length = 800; f.rateIndex = 0; f.channelConfig = 7; }), 4),
   Average, {true, ADTS, 96000, 8, 42, 600, 1, 4}},
  {"program config element: 5.1", pceFrames(2, 1, 1), Average, {true, ADTS, 48000, 6, 64, 75, 1, 4}},
  {"configuration 0 without a program config element",
   frames(with([](Frame &f) { f.channelConfig = 0; }), 3), Average, {true, ADTS, 44100, 0, 69, 69, 1, 4}},
  // 400 frames of 200 bytes, then 200 of 400: Average reads 64 KiB of the first kind.
  {"Average estimates from the first 64 KiB",
   frames(plain, 400) + frames(with([](Frame &f) { f.length = 400; }), 200), Average,
   {true, ADTS, 44100, 2, 18575, 69, 1, 4}},
  {"Accurate counts every frame", frames(plain, 400) + frames(with([](Frame &f) { f.length = 400; }), 200),
   Accurate, {true, ADTS, 44100, 2, 13931, 92, 1, 4}},
  {"tags at the end are not in the estimate", frames(plain, 400) + endTags(), Average,
   {true, ADTS, 44100, 2, 9287, 69, 1, 4}},
  {"ADIF at 128 kbit/s", adif(128000, 32000), Average, {true, ADIF, 48000, 2, 2000, 128, 1, 0}},
  {"ADIF without a bit rate", adif(0, 32000), Average, {true, ADIF, 48000, 2, 0, 0, 1, 0}},
  {"one frame is the whole stream", plain.bytes(), Average, {true, ADTS, 44100, 2, 23, 69, 1, 4}},
  // Damaged and hostile headers: the stream ends at the first bad one.
  {"zero frame length in the third frame", frames(plain, 2) + with([](Frame &f) { f.lengthField = 0; }).bytes(),
   Accurate, {true, ADTS, 44100, 2, 46, 69, 1, 4}},
  {"frame length past the end", frames(plain, 3) + with([](Frame &f) { f.lengthField = 5000; }).bytes(), Average,
   {true, ADTS, 44100, 2, 69, 69, 1, 4}},
  {"garbage after two frames", frames(plain, 2) + std::string(500, '\x55'), Average,
   {true, ADTS, 44100, 2, 46, 69, 1, 4}},
  {"the rate changes", frames(plain, 3) + frames(with([](Frame &f) { f.rateIndex = 3; }), 3), Accurate,
   {true, ADTS, 44100, 2, 69, 69, 1, 4}},
  {"a lone sync word before the stream",
   with([](Frame &f) { f.length = 50; }).bytes() + std::string(30, '\x21') + frames(plain, 4), Average,
   {true, ADTS, 44100, 2, 92, 69, 1, 4}},
  {"zero frame length in the first frame", with([](Frame &f) { f.lengthField = 0; }).bytes() + frames(plain, 2),
   Average, {true, ADTS, 44100, 2, 46, 69, 1, 4}},
  {"one frame and garbage", plain.bytes() + std::string(100, '\x55'), Average, {false, None, 0, 0, 0, 0, 1, 0}},
  {"no sync word in the first 64 KiB", std::string(70000, '\x21') + frames(plain, 5), Average,
   {false, None, 0, 0, 0, 0, 1, 0}},
  {"empty", "", Average, {false, None, 0, 0, 0, 0, 1, 0}},
};

TEST(AACProperties, BuiltStreams)
{
  for(const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TagLib::ByteVectorStream stream(TagLib::ByteVector(c.stream.data(), static_cast<unsigned int>(c.stream.size())));
    TagLib::AAC::File f(&stream, true, c.style);
    const Expected &e = c.expected;
    ASSERT_EQ(f.isValid(), e.valid);
    ASSERT_NE(f.tag(), nullptr);
    if(!e.valid) {
      EXPECT_EQ(f.audioProperties(), nullptr);
      continue;
    }
    const Properties *p = f.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->headerType(), e.type);
    EXPECT_EQ(p->sampleRate(), e.sampleRate);
    EXPECT_EQ(p->channels(), e.channels);
    EXPECT_EQ(p->lengthInMilliseconds(), e.milliseconds);
    EXPECT_EQ(p->length(), e.milliseconds / 1000);
    EXPECT_EQ(p->bitrate(), e.kbps);
    EXPECT_EQ(p->profile(), e.profile);
    EXPECT_EQ(p->mpegVersion(), e.version);
  }
}

TEST(AACProperties, NotReadWhenNotAskedFor)
{
  const std::string s = frames(plain, 3);
  TagLib::ByteVectorStream stream(TagLib::ByteVector(s.data(), static_cast<unsigned int>(s.size())));
  TagLib::AAC::File f(&stream, false);
  EXPECT_TRUE(f.isValid());
  EXPECT_EQ(f.audioProperties(), nullptr);
}

} // namespace
