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
    runaway_ = failed_ = true;
    return false;
  }
  if(index == failAt_) {
    struck_ = failed_ = true;
    return mode_ == ShortReads;
  }
  return true;
}

TagLib::ByteVector FaultyStream::readBlock(unsigned long length)
{
  if(!proceed())
    return TagLib::ByteVector();
  return inner_->readBlock(mode_ == ShortReads && struck_ ? length / 2 : length);
}

} // namespace brenvo_test
