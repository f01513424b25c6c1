#include <gtest/gtest.h>

#include <string>

#include "tfile_helper.h"

using TagLib::CheckExtensionImpl;

TEST(CheckExtension, WholeLastExtensionOfThePathInAnyCase)
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
    EXPECT_EQ(row.matches, CheckExtensionImpl(row.name, ".aac")) << row.name;
    const std::string narrow(row.name);
    const std::wstring wide(narrow.begin(), narrow.end());
    EXPECT_EQ(row.matches, CheckExtensionImpl(wide.c_str(), L".aac")) << row.name;
  }
}
