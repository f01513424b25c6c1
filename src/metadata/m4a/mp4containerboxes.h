#ifndef BRENVO_MP4CONTAINERBOXES_H
#define BRENVO_MP4CONTAINERBOXES_H

#include <memory>
#include <vector>

#include "mp4isobox.h"
#include "mp4trackboxes.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

/*!
 * A box made of boxes: reads its children in file order, each through the
 * box factory, and owns them. \a Base is Mp4IsoBox, or Mp4IsoFullBox for a
 * container whose children follow a version and flags (meta).
 */
template <class Base>
class Mp4ContainerBox : public Base
{
public:
  Mp4ContainerBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4ContainerBox() override;

  void parse() override;

  //! The children read, in file order (owned by this box).
  std::vector<Mp4IsoBox *> children() const;

protected:
  /*!
   * Runs before the first child is read, with the codes of the containers
   * being parsed, outermost first, this one last; false leaves the children
   * unread.
   */
  virtual bool beginChildren(const std::vector<Fourcc> &path);
  //! A new, unparsed child: the box factory's.
  virtual std::unique_ptr<Mp4IsoBox> createChild(MP4::File *file, Fourcc code, unsigned int size, long offset) const;
  //! Runs on each new child before it is parsed; false ends the loop, the child dropped.
  virtual bool beforeChild(Mp4IsoBox *child);
  //! Runs on each child once it is parsed and kept; false ends the loop.
  virtual bool afterChild(Mp4IsoBox *child);
  //! The bytes of the container's own header: 8, or 12 with a version and flags.
  virtual unsigned int headerSize() const;

private:
  class Mp4ContainerBoxPrivate;
  std::unique_ptr<Mp4ContainerBoxPrivate> d;
};

extern template class Mp4ContainerBox<Mp4IsoBox>;
extern template class Mp4ContainerBox<Mp4IsoFullBox>;

/*!
 * A container inside a track that hands the track's handler type down to its
 * \a Child: the sample description box reads a sample entry for sound tracks
 * only.
 */
template <class Child>
class Mp4TrackContainer : public Mp4ContainerBox<Mp4IsoBox>
{
public:
  Mp4TrackContainer(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4TrackContainer() override;

  //! The track's handler type, given by the parent before parsing.
  void setHandlerType(Fourcc handlerType);
  Fourcc handlerType() const;

protected:
  bool beforeChild(Mp4IsoBox *child) override;

private:
  class Mp4TrackContainerPrivate;
  std::unique_ptr<Mp4TrackContainerPrivate> d;
};

//! The movie box (moov).
class Mp4MoovBox : public Mp4ContainerBox<Mp4IsoBox>
{
public:
  using Mp4ContainerBox::Mp4ContainerBox;
};

//! A track (trak).
class Mp4TrakBox : public Mp4ContainerBox<Mp4IsoBox>
{
public:
  using Mp4ContainerBox::Mp4ContainerBox;
};

/*!
 * A track's media (mdia). The handler type is known once its hdlr has been
 * read; a minf that comes first gets 0, and its track reads no sample entry.
 */
class Mp4MdiaBox : public Mp4ContainerBox<Mp4IsoBox>
{
public:
  Mp4MdiaBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset);
  ~Mp4MdiaBox() override;

protected:
  bool beforeChild(Mp4IsoBox *child) override;
  bool afterChild(Mp4IsoBox *child) override;

private:
  class Mp4MdiaBoxPrivate;
  std::unique_ptr<Mp4MdiaBoxPrivate> d;
};

extern template class Mp4TrackContainer<Mp4StsdBox>;

//! The sample table (stbl).
class Mp4StblBox : public Mp4TrackContainer<Mp4StsdBox>
{
public:
  using Mp4TrackContainer::Mp4TrackContainer;
};

extern template class Mp4TrackContainer<Mp4StblBox>;

//! The media information (minf).
class Mp4MinfBox : public Mp4TrackContainer<Mp4StblBox>
{
public:
  using Mp4TrackContainer::Mp4TrackContainer;
};

//! The user data (udta).
class Mp4UdtaBox : public Mp4ContainerBox<Mp4IsoBox>
{
public:
  using Mp4ContainerBox::Mp4ContainerBox;
};

/*!
 * The metadata box (meta), a full box as ISO files write it. QuickTime files
 * write it as a plain box, without version and flags: when the four bytes
 * after the first child's size say "hdlr", it is read as a plain container.
 */
class Mp4MetaBox : public Mp4ContainerBox<Mp4IsoFullBox>
{
public:
  using Mp4ContainerBox::Mp4ContainerBox;

  //! Reads the version and flags unless the box is a plain one, then the children.
  void parsebox() override;

protected:
  unsigned int headerSize() const override;

private:
  bool plain = false;
};

/*!
 * The iTunes item list (ilst). The one at moov/udta/meta is the file's item
 * list: every child is an item (Mp4ItemBox), whatever its code. A second
 * one, or one elsewhere, is not read.
 */
class Mp4IlstBox : public Mp4ContainerBox<Mp4IsoBox>
{
public:
  using Mp4ContainerBox::Mp4ContainerBox;

protected:
  bool beginChildren(const std::vector<Fourcc> &path) override;
  std::unique_ptr<Mp4IsoBox> createChild(MP4::File *file, Fourcc code, unsigned int size, long offset) const override;
};

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib

#endif
