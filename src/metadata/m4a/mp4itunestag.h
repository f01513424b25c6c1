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
  Tag();
  ~Tag() override;

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

  //! True until any setter has been called, whatever it stored.
  bool isEmpty() const override;

  String composer() const;
  String grouping() const;
  unsigned int disk() const;
  unsigned int bpm() const;
  //! The cover image bytes exactly as stored in the file.
  ByteVector cover() const;

  void setComposer(const String &s);
  void setGrouping(const String &s);
  void setDisk(unsigned int i);
  void setBpm(unsigned int i);
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

#endif
