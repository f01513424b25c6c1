#ifndef BRENVO_MP4AUDIOPROPERTIES_H
#define BRENVO_MP4AUDIOPROPERTIES_H

#include <memory>

#include <audioproperties.h>

#include "brenvo_export.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Mp4PropsProxy;

//! The audio properties of an MP4 file, read from its properties proxy at every call.
class AudioProperties : public TagLib::AudioProperties
{
public:
  AudioProperties();
  ~AudioProperties() override;

  void setProxy(Mp4PropsProxy *proxy);

  int length() const override;
  //! Kilobits per second, rounded down.
  int bitrate() const override;
  int sampleRate() const override;
  int channels() const override;

  //! The length in milliseconds, from what the file counts exactly.
  int lengthInMilliseconds() const;
  //! The length in whole seconds: lengthInMilliseconds() rounded down.
  int lengthInSeconds() const;

private:
  AudioProperties(const AudioProperties &) = delete;
  AudioProperties &operator=(const AudioProperties &) = delete;

  class PropertiesPrivate;
  std::unique_ptr<PropertiesPrivate> d;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
