#include "wavfile.h"

namespace TagLib {
namespace Wav {
inline namespace BRENVO_NS {

namespace {

struct StreamCloser
{
  void operator()(FILE *stream) const { std::fclose(stream); }
};

} // namespace

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
  Wav::Tag tag;
  std::unique_ptr<Wav::Properties> properties;
  std::unique_ptr<FILE, StreamCloser> stream;
};

File::File(const char *fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle,
           FILE *stream) :
  TagLib::File(fileName),
  d(std::make_unique<FilePrivate>())
{
  d->stream.reset(stream ? stream : std::fopen(fileName, "rb"));
  if(isOpen())
    read(readProperties, propertiesStyle);
}

File::~File()
{
  d->stream.reset();
}

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

bool File::isOpen() const
{
  return d->stream != nullptr;
}

void File::read(bool readProperties, AudioProperties::ReadStyle propertiesStyle)
{
  d->properties = std::make_unique<Wav::Properties>(propertiesStyle);
  if(d->stream && readProperties)
    d->properties->readWavProperties(d->stream.get());
}

} // namespace BRENVO_NS
} // namespace Wav
} // namespace TagLib
