#ifndef BRENVO_HEADERPROPERTIES_H
#define BRENVO_HEADERPROPERTIES_H

#include <memory>

#include <audioproperties.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

/*!
 * Audio properties read from one stream header that gives the sample rate,
 * the channels, the sample size and the number of samples (WavPack, TTA).
 * A format's class decodes its header and hands the values to set().
 */
class HeaderProperties : public AudioProperties
{
public:
  ~HeaderProperties() override;

  HeaderProperties(const HeaderProperties &) = delete;
  HeaderProperties &operator=(const HeaderProperties &) = delete;

  //! Seconds; 0 when unknown.
  int length() const override;
  /*!
   * Kilobits per second of the audio data over the exact duration, rounded to
   * the nearest; 0 when unknown.
   */
  int bitrate() const override;
  //! Samples per second of each channel, in Hz; 0 when unknown.
  int sampleRate() const override;
  //! The number of channels; 0 when unknown.
  int channels() const override;

  //! The length in milliseconds, from what the file counts exactly.
  int lengthInMilliseconds() const;
  //! The length in whole seconds: lengthInMilliseconds() rounded down.
  int lengthInSeconds() const;
  //! The width of one sample in bits.
  int bitsPerSample() const;
  //! The number of samples of each channel; 0 when unknown.
  unsigned long long sampleFrames() const;

protected:
  //! \a streamLength is the number of bytes of audio data, for the bit rate.
  HeaderProperties(long streamLength, ReadStyle style);

  /*!
   * Sets what the header said; \a seconds is the length as the format counts
   * it (rounded or truncated). \a samples is the number of samples per
   * channel: it gives the exact length, and the bit rate with the stream length.
   */
  void set(int sampleRate, int channels, int bitsPerSample, int seconds, unsigned long long samples);
  //! The header's format version, for the format's own accessor.
  int formatVersion() const;
  void setFormatVersion(int version);

private:
  class PropertiesPrivate;
  std::unique_ptr<PropertiesPrivate> d;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
