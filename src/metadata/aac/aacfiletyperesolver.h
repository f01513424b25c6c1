#ifndef BRENVO_AACFILETYPERESOLVER_H
#define BRENVO_AACFILETYPERESOLVER_H

#include <fileref.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

/*!
 * Opens ".aac" files (raw ADTS streams) through TagLib's own MPEG file class,
 * which TagLib's FileRef does not do by extension.
 */
class AACFileTypeResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
