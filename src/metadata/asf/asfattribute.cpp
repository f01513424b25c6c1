#include "asfattribute.h"

#include <cstdint>
#include <limits>
#include <utility>

#include <trefcounter.h>

#include "asfencoding.h"

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

String Attribute::parse(ByteCursor &record, int kind)
{
  String name;
  std::uint32_t valueLength = 0;
  if(kind == 0) {
    name = readText(record, record.u16le());
    d->type = static_cast<AttributeType>(record.u16le());
    valueLength = record.u16le();
  }
  else {
    const int first = record.u16le();
    if(kind == 2)
      d->language = first;
    d->stream = record.u16le();
    const std::size_t nameLength = record.u16le();
    d->type = static_cast<AttributeType>(record.u16le());
    valueLength = record.u32le();
    name = readText(record, nameLength);
  }
  if(!record.ok())
    return name;

  switch(d->type) {
  case Unicode:
    if(valueLength <= static_cast<std::uint32_t>(std::numeric_limits<int>::max()))
      d->stringValue = readText(record, valueLength);
    else
      record.skip(valueLength);  // too long to keep as text; skipped, or fails when absent
    break;
  case Bool:
    d->numericValue = (kind == 0 ? record.u32le() : record.u16le()) == 1 ? 1 : 0;
    break;
  case DWord:
    d->numericValue = record.u32le();
    break;
  case QWord:
    d->numericValue = record.u64le();
    break;
  case Word:
    d->numericValue = record.u16le();
    break;
  case Bytes:
  case Guid:
  default:
    // A type this library does not know keeps its value bytes too, so that
    // the following records are read from their own start and saving writes
    // the value back unchanged.
    d->byteVectorValue = record.bytes(valueLength);
    break;
  }
  return name;
}

ByteVector Attribute::renderValue(int kind) const
{
  switch(d->type) {
  case Unicode:
    return renderText(d->stringValue);
  case Bool:
    if(kind == 0)
      return renderDWord(static_cast<std::uint32_t>(d->numericValue));
    return renderWord(static_cast<unsigned int>(d->numericValue));
  case DWord:
    return renderDWord(static_cast<std::uint32_t>(d->numericValue));
  case QWord:
    return renderQWord(d->numericValue);
  case Word:
    return renderWord(static_cast<unsigned int>(d->numericValue));
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
    record.append(renderText(name, true));
    record.append(renderWord(static_cast<unsigned int>(d->type)));
    record.append(renderWord(value.size()));
  }
  else {
    const ByteVector nameData = renderText(name);
    record.append(renderWord(static_cast<unsigned int>(kind == 2 ? d->language : 0)));
    record.append(renderWord(static_cast<unsigned int>(d->stream)));
    record.append(renderWord(nameData.size()));
    record.append(renderWord(static_cast<unsigned int>(d->type)));
    record.append(renderDWord(value.size()));
    record.append(nameData);
  }
  record.append(value);
  return record;
}

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib
