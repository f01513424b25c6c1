#include "audibletag.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include <strings.h>

#include "common/bytecursor.h"

namespace TagLib {
namespace Audible {
inline namespace BRENVO_NS {

namespace {

// The records start here; the first one's key must be "product_id".
const long recordsOffset = 189;
const char productId[] = "product_id";
const std::size_t productIdLength = sizeof(productId) - 1;
// Two lengths of four bytes each lead a record.
const std::size_t lengthsSize = 8;

// The keys the tag's own fields are shown under: no other record takes them.
const char *const fieldKeys[] = {"TITLE", "ARTIST", "ALBUM", "COMMENT", "GENRE", "DATE", "TRACKNUMBER"};

bool isFieldKey(const String &key)
{
  for(const char *k : fieldKeys) {
    if(key == k)
      return true;
  }
  return false;
}

String latin1(const char *text)
{
  return String(text, String::Latin1);
}

// A publication date as the headers write it ("15-Mar-2005") in the form
// TagLib's DATE keys use ("2005-03-15"); any other text as it is.
String pubdate(const char *text)
{
  static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::string date(text);
  const auto digits = [&](std::size_t from, std::size_t to) {
    return std::all_of(date.begin() + static_cast<long>(from), date.begin() + static_cast<long>(to),
                       [](char c) { return c >= '0' && c <= '9'; });
  };
  // One or two digits, a dash, three letters, a dash, four digits.
  const std::size_t dash = date.find('-');
  if((dash != 1 && dash != 2) || date.size() != dash + 9 || date[dash + 4] != '-' || !digits(0, dash) ||
     !digits(dash + 5, date.size()))
    return latin1(text);
  const std::string day = (dash == 1 ? "0" : "") + date.substr(0, dash);
  for(int m = 0; m < 12; ++m) {
    if(day != "00" && strncasecmp(date.c_str() + dash + 1, months[m], 3) == 0) {
      const char month[] = {static_cast<char>('0' + (m + 1) / 10), static_cast<char>('0' + (m + 1) % 10), '\0'};
      return String(date.substr(dash + 5) + "-" + month + "-" + day);
    }
  }
  return latin1(text);
}

unsigned int leadingNumber(const String &text)
{
  return static_cast<unsigned int>(std::max(0, text.toInt()));
}

} // namespace

Tag::Tag() :
  m_title(String::null),
  m_artist(String::null),
  m_album(String::null),
  m_comment(String::null),
  m_genre(String::null),
  m_year(0),
  m_track(0),
  m_userID(0),
  m_tagsEndOffset(noOffset)
{
}

Tag::~Tag() = default;

String Tag::title() const { return m_title; }
String Tag::artist() const { return m_artist; }
String Tag::album() const { return m_album; }
String Tag::comment() const { return m_comment; }
String Tag::genre() const { return m_genre; }
unsigned int Tag::year() const { return m_year; }
unsigned int Tag::track() const { return m_track; }
unsigned int Tag::userID() const { return m_userID; }

void Tag::setTitle(const String &s) { m_title = s; }
void Tag::setArtist(const String &s) { m_artist = s; }
void Tag::setAlbum(const String &s) { m_album = s; }
void Tag::setComment(const String &s) { m_comment = s; }
void Tag::setGenre(const String &s) { m_genre = s; }
void Tag::setTrack(unsigned int i) { m_track = i; }

void Tag::setYear(unsigned int i)
{
  m_year = i;
  m_date = i ? String(std::to_string(i)) : String();
}

void Tag::setUserID(unsigned int id)
{
  m_userID = id;
  if(id)
    m_fields.replace("USER_ID", StringList(String(std::to_string(id))));
  else
    m_fields.erase("USER_ID");
}

bool Tag::isEmpty() const
{
  return m_title.isEmpty() && m_artist.isEmpty() && m_album.isEmpty() && m_comment.isEmpty() &&
         m_genre.isEmpty() && m_year == 0 && m_track == 0 && m_userID == 0;
}

unsigned int Tag::getTagsEndOffset() const
{
  return m_tagsEndOffset;
}

void Tag::duplicate(const Tag *source, Tag *target, bool overwrite)
{
  TagLib::Tag::duplicate(source, target, overwrite);
}

void Tag::readTags(IOStream *stream)
{
  if(!stream)
    return;

  // The first record's lengths and the key behind them, in one read.
  stream->seek(recordsOffset);
  ByteCursor head(stream->readBlock(lengthsSize + productIdLength));
  head.skip(lengthsSize);
  const ByteVector id = head.bytes(productIdLength);
  if(!head.ok())
    return;
  if(id != ByteVector(productId, productIdLength)) {
    // Printed up to a zero byte, as the text it should have been.
    std::fprintf(stderr, "no valid Audible aa file: %s\n", std::string(id.data(), id.size()).c_str());
    return;
  }

  stream->seek(recordsOffset);
  m_tagsEndOffset = recordsOffset;

  std::string key;
  std::string value;
  bool more = true;
  bool descriptionIsComment = false;
  while(more) {
    more = readTag(stream, key, value);
    if(key.empty())
      break;
    applyRecord(key, value, descriptionIsComment);
  }

  if(m_album.isNull())
    m_album = "";
  m_track = 0;
  m_genre = "Audiobook";
}

bool Tag::readTag(IOStream *stream, std::string &key, std::string &value)
{
  key.clear();
  value.clear();

  ByteCursor lengths(stream->readBlock(lengthsSize));
  const std::uint32_t keyLength = lengths.u32be();
  const std::uint32_t valueLength = lengths.u32be();
  // An empty key or value ends the list. A length beyond the end of the file
  // makes the record incomplete before anything is read or allocated for it.
  const long position = stream->tell();
  const long fileLength = stream->length();
  const std::uint64_t left = position < fileLength ? static_cast<std::uint64_t>(fileLength - position) : 0;
  if(!lengths.ok() || keyLength == 0 || valueLength == 0 ||
     static_cast<std::uint64_t>(keyLength) + valueLength > left)
    return false;

  // The texts and the continuation byte behind them.
  ByteCursor record(stream->readBlock(static_cast<unsigned long>(keyLength) + valueLength + 1));
  const ByteVector readKey = record.bytes(keyLength);
  const ByteVector readValue = record.bytes(valueLength);
  if(!record.ok())
    return false;
  key.assign(readKey.data(), readKey.size());
  value.assign(readValue.data(), readValue.size());

  const std::uint8_t continuation = record.u8();
  if(!record.ok())
    return false;

  // The offset is 32-bit by the format; each record lies inside the file.
  m_tagsEndOffset += 9 + keyLength + valueLength;
  return continuation == 0;
}

void Tag::applyRecord(const std::string &key, const std::string &value, bool &descriptionIsComment)
{
  // Keys and values are zero-terminated texts: a zero byte inside ends them.
  const char *k = key.c_str();
  const char *v = value.c_str();
  if(std::strcmp(k, "title") == 0)
    m_title = latin1(v);
  else if(std::strcmp(k, "author") == 0)
    m_artist = latin1(v);
  else if(std::strcmp(k, "parent_title") == 0)
    m_album = latin1(v);
  else if(std::strcmp(k, "long_description") == 0) {
    // A description the comment held until now stays a field of its own.
    if(descriptionIsComment && !m_comment.isEmpty())
      m_fields.insert("DESCRIPTION", StringList(m_comment));
    descriptionIsComment = false;
    m_comment = latin1(v);
  }
  else if(std::strcmp(k, "description") == 0) {
    if(m_comment.isNull()) {
      m_comment = latin1(v);
      descriptionIsComment = true;
    }
    else if(*v) {
      m_fields.insert("DESCRIPTION", StringList(latin1(v)));
    }
  }
  else if(std::strcmp(k, "pubdate") == 0) {
    m_year = 0;
    if(const char *dash = std::strrchr(v, '-'))
      m_year = static_cast<unsigned int>(std::strtol(dash + 1, nullptr, 10));
    m_date = pubdate(v);
  }
  else if(std::strcmp(k, "user_id") == 0) {
    m_userID = static_cast<unsigned int>(std::strtol(v, nullptr, 10));
    if(*v)
      m_fields.replace("USER_ID", StringList(latin1(v)));
    else
      m_fields.erase("USER_ID");
  }
  else {
    const String name = latin1(k).upper();
    if(!name.isEmpty() && *v && !isFieldKey(name))
      m_fields.insert(name, StringList(latin1(v)));
  }
}

PropertyMap Tag::properties() const
{
  PropertyMap map;
  const std::pair<const char *, const String *> texts[] = {
    {"TITLE", &m_title}, {"ARTIST", &m_artist}, {"ALBUM", &m_album},
    {"COMMENT", &m_comment}, {"GENRE", &m_genre}, {"DATE", &m_date},
  };
  for(const auto &text : texts) {
    if(!text.second->isEmpty())
      map.insert(text.first, StringList(*text.second));
  }
  if(m_track)
    map.insert("TRACKNUMBER", StringList(String(std::to_string(m_track))));
  for(const auto &field : m_fields)
    map.insert(field.first, field.second);
  return map;
}

PropertyMap Tag::setProperties(const PropertyMap &properties)
{
  PropertyMap rest(properties);
  rest.removeEmpty();
  rest.unsupportedData().clear();
  PropertyMap notStored;
  // The first value of a field's key; the others are not stored.
  const auto take = [&](const char *key) {
    StringList values = rest.value(key);
    rest.erase(key);
    if(values.isEmpty())
      return String();
    const String first = values.front();
    values.erase(values.begin());
    if(!values.isEmpty())
      notStored.insert(key, values);
    return first;
  };
  m_title = take("TITLE");
  m_artist = take("ARTIST");
  m_album = take("ALBUM");
  m_comment = take("COMMENT");
  m_genre = take("GENRE");
  m_date = take("DATE");
  m_year = leadingNumber(m_date);
  m_track = leadingNumber(take("TRACKNUMBER"));
  m_fields = rest;
  const StringList userID = m_fields.value("USER_ID");
  m_userID = userID.isEmpty() ? 0 : static_cast<unsigned int>(std::strtol(userID.front().toCString(), nullptr, 10));
  return notStored;
}

} // namespace BRENVO_NS
} // namespace Audible
} // namespace TagLib
