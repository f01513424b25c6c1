// Fuzzes the library as a host uses it: the input bytes become a file with one
// of the registered extensions, which is opened through TagLib::FileRef, read,
// changed and saved.
//
// The extension comes from the environment variable BRENVO_FUZZ_EXT (".m4a"),
// so that each format is fuzzed from its own corpus; without it, the first
// input byte selects one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "hostcalls.h"

namespace {

std::string workDir()
{
  static const std::string dir = [] {
    char pattern[] = "/tmp/brenvo-fuzz-XXXXXX";
    const char *made = ::mkdtemp(pattern);
    if(!made)
      std::abort();
    return std::string(made);
  }();
  return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const auto &extensions = brenvo_test::pluginExtensions();
  std::string extension;
  if(const char *fixed = std::getenv("BRENVO_FUZZ_EXT")) {
    extension = fixed;
  }
  else {
    if(size == 0)
      return 0;
    extension = extensions[data[0] % extensions.size()];
    ++data;
    --size;
  }

  const std::string path = workDir() + "/input" + extension;
  if(FILE *out = std::fopen(path.c_str(), "wb")) {
    if(size)
      std::fwrite(data, 1, size, out);
    std::fclose(out);
  }
  const brenvo_test::HostResult result = brenvo_test::exerciseHost(path, true);
  if(result.opened && !result.hasTag)
    std::abort();  // a host would crash on this file
  std::remove(path.c_str());
  return 0;
}
