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
 * Owns a file's rich tag and ID3v1 tag and decides what tag() presents: a
 * CombinedTag (rich first) when both exist, else the one that exists. There is
 * always a tag to present once the file has been read: when neither exists, a
 * new empty rich tag takes the place.
 */
template <class RichTag>
class PresentedTags
{
public:
  PresentedTags() = default;
  PresentedTags(const PresentedTags &) = delete;
  PresentedTags &operator=(const PresentedTags &) = delete;

  RichTag *rich() const { return rich_.get(); }
  ID3v1::Tag *id3v1() const { return id3v1_.get(); }
  //! Null only before adopt().
  Tag *presented() const { return presented_; }

  //! Takes the tags read from the file (either may be null).
  void adopt(std::unique_ptr<RichTag> rich, std::unique_ptr<ID3v1::Tag> id3v1)
  {
    combined_.reset();
    id3v1_ = std::move(id3v1);
    rich_ = std::move(rich);
    present();
  }

  RichTag *richTag(bool create)
  {
    if(create && !rich_) {
      rich_ = std::make_unique<RichTag>();
      present();
    }
    return rich_.get();
  }

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
    if(id3v1_ && !id3v1_->isEmpty())
      return id3v1_->properties();
    return PropertyMap();
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
      id3v1_.reset();
      present();
    }
    if(rich) {
      combined_.reset();
      rich_.reset();
      present();
    }
  }

private:
  void present()
  {
    if(!rich_ && !id3v1_)
      rich_ = std::make_unique<RichTag>();
    if(rich_ && id3v1_) {
      if(!combined_)
        combined_ = std::make_unique<CombinedTag>(rich_.get(), id3v1_.get());
      presented_ = combined_.get();
    }
    else {
      combined_.reset();
      presented_ = rich_ ? static_cast<Tag *>(rich_.get()) : id3v1_.get();
    }
  }

  // Declared so that the combined tag goes before the tags it borrows.
  std::unique_ptr<RichTag> rich_;
  std::unique_ptr<ID3v1::Tag> id3v1_;
  std::unique_ptr<CombinedTag> combined_;
  Tag *presented_ = nullptr;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
