#ifndef BRENVO_ASFPROPERTIES_H
#define BRENVO_ASFPROPERTIES_H

#include <memory>

#include <audioproperties.h>

#include "brenvo_export.h"

namespace TagLib {
namespace ASF {
inline namespace BRENVO_NS {

/*!
 * Length, bit rate, sample rate and channel count of an ASF file. The file
 * fills it while it reads the file and stream properties objects.
 */
class Properties : public AudioProperties
{
public:
  Properties();
  ~Properties() override;
  Properties(const Properties &) = delete;
  Properties &operator=(const Properties &) = delete;

  //! Seconds.
  int length() const override;
  //! Kilobits (1000 bits) per second.
  int bitrate() const override;
  int sampleRate() const override;
  int channels() const override;

  //! The length in milliseconds, from what the file counts exactly.
  int lengthInMilliseconds() const;
  //! The length in whole seconds: lengthInMilliseconds() rounded down.
  int lengthInSeconds() const;

  void setLength(int value);
  //! Sets the exact length to \a value milliseconds.
  void setLengthInMilliseconds(int value);
  void setBitrate(int value);
  void setSampleRate(int value);
  void setChannels(int value);

private:
  class PropertiesPrivate;
  std::unique_ptr<PropertiesPrivate> d;
};

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib

#endif
