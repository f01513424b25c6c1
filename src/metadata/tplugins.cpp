#include "tplugins.h"

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
  for(const PluginFormat &format : pluginFormats()) {
    if(format.owns(file))
      return format.name;
  }
  return String();
}

} // namespace BRENVO_NS
} // namespace Plugins
} // namespace TagLib
