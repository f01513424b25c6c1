// Acts as a real host on every registered extension: valid files from
// tests/data, truncated copies of them, and empty and garbage input. Whatever
// the bytes, opening must not crash and an opened file must have a tag.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>

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

TEST(HostConformance, EmptyAndGarbageInputForEveryExtension)
{
  TempDir dir;
  unsigned seed = 1;
  for(const std::string &ext : pluginExtensions()) {
    expectSound(dir.write("empty" + ext, ""), "empty" + ext);
    expectSound(dir.write("one" + ext, "\x01"), "one byte" + ext);
    expectSound(dir.write("small" + ext, garbage(200, seed++)), "200 garbage bytes" + ext);
    expectSound(dir.write("large" + ext, garbage(70000, seed++)), "70000 garbage bytes" + ext);
  }
}

TEST(HostConformance, MissingFileForEveryExtension)
{
  TempDir dir;
  for(const std::string &ext : pluginExtensions()) {
    const HostResult result = exerciseHost(dir.path() + "/missing" + ext, true);
    if(result.opened) {
      EXPECT_TRUE(result.hasTag) << ext;
    }
  }
}

TEST(HostConformance, ValidAndTruncatedSampleFiles)
{
  TempDir dir;
  int checked = 0;
  for(const std::string &source : allDataFiles()) {
    const std::string ext = lowerExtension(source);
    if(!isPluginExtension(ext))
      continue;
    const std::string bytes = readFile(source);
    const std::string name = std::filesystem::path(source).stem().string();
    expectSound(dir.write(name + ext, bytes), source);
    for(std::size_t cut : {bytes.size() / 2, bytes.size() / 8, std::size_t(1000), std::size_t(64), std::size_t(8)}) {
      if(cut < bytes.size())
        expectSound(dir.write(name + "-cut" + std::to_string(cut) + ext, bytes.substr(0, cut)),
                    source + " cut to " + std::to_string(cut));
    }
    // A damaged middle: the first kilobyte survives, the rest is noise.
    std::string damaged = bytes.substr(0, std::min<std::size_t>(1024, bytes.size()));
    damaged += garbage(bytes.size() - damaged.size(), static_cast<unsigned>(bytes.size()));
    expectSound(dir.write(name + "-damaged" + ext, damaged), source + " damaged");
    ++checked;
  }
  RecordProperty("files", checked);
}
