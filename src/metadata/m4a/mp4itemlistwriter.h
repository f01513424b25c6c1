#ifndef BRENVO_MP4ITEMLISTWRITER_H
#define BRENVO_MP4ITEMLISTWRITER_H

#include <memory>

#include <tbytevector.h>
#include <tiostream.h>

#include "brenvo_export.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

/*!
 * Writes the item list (moov/udta/meta/ilst) of an MP4 file, moving nothing
 * but what must move.
 *
 * The file's boxes are read anew from the stream and checked: the top-level
 * boxes must cover the file exactly, and the movie box must parse whole down
 * to its chunk offset tables and its item list. Then, in order of preference:
 *
 * - the new list replaces the old one and the free boxes behind it in their
 *   parent, the rest staying a free box: only those bytes are written;
 * - the movie box is rebuilt, with free space after the list for the next
 *   edit, and written where the old one and the free boxes behind it stood
 *   (the file grows or shrinks at its end when nothing follows them);
 * - when only boxes that hold no media follow, the old movie box becomes free
 *   space and the new one is appended;
 * - otherwise the rest of the file moves, and every chunk offset that points
 *   behind the movie box is shifted by the same amount (32-bit tables become
 *   64-bit ones where a shifted offset needs it).
 */
class Mp4ItemListWriter
{
public:
  //! Free space left after the item list when the movie box is rebuilt.
  static constexpr unsigned int padding = 4096;
  //! The largest movie box read into memory.
  static constexpr unsigned long maxMovieSize = 256UL * 1024 * 1024;

  /*!
   * Works on \a stream (borrowed). \a itemListOffset is where the item list
   * read from the file starts (its header), or -1 when it has none: a file
   * whose first item list is elsewhere is refused, since its items were not
   * the ones read.
   */
  Mp4ItemListWriter(IOStream *stream, long itemListOffset);
  ~Mp4ItemListWriter();
  Mp4ItemListWriter(const Mp4ItemListWriter &) = delete;
  Mp4ItemListWriter &operator=(const Mp4ItemListWriter &) = delete;

  /*!
   * Writes \a items (item boxes in a row; empty to remove the list). False,
   * with nothing written, when the file cannot be rewritten safely; false
   * also when a write failed, which may leave part of the work done.
   */
  bool write(const ByteVector &items);

private:
  class WriterPrivate;
  std::unique_ptr<WriterPrivate> d;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
