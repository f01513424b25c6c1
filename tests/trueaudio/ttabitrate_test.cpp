// TTA bit rates over the exact duration of the stream without its tags.
#include <gtest/gtest.h>

#include <algorithm>

#include "bytebuilder.h"
#include "testfiles.h"
#include "trueaudio/ttafile.h"

using brenvo_test::ByteBuilder;
using TagLib::TTA::Properties;

namespace {

TagLib::ByteVector header(std::uint32_t rate, std::uint32_t samples)
{
  return ByteBuilder().text("TTA1").le16(1).le16(2).le16(16).le32(rate).le32(samples).le32(0).vector();
}

struct Row
{
  const char *what;
  std::uint32_t rate, samples;
  long streamLength;
  int seconds, kbps;
};

const Row rows[] = {
  // Whole seconds would give 212 (79,580 / 125 / 3).
  {"3.68 s", 44100, 162288, 79580, 3, 173},
  {"half a second", 44100, 22050, 10000, 0, 160},
  {"rounds to the nearest", 1000, 3000, 1031, 3, 3},  // 2.749 kbit/s
};

TEST(TTABitrate, OverTheExactDuration)
{
  for(const Row &r : rows) {
    SCOPED_TRACE(r.what);
    const Properties p(header(r.rate, r.samples), r.streamLength);
    EXPECT_EQ(p.length(), r.seconds);
    EXPECT_EQ(p.bitrate(), r.kbps);
  }
}

struct RealFile
{
  const char *name;
  int milliseconds, sampleRate, channels, kbps;
};

// TagLib 1.13's TrueAudio reader and ffprobe (length, rate, channels), mutagen
// (length, rate); the bit rates are TagLib's, which counts no tag bytes.
const RealFile realFiles[] = {
  {"long-notag.tta", 4200, 8000, 1, 19},
  {"short-id3v2-id3v1.tta", 300, 11025, 2, 61},
  {"mono16-id3v2.tta", 1900, 22050, 1, 75},
  {"mono24-id3v2-id3v1.tta", 1000, 16000, 1, 181},
  {"stereo16-notag.tta", 1000, 44100, 2, 159},
  {"stereo24-id3v1.tta", 500, 32000, 2, 362},
};

TEST(TTABitrate, EncoderFilesAgreeWithTheReferenceReaders)
{
  for(const RealFile &r : realFiles) {
    SCOPED_TRACE(r.name);
    TagLib::TTA::File f(brenvo_test::dataPath(std::string("trueaudio/") + r.name).c_str());
    const Properties *p = f.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_NEAR(p->lengthInMilliseconds(), r.milliseconds, r.milliseconds / 100.0);
    EXPECT_EQ(p->sampleRate(), r.sampleRate);
    EXPECT_EQ(p->channels(), r.channels);
    EXPECT_NEAR(p->bitrate(), r.kbps, std::max(1.0, r.kbps / 50.0));
  }
}

} // namespace
