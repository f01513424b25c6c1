#ifndef BRENVO_AUDIBLETAG_H
#define BRENVO_AUDIBLETAG_H

#include <string>

#include <tag.h>
#include <tiostream.h>
#include <tstring.h>

#include "brenvo_export.h"

namespace TagLib {
namespace Audible {
inline namespace BRENVO_NS {

/*!
 * The metadata of an Audible audiobook: the key/value records of the .aa
 * header. Texts start out as String::null, so that a record can tell whether
 * an earlier one already set a field ("description" yields to
 * "long_description").
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

  virtual unsigned int userID() const;
  virtual void setUserID(unsigned int id);

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
  void applyRecord(const std::string &key, const std::string &value);

  String m_title;
  String m_artist;
  String m_album;
  String m_comment;
  String m_genre;
  unsigned int m_year;
  unsigned int m_track;
  unsigned int m_userID;
  unsigned int m_tagsEndOffset;
};

} // namespace BRENVO_NS
} // namespace Audible
} // namespace TagLib

#endif
