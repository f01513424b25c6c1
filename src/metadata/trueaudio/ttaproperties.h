#ifndef BRENVO_TTAPROPERTIES_H
#define BRENVO_TTAPROPERTIES_H

#include <tbytevector.h>

#include "brenvo_export.h"
#include "common/headerproperties.h"

namespace TagLib {
namespace TTA {
inline namespace BRENVO_NS {

/*!
 * Audio properties of a TrueAudio stream, from its 18-byte stream header
 * alone. The length is in whole seconds, truncated.
 */
class Properties : public HeaderProperties
{
public:
  //! The size of the stream header read.
  static constexpr unsigned int headerSize = 18;

  /*!
   * Reads \a block, the stream header; \a streamLength is the number of bytes
   * of the audio stream (for the bit rate).
   */
  Properties(const ByteVector &block, long streamLength, ReadStyle style = Average);
  ~Properties() override;

  Properties(const Properties &) = delete;
  Properties &operator=(const Properties &) = delete;

  //! The format version digit of the header (1 for "TTA1").
  int ttaVersion() const;

private:
  void read(const ByteVector &block);
};

} // namespace BRENVO_NS
} // namespace TTA
} // namespace TagLib

#endif
