// What a host may ask beside TagLib's interfaces: the extensions the
// resolvers take, how they match a path, and the short name of a file
// object's format.
#include <gtest/gtest.h>

#include <string>

#include <fileref.h>

#include "hostcalls.h"
#include "testfiles.h"
#include "tfile_helper.h"
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

TEST(PluginsApi, AnExtensionMatchesTheWholeLastExtensionOfThePathInAnyCase)
{
  const struct
  {
    const char *name;
    bool matches;
  } rows[] = {
    {"song.aac", true},        {"Song.AAC", true},       {"SONG.Aac", true},
    {".aac", true},            {"/music/dir.x/track.aac", true},
    {"song.aac.part", false},  {"dir.aac/track", false}, {"/music/dir.aac/track", false},
    {"song.aacx", false},      {"song.aa", false},       {"songaac", false},
    {"", false},
  };
  for(const auto &row : rows) {
    EXPECT_EQ(row.matches, TagLib::CheckExtensionImpl(row.name, ".aac")) << row.name;
    const std::string narrow(row.name);
    const std::wstring wide(narrow.begin(), narrow.end());
    EXPECT_EQ(row.matches, TagLib::CheckExtensionImpl(wide.c_str(), L".aac")) << row.name;
  }
}

// The format name comes from the file object; the resolvers go by the extension
// (TagLib may still recognise the content of a file without one itself).
TEST(PluginsApi, FormatNamesComeFromTheFileObjectAndTheExtensionDecides)
{
  ensurePluginsRegistered();
  TempDir dir;
  struct Case { const char *sample; const char *format; };
  const Case cases[] = {
    {"m4a/aac-stereo-48k.m4a", "MP4"},   {"asf/ffmpeg-tags.wma", "ASF"},     {"rmff/ac3.rm", "RealMedia"},
    {"audible/book.aa", "Audible"},       {"aac/sine.aac", "AAC"},            {"wavpack/stereo16-ape.wv", "WavPack"},
    {"speex/wideband.spx", "Speex"},      {"trueaudio/stereo24-id3v1.tta", "TTA"}, {"wav/canonical.wav", "WAVE"},
  };
  for(const Case &c : cases) {
    SCOPED_TRACE(c.sample);
    EXPECT_EQ(TagLib::Plugins::formatName(TagLib::FileRef(dataPath(c.sample).c_str()).file()), c.format);
    const TagLib::FileRef ref(dir.write("no-extension", readFile(dataPath(c.sample))).c_str());
    EXPECT_TRUE(TagLib::Plugins::formatName(ref.file()).isEmpty());
  }
  EXPECT_TRUE(TagLib::Plugins::formatName(nullptr).isEmpty());
}

} // namespace
