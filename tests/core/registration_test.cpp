#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include <mpegfile.h>

#include <fileref.h>

#include "hostcalls.h"
#include "testfiles.h"
#include "tresolvers.h"

using namespace brenvo_test;

namespace {

// The registration order of the library's contract.
const std::vector<std::string> specifiedOrder = {
  "MP4FileTypeResolver", "ASFFileTypeResolver", "RealMediaFileTypeResolver",
  "AudibleFileTypeResolver", "AACFileTypeResolver", "WavPackFileTypeResolver",
  "SpeexFileTypeResolver", "TTAFileTypeResolver", "WavFileTypeResolver"};

std::vector<std::string> registeredOrder()
{
  std::vector<std::string> names;
  for(const TagLib::PluginFormat &format : TagLib::pluginFormats())
    names.emplace_back(format.resolverName);
  return names;
}

} // namespace

TEST(Registration, AllNineResolversInTheSpecifiedOrder)
{
  EXPECT_EQ(registeredOrder(), specifiedOrder);
}

TEST(Registration, EachTableEntryCreatesAResolver)
{
  for(const TagLib::PluginFormat &format : TagLib::pluginFormats()) {
    std::unique_ptr<TagLib::FileRef::FileTypeResolver> resolver(format.makeResolver());
    EXPECT_NE(resolver, nullptr) << format.resolverName;
    // No resolver takes a name without an extension.
    EXPECT_EQ(resolver->createFile("/nonexistent/no-extension", true, TagLib::AudioProperties::Average), nullptr);
  }
}

class AacResolution : public ::testing::Test
{
protected:
  void SetUp() override { ensurePluginsRegistered(); }

  bool opensAsMpeg(const std::string &name)
  {
    const std::string path = dir.write(name, readFile(dataPath("aac/sine.aac")));
    TagLib::FileRef ref(path.c_str());
    return dynamic_cast<TagLib::MPEG::File *>(ref.file()) != nullptr;
  }

  TempDir dir;
};

TEST_F(AacResolution, AnyLetterCaseOpensThroughTagLibsMpegFile)
{
  EXPECT_TRUE(opensAsMpeg("song.aac"));
  EXPECT_TRUE(opensAsMpeg("Song.AAC"));
  EXPECT_TRUE(opensAsMpeg("SONG.Aac"));
  EXPECT_TRUE(opensAsMpeg(".aac"));
}

TEST_F(AacResolution, NamesThatDoNotQualifyAreNotTaken)
{
  EXPECT_FALSE(opensAsMpeg("song.aac.part"));
  EXPECT_FALSE(opensAsMpeg("song.aacx"));
  EXPECT_FALSE(opensAsMpeg("songaac"));
  std::filesystem::create_directory(dir.path() + "/dir.aac");
  EXPECT_FALSE(opensAsMpeg("dir.aac/track"));
}

TEST_F(AacResolution, TheMpegFileAlwaysHasATag)
{
  // TagLib 1.13's MPEG reader does not decode ADTS headers, so the properties
  // of an AAC stream read as zero; the file object and its tag still exist.
  TagLib::FileRef ref(dataPath("aac/sine.aac").c_str());
  ASSERT_FALSE(ref.isNull());
  EXPECT_NE(ref.tag(), nullptr);
}
