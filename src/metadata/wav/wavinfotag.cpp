#include "wavinfotag.h"

#include <cstdint>

#include "common/bytecursor.h"
#include "common/texts.h"

namespace TagLib {
namespace Wav {
inline namespace BRENVO_NS {

namespace {

const ByteVector listType("INFO", 4);
const ByteVector titleId("INAM", 4);
const ByteVector artistId("IART", 4);
const ByteVector albumId("IPRD", 4);
const ByteVector commentId("ICMT", 4);
const ByteVector genreId("IGNR", 4);
const ByteVector dateId("ICRD", 4);
const ByteVector partId("IPRT", 4);
const ByteVector trackId("ITRK", 4);

ByteVector encode(const String &s)
{
  // TagLib and ffmpeg read INFO text as UTF-8 only: Latin-1 bytes would read
  // back empty or garbled there.
  return s.data(String::UTF8);
}

// The fields of no common field that have a key of TagLib's vocabulary.
const std::pair<const char *, const char *> otherKeys[] = {
  {"ICOP", "COPYRIGHT"}, {"IENG", "ENGINEER"}, {"ILNG", "LANGUAGE"},
  {"IMED", "MEDIA"},     {"ISFT", "ENCODING"}, {"ITCH", "ENCODEDBY"},
};

bool isCommonId(const ByteVector &id)
{
  for(const ByteVector &common : {titleId, artistId, albumId, commentId, genreId, dateId, partId, trackId})
    if(id == common)
      return true;
  return false;
}

String keyOf(const ByteVector &id)
{
  for(const auto &entry : otherKeys)
    if(id == entry.first)
      return entry.second;
  return String(id, String::Latin1);
}

// The field a property key names: one of the keys above, or an id of its own
// ("IKEY"); empty for any other key.
ByteVector idOf(const String &key)
{
  for(const auto &entry : otherKeys)
    if(key == entry.second)
      return ByteVector(entry.first, 4);
  const std::string text = key.to8Bit(false);
  if(text.size() != 4 || text[0] != 'I')
    return ByteVector();
  for(char c : text) {
    if((c < 'A' || c > 'Z') && (c < '0' || c > '9'))
      return ByteVector();
  }
  return isCommonId(ByteVector(text.data(), 4)) ? ByteVector() : ByteVector(text.data(), 4);
}

bool isFieldId(const ByteVector &id)
{
  if(id.size() != 4)
    return false;
  for(char c : id) {
    if(c < 0x20 || c > 0x7E)
      return false;
  }
  return true;
}

// The number at the start of \a text ("2001" of "2001-05-03"), 0 without one.
unsigned int leadingNumber(const String &text)
{
  const std::string s = text.to8Bit(false);
  std::size_t i = s.find_first_not_of(' ');
  unsigned int value = 0;
  // Nine digits cannot overflow.
  for(int digits = 0; i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 9; ++i, ++digits)
    value = value * 10 + static_cast<unsigned int>(s[i] - '0');
  return value;
}

} // namespace

InfoTag::InfoTag() = default;

InfoTag::InfoTag(const ByteVector &data)
{
  ByteCursor cursor(data);
  if(cursor.bytes(4) != listType)
    return;
  while(cursor.has(8)) {
    const ByteVector id = cursor.bytes(4);
    const std::uint32_t size = cursor.u32le();
    ByteCursor body = cursor.sub(size);
    if(!body.ok())
      break;
    ByteVector text = body.rest();
    const int zero = text.find('\0');
    if(zero >= 0)
      text.resize(static_cast<unsigned int>(zero));
    fields_[id] = utf8OrLatin1(text);
    // The pad byte of an odd-sized field; the last one may lack it.
    if(size & 1)
      cursor.skip(cursor.has(1) ? 1 : 0);
  }
}

InfoTag::~InfoTag() = default;

String InfoTag::title() const { return fieldText(titleId); }
String InfoTag::artist() const { return fieldText(artistId); }
String InfoTag::album() const { return fieldText(albumId); }
String InfoTag::comment() const { return fieldText(commentId); }
String InfoTag::genre() const { return fieldText(genreId); }
unsigned int InfoTag::year() const { return leadingNumber(fieldText(dateId)); }

unsigned int InfoTag::track() const
{
  return leadingNumber(fields_.contains(partId) ? fieldText(partId) : fieldText(trackId));
}

void InfoTag::setTitle(const String &s) { setFieldText(titleId, s); }
void InfoTag::setArtist(const String &s) { setFieldText(artistId, s); }
void InfoTag::setAlbum(const String &s) { setFieldText(albumId, s); }
void InfoTag::setComment(const String &s) { setFieldText(commentId, s); }
void InfoTag::setGenre(const String &s) { setFieldText(genreId, s); }

void InfoTag::setYear(unsigned int i)
{
  setFieldText(dateId, i ? String::number(static_cast<int>(i)) : String());
}

void InfoTag::setTrack(unsigned int i)
{
  const String text = i ? String::number(static_cast<int>(i)) : String();
  setFieldText(partId, text);
  // Readers that know only ITRK must not keep seeing the old number.
  if(fields_.contains(trackId) || text.isEmpty())
    setFieldText(trackId, text);
}

bool InfoTag::isEmpty() const
{
  for(const auto &field : fields_) {
    if(!field.second.isEmpty())
      return false;
  }
  return true;
}

InfoTag::FieldMap InfoTag::fieldListMap() const
{
  return fields_;
}

String InfoTag::fieldText(const ByteVector &id) const
{
  return fields_.value(id);
}

void InfoTag::setFieldText(const ByteVector &id, const String &s)
{
  if(!isFieldId(id))
    return;
  if(s.isEmpty())
    fields_.erase(id);
  else
    fields_[id] = s;
}

void InfoTag::removeField(const ByteVector &id)
{
  fields_.erase(id);
}

PropertyMap InfoTag::otherProperties() const
{
  PropertyMap map;
  for(const auto &field : fields_) {
    if(!isCommonId(field.first))
      map.insert(keyOf(field.first), StringList(field.second));
  }
  return map;
}

PropertyMap InfoTag::setOtherProperties(const PropertyMap &properties)
{
  FieldMap kept;
  for(const auto &field : fields_) {
    if(isCommonId(field.first) || properties.contains(keyOf(field.first)))
      kept.insert(field.first, field.second);
  }
  fields_ = kept;
  PropertyMap rest;
  for(const auto &entry : properties) {
    const ByteVector id = idOf(entry.first);
    if(id.isEmpty())
      rest.insert(entry.first, entry.second);
    else
      setFieldText(id, entry.second.toString("; "));
  }
  return rest;
}

ByteVector InfoTag::render() const
{
  ByteVector data(listType);
  for(const auto &field : fields_) {
    if(field.second.isEmpty())
      continue;
    ByteVector text = encode(field.second);
    text.append('\0');
    data.append(field.first);
    data.append(ByteVector::fromUInt(text.size(), false));
    data.append(text);
    if(text.size() & 1)
      data.append('\0');
  }
  return data;
}

} // namespace BRENVO_NS
} // namespace Wav
} // namespace TagLib
