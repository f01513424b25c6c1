#include "mp4items.h"

#include <algorithm>
#include <map>

#include <id3v1genres.h>

#include "common/bytecursor.h"
#include "common/tagpictures.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

using Plugins::Picture;
using Plugins::PictureList;

namespace {

// Data types (with the version byte, which is 0 for all of them).
constexpr unsigned int typeImplicit = 0;
constexpr unsigned int typeUTF8 = 1;
constexpr unsigned int typeGIF = 12;
constexpr unsigned int typeJPEG = 13;
constexpr unsigned int typePNG = 14;
constexpr unsigned int typeInteger = 21;
constexpr unsigned int typeBMP = 27;

const char *const iTunesMean = "com.apple.iTunes";

constexpr unsigned int codeOf(const char *text)
{
  return (static_cast<unsigned int>(static_cast<unsigned char>(text[0])) << 24) |
         (static_cast<unsigned int>(static_cast<unsigned char>(text[1])) << 16) |
         (static_cast<unsigned int>(static_cast<unsigned char>(text[2])) << 8) |
         static_cast<unsigned int>(static_cast<unsigned char>(text[3]));
}

constexpr unsigned int dataCode = codeOf("data");
constexpr unsigned int meanCode = codeOf("mean");
constexpr unsigned int nameCode = codeOf("name");
constexpr unsigned int freeformCode = codeOf("----");
constexpr unsigned int coverCode = codeOf("covr");
constexpr unsigned int genreNumberCode = codeOf("gnre");

/*
 * How TagLib reads an item, by its code. Text items (every code not listed)
 * count only their UTF-8 values; the others take their first value whatever
 * its type says.
 */
enum class Kind
{
  Text,
  AnyText,   // every value as text
  Pair,      // 16-bit number and total at offsets 2 and 4
  Short,     // signed 16-bit
  UInt,      // unsigned 32-bit, shown signed
  Bool,      // the first byte, 0 or not
  Number,    // a number without a property key: unsupported data
  Cover,
  Genre,     // ID3v1 genre index plus one
  Freeform
};

struct KindRow
{
  unsigned int code;
  Kind kind;
};

const KindRow kindTable[] = {
  {codeOf("trkn"), Kind::Pair},  {codeOf("disk"), Kind::Pair},    {codeOf("tmpo"), Kind::Short},
  {codeOf("\251mvi"), Kind::Short}, {codeOf("\251mvc"), Kind::Short}, {codeOf("tvsn"), Kind::UInt},
  {codeOf("tves"), Kind::UInt},  {codeOf("cpil"), Kind::Bool},    {codeOf("pgap"), Kind::Bool},
  {codeOf("pcst"), Kind::Bool},  {codeOf("shwm"), Kind::Bool},    {codeOf("egid"), Kind::AnyText},
  {codeOf("purl"), Kind::AnyText}, {coverCode, Kind::Cover},      {genreNumberCode, Kind::Genre},
  {freeformCode, Kind::Freeform}, {codeOf("rtng"), Kind::Number}, {codeOf("akID"), Kind::Number},
  {codeOf("stik"), Kind::Number}, {codeOf("hdvd"), Kind::Number}, {codeOf("rate"), Kind::Number},
  {codeOf("plID"), Kind::Number}, {codeOf("cnID"), Kind::Number}, {codeOf("sfID"), Kind::Number},
  {codeOf("atID"), Kind::Number}, {codeOf("geID"), Kind::Number}, {codeOf("cmID"), Kind::Number},
};

Kind kindOf(Fourcc code)
{
  for(const KindRow &row : kindTable) {
    if(code == row.code)
      return row.kind;
  }
  return Kind::Text;
}

struct KeyRow
{
  const char *item;
  const char *property;
};

// TagLib 1.13's property keys of MP4 items.
const KeyRow keyTable[] = {
  {"\251nam", "TITLE"},         {"\251ART", "ARTIST"},          {"aART", "ALBUMARTIST"},
  {"\251alb", "ALBUM"},         {"\251cmt", "COMMENT"},         {"\251gen", "GENRE"},
  {"\251day", "DATE"},          {"\251wrt", "COMPOSER"},        {"\251grp", "GROUPING"},
  {"trkn", "TRACKNUMBER"},      {"disk", "DISCNUMBER"},         {"cpil", "COMPILATION"},
  {"tmpo", "BPM"},              {"cprt", "COPYRIGHT"},          {"\251lyr", "LYRICS"},
  {"\251too", "ENCODEDBY"},     {"soal", "ALBUMSORT"},          {"soaa", "ALBUMARTISTSORT"},
  {"soar", "ARTISTSORT"},       {"sonm", "TITLESORT"},          {"soco", "COMPOSERSORT"},
  {"sosn", "SHOWSORT"},         {"shwm", "SHOWWORKMOVEMENT"},   {"pgap", "GAPLESSPLAYBACK"},
  {"pcst", "PODCAST"},          {"catg", "PODCASTCATEGORY"},    {"desc", "PODCASTDESC"},
  {"egid", "PODCASTID"},        {"purl", "PODCASTURL"},         {"tves", "TVEPISODE"},
  {"tven", "TVEPISODEID"},      {"tvnn", "TVNETWORK"},          {"tvsn", "TVSEASON"},
  {"tvsh", "TVSHOW"},           {"\251wrk", "WORK"},            {"\251mvn", "MOVEMENTNAME"},
  {"\251mvi", "MOVEMENTNUMBER"}, {"\251mvc", "MOVEMENTCOUNT"},
};

// The freeform items of mean "com.apple.iTunes" with a property key, by name.
const KeyRow freeformTable[] = {
  {"MusicBrainz Track Id", "MUSICBRAINZ_TRACKID"},
  {"MusicBrainz Artist Id", "MUSICBRAINZ_ARTISTID"},
  {"MusicBrainz Album Id", "MUSICBRAINZ_ALBUMID"},
  {"MusicBrainz Album Artist Id", "MUSICBRAINZ_ALBUMARTISTID"},
  {"MusicBrainz Release Group Id", "MUSICBRAINZ_RELEASEGROUPID"},
  {"MusicBrainz Release Track Id", "MUSICBRAINZ_RELEASETRACKID"},
  {"MusicBrainz Work Id", "MUSICBRAINZ_WORKID"},
  {"MusicBrainz Album Release Country", "RELEASECOUNTRY"},
  {"MusicBrainz Album Status", "RELEASESTATUS"},
  {"MusicBrainz Album Type", "RELEASETYPE"},
  {"ARTISTS", "ARTISTS"},
  {"originaldate", "ORIGINALDATE"},
  {"ASIN", "ASIN"},
  {"LABEL", "LABEL"},
  {"LYRICIST", "LYRICIST"},
  {"CONDUCTOR", "CONDUCTOR"},
  {"REMIXER", "REMIXER"},
  {"ENGINEER", "ENGINEER"},
  {"PRODUCER", "PRODUCER"},
  {"DJMIXER", "DJMIXER"},
  {"MIXER", "MIXER"},
  {"SUBTITLE", "SUBTITLE"},
  {"DISCSUBTITLE", "DISCSUBTITLE"},
  {"MOOD", "MOOD"},
  {"ISRC", "ISRC"},
  {"CATALOGNUMBER", "CATALOGNUMBER"},
  {"BARCODE", "BARCODE"},
  {"SCRIPT", "SCRIPT"},
  {"LANGUAGE", "LANGUAGE"},
  {"MEDIA", "MEDIA"},
};

String freeformKey(const String &mean, const String &name)
{
  return "----:" + mean + ":" + name;
}

// Item names (as Mp4Item::key() gives them) by property key, and back.
struct KeyMaps
{
  std::map<String, String> itemByProperty;
  std::map<String, String> propertyByItem;

