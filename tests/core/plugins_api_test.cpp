// What a host may ask beside TagLib's interfaces: the extensions the
// resolvers take, and the short name of a file object's format.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include <fileref.h>

#include "hostcalls.h"
#include "testfiles.h"
#include "tplugins.h"

using namespace brenvo_test;

namespace {

TEST(PluginsApi, EveryListedExtensionOpensThroughThisLibraryAndNoOtherDoes)
{
  ensurePluginsRegistered();
  const TagLib::StringList extensions = TagLib::Plugins::fileExtensions();
  EXPECT_EQ(extensions.size(), 19u);
  // Every sample whose extension is listed opens as one of this library's
  // formats; every listed extension has a sample.
  std::size_t named = 0;
  for(const std::string &path : allDataFiles()) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if(!extensions.contains(ext))
      continue;
    SCOPED_TRACE(path);
    TagLib::FileRef ref(path.c_str());
    ASSERT_FALSE(ref.isNull());
    EXPECT_FALSE(TagLib::Plugins::formatName(ref.file()).isEmpty());
    ++named;
  }
  EXPECT_GE(named, 30u);
}

TEST(PluginsApi, FormatNamesComeFromTheFileObject)
{
  ensurePluginsRegistered();
  struct Case { const char *sample; const char *format; };
  const Case cases[] = {
    {"m4a/aac-stereo-48k.m4a", "MP4"},   {"asf/ffmpeg-tags.wma", "ASF"},     {"rmff/ac3.rm", "RealMedia"},
    {"audible/book.aa", "Audible"},       {"aac/sine.aac", "AAC"},            {"wavpack/stereo16-ape.wv", "WavPack"},
    {"speex/wideband.spx", "Speex"},      {"trueaudio/stereo24-id3v1.tta", "TTA"}, {"wav/canonical.wav", "WAVE"},
  };
  for(const Case &c : cases) {
    TagLib::FileRef ref(dataPath(c.sample).c_str());
    EXPECT_EQ(TagLib::Plugins::formatName(ref.file()), c.format) << c.sample;
  }
  EXPECT_TRUE(TagLib::Plugins::formatName(nullptr).isEmpty());
}

} // namespace
