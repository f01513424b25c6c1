#include "taglib_realmediafile.h"

#include <algorithm>
#include <limits>
#include <string>

#include <id3v1tag.h>

#include "common/fdstream.h"
#include "rmff.h"

namespace TagLib {
namespace RealMedia {
inline namespace BRENVO_NS {

namespace {

// An ID3v1 tag is the last 128 bytes of a file.
constexpr long ID3v1Size = 128;

} // namespace

// ---------------------------------------------------------------- RMFFile

RMFFile::RMFFile(IOStream *stream) :
  TagLib::File(stream)
{
  if(!isOpen())
    return;
  const long size = static_cast<long>(length());
  // A file too short to hold one has no ID3v1 tag; nothing is read before its start.
  if(size >= ID3v1Size)
    m_id3tag = std::make_unique<ID3v1::Tag>(this, size - ID3v1Size);
  else
    m_id3tag = std::make_unique<ID3v1::Tag>();
}

RMFFile::~RMFFile() = default;

TagLib::Tag *RMFFile::tag() const
{
  return m_id3tag.get();
}

AudioProperties *RMFFile::audioProperties() const
{
  return nullptr;
}

bool RMFFile::save()
{
  return false;
}

// ---------------------------------------------------------------- Tag

class Tag::TagPrivate
{
public:
  RealMediaFF *rmff = nullptr;
  std::unique_ptr<RealMediaFF> owned;  // set exactly when the tag owns its reader
  bool owner = false;
  // Every field, once one was set; until then the reader's are shown.
  std::unique_ptr<PropertyMap> edited;

  PropertyMap &editable()
  {
    if(!edited)
      edited = std::make_unique<PropertyMap>(rmff ? rmff->properties() : PropertyMap());
    return *edited;
  }

  void set(const String &key, const String &value)
  {
    if(value.isEmpty())
      editable().erase(key);
    else
      editable().replace(key, StringList(value));
  }

  String text(const char *key, String (RealMediaFF::*field)() const) const
  {
    if(edited)
      return edited->value(key).toString(" ");
    return rmff ? (rmff->*field)() : String();
  }

  unsigned int number(const char *key, unsigned int (RealMediaFF::*field)() const) const
  {
    if(!edited)
      return rmff ? (rmff->*field)() : 0;
    const StringList values = edited->value(key);
    return values.isEmpty() ? 0 : static_cast<unsigned int>(std::max(0, values.front().toInt()));
  }
};

Tag::Tag(RealMediaFF *rmff, bool copy) :
  d(std::make_unique<TagPrivate>())
{
  d->owner = copy;
  if(copy && rmff) {
    d->owned = std::make_unique<RealMediaFF>(*rmff);
    d->rmff = d->owned.get();
  }
  else if(!copy) {
    d->rmff = rmff;
  }
}

Tag::~Tag() = default;

String Tag::title() const { return d->text("TITLE", &RealMediaFF::title); }
String Tag::artist() const { return d->text("ARTIST", &RealMediaFF::artist); }
String Tag::album() const { return d->text("ALBUM", &RealMediaFF::album); }
String Tag::comment() const { return d->text("COMMENT", &RealMediaFF::comment); }
String Tag::genre() const { return d->text("GENRE", &RealMediaFF::genre); }
unsigned int Tag::year() const { return d->number("DATE", &RealMediaFF::year); }
unsigned int Tag::track() const { return d->number("TRACKNUMBER", &RealMediaFF::track); }

void Tag::setTitle(const String &s) { d->set("TITLE", s); }
void Tag::setArtist(const String &s) { d->set("ARTIST", s); }
void Tag::setAlbum(const String &s) { d->set("ALBUM", s); }
void Tag::setComment(const String &s) { d->set("COMMENT", s); }
void Tag::setGenre(const String &s) { d->set("GENRE", s); }
void Tag::setYear(unsigned int i) { d->set("DATE", i ? String(std::to_string(i)) : String()); }
void Tag::setTrack(unsigned int i) { d->set("TRACKNUMBER", i ? String(std::to_string(i)) : String()); }

bool Tag::isEmpty() const
{
  if(d->edited)
    return TagLib::Tag::isEmpty();
  return TagLib::Tag::isEmpty() && (!d->rmff || d->rmff->isEmpty());
}

PropertyMap Tag::properties() const
{
  if(d->edited)
    return *d->edited;
  return d->rmff ? d->rmff->properties() : PropertyMap();
}

PropertyMap Tag::setProperties(const PropertyMap &properties)
{
  PropertyMap fields;
  for(const auto &field : properties) {
    if(!field.second.isEmpty())
      fields.insert(field.first, field.second);
  }
  fields.unsupportedData() = this->properties().unsupportedData();
  d->edited = std::make_unique<PropertyMap>(fields);
  return PropertyMap();
}

void Tag::removeUnsupportedProperties(const StringList &properties)
{
  StringList &unsupported = d->editable().unsupportedData();
  for(const String &name : properties) {
    const auto it = unsupported.find(name);
    if(it != unsupported.end())
      unsupported.erase(it);
  }
}

void Tag::duplicate(const Tag *source, Tag *target, bool overwrite)
{
  if(!source || !target)
    return;
  if(!overwrite && !target->isEmpty()) {
    TagLib::Tag::duplicate(source, target, false);
    return;
  }
  // Copied before the target lets go of anything: source and target may be one.
  std::unique_ptr<PropertyMap> edited;
  if(source->d->edited)
    edited = std::make_unique<PropertyMap>(*source->d->edited);
  if(target->d->owner) {
    std::unique_ptr<RealMediaFF> copy;
    if(source->d->rmff)
      copy = std::make_unique<RealMediaFF>(*source->d->rmff);
    target->d->owned = std::move(copy);
    target->d->rmff = target->d->owned.get();
  }
  else {
    target->d->rmff = source->d->rmff;
  }
  target->d->edited = std::move(edited);
}

RealMediaFF *Tag::reader() const
{
  return d->rmff;
}

bool Tag::ownsReader() const
{
  return d->owner;
}

// ---------------------------------------------------------------- Properties

Properties::Properties(RealMediaFF *rmff) :
  AudioProperties(AudioProperties::Average),
  m_rmff(rmff)
{
}

Properties::~Properties() = default;

int Properties::length() const
{
  // Divided unsigned: a duration past 2^31 ms stays a positive number of seconds.
  return m_rmff ? static_cast<int>(m_rmff->length() / 1000) : 0;
}

int Properties::lengthInMilliseconds() const
{
  return m_rmff ? static_cast<int>(std::min<unsigned int>(m_rmff->length(), std::numeric_limits<int>::max())) : 0;
}

int Properties::lengthInSeconds() const
{
  return lengthInMilliseconds() / 1000;
}

int Properties::bitrate() const
{
  return m_rmff ? static_cast<int>(m_rmff->bitrate() / 1000) : 0;
}

int Properties::sampleRate() const
{
  return m_rmff ? m_rmff->sampleRate() : 0;
}

int Properties::channels() const
{
  return m_rmff ? m_rmff->channels() : 0;
}

// ---------------------------------------------------------------- File

class File::FilePrivate
{
public:
  // Destroyed in reverse: properties, tag, the reader they both use, then
  // the stream it reads (null when borrowed).
  std::unique_ptr<IOStream> ownedStream;
  std::unique_ptr<RealMediaFF> rmff;
  std::unique_ptr<RealMedia::Tag> tag;
  std::unique_ptr<Properties> properties;
};

File::File(FileName file, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(std::make_unique<DescriptorStream>(file), readProperties, propertiesStyle)
{
}

File::File(IOStream *stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(stream),
  d(std::make_unique<FilePrivate>())
{
  read(stream, readProperties, propertiesStyle);
}

File::File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(stream.get()),
  d(std::make_unique<FilePrivate>())
{
  d->ownedStream = std::move(stream);
  read(d->ownedStream.get(), readProperties, propertiesStyle);
}

void File::read(IOStream *stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle)
{
  d->rmff = std::make_unique<RealMediaFF>(stream, readProperties, propertiesStyle);
  d->tag = std::make_unique<RealMedia::Tag>(d->rmff.get(), false);
  d->properties = std::make_unique<Properties>(d->rmff.get());
}

File::~File() = default;

TagLib::Tag *File::tag() const
{
  return d->tag.get();
}

AudioProperties *File::audioProperties() const
{
  return d->properties.get();
}

bool File::save()
{
  return false;
}

RealMedia::Tag *File::RealMediaTag() const
{
  return d->tag.get();
}

RealMediaFF *File::reader() const
{
  return d->rmff.get();
}

PropertyMap File::properties() const
{
  return d->tag->properties();
}

PropertyMap File::setProperties(const PropertyMap &properties)
{
  return d->tag->setProperties(properties);
}

void File::removeUnsupportedProperties(const StringList &properties)
{
  d->tag->removeUnsupportedProperties(properties);
}

Plugins::PictureList File::pictures() const
{
  return Plugins::PictureList();
}

bool File::setPictures(const Plugins::PictureList &)
{
  return false;
}

} // namespace BRENVO_NS
} // namespace RealMedia
} // namespace TagLib
