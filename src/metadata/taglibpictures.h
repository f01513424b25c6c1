#ifndef BRENVO_TAGLIBPICTURES_H
#define BRENVO_TAGLIBPICTURES_H

#include <tfile.h>

#include "brenvo_export.h"
#include "tpluginpicture.h"

// The pictures of TagLib's own file classes. Their definitions live in a file
// of their own: it includes TagLib's MP4 and ASF headers, whose class names
// this library's classes share.

namespace TagLib {
inline namespace BRENVO_NS {

//! The pictures of \a file, a file object of TagLib's own classes; none when it holds none.
Plugins::PictureList taglibPictures(const File *file);
//! Replaces the pictures of \a file, one of TagLib's file objects; false when its format holds none.
bool setTaglibPictures(File *file, const Plugins::PictureList &pictures);

} // namespace BRENVO_NS
} // namespace TagLib

#endif
