#ifndef BRENVO_CLI_EXTRAS_H
#define BRENVO_CLI_EXTRAS_H

#include <string>
#include <utility>
#include <vector>

namespace TagLib {
class File;
}

namespace brenvo_cli {

//! A named field beyond TagLib's seven common ones, as text.
using Field = std::pair<std::string, std::string>;

//! The format-specific fields the tool shows for \a file (none for most formats).
std::vector<Field> extraFields(TagLib::File *file);

} // namespace brenvo_cli

#endif
