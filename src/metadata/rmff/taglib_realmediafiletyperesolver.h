#ifndef BRENVO_TAGLIB_REALMEDIAFILETYPERESOLVER_H
#define BRENVO_TAGLIB_REALMEDIAFILETYPERESOLVER_H

#include <fileref.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! Opens ".ra", ".rv", ".rm", ".rmj" and ".rmvb" files as RealMedia::File.
class RealMediaFileTypeResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override;
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
