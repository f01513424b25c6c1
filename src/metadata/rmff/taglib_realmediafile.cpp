#include "taglib_realmediafile.h"

#include <algorithm>
#include <limits>

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

String Tag::title() const
{
  return d->rmff ? d->rmff->title() : String();
}

String Tag::artist() const
{
  return d->rmff ? d->rmff->artist() : String();
}

String Tag::album() const
{
  return d->rmff ? d->rmff->album() : String();
}

String Tag::comment() const
{
  return d->rmff ? d->rmff->comment() : String();
}

String Tag::genre() const
{
  return d->rmff ? d->rmff->genre() : String();
}

unsigned int Tag::year() const
{
  return d->rmff ? d->rmff->year() : 0;
}

unsigned int Tag::track() const
{
  return d->rmff ? d->rmff->track() : 0;
}

void Tag::setTitle(const String &) {}
void Tag::setArtist(const String &) {}
void Tag::setAlbum(const String &) {}
void Tag::setComment(const String &) {}
void Tag::setGenre(const String &) {}
void Tag::setYear(unsigned int) {}
void Tag::setTrack(unsigned int) {}

bool Tag::isEmpty() const
{
  return TagLib::Tag::isEmpty() && (!d->rmff || d->rmff->isEmpty());
}

void Tag::duplicate(const Tag *source, Tag *target, bool overwrite)
{
  if(!source || !target)
    return;
  TagLib::Tag::duplicate(source, target, overwrite);
  if(!overwrite && !target->isEmpty())
    return;
  if(target->d->owner) {
    // Copy before letting go of the old reader: source and target may share it.
    std::unique_ptr<RealMediaFF> copy;
    if(source->d->rmff)
      copy = std::make_unique<RealMediaFF>(*source->d->rmff);
    target->d->owned = std::move(copy);
    target->d->rmff = target->d->owned.get();
  }
  else {
    target->d->rmff = source->d->rmff;
  }
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
  return tag()->properties();
}

PropertyMap File::setProperties(const PropertyMap &properties)
{
  return tag()->setProperties(properties);
}

void File::removeUnsupportedProperties(const StringList &properties)
{
  (void)properties;
}

Plugins::PictureList File::pictures() const
{
  return Plugins::PictureList();
}

bool File::setPictures(const Plugins::PictureList &pictures)
{
  (void)pictures;
  return false;
}

} // namespace BRENVO_NS
} // namespace RealMedia
} // namespace TagLib
