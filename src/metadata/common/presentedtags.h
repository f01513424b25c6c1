#ifndef BRENVO_PRESENTEDTAGS_H
#define BRENVO_PRESENTEDTAGS_H

#include <memory>

#include <id3v1tag.h>
#include <tfile.h>
#include <tpropertymap.h>

#include "brenvo_export.h"
#include "combinedtag.h"

// What the WavPack and TrueAudio files share: both keep one rich tag (APE or
// ID3v2) and one ID3v1 tag in the file's last 128 bytes, and present them as
// one tag.

namespace TagLib {
inline namespace BRENVO_NS {

//! The size of an ID3v1 tag.
constexpr long id3v1TagSize = 128;

/*!
 * The offset of the ID3v1 tag in the last 128 bytes of \a file, or -1 when
 * there is none, the file is not valid, or those bytes would start before
 * \a notBefore (where the bytes in front belong to something else).
 */
long findID3v1Tag(File &file, long notBefore);

/*!
 * True when \a id3v1, rendered and read back, shows every field \a presented
 * shows. ID3v1 holds 30 Latin-1 bytes of title, artist and album, 28 of
 * comment (TagLib always renders ID3v1.1), a four-digit year, a track up to
 * 255 and the genres of its list; its string handler decides what text
 * survives.
 */
bool id3v1Holds(const Tag &presented, const ID3v1::Tag &id3v1);

/*!
 * Owns a file's rich tag and ID3v1 tag and decides what tag() presents: a
 * CombinedTag (rich first) when there is an ID3v1 tag, else the rich tag.
 * There is always a tag to present once the file has been read: when neither
 * exists, a new empty rich tag takes the place.
 *
 * While a file has an ID3v1 tag and no rich tag, the CombinedTag puts an
 * unsaved rich tag in front of the ID3v1 tag, to keep what the host sets that
 * ID3v1 cannot hold. richTagToSave() makes it the file's rich tag only when
 * the ID3v1 tag would lose a field; otherwise the file keeps its layout.
 */
template <class RichTag>
class PresentedTags
{
public:
  PresentedTags() = default;
  PresentedTags(const PresentedTags &) = delete;
  PresentedTags &operator=(const PresentedTags &) = delete;

  //! The file's rich tag (not the unsaved one), or null.
  RichTag *rich() const { return rich_.get(); }
  //! The ID3v1 tag, or null.
  ID3v1::Tag *id3v1() const { return id3v1_.get(); }
  //! Null only before adopt().
  Tag *presented() const { return presented_; }

  //! Takes the tags read from the file (either may be null).
  void adopt(std::unique_ptr<RichTag> rich, std::unique_ptr<ID3v1::Tag> id3v1)
  {
    combined_.reset();
    unsaved_.reset();
    id3v1_ = std::move(id3v1);
    rich_ = std::move(rich);
    present();
  }

  /*!
   * The rich tag; with \a create, one is made when there is none, holding
   * the values given to presented() while there was none.
   */
  RichTag *richTag(bool create)
  {
    if(create && !rich_) {
      rich_ = unsaved_ ? std::move(unsaved_) : std::make_unique<RichTag>();
      present();
    }
    return rich_.get();
  }

  /*!
   * The rich tag a save writes, or null. When the ID3v1 tag cannot hold every
   * field presented, the unsaved rich tag becomes the file's, with the fields
   * set only in the ID3v1 tag copied into it.
   */
  RichTag *richTagToSave()
  {
    if(unsaved_ && !id3v1Holds(*presented_, *id3v1_)) {
      Tag::duplicate(id3v1_.get(), unsaved_.get(), false);
      return richTag(true);
    }
    return rich_.get();
  }

  //! The ID3v1 tag; with \a create, an empty one is made when there is none.
  ID3v1::Tag *id3v1Tag(bool create)
  {
    if(create && !id3v1_) {
      id3v1_ = std::make_unique<ID3v1::Tag>();
      present();
    }
    return id3v1_.get();
  }

  //! The fields of the first tag that holds any, rich first, as TagLib presents such files.
  PropertyMap properties() const
  {
    if(rich_ && !rich_->isEmpty())
      return rich_->properties();
    PropertyMap properties;
    if(id3v1_)
      properties = id3v1_->properties();
    // Values set but not yet saved show as the presented tag shows them.
    if(unsaved_) {
      for(const auto &field : unsaved_->properties())
        properties.replace(field.first, field.second);
    }
    return properties;
  }

  /*!
   * Stores \a properties in the ID3v1 tag, when there is one, and in the rich
   * tag, created when missing; returns what the rich tag could not hold.
   */
  PropertyMap setProperties(const PropertyMap &properties)
  {
    if(id3v1_)
      id3v1_->setProperties(properties);
    return richTag(true)->setProperties(properties);
  }

  //! Removes from the rich tag the unsupported fields that \a properties names.
  void removeUnsupportedProperties(const StringList &properties)
  {
    if(rich_)
      rich_->removeUnsupportedProperties(properties);
  }

  //! Drops the ID3v1 tag first, then the rich tag, as asked.
  void remove(bool id3v1, bool rich)
  {
    if(id3v1) {
      combined_.reset();
      unsaved_.reset();
      id3v1_.reset();
      present();
    }
    if(rich) {
      combined_.reset();
      unsaved_.reset();
      rich_.reset();
      present();
    }
  }

private:
  void present()
  {
    if(!rich_ && !id3v1_)
      rich_ = std::make_unique<RichTag>();
    if(id3v1_ && !rich_ && !unsaved_)
      unsaved_ = std::make_unique<RichTag>();
    if(id3v1_) {
      // The unsaved rich tag becomes the rich tag as the same object: the
      // combined tag stays.
      if(!combined_)
        combined_ = std::make_unique<CombinedTag>(rich_ ? rich_.get() : unsaved_.get(), id3v1_.get());
      presented_ = combined_.get();
    }
    else {
      combined_.reset();
      presented_ = rich_.get();
    }
  }

  // Declared so that the combined tag goes before the tags it borrows.
  std::unique_ptr<RichTag> rich_;
  // Only while there is an ID3v1 tag and no rich tag.
  std::unique_ptr<RichTag> unsaved_;
  std::unique_ptr<ID3v1::Tag> id3v1_;
  std::unique_ptr<CombinedTag> combined_;
  Tag *presented_ = nullptr;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
