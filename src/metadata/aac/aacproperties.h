#ifndef BRENVO_AACPROPERTIES_H
#define BRENVO_AACPROPERTIES_H

#include <memory>

#include <audioproperties.h>
#include <tfile.h>

#include "brenvo_export.h"

namespace TagLib {
namespace AAC {
inline namespace BRENVO_NS {

/*!
 * Audio properties of a raw AAC stream: ADTS frames, each with its own
 * header, or one ADIF header before the raw data.
 *
 * An ADTS stream is read from its frame headers. With the Fast and Average
 * styles the frames that start within averageBytes of the first are read and
 * the length is estimated from the size of the stream; when those frames are
 * the whole stream, it is exact. The Accurate
 * style walks every frame header to the end of the stream. Either walk ends
 * at the first frame header that is not sound, and the stream is taken to
 * end there.
 *
 * An ADIF stream gives its bit rate in its header; the length is the size
 * of the stream at that rate.
 *
 * For HE-AAC streams the sample rate is the one the headers give, that of
 * the core stream, half the rate the decoder plays at.
 */
class BRENVO_TAGLIB_EXPORT Properties : public AudioProperties
{
public:
  //! The kind of header the stream was read from.
  enum HeaderType {
    //! No AAC stream was found.
    Unknown,
    //! Audio Data Transport Stream: a header before every frame.
    ADTS,
    //! Audio Data Interchange Format: one header before the whole stream.
    ADIF
  };

  //! The AAC profile (the MPEG-2 profile, or the MPEG-4 audio object type less one).
  enum Profile {
    //! The Main profile.
    Main = 0,
    //! The Low Complexity profile, that of nearly every AAC file.
    LowComplexity = 1,
    //! The Scalable Sample Rate profile.
    ScalableSampleRate = 2,
    //! Long Term Prediction (MPEG-4 only).
    LongTermPrediction = 3
  };

  //! The bytes of frames from the start of the stream that the Fast and Average styles read.
  static constexpr long averageBytes = 64L * 1024;

  /*!
   * Reads the AAC stream of \a file that starts at \a streamOffset and ends
   * before \a streamEnd (where the tags at the end of the file begin).
   */
  Properties(TagLib::File *file, long streamOffset, long streamEnd, ReadStyle style = Average);
  //! Destroys the properties.
  ~Properties() override;

  Properties(const Properties &) = delete;
  Properties &operator=(const Properties &) = delete;

  //! The length in whole seconds, rounded down; 0 when unknown.
  int length() const override;
  //! The bit rate of the stream in kbit/s, rounded; 0 when unknown.
  int bitrate() const override;
  //! The sample rate in Hz that the headers give; 0 when unknown.
  int sampleRate() const override;
  //! The number of channels; 0 when unknown.
  int channels() const override;

  //! The length in milliseconds, rounded down.
  int lengthInMilliseconds() const;
  //! The length in whole seconds: lengthInMilliseconds() rounded down.
  int lengthInSeconds() const;

  //! Whether the stream has ADTS frames or an ADIF header.
  HeaderType headerType() const;
  //! The profile the headers give.
  Profile profile() const;
  //! 2 or 4 for an ADTS stream, as its headers say; 0 for ADIF.
  int mpegVersion() const;

private:
  void read(TagLib::File *file, long streamOffset, long streamEnd, ReadStyle style);
  void readADIF(TagLib::File *file, long streamOffset, long streamEnd);
  void readADTS(TagLib::File *file, long streamOffset, long streamEnd, ReadStyle style);

  class PropertiesPrivate;
  std::unique_ptr<PropertiesPrivate> d;
};

} // namespace BRENVO_NS
} // namespace AAC
} // namespace TagLib

#endif
