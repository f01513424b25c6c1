#ifndef BRENVO_TAGLIB_ASFFILETYPERESOLVER_H
#define BRENVO_TAGLIB_ASFFILETYPERESOLVER_H

#include <fileref.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! Opens ".wma" and ".asf" files as TagLib::ASF::File; files that are not ASF are refused.
class ASFFileTypeResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override;
  virtual ~ASFFileTypeResolver();
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
