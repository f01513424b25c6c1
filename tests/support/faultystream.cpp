#include "faultystream.h"

namespace brenvo_test {

FaultyStream::FaultyStream(const char *path, long failAt, Mode mode) :
  inner_(std::make_unique<TagLib::DescriptorStream>(path)), failAt_(failAt), mode_(mode)
{
}

FaultyStream::~FaultyStream() = default;

bool FaultyStream::proceed()
{
  const long index = count_++;
  if(limit_ >= 0 && count_ > limit_) {
    runaway_ = true;
    failed_ = true;
    return false;
  }
  if(index == failAt_) {
    struck_ = true;
    failed_ = true;
    return mode_ == ShortReads;
  }
  return true;
}

TagLib::FileName FaultyStream::name() const
{
  return inner_->name();
}

TagLib::ByteVector FaultyStream::readBlock(unsigned long length)
{
  if(!proceed())
    return TagLib::ByteVector();
  if(mode_ == ShortReads && struck_)
    return inner_->readBlock(length / 2);
  return inner_->readBlock(length);
}

void FaultyStream::writeBlock(const TagLib::ByteVector &data)
{
  if(proceed())
    inner_->writeBlock(data);
}

void FaultyStream::insert(const TagLib::ByteVector &data, unsigned long start, unsigned long replace)
{
  if(proceed())
    inner_->insert(data, start, replace);
}

void FaultyStream::removeBlock(unsigned long start, unsigned long length)
{
  if(proceed())
    inner_->removeBlock(start, length);
}

bool FaultyStream::readOnly() const
{
  return inner_->readOnly();
}

bool FaultyStream::isOpen() const
{
  return inner_->isOpen();
}

void FaultyStream::seek(long offset, Position p)
{
  if(proceed())
    inner_->seek(offset, p);
}

void FaultyStream::clear()
{
  inner_->clear();
}

long FaultyStream::tell() const
{
  return inner_->tell();
}

long FaultyStream::length()
{
  return proceed() ? inner_->length() : 0;
}

void FaultyStream::truncate(long length)
{
  if(proceed())
    inner_->truncate(length);
}

bool FaultyStream::failed() const
{
  return failed_ || inner_->failed();
}

void FaultyStream::clearFailure()
{
  failed_ = false;
  inner_->clearFailure();
}

} // namespace brenvo_test
