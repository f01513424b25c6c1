#ifndef BRENVO_SPEEXPROPERTIES_H
#define BRENVO_SPEEXPROPERTIES_H

#include <memory>

#include <audioproperties.h>

#include "brenvo_export.h"

namespace TagLib {
namespace Speex {
inline namespace BRENVO_NS {

class File;

/*!
 * The audio properties of a Speex stream, from its header packet (fields
 * little-endian) and the granule positions of the first and last Ogg pages.
 */
class Properties : public AudioProperties
{
public:
  //! Reads the properties of \a file at once; \a file must outlive this object.
  Properties(File *file, ReadStyle style = Average);
  ~Properties() override;

  Properties(const Properties &) = delete;
  Properties &operator=(const Properties &) = delete;

  //! Seconds, from the granule positions; 0 when they cannot be used.
  int length() const override;
  /*!
   * The header's bit rate in kbit/s, rounded; when the header gives none (-1
   * or 0, as in VBR), the bytes of the stream less its header and comment
   * packets over its exact duration, rounded; 0 when the duration is unknown.
   */
  int bitrate() const override;
  //! Samples per second of each channel, in Hz.
  int sampleRate() const override;
  //! The number of channels.
  int channels() const override;

  //! The length in milliseconds, from what the file counts exactly.
  int lengthInMilliseconds() const;
  //! The length in whole seconds: lengthInMilliseconds() rounded down.
  int lengthInSeconds() const;

  //! The Speex version number of the header.
  int speexVersion() const;

private:
  void read();

  class PropertiesPrivate;
  std::unique_ptr<PropertiesPrivate> d;
};

} // namespace BRENVO_NS
} // namespace Speex
} // namespace TagLib

#endif
