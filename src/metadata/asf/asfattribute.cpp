#include "asfattribute.h"

#include <limits>
#include <utility>

#include <trefcounter.h>

#include "asffile.h"

namespace TagLib {
namespace ASF {
inline namespace BRENVO_NS {

class Attribute::AttributePrivate : public RefCounter
{
public:
  explicit AttributePrivate(AttributeType t) :
    type(t)
  {
  }

  AttributeType type;
  String stringValue;
  ByteVector byteVectorValue;
  // One value for all numeric types; 0 for the others, so every view is defined.
  unsigned long long numericValue = 0;
  int stream = 0;
  int language = 0;
};

Attribute::Attribute() :
  d(new AttributePrivate(Unicode))
{
}

Attribute::Attribute(const String &value) :
  d(new AttributePrivate(Unicode))
{
  d->stringValue = value;
}

Attribute::Attribute(const ByteVector &value) :
  d(new AttributePrivate(Bytes))
{
  d->byteVectorValue = value;
}

Attribute::Attribute(unsigned int value) :
  d(new AttributePrivate(DWord))
{
  d->numericValue = value;
}

Attribute::Attribute(unsigned long long value) :
  d(new AttributePrivate(QWord))
{
  d->numericValue = value;
}

Attribute::Attribute(unsigned short value) :
  d(new AttributePrivate(Word))
{
  d->numericValue = value;
}

Attribute::Attribute(bool value) :
  d(new AttributePrivate(Bool))
{
  d->numericValue = value ? 1 : 0;
}

Attribute::Attribute(const Attribute &other) :
  d(other.d)
{
  d->ref();
}

Attribute &Attribute::operator=(const Attribute &other)
{
  // Copy and swap: the copy takes this attribute's old record with it, so
  // self-assignment and assignment between sharers are both harmless.
  Attribute copy(other);
  std::swap(d, copy.d);
  return *this;
}

Attribute::~Attribute()
{
  if(d->deref())
    delete d;
}

Attribute::AttributeType Attribute::type() const { return d->type; }
String Attribute::toString() const { return d->stringValue; }
ByteVector Attribute::toByteVector() const { return d->byteVectorValue; }
bool Attribute::toBool() const { return d->numericValue != 0; }
unsigned short Attribute::toUShort() const { return static_cast<unsigned short>(d->numericValue); }
unsigned int Attribute::toUInt() const { return static_cast<unsigned int>(d->numericValue); }
unsigned long long Attribute::toULongLong() const { return d->numericValue; }

int Attribute::stream() const { return d->stream; }
void Attribute::setStream(int value) { d->stream = value; }
int Attribute::language() const { return d->language; }
void Attribute::setLanguage(int value) { d->language = value; }

String Attribute::parse(File &file, int kind)
{
  String name;
  unsigned long long valueLength = 0;
  if(kind == 0) {
    const int nameLength = file.readWORD();
    name = file.readString(nameLength);
    d->type = static_cast<AttributeType>(file.readWORD());
    valueLength = static_cast<unsigned int>(file.readWORD());
  }
  else {
    const int first = file.readWORD();
    if(kind == 2)
      d->language = first;
    d->stream = file.readWORD();
    const int nameLength = file.readWORD();
    d->type = static_cast<AttributeType>(file.readWORD());
    valueLength = file.readDWORD();
    name = file.readString(nameLength);
  }
  if(file.readFailed())
    return name;

  switch(d->type) {
  case Unicode:
    if(valueLength <= static_cast<unsigned long long>(std::numeric_limits<int>::max()))
      d->stringValue = file.readString(static_cast<int>(valueLength));
    else
      file.readBytes(valueLength);  // beyond readString(); skipped, or fails when absent
    break;
  case Bytes:
  case Guid:
    d->byteVectorValue = file.readBytes(valueLength);
    break;
  case Bool:
    d->numericValue = (kind == 0 ? file.readDWORD() : static_cast<unsigned int>(file.readWORD())) == 1 ? 1 : 0;
    break;
  case DWord:
    d->numericValue = file.readDWORD();
    break;
  case QWord:
    d->numericValue = static_cast<unsigned long long>(file.readQWORD());
    break;
  case Word:
    d->numericValue = static_cast<unsigned int>(file.readWORD());
    break;
  default:
    // A type this library does not know: keep its value bytes so that the
    // following records are read from their own start and saving writes the
    // value back unchanged.
    d->byteVectorValue = file.readBytes(valueLength);
    break;
  }
  return name;
}

ByteVector Attribute::renderValue(int kind) const
{
  switch(d->type) {
  case Unicode:
    return File::renderString(d->stringValue, false);
  case Bool:
    if(kind == 0)
      return ByteVector::fromUInt(static_cast<unsigned int>(d->numericValue), false);
    return ByteVector::fromShort(static_cast<short>(d->numericValue), false);
  case DWord:
    return ByteVector::fromUInt(static_cast<unsigned int>(d->numericValue), false);
  case QWord:
    return ByteVector::fromLongLong(static_cast<long long>(d->numericValue), false);
  case Word:
    return ByteVector::fromShort(static_cast<short>(d->numericValue), false);
  case Bytes:
  case Guid:
  default:
    return d->byteVectorValue;
  }
}

ByteVector Attribute::render(const String &name, int kind) const
{
  const ByteVector value = renderValue(kind);
  ByteVector record;
  if(kind == 0) {
    record.append(File::renderString(name, true));
    record.append(ByteVector::fromShort(static_cast<short>(d->type), false));
    record.append(ByteVector::fromShort(static_cast<short>(value.size()), false));
  }
  else {
    const ByteVector nameData = File::renderString(name, false);
    record.append(ByteVector::fromShort(static_cast<short>(kind == 2 ? d->language : 0), false));
    record.append(ByteVector::fromShort(static_cast<short>(d->stream), false));
    record.append(ByteVector::fromShort(static_cast<short>(nameData.size()), false));
    record.append(ByteVector::fromShort(static_cast<short>(d->type), false));
    record.append(ByteVector::fromUInt(value.size(), false));
    record.append(nameData);
  }
  record.append(value);
  return record;
}

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib
