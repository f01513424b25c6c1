// Speex bit rates: the header's when it gives one, else the stream's over its
// exact duration, as TagLib's own Speex reader computes them.
#include <gtest/gtest.h>

#include <algorithm>

#include <speexfile.h>

#include "speex/speexfile.h"
#include "speexbuilder.h"
#include "testfiles.h"

using namespace brenvo_test;

namespace {

struct Row
{
  const char *what;
  std::int32_t headerBitrate;
  std::int64_t lastGranule;
  int kbps;
};

// 8000 Hz streams of 201 bytes besides the header and comment packets.
const Row rows[] = {
  {"the header's rate", 24600, 800, 25},
  {"unknown (-1): the stream's", -1, 16000, 1},
  {"the stream's over a short duration", -1, 800, 16},
  {"no duration", -1, 0, 0},
};

TEST(SpeexBitrate, FromTheHeaderElseFromTheStream)
{
  TempDir dir;
  for(const Row &r : rows) {
    SCOPED_TRACE(r.what);
    SpeexHeaderFields fields;
    fields.bitrate = r.headerBitrate;
    const std::string path = dir.write("built.spx", speexStream(fields, r.lastGranule));
    TagLib::Speex::File ours(path.c_str());
    ASSERT_NE(ours.audioProperties(), nullptr);
    EXPECT_EQ(ours.audioProperties()->bitrate(), r.kbps);
    // TagLib 1.13 takes the stream's rate over a header's too.
    if(r.headerBitrate <= 0) {
      EXPECT_EQ(r.kbps, TagLib::Ogg::Speex::File(path.c_str()).audioProperties()->bitrate());
    }
  }
}

struct RealFile
{
  const char *name;
  int milliseconds, sampleRate, channels, kbps;
};

// Lengths, rates and channels as TagLib 1.13, mutagen and speexdec give them
// (ffprobe adds the decoder's delay); speexenc writes no bit rate (-1), and
// the bit rates are TagLib's, over the stream.
const RealFile realFiles[] = {
  {"short-vbr.spx", 600, 8000, 1, 21},
  {"long-wb-vbr.spx", 4000, 16000, 1, 8},
  {"narrowband.spx", 2000, 8000, 1, 16},
  {"wideband.spx", 2000, 16000, 1, 29},
  {"vbr-stereo.spx", 1000, 16000, 2, 21},
  {"untagged.spx", 2000, 8000, 1, 7},
};

TEST(SpeexBitrate, EncoderFilesAgreeWithTheReferenceReaders)
{
  for(const RealFile &r : realFiles) {
    SCOPED_TRACE(r.name);
    TagLib::Speex::File f(dataPath(std::string("speex/") + r.name).c_str());
    const TagLib::Speex::Properties *p = f.audioProperties();
    ASSERT_NE(p, nullptr);
    EXPECT_NEAR(p->lengthInMilliseconds(), r.milliseconds, r.milliseconds / 100.0);
    EXPECT_EQ(p->sampleRate(), r.sampleRate);
    EXPECT_EQ(p->channels(), r.channels);
    EXPECT_NEAR(p->bitrate(), r.kbps, std::max(1.0, r.kbps / 50.0));
  }
}

} // namespace