  KeyMaps()
  {
    for(const KeyRow &row : keyTable)
      add(String(row.item, String::Latin1), row.property);
    for(const KeyRow &row : freeformTable)
      add(freeformKey(iTunesMean, String(row.item, String::UTF8)), row.property);
  }

  void add(const String &item, const String &property)
  {
    itemByProperty[property] = item;
    propertyByItem[item] = property;
  }
};

const KeyMaps &keyMaps()
{
  static const KeyMaps maps;
  return maps;
}

String lookUp(const std::map<String, String> &map, const String &key)
{
  const auto found = map.find(key);
  return found == map.end() ? String() : found->second;
}

/*
 * The name an item counts under: its key, except the numeric genre, which
 * TagLib reads as the text genre it stands for.
 */
String countedKey(const Mp4Item &item)
{
  if(item.code() == genreNumberCode)
    return String("\251gen", String::Latin1);
  return item.key();
}

String utf8(const ByteVector &bytes)
{
  return String(bytes, String::UTF8);
}

// The values TagLib shows for \a item; false when it shows nothing.
bool decode(const Mp4Item &item, StringList &shown)
{
  shown.clear();
  const std::vector<Mp4ItemData> &values = item.values();
  if(values.empty())
    return false;
  // The numbers are read as TagLib reads them, shorter payloads included.
  const ByteVector &first = values.front().bytes;
  switch(kindOf(item.code())) {
  case Kind::Text:
    for(const Mp4ItemData &value : values) {
      if(value.type == typeUTF8)
        shown.append(utf8(value.bytes));
    }
    return !shown.isEmpty();
  case Kind::Freeform:
    // Text when the first value is; otherwise bytes, which show as a key without values.
    if(values.front().type != typeUTF8)
      return true;
    [[fallthrough]];
  case Kind::AnyText:
    for(const Mp4ItemData &value : values)
      shown.append(utf8(value.bytes));
    return true;
  case Kind::Pair: {
    const int total = first.toShort(4U);
    const String number = String::number(first.toShort(2U));
    shown.append(total != 0 ? number + "/" + String::number(total) : number);
    return true;
  }
  case Kind::Short:
    shown.append(String::number(first.toShort()));
    return true;
  case Kind::UInt:
    shown.append(String::number(static_cast<int>(first.toUInt())));
    return true;
  case Kind::Bool:
    shown.append(!first.isEmpty() && first[0] != 0 ? "1" : "0");
    return true;
  case Kind::Number:
    return true;
  case Kind::Cover:
    return std::any_of(values.begin(), values.end(), [](const Mp4ItemData &value) {
      return value.type == typeImplicit || value.type == typeGIF || value.type == typeJPEG ||
             value.type == typePNG || value.type == typeBMP;
    });
  case Kind::Genre: {
    const int number = first.toShort();
    if(number <= 0)
      return false;
    shown.append(ID3v1::genre(number - 1));
    return true;
  }
  }
  return false;
}

// An item of the TagLib name \a key holding \a values (not empty), stored as TagLib stores them.
Mp4Item makeItem(const String &key, const StringList &values)
{
  std::vector<Mp4ItemData> data;
  const auto text = [&data, &values] {
    for(const String &value : values)
      data.push_back({typeUTF8, 0, value.data(String::UTF8)});
  };
  const String freeformPrefix = freeformKey(iTunesMean, String());
  if(key.startsWith(freeformPrefix)) {
    text();
    return Mp4Item(Fourcc(String("----")), data, iTunesMean, key.substr(freeformPrefix.size()));
  }
  const Fourcc code(key);
  const int number = values.front().toInt();
  switch(kindOf(code)) {
  case Kind::Pair: {
    const StringList parts = values.front().split("/");
    const int first = parts.isEmpty() ? 0 : parts.front().toInt();
    const int total = parts.size() > 1 ? parts[1].toInt() : 0;
    ByteVector bytes = ByteVector::fromShort(0);
    bytes.append(ByteVector::fromShort(static_cast<short>(first)));
    bytes.append(ByteVector::fromShort(static_cast<short>(total)));
    // The track item carries two more bytes than the disc item.
    if(code == codeOf("trkn"))
      bytes.append(ByteVector::fromShort(0));
    data.push_back({typeImplicit, 0, bytes});
    break;
  }
  case Kind::Short:
    data.push_back({typeInteger, 0, ByteVector::fromShort(static_cast<short>(number))});
    break;
  case Kind::UInt:
    data.push_back({typeInteger, 0, ByteVector::fromUInt(static_cast<unsigned int>(number))});
    break;
  case Kind::Bool:
    data.push_back({typeInteger, 0, ByteVector(1, number != 0 ? '\1' : '\0')});
    break;
  default:
    text();
    break;
  }
  return Mp4Item(code, data);
}

unsigned int coverType(const String &mimeType)
{
  const String mime = mimeType.upper();
  if(mime == "IMAGE/JPEG" || mime == "IMAGE/JPG")
    return typeJPEG;
  if(mime == "IMAGE/PNG")
    return typePNG;
  if(mime == "IMAGE/BMP")
    return typeBMP;
  if(mime == "IMAGE/GIF")
    return typeGIF;
  return typeImplicit;
}

String coverMimeType(const Mp4ItemData &value)
{
  switch(value.type) {
  case typeJPEG:
    return "image/jpeg";
  case typePNG:
    return "image/png";
  case typeBMP:
    return "image/bmp";
  case typeGIF:
    return "image/gif";
  default:
    return imageMimeType(value.bytes);
  }
}

// A signed 16-bit number as TagLib's unsigned accessors give it.
unsigned int asUnsigned(short value)
{
  return static_cast<unsigned int>(static_cast<int>(value));
}

ByteVector renderBox(unsigned int code, const ByteVector &content)
{
  ByteVector box = ByteVector::fromUInt(8 + content.size());
  box.append(ByteVector::fromUInt(code));
  box.append(content);
  return box;
}

} // namespace

