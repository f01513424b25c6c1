#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <getopt.h>

namespace brenvo_cli {

std::optional<unsigned long> parseWhole(const char *text, unsigned long min, unsigned long max)
{
  // strtoul alone would take " 12", "+12" and "-1" (wrapped around).
  if(!text || *text < '0' || *text > '9')
    return std::nullopt;
  char *end = nullptr;
  errno = 0;
  const unsigned long v = std::strtoul(text, &end, 10);
  if(*end || errno || v < min || v > max)
    return std::nullopt;
  return v;
}

std::string optionName(char *const argv[], int next)
{
  // A short option may sit inside a cluster ("-xj"), so name it by itself.
  if(optopt > 0 && optopt < 256)
    return std::string("-") + static_cast<char>(optopt);
  return argv[next - 1];
}

} // namespace brenvo_cli
