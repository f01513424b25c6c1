#ifndef BRENVO_CLI_REPORT_H
#define BRENVO_CLI_REPORT_H

#include <string>

namespace TagLib {
class File;
class FileRef;
}

namespace brenvo_cli {

//! The short name of the file's format: the library's ("MP4", "WAVE"), else from TagLib's class ("FLAC").
std::string formatName(const TagLib::File *file);

//! One JSON object for \a ref: file, format, tag, properties (null where absent).
std::string jsonLine(const std::string &path, const TagLib::FileRef &ref);

} // namespace brenvo_cli

#endif
