// The samples of tests/data/aac (made by its make.sh) against what ffprobe and
// mutagen read of them (oracle.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "aac/aacfile.h"
#include "testfiles.h"

using namespace brenvo_test;
using TagLib::AAC::File;

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
