#ifndef BRENVO_TEST_BYTEBUILDER_H
#define BRENVO_TEST_BYTEBUILDER_H

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include <tbytevector.h>

namespace brenvo_test {

// The bytes of a test file built in code: integers in either byte order, text,
// repeated bytes, and blocks whose size field is filled in when they close.
class ByteBuilder
{
public:
  ByteBuilder &u8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); return *this; }
  ByteBuilder &be16(std::uint16_t v) { return be(v, 2); }
  ByteBuilder &be24(std::uint32_t v) { return be(v, 3); }
  ByteBuilder &be32(std::uint32_t v) { return be(v, 4); }
  ByteBuilder &be64(std::uint64_t v) { return be(v, 8); }
  ByteBuilder &le16(std::uint16_t v) { return le(v, 2); }
  ByteBuilder &le32(std::uint32_t v) { return le(v, 4); }
  ByteBuilder &le64(std::uint64_t v) { return le(v, 8); }

  //! The characters of \a s, no terminator.
  ByteBuilder &text(const std::string &s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); return *this; }
  ByteBuilder &raw(std::initializer_list<int> v)
  {
    for(int b : v)
      bytes_.push_back(static_cast<char>(b));
    return *this;
  }
  ByteBuilder &append(const std::string &s) { return text(s); }
  ByteBuilder &append(const TagLib::ByteVector &v) { bytes_.insert(bytes_.end(), v.begin(), v.end()); return *this; }
  ByteBuilder &append(const ByteBuilder &b) { bytes_.insert(bytes_.end(), b.bytes_.begin(), b.bytes_.end()); return *this; }
  ByteBuilder &fill(std::size_t count, std::uint8_t v = 0) { bytes_.insert(bytes_.end(), count, static_cast<char>(v)); return *this; }

  //! Starts a block whose 4-byte big-endian size, from the size's own first byte, end() fills in.
  ByteBuilder &beginSized()
  {
    marks_.push_back(bytes_.size());
    return fill(4);
  }
  ByteBuilder &end()
  {
    const std::size_t pos = marks_.back();
    marks_.pop_back();
    return patch(pos, bytes_.size() - pos, 4, true);
  }

  //! Overwrites \a width bytes at \a pos with \a v.
  ByteBuilder &patch(std::size_t pos, std::uint64_t v, int width, bool bigEndian)
  {
    for(int i = 0; i < width; ++i) {
      const int shift = bigEndian ? 8 * (width - 1 - i) : 8 * i;
      bytes_[pos + static_cast<std::size_t>(i)] = static_cast<char>((v >> shift) & 0xFF);
    }
    return *this;
  }

  std::size_t size() const { return bytes_.size(); }
  const std::string &str() const { return bytes_; }
  TagLib::ByteVector vector() const { return TagLib::ByteVector(bytes_.data(), static_cast<unsigned int>(bytes_.size())); }

private:
  ByteBuilder &be(std::uint64_t v, int width) { return fill(static_cast<std::size_t>(width)).patch(bytes_.size() - static_cast<std::size_t>(width), v, width, true); }
  ByteBuilder &le(std::uint64_t v, int width) { return fill(static_cast<std::size_t>(width)).patch(bytes_.size() - static_cast<std::size_t>(width), v, width, false); }

  std::string bytes_;
  std::vector<std::size_t> marks_;
};

} // namespace brenvo_test

#endif
