#ifndef BRENVO_TEST_FAULTYSTREAM_H
#define BRENVO_TEST_FAULTYSTREAM_H

#include <memory>

#include "common/fdstream.h"

namespace brenvo_test {

/*!
 * A stream over a real file that fails on purpose: its Nth operation (every
 * read, write, seek, length, truncate, insert and remove counts) does nothing
 * and reports nothing, as a full disk or a yanked device would; or, in the
 * short-read mode, every read from the Nth operation on returns half of what
 * it could.
 *
 * A run that goes on far beyond what the same work costs on a sound stream is
 * a loop that does not end: the stream then fails everything and says so.
 */
class FaultyStream : public TagLib::CheckedStream
{
public:
  enum Mode { FailOne, ShortReads };

  //! \a failAt counts from 0; a negative value never fails (to count a clean run).
  FaultyStream(const char *path, long failAt, Mode mode = FailOne);
  ~FaultyStream() override;

  //! Operations so far.
  long operations() const { return count_; }
  //! True when the operation to fail was reached.
  bool struck() const { return struck_; }
  //! True when the operations ran away (more than the limit).
  bool runaway() const { return runaway_; }
  void setLimit(long limit) { limit_ = limit; }

  TagLib::FileName name() const override { return inner_->name(); }
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector &data) override { if(proceed()) inner_->writeBlock(data); }
  void insert(const TagLib::ByteVector &data, unsigned long start = 0, unsigned long replace = 0) override
  {
    if(proceed())
      inner_->insert(data, start, replace);
  }
  void removeBlock(unsigned long start = 0, unsigned long length = 0) override { if(proceed()) inner_->removeBlock(start, length); }
  bool readOnly() const override { return inner_->readOnly(); }
  bool isOpen() const override { return inner_->isOpen(); }
  void seek(long offset, Position p = Beginning) override { if(proceed()) inner_->seek(offset, p); }
  void clear() override { inner_->clear(); }
  long tell() const override { return inner_->tell(); }
  long length() override { return proceed() ? inner_->length() : 0; }
  void truncate(long length) override { if(proceed()) inner_->truncate(length); }
  bool failed() const override { return failed_ || inner_->failed(); }
  void clearFailure() override
  {
    failed_ = false;
    inner_->clearFailure();
  }

private:
  // Counts one operation; false when it is the one to fail.
  bool proceed();

  std::unique_ptr<TagLib::DescriptorStream> inner_;
  long failAt_;
  Mode mode_;
  long count_ = 0;
  long limit_ = -1;
  bool struck_ = false;
  bool runaway_ = false;
  bool failed_ = false;
};

} // namespace brenvo_test

#endif
