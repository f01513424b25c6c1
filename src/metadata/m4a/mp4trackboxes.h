#ifndef BRENVO_MP4TRACKBOXES_H
#define BRENVO_MP4TRACKBOXES_H

#include <memory>

#include <tstring.h>

#include "mp4isobox.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

/*!
 * The movie header (mvhd): the movie's time scale and duration. Registers
 * itself with the file's properties proxy once its layout has been read.
 */
class Mp4MvhdBox : public Mp4IsoFullBox
{
public:
  using Mp4IsoFullBox::Mp4IsoFullBox;

  void parse() override;

  unsigned long long creationTime() const { return m_creationTime; }
  unsigned long long modificationTime() const { return m_modificationTime; }
  unsigned long long duration() const { return m_duration; }
  unsigned int timescale() const { return m_timescale; }
  unsigned int rate() const { return m_rate; }
  unsigned int volume() const { return m_volume; }
  unsigned int nextTrackID() const { return m_nextTrackID; }

private:
  unsigned long long m_creationTime = 0;
  unsigned long long m_modificationTime = 0;
  unsigned long long m_duration = 0;
  unsigned int m_timescale = 0;
  unsigned int m_rate = 0;
  unsigned int m_volume = 0;
  unsigned int m_nextTrackID = 0;
};

//! The handler box (hdlr): the kind of a track ("soun" for sound) and a name.
class Mp4HdlrBox : public Mp4IsoFullBox
{
public:
  using Mp4IsoFullBox::Mp4IsoFullBox;

  void parse() override;

  Fourcc hdlr_type() const { return m_handlerType; }
  String hdlr_string() const { return m_name; }

private:
  unsigned int m_preDefined = 0;
  Fourcc m_handlerType;
  String m_name;
};

//! A sample entry: the fields common to all kinds, then the kind's own.
class Mp4SampleEntry : public Mp4IsoBox
{
public:
  using Mp4IsoBox::Mp4IsoBox;

  void parse() override;
  virtual void parseEntry() = 0;

  unsigned int dataReferenceIndex() const { return m_dataReferenceIndex; }

private:
  unsigned int m_dataReferenceIndex = 0;
};

/*!
 * An audio sample entry (mp4a, drms, alac or any other code under a sound
 * track): channels and sample rate, and for MPEG-4 audio the average bit
 * rate from its elementary stream descriptor. When the descriptor carries the
 * stream's own configuration, its channels and sample rate are the ones
 * reported: encoders write 2 channels into the entry for mono streams, and
 * the entry's 16.16 field cannot hold rates above 65535 Hz.
 */
class Mp4AudioSampleEntry : public Mp4SampleEntry
{
public:
  using Mp4SampleEntry::Mp4SampleEntry;

  void parseEntry() override;

  //! The channels: from the stream configuration, else the entry's field.
  unsigned int channels() const { return m_configChannels ? m_configChannels : m_channels; }
  //! The entry's sample rate field as stored (16.16 fixed point).
  unsigned int samplerate() const { return m_samplerate; }
  //! The sample rate in Hz: from the stream configuration, else the entry's field.
  unsigned int sampleRateHz() const { return m_configSampleRate ? m_configSampleRate : m_samplerate >> 16; }
  //! The average bit rate in bits per second; 0 when unknown.
  unsigned int bitrate() const { return m_bitrate; }

private:
  void parseDescriptors(MP4::File &file);
  void parseAudioSpecificConfig(const ByteVector &config);

  unsigned int m_channels = 0;
  unsigned int m_samplerate = 0;
  unsigned int m_bitrate = 0;
  // From the stream's AudioSpecificConfig; 0 where it gives none.
  unsigned int m_configChannels = 0;
  unsigned int m_configSampleRate = 0;
};

/*!
 * The sample description box (stsd). For a sound track it reads the first
 * sample entry as an audio sample entry; other tracks are stepped over.
 */
class Mp4StsdBox : public Mp4IsoFullBox
{
public:
  using Mp4IsoFullBox::Mp4IsoFullBox;

  void parse() override;

  //! The track's handler type, given by the parent stbl before parsing.
  void setHandlerType(Fourcc handlerType) { m_handlerType = handlerType; }
  //! The first sample entry of a sound track, or null.
  Mp4AudioSampleEntry *sampleEntry() const { return m_sampleEntry.get(); }

private:
  Fourcc m_handlerType;
  std::unique_ptr<Mp4AudioSampleEntry> m_sampleEntry;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
