#ifndef BRENVO_SPEEXFILE_H
#define BRENVO_SPEEXFILE_H

#include <memory>

#include <oggfile.h>
#include <tpropertymap.h>
#include <xiphcomment.h>

#include "brenvo_export.h"
#include "speexproperties.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace Speex {
inline namespace BRENVO_NS {

/*!
 * A Speex stream in an Ogg container. Packet 0 is the Speex header (read by
 * Properties), packet 1 the Vorbis-style comment that serves as the tag.
 *
 * A file whose first packet is not a Speex header is invalid: it has neither
 * tag nor properties, and save() refuses to write to it.
 */
class File : public Ogg::File
{
public:
  /*!
   * Opens \a fileName (read-write when allowed, read-only otherwise) and
   * reads the comment and, when \a readProperties is true, the properties.
   */
  File(FileName fileName, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);

  /*!
   * Reads the comment and, when \a readProperties is true, the properties
   * from \a stream, through which save() also writes.
   *
   * \note The file does not take ownership of \a stream: the caller deletes
   * it after the File object.
   */
  File(IOStream *stream, bool readProperties = true,
       AudioProperties::ReadStyle propertiesStyle = AudioProperties::Average);

  ~File() override;

  File(const File &) = delete;
  File &operator=(const File &) = delete;

  //! The comment; null when the file is not a Speex stream.
  Ogg::XiphComment *tag() const override;

  //! The header's properties; null when not read or not a Speex stream.
  Properties *audioProperties() const override;

  /*!
   * Every field of the tags under the keys TagLib uses for this format, as
   * TagLib::Plugins::properties() answers. Hides TagLib::File::properties(),
   * which does not know this class.
   */
  PropertyMap properties() const;
  //! Replaces the fields by \a properties and returns what could not be stored.
  PropertyMap setProperties(const PropertyMap &properties);
  //! Removes the unsupported fields that \a properties names.
  void removeUnsupportedProperties(const StringList &properties);
  //! The pictures of the tags, in the file's order.
  Plugins::PictureList pictures() const;
  //! Replaces the pictures by \a pictures; false when the format holds none.
  bool setPictures(const Plugins::PictureList &pictures);

  /*!
   * Renders the comment into packet 1 and lets the Ogg layer rewrite the
   * pages. Returns false, writing nothing, for an invalid or read-only file
   * or one without a comment packet to replace, and false when a write
   * failed (nothing more is written after the first failure).
   */
  bool save() override;

private:
  friend class Properties;

  //! Reads through \a stream, which both public constructors wrap.
  File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle);

  /*!
   * Packet \a index of the stream, as Ogg::File::packet() gives it but not
   * missing when it lies on the file's last page; empty when there is none.
   */
  ByteVector readPacket(unsigned int index);

  void read(bool readProperties, AudioProperties::ReadStyle propertiesStyle);

  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace Speex
} // namespace TagLib

#endif
