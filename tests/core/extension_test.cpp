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

TEST(CheckExtension, NullArgumentsNeverMatch)
{
  EXPECT_FALSE(CheckExtensionImpl(static_cast<const char *>(nullptr), ".aac"));
  EXPECT_FALSE(CheckExtensionImpl("a.aac", static_cast<const char *>(nullptr)));
}

TEST(WcsCaseCmp, DifferenceOfLowerCasedCharacters)
{
  EXPECT_EQ(0, TagLib::wcscasecmp(L".M4A", L".m4a"));
  EXPECT_EQ(0, TagLib::wcscasecmp(L"", L""));
  EXPECT_EQ(L'b' - L'a', TagLib::wcscasecmp(L"B", L"a"));
  EXPECT_EQ(L'a' - L'b', TagLib::wcscasecmp(L"a", L"B"));
  // One string ends first: the difference at that position.
  EXPECT_EQ(0 - static_cast<int>(L'x'), TagLib::wcscasecmp(L"ab", L"abx"));
  EXPECT_EQ(static_cast<int>(L'x'), TagLib::wcscasecmp(L"abX", L"ab"));
}

TEST(HasAnyExtension, TestsEachInOrder)
{
  EXPECT_TRUE(TagLib::hasAnyExtension("a.RMVB", {".ra", ".rmvb"}));
  EXPECT_FALSE(TagLib::hasAnyExtension("a.rmvbx", {".ra", ".rmvb"}));
  EXPECT_FALSE(TagLib::hasAnyExtension("a.ra", {}));
}
