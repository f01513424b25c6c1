#ifndef BRENVO_TAGLIB_REALMEDIAFILE_H
#define BRENVO_TAGLIB_REALMEDIAFILE_H

#include <memory>

#include <audioproperties.h>
#include <tag.h>
#include <tfile.h>
#include <tpropertymap.h>

#include "brenvo_export.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace ID3v1 {
class Tag;
}

namespace RealMedia {
inline namespace BRENVO_NS {

class RealMediaFF;

/*!
 * Holds the ID3v1 tag in the last 128 bytes of a RealMedia file, read through
 * the stream the chunk reader reads. Never written.
 */
class RMFFile : public TagLib::File
{
public:
  //! Reads the ID3v1 tag of \a stream, which it borrows.
  explicit RMFFile(IOStream *stream);
  ~RMFFile() override;
  RMFFile(const RMFFile &) = delete;
  RMFFile &operator=(const RMFFile &) = delete;

  //! The ID3v1 tag (empty when the file has none); null when the stream is not open.
  TagLib::Tag *tag() const override;
  //! Always null.
  AudioProperties *audioProperties() const override;
  //! Writes nothing and returns false.
  bool save() override;

private:
  std::unique_ptr<ID3v1::Tag> m_id3tag;
};

/*!
 * The tag of a RealMedia file: its fields are those of the chunk reader until
 * one is set; from then on it holds them all in memory, as the file is never
 * written. Unless made with the copy flag, it borrows its reader.
 */
class Tag : public TagLib::Tag
{
public:
  Tag(RealMediaFF *rmff, bool copy = false);
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

  // The setters change the field in memory only: a RealMedia file is never written.
  void setTitle(const String &s) override;
  void setArtist(const String &s) override;
  void setAlbum(const String &s) override;
  void setComment(const String &s) override;
  void setGenre(const String &s) override;
  void setYear(unsigned int i) override;
  void setTrack(unsigned int i) override;

  bool isEmpty() const override;

  /*!
   * Every field under TagLib's property keys (the reader's properties() until
   * a field is set). Hides TagLib::Tag::properties(), which does not know this
   * class.
   */
  PropertyMap properties() const;
  /*!
   * Replaces every field by \a properties, in memory only (a key missing from
   * the map is removed). The tag holds any text field, so nothing is returned
   * as not stored; unsupported records stay listed.
   */
  PropertyMap setProperties(const PropertyMap &properties);
  //! Drops from properties().unsupportedData() the records that \a properties names.
  void removeUnsupportedProperties(const StringList &properties);

  /*!
   * When \a overwrite is set or \a target is empty, makes \a target read what
   * \a source reads, fields set in memory included: a target owning its reader
   * gets its own copy of the source's reader, any other shares the source's
   * reader. Otherwise copies the fields \a target lacks, as TagLib's duplicate
   * does.
   */
  static void duplicate(const Tag *source, Tag *target, bool overwrite = true);

  //! The reader the fields come from.
  RealMediaFF *reader() const;
  //! True when this tag deletes its reader.
  bool ownsReader() const;

private:
  class TagPrivate;
  std::unique_ptr<TagPrivate> d;
};

//! Length and bit rate of a RealMedia file, from its file properties chunk.
class Properties : public AudioProperties
{
public:
  explicit Properties(RealMediaFF *rmff);
  ~Properties() override;
  Properties(const Properties &) = delete;
  Properties &operator=(const Properties &) = delete;

  int length() const override;      //!< seconds
  int bitrate() const override;     //!< kbit/s

  //! The length in milliseconds, from what the file counts exactly.
  int lengthInMilliseconds() const;
  //! The length in whole seconds: lengthInMilliseconds() rounded down.
  int lengthInSeconds() const;
  int sampleRate() const override;  //!< always 0: not in the header chunks read
  int channels() const override;    //!< always 0

private:
  RealMediaFF *m_rmff;
};

/*!
 * A RealMedia file (.ra, .rv, .rm, .rmj, .rmvb): tag and properties read
 * only; save() writes nothing. The header chunks, the metadata section and
 * the ID3v1 tag are all read through one stream.
 */
class File : public TagLib::File
{
public:
  /*!
   * Opens \a file, once for the file's lifetime, and reads it. Without
   * \a readProperties only the ID3v1 tag is read.
   */
  File(FileName file, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  /*!
   * Reads \a stream, which the file borrows: the caller deletes it after the
   * file. Reads the same as the constructor taking a file name.
   */
  File(IOStream *stream, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  ~File() override;
  File(const File &) = delete;
  File &operator=(const File &) = delete;

  //! The tag; never null.
  TagLib::Tag *tag() const override;
  //! The properties; never null, zero when not read.
  AudioProperties *audioProperties() const override;

  /*!
   * Every field of the tags under the keys TagLib uses for this format, as
   * TagLib::Plugins::properties() answers. Hides TagLib::File::properties(),
   * which does not know this class.
   */
  PropertyMap properties() const;
  /*!
   * Replaces the fields by \a properties, in memory only (save() still writes
   * nothing), and returns what could not be stored.
   */
  PropertyMap setProperties(const PropertyMap &properties);
  //! Removes the unsupported fields that \a properties names, in memory only.
  void removeUnsupportedProperties(const StringList &properties);
  //! Always empty: the format holds no pictures.
  Plugins::PictureList pictures() const;
  //! Holds nothing and returns false: the format has no pictures.
  bool setPictures(const Plugins::PictureList &pictures);
  //! The format is read only: writes nothing and returns false.
  bool save() override;
  //! The same object as tag(), with its own type.
  virtual RealMedia::Tag *RealMediaTag() const;

  //! The chunk reader, with every record it read.
  RealMediaFF *reader() const;

private:
  File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle);
  void read(IOStream *stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle);

  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace RealMedia
} // namespace TagLib

#endif
