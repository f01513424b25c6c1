#ifndef BRENVO_BYTECURSOR_H
#define BRENVO_BYTECURSOR_H

#include <cstddef>
#include <cstdint>
#include <string>

#include <tbytevector.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

/*!
 * A bounded reader over bytes taken from a file. It never reads past its
 * end: a read that asks for more than is left fails, returns zero or empty,
 * and leaves the cursor failed, so that every later read fails too (the first
 * failure is sticky). A parser can then read a whole record and check ok()
 * once.
 *
 * The cursor shares the bytes it reads (ByteVector is implicitly shared), so
 * it stays valid whatever happens to the vector it was made from.
 */
class ByteCursor
{
public:
  //! An empty cursor: every read fails.
  ByteCursor() = default;
  //! Reads \a data from its first byte.
  explicit ByteCursor(const ByteVector &data);

  //! True while no read has failed.
  bool ok() const { return ok_; }
  //! The position, counted from the cursor's first byte.
  std::size_t position() const { return pos_ - begin_; }
  //! The number of bytes the cursor spans.
  std::size_t size() const { return end_ - begin_; }
  //! The bytes left to read; 0 once failed.
  std::size_t remaining() const { return ok_ ? end_ - pos_ : 0; }
  //! True when \a count more bytes can be read.
  bool has(std::size_t count) const { return ok_ && count <= end_ - pos_; }
  //! True when nothing is left to read (or the cursor failed).
  bool atEnd() const { return remaining() == 0; }

  //! Marks the cursor failed, for a value that the caller finds out of range.
  void fail() { ok_ = false; }
  //! Skips \a count bytes; fails when fewer are left.
  bool skip(std::size_t count);
  //! Moves to \a position (counted from the cursor's first byte); fails beyond the end.
  bool seek(std::size_t position);

  std::uint8_t u8();
  std::uint16_t u16be();
  std::uint16_t u16le();
  std::uint32_t u24be();
  std::uint32_t u32be();
  std::uint32_t u32le();
  std::uint64_t u64be();
  std::uint64_t u64le();
  //! An unsigned big-endian number of \a count bytes (1 to 8).
  std::uint64_t uintBE(std::size_t count);
  //! An unsigned little-endian number of \a count bytes (1 to 8).
  std::uint64_t uintLE(std::size_t count);

  //! The next \a count bytes; empty (and failed) when fewer are left.
  ByteVector bytes(std::size_t count);
  //! The next \a count bytes as text, up to the first zero byte.
  std::string text(std::size_t count);
  //! The rest of the bytes; the cursor is then at its end.
  ByteVector rest();
  /*!
   * A cursor over the next \a count bytes, for a nested record; this cursor
   * moves past them. When fewer are left, both cursors are failed.
   */
  ByteCursor sub(std::size_t count);

private:
  ByteCursor(const ByteVector &data, std::size_t begin, std::size_t end);
  // The first byte of \a count bytes to read, or null (and failed).
  const unsigned char *take(std::size_t count);
  std::uint64_t integer(std::size_t count, bool bigEndian);

  // Shared, never changed: only ever read through the const data().
  ByteVector data_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
