#ifndef BRENVO_TPLUGINS_INTERNAL_H
#define BRENVO_TPLUGINS_INTERNAL_H

#include <cstddef>

#include <fileref.h>

#include "brenvo_export.h"

namespace TagLib {
inline namespace BRENVO_NS {

//! One row of the registration table: a resolver's class name and its maker.
struct ResolverEntry
{
  const char *name;
  FileRef::FileTypeResolver *(*create)();
};

//! The registration table, in the order registerTaglibPlugins() registers it.
const ResolverEntry *pluginResolvers(std::size_t &count);

} // namespace BRENVO_NS
} // namespace TagLib

#endif
