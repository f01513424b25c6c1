#include <gtest/gtest.h>

#include "tfile_helper.h"

using TagLib::CheckExtensionImpl;

TEST(CheckExtension, IgnoresCase)
{
  EXPECT_TRUE(CheckExtensionImpl("Song.AAC", ".aac"));
  EXPECT_TRUE(CheckExtensionImpl("song.aac", ".aac"));
  EXPECT_TRUE(CheckExtensionImpl("SONG.Aac", ".aac"));
  EXPECT_TRUE(CheckExtensionImpl(L"Song.AAC", L".aac"));
}

TEST(CheckExtension, OnlyTheTextFromTheLastDotOfTheWholePathCounts)
{
  EXPECT_FALSE(CheckExtensionImpl("song.aac.part", ".aac"));
  EXPECT_FALSE(CheckExtensionImpl("dir.aac/track", ".aac"));
  EXPECT_FALSE(CheckExtensionImpl("/music/dir.aac/track", ".aac"));
  EXPECT_TRUE(CheckExtensionImpl("/music/dir.x/track.aac", ".aac"));
  EXPECT_FALSE(CheckExtensionImpl(L"dir.aac/track", L".aac"));
}

TEST(CheckExtension, WholeExtensionMustMatch)
{
  EXPECT_FALSE(CheckExtensionImpl("song.aacx", ".aac"));
  EXPECT_FALSE(CheckExtensionImpl("song.aa", ".aac"));
  EXPECT_FALSE(CheckExtensionImpl("songaac", ".aac"));
  EXPECT_FALSE(CheckExtensionImpl("", ".aac"));
  EXPECT_TRUE(CheckExtensionImpl(".aac", ".aac"));
  EXPECT_FALSE(CheckExtensionImpl(L"song.aacx", L".aac"));
  EXPECT_TRUE(CheckExtensionImpl(L".aac", L".aac"));
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
