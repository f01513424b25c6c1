#include "asftag.h"

#include <string>

namespace TagLib {
namespace ASF {
inline namespace BRENVO_NS {

namespace {

const char albumKey[] = "WM/AlbumTitle";
const char genreKey[] = "WM/Genre";
const char yearKey[] = "WM/Year";
const char trackNumberKey[] = "WM/TrackNumber";
const char trackKey[] = "WM/Track";

} // namespace

class Tag::TagPrivate
{
public:
  String title;
  String artist;
  String copyright;
  String comment;
  String rating;
  AttributeListMap attributeListMap;

  // The first attribute under name, or null. A host may leave an empty list
  // in the map; it counts as absent.
  const Attribute *first(const String &name) const
  {
    const auto it = attributeListMap.find(name);
    if(it == attributeListMap.end() || it->second.isEmpty())
      return nullptr;
    return &it->second.front();
  }
};

Tag::Tag() :
  d(std::make_unique<TagPrivate>())
{
}

Tag::~Tag() = default;

String Tag::title() const { return d->title; }
String Tag::artist() const { return d->artist; }
String Tag::comment() const { return d->comment; }
String Tag::copyright() const { return d->copyright; }
String Tag::rating() const { return d->rating; }

String Tag::album() const
{
  const Attribute *attribute = d->first(albumKey);
  return attribute ? attribute->toString() : String::null;
}

String Tag::genre() const
{
  const Attribute *attribute = d->first(genreKey);
  return attribute ? attribute->toString() : String::null;
}

unsigned int Tag::year() const
{
  const Attribute *attribute = d->first(yearKey);
  return attribute ? static_cast<unsigned int>(attribute->toString().toInt()) : 0;
}

unsigned int Tag::track() const
{
  // The text form wins whenever it is present, even when it reads as 0.
  if(const Attribute *attribute = d->first(trackNumberKey))
    return static_cast<unsigned int>(attribute->toString().toInt());
  if(const Attribute *attribute = d->first(trackKey))
    return attribute->toUInt();
  return 0;
}

void Tag::setTitle(const String &value) { d->title = value; }
void Tag::setArtist(const String &value) { d->artist = value; }
void Tag::setComment(const String &value) { d->comment = value; }
void Tag::setCopyright(const String &value) { d->copyright = value; }
void Tag::setRating(const String &value) { d->rating = value; }

void Tag::setAlbum(const String &value) { setAttribute(albumKey, Attribute(value)); }
void Tag::setGenre(const String &value) { setAttribute(genreKey, Attribute(value)); }
// String::number() takes an int; values above its range keep their digits here.
void Tag::setYear(unsigned int value) { setAttribute(yearKey, Attribute(String(std::to_string(value)))); }
void Tag::setTrack(unsigned int value) { setAttribute(trackNumberKey, Attribute(String(std::to_string(value)))); }

bool Tag::isEmpty() const
{
  return TagLib::Tag::isEmpty() && d->copyright.isEmpty() && d->rating.isEmpty() &&
         d->attributeListMap.isEmpty();
}

AttributeListMap &Tag::attributeListMap()
{
  return d->attributeListMap;
}

void Tag::setAttribute(const String &name, const Attribute &attribute)
{
  AttributeList list;
  list.append(attribute);
  d->attributeListMap.insert(name, list);
}

void Tag::addAttribute(const String &name, const Attribute &attribute)
{
  if(d->attributeListMap.contains(name))
    d->attributeListMap[name].append(attribute);
  else
    setAttribute(name, attribute);
}

void Tag::removeItem(const String &name)
{
  d->attributeListMap.erase(name);
}

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib
