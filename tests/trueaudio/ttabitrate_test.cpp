// TTA bit rates over the exact duration of the stream without its tags.
#include <gtest/gtest.h>

#include <algorithm>

#include "testfiles.h"
#include "trueaudio/ttafile.h"

using TagLib::TTA::Properties;

namespace {

struct RealFile
{
  const char *name;
  int milliseconds, sampleRate, channels, kbps;
};

// TagLib 1.13's TrueAudio reader and ffprobe (length, rate, channels), mutagen
// (length, rate); the bit rates are TagLib's, which counts no tag bytes (whole
// seconds would give 142 for the 1.9 s file, none for those under a second).
const RealFile realFiles[] = {
  {"long-notag.tta", 4200, 8000, 1, 19},
  {"short-id3v2-id3v1.tta", 300, 11025, 2, 61},
  {"mono16-id3v2.tta", 1900, 22050, 1, 75},
  {"mono24-id3v2-id3v1.tta", 1000, 16000, 1, 181},
  {"stereo16-notag.tta", 1000, 44100, 2, 159},
  {"stereo24-id3v1.tta", 500, 32000, 2, 362},
};

TEST(TTABitrate, OverTheExactDurationAsTheReferenceReaders)
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
