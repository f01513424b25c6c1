#ifndef BRENVO_WAVFILE_H
#define BRENVO_WAVFILE_H

#include <cstdio>
#include <memory>

#include <tag.h>
#include <tfile.h>

#include "brenvo_export.h"
#include "wavproperties.h"

namespace TagLib {
namespace Wav {
inline namespace BRENVO_NS {

/*!
 * The tag of a WAVE file, which carries none: always empty, and its setters
 * do nothing. It exists because hosts (and TagLib's File::properties())
 * expect every file to have a tag.
 */
class Tag : public TagLib::Tag
{
public:
  Tag();
  ~Tag() override;

  Tag(const Tag &) = delete;
  Tag &operator=(const Tag &) = delete;

  String title() const override;
  String artist() const override;
  String album() const override;
  String comment() const override;
  String genre() const override;
  unsigned int year() const override;
  unsigned int track() const override;

  void setTitle(const String &s) override;
  void setArtist(const String &s) override;
  void setAlbum(const String &s) override;
  void setComment(const String &s) override;
  void setGenre(const String &s) override;
  void setYear(unsigned int i) override;
  void setTrack(unsigned int i) override;

  bool isEmpty() const override;
};

/*!
 * A RIFF WAVE file: audio properties only, read through a stdio stream that
 * the file owns. It has no metadata and cannot be saved.
 */
class File : public TagLib::File
{
public:
  /*!
   * Takes \a stream as its own (it is closed with the file), or opens
   * \a fileName itself when \a stream is null, and reads the properties.
   */
  File(const char *fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle,
       FILE *stream = nullptr);
  ~File() override;

  File(const File &) = delete;
  File &operator=(const File &) = delete;

  //! The empty, unchangeable tag.
  TagLib::Tag *tag() const override;
  //! The same object as tag(), with its own type.
  Wav::Tag *getWavTag() const;
  //! The properties; null only when the stream could not be opened.
  Wav::Properties *audioProperties() const override;
  //! Writes nothing and returns false.
  bool save() override;

  //! True when the file has its stream.
  bool isOpen() const;

private:
  void read(bool readProperties, AudioProperties::ReadStyle propertiesStyle);

  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace Wav
} // namespace TagLib

#endif
