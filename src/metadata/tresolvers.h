#ifndef BRENVO_TRESOLVERS_H
#define BRENVO_TRESOLVERS_H

#include <vector>

#include <fileref.h>
#include <tpropertymap.h>

#include "brenvo_export.h"
#include "tfile_helper.h"
#include "tpluginpicture.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! The formats of this library.
enum class PluginFormatId
{
  MP4,
  ASF,
  RealMedia,
  Audible,
  AAC,
  WavPack,
  Speex,
  TTA,
  WAVE
};

/*!
 * How the companion API (TagLib::Plugins) reaches a format's file object and
 * audio properties, whose members of those names TagLib's non-virtual calls
 * would never reach.
 */
struct PluginCompanion
{
  PropertyMap (*properties)(const File *file);
  PropertyMap (*setProperties)(File *file, const PropertyMap &properties);
  void (*removeUnsupportedProperties)(File *file, const StringList &properties);
  Plugins::PictureList (*pictures)(const File *file);
  bool (*setPictures)(File *file, const Plugins::PictureList &pictures);
  //! The exact length when \a properties are the format's own, else -1.
  int (*lengthInMilliseconds)(const AudioProperties *properties);
};

/*!
 * One row of the table that drives the resolvers: which file names a format's
 * resolver answers for and how it opens them.
 */
struct PluginFormat
{
  PluginFormatId id;
  //! The short name of the format ("MP4", "ASF", ...).
  const char *name;
  //! The class name of its resolver.
  const char *resolverName;
  //! The extensions it answers for, lower case with the dot.
  std::vector<const char *> extensions;
  //! Creates the file object for a name with one of the extensions, or null.
  File *(*open)(FileName fileName, bool readProperties, AudioProperties::ReadStyle style);
  //! True when \a file is this format's file object.
  bool (*owns)(const File *file);
  //! Creates the resolver (with new: TagLib's FileRef takes it and never frees it).
  FileRef::FileTypeResolver *(*makeResolver)();
  //! The companion API's way into the format's objects (given only files it owns).
  PluginCompanion companion;
};

//! The row of the format that owns \a file, or null for TagLib's own classes and null.
const PluginFormat *pluginFormatOf(const File *file);

//! The table, in the order registerTaglibPlugins() registers the resolvers.
const std::vector<PluginFormat> &pluginFormats();
//! The row of \a id.
const PluginFormat &pluginFormat(PluginFormatId id);

/*!
 * What every resolver of this library does: it answers only for file names
 * with one of its format's extensions (without regard to case) and creates
 * the format's file object for them, as the table says.
 */
template <PluginFormatId Id>
class PluginResolver : public FileRef::FileTypeResolver
{
public:
  File *createFile(FileName fileName, bool readAudioProperties,
                   AudioProperties::ReadStyle audioPropertiesStyle) const override
  {
    const PluginFormat &format = pluginFormat(Id);
    if(!hasAnyExtension(fileName, format.extensions))
      return nullptr;
    return format.open(fileName, readAudioProperties, audioPropertiesStyle);
  }
};

//! MP4/M4A files; returned even when unreadable, with an empty tag.
class MP4FileTypeResolver : public PluginResolver<PluginFormatId::MP4> {};
//! ASF/WMA files; invalid ones are refused.
class ASFFileTypeResolver : public PluginResolver<PluginFormatId::ASF> {};
//! RealMedia files; invalid ones are refused.
class RealMediaFileTypeResolver : public PluginResolver<PluginFormatId::RealMedia> {};
//! Audible audiobooks; a file that cannot be opened for reading is refused.
class AudibleFileTypeResolver : public PluginResolver<PluginFormatId::Audible> {};
//! Raw AAC (ADTS or ADIF) streams; invalid ones are refused.
class AACFileTypeResolver : public PluginResolver<PluginFormatId::AAC> {};
//! WavPack files; invalid ones are refused.
class WavPackFileTypeResolver : public PluginResolver<PluginFormatId::WavPack> {};
//! Speex-in-Ogg files; invalid ones (missing, or not Speex, hence without a tag) are refused.
class SpeexFileTypeResolver : public PluginResolver<PluginFormatId::Speex> {};
//! TrueAudio files; invalid ones are refused.
class TTAFileTypeResolver : public PluginResolver<PluginFormatId::TTA> {};
//! RIFF WAVE files; a file that cannot be opened for reading is refused.
class WavFileTypeResolver : public PluginResolver<PluginFormatId::WAVE> {};

} // namespace BRENVO_NS
} // namespace TagLib

#endif
