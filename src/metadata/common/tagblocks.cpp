#include "tagblocks.h"

#include "fdstream.h"

namespace TagLib {
inline namespace BRENVO_NS {

TagBlockLayout::TagBlockLayout(IOStream *stream) : stream_(stream)
{
}

void TagBlockLayout::track(TagBlock *block)
{
  blocks_.push_back(block);
}

bool TagBlockLayout::write(TagBlock &block, const ByteVector &data, long at)
{
  if(!usable_ || !stream_ || stream_->readOnly())
    return false;
  clearStreamFailure(stream_);
  const long start = block.exists() ? block.offset : at;
  const long oldSize = block.exists() ? block.size : 0;
  if(start < 0 || start > stream_->length())
    return false;
  stream_->insert(data, static_cast<unsigned long>(start), static_cast<unsigned long>(oldSize));
  const long delta = static_cast<long>(data.size()) - oldSize;
  shift(block, start + oldSize, delta);
  block.offset = start;
  block.size = static_cast<long>(data.size());
  return finish();
}

bool TagBlockLayout::writeAtEnd(TagBlock &block, const ByteVector &data)
{
  return write(block, data, stream_ ? stream_->length() : -1);
}

bool TagBlockLayout::remove(TagBlock &block)
{
  if(!block.exists())
    return usable_;
  if(!usable_ || !stream_ || stream_->readOnly())
    return false;
  clearStreamFailure(stream_);
  stream_->removeBlock(static_cast<unsigned long>(block.offset), static_cast<unsigned long>(block.size));
  shift(block, block.end(), -block.size);
  block = TagBlock();
  return finish();
}

void TagBlockLayout::shift(const TagBlock &changed, long from, long delta)
{
  // A new block inserted where another starts (from == its offset) pushes that one back too.
  for(TagBlock *other : blocks_) {
    if(other != &changed && other->exists() && other->offset >= from)
      other->offset += delta;
  }
}

bool TagBlockLayout::finish()
{
  if(streamFailed(stream_))
    usable_ = false;
  return usable_;
}

} // namespace BRENVO_NS
} // namespace TagLib
