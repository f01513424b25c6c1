#ifndef BRENVO_TAGLIB_WAVPACKFILETYPERESOLVER_H
#define BRENVO_TAGLIB_WAVPACKFILETYPERESOLVER_H

#include <fileref.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! Opens ".wv" files as WavPack::File; a file TagLib cannot open is refused.
class WavPackFileTypeResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
