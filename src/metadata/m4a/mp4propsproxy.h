#ifndef BRENVO_MP4PROPSPROXY_H
#define BRENVO_MP4PROPSPROXY_H

#include <memory>

#include "brenvo_export.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Mp4MvhdBox;
class Mp4AudioSampleEntry;

/*!
 * Points at the movie header and the audio sample entry parsed last, and
 * derives the audio properties from them on demand. Owns neither.
 */
class Mp4PropsProxy
{
public:
  Mp4PropsProxy();
  ~Mp4PropsProxy();
  Mp4PropsProxy(const Mp4PropsProxy &) = delete;
  Mp4PropsProxy &operator=(const Mp4PropsProxy &) = delete;

  void registerMvhd(Mp4MvhdBox *mvhd);
  void registerAudioSampleEntry(Mp4AudioSampleEntry *entry);
  //! Forgets every registration (the boxes are about to go).
  void clear();

  //! Bits per second; 0 without a sample entry.
  unsigned int bitRate() const;
  //! Hz; 0 without a sample entry.
  unsigned int sampleRate() const;
  //! 0 without a sample entry.
  unsigned int channels() const;
  //! Whole seconds, rounded down; 0 without a movie header or time scale.
  unsigned int seconds() const;
  //! The movie's duration in milliseconds, rounded down; 0 without a movie header or time scale.
  unsigned long long milliseconds() const;

private:
  class Mp4PropsProxyPrivate;
  std::unique_ptr<Mp4PropsProxyPrivate> d;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
