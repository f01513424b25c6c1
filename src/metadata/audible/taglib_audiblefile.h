#ifndef BRENVO_TAGLIB_AUDIBLEFILE_H
#define BRENVO_TAGLIB_AUDIBLEFILE_H

#include <memory>

#include <tfile.h>
#include <tpropertymap.h>
#include <tiostream.h>

#include "brenvo_export.h"
#include "audibleproperties.h"
#include "audibletag.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace Audible {
inline namespace BRENVO_NS {

/*!
 * An Audible audiobook (.aa), read only: the header is read through one
 * stream; nothing is ever written.
 */
class File : public TagLib::File
{
public:
  //! Opens \a fileName, once for the file's lifetime, and reads the header.
  File(FileName fileName, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  /*!
   * Reads the header from \a stream, which the file borrows: the caller
   * deletes it after the file. Reads the same as the constructor taking a
   * file name.
   */
  File(IOStream *stream, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  /*!
   * Reads the header from \a stream and keeps it: it is deleted with the
   * file. (The resolver opens the path first, so that a path it cannot read
   * yields no file object at all.)
   */
  File(std::unique_ptr<IOStream> stream, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);
  ~File() override;

  File(const File &) = delete;
  File &operator=(const File &) = delete;

  //! The tag; null only when the stream is not open.
  TagLib::Tag *tag() const override;
  //! The same object as tag(), with its own type.
  Audible::Tag *getAudibleTag() const;
  //! The properties; null only when the stream is not open.
  Audible::Properties *audioProperties() const override;

  /*!
   * Every field of the tags under the keys TagLib uses for this format, as
   * TagLib::Plugins::properties() answers. Hides TagLib::File::properties(),
   * which does not know this class.
   */
  PropertyMap properties() const;
  /*!
   * Replaces the fields by \a properties, in memory only (save() still writes
   * nothing), and returns what could not be stored (all of it when there is
   * no tag).
   */
  PropertyMap setProperties(const PropertyMap &properties);
  //! Does nothing: every record is text, none is unsupported.
  void removeUnsupportedProperties(const StringList &properties);
  //! Always empty: the header holds no picture.
  Plugins::PictureList pictures() const;
  //! Holds nothing and returns false: the format has no pictures.
  bool setPictures(const Plugins::PictureList &pictures);
  //! The format is read only: writes nothing and returns false.
  bool save() override;

  //! True when the file has an open stream.
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
