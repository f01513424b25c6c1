#ifndef BRENVO_TRESOLVERS_H
#define BRENVO_TRESOLVERS_H

#include <fileref.h>

#include "brenvo_export.h"
#include "tfile_helper.h"

namespace TagLib {
inline namespace BRENVO_NS {

/*!
 * What every resolver of this library does: it answers only for file names
 * with one of \a Resolver's extensions (without regard to case) and creates
 * \a Resolver's file object for them. \a Resolver gives
 *
 *   static constexpr const char *extensions[];  // lower case, with the dot
 *   static File *open(FileName, bool readAudioProperties, AudioProperties::ReadStyle);
 *
 * TagLib's FileRef takes ownership of the file object returned.
 */
template <class Resolver>
class PluginResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override
  {
    if(!hasAnyExtension(fileName, Resolver::extensions))
      return nullptr;
    return Resolver::open(fileName, readAudioProperties, audioPropertiesStyle);
  }
};

//! MP4/M4A files; returned even when unreadable, with an empty tag.
struct MP4FileTypeResolver : PluginResolver<MP4FileTypeResolver>
{
  static constexpr const char *extensions[] = {".m4a", ".m4b", ".m4p", ".mp4", ".m4v", ".mp4v"};
  static File *open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style);
};

//! ASF/WMA files; invalid ones are refused.
struct ASFFileTypeResolver : PluginResolver<ASFFileTypeResolver>
{
  static constexpr const char *extensions[] = {".wma", ".asf"};
  static File *open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style);
};

//! RealMedia files; invalid ones are refused.
struct RealMediaFileTypeResolver : PluginResolver<RealMediaFileTypeResolver>
{
  static constexpr const char *extensions[] = {".ra", ".rv", ".rm", ".rmj", ".rmvb"};
  static File *open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style);
};

//! Audible audiobooks; a file that cannot be opened for reading is refused.
struct AudibleFileTypeResolver : PluginResolver<AudibleFileTypeResolver>
{
  static constexpr const char *extensions[] = {".aa"};
  static File *open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style);
};

//! Raw AAC (ADTS) streams, through TagLib's own MPEG file class.
struct AACFileTypeResolver : PluginResolver<AACFileTypeResolver>
{
  static constexpr const char *extensions[] = {".aac"};
  static File *open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style);
};

//! WavPack files; invalid ones are refused.
struct WavPackFileTypeResolver : PluginResolver<WavPackFileTypeResolver>
{
  static constexpr const char *extensions[] = {".wv"};
  static File *open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style);
};

//! Speex-in-Ogg files; invalid ones (missing, or not Speex, hence without a tag) are refused.
struct SpeexFileTypeResolver : PluginResolver<SpeexFileTypeResolver>
{
  static constexpr const char *extensions[] = {".spx"};
  static File *open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style);
};

//! TrueAudio files; invalid ones are refused.
struct TTAFileTypeResolver : PluginResolver<TTAFileTypeResolver>
{
  static constexpr const char *extensions[] = {".tta"};
  static File *open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style);
};

//! RIFF WAVE files; a file that cannot be opened for reading is refused.
struct WavFileTypeResolver : PluginResolver<WavFileTypeResolver>
{
  static constexpr const char *extensions[] = {".wav"};
  static File *open(FileName fileName, bool readProperties, AudioProperties::ReadStyle style);
};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
