#ifndef BRENVO_CLI_EXTRAS_H
#define BRENVO_CLI_EXTRAS_H

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace TagLib {
class ByteVector;
class File;
}

namespace brenvo_cli {

//! A named field beyond TagLib's seven common ones, with its JSON value.
using Field = std::pair<std::string, nlohmann::ordered_json>;

//! The format-specific fields the tool shows for \a file (none for most formats).
std::vector<Field> extraFields(TagLib::File *file);

//! The MIME type the first bytes of \a image announce; "application/octet-stream" when unknown.
std::string imageMime(const TagLib::ByteVector &image);

} // namespace brenvo_cli

#endif
