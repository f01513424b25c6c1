#include "texts.h"

#include <cstdint>

namespace TagLib {
inline namespace BRENVO_NS {

bool isValidUtf8(const ByteVector &bytes)
{
  const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while(i < size) {
    const unsigned char c = p[i];
    std::size_t more = 0;
    std::uint32_t code = 0;
    if(c < 0x80) {
      ++i;
      continue;
    }
    if(c >= 0xC2 && c <= 0xDF) {
      more = 1;
      code = c & 0x1Fu;
    }
    else if(c >= 0xE0 && c <= 0xEF) {
      more = 2;
      code = c & 0x0Fu;
    }
    else if(c >= 0xF0 && c <= 0xF4) {
      more = 3;
      code = c & 0x07u;
    }
    else {
      return false;
    }
    if(more >= size - i)
      return false;
    for(std::size_t k = 1; k <= more; ++k) {
      if((p[i + k] & 0xC0) != 0x80)
        return false;
      code = (code << 6) | (p[i + k] & 0x3Fu);
    }
    // Overlong forms, surrogates and code points past Unicode's last.
    if((more == 2 && code < 0x800) || (more == 3 && code < 0x10000) || (code >= 0xD800 && code <= 0xDFFF) ||
       code > 0x10FFFF)
      return false;
    i += more + 1;
  }
  return true;
}

String utf8OrLatin1(const ByteVector &bytes)
{
  return String(bytes, isValidUtf8(bytes) ? String::UTF8 : String::Latin1);
}

} // namespace BRENVO_NS
} // namespace TagLib
