#ifndef BRENVO_TEST_HOSTCALLS_H
#define BRENVO_TEST_HOSTCALLS_H

#include <string>
#include <vector>

namespace brenvo_test {

//! Every extension this library registers a resolver for, lower case with the dot.
const std::vector<std::string> &pluginExtensions();

//! Calls registerTaglibPlugins() once per process.
void ensurePluginsRegistered();

//! What a host saw when it opened one file.
struct HostResult
{
  bool opened = false;   //!< FileRef is not null
  bool hasTag = false;   //!< tag() was not null
  bool saved = false;    //!< save() reported success
};

/*!
 * Acts as a real host on \a path: opens it through TagLib::FileRef, reads every
 * field of tag() and audioProperties(), calls the companion API's length,
 * properties(), setProperties() with a small map, removeUnsupportedProperties(),
 * pictures() and setPictures() with one small picture and, when \a save is
 * true, save(). The file at \a path may be changed.
 */
HostResult exerciseHost(const std::string &path, bool save);

} // namespace brenvo_test

#endif
