#ifndef BRENVO_AACFILE_H
#define BRENVO_AACFILE_H

#include <memory>

#include <mpegfile.h>

#include "brenvo_export.h"
#include "common/fdstream.h"

namespace TagLib {
namespace MPEG {
inline namespace BRENVO_NS {

namespace detail {

// Holds the stream, as a base constructed before the MPEG file that reads
// through it and destroyed after it.
struct StreamHolder
{
  explicit StreamHolder(FileName fileName) : stream(std::make_unique<DescriptorStream>(fileName)) {}
  std::unique_ptr<DescriptorStream> stream;
};

} // namespace detail

/*!
 * A raw AAC file: TagLib's own MPEG file, reading through this library's
 * stream (one open and a few reads, where TagLib's own stream makes a system
 * call per seek). Hosts see an MPEG::File, with everything TagLib gives one.
 */
class AACFile : private detail::StreamHolder, public MPEG::File
{
public:
  AACFile(FileName fileName, bool readProperties = true,
          AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  ~AACFile() override;

  AACFile(const AACFile &) = delete;
  AACFile &operator=(const AACFile &) = delete;
};

} // namespace BRENVO_NS
} // namespace MPEG
} // namespace TagLib

#endif
