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
  Mp4MvhdBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4MvhdBox() override;

  void parse() override;

  unsigned long long creationTime() const;
  unsigned long long modificationTime() const;
  unsigned long long duration() const;
  unsigned int timescale() const;
  unsigned int rate() const;
  unsigned int volume() const;
  unsigned int nextTrackID() const;

private:
  class Mp4MvhdBoxPrivate;
  std::unique_ptr<Mp4MvhdBoxPrivate> d;
};

//! The handler box (hdlr): the kind of a track ("soun" for sound) and a name.
class Mp4HdlrBox : public Mp4IsoFullBox
{
public:
  Mp4HdlrBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4HdlrBox() override;

  void parse() override;

  Fourcc hdlr_type() const;
  String hdlr_string() const;

private:
  class Mp4HdlrBoxPrivate;
  std::unique_ptr<Mp4HdlrBoxPrivate> d;
};

//! A sample entry: the fields common to all kinds, then the kind's own.
class Mp4SampleEntry : public Mp4IsoBox
{
public:
  Mp4SampleEntry(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4SampleEntry() override;

  void parse() override;
  virtual void parseEntry() = 0;

  unsigned int dataReferenceIndex() const;

private:
  class Mp4SampleEntryPrivate;
  std::unique_ptr<Mp4SampleEntryPrivate> d;
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
  Mp4AudioSampleEntry(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4AudioSampleEntry() override;

  void parseEntry() override;

  //! The channels: from the stream configuration, else the entry's field.
  unsigned int channels() const;
  //! The entry's sample rate field as stored (16.16 fixed point).
  unsigned int samplerate() const;
  //! The sample rate in Hz: from the stream configuration, else the entry's field.
  unsigned int sampleRateHz() const;
  //! The average bit rate in bits per second; 0 when unknown.
  unsigned int bitrate() const;

private:
  void parseDescriptors(MP4::File &file);
  void parseAlacConfig(MP4::File &file);
  void parseAudioSpecificConfig(const ByteVector &config);

  class Mp4AudioSampleEntryPrivate;
  std::unique_ptr<Mp4AudioSampleEntryPrivate> d;
};

/*!
 * The sample description box (stsd). For a sound track it reads the first
 * sample entry as an audio sample entry; other tracks are stepped over.
 */
class Mp4StsdBox : public Mp4IsoFullBox
{
public:
  Mp4StsdBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4StsdBox() override;

  void parse() override;

  //! The track's handler type, given by the parent stbl before parsing.
  void setHandlerType(Fourcc handlerType);
  //! The first sample entry of a sound track, or null.
  Mp4AudioSampleEntry *sampleEntry() const;

private:
  class Mp4StsdBoxPrivate;
  std::unique_ptr<Mp4StsdBoxPrivate> d;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
