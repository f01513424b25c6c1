#include "audibletag.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
void Tag::setYear(unsigned int i) { m_year = i; }
void Tag::setTrack(unsigned int i) { m_track = i; }
void Tag::setUserID(unsigned int id) { m_userID = id; }

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
  while(more) {
    more = readTag(stream, key, value);
    if(key.empty())
      break;
    applyRecord(key, value);
  }

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

void Tag::applyRecord(const std::string &key, const std::string &value)
{
  // Keys and values are zero-terminated texts: a zero byte inside ends them.
  const char *k = key.c_str();
  const char *v = value.c_str();
  if(std::strcmp(k, "title") == 0)
    m_title = String(v, String::Latin1);
  else if(std::strcmp(k, "author") == 0)
    m_artist = String(v, String::Latin1);
  else if(std::strcmp(k, "long_description") == 0)
    m_comment = String(v, String::Latin1);
  else if(std::strcmp(k, "description") == 0) {
    if(m_comment.isNull())
      m_comment = String(v, String::Latin1);
  }
  else if(std::strcmp(k, "pubdate") == 0) {
    m_year = 0;
    if(const char *dash = std::strrchr(v, '-'))
      m_year = static_cast<unsigned int>(std::strtol(dash + 1, nullptr, 10));
  }
  else if(std::strcmp(k, "user_id") == 0)
    m_userID = static_cast<unsigned int>(std::strtol(v, nullptr, 10));
}

} // namespace BRENVO_NS
} // namespace Audible
} // namespace TagLib
