#include "tplugins.h"

#include "tplugins_internal.h"

#include "tresolvers.h"

namespace TagLib {
inline namespace BRENVO_NS {

namespace {

template <class Resolver>
FileRef::FileTypeResolver *make()
{
  // FileRef takes the raw pointer and never frees it.
  return new Resolver;
}

// FileRef asks the resolver registered last first; this order is part of the
// library's contract.
const ResolverEntry resolverTable[] = {
  {"MP4FileTypeResolver", &make<MP4FileTypeResolver>},
  {"ASFFileTypeResolver", &make<ASFFileTypeResolver>},
  {"RealMediaFileTypeResolver", &make<RealMediaFileTypeResolver>},
  {"AudibleFileTypeResolver", &make<AudibleFileTypeResolver>},
  {"AACFileTypeResolver", &make<AACFileTypeResolver>},
  {"WavPackFileTypeResolver", &make<WavPackFileTypeResolver>},
  {"SpeexFileTypeResolver", &make<SpeexFileTypeResolver>},
  {"TTAFileTypeResolver", &make<TTAFileTypeResolver>},
  {"WavFileTypeResolver", &make<WavFileTypeResolver>},
};

} // namespace

const ResolverEntry *pluginResolvers(std::size_t &count)
{
  count = sizeof(resolverTable) / sizeof(resolverTable[0]);
  return resolverTable;
}

} // namespace BRENVO_NS
} // namespace TagLib

void registerTaglibPlugins()
{
  std::size_t count = 0;
  const TagLib::ResolverEntry *table = TagLib::pluginResolvers(count);
  for(std::size_t i = 0; i < count; ++i)
    TagLib::FileRef::addFileTypeResolver(table[i].create());
}
