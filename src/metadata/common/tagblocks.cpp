#include "tagblocks.h"

#include <algorithm>

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

bool TagBlockLayout::begin()
{
  if(!usable_ || !stream_ || stream_->readOnly())
    return false;
  clearStreamFailure(stream_);
  return true;
}

long TagBlockLayout::fileLength()
{
  const long length = stream_->length();
  // A length that could not be had would put a block at the wrong place.
  if(streamFailed(stream_)) {
    usable_ = false;
    return -1;
  }
  return length;
}

bool TagBlockLayout::write(TagBlock &block, const ByteVector &data, long at)
{
  return begin() && place(block, data, at);
}

bool TagBlockLayout::writeAtEnd(TagBlock &block, const ByteVector &data)
{
  return begin() && place(block, data, block.exists() ? block.offset : fileLength());
}

bool TagBlockLayout::place(TagBlock &block, const ByteVector &data, long at)
{
  const long start = block.exists() ? block.offset : at;
  const long oldSize = block.exists() ? block.size : 0;
  const long end = fileLength();
  if(start < 0 || end < 0 || start + oldSize > end)
    return false;
  stream_->insert(data, static_cast<unsigned long>(start), static_cast<unsigned long>(oldSize));
  shift(block, start + oldSize, static_cast<long>(data.size()) - oldSize);
  block.offset = start;
  block.size = static_cast<long>(data.size());
  return finish();
}

bool TagBlockLayout::writeTail(std::initializer_list<std::pair<TagBlock *, ByteVector>> blocks)
{
  if(!begin())
    return false;
  const long end = fileLength();
  if(end < 0)
    return false;
  long start = end;
  long existing = 0;
  for(const auto &entry : blocks) {
    if(entry.first->exists()) {
      start = std::min(start, entry.first->offset);
      existing += entry.first->size;
    }
  }
  if(start + existing != end)
    return false;

  ByteVector tail;
  for(const auto &entry : blocks) {
    if(entry.second.isEmpty()) {
      *entry.first = TagBlock();
      continue;
    }
    *entry.first = TagBlock{start + static_cast<long>(tail.size()), static_cast<long>(entry.second.size())};
    tail.append(entry.second);
  }
  stream_->insert(tail, static_cast<unsigned long>(start), static_cast<unsigned long>(end - start));
  return finish();
}

bool TagBlockLayout::remove(TagBlock &block)
{
  if(!block.exists())
    return usable_;
  if(!begin())
    return false;
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
