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
  EXPECT_TRUE(!result.opened || result.hasTag) << "a resolver returned a file with a null tag";
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
  std::set<std::string> extensions;
  for(const std::string &source : allDataFiles()) {
    std::string ext = std::filesystem::path(source).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if(std::find(pluginExtensions().begin(), pluginExtensions().end(), ext) == pluginExtensions().end())
      continue;
    SCOPED_TRACE(source);
    extensions.insert(ext);
    const std::string bytes = readFile(source), name = std::filesystem::path(source).stem().string();
    ASSERT_GT(bytes.size(), 8U);
    const std::string copy = dir.write(name + ext, bytes);
    {
      // TagLib reads some of these formats itself: the file must be ours.
      const TagLib::FileRef ref(copy.c_str());
      ASSERT_FALSE(ref.isNull());
      const TagLib::File &file = *ref.file();
      const std::string className = typeid(file).name();
      EXPECT_NE(className.find(BRENVO_NS_TEXT), std::string::npos) << "opened as " << className;
    }
    const HostResult valid = exerciseHost(copy, true);
    EXPECT_TRUE(valid.opened && valid.hasTag);

    // Cuts below the sample's size, so every sample yields every variant.
    for(std::size_t cut : {bytes.size() / 2, bytes.size() / 8, std::size_t(1000), std::size_t(64), std::size_t(8)}) {
      cut = std::min(cut, bytes.size() - 1);
      expectSound(dir.write(name + "-cut" + ext, bytes.substr(0, cut)), "cut to " + std::to_string(cut));
    }
    // A damaged middle: the first kilobyte survives, the rest is noise.
    std::string damaged = bytes.substr(0, std::min<std::size_t>(1024, bytes.size()));
    damaged += garbage(bytes.size() - damaged.size(), static_cast<unsigned>(bytes.size()));
    expectSound(dir.write(name + "-damaged" + ext, damaged), "damaged");
  }
  // A lost or renamed sample folder must not let this pass with nothing run.
  for(const char *ext : {".m4a", ".wma", ".rm", ".aa", ".aac", ".wv", ".spx", ".tta", ".wav"})
    EXPECT_EQ(extensions.count(ext), 1U) << "no sample of " << ext << " under " << dataDir();
}
