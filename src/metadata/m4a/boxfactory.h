#ifndef BRENVO_BOXFACTORY_H
#define BRENVO_BOXFACTORY_H

#include <tfile.h>

#include "brenvo_export.h"
#include "mp4fourcc.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Mp4IsoBox;

//! Maps a box code to the class that reads it; unknown codes are skipped.
class BoxFactory
{
public:
  BoxFactory() = default;
  ~BoxFactory() = default;

  /*!
   * A new, unparsed box for \a code, owned by the caller: the class of the
   * code's table row, or a skip box. Null when \a file is not an MP4 file.
   */
  Mp4IsoBox *createInstance(TagLib::File *file, Fourcc code, unsigned int size, long offset) const;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