bool Mp4ItemData::operator==(const Mp4ItemData &other) const
{
  return type == other.type && locale == other.locale && bytes == other.bytes;
}

// ---- item ---------------------------------------------------------------------

Mp4Item::Mp4Item(Fourcc code, const std::vector<Mp4ItemData> &values, const String &mean, const String &name)
  : m_code(code), m_mean(mean), m_name(name), m_values(values)
{
}

Mp4Item Mp4Item::read(const ByteVector &box)
{
  Mp4Item item;
  item.m_raw = box;
  ByteCursor cursor(box);
  cursor.skip(4);
  item.m_code = cursor.u32be();
  if(!cursor.ok())
    return item;

  // The next child: false at the end, or for a size below a header's. A
  // child that claims more than its item holds ends with the item.
  const auto child = [&cursor](unsigned int &code, ByteVector &content) {
    if(!cursor.has(8))
      return false;
    const std::uint32_t size = cursor.u32be();
    code = cursor.u32be();
    if(size < 8)
      return false;
    content = cursor.bytes(std::min<std::size_t>(size - 8, cursor.remaining()));
    return true;
  };
  unsigned int code = 0;
  ByteVector content;
  if(item.isFreeform()) {
    // Mean and name come first, each after 4 bytes of version and flags.
    if(!child(code, content) || code != meanCode || content.size() < 4)
      return item;
    item.m_mean = utf8(content.mid(4));
    if(!child(code, content) || code != nameCode || content.size() < 4)
      return item;
    item.m_name = utf8(content.mid(4));
  }
  // A data box needs its type; the locale and the value may be cut short.
  while(child(code, content) && code == dataCode && content.size() >= 4) {
    ByteCursor value(content);
    Mp4ItemData data;
    data.type = value.u32be();
    if(value.has(4)) {
      data.locale = value.u32be();
      data.bytes = value.rest();
    }
    item.m_values.push_back(data);
  }
  return item;
}

