#ifndef BRENVO_WAVPROPERTIES_H
#define BRENVO_WAVPROPERTIES_H

#include <audioproperties.h>
#include <tiostream.h>

#include "brenvo_export.h"

namespace TagLib {
namespace Wav {
inline namespace BRENVO_NS {

//! The audio properties of a RIFF WAVE file, from its "fmt " and "data" chunks.
class Properties : public AudioProperties
{
public:
  explicit Properties(ReadStyle style);
  ~Properties() override;

  Properties(const Properties &) = delete;
  Properties &operator=(const Properties &) = delete;

  int length() const override;
  int bitrate() const override;
  int sampleRate() const override;
  int channels() const override;

  //! The length in milliseconds, from what the file counts exactly.
  int lengthInMilliseconds() const;
  //! The length in whole seconds: lengthInMilliseconds() rounded down.
  int lengthInSeconds() const;

  /*!
   * Walks the RIFF chunks behind the 12-byte file header to the first
   * "fmt " and "data" chunks and takes channels, sample rate and byte rate
   * from the one and the sample data length from the other. A file without
   * both leaves every value 0.
   */
  void read(IOStream *stream);

private:
  int m_length;
  int m_milliseconds;
  int m_bitrate;
  int m_sampleRate;
  int m_channels;
};

} // namespace BRENVO_NS
} // namespace Wav
} // namespace TagLib

#endif
