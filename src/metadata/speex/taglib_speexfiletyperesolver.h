#ifndef BRENVO_TAGLIB_SPEEXFILETYPERESOLVER_H
#define BRENVO_TAGLIB_SPEEXFILETYPERESOLVER_H

#include <fileref.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! Opens ".spx" files as Speex::File, refusing those that are not Speex streams.
class SpeexFileTypeResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
