#ifndef BRENVO_AACFILE_H
#define BRENVO_AACFILE_H

#include <memory>

#include <audioproperties.h>
#include <tfile.h>
#include <tiostream.h>
#include <tpropertymap.h>

#include "aacproperties.h"
#include "brenvo_export.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace APE {
class Tag;
}
namespace ID3v1 {
class Tag;
}
namespace ID3v2 {
class Tag;
class FrameFactory;
}

namespace AAC {
inline namespace BRENVO_NS {

/*!
 * A raw AAC file (.aac): an ADTS or ADIF stream, with the tags an MPEG audio
 * file may carry: an ID3v2 tag at its start, and at its end an APE tag, an
 * ID3v1 tag (the last 128 bytes), or an APE tag followed by an ID3v1 tag.
 *
 * tag() presents the tags as one, ID3v2 first, then APE, then ID3v1, as
 * TagLib's MPEG::File does; save() writes them back in place and never
 * touches the audio. The file is invalid when no AAC stream follows the
 * ID3v2 tag, or when reading it failed.
 */
class BRENVO_TAGLIB_EXPORT File : public TagLib::File
{
public:
  //! Tag kinds, to be OR-ed together for strip().
  enum TagTypes {
    //! No tag.
    NoTags = 0x0000,
    //! The ID3v1 tag.
    ID3v1 = 0x0001,
    //! The ID3v2 tag.
    ID3v2 = 0x0002,
    //! The APE tag.
    APE = 0x0004,
    //! Every tag.
    AllTags = 0xffff
  };

  /*!
   * Opens \a file (read-write when possible, else read only) and reads its
   * tags, the ID3v2 tag with TagLib's default frame factory, and, when
   * \a readProperties, its audio properties in \a propertiesStyle.
   */
  File(FileName file, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  //! As above, reading the ID3v2 tag with \a frameFactory, which the file does not own.
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
  //! Closes the file, or leaves a borrowed stream to its owner.
  ~File() override;

  File(const File &) = delete;
  File &operator=(const File &) = delete;

  /*!
   * The tags as one: reading takes each field from the first tag that has it
   * (ID3v2, APE, ID3v1), writing sets it in every tag. A file without tags
   * presents an empty ID3v2 tag; null only when the file could not be
   * opened.
   *
   * \note Creating a tag (ID3v2Tag(true) and the like) or strip() replaces
   * the presented tag: ask for it again afterwards.
   */
  TagLib::Tag *tag() const override;
  //! The audio properties; null when they were not read.
  Properties *audioProperties() const override;

  /*!
   * Every field of the first tag that holds any, in the order ID3v2, APE,
   * ID3v1, under TagLib's keys, as TagLib::Plugins::properties() answers.
   * Hides TagLib::File::properties(), which does not know this class.
   */
  PropertyMap properties() const;
  /*!
   * Replaces the fields of the ID3v2 tag (created when missing) and of the
   * ID3v1 tag, when there is one, by \a properties; returns what the ID3v2
   * tag could not hold.
   */
  PropertyMap setProperties(const PropertyMap &properties);
  //! Removes the unsupported fields that \a properties names from the ID3v2 and APE tags.
  void removeUnsupportedProperties(const StringList &properties);
  //! The pictures of the ID3v2 tag (its attached picture frames), in the tag's order.
  Plugins::PictureList pictures() const;
  //! Replaces the pictures of the ID3v2 tag (created when missing) by \a pictures; always true.
  bool setPictures(const Plugins::PictureList &pictures);

  /*!
   * Writes the tags in memory to the file: each tag that is not empty is
   * written in its place, an empty or missing one is removed from the file.
   * The ID3v2 tag at the start goes first, then the APE and ID3v1 tags at
   * the end in one write. False when the file is read only or invalid, or
   * when a write failed (when the second write fails, the new ID3v2 tag
   * stays).
   */
  bool save() override;

  //! The ID3v2 tag; with \a create, an empty one is made when there is none.
  ID3v2::Tag *ID3v2Tag(bool create = false);
  //! The APE tag; with \a create, an empty one is made when there is none.
  APE::Tag *APETag(bool create = false);
  //! The ID3v1 tag; with \a create, an empty one is made when there is none.
  ID3v1::Tag *ID3v1Tag(bool create = false);

  /*!
   * Removes the tags selected by \a tags (TagTypes OR-ed together) from the
   * file at once, and from memory: pointers to them are no longer valid.
   * When no tag remains, an empty ID3v2 tag is presented. False when the
   * file is read only or invalid, or when a write failed.
   */
  bool strip(int tags = AllTags);

  //! True when the file on disk has an ID3v1 tag (as last read or saved).
  bool hasID3v1Tag() const;
  //! True when the file on disk has an ID3v2 tag (as last read or saved).
  bool hasID3v2Tag() const;
  //! True when the file on disk has an APE tag (as last read or saved).
  bool hasAPETag() const;

private:
  File(std::unique_ptr<IOStream> stream, const ID3v2::FrameFactory *frameFactory, bool readProperties,
       AudioProperties::ReadStyle propertiesStyle);
  void read(bool readProperties, AudioProperties::ReadStyle propertiesStyle);
  void readID3v2();
  // The APE and ID3v1 tags at the end.
  void readEndTags();
  void readID3v1();
  // \a footerLocation when a sound APE footer that ends after the ID3v2 tag stands there, else -1.
  long checkAPEFooter(long footerLocation);

  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace AAC
} // namespace TagLib

#endif
