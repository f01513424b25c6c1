#ifndef BRENVO_MP4ITUNESTAG_H
#define BRENVO_MP4ITUNESTAG_H

#include <memory>

#include <tag.h>
#include <tbytevector.h>
#include <tpropertymap.h>
#include <tstring.h>

#include "brenvo_export.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Mp4ItemList;

/*!
 * The iTunes-style metadata of an MP4/M4A file: every item of the file's item
 * list, in file order. Besides TagLib's seven common fields it gives
 * composer, grouping, disc number, tempo and cover art, and every item
 * through properties() and pictures(), under the keys TagLib uses for MP4
 * files. Setters change the items in memory; the file is not written.
 *
 * When the file holds an item twice, the first one counts, as in TagLib.
 */
class BRENVO_TAGLIB_EXPORT Tag : public TagLib::Tag
{
public:
  //! An empty tag: every text empty, every number 0, no cover.
  Tag();
  //! Destroys the tag.
  ~Tag() override;

  //! The title ("©nam"; several values joined by ", "); empty when the file has none.
  String title() const override;
  //! The artist ("©ART"); empty when the file has none.
  String artist() const override;
  //! The album ("©alb"); empty when the file has none.
  String album() const override;
  //! The comment ("©cmt"); empty when the file has none.
  String comment() const override;
  //! The genre, from its text ("©gen") or its ID3v1 number ("gnre"); empty when the file has none.
  String genre() const override;
  //! The year: the number the date ("©day") starts with; 0 when the file has none.
  unsigned int year() const override;
  //! The track number ("trkn"); 0 when the file has none.
  unsigned int track() const override;

  //! Sets the title to \a s; an empty text removes it. The other setters do the same.
  void setTitle(const String &s) override;
  //! Sets the artist to \a s.
  void setArtist(const String &s) override;
  //! Sets the album to \a s.
  void setAlbum(const String &s) override;
  //! Sets the comment to \a s.
  void setComment(const String &s) override;
  //! Sets the genre to \a s.
  void setGenre(const String &s) override;
  //! Sets the year to \a i; 0 removes the date.
  void setYear(unsigned int i) override;
  //! Sets the track number to \a i (at most 32767), keeping the total; 0 removes it.
  void setTrack(unsigned int i) override;

  //! True while no item shows a value and no setter has been called.
  bool isEmpty() const override;

  //! The composer ("©wrt"); empty when the file has none.
  String composer() const;
  //! The grouping ("©grp"); empty when the file has none.
  String grouping() const;
  //! The disc number ("disk"); 0 when the file has none.
  unsigned int disk() const;
  //! The tempo in beats per minute ("tmpo"); 0 when the file has none.
  unsigned int bpm() const;
  //! The bytes of the first cover image exactly as stored in the file.
  ByteVector cover() const;

  //! Sets the composer to \a s.
  void setComposer(const String &s);
  //! Sets the grouping to \a s.
  void setGrouping(const String &s);
  //! Sets the disc number to \a i (at most 32767), keeping the total; 0 removes it.
  void setDisk(unsigned int i);
  //! Sets the tempo to \a i beats per minute (at most 32767); 0 removes it.
  void setBpm(unsigned int i);
  //! Makes \a cover the one cover image; empty bytes remove the covers.
  void setCover(const ByteVector &cover);

  /*!
   * Every item under the key TagLib 1.13 gives it for MP4 files (TITLE,
   * TRACKNUMBER "5/12", MUSICBRAINZ_TRACKID, ...); items without a key are
   * named by unsupportedData() ("covr", "----:com.apple.iTunes:iTunNORM").
   * Hides TagLib::Tag::properties(), which does not know this class.
   */
  PropertyMap properties() const;
  /*!
   * Sets the items to \a properties: a key missing from it removes its item,
   * an unchanged value keeps its item as read, items without a key stay.
   * Returns the entries that no item can hold.
   */
  PropertyMap setProperties(const PropertyMap &properties);
  //! Removes the items that properties() lists as unsupported data under the names in \a properties.
  void removeUnsupportedProperties(const StringList &properties);
  //! Every image of the cover items ("covr"), as front covers without description.
  Plugins::PictureList pictures() const;
  //! Replaces the cover items by one holding \a pictures; an empty list removes them.
  void setPictures(const Plugins::PictureList &pictures);

private:
  Tag(const Tag &) = delete;
  Tag &operator=(const Tag &) = delete;

  // The file fills the item list it reads, and writes it.
  friend Mp4ItemList &tagItems(Tag &tag);
  friend const Mp4ItemList &tagItems(const Tag &tag);

  class TagPrivate;
  std::unique_ptr<TagPrivate> d;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

namespace brenvo_taglib {
//! TagLib::MP4::BRENVO_NS::Tag under a name that never clashes with TagLib's own MP4 headers.
using MP4Tag = TagLib::MP4::BRENVO_NS::Tag;
} // namespace brenvo_taglib

#endif
