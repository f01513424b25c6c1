#include <gtest/gtest.h>

#include <memory>

#include <apetag.h>
#include <id3v1tag.h>

#include "common/combinedtag.h"

using TagLib::CombinedTag;
using TagLib::String;

namespace {

class CombinedTagTest : public ::testing::Test
{
protected:
  TagLib::APE::Tag first;
  TagLib::ID3v1::Tag second;
  CombinedTag combined{&first, &second};
};

} // namespace

TEST_F(CombinedTagTest, EachFieldPrefersTheFirstTagAndFallsBackToTheSecond)
{
  second.setTitle("second title");
  EXPECT_EQ(combined.title(), "second title");
  first.setTitle("first title");
  EXPECT_EQ(combined.title(), "first title");

  // Decided per field: the artist still comes from the second tag.
  second.setArtist("second artist");
  EXPECT_EQ(combined.artist(), "second artist");

  second.setYear(1999);
  EXPECT_EQ(combined.year(), 1999u);
  first.setYear(2005);
  EXPECT_EQ(combined.year(), 2005u);

  second.setTrack(4);
  EXPECT_EQ(combined.track(), 4u);
  first.setTrack(9);
  EXPECT_EQ(combined.track(), 9u);

  second.setAlbum("album");
  second.setComment("comment");
  second.setGenre("Jazz");
  EXPECT_EQ(combined.album(), "album");
  EXPECT_EQ(combined.comment(), "comment");
  EXPECT_EQ(combined.genre(), "Jazz");
  EXPECT_FALSE(combined.isEmpty());
}

TEST_F(CombinedTagTest, SettersReachBothTags)
{
  combined.setTitle("T");
  combined.setArtist("A");
  combined.setAlbum("L");
  combined.setComment("C");
  combined.setGenre("Rock");
  combined.setYear(2001);
  combined.setTrack(12);
  for(const TagLib::Tag *tag : {static_cast<TagLib::Tag *>(&first), static_cast<TagLib::Tag *>(&second)}) {
    EXPECT_EQ(tag->title(), "T");
    EXPECT_EQ(tag->artist(), "A");
    EXPECT_EQ(tag->album(), "L");
    EXPECT_EQ(tag->comment(), "C");
    EXPECT_EQ(tag->genre(), "Rock");
    EXPECT_EQ(tag->year(), 2001u);
    EXPECT_EQ(tag->track(), 12u);
  }

  // An empty value empties both, so nothing shows through.
  combined.setGenre("");
  EXPECT_TRUE(first.genre().isEmpty());
  EXPECT_TRUE(second.genre().isEmpty());
  EXPECT_TRUE(combined.genre().isEmpty());
}

TEST(CombinedTag, NullTagsGiveNullValuesAndIgnoreSetters)
{
  CombinedTag none(nullptr, nullptr);
  EXPECT_TRUE(none.title().isNull());
  EXPECT_TRUE(none.artist().isEmpty());
  EXPECT_TRUE(none.album().isEmpty());
  EXPECT_TRUE(none.comment().isEmpty());
  EXPECT_TRUE(none.genre().isEmpty());
  EXPECT_EQ(none.year(), 0u);
  EXPECT_EQ(none.track(), 0u);
  none.setTitle("x");
  none.setYear(3);
  EXPECT_TRUE(none.isEmpty());

  // Only one of the two: the other side is simply skipped.
  TagLib::ID3v1::Tag onlySecond;
  CombinedTag secondOnly(nullptr, &onlySecond);
  secondOnly.setTitle("t");
  EXPECT_EQ(onlySecond.title(), "t");
  EXPECT_EQ(secondOnly.title(), "t");

  TagLib::APE::Tag onlyFirst;
  CombinedTag firstOnly(&onlyFirst, nullptr);
  firstOnly.setYear(1980);
  EXPECT_EQ(firstOnly.year(), 1980u);
  // An empty first value with no second tag is TagLib's null string.
  EXPECT_TRUE(firstOnly.title().isNull());
}

TEST(CombinedTag, DestroyingItLeavesBothTagsIntact)
{
  TagLib::APE::Tag first;
  TagLib::ID3v1::Tag second;
  {
    auto combined = std::make_unique<CombinedTag>(&first, &second);
    combined->setTitle("kept");
  }
  EXPECT_EQ(first.title(), "kept");
  EXPECT_EQ(second.title(), "kept");
}
