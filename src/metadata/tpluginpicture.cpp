#include "tpluginpicture.h"

namespace TagLib {
namespace Plugins {
inline namespace BRENVO_NS {

class Picture::PicturePrivate
{
public:
  ByteVector data;
  String mimeType;
  String description;
  Type type = FrontCover;
};

Picture::Picture() : d(std::make_unique<PicturePrivate>()) {}

Picture::Picture(const ByteVector &data, const String &mimeType, const String &description, Type type)
  : d(std::make_unique<PicturePrivate>())
{
  d->data = data;
  d->mimeType = mimeType;
  d->description = description;
  d->type = type;
}

Picture::Picture(const Picture &other) : d(std::make_unique<PicturePrivate>(*other.d)) {}

Picture &Picture::operator=(const Picture &other)
{
  if(this != &other)
    *d = *other.d;
  return *this;
}

Picture::~Picture() = default;

ByteVector Picture::data() const { return d->data; }
String Picture::mimeType() const { return d->mimeType; }
String Picture::description() const { return d->description; }
Picture::Type Picture::type() const { return d->type; }

void Picture::setData(const ByteVector &data) { d->data = data; }
void Picture::setMimeType(const String &mimeType) { d->mimeType = mimeType; }
void Picture::setDescription(const String &description) { d->description = description; }
void Picture::setType(Type type) { d->type = type; }

bool Picture::operator==(const Picture &other) const
{
  return d->data == other.d->data && d->mimeType == other.d->mimeType &&
         d->description == other.d->description && d->type == other.d->type;
}

bool Picture::operator!=(const Picture &other) const
{
  return !(*this == other);
}

} // namespace BRENVO_NS
} // namespace Plugins
} // namespace TagLib
