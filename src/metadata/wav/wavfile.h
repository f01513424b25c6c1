#ifndef BRENVO_WAVFILE_H
#define BRENVO_WAVFILE_H

#include <memory>

#include <tag.h>
#include <tfile.h>
#include <tpropertymap.h>

#include "brenvo_export.h"
#include "wavinfotag.h"
#include "wavproperties.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace ID3v2 {
class Tag;
class FrameFactory;
}

namespace Wav {
inline namespace BRENVO_NS {

/*!
 * A RIFF WAVE file. Its tags are an ID3v2 tag in an "id3 " (or "ID3 ")
 * chunk and the fields of a "LIST" chunk of type "INFO"; tag() presents both
 * as one, ID3v2 first, and save() writes both back.
 */
class File : public TagLib::File
{
public:
  //! The tags of a WAVE file, to be OR-ed together for strip().
  enum TagTypes {
    //! No tag.
    NoTags = 0x0000,
    //! The ID3v2 tag.
    ID3v2 = 0x0001,
    //! The INFO tag.
    Info = 0x0002,
    //! Both tags.
    AllTags = 0xffff
  };

  /*!
   * Opens \a fileName and reads its tags and, when \a readProperties is
   * true, its properties. A file that cannot be opened has no properties.
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

  /*!
   * The ID3v2 and INFO tags as one: reading prefers the ID3v2 tag per field,
   * writing goes to both. Never null.
   */
  TagLib::Tag *tag() const override;
  /*!
   * The ID3v2 tag. Never null: use hasID3v2Tag() to know whether the file
   * holds one.
   */
  ID3v2::Tag *ID3v2Tag() const;
  /*!
   * The INFO tag. Never null: use hasInfoTag() to know whether the file
   * holds one.
   */
  Wav::InfoTag *InfoTag() const;
  //! The properties; null only when the stream is not open.
  Wav::Properties *audioProperties() const override;

  //! Whether the file, as last read or saved, holds an ID3v2 tag.
  bool hasID3v2Tag() const;
  //! Whether the file, as last read or saved, holds an INFO tag.
  bool hasInfoTag() const;

  /*!
   * The fields of the ID3v2 tag when it holds any, else the common fields of
   * the INFO tag, as TagLib presents WAVE files. Hides
   * TagLib::File::properties(), which does not know this class.
   */
  PropertyMap properties() const;
  /*!
   * Replaces the fields of the ID3v2 tag by \a properties and the common
   * fields of the INFO tag by theirs; returns what the ID3v2 tag could not
   * store.
   */
  PropertyMap setProperties(const PropertyMap &properties);
  //! Removes from the ID3v2 tag the unsupported fields that \a properties names.
  void removeUnsupportedProperties(const StringList &properties);
  //! The pictures (APIC frames) of the ID3v2 tag.
  Plugins::PictureList pictures() const;
  //! Replaces the pictures of the ID3v2 tag by \a pictures; always true.
  bool setPictures(const Plugins::PictureList &pictures);

  /*!
   * Writes both tags: each one that holds anything replaces its chunk, or
   * follows the last chunk when the file has none, and an empty one's chunk
   * is removed. Every other chunk keeps its bytes; the RIFF size follows.
   *
   * False, with nothing written, when the file cannot be written, reading it
   * failed, or it is not a RIFF WAVE file whose chunks fill exactly the size
   * its header gives (RF64 files, a chunk that runs past the end). False also
   * when a write failed; the chunks written before it then stay.
   */
  bool save() override;

  /*!
   * Removes the tags selected by \a tags from the file at once, and leaves
   * empty tags in their place. False as save() is.
   */
  bool strip(int tags = AllTags);

private:
  File(IOStream *stream, std::unique_ptr<IOStream> &&owned, bool readProperties,
       AudioProperties::ReadStyle propertiesStyle);
  void read(bool readProperties, AudioProperties::ReadStyle propertiesStyle);
  bool writeTags(bool id3v2, bool info);

  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace Wav
} // namespace TagLib

#endif
