#include "tplugins.h"

#include "taglibpictures.h"
#include "tresolvers.h"

void registerTaglibPlugins()
{
  for(const TagLib::PluginFormat &format : TagLib::pluginFormats())
    TagLib::FileRef::addFileTypeResolver(format.makeResolver());
}

namespace TagLib {
namespace Plugins {
inline namespace BRENVO_NS {

StringList fileExtensions()
{
  StringList extensions;
  for(const PluginFormat &format : pluginFormats()) {
    for(const char *extension : format.extensions)
      extensions.append(extension);
  }
  return extensions;
}

String formatName(const File *file)
{
  const PluginFormat *format = pluginFormatOf(file);
  return format ? String(format->name) : String();
}

namespace {

// The exact length when \a properties are one of this library's, else -1.
int ownLengthInMilliseconds(const AudioProperties *properties)
{
  for(const PluginFormat &format : pluginFormats()) {
    const int ms = format.companion.lengthInMilliseconds(properties);
    if(ms >= 0)
      return ms;
  }
  return -1;
}

} // namespace

int lengthInMilliseconds(const AudioProperties *properties)
{
  if(!properties)
    return 0;
  const int ms = ownLengthInMilliseconds(properties);
  return ms >= 0 ? ms : properties->lengthInMilliseconds();
}

int lengthInSeconds(const AudioProperties *properties)
{
  if(!properties)
    return 0;
  const int ms = ownLengthInMilliseconds(properties);
  return ms >= 0 ? ms / 1000 : properties->lengthInSeconds();
}

PropertyMap properties(const File *file)
{
  if(!file)
    return PropertyMap();
  const PluginFormat *format = pluginFormatOf(file);
  return format ? format->companion.properties(file) : file->properties();
}

PropertyMap setProperties(File *file, const PropertyMap &properties)
{
  if(!file)
    return properties;
  const PluginFormat *format = pluginFormatOf(file);
  return format ? format->companion.setProperties(file, properties) : file->setProperties(properties);
}

void removeUnsupportedProperties(File *file, const StringList &properties)
{
  if(!file)
    return;
  if(const PluginFormat *format = pluginFormatOf(file))
    format->companion.removeUnsupportedProperties(file, properties);
  else
    file->removeUnsupportedProperties(properties);
}

PictureList pictures(const File *file)
{
  const PluginFormat *format = pluginFormatOf(file);
  return format ? format->companion.pictures(file) : taglibPictures(file);
}

bool setPictures(File *file, const PictureList &pictures)
{
  const PluginFormat *format = pluginFormatOf(file);
  return format ? format->companion.setPictures(file, pictures) : setTaglibPictures(file, pictures);
}

} // namespace BRENVO_NS
} // namespace Plugins
} // namespace TagLib
