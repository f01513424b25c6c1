// What a host may ask beside TagLib's interfaces: the extensions the
// resolvers take, and the short name of a file object's format.
#include <gtest/gtest.h>

#include <string>

#include <fileref.h>

#include "hostcalls.h"
#include "testfiles.h"
#include "tplugins.h"

using namespace brenvo_test;

namespace {

TEST(PluginsApi, ExtensionsAreLowerCaseWithTheDot)
{
  // That every sample with a listed extension opens through this library is
  // the conformance suite's check; here, the list's own form.
  const TagLib::StringList extensions = TagLib::Plugins::fileExtensions();
  EXPECT_EQ(extensions.size(), 19u);
  for(const TagLib::String &ext : extensions) {
    const std::string text = ext.to8Bit();
    EXPECT_EQ(text.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << text;
    EXPECT_EQ(text.rfind('.'), 0u) << text;
  }
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
