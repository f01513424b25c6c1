#ifndef BRENVO_TAGLIB_TRUEAUDIOFILETYPERESOLVER_H
#define BRENVO_TAGLIB_TRUEAUDIOFILETYPERESOLVER_H

#include <fileref.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! Opens ".tta" files as TTA::File; a file TagLib cannot open is refused.
class TTAFileTypeResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
