#ifndef BRENVO_MP4ITUNESTAG_H
#define BRENVO_MP4ITUNESTAG_H

#include <memory>

#include <tag.h>
#include <tbytevector.h>
#include <tstring.h>

#include "brenvo_export.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

/*!
 * The iTunes-style metadata of an MP4/M4A file: TagLib's seven common fields
 * plus composer, grouping, disc number, tempo and cover art. An in-memory
 * record; changing it never changes the file.
 */
class BRENVO_TAGLIB_EXPORT Tag : public TagLib::Tag
{
public:
  //! An empty tag: every text empty, every number 0, no cover.
  Tag();
  //! Destroys the tag.
  ~Tag() override;

  //! The title ("©nam"); empty when the file has none.
  String title() const override;
  //! The artist ("©ART"); empty when the file has none.
  String artist() const override;
  //! The album ("©alb"); empty when the file has none.
  String album() const override;
  //! The comment ("©cmt"); empty when the file has none.
  String comment() const override;
  //! The genre, from its text ("©gen") or its ID3v1 number ("gnre"); empty when the file has none.
  String genre() const override;
  //! The year ("©day"); 0 when the file has none.
  unsigned int year() const override;
  //! The track number ("trkn"); 0 when the file has none.
  unsigned int track() const override;

  //! Sets the title to \a s.
  void setTitle(const String &s) override;
  //! Sets the artist to \a s.
  void setArtist(const String &s) override;
  //! Sets the album to \a s.
  void setAlbum(const String &s) override;
  //! Sets the comment to \a s.
  void setComment(const String &s) override;
  //! Sets the genre to \a s.
  void setGenre(const String &s) override;
  //! Sets the year to \a i.
  void setYear(unsigned int i) override;
  //! Sets the track number to \a i.
  void setTrack(unsigned int i) override;

  //! True until any setter has been called, whatever it stored.
  bool isEmpty() const override;

  //! The composer ("©wrt"); empty when the file has none.
  String composer() const;
  //! The grouping ("©grp"); empty when the file has none.
  String grouping() const;
  //! The disc number ("disk"); 0 when the file has none.
  unsigned int disk() const;
  //! The tempo in beats per minute ("tmpo"); 0 when the file has none.
  unsigned int bpm() const;
  //! The cover image bytes exactly as stored in the file.
  ByteVector cover() const;

  //! Sets the composer to \a s.
  void setComposer(const String &s);
  //! Sets the grouping to \a s.
  void setGrouping(const String &s);
  //! Sets the disc number to \a i.
  void setDisk(unsigned int i);
  //! Sets the tempo to \a i beats per minute.
  void setBpm(unsigned int i);
  //! Sets the cover image bytes to \a cover.
  void setCover(const ByteVector &cover);

private:
  Tag(const Tag &) = delete;
  Tag &operator=(const Tag &) = delete;

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
