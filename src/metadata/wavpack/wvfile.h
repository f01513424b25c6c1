#ifndef BRENVO_WVFILE_H
#define BRENVO_WVFILE_H

#include <memory>

#include <audioproperties.h>
#include <tfile.h>
#include <tpropertymap.h>

#include "brenvo_export.h"
#include "wvproperties.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace APE {
class Tag;
}
namespace ID3v1 {
class Tag;
}

namespace WavPack {
inline namespace BRENVO_NS {

/*!
 * A WavPack (.wv) file. Its tags follow the audio: an APE tag, an ID3v1 tag
 * in the last 128 bytes, or an APE tag followed by an ID3v1 tag. tag()
 * presents them as one; save() writes them back in place.
 */
class File : public TagLib::File
{
public:
  //! Bit values for remove().
  static constexpr int ID3v1Bit = 1;
  static constexpr int APEBit = 2;

  File(FileName file, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  /*!
   * Reads the file through \a stream, which the file does not own: the caller
   * deletes it after the file.
   */
  File(IOStream *stream, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  ~File() override;

  File(const File &) = delete;
  File &operator=(const File &) = delete;

  /*!
   * The APE tag, or, when there is an ID3v1 tag, a CombinedTag of the APE
   * tag (or, while there is none, one not yet saved) and the ID3v1 tag.
   * Never null: a file without tags presents an empty APE tag.
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
   * Writes the tags in memory to the file: the APE tag and the ID3v1 tag
   * after it end the file and are rewritten together in one write. False
   * when the file cannot be written, when reading it failed, or when a write
   * failed.
   *
   * A file with only an ID3v1 tag gains an APE tag when a value set through
   * tag() would not survive in the ID3v1 tag (long or non-Latin-1 text, a
   * track above 255, a genre not in its list, a year past 9999).
   */
  bool save() override;

  /*!
   * The APE tag; with \a create, one is made when there is none, holding the
   * values given to tag() while there was none.
   */
  APE::Tag *APETag(bool create = false);
  //! The ID3v1 tag; with \a create, an empty one is made when there is none.
  ID3v1::Tag *ID3v1Tag(bool create = false);

  /*!
   * Drops the tags selected by \a tags (ID3v1Bit, APEBit) from memory; the
   * file changes at the next save(). When no ID3v1 tag remains, an empty APE
   * tag takes the APE tag's place, so there is always a tag to present.
   */
  void remove(int tags);

private:
  File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle);
  void read(bool readProperties, AudioProperties::ReadStyle propertiesStyle);
  long findAPE();
  //! \a footerLocation when a sound APE footer stands there, else -1.
  long checkAPEFooter(long footerLocation);
  long findID3v1();

  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace WavPack
} // namespace TagLib

#endif
