#ifndef BRENVO_FDSTREAM_H
#define BRENVO_FDSTREAM_H

#include <memory>

#include <tiostream.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

/*!
 * A stream that remembers whether any operation failed since the last
 * clearFailure(). TagLib's stream interface reports nothing (writeBlock() and
 * insert() return void), so a save asks this instead of guessing.
 */
class CheckedStream : public IOStream
{
public:
  //! True when a read, write or resize failed since the last clearFailure().
  virtual bool failed() const = 0;
  //! Forgets earlier failures.
  virtual void clearFailure() = 0;
};

/*!
 * True when \a stream is a CheckedStream that saw a failure. A stream of any
 * other kind cannot tell, and is taken at its word.
 */
bool streamFailed(const IOStream *stream);
//! Forgets \a stream's earlier failures when it can tell them.
void clearStreamFailure(IOStream *stream);

/*!
 * The one stream through which every file of this library is read and
 * written: a POSIX descriptor opened once, read through pread() with a
 * read-ahead window and written through pwrite().
 *
 * The length comes from one fstat() at open and is kept up to date by the
 * writes, so asking for it costs nothing. A read outside the window fetches a
 * whole window: forward from the position, or, near the end of the file, the
 * file's last window, so that the tags at either end of a file cost one
 * system call each. The window is kept coherent with every write.
 *
 * The file is opened read-write when possible and read-only otherwise, as
 * TagLib's own stream does: readOnly() then tells which.
 */
class DescriptorStream : public CheckedStream
{
public:
  //! The bytes fetched by one read outside the windows.
  static constexpr unsigned long windowSize = 16UL * 1024;

  //! Opens \a name; isOpen() tells whether that worked.
  explicit DescriptorStream(FileName name);
  ~DescriptorStream() override;

  DescriptorStream(const DescriptorStream &) = delete;
  DescriptorStream &operator=(const DescriptorStream &) = delete;

  //! Opens \a name, or returns null when it cannot be opened for reading.
  static std::unique_ptr<DescriptorStream> open(FileName name);

  FileName name() const override;
  ByteVector readBlock(unsigned long length) override;
  void writeBlock(const ByteVector &data) override;
  void insert(const ByteVector &data, unsigned long start = 0, unsigned long replace = 0) override;
  void removeBlock(unsigned long start = 0, unsigned long length = 0) override;
  bool readOnly() const override;
  bool isOpen() const override;
  void seek(long offset, Position p = Beginning) override;
  void clear() override;
  long tell() const override;
  long length() override;
  void truncate(long length) override;

  bool failed() const override;
  void clearFailure() override;

private:
  class StreamPrivate;
  std::unique_ptr<StreamPrivate> d;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
