#ifndef BRENVO_ITUNESBOXES_H
#define BRENVO_ITUNESBOXES_H

#include "mp4isobox.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

/*!
 * One item of the file's item list, whatever its code: reads the item whole
 * (bounded by its declared end and the file's) and hands it to the file's
 * tags proxy. What the item holds is Mp4Item's to read.
 */
class Mp4ItemBox : public Mp4IsoBox
{
public:
  using Mp4IsoBox::Mp4IsoBox;

  void parse() override;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
