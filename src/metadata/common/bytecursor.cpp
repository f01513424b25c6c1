#include "bytecursor.h"

#include <cstring>

namespace TagLib {
inline namespace BRENVO_NS {

ByteCursor::ByteCursor(const ByteVector &data) : ByteCursor(data, 0, data.size())
{
}

ByteCursor::ByteCursor(const ByteVector &data, std::size_t begin, std::size_t end) :
  data_(data), begin_(begin), end_(end), pos_(begin)
{
}

const unsigned char *ByteCursor::take(std::size_t count)
{
  if(!has(count)) {
    ok_ = false;
    return nullptr;
  }
  // The const data(): the non-const one copies bytes that are shared.
  const ByteVector &bytes = data_;
  const auto *at = reinterpret_cast<const unsigned char *>(bytes.data()) + pos_;
  pos_ += count;
  return at;
}

std::uint64_t ByteCursor::integer(std::size_t count, bool bigEndian)
{
  // Wider numbers would lose their top bytes.
  if(count > sizeof(std::uint64_t)) {
    ok_ = false;
    return 0;
  }
  const unsigned char *at = take(count);
  if(!at)
    return 0;
  std::uint64_t value = 0;
  for(std::size_t i = 0; i < count; ++i)
    value = (value << 8) | at[bigEndian ? i : count - 1 - i];
  return value;
}

bool ByteCursor::skip(std::size_t count)
{
  return take(count) != nullptr || count == 0;
}

bool ByteCursor::seek(std::size_t position)
{
  if(!ok_ || position > size()) {
    ok_ = false;
    return false;
  }
  pos_ = begin_ + position;
  return true;
}

std::uint8_t ByteCursor::u8() { return static_cast<std::uint8_t>(integer(1, true)); }
std::uint16_t ByteCursor::u16be() { return static_cast<std::uint16_t>(integer(2, true)); }
std::uint16_t ByteCursor::u16le() { return static_cast<std::uint16_t>(integer(2, false)); }
std::uint32_t ByteCursor::u24be() { return static_cast<std::uint32_t>(integer(3, true)); }
std::uint32_t ByteCursor::u32be() { return static_cast<std::uint32_t>(integer(4, true)); }
std::uint32_t ByteCursor::u32le() { return static_cast<std::uint32_t>(integer(4, false)); }
std::uint64_t ByteCursor::u64be() { return integer(8, true); }
std::uint64_t ByteCursor::u64le() { return integer(8, false); }
std::uint64_t ByteCursor::uintBE(std::size_t count) { return integer(count, true); }
std::uint64_t ByteCursor::uintLE(std::size_t count) { return integer(count, false); }

ByteVector ByteCursor::bytes(std::size_t count)
{
  const std::size_t from = pos_;
  if(!take(count))
    return ByteVector();
  // Shares the bytes instead of copying them (a cover picture is most of a tag).
  return ByteVector(data_, static_cast<unsigned int>(from), static_cast<unsigned int>(count));
}

std::string ByteCursor::text(std::size_t count)
{
  const unsigned char *at = take(count);
  if(!at)
    return std::string();
  const auto *chars = reinterpret_cast<const char *>(at);
  const void *zero = std::memchr(chars, 0, count);
  return std::string(chars, zero ? static_cast<const char *>(zero) - chars : count);
}

ByteVector ByteCursor::rest()
{
  return bytes(remaining());
}

ByteCursor ByteCursor::sub(std::size_t count)
{
  const std::size_t from = pos_;
  if(!take(count)) {
    ByteCursor failed;
    failed.ok_ = false;
    return failed;
  }
  return ByteCursor(data_, from, from + count);
}

} // namespace BRENVO_NS
} // namespace TagLib
