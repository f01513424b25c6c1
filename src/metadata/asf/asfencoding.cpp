#include "asfencoding.h"

namespace TagLib {
namespace ASF {
inline namespace BRENVO_NS {

ByteVector renderWord(unsigned int value)
{
  return ByteVector::fromShort(static_cast<short>(value & 0xFFFF), false);
}

ByteVector renderDWord(std::uint32_t value)
{
  return ByteVector::fromUInt(value, false);
}

ByteVector renderQWord(std::uint64_t value)
{
  return ByteVector::fromLongLong(static_cast<long long>(value), false);
}

String readText(ByteCursor &cursor, std::size_t length)
{
  // Const, so that looking at the bytes shared with the header copies nothing.
  const ByteVector data = cursor.bytes(length);
  unsigned int n = data.size();
  while(n >= 2 && data[n - 1] == '\0' && data[n - 2] == '\0')
    n -= 2;
  return String(n == data.size() ? data : data.mid(0, n), String::UTF16LE);
}

ByteVector renderText(const String &text, bool withLength)
{
  ByteVector data = text.data(String::UTF16LE);
  data.append(ByteVector(2, '\0'));
  if(withLength)
    return renderWord(data.size()) + data;
  return data;
}

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib
