#ifndef BRENVO_CLI_REPORT_H
#define BRENVO_CLI_REPORT_H

#include <string>

namespace TagLib {
class File;
class FileRef;
}

namespace brenvo_cli {

//! The file's class as a reader knows it ("TagLib::MP4::File"), without the library's inline namespace.
std::string formatName(const TagLib::File *file);

//! One JSON object for \a ref: file, format, tag, properties (null where absent).
std::string jsonLine(const std::string &path, const TagLib::FileRef &ref);

} // namespace brenvo_cli

#endif
