#ifndef BRENVO_MP4FILE_H
#define BRENVO_MP4FILE_H

#include <memory>

#include <audioproperties.h>
#include <tbytevector.h>
#include <tfile.h>
#include <tpropertymap.h>
#include <tiostream.h>

#include "brenvo_export.h"
#include "mp4fourcc.h"
#include "mp4itunestag.h"
#include "tpluginpicture.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Mp4TagsProxy;
class Mp4PropsProxy;
class Mp4NestingGuard;

/*!
 * An MP4/M4A file (.m4a, .m4b, .m4p, .mp4, .m4v, .mp4v), read only. The whole
 * box tree is read when the object is constructed; tag() then holds every
 * item of the iTunes-style item list and audioProperties() the length, bit
 * rate, sample rate and channels. Changes to the tag stay in memory.
 *
 * The stream readers below read big-endian values at the current position
 * and are what every box uses to read its fields. They cost no system call
 * of their own: the file is read through a stream with a read-ahead window,
 * so that opening a file reads the window at its start and the windows at
 * the boxes that are parsed, and skips the media data and the sample tables.
 */
class BRENVO_TAGLIB_EXPORT File : public TagLib::File
{
public:
  /*!
   * Opens \a file (read-write when possible, else read only) and reads it at
   * once. \a readProperties and \a propertiesStyle are accepted for
   * TagLib's sake: the properties are always available.
   */
  File(FileName file, bool readProperties = true,
       TagLib::AudioProperties::ReadStyle propertiesStyle = TagLib::AudioProperties::Average);
  /*!
   * Reads the MP4 file held by \a stream at once, from its start. The
   * stream is borrowed: the caller keeps ownership and must keep it alive,
   * and delete it only after this object. \a readProperties and
   * \a propertiesStyle are accepted for TagLib's sake: the properties are
   * always available.
   */
  explicit File(TagLib::IOStream *stream, bool readProperties = true,
                TagLib::AudioProperties::ReadStyle propertiesStyle = TagLib::AudioProperties::Average);
  //! Closes the file, or leaves a borrowed stream to its owner.
  ~File() override;

  //! The file's tag; never null.
  Tag *tag() const override;
  //! The file's audio properties; never null.
  TagLib::AudioProperties *audioProperties() const override;

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
  //! The cover images, in the file's order.
  Plugins::PictureList pictures() const;
  //! Replaces the cover images by \a pictures, in memory; true.
  bool setPictures(const Plugins::PictureList &pictures);
  /*!
   * Writes the tag's items as the file's item list: items the host did not
   * change keep their bytes as read. The list is rewritten in place when it
   * fits; otherwise the movie box is rebuilt and, when it stands before the
   * media data, the media data moves and every chunk offset with it. Returns
   * true only when the file holds the tag; false, with nothing written, for a
   * read-only file and for one this class cannot rewrite safely (boxes that
   * do not add up, a fragmented file, a file read with an error).
   */
  bool save() override;
  //! Removes every item from the tag; the next save() strips the item list from the file.
  void remove();

  //! The items of the item list as read, before any change through the tag (owned by the file).
  Mp4TagsProxy *tagProxy() const;
  //! The boxes the audio properties are read from (owned by the file).
  Mp4PropsProxy *propProxy() const;

  /*!
   * Each reader below reads one big-endian value at the current position
   * and moves past it. It returns false, leaving \a value alone, when the
   * file ends first.
   */
  bool readFourcc(Fourcc &fourcc);
  //! One byte; see readFourcc().
  bool readByte(unsigned int &byte);
  //! 16 bits; see readFourcc().
  bool readShort(unsigned int &value);
  //! 32 bits; see readFourcc().
  bool readInt(unsigned int &value);
  //! 64 bits; see readFourcc().
  bool readLongLong(unsigned long long &value);
  /*!
   * Reads a box header. False when 8 bytes cannot be read or the size is
   * below 8 (sizes 0 and 1 of the format are not supported); \a size is
   * still set in the latter case.
   */
  bool readSizeAndType(unsigned int &size, Fourcc &type);
  /*!
   * Reads an MPEG-4 descriptor length (1 to 4 bytes, 7 bits each). Stops at
   * the end of the data and returns the value decoded so far.
   */
  unsigned int readSystemsLen();
  //! As readSystemsLen(), also stopping before the file offset \a end.
  unsigned int readSystemsLen(long end);
  /*!
   * Reads \a count bytes, or fewer when the file ends first, so that a size
   * read from the file never sizes a buffer beyond the bytes that exist.
   */
  ByteVector readAvailable(unsigned long count);

private:
  File(std::unique_ptr<TagLib::IOStream> owned, TagLib::IOStream *stream);
  File(const File &) = delete;
  File &operator=(const File &) = delete;

  friend class Mp4NestingGuard;

  class FilePrivate;
  std::unique_ptr<FilePrivate> d;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

/*!
 * Names for this library's classes that stay unambiguous in a translation
 * unit that also includes TagLib's own MP4 headers, where TagLib::MP4::File
 * would name two classes.
 */
namespace brenvo_taglib {
//! TagLib::MP4::BRENVO_NS::File under a name that never clashes with TagLib's own MP4 headers.
using MP4File = TagLib::MP4::BRENVO_NS::File;
} // namespace brenvo_taglib

#endif
