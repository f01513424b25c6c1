// The samples of tests/data/aac (made by its make.sh) against what ffprobe and
// mutagen read of them (oracle.txt), and what opening a long file costs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "aac/aacfile.h"
#include "testfiles.h"

using namespace brenvo_test;
using TagLib::AAC::File;

namespace {

// "== name" starts a sample; "tool.key=value" lines follow.
std::map<std::string, std::map<std::string, double>> oracle()
{
  std::map<std::string, std::map<std::string, double>> samples;
  std::ifstream in(dataPath("aac/oracle.txt"));
  std::string line, name;
  while(std::getline(in, line)) {
    if(line.rfind("== ", 0) == 0)
      name = line.substr(3);
    else if(line.find('=') != std::string::npos)
      samples[name][line.substr(0, line.find('='))] = std::stod(line.substr(line.find('=') + 1));
  }
  return samples;
}

long bytesReadSoFar()
{
  std::ifstream io("/proc/self/io");
  std::string key;
  long value = 0;
  while(io >> key >> value) {
    if(key == "rchar:")
      return value;
  }
  return -1;
}

} // namespace

TEST(AACSamples, PropertiesAgreeWithFfprobeAndMutagen)
{
  const auto samples = oracle();
  ASSERT_EQ(samples.size(), 5u);
  for(const auto &sample : samples) {
    for(const auto style : {TagLib::AudioProperties::Average, TagLib::AudioProperties::Accurate}) {
      SCOPED_TRACE(sample.first + (style == TagLib::AudioProperties::Average ? " Average" : " Accurate"));
      const auto &o = sample.second;
      const File f(dataPath("aac/" + sample.first).c_str(), true, style);
      ASSERT_TRUE(f.isValid());
      const TagLib::AAC::Properties *p = f.audioProperties();
      EXPECT_EQ(p->sampleRate(), o.at("mutagen.sample_rate"));
      // mutagen reads no program config element: it says 0 channels.
      if(o.at("mutagen.channels") > 0) {
        EXPECT_EQ(p->channels(), o.at("mutagen.channels"));
      }
      if(o.count("ffprobe.frames")) {
        EXPECT_EQ(p->headerType(), TagLib::AAC::Properties::ADTS);
        EXPECT_EQ(p->sampleRate(), o.at("ffprobe.sample_rate"));
        EXPECT_EQ(p->channels(), o.at("ffprobe.channels"));
        // ffprobe's frames and bytes, 1024 samples a frame.
        const double seconds = o.at("ffprobe.frames") * 1024 / o.at("ffprobe.sample_rate");
        EXPECT_NEAR(p->lengthInMilliseconds(), seconds * 1000, seconds * 10);
        // Whole kbit/s: 2 %, or the rounding of a low rate.
        const double kbps = o.at("ffprobe.frame_bytes") * 8 / seconds / 1000;
        EXPECT_NEAR(p->bitrate(), kbps, std::max(kbps * 0.02, 0.5));
      }
      else {
        // ffprobe does not read ADIF; mutagen's bit rate is the header's,
        // and its length counts the ID3v1 tag too.
        EXPECT_EQ(p->headerType(), TagLib::AAC::Properties::ADIF);
        EXPECT_EQ(p->bitrate(), std::lround(o.at("mutagen.bitrate") / 1000));
        const double streamBytes = static_cast<double>(std::filesystem::file_size(dataPath("aac/" + sample.first))) - 128;
        const double seconds = streamBytes * 8 / o.at("mutagen.bitrate");
        EXPECT_NEAR(p->lengthInMilliseconds(), seconds * 1000, seconds * 10);
      }
    }
  }
  const File withPicture(dataPath("aac/mono-8k-id3v2.aac").c_str());
  ASSERT_EQ(withPicture.pictures().size(), 1u);
  EXPECT_EQ(withPicture.pictures().front().mimeType(), "image/png");
}

TEST(AACSamples, OpeningReadsTheSameBytesWhateverTheLength)
{
  // 1 MiB of frames; then the same frames followed by a hole up to 1 GiB.
  const std::string sine = readFile(dataPath("aac/sine.aac"));
  std::string head;
  while(head.size() + sine.size() <= (1u << 20))
    head += sine;
  TempDir dir;
  const std::string small = dir.write("small.aac", head);
  const std::string large = dir.write("large.aac", head);
  std::filesystem::resize_file(large, 1UL << 30);
  long read[2] = {0, 0};
  int seconds[2] = {0, 0};
  for(int i = 0; i < 2; ++i) {
    const long before = bytesReadSoFar();
    {
      File f((i == 0 ? small : large).c_str());
      seconds[i] = f.audioProperties()->length();
    }
    read[i] = bytesReadSoFar() - before;
  }
  RecordProperty("bytes_read_1MiB", static_cast<int>(read[0]));
  RecordProperty("bytes_read_1GiB", static_cast<int>(read[1]));
  // sine.aac is 45 frames at 44.1 kHz.
  EXPECT_EQ(seconds[0], static_cast<int>(head.size() / sine.size() * 45 * 1024 / 44100));
  EXPECT_GT(seconds[1], 100000);
  EXPECT_LE(std::labs(read[1] - read[0]), 64L * 1024) << read[0] << " and " << read[1] << " bytes";
  EXPECT_LE(read[1], 128L * 1024);
}
