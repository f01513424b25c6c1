#ifndef BRENVO_ASFTAG_H
#define BRENVO_ASFTAG_H

#include <memory>

#include <tag.h>
#include <tlist.h>
#include <tmap.h>
#include <tpropertymap.h>
#include <tstring.h>

#include "asfattribute.h"
#include "brenvo_export.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace ASF {
inline namespace BRENVO_NS {

using AttributeList = TagLib::List<Attribute>;
//! Every attribute of a file by name; names compare exactly.
using AttributeListMap = TagLib::Map<String, AttributeList>;

/*!
 * The metadata of an ASF file: the five texts of the content description
 * object and every named attribute of the three attribute-list objects.
 * Album, genre, year and track live in well-known attributes ("WM/AlbumTitle",
 * "WM/Genre", "WM/Year", "WM/TrackNumber", read-only "WM/Track"), pictures in
 * "WM/Picture" attributes.
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

  void setTitle(const String &value) override;
  void setArtist(const String &value) override;
  void setAlbum(const String &value) override;
  void setComment(const String &value) override;
  void setGenre(const String &value) override;
  void setYear(unsigned int value) override;
  void setTrack(unsigned int value) override;

  bool isEmpty() const override;

  virtual String rating() const;
  virtual String copyright() const;
  virtual void setRating(const String &value);
  virtual void setCopyright(const String &value);

  //! The attributes by name; hosts may read and change it freely.
  AttributeListMap &attributeListMap();

  //! Makes \a attribute the only one under \a name.
  void setAttribute(const String &name, const Attribute &attribute);
  //! Appends \a attribute to those under \a name.
  void addAttribute(const String &name, const Attribute &attribute);
  //! Removes every attribute under \a name.
  void removeItem(const String &name);

  /*!
   * The fields as TagLib presents ASF tags: TITLE, ARTIST, COMMENT and
   * COPYRIGHT from the content description texts that are not empty, and the
   * attributes of the well-known names under their keys ("WM/AlbumTitle" as
   * ALBUM, "WM/PartOfSet" as DISCNUMBER, "MusicBrainz/Track Id" as
   * MUSICBRAINZ_TRACKID, ...), one value per attribute: its text, the number
   * of a DWORD track number, empty for other values that are not text. Every
   * other attribute name is listed by PropertyMap::unsupportedData(). The
   * rating has no key. Hides TagLib::Tag::properties(), which does not know
   * this class.
   */
  PropertyMap properties() const;

  /*!
   * Replaces the fields that properties() shows by \a properties: the
   * content description texts (several values joined by spaces) and the
   * attributes of the well-known names, as text attributes. A key missing
   * from \a properties removes its field; a key whose values are those
   * properties() shows keeps its attributes as they are, types, streams and
   * languages included. Returns the keys this tag cannot hold: those without
   * an ASF name, and texts too long for the content description object
   * (which then keep their old value).
   */
  PropertyMap setProperties(const PropertyMap &properties);

  //! Removes the attributes named by \a names (names compare exactly).
  void removeUnsupportedProperties(const StringList &names);

  /*!
   * The pictures of the "WM/Picture" byte attributes, in the tag's order.
   * Attributes of other types, records whose lengths do not fill their value
   * exactly, and pictures without image bytes are skipped.
   */
  Plugins::PictureList pictures() const;

  /*!
   * Replaces the "WM/Picture" attributes by one byte attribute for each of
   * \a pictures (an empty MIME type is taken from the image bytes). Nothing
   * changes when \a pictures are those pictures() returns.
   */
  void setPictures(const Plugins::PictureList &pictures);

private:
  class TagPrivate;
  std::unique_ptr<TagPrivate> d;
};

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib

#endif
