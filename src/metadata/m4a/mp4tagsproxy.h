#ifndef BRENVO_MP4TAGSPROXY_H
#define BRENVO_MP4TAGSPROXY_H

#include <memory>

#include "brenvo_export.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class ITunesDataBox;
class Tag;

/*!
 * Twelve slots, one per iTunes item the library reads, each holding the data
 * box registered last for it. The data boxes belong to the box tree; the
 * proxy only points at them.
 */
class Mp4TagsProxy
{
public:
  // A fixed underlying type: registerBox() must be able to receive (and ignore)
  // any number, not only the named slots.
  enum EBoxType : unsigned int {
    title = 0,
    artist = 1,
    album = 2,
    cover = 3,
    genre = 4,
    year = 5,
    trkn = 6,
    comment = 7,
    grouping = 8,
    composer = 9,
    disk = 10,
    bpm = 11
  };
  static constexpr unsigned int slotCount = 12;

  Mp4TagsProxy();
  ~Mp4TagsProxy();
  Mp4TagsProxy(const Mp4TagsProxy &) = delete;
  Mp4TagsProxy &operator=(const Mp4TagsProxy &) = delete;

  //! Keeps \a box in the slot \a type, replacing any earlier one; other values are ignored.
  void registerBox(EBoxType type, ITunesDataBox *box);

  ITunesDataBox *titleData() const;
  ITunesDataBox *artistData() const;
  ITunesDataBox *albumData() const;
  ITunesDataBox *coverData() const;
  ITunesDataBox *genreData() const;
  ITunesDataBox *yearData() const;
  ITunesDataBox *trknData() const;
  ITunesDataBox *commentData() const;
  ITunesDataBox *groupingData() const;
  ITunesDataBox *composerData() const;
  ITunesDataBox *diskData() const;
  ITunesDataBox *bpmData() const;

private:
  class Mp4TagsProxyPrivate;
  std::unique_ptr<Mp4TagsProxyPrivate> d;
};

//! Decodes the data boxes registered in \a proxy into the fields of \a tag.
void fillTagFromProxy(Mp4TagsProxy &proxy, Tag &tag);

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
