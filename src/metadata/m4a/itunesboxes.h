#ifndef BRENVO_ITUNESBOXES_H
#define BRENVO_ITUNESBOXES_H

#include <memory>

#include <tbytevector.h>

#include "mp4isobox.h"
#include "mp4tagsproxy.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

/*!
 * The value of an iTunes item: version and flags, 4 reserved bytes, then the
 * payload, kept raw (its decoding is fillTagFromProxy()'s).
 */
class ITunesDataBox : public Mp4IsoFullBox
{
public:
  ITunesDataBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~ITunesDataBox() override;

  void parse() override;

  ByteVector data() const;

  /*!
   * The code of the item box that holds this data box (0 for one read on its
   * own): the two genre items share a slot but not an encoding.
   */
  Fourcc itemCode() const;
  void setItemCode(Fourcc code);

private:
  class ITunesDataBoxPrivate;
  std::unique_ptr<ITunesDataBoxPrivate> d;
};

/*!
 * An iTunes item box: reads its first child, which must be a data box, and
 * registers it with the file's tags proxy in the item's slot. The twelve item
 * classes below differ only in that slot (and the class name in their
 * message).
 */
class ITunesItemBox : public Mp4IsoBox
{
public:
  ITunesItemBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset,
                Mp4TagsProxy::EBoxType slot);
  ~ITunesItemBox() override;

  void parse() override;

  Mp4TagsProxy::EBoxType slot() const;
  //! The data box read, or null.
  ITunesDataBox *dataBox() const;

private:
  class ITunesItemBoxPrivate;
  std::unique_ptr<ITunesItemBoxPrivate> d;
};

template <Mp4TagsProxy::EBoxType Slot>
class ITunesItem : public ITunesItemBox
{
public:
  ITunesItem(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
    : ITunesItemBox(file, fourcc, size, offset, Slot)
  {
  }
};

using ITunesNamBox = ITunesItem<Mp4TagsProxy::title>;
using ITunesArtBox = ITunesItem<Mp4TagsProxy::artist>;
using ITunesAlbBox = ITunesItem<Mp4TagsProxy::album>;
using ITunesCvrBox = ITunesItem<Mp4TagsProxy::cover>;
//! Both "\251gen" (text) and "gnre" (an ID3v1 genre number).
using ITunesGenBox = ITunesItem<Mp4TagsProxy::genre>;
using ITunesDayBox = ITunesItem<Mp4TagsProxy::year>;
using ITunesTrknBox = ITunesItem<Mp4TagsProxy::trkn>;
using ITunesCmtBox = ITunesItem<Mp4TagsProxy::comment>;
using ITunesGrpBox = ITunesItem<Mp4TagsProxy::grouping>;
using ITunesWrtBox = ITunesItem<Mp4TagsProxy::composer>;
using ITunesDiskBox = ITunesItem<Mp4TagsProxy::disk>;
using ITunesTmpoBox = ITunesItem<Mp4TagsProxy::bpm>;

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
