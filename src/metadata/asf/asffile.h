#ifndef BRENVO_ASFFILE_H
#define BRENVO_ASFFILE_H

#include <memory>

#include <tbytevector.h>
#include <tfile.h>
#include <tpropertymap.h>
#include <tstring.h>

#include "asfproperties.h"
#include "asftag.h"
#include "brenvo_export.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace ASF {
inline namespace BRENVO_NS {

/*!
 * An ASF (Windows Media) file. The header object at the start of the file is
 * read into a list of header objects; the metadata objects fill the tag, the
 * file and stream properties objects fill the audio properties, and all other
 * objects are kept as raw bytes so that save() can write back a complete
 * header in which only the metadata objects were rebuilt.
 *
 * A file that does not start with the header object is invalid and has no
 * tag and no properties.
 */
class File : public TagLib::File
{
public:
  /*!
   * Opens \a fileName (read-write when possible, else read-only) and reads
   * its header. The two further arguments exist for the resolver interface;
   * properties are always read.
   */
  File(FileName fileName, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);

  /*!
   * Reads the header from \a stream, which the file borrows: the caller keeps
   * ownership and deletes it after the file. save() writes through it. The
   * two further arguments are as for the constructor above.
   */
  File(IOStream *stream, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);

  ~File() override;
  File(const File &) = delete;
  File &operator=(const File &) = delete;

  //! The tag; null when the file is not an ASF file.
  Tag *tag() const override;
  //! The audio properties; null when the file is not an ASF file.
  Properties *audioProperties() const override;

  /*!
   * Every field of the tag under the keys TagLib uses for this format, as
   * TagLib::Plugins::properties() answers (see Tag::properties()). Hides
   * TagLib::File::properties(), which does not know this class. Empty when
   * the file is not an ASF file.
   */
  PropertyMap properties() const;
  /*!
   * Replaces the fields by \a properties (see Tag::setProperties()) and
   * returns what could not be stored; the file is written by save().
   */
  PropertyMap setProperties(const PropertyMap &properties);
  //! Removes the attributes that \a properties names.
  void removeUnsupportedProperties(const StringList &properties);
  //! The pictures of the "WM/Picture" attributes, in the tag's order.
  Plugins::PictureList pictures() const;
  /*!
   * Replaces the "WM/Picture" attributes by \a pictures; save() puts a
   * picture too large for the extended content description object into the
   * metadata library object. False, changing nothing, when the file is not an
   * ASF file.
   */
  bool setPictures(const Plugins::PictureList &pictures);

  /*!
   * Rebuilds the header object from the parsed objects and the tag and
   * replaces the header on disk with it; everything after the header is left
   * as it is. The first attribute of a name without stream or language goes
   * to the extended content description object, the first with a stream to
   * the metadata object, the others (and values over 65535 bytes, and GUIDs)
   * to the metadata library object; a name whose attributes would then be
   * read back in another order goes to the metadata library object whole.
   * Returns false, writing nothing, when the file is read-only, is
   * not an ASF file, has a header whose structure could not be fully read,
   * or holds a text or attribute name too long for any record; returns false
   * too when writing failed.
   */
  bool save() override;

private:
  File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle);

  void read();
  void readHeader();

  class BaseObject;
  class PropertiesObject;
  class ContentDescriptionObject;
  class AttributeListObject;
  class HeaderExtensionObject;

  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib

#endif
