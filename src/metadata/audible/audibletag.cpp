#include "audibletag.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

namespace TagLib {
namespace Audible {
inline namespace BRENVO_NS {

namespace {

const long productIdOffset = 197;
const long recordsOffset = 189;
const char productId[] = "product_id";
const std::size_t productIdLength = sizeof(productId) - 1;

bool readExact(FILE *stream, void *buffer, std::size_t size)
{
  // A zero-sized read counts as a failure: empty keys and values end the list.
  return size > 0 && std::fread(buffer, size, 1, stream) == 1;
}

bool readBigEndian32(FILE *stream, std::uint32_t &value)
{
  unsigned char b[4];
  if(!readExact(stream, b, sizeof(b)))
    return false;
  value = (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
  return true;
}

// Size of the stream's file, -1 when it cannot be told. (fstat leaves the
// stream's buffer alone.)
long long streamSize(FILE *stream)
{
  struct stat status;
  return ::fstat(::fileno(stream), &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

// Bytes from the stream's position to the end of a file of \a size bytes;
// 0 when that cannot be told.
std::uint64_t bytesLeft(FILE *stream, long long size)
{
  const long position = std::ftell(stream);
  if(position < 0 || size < position)
    return 0;
  return static_cast<std::uint64_t>(size - position);
}

// Reads a text of \a size bytes that a file of \a fileSize bytes must still hold.
bool readText(FILE *stream, std::uint32_t size, long long fileSize, std::string &text)
{
  if(size == 0 || size > bytesLeft(stream, fileSize))
    return false;
  text.assign(size, '\0');
  return readExact(stream, &text[0], size);
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

void Tag::readTags(FILE *stream)
{
  if(!stream)
    return;

  char id[productIdLength + 1] = {};
  if(std::fseek(stream, productIdOffset, SEEK_SET) != 0 || std::fread(id, productIdLength, 1, stream) != 1)
    return;
  if(std::memcmp(id, productId, productIdLength) != 0) {
    // id holds the bytes read and a terminator, so at most those are printed.
    std::fprintf(stderr, "no valid Audible aa file: %s\n", id);
    return;
  }

  if(std::fseek(stream, recordsOffset, SEEK_SET) != 0)
    return;
  m_tagsEndOffset = recordsOffset;

  std::string key;
  std::string value;
  bool more = true;
  m_streamSize = streamSize(stream);
  while(more) {
    more = readTag(stream, key, value);
    if(key.empty())
      break;
    applyRecord(key, value);
  }
  m_streamSize = -1;

  m_album = "";
  m_track = 0;
  m_genre = "Audiobook";
}

bool Tag::readTag(FILE *stream, std::string &key, std::string &value)
{
  key.clear();
  value.clear();

  std::uint32_t keyLength = 0;
  std::uint32_t valueLength = 0;
  std::string readKey;
  std::string readValue;
  // A length beyond the end of the file makes the record incomplete before
  // anything is allocated for it.
  // One file size serves all records of a readTags() call.
  const long long fileSize = m_streamSize >= 0 ? m_streamSize : streamSize(stream);
  if(!readBigEndian32(stream, keyLength) || !readBigEndian32(stream, valueLength) ||
     !readText(stream, keyLength, fileSize, readKey) || !readText(stream, valueLength, fileSize, readValue))
    return false;

  key.swap(readKey);
  value.swap(readValue);

  unsigned char continuation = 0;
  if(!readExact(stream, &continuation, 1))
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
