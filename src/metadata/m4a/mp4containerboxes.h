#ifndef BRENVO_MP4CONTAINERBOXES_H
#define BRENVO_MP4CONTAINERBOXES_H

#include <memory>
#include <vector>

#include "mp4isobox.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

/*
 * The eight container boxes. Each reads its children in file order with one
 * shared loop, creating them through its own box factory, and owns them.
 * minf and stbl carry their track's handler type down to the sample
 * description box, which reads a sample entry for sound tracks only.
 */
//! The moov box.
class Mp4MoovBox : public Mp4IsoBox
{
public:
  Mp4MoovBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4MoovBox() override;

  void parse() override;

  //! The children read, in file order (owned by this box).
  std::vector<Mp4IsoBox *> children() const;

private:
  class Mp4MoovBoxPrivate;
  std::unique_ptr<Mp4MoovBoxPrivate> d;
};

//! The trak box.
class Mp4TrakBox : public Mp4IsoBox
{
public:
  Mp4TrakBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4TrakBox() override;

  void parse() override;

  //! The children read, in file order (owned by this box).
  std::vector<Mp4IsoBox *> children() const;

private:
  class Mp4TrakBoxPrivate;
  std::unique_ptr<Mp4TrakBoxPrivate> d;
};

//! The mdia box.
class Mp4MdiaBox : public Mp4IsoBox
{
public:
  Mp4MdiaBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4MdiaBox() override;

  void parse() override;

  //! The children read, in file order (owned by this box).
  std::vector<Mp4IsoBox *> children() const;

private:
  class Mp4MdiaBoxPrivate;
  std::unique_ptr<Mp4MdiaBoxPrivate> d;
};

//! The minf box.
class Mp4MinfBox : public Mp4IsoBox
{
public:
  Mp4MinfBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4MinfBox() override;

  void parse() override;

  //! The track's handler type, given by the parent before parsing.
  void setHandlerType(Fourcc handlerType);
  Fourcc handlerType() const;

  //! The children read, in file order (owned by this box).
  std::vector<Mp4IsoBox *> children() const;

private:
  class Mp4MinfBoxPrivate;
  std::unique_ptr<Mp4MinfBoxPrivate> d;
};

//! The stbl box.
class Mp4StblBox : public Mp4IsoBox
{
public:
  Mp4StblBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4StblBox() override;

  void parse() override;

  //! The track's handler type, given by the parent before parsing.
  void setHandlerType(Fourcc handlerType);
  Fourcc handlerType() const;

  //! The children read, in file order (owned by this box).
  std::vector<Mp4IsoBox *> children() const;

private:
  class Mp4StblBoxPrivate;
  std::unique_ptr<Mp4StblBoxPrivate> d;
};

//! The udta box.
class Mp4UdtaBox : public Mp4IsoBox
{
public:
  Mp4UdtaBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4UdtaBox() override;

  void parse() override;

  //! The children read, in file order (owned by this box).
  std::vector<Mp4IsoBox *> children() const;

private:
  class Mp4UdtaBoxPrivate;
  std::unique_ptr<Mp4UdtaBoxPrivate> d;
};

//! The meta box.
class Mp4MetaBox : public Mp4IsoFullBox
{
public:
  Mp4MetaBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4MetaBox() override;

  void parse() override;

  //! The children read, in file order (owned by this box).
  std::vector<Mp4IsoBox *> children() const;

private:
  class Mp4MetaBoxPrivate;
  std::unique_ptr<Mp4MetaBoxPrivate> d;
};

//! The ilst box.
class Mp4IlstBox : public Mp4IsoBox
{
public:
  Mp4IlstBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4IlstBox() override;

  void parse() override;

  //! The children read, in file order (owned by this box).
  std::vector<Mp4IsoBox *> children() const;

private:
  class Mp4IlstBoxPrivate;
  std::unique_ptr<Mp4IlstBoxPrivate> d;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
