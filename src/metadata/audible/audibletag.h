#ifndef BRENVO_AUDIBLETAG_H
#define BRENVO_AUDIBLETAG_H

#include <string>

#include <tag.h>
#include <tiostream.h>
#include <tpropertymap.h>
#include <tstring.h>

#include "brenvo_export.h"

namespace TagLib {
namespace Audible {
inline namespace BRENVO_NS {

/*!
 * The metadata of an Audible audiobook: the key/value records of the .aa
 * header. Texts start out as String::null, so that a record can tell whether
 * an earlier one already set a field ("description" yields to
 * "long_description"). The album is the "parent_title" record (the series
 * or book a part belongs to). Records without a field of their own are kept under
 * their names for properties(). Nothing is ever written: the setters change
 * the tag in memory.
 */
class Tag : public TagLib::Tag
{
public:
  //! The tags end offset before any header was read.
  static constexpr unsigned int noOffset = 0xFFFFFFFFu;

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

  //! The number at the start of the "user_id" record; 0 without one.
  virtual unsigned int userID() const;
  //! Sets userID() and the USER_ID property to \a id (0 removes them).
  virtual void setUserID(unsigned int id);

  /*!
   * Every field under TagLib's property keys: TITLE, ARTIST ("author"), ALBUM
   * ("parent_title"), COMMENT ("long_description", else "description"),
   * GENRE, DATE ("pubdate", as YYYY-MM-DD when it reads as a day-month-year
   * date) and TRACKNUMBER, then every other record under its name upper-cased
   * (PRODUCT_ID, NARRATOR, COPYRIGHT, USER_ID, a DESCRIPTION that the comment
   * did not take, ...). A record whose name is one of the keys above but not
   * the record of that field (a "genre" record) is not listed. Hides
   * TagLib::Tag::properties(), which does not know this class.
   */
  PropertyMap properties() const;
  /*!
   * Replaces every field by \a properties, in memory only (a key missing from
   * the map is removed). The seven fields of TagLib::Tag hold one value each:
   * as in TagLib, their further values are returned as not stored.
   */
  PropertyMap setProperties(const PropertyMap &properties);

  /*!
   * Reads the header records from \a stream. A stream without "product_id"
   * as its first key is no audiobook: the tag keeps its constructed values
   * and getTagsEndOffset() stays noOffset.
   */
  void readTags(IOStream *stream);

  /*!
   * Reads one record at the stream's position. A complete record fills
   * \a key and \a value (neither is ever empty); an incomplete one leaves
   * both empty. Returns true when the record was complete and another one
   * follows it.
   */
  bool readTag(IOStream *stream, std::string &key, std::string &value);

  //! The offset just behind the last complete record, or noOffset.
  unsigned int getTagsEndOffset() const;

  //! The same as TagLib::Tag::duplicate(); userID is not copied.
  static void duplicate(const Tag *source, Tag *target, bool overwrite = true);

private:
  void applyRecord(const std::string &key, const std::string &value, bool &descriptionIsComment);

  String m_title;
  String m_artist;
  String m_album;
  String m_comment;
  String m_genre;
  unsigned int m_year;
  unsigned int m_track;
  unsigned int m_userID;
  unsigned int m_tagsEndOffset;
  String m_date;         // the DATE property, from "pubdate"
  PropertyMap m_fields;  // records without a field of their own, by upper-cased name
};

} // namespace BRENVO_NS
} // namespace Audible
} // namespace TagLib

#endif
