#include "tresolvers.h"

#include <memory>

#include "aac/aacfile.h"
#include "aac/aacproperties.h"
#include "asf/asffile.h"
#include "audible/taglib_audiblefile.h"
#include "common/fdstream.h"
#include "m4a/mp4audioproperties.h"
#include "m4a/mp4file.h"
#include "rmff/taglib_realmediafile.h"
#include "speex/speexfile.h"
#include "trueaudio/ttafile.h"
#include "wav/wavfile.h"
#include "wavpack/wvfile.h"

// The file objects are returned as raw pointers: TagLib's FileRef takes ownership of them.

namespace TagLib {
inline namespace BRENVO_NS {

namespace {

// Returned whatever was read: the file object always has a tag.
template <class FileType>
File *openAlways(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return new FileType(fileName, readProperties, style);
}

// For the formats whose file object, given a path it cannot read, would have
// no tag: the stream is opened here first, and the file object takes it.
template <class FileType>
File *openReadable(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  std::unique_ptr<IOStream> stream = DescriptorStream::open(fileName);
  if(!stream)
    return nullptr;
  return new FileType(std::move(stream), readProperties, style);
}

// For the formats whose invalid file objects are refused (FileRef would keep them).
template <class FileType>
File *openValid(FileName fileName, bool readProperties, AudioProperties::ReadStyle style)
{
  return discardIfInvalid(new FileType(fileName, readProperties, style));
}

template <class FileType>
bool isA(const File *file)
{
  return dynamic_cast<const FileType *>(file) != nullptr;
}

template <class Resolver>
FileRef::FileTypeResolver *make()
{
  return new Resolver;
}

// The members of the format's own classes that hide TagLib's non-virtual ones.
template <class FileType, class PropertiesType>
PluginCompanion companion()
{
  return {
    [](const File *file) { return static_cast<const FileType *>(file)->properties(); },
    [](File *file, const PropertyMap &map) { return static_cast<FileType *>(file)->setProperties(map); },
    [](File *file, const StringList &keys) { static_cast<FileType *>(file)->removeUnsupportedProperties(keys); },
    [](const File *file) { return static_cast<const FileType *>(file)->pictures(); },
    [](File *file, const Plugins::PictureList &list) { return static_cast<FileType *>(file)->setPictures(list); },
    [](const AudioProperties *properties) {
      const auto *own = dynamic_cast<const PropertiesType *>(properties);
      return own ? own->lengthInMilliseconds() : -1;
    },
  };
}

} // namespace

const std::vector<PluginFormat> &pluginFormats()
{
  // FileRef asks the resolver registered last first; this order is part of the
  // library's contract.
  static const std::vector<PluginFormat> table = {
    {PluginFormatId::MP4, "MP4", "MP4FileTypeResolver", {".m4a", ".m4b", ".m4p", ".mp4", ".m4v", ".mp4v"},
     &openAlways<MP4::File>, &isA<MP4::File>, &make<MP4FileTypeResolver>, companion<MP4::File, MP4::AudioProperties>()},
    {PluginFormatId::ASF, "ASF", "ASFFileTypeResolver", {".wma", ".asf"},
     &openValid<ASF::File>, &isA<ASF::File>, &make<ASFFileTypeResolver>, companion<ASF::File, ASF::Properties>()},
    {PluginFormatId::RealMedia, "RealMedia", "RealMediaFileTypeResolver", {".ra", ".rv", ".rm", ".rmj", ".rmvb"},
     &openValid<RealMedia::File>, &isA<RealMedia::File>, &make<RealMediaFileTypeResolver>,
     companion<RealMedia::File, RealMedia::Properties>()},
    {PluginFormatId::Audible, "Audible", "AudibleFileTypeResolver", {".aa"},
     &openReadable<Audible::File>, &isA<Audible::File>, &make<AudibleFileTypeResolver>, companion<Audible::File, Audible::Properties>()},
    {PluginFormatId::AAC, "AAC", "AACFileTypeResolver", {".aac"},
     &openValid<AAC::File>, &isA<AAC::File>, &make<AACFileTypeResolver>, companion<AAC::File, AAC::Properties>()},
    {PluginFormatId::WavPack, "WavPack", "WavPackFileTypeResolver", {".wv"},
     &openValid<WavPack::File>, &isA<WavPack::File>, &make<WavPackFileTypeResolver>, companion<WavPack::File, WavPack::Properties>()},
    {PluginFormatId::Speex, "Speex", "SpeexFileTypeResolver", {".spx"},
     &openValid<Speex::File>, &isA<Speex::File>, &make<SpeexFileTypeResolver>, companion<Speex::File, Speex::Properties>()},
    {PluginFormatId::TTA, "TTA", "TTAFileTypeResolver", {".tta"},
     &openValid<TTA::File>, &isA<TTA::File>, &make<TTAFileTypeResolver>, companion<TTA::File, TTA::Properties>()},
    {PluginFormatId::WAVE, "WAVE", "WavFileTypeResolver", {".wav"},
     &openReadable<Wav::File>, &isA<Wav::File>, &make<WavFileTypeResolver>, companion<Wav::File, Wav::Properties>()},
  };
  return table;
}

const PluginFormat *pluginFormatOf(const File *file)
{
  for(const PluginFormat &format : pluginFormats()) {
    if(format.owns(file))
      return &format;
  }
  return nullptr;
}

const PluginFormat &pluginFormat(PluginFormatId id)
{
  const std::vector<PluginFormat> &table = pluginFormats();
  for(const PluginFormat &format : table) {
    if(format.id == id)
      return format;
  }
  // Every id has its row; the table is this file's own.
  return table.front();
}

} // namespace BRENVO_NS
} // namespace TagLib
