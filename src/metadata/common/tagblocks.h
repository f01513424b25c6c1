#ifndef BRENVO_TAGBLOCKS_H
#define BRENVO_TAGBLOCKS_H

#include <initializer_list>
#include <utility>
#include <vector>

#include <tbytevector.h>
#include <tiostream.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! Where a tag block lies in a file: its offset and size, or nowhere.
struct TagBlock
{
  long offset = -1;
  long size = 0;

  bool exists() const { return offset >= 0; }
  long end() const { return offset + size; }
};

/*!
 * The tag blocks of one file as they lie on disk (an ID3v2 tag at the start,
 * an APE and an ID3v1 tag at the end, and so on). Writing a block of another
 * size, adding or removing one moves every byte behind it, so the offsets of
 * the blocks behind it move by the same amount; this class keeps them right.
 *
 * Every write reports whether the stream took it. After a failure the blocks'
 * places on disk are no longer known, and every later write is refused.
 */
class TagBlockLayout
{
public:
  //! The layout of the file read through \a stream (borrowed).
  explicit TagBlockLayout(IOStream *stream);

  //! Keeps \a block's offset current (borrowed; it must outlive the layout's use).
  void track(TagBlock *block);

  /*!
   * Puts \a data in place of \a block, or, when the block does not exist,
   * inserts it at \a at. False when the stream failed or is read only.
   */
  bool write(TagBlock &block, const ByteVector &data, long at);
  //! Writes \a data over the last bytes of the file, or appends it when \a block does not exist.
  bool writeAtEnd(TagBlock &block, const ByteVector &data);
  /*!
   * Rewrites the tag blocks that end the file, in the order given, in one
   * write: each block gets its new bytes, or goes when they are empty; absent
   * ones are added. So a failure leaves the old blocks or the new ones, never
   * a mix. False, with nothing written, when the existing blocks among them
   * do not run together to the end of the file.
   */
  bool writeTail(std::initializer_list<std::pair<TagBlock *, ByteVector>> blocks);
  //! Removes \a block's bytes from the file; true also when there was none.
  bool remove(TagBlock &block);

  //! False once a write failed.
  bool usable() const { return usable_; }

private:
  // Whether a write may start; clears the stream's earlier failures.
  bool begin();
  // The stream's length, or -1 (and unusable) when the stream failed to tell it.
  long fileLength();
  bool place(TagBlock &block, const ByteVector &data, long at);
  bool finish();
  void shift(const TagBlock &changed, long from, long delta);

  IOStream *stream_;
  std::vector<TagBlock *> blocks_;
  bool usable_ = true;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