Fourcc Mp4Item::code() const
{
  return m_code;
}

bool Mp4Item::isFreeform() const
{
  return m_code == freeformCode;
}

String Mp4Item::mean() const
{
  return m_mean;
}

String Mp4Item::name() const
{
  return m_name;
}

const std::vector<Mp4ItemData> &Mp4Item::values() const
{
  return m_values;
}

String Mp4Item::key() const
{
  // As TagLib makes text of bytes: up to the first zero byte.
  return isFreeform() ? freeformKey(m_mean, m_name) : String(ByteVector::fromUInt(m_code), String::Latin1);
}

bool Mp4Item::isChanged() const
{
  return m_raw.isEmpty();
}

ByteVector Mp4Item::rawBytes() const
{
  return m_raw;
}

ByteVector Mp4Item::render() const
{
  if(!m_raw.isEmpty())
    return m_raw;
  ByteVector content;
  if(isFreeform()) {
    content.append(renderBox(meanCode, ByteVector(4, '\0') + m_mean.data(String::UTF8)));
    content.append(renderBox(nameCode, ByteVector(4, '\0') + m_name.data(String::UTF8)));
  }
  for(const Mp4ItemData &value : m_values) {
    ByteVector data = ByteVector::fromUInt(value.type);
    data.append(ByteVector::fromUInt(value.locale));
    data.append(value.bytes);
    content.append(renderBox(dataCode, data));
  }
  return renderBox(m_code, content);
}

// ---- list ---------------------------------------------------------------------

const std::vector<Mp4Item> &Mp4ItemList::items() const
{
  return m_items;
}

void Mp4ItemList::append(const Mp4Item &item)
{
  m_items.push_back(item);
}

const Mp4Item *Mp4ItemList::shown(const String &key) const
{
  StringList values;
  for(const Mp4Item &item : m_items) {
    if(countedKey(item) == key && decode(item, values))
      return &item;
  }
  return nullptr;
}

void Mp4ItemList::replace(const String &key, const Mp4Item *item)
{
  const auto ofKey = [&key](const Mp4Item &i) { return countedKey(i) == key; };
  const auto first = std::find_if(m_items.begin(), m_items.end(), ofKey);
  const auto position = first - m_items.begin();
  m_items.erase(std::remove_if(first, m_items.end(), ofKey), m_items.end());
  if(item)
    m_items.insert(m_items.begin() + position, *item);
}

