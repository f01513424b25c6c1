#ifndef BRENVO_WAVFILE_H
#define BRENVO_WAVFILE_H

#include <memory>

#include <tag.h>
#include <tfile.h>
#include <tpropertymap.h>

#include "brenvo_export.h"
#include "wavproperties.h"
#include "tpluginpicture.h"

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
 * A RIFF WAVE file: audio properties only. It has no metadata and cannot be
 * saved.
 */
class File : public TagLib::File
{
public:
  /*!
   * Opens \a fileName and, when \a readProperties is true, reads the
   * properties. A file that cannot be opened has no properties.
   */
  File(FileName fileName, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);

  /*!
   * Reads from \a stream, which the file takes as its own (it is deleted with
   * the file).
   */
  File(std::unique_ptr<IOStream> stream, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);

  /*!
   * Reads from \a stream.
   *
   * \note The file does not take ownership of \a stream: the caller deletes
   * it after the File object.
   */
  File(IOStream *stream, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);

  ~File() override;

  File(const File &) = delete;
  File &operator=(const File &) = delete;

  //! The empty, unchangeable tag.
  TagLib::Tag *tag() const override;
  //! The same object as tag(), with its own type.
  Wav::Tag *getWavTag() const;
  //! The properties; null only when the stream is not open.
  Wav::Properties *audioProperties() const override;

  /*!
   * Every field of the tags under the keys TagLib uses for this format, as
   * TagLib::Plugins::properties() answers. Hides TagLib::File::properties(),
   * which does not know this class.
   */
  PropertyMap properties() const;
  //! Replaces the fields by \a properties and returns what could not be stored.
  PropertyMap setProperties(const PropertyMap &properties);
  //! Removes the unsupported fields that \a properties names.
  void removeUnsupportedProperties(const StringList &properties);
  //! The pictures of the tags, in the file's order.
  Plugins::PictureList pictures() const;
  //! Replaces the pictures by \a pictures; false when the format holds none.
  bool setPictures(const Plugins::PictureList &pictures);
  //! Writes nothing and returns false.
  bool save() override;

private:
  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace Wav
} // namespace TagLib

#endif
