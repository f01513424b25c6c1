// AAC properties from built ADTS and ADIF streams: header fields, the length
// estimate and the exact count, and streams with damaged or hostile headers.
#include <gtest/gtest.h>

#include <apetag.h>
#include <id3v1tag.h>
#include <tbytevectorstream.h>

#include "aac/aacfile.h"
#include "aacbuilder.h"

using namespace aactest;
using TagLib::AAC::Properties;

namespace {

const Frame plain; // LC, 44.1 kHz, stereo, 200 bytes

std::string pceFrames(unsigned int pairs, unsigned int singles, unsigned int lfe)
{
  return frames(Frame{200, 3, 0, -1, 1, false, false, 1, Bits().put(5, 3).put(programConfig(3, pairs, singles, lfe)).bytes()}, 3);
}

std::string adif(std::uint32_t bitrate)
{
  std::string s = adifHeader(bitrate, programConfig(3, 1, 0, 0));
  s.resize(32000, '\x21');
  return s;
}

std::string endTags() // a 20 KB APE tag and an ID3v1 tag
{
  TagLib::APE::Tag ape;
  ape.setComment(TagLib::String(std::string(20000, 'c')));
  const TagLib::ByteVector bytes = ape.render() + TagLib::ID3v1::Tag().render();
  return std::string(bytes.data(), bytes.size());
}

const std::string mixed = frames(plain, 400) + frames(Frame{400}, 200);
const auto ADTS = Properties::ADTS, ADIF = Properties::ADIF, None = Properties::Unknown;
const bool Accurate = true;

// Lengths are frames x 1024 samples at the rate, in whole milliseconds; bit
// rates are the frames' bytes over that time.
const struct
{
  const char *name;
  std::string stream;
  bool accurate;
  Properties::HeaderType type; // None: not valid
  int sampleRate = 0, channels = 0, milliseconds = 0, kbps = 0, profile = 0, version = 0;
} cases[] = {
  {"MPEG-2 Main mono 8 kHz, CRC, two blocks a frame", frames(Frame{100, 11, 1, -1, 0, true, true, 2}, 5), false, ADTS,
   8000, 1, 1280, 3, 0, 2},
  {"7.1 at 96 kHz", frames(Frame{800, 0, 7}, 4), false, ADTS, 96000, 8, 42, 600, 1, 4},
  {"program config element: 5.1", pceFrames(2, 1, 1), false, ADTS, 48000, 6, 64, 75, 1, 4},
  {"configuration 0 without a program config element", frames(Frame{200, 4, 0}, 3), false, ADTS, 44100, 0, 69, 69, 1, 4},
  // Average reads 64 KiB of the 200-byte frames.
  {"Average estimates from the first 64 KiB", mixed, false, ADTS, 44100, 2, 18575, 69, 1, 4},
  {"Accurate counts every frame", mixed, Accurate, ADTS, 44100, 2, 13931, 92, 1, 4},
  {"tags at the end are not in the estimate", frames(plain, 400) + endTags(), false, ADTS, 44100, 2, 9287, 69, 1, 4},
  {"ADIF at 128 kbit/s", adif(128000), false, ADIF, 48000, 2, 2000, 128, 1, 0},
  {"ADIF without a bit rate", adif(0), false, ADIF, 48000, 2, 0, 0, 1, 0},
  {"one frame is the whole stream", plain.bytes(), false, ADTS, 44100, 2, 23, 69, 1, 4},
  // Damaged and hostile headers: the stream ends at the first bad one.
  {"zero frame length in the third frame", frames(plain, 2) + Frame{200, 4, 2, 0}.bytes(), Accurate, ADTS, 44100, 2, 46, 69, 1, 4},
  {"frame length past the end", frames(plain, 3) + Frame{200, 4, 2, 5000}.bytes(), false, ADTS, 44100, 2, 69, 69, 1, 4},
  {"garbage after two frames", frames(plain, 2) + std::string(500, '\x55'), false, ADTS, 44100, 2, 46, 69, 1, 4},
  {"the rate changes", frames(plain, 3) + frames(Frame{200, 3}, 3), Accurate, ADTS, 44100, 2, 69, 69, 1, 4},
  {"a lone sync word before the stream", Frame{50}.bytes() + std::string(30, '\x21') + frames(plain, 4), false, ADTS,
   44100, 2, 92, 69, 1, 4},
  {"zero frame length in the first frame", Frame{200, 4, 2, 0}.bytes() + frames(plain, 2), false, ADTS, 44100, 2, 46, 69, 1, 4},
  {"one frame and garbage", plain.bytes() + std::string(100, '\x55'), false, None},
  {"no sync word in the first 64 KiB", std::string(70000, '\x21') + frames(plain, 5), false, None},
  {"empty", "", false, None},
};

} // namespace

TEST(AACProperties, BuiltStreams)
{
  for(const auto &c : cases) {
    SCOPED_TRACE(c.name);
    TagLib::ByteVectorStream stream(TagLib::ByteVector(c.stream.data(), static_cast<unsigned int>(c.stream.size())));
    TagLib::AAC::File f(&stream, true, c.accurate ? TagLib::AudioProperties::Accurate : TagLib::AudioProperties::Average);
    ASSERT_EQ(f.isValid(), c.type != None);
    ASSERT_NE(f.tag(), nullptr);
    const Properties *p = f.audioProperties();
    if(!f.isValid()) {
      EXPECT_EQ(p, nullptr);
      continue;
    }
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->headerType(), c.type);
    EXPECT_EQ(p->sampleRate(), c.sampleRate);
    EXPECT_EQ(p->channels(), c.channels);
    EXPECT_EQ(p->lengthInMilliseconds(), c.milliseconds);
    EXPECT_EQ(p->length(), c.milliseconds / 1000);
    EXPECT_EQ(p->bitrate(), c.kbps);
    EXPECT_EQ(p->profile(), c.profile);
    EXPECT_EQ(p->mpegVersion(), c.version);
  }
  // Not read when not asked for.
  TagLib::ByteVectorStream stream(TagLib::ByteVector(cases[0].stream.data(), 300));
  TagLib::AAC::File f(&stream, false);
  EXPECT_TRUE(f.isValid());
  EXPECT_EQ(f.audioProperties(), nullptr);
}
