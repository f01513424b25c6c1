#ifndef BRENVO_COMBINEDTAG_H
#define BRENVO_COMBINEDTAG_H

#include <tag.h>
#include <tstring.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

/*!
 * Presents two tags as one: reading prefers the first tag per field and
 * falls back to the second; writing goes to both. Either tag may be null.
 *
 * The combined tag borrows both tags; whoever owns them must destroy the
 * combined tag first (or together with them).
 */
class CombinedTag : public Tag
{
public:
  CombinedTag(Tag *first, Tag *second) : first_(first), second_(second) {}
  ~CombinedTag() override = default;

  CombinedTag(const CombinedTag &) = delete;
  CombinedTag &operator=(const CombinedTag &) = delete;

  String title() const override { return text(&Tag::title); }
  String artist() const override { return text(&Tag::artist); }
  String album() const override { return text(&Tag::album); }
  String comment() const override { return text(&Tag::comment); }
  String genre() const override { return text(&Tag::genre); }
  unsigned int year() const override { return number(&Tag::year); }
  unsigned int track() const override { return number(&Tag::track); }

  void setTitle(const String &s) override { set(&Tag::setTitle, s); }
  void setArtist(const String &s) override { set(&Tag::setArtist, s); }
  void setAlbum(const String &s) override { set(&Tag::setAlbum, s); }
  void setComment(const String &s) override { set(&Tag::setComment, s); }
  void setGenre(const String &s) override { set(&Tag::setGenre, s); }
  void setYear(unsigned int i) override { set(&Tag::setYear, i); }
  void setTrack(unsigned int i) override { set(&Tag::setTrack, i); }

private:
  String text(String (Tag::*get)() const) const
  {
    if(first_) {
      const String value = (first_->*get)();
      if(!value.isEmpty())
        return value;
    }
    if(second_)
      return (second_->*get)();
    return String::null;
  }

  unsigned int number(unsigned int (Tag::*get)() const) const
  {
    if(first_) {
      const unsigned int value = (first_->*get)();
      if(value != 0)
        return value;
    }
    return second_ ? (second_->*get)() : 0;
  }

  template <class Setter, class Value>
  void set(Setter setter, const Value &value)
  {
    if(first_)
      (first_->*setter)(value);
    if(second_)
      (second_->*setter)(value);
  }

  Tag *first_;
  Tag *second_;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
