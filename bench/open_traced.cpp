/*
 * Opens one file through FileRef, reads its tag and audio properties and
 * closes it, between marker system calls, for a system call trace:
 *
 *   strace -qq -f -s 4096 -o LOG brenvo_open_traced FILE
 *
 * Each open is bracketed by access("/brenvo-open-traced/begin") and
 * access("/brenvo-open-traced/end"), which fail harmlessly, so that the
 * calls of one open are the lines between the two. One open before the
 * first marker absorbs what happens once per process (locale, conversion
 * tables, allocator arenas), which is no cost of opening a file.
 *
 * usage: brenvo_open_traced [--taglib_only] [--mpeg] [--opens=N] FILE
 */
#include <cstdlib>
#include <iostream>
#include <string>

#include <getopt.h>
#include <unistd.h>

#include "open_read.h"
#include "tplugins.h"

namespace {

const char beginMarker[] = "/brenvo-open-traced/begin";
const char endMarker[] = "/brenvo-open-traced/end";

const char usage[] =
  "usage: brenvo_open_traced [--taglib_only] [--mpeg] [--opens=N] FILE\n"
  "  --taglib_only  do not register the plug-ins (TagLib 1.13's own readers)\n"
  "  --mpeg         open with TagLib::MPEG::File instead of FileRef\n"
  "  --opens=N      traced opens, each between its own markers (default 3)\n";

} // namespace

int main(int argc, char **argv)
{
  bool taglibOnly = false;
  brenvo_bench::Reader reader = brenvo_bench::Reader::FileRef;
  long opens = 3;
  enum { TaglibOnly = 1, Mpeg, Opens, Help };
  const struct option longOptions[] = {
    {"taglib_only", no_argument, nullptr, TaglibOnly},
    {"mpeg", no_argument, nullptr, Mpeg},
    {"opens", required_argument, nullptr, Opens},
    {"help", no_argument, nullptr, Help},
    {nullptr, 0, nullptr, 0},
  };
  int option = 0;
  while((option = ::getopt_long(argc, argv, "", longOptions, nullptr)) != -1) {
    switch(option) {
    case TaglibOnly:
      taglibOnly = true;
      break;
    case Mpeg:
      reader = brenvo_bench::Reader::TaglibMpeg;
      break;
    case Opens:
      opens = std::strtol(optarg, nullptr, 10);
      break;
    case Help:
      std::cout << usage;
      return 0;
    default:
      std::cerr << usage;
      return 2;
    }
  }
  if(optind + 1 != argc || opens < 1) {
    std::cerr << usage;
    return 2;
  }
  const std::string path = argv[optind];
  if(!taglibOnly)
    registerTaglibPlugins();

  const brenvo_bench::Snapshot first = brenvo_bench::openAndRead(path, reader);
  for(long i = 0; i < opens; ++i) {
    ::access(beginMarker, F_OK);
    const brenvo_bench::Snapshot s = brenvo_bench::openAndRead(path, reader);
    ::access(endMarker, F_OK);
    if(s.opened != first.opened)
      return 1;
  }
  std::cout << first.describe() << "\n";
  return first.opened ? 0 : 1;
}
