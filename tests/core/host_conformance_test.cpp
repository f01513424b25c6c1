// Acts as a real host on every registered extension: valid files from
// tests/data, truncated copies of them, and empty and garbage input. Every
// valid file opens through this library; whatever the bytes, opening must not
// crash and an opened file must have a tag.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>
#include <set>
#include <typeinfo>

#include <fileref.h>

#include "brenvo_export.h"
#include "hostcalls.h"
#include "testfiles.h"

using namespace brenvo_test;

namespace {

std::string lowerExtension(const std::string &path)
{
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

bool isPluginExtension(const std::string &ext)
{
  const auto &all = pluginExtensions();
  return std::find(all.begin(), all.end(), ext) != all.end();
}

std::string garbage(std::size_t size, unsigned seed)
{
  std::mt19937 rng(seed);
  std::string bytes(size, '\0');
  for(char &c : bytes)
    c = static_cast<char>(rng() & 0xFF);
  return bytes;
}

void expectSound(const std::string &path, const std::string &what)
{
  SCOPED_TRACE(what);
  const HostResult result = exerciseHost(path, true);
  if(result.opened) {
    EXPECT_TRUE(result.hasTag) << "a resolver returned a file with a null tag for " << what;
  }
}

} // namespace

TEST(HostConformance, MissingEmptyAndGarbageInputForEveryExtension)
{
  TempDir dir;
  unsigned seed = 1;
  for(const std::string &ext : pluginExtensions()) {
    expectSound(dir.write("empty" + ext, ""), "empty" + ext);
    expectSound(dir.write("one" + ext, "\x01"), "one byte" + ext);
    expectSound(dir.write("small" + ext, garbage(200, seed++)), "200 garbage bytes" + ext);
    expectSound(dir.write("large" + ext, garbage(70000, seed++)), "70000 garbage bytes" + ext);
    expectSound(dir.path() + "/missing" + ext, "missing" + ext);
  }
}

TEST(HostConformance, ValidAndTruncatedSampleFiles)
{
  ensurePluginsRegistered();
  TempDir dir;
  std::size_t samples = 0;
  std::size_t cases = 0;
  std::set<std::string> extensions;
  for(const std::string &source : allDataFiles()) {
    const std::string ext = lowerExtension(source);
    if(!isPluginExtension(ext))
      continue;
    ++samples;
    extensions.insert(ext);
    const std::string bytes = readFile(source);
    ASSERT_GT(bytes.size(), 8U) << source;
    const std::string name = std::filesystem::path(source).stem().string();

    const std::string copy = dir.write(name + ext, bytes);
    {
      // TagLib reads some of these formats itself: the file must be ours.
      const TagLib::FileRef ref(copy.c_str());
      ASSERT_FALSE(ref.isNull()) << source << " does not open through FileRef";
      const TagLib::File &file = *ref.file();
      const std::string className = typeid(file).name();
      EXPECT_NE(className.find(BRENVO_NS_TEXT), std::string::npos) << source << " opened as " << className;
    }
    const HostResult valid = exerciseHost(copy, true);
    EXPECT_TRUE(valid.opened) << source << " does not open through FileRef";
    EXPECT_TRUE(valid.hasTag) << source << " opened without a tag";
    ++cases;

    // Cuts below the sample's size, so every sample yields every variant.
    for(std::size_t cut : {bytes.size() / 2, bytes.size() / 8, std::size_t(1000), std::size_t(64), std::size_t(8)}) {
      cut = std::min(cut, bytes.size() - 1);
      expectSound(dir.write(name + "-cut" + std::to_string(cut) + ext, bytes.substr(0, cut)),
                  source + " cut to " + std::to_string(cut));
      ++cases;
    }
    // A damaged middle: the first kilobyte survives, the rest is noise.
    std::string damaged = bytes.substr(0, std::min<std::size_t>(1024, bytes.size()));
    damaged += garbage(bytes.size() - damaged.size(), static_cast<unsigned>(bytes.size()));
    expectSound(dir.write(name + "-damaged" + ext, damaged), source + " damaged");
    ++cases;
  }
  // A lost or renamed sample folder must not let this pass with nothing run.
  for(const char *ext : {".m4a", ".wma", ".rm", ".aa", ".aac", ".wv", ".spx", ".tta", ".wav"})
    EXPECT_EQ(extensions.count(ext), 1U) << "no sample of " << ext << " under " << dataDir();
  EXPECT_GE(samples, 9U);
  EXPECT_EQ(cases, samples * 7);
}