PropertyMap Mp4ItemList::properties() const
{
  // The first item that shows under each name, in TagLib's order of names.
  std::map<String, StringList> fields;
  StringList values;
  for(const Mp4Item &item : m_items) {
    const String key = countedKey(item);
    if(fields.find(key) == fields.end() && decode(item, values))
      fields.emplace(key, values);
  }
  PropertyMap map;
  for(const auto &field : fields) {
    const String property = lookUp(keyMaps().propertyByItem, field.first);
    if(property.isEmpty())
      map.unsupportedData().append(field.first);
    else
      map[property] = field.second;
  }
  return map;
}

StringList Mp4ItemList::field(const String &key) const
{
  StringList values;
  const Mp4Item *item = shown(lookUp(keyMaps().itemByProperty, key.upper()));
  if(item)
    decode(*item, values);
  return values;
}

bool Mp4ItemList::setField(const String &key, const StringList &values)
{
  const String itemKey = lookUp(keyMaps().itemByProperty, key.upper());
  if(itemKey.isEmpty())
    return false;
  // An unchanged value keeps the item as read (a freeform item of bytes
  // shows no values, and keeps them).
  StringList now;
  const Mp4Item *current = shown(itemKey);
  if(current && decode(*current, now) && now == values)
    return true;
  if(values.isEmpty()) {
    replace(itemKey, nullptr);
    return true;
  }
  const Mp4Item item = makeItem(itemKey, values);
  StringList next;
  if(current && decode(item, next) && now == next)
    return true;
  replace(itemKey, &item);
  return true;
}

PropertyMap Mp4ItemList::setProperties(const PropertyMap &properties)
{
  for(const auto &field : this->properties()) {
    if(!properties.contains(field.first))
      replace(lookUp(keyMaps().itemByProperty, field.first), nullptr);
  }
  PropertyMap rejected;
  for(const auto &field : properties) {
    if(!setField(field.first, field.second))
      rejected.insert(field.first, field.second);
  }
  return rejected;
}

void Mp4ItemList::removeUnsupportedProperties(const StringList &keys)
{
  const StringList unsupported = properties().unsupportedData();
  for(const String &key : keys) {
    if(unsupported.contains(key))
      replace(key, nullptr);
  }
}

void Mp4ItemList::numberPair(const char *code, unsigned int &number, unsigned int &total) const
{
  const Mp4Item *item = shown(String(code));
  const ByteVector bytes = item ? item->values().front().bytes : ByteVector();
  number = asUnsigned(bytes.toShort(2U));
  total = asUnsigned(bytes.toShort(4U));
}

unsigned int Mp4ItemList::bpm() const
{
  const Mp4Item *item = shown(String("tmpo"));
  return item ? asUnsigned(item->values().front().bytes.toShort()) : 0;
}

PictureList Mp4ItemList::pictures() const
{
  PictureList pictures;
  for(const Mp4Item &item : m_items) {
    if(item.code() != coverCode)
      continue;
    for(const Mp4ItemData &value : item.values()) {
      if(!value.bytes.isEmpty())
        pictures.append(Picture(value.bytes, coverMimeType(value)));
    }
  }
  return pictures;
}

void Mp4ItemList::setPictures(const PictureList &pictures)
{
  std::vector<Mp4ItemData> values;
  for(const Picture &picture : pictures) {
    if(picture.data().isEmpty())
      continue;
    unsigned int type = coverType(picture.mimeType());
    if(type == typeImplicit)
      type = coverType(imageMimeType(picture.data()));
    values.push_back({type, 0, picture.data()});
  }
  const Fourcc code(String("covr"));
  const String key = code.toString();
  // The same covers keep the item as read.
  const auto covers = std::count_if(m_items.begin(), m_items.end(),
                                    [](const Mp4Item &item) { return item.code() == coverCode; });
  const auto current = std::find_if(m_items.begin(), m_items.end(),
                                    [](const Mp4Item &item) { return item.code() == coverCode; });
  if(covers == 1 && current->values() == values)
    return;
  if(values.empty()) {
    replace(key, nullptr);
    return;
  }
  const Mp4Item item(code, values);
  replace(key, &item);
}

bool Mp4ItemList::isEmpty() const
{
  StringList values;
  return std::none_of(m_items.begin(), m_items.end(), [&values](const Mp4Item &item) { return decode(item, values); });
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
