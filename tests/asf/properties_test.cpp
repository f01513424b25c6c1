// The property map and pictures of the ASF tag: what setProperties() stores,
// refuses and leaves alone, and that the tag's own setters agree with it.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "asf/asffile.h"
#include "testfiles.h"

using TagLib::PropertyMap;
using TagLib::String;
using TagLib::StringList;
using TagLib::ASF::Attribute;
using namespace brenvo_test;

namespace {

// Every attribute as its type, value bytes, stream and language.
using Stored = std::tuple<int, TagLib::ByteVector, int, int>;
std::map<String, std::vector<Stored>> attributes(TagLib::ASF::File &f)
{
  std::map<String, std::vector<Stored>> out;
  for(const auto &entry : f.tag()->attributeListMap()) {
    for(const Attribute &a : entry.second)
      out[entry.first].emplace_back(a.type(), a.renderValue(2), a.stream(), a.language());
  }
  return out;
}

TEST(AsfProperties, FieldsTheHostLeftAloneKeepTheirAttributesThroughASave)
{
  TempDir dir;
  const std::string path = dir.copy(dataPath("asf/mutagen-keys.wma"), "f.wma");
  std::map<String, std::vector<Stored>> before;
  {
    auto f = std::make_unique<TagLib::ASF::File>(path.c_str());
    before = attributes(*f);
    // A DWORD track, a WORD tempo shown empty, streams, languages, pictures
    // that do not parse and names without a key all come back as they were.
    PropertyMap map = f->properties();
    map.replace("ALBUM", StringList("New"));
    EXPECT_TRUE(f->setProperties(map).isEmpty());
    EXPECT_TRUE(f->setPictures(f->pictures()));
    ASSERT_TRUE(f->save());
  }
  auto f = std::make_unique<TagLib::ASF::File>(path.c_str());
  before["WM/AlbumTitle"] = {Stored(Attribute::Unicode, Attribute(String("New")).renderValue(2), 0, 0)};
  EXPECT_TRUE(attributes(*f) == before);
}

TEST(AsfProperties, SetPropertiesStoresWhatTheTagHoldsAndRefusesTheRest)
{
  TagLib::ASF::Tag tag;
  tag.setComment("Old comment");
  tag.setAlbum("Old album");
  tag.addAttribute("Custom", Attribute(String("kept")));
  PropertyMap map;
  map.replace("TITLE", StringList("Two").append("words"));
  map.replace("GENRE", StringList("Jazz").append("Rock"));
  map.replace("TRACKNUMBER", StringList("5"));
  map.replace("RATING", StringList("5 stars"));  // the rating has no key
  map.replace("FIELD", StringList("x"));
  // Longer than the content description's WORD length holds.
  map.replace("COMMENT", StringList(String(std::string(32767, 'c'))));
  const PropertyMap refused = tag.setProperties(map);
  EXPECT_EQ(refused.size(), 3u);
  EXPECT_TRUE(refused.contains("RATING") && refused.contains("FIELD") && refused.contains("COMMENT"));
  EXPECT_EQ(tag.title(), "Two words");
  EXPECT_EQ(tag.genre(), "Jazz");
  EXPECT_EQ(tag.track(), 5u);
  EXPECT_EQ(tag.comment(), "Old comment");
  EXPECT_TRUE(tag.album().isEmpty());

  EXPECT_EQ(tag.properties().unsupportedData(), StringList("Custom"));
  tag.removeUnsupportedProperties(StringList("Custom"));
  EXPECT_TRUE(tag.properties().unsupportedData().isEmpty());
}
} // namespace
