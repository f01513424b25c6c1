#include "wavfile.h"

#include "common/fdstream.h"

namespace TagLib {
namespace Wav {
inline namespace BRENVO_NS {

Tag::Tag() = default;
Tag::~Tag() = default;

String Tag::title() const { return String(); }
String Tag::artist() const { return String(); }
String Tag::album() const { return String(); }
String Tag::comment() const { return String(); }
String Tag::genre() const { return String(); }
unsigned int Tag::year() const { return 0; }
unsigned int Tag::track() const { return 0; }

void Tag::setTitle(const String &) {}
void Tag::setArtist(const String &) {}
void Tag::setAlbum(const String &) {}
void Tag::setComment(const String &) {}
void Tag::setGenre(const String &) {}
void Tag::setYear(unsigned int) {}
void Tag::setTrack(unsigned int) {}

bool Tag::isEmpty() const
{
  return true;
}

class File::FilePrivate
{
public:
  explicit FilePrivate(std::unique_ptr<IOStream> stream) : owner(std::move(stream)) {}

  // Null when the stream is borrowed.
  std::unique_ptr<IOStream> owner;
  Wav::Tag tag;
  std::unique_ptr<Wav::Properties> properties;
};

File::File(FileName fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(std::make_unique<DescriptorStream>(fileName), readProperties, propertiesStyle)
{
}

File::File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(stream.get(), readProperties, propertiesStyle)
{
  d->owner = std::move(stream);
}

File::File(IOStream *stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(stream),
  d(std::make_unique<FilePrivate>(nullptr))
{
  // TagLib's own isOpen() takes a null stream for granted.
  if(!stream || !stream->isOpen())
    return;
  d->properties = std::make_unique<Wav::Properties>(propertiesStyle);
  if(readProperties)
    d->properties->read(stream);
}

File::~File() = default;

TagLib::Tag *File::tag() const
{
  return &d->tag;
}

Wav::Tag *File::getWavTag() const
{
  return &d->tag;
}

Wav::Properties *File::audioProperties() const
{
  return d->properties.get();
}

bool File::save()
{
  return false;
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
} // namespace Wav
} // namespace TagLib
