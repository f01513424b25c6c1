#ifndef BRENVO_WAVFILETYPERESOLVER_H
#define BRENVO_WAVFILETYPERESOLVER_H

#include <fileref.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! Opens ".wav" files as Wav::File.
class WavFileTypeResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
