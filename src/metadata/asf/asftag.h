#ifndef BRENVO_ASFTAG_H
#define BRENVO_ASFTAG_H

#include <memory>

#include <tag.h>
#include <tlist.h>
#include <tmap.h>
#include <tstring.h>

#include "asfattribute.h"
#include "brenvo_export.h"

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
 * "WM/Genre", "WM/Year", "WM/TrackNumber", read-only "WM/Track").
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

private:
  class TagPrivate;
  std::unique_ptr<TagPrivate> d;
};

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib

#endif
