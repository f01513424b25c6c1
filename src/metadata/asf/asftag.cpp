#include "asftag.h"

#include <string>
#include <utility>

#include "asfencoding.h"
#include "common/bytecursor.h"
#include "common/tagpictures.h"

namespace TagLib {
namespace ASF {
inline namespace BRENVO_NS {

namespace {

const char albumKey[] = "WM/AlbumTitle";
const char genreKey[] = "WM/Genre";
const char yearKey[] = "WM/Year";
const char trackNumberKey[] = "WM/TrackNumber";
const char trackKey[] = "WM/Track";
const char pictureKey[] = "WM/Picture";

// The attribute names TagLib presents under property keys, and those keys.
const struct
{
  const char *name;
  const char *key;
} propertyNames[] = {
  {"WM/AlbumTitle", "ALBUM"},
  {"WM/AlbumArtist", "ALBUMARTIST"},
  {"WM/Composer", "COMPOSER"},
  {"WM/Writer", "LYRICIST"},
  {"WM/Conductor", "CONDUCTOR"},
  {"WM/ModifiedBy", "REMIXER"},
  {"WM/Producer", "PRODUCER"},
  {"WM/ARTISTS", "ARTISTS"},
  {"WM/Year", "DATE"},
  {"WM/OriginalReleaseYear", "ORIGINALDATE"},
  {"WM/ContentGroupDescription", "WORK"},
  {"WM/SubTitle", "SUBTITLE"},
  {"WM/SetSubTitle", "DISCSUBTITLE"},
  {"WM/TrackNumber", "TRACKNUMBER"},
  {"WM/PartOfSet", "DISCNUMBER"},
  {"WM/Genre", "GENRE"},
  {"WM/BeatsPerMinute", "BPM"},
  {"WM/Mood", "MOOD"},
  {"WM/ISRC", "ISRC"},
  {"WM/Lyrics", "LYRICS"},
  {"WM/Media", "MEDIA"},
  {"WM/Publisher", "LABEL"},
  {"WM/CatalogNo", "CATALOGNUMBER"},
  {"WM/Barcode", "BARCODE"},
  {"WM/EncodedBy", "ENCODEDBY"},
  {"WM/AlbumSortOrder", "ALBUMSORT"},
  {"WM/AlbumArtistSortOrder", "ALBUMARTISTSORT"},
  {"WM/ArtistSortOrder", "ARTISTSORT"},
  {"WM/TitleSortOrder", "TITLESORT"},
  {"WM/Script", "SCRIPT"},
  {"WM/Language", "LANGUAGE"},
  {"ASIN", "ASIN"},
  {"MusicBrainz/Track Id", "MUSICBRAINZ_TRACKID"},
  {"MusicBrainz/Artist Id", "MUSICBRAINZ_ARTISTID"},
  {"MusicBrainz/Album Artist Id", "MUSICBRAINZ_ALBUMARTISTID"},
  {"MusicBrainz/Album Id", "MUSICBRAINZ_ALBUMID"},
  {"MusicBrainz/Release Group Id", "MUSICBRAINZ_RELEASEGROUPID"},
  {"MusicBrainz/Release Track Id", "MUSICBRAINZ_RELEASETRACKID"},
  {"MusicBrainz/Work Id", "MUSICBRAINZ_WORKID"},
  {"MusicBrainz/Album Release Country", "RELEASECOUNTRY"},
  {"MusicBrainz/Album Status", "RELEASESTATUS"},
  {"MusicBrainz/Album Type", "RELEASETYPE"},
  {"MusicIP/PUID", "MUSICIP_PUID"},
  {"Acoustid/Id", "ACOUSTID_ID"},
  {"Acoustid/Fingerprint", "ACOUSTID_FINGERPRINT"},
};

const char *propertyKey(const String &name)
{
  for(const auto &entry : propertyNames) {
    if(name == entry.name)
      return entry.key;
  }
  return nullptr;
}

// The values properties() shows for the attributes of one name: their texts,
// except that a DWORD track number shows its number (as a signed int, as
// TagLib shows it); other values that are not text show as empty.
StringList shownValues(const String &key, const AttributeList &attributes)
{
  StringList values;
  for(const Attribute &attribute : attributes) {
    if(key == "TRACKNUMBER" && attribute.type() == Attribute::DWord)
      values.append(String::number(static_cast<int>(attribute.toUInt())));
    else
      values.append(attribute.toString());
  }
  return values;
}

// A WM/Picture value: type BYTE, data length DWORD, MIME type and description
// as zero-terminated UTF-16LE, then exactly that many data bytes.
bool parsePicture(const ByteVector &value, Plugins::Picture &picture)
{
  ByteCursor cursor(value);
  const unsigned int type = cursor.u8();
  const std::uint32_t size = cursor.u32le();
  String texts[2];
  for(String &text : texts) {
    const std::size_t start = cursor.position();
    while(cursor.u16le() != 0 && cursor.ok()) {
    }
    if(!cursor.ok())
      return false;
    text = String(value.mid(static_cast<unsigned int>(start), static_cast<unsigned int>(cursor.position() - 2 - start)),
                  String::UTF16LE);
  }
  if(cursor.remaining() != size || size == 0)
    return false;
  picture = Plugins::Picture(cursor.rest(), texts[0], texts[1], pictureType(static_cast<int>(type)));
  return true;
}

ByteVector renderPicture(const Plugins::Picture &picture)
{
  const ByteVector data = picture.data();
  const String mimeType = mimeTypeOf(picture);
  ByteVector value(1, static_cast<char>(picture.type()));
  value.append(renderDWord(data.size()));
  value.append(renderText(mimeType));
  value.append(renderText(picture.description()));
  value.append(data);
  return value;
}

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

  // The content description texts that properties() shows, by key.
  static constexpr std::pair<const char *, String TagPrivate::*> texts[] = {
    {"TITLE", &TagPrivate::title},
    {"ARTIST", &TagPrivate::artist},
    {"COMMENT", &TagPrivate::comment},
    {"COPYRIGHT", &TagPrivate::copyright}};

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

PropertyMap Tag::properties() const
{
  PropertyMap properties;
  for(const auto &text : TagPrivate::texts) {
    const String &value = (*d).*text.second;
    if(!value.isEmpty())
      properties.insert(text.first, StringList(value));
  }
  for(const auto &entry : d->attributeListMap) {
    if(entry.second.isEmpty())
      continue;
    if(const char *key = propertyKey(entry.first))
      properties.insert(key, shownValues(key, entry.second));
    else
      properties.unsupportedData().append(entry.first);
  }
  return properties;
}

PropertyMap Tag::setProperties(const PropertyMap &properties)
{
  PropertyMap rejected;
  for(const auto &text : TagPrivate::texts) {
    const auto it = properties.find(text.first);
    const String value = it == properties.end() ? String() : it->second.toString(" ");
    // The content description stores each text with a WORD length.
    if(renderText(value).size() > maxWordLength)
      rejected.insert(it->first, it->second);
    else
      (*d).*text.second = value;
  }
  for(const auto &entry : propertyNames) {
    const auto it = properties.find(entry.key);
    if(it == properties.end()) {
      removeItem(entry.name);
      continue;
    }
    const auto current = d->attributeListMap.find(entry.name);
    const AttributeList unchanged = current == d->attributeListMap.end() ? AttributeList() : current->second;
    if(it->second == shownValues(entry.key, unchanged))
      continue;
    AttributeList attributes;
    for(const String &value : it->second)
      attributes.append(Attribute(value));
    if(attributes.isEmpty())
      removeItem(entry.name);
    else
      d->attributeListMap.insert(entry.name, attributes);
  }
  for(const auto &entry : properties) {
    bool known = false;
    for(const auto &text : TagPrivate::texts)
      known = known || entry.first == text.first;
    for(const auto &name : propertyNames)
      known = known || entry.first == name.key;
    if(!known)
      rejected.insert(entry.first, entry.second);
  }
  return rejected;
}

void Tag::removeUnsupportedProperties(const StringList &names)
{
  for(const String &name : names)
    removeItem(name);
}

Plugins::PictureList Tag::pictures() const
{
  Plugins::PictureList pictures;
  const auto it = d->attributeListMap.find(pictureKey);
  if(it == d->attributeListMap.end())
    return pictures;
  for(const Attribute &attribute : it->second) {
    Plugins::Picture picture;
    if(attribute.type() == Attribute::Bytes && parsePicture(attribute.toByteVector(), picture))
      pictures.append(picture);
  }
  return pictures;
}

void Tag::setPictures(const Plugins::PictureList &pictures)
{
  // The same pictures keep their attributes, with their streams and languages.
  if(!pictures.isEmpty() && pictures == this->pictures())
    return;
  removeItem(pictureKey);
  for(const Plugins::Picture &picture : pictures)
    addAttribute(pictureKey, Attribute(renderPicture(picture)));
}

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib
