#ifndef BRENVO_TTAPROPERTIES_H
#define BRENVO_TTAPROPERTIES_H

#include <memory>

#include <audioproperties.h>
#include <tbytevector.h>

#include "brenvo_export.h"

namespace TagLib {
namespace TTA {
inline namespace BRENVO_NS {

/*!
 * Audio properties of a TrueAudio stream, from its 18-byte stream header
 * alone.
 */
class Properties : public AudioProperties
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

  //! Whole seconds, truncated; 0 when unknown.
  int length() const override;
  //! Kilobits per second; 0 when unknown.
  int bitrate() const override;
  int sampleRate() const override;
  int channels() const override;

  int bitsPerSample() const;
  //! The format version digit of the header (1 for "TTA1").
  int ttaVersion() const;

private:
  void read();

  class PropertiesPrivate;
  std::unique_ptr<PropertiesPrivate> d;
};

} // namespace BRENVO_NS
} // namespace TTA
} // namespace TagLib

#endif
