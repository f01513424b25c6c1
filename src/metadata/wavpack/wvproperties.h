#ifndef BRENVO_WVPROPERTIES_H
#define BRENVO_WVPROPERTIES_H

#include <memory>

#include <audioproperties.h>
#include <tbytevector.h>

#include "brenvo_export.h"

namespace TagLib {
namespace WavPack {
inline namespace BRENVO_NS {

/*!
 * Audio properties of a WavPack stream, from its first block header alone
 * (the first 32 bytes of the file).
 */
class Properties : public AudioProperties
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

  //! Seconds, rounded to the nearest; 0 when unknown.
  int length() const override;
  //! Kilobits per second; 0 when unknown.
  int bitrate() const override;
  int sampleRate() const override;
  int channels() const override;

  //! The block header's format version.
  int version() const;
  int bitsPerSample() const;

private:
  void read();

  class PropertiesPrivate;
  std::unique_ptr<PropertiesPrivate> d;
};

} // namespace BRENVO_NS
} // namespace WavPack
} // namespace TagLib

#endif
