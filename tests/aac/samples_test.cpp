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

// The bytes this process has read so far.
long bytesRead()
{
  std::ifstream io("/proc/self/io");
  std::string key;
  long value = 0;
  while(io >> key >> value && key != "rchar:") {
  }
  return value;
}

} // namespace

TEST(AACSamples, PropertiesAgreeWithFfprobeAndMutagen)
{
  // "== name", then "tool.key=value" lines.
  std::map<std::string, std::map<std::string, double>> samples;
  std::ifstream in(dataPath("aac/oracle.txt"));
  std::string line, name;
  while(std::getline(in, line)) {
    const std::size_t eq = line.find('=', 1);
    if(line.rfind("== ", 0) == 0)
      name = line.substr(3);
    else if(eq != std::string::npos)
      samples[name][line.substr(0, eq)] = std::stod(line.substr(eq + 1));
  }
  ASSERT_EQ(samples.size(), 5u);
  for(const auto &[sample, o] : samples) {
    for(const auto style : {TagLib::AudioProperties::Average, TagLib::AudioProperties::Accurate}) {
      SCOPED_TRACE(sample + " " + std::to_string(style));
      const std::string path = dataPath("aac/" + sample);
      const File f(path.c_str(), true, style);
      const TagLib::AAC::Properties *p = f.audioProperties();
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(p->sampleRate(), o.at("mutagen.sample_rate"));
      // mutagen reads no program config element (0 channels); ffprobe reads no ADIF.
      EXPECT_EQ(p->channels(), o.at(o.at("mutagen.channels") > 0 ? "mutagen.channels" : "ffprobe.channels"));
      double seconds = 0, kbps = 0;
      if(o.count("ffprobe.frames")) {
        EXPECT_EQ(p->channels(), o.at("ffprobe.channels"));
        seconds = o.at("ffprobe.frames") * 1024 / o.at("ffprobe.sample_rate");
        kbps = o.at("ffprobe.frame_bytes") * 8 / seconds / 1000;
      }
      else {
        // ADIF: mutagen's bit rate is the header's; the stream is the file without its ID3v1 tag.
        kbps = o.at("mutagen.bitrate") / 1000;
        seconds = static_cast<double>(std::filesystem::file_size(path) - 128) * 8 / o.at("mutagen.bitrate");
      }
      EXPECT_NEAR(p->lengthInMilliseconds(), seconds * 1000, seconds * 10);
      // 2 %, or the rounding to whole kbit/s of a low rate.
      EXPECT_NEAR(p->bitrate(), kbps, std::max(kbps * 0.02, 0.5));
    }
  }
}

TEST(AACSamples, OpeningReadsTheSameBytesWhateverTheLength)
{
  // 1 MiB of frames; the same followed by a hole up to 1 GiB.
  const std::string sine = readFile(dataPath("aac/sine.aac"));
  std::string head;
  while(head.size() + sine.size() <= (1U << 20))
    head += sine;
  TempDir dir;
  const std::string large = dir.write("large.aac", head);
  std::filesystem::resize_file(large, 1UL << 30);
  long read[2] = {0, 0};
  int seconds[2] = {0, 0};
  for(const std::string &path : {dir.write("small.aac", head), large}) {
    const int i = path == large;
    const long before = bytesRead();
    seconds[i] = File(path.c_str()).audioProperties()->length();
    read[i] = bytesRead() - before;
  }
  // sine.aac is 45 frames at 44.1 kHz.
  EXPECT_EQ(seconds[0], static_cast<int>(head.size() / sine.size() * 45 * 1024 / 44100));
  EXPECT_GT(seconds[1], 100000);
  EXPECT_LE(std::labs(read[1] - read[0]), 64L * 1024) << read[0] << " and " << read[1] << " bytes";
  EXPECT_LE(read[1], 128L * 1024);
}
