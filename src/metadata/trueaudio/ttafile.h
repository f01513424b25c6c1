#ifndef BRENVO_TTAFILE_H
#define BRENVO_TTAFILE_H

#include <memory>

#include <audioproperties.h>
#include <tfile.h>
#include <tpropertymap.h>

#include "brenvo_export.h"
#include "ttaproperties.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace ID3v1 {
class Tag;
}
namespace ID3v2 {
class Tag;
class FrameFactory;
}

namespace TTA {
inline namespace BRENVO_NS {

/*!
 * A TrueAudio (.tta) file. It may begin with an ID3v2 tag and end with an
 * ID3v1 tag (the last 128 bytes); tag() presents them as one and save()
 * writes them back.
 */
class File : public TagLib::File
{
public:
  //! Bit values for remove().
  static constexpr int ID3v1Bit = 1;
  static constexpr int ID3v2Bit = 2;

  //! Reads the ID3v2 tag with TagLib's default frame factory.
  File(FileName file, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  //! Reads the ID3v2 tag with \a frameFactory, which the file does not own.
  File(FileName file, const ID3v2::FrameFactory *frameFactory, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  /*!
   * Reads the file through \a stream, which the file does not own: the caller
   * deletes it after the file.
   */
  File(IOStream *stream, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  //! As above, reading the ID3v2 tag with \a frameFactory, which the file does not own.
  File(IOStream *stream, const ID3v2::FrameFactory *frameFactory, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  ~File() override;

  File(const File &) = delete;
  File &operator=(const File &) = delete;

  /*!
   * Sets the frame factory for reading ID3v2 tags. Tags are read only by the
   * constructor, so tags already read stay as they are.
   */
  void setID3v2FrameFactory(const ID3v2::FrameFactory *factory);

  /*!
   * The ID3v2 tag, or, when there is an ID3v1 tag, a CombinedTag of the
   * ID3v2 tag (or, while there is none, one not yet saved) and the ID3v1 tag.
   * A file without tags presents an empty ID3v2 tag; null only when the file
   * could not be opened.
   */
  TagLib::Tag *tag() const override;
  //! Null when the properties were not read.
  Properties *audioProperties() const override;

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

  /*!
   * Writes the tags in memory to the file: the ID3v2 tag at its start first,
   * since it moves everything after it, then the ID3v1 tag at its end. False
   * when the file cannot be written, when reading it failed, or when a write
   * failed (when the second write fails, the new ID3v2 tag stays).
   *
   * A file with only an ID3v1 tag gains an ID3v2 tag when a value set through
   * tag() would not survive in the ID3v1 tag (long or non-Latin-1 text, a
   * track above 255, a genre not in its list, a year past 9999).
   */
  bool save() override;

  /*!
   * The ID3v2 tag; with \a create, one is made when there is none, holding the
   * values given to tag() while there was none.
   */
  ID3v2::Tag *ID3v2Tag(bool create = false);
  //! The ID3v1 tag; with \a create, an empty one is made when there is none.
  ID3v1::Tag *ID3v1Tag(bool create = false);

  /*!
   * Drops the tags selected by \a tags (ID3v1Bit, ID3v2Bit) from memory; the
   * file changes at the next save(). When no ID3v1 tag remains, an empty
   * ID3v2 tag takes the ID3v2 tag's place, so there is always a tag to
   * present.
   */
  void remove(int tags);

private:
  File(std::unique_ptr<IOStream> stream, const ID3v2::FrameFactory *frameFactory, bool readProperties,
       AudioProperties::ReadStyle propertiesStyle);
  void read(bool readProperties, AudioProperties::ReadStyle propertiesStyle);
  long findID3v2();
  long findID3v1();

  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace TTA
} // namespace TagLib

#endif
