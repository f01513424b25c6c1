#ifndef BRENVO_WVPROPERTIES_H
#define BRENVO_WVPROPERTIES_H

#include <tbytevector.h>

#include "brenvo_export.h"
#include "common/headerproperties.h"

namespace TagLib {
namespace WavPack {
inline namespace BRENVO_NS {

/*!
 * Audio properties of a WavPack stream, from its first block header alone
 * (the first 32 bytes of the file). The length is in seconds, rounded to
 * the nearest.
 */
class Properties : public HeaderProperties
{
public:
  //! The size of the block header read.
  static constexpr unsigned int headerSize = 32;

  /*!
   * Reads \a block, the first block header; \a streamLength is the number of
   * bytes of audio data (for the bit rate).
   */
  Properties(const ByteVector &block, long streamLength, ReadStyle style = Average);
  ~Properties() override;

  Properties(const Properties &) = delete;
  Properties &operator=(const Properties &) = delete;


  //! The block header's format version.
  int version() const;

private:
  void read(const ByteVector &block);
};

} // namespace BRENVO_NS
} // namespace WavPack
} // namespace TagLib

#endif
