#ifndef BRENVO_TAGLIB_AUDIBLEFILETYPERESOLVER_H
#define BRENVO_TAGLIB_AUDIBLEFILETYPERESOLVER_H

#include <fileref.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! Opens ".aa" audiobooks as Audible::File.
class AudibleFileTypeResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
