// The tag: the five texts, the attribute map and the fields kept in it.
#include <gtest/gtest.h>

#include <functional>

#include "asf/asftag.h"

using TagLib::String;
using TagLib::ASF::Attribute;
using TagLib::ASF::Tag;

TEST(AsfTag, IsEmptyCountsEveryField)
{
  // Setting an empty album or year 0 creates entries rather than removing.
  const std::function<void(Tag &)> edits[] = {
    [](Tag &t) { t.setCopyright("x"); },
    [](Tag &t) { t.setRating("x"); },
    [](Tag &t) { t.addAttribute("Any", Attribute(1u)); },
    [](Tag &t) { t.setAlbum(""); },
    [](Tag &t) { t.setYear(0); },
  };
  for(const auto &edit : edits) {
    Tag tag;
    edit(tag);
    EXPECT_FALSE(tag.isEmpty());
  }
}

TEST(AsfTag, AlbumGenreYearAndTrackLiveInAttributes)
{
  Tag tag;
  EXPECT_TRUE(tag.album().isNull());
  EXPECT_TRUE(tag.genre().isNull());
  EXPECT_EQ(tag.year(), 0u);
  EXPECT_EQ(tag.track(), 0u);

  tag.addAttribute("WM/AlbumTitle", Attribute(String("First")));
  tag.addAttribute("WM/AlbumTitle", Attribute(String("Second")));
  EXPECT_EQ(tag.album(), "First");

  tag.setGenre("Jazz");
  tag.setYear(1999);
  EXPECT_EQ(tag.genre(), "Jazz");
  EXPECT_EQ(tag.year(), 1999u);
  EXPECT_EQ(tag.attributeListMap()["WM/Year"].front().type(), Attribute::Unicode);

  tag.addAttribute("WM/TrackNumber", Attribute(String("1")));
  tag.addAttribute("WM/TrackNumber", Attribute(String("2")));
  tag.setTrack(7);
  const auto &tracks = tag.attributeListMap()["WM/TrackNumber"];
  ASSERT_EQ(tracks.size(), 1u);
  EXPECT_EQ(tracks.front().type(), Attribute::Unicode);
  EXPECT_EQ(tracks.front().toString(), "7");
  EXPECT_EQ(tag.track(), 7u);

  // Numbers beyond int keep their digits.
  tag.setYear(3000000000u);
  EXPECT_EQ(tag.attributeListMap()["WM/Year"].front().toString(), "3000000000");
}

TEST(AsfTag, TrackPrefersTheTextualNumber)
{
  Tag tag;
  tag.setAttribute("WM/Track", Attribute(4u));
  EXPECT_EQ(tag.track(), 4u);
  // A DWORD under WM/TrackNumber has no text: 0, and WM/Track is not consulted.
  tag.setAttribute("WM/TrackNumber", Attribute(9u));
  EXPECT_EQ(tag.track(), 0u);
  // An empty list left by a host counts as absent.
  tag.attributeListMap()["WM/TrackNumber"] = TagLib::ASF::AttributeList();
  EXPECT_EQ(tag.track(), 4u);
  tag.attributeListMap()["WM/AlbumTitle"] = TagLib::ASF::AttributeList();
  EXPECT_TRUE(tag.album().isEmpty());
}

TEST(AsfTag, SetAttributeReplacesAndRemoveItemForgets)
{
  Tag tag;
  tag.addAttribute("k", Attribute(1u));
  tag.addAttribute("k", Attribute(2u));
  tag.setAttribute("k", Attribute(3u));
  ASSERT_EQ(tag.attributeListMap()["k"].size(), 1u);
  EXPECT_EQ(tag.attributeListMap()["k"].front().toUInt(), 3u);
  tag.removeItem("k");
  tag.removeItem("absent");
  EXPECT_FALSE(tag.attributeListMap().contains("k"));
  // Names compare exactly.
  tag.addAttribute("K", Attribute(1u));
  tag.addAttribute("k", Attribute(1u));
  EXPECT_EQ(tag.attributeListMap().size(), 2u);
}
