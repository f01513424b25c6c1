#ifndef BRENVO_TAGLIB_MP4FILETYPERESOLVER_H
#define BRENVO_TAGLIB_MP4FILETYPERESOLVER_H

#include <fileref.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! Opens .m4a, .m4b, .m4p, .mp4, .m4v and .mp4v files as MP4::File.
class MP4FileTypeResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
