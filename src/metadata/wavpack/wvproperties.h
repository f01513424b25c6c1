#ifndef BRENVO_WVPROPERTIES_H
#define BRENVO_WVPROPERTIES_H

#include <functional>

#include <tbytevector.h>

#include "brenvo_export.h"
#include "common/headerproperties.h"

namespace TagLib {
class File;

namespace WavPack {
inline namespace BRENVO_NS {

/*!
 * Audio properties of a WavPack stream, from the blocks of its first frame:
 * the first block header and its metadata sub-blocks (channel count, a rate
 * the header's table lacks, the rate of DSD audio), and the following blocks
 * of a multichannel frame. A stream whose first block does not count its
 * samples is measured from its last block. The length is in seconds, rounded
 * to the nearest.
 */
class Properties : public HeaderProperties
{
public:
  //! The size of a block header.
  static constexpr unsigned int headerSize = 32;

  /*!
   * Reads \a data, the first bytes of the stream: the first block header at
   * least, and as much of the first frame as the caller has. Nothing else is
   * read, so a stream that does not count its samples has no length.
   * \a streamLength is the number of bytes of audio data (for the bit rate).
   */
  Properties(const ByteVector &data, long streamLength, ReadStyle style = Average);

  /*!
   * Reads the stream of \a file, whose audio data are its first
   * \a streamLength bytes (the tags follow them). Reads the first frame and,
   * only when the first block does not count the samples, searches back from
   * the end of the audio data for the last block.
   */
  Properties(TagLib::File *file, long streamLength, ReadStyle style = Average);

  ~Properties() override;

  Properties(const Properties &) = delete;
  Properties &operator=(const Properties &) = delete;

  //! The block header's format version.
  int version() const;

private:
  //! Reads from \a fetch (bytes by offset and length) the stream that ends at \a dataEnd.
  void read(const std::function<ByteVector(long, unsigned int)> &fetch, long dataEnd, bool searchLastBlock);
};

} // namespace BRENVO_NS
} // namespace WavPack
} // namespace TagLib

#endif
