#include "asfproperties.h"

namespace TagLib {
namespace ASF {
inline namespace BRENVO_NS {

class Properties::PropertiesPrivate
{
public:
  int length = 0;
  int milliseconds = 0;
  int bitrate = 0;
  int sampleRate = 0;
  int channels = 0;
};

Properties::Properties() :
  AudioProperties(AudioProperties::Average),
  d(std::make_unique<PropertiesPrivate>())
{
}

Properties::~Properties() = default;

int Properties::length() const { return d->length; }
int Properties::bitrate() const { return d->bitrate; }
int Properties::sampleRate() const { return d->sampleRate; }
int Properties::channels() const { return d->channels; }
int Properties::lengthInMilliseconds() const { return d->milliseconds; }
int Properties::lengthInSeconds() const { return d->milliseconds / 1000; }

void Properties::setLength(int value) { d->length = value; }
void Properties::setLengthInMilliseconds(int value) { d->milliseconds = value; }
void Properties::setBitrate(int value) { d->bitrate = value; }
void Properties::setSampleRate(int value) { d->sampleRate = value; }
void Properties::setChannels(int value) { d->channels = value; }

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib
