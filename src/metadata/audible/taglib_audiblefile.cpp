#include "taglib_audiblefile.h"

namespace TagLib {
namespace Audible {
inline namespace BRENVO_NS {

namespace {

struct StreamCloser
{
  void operator()(FILE *stream) const { std::fclose(stream); }
};

} // namespace

class File::FilePrivate
{
public:
  std::unique_ptr<Audible::Tag> tag;
  std::unique_ptr<Audible::Properties> properties;
  std::unique_ptr<FILE, StreamCloser> stream;
};

File::File(const char *fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle,
           FILE *stream) :
  TagLib::File(fileName),
  d(std::make_unique<FilePrivate>())
{
  d->stream.reset(stream ? stream : std::fopen(fileName, "rb"));
  if(d->stream)
    read(readProperties, propertiesStyle);
}

File::~File()
{
  d->stream.reset();
}

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
  return d->stream != nullptr;
}

void File::read(bool readProperties, AudioProperties::ReadStyle propertiesStyle)
{
  d->properties = std::make_unique<Audible::Properties>(propertiesStyle);
  d->tag = std::make_unique<Audible::Tag>();
  if(!d->stream)
    return;

  d->tag->readTags(d->stream.get());
  const unsigned int tagsEnd = d->tag->getTagsEndOffset();
  // Without an accepted header there is no record list to measure from, so
  // no length either.
  if(readProperties && tagsEnd != Audible::Tag::noOffset)
    d->properties->readAudibleProperties(d->stream.get(), tagsEnd);
}

} // namespace BRENVO_NS
} // namespace Audible
} // namespace TagLib
