#include "taglib_audiblefile.h"

#include "common/fdstream.h"

namespace TagLib {
namespace Audible {
inline namespace BRENVO_NS {

class File::FilePrivate
{
public:
  // Declared first, so that it goes last.
  std::unique_ptr<IOStream> ownedStream;
  IOStream *stream = nullptr;
  std::unique_ptr<Audible::Tag> tag;
  std::unique_ptr<Audible::Properties> properties;
};

File::File(FileName fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(std::make_unique<DescriptorStream>(fileName), readProperties, propertiesStyle)
{
}

File::File(IOStream *stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(stream),
  d(std::make_unique<FilePrivate>())
{
  d->stream = stream;
  read(readProperties, propertiesStyle);
}

File::File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(stream.get()),
  d(std::make_unique<FilePrivate>())
{
  d->ownedStream = std::move(stream);
  d->stream = d->ownedStream.get();
  read(readProperties, propertiesStyle);
}

File::~File() = default;

TagLib::Tag *File::tag() const
{
  return d->tag.get();
}

Audible::Tag *File::getAudibleTag() const
{
  return d->tag.get();
}

Audible::Properties *File::audioProperties() const
{
  return d->properties.get();
}

bool File::save()
{
  return false;
}

bool File::isOpen() const
{
  return d->stream && d->stream->isOpen();
}

void File::read(bool readProperties, AudioProperties::ReadStyle propertiesStyle)
{
  if(!isOpen())
    return;
  clearStreamFailure(d->stream);
  d->properties = std::make_unique<Audible::Properties>(propertiesStyle);
  d->tag = std::make_unique<Audible::Tag>();
  d->tag->readTags(d->stream);
  const unsigned int tagsEnd = d->tag->getTagsEndOffset();
  // Without an accepted header there is no record list to measure from, so
  // no length either.
  if(readProperties && tagsEnd != Audible::Tag::noOffset)
    d->properties->readAudibleProperties(d->stream, tagsEnd);
  if(streamFailed(d->stream)) {
    // What a failed read left behind is not to be trusted.
    d->properties = std::make_unique<Audible::Properties>(propertiesStyle);
    d->tag = std::make_unique<Audible::Tag>();
  }
}

PropertyMap File::properties() const
{
  return d->tag ? d->tag->properties() : PropertyMap();
}

PropertyMap File::setProperties(const PropertyMap &properties)
{
  return d->tag ? d->tag->setProperties(properties) : properties;
}

void File::removeUnsupportedProperties(const StringList &)
{
  // Every record is text: nothing is ever listed as unsupported.
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
} // namespace Audible
} // namespace TagLib
