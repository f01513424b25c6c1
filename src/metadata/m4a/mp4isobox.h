#ifndef BRENVO_MP4ISOBOX_H
#define BRENVO_MP4ISOBOX_H

#include <memory>
#include <vector>

#include <tbytevector.h>
#include <tfile.h>

#include "brenvo_export.h"
#include "mp4fourcc.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class File;

/*!
 * The base of every MP4 box: its code, its total size (header included) as
 * declared, the offset just after its 8-byte header, and the file it is read
 * from.
 */
class Mp4IsoBox
{
public:
  Mp4IsoBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  virtual ~Mp4IsoBox();
  Mp4IsoBox(const Mp4IsoBox &) = delete;
  Mp4IsoBox &operator=(const Mp4IsoBox &) = delete;

  Fourcc fourcc() const;
  unsigned int size() const;
  long offset() const;
  TagLib::File *file() const;

  //! The file offset just past the box, from its declared size.
  long endOffset() const;

  //! Seeks to the box's content and parses it.
  virtual void parsebox();
  virtual void parse() = 0;

protected:
  //! The box's file as the MP4 file it must be, or null.
  MP4::File *mp4file() const;
  //! True when \a count more bytes at the current position lie inside the box.
  bool hasRoom(unsigned long count) const;
  /*!
   * Reads up to \a count bytes at the current position, stopping at the
   * box's end and at the file's: a record of several fields in one read, to
   * be decoded with a ByteCursor.
   */
  ByteVector readContent(unsigned long count) const;

private:
  class Mp4IsoBoxPrivate;
  std::unique_ptr<Mp4IsoBoxPrivate> d;
};

//! A box with a version byte and 24 bits of flags after its header.
class Mp4IsoFullBox : public Mp4IsoBox
{
public:
  Mp4IsoFullBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4IsoFullBox() override;

  unsigned char version() const;
  unsigned int flags() const;

  //! Seeks to the content, reads version and flags, then parses the rest.
  void parsebox() override;

private:
  class Mp4IsoFullBoxPrivate;
  std::unique_ptr<Mp4IsoFullBoxPrivate> d;
};

//! A box this library does not read: parsing steps over it.
class Mp4SkipBox : public Mp4IsoBox
{
public:
  using Mp4IsoBox::Mp4IsoBox;

  void parse() override;
};

/*!
 * Keeps the codes of the container boxes being parsed inside each other, so
 * that a file of boxes nested inside each other cannot exhaust the stack, and
 * so that a box knows where it lies.
 */
class Mp4NestingGuard
{
public:
  //! Enters the container \a code; leaves it when destroyed.
  Mp4NestingGuard(MP4::File &file, Fourcc code);
  ~Mp4NestingGuard();
  Mp4NestingGuard(const Mp4NestingGuard &) = delete;
  Mp4NestingGuard &operator=(const Mp4NestingGuard &) = delete;

  //! False when this level lies deeper than the library descends.
  bool allowed() const;
  //! The codes of the containers being parsed, outermost first, this one last.
  const std::vector<Fourcc> &path() const;

  static constexpr int maxDepth = 32;

private:
  MP4::File &m_file;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
