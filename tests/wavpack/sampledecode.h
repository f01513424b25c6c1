#ifndef BRENVO_TEST_SAMPLEDECODE_H
#define BRENVO_TEST_SAMPLEDECODE_H

// Runs a real decoder on a file, for the WavPack and TrueAudio sample tests.

#include <cstdlib>
#include <string>

#include "testfiles.h"

namespace brenvo_test {

inline std::string shellQuoted(const std::string &s)
{
  std::string out = "'";
  for(char c : s)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

/*!
 * Runs \a command (a shell command line with "IN" and "OUT" already filled in)
 * and returns the bytes it wrote to \a out, or an empty string when it failed.
 */
inline std::string decodedBy(const std::string &command, const std::string &out)
{
  if(std::system((command + " >/dev/null 2>&1").c_str()) != 0)
    return std::string();
  return readFile(out);
}

} // namespace brenvo_test

#endif
