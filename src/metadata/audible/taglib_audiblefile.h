#ifndef BRENVO_TAGLIB_AUDIBLEFILE_H
#define BRENVO_TAGLIB_AUDIBLEFILE_H

#include <cstdio>
#include <memory>

#include <tfile.h>

#include "brenvo_export.h"
#include "audibleproperties.h"
#include "audibletag.h"

namespace TagLib {
namespace Audible {
inline namespace BRENVO_NS {

/*!
 * An Audible audiobook (.aa), read only. The header is read through a stdio
 * stream that the file owns; nothing is ever written.
 */
class File : public TagLib::File
{
public:
  /*!
   * Takes \a stream as its own (it is closed with the file), or opens
   * \a fileName itself when \a stream is null, and reads the header.
   */
  File(const char *fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle,
       FILE *stream = nullptr);
  ~File() override;

  File(const File &) = delete;
  File &operator=(const File &) = delete;

  //! The tag; null only when the stream could not be opened.
  TagLib::Tag *tag() const override;
  //! The same object as tag(), with its own type.
  Audible::Tag *getAudibleTag() const;
  //! The properties; null only when the stream could not be opened.
  Audible::Properties *audioProperties() const override;
  //! The format is read only: writes nothing and returns false.
  bool save() override;

  //! True when the file has its stream.
  bool isOpen() const;

private:
  void read(bool readProperties, AudioProperties::ReadStyle propertiesStyle);

  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace Audible
} // namespace TagLib

#endif
