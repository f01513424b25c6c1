#include "mp4containerboxes.h"

#include <algorithm>
#include <iostream>
#include <type_traits>

#include "boxfactory.h"
#include "itunesboxes.h"
#include "mp4file.h"
#include "mp4tagsproxy.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

template <class Base>
class Mp4ContainerBox<Base>::Mp4ContainerBoxPrivate
{
public:
  std::vector<std::unique_ptr<Mp4IsoBox>> children;
};

template <class Base>
Mp4ContainerBox<Base>::Mp4ContainerBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Base(file, fourcc, size, offset), d(std::make_unique<Mp4ContainerBoxPrivate>())
{
}

template <class Base>
Mp4ContainerBox<Base>::~Mp4ContainerBox() = default;

template <class Base>
std::vector<Mp4IsoBox *> Mp4ContainerBox<Base>::children() const
{
  std::vector<Mp4IsoBox *> list;
  list.reserve(d->children.size());
  for(const auto &child : d->children)
    list.push_back(child.get());
  return list;
}

template <class Base>
bool Mp4ContainerBox<Base>::beginChildren(const std::vector<Fourcc> &)
{
  return true;
}

template <class Base>
std::unique_ptr<Mp4IsoBox> Mp4ContainerBox<Base>::createChild(MP4::File *file, Fourcc code, unsigned int size,
                                                              long offset) const
{
  return std::unique_ptr<Mp4IsoBox>(BoxFactory().createInstance(file, code, size, offset));
}

template <class Base>
bool Mp4ContainerBox<Base>::beforeChild(Mp4IsoBox *)
{
  return true;
}

template <class Base>
unsigned int Mp4ContainerBox<Base>::headerSize() const
{
  return std::is_base_of<Mp4IsoFullBox, Base>::value ? 12 : 8;
}

template <class Base>
bool Mp4ContainerBox<Base>::afterChild(Mp4IsoBox *)
{
  return true;
}

/*
 * After each child the loop goes on at the child's declared end, wherever the
 * child's own parsing stopped: an item with several data boxes, or a header
 * box longer than its layout, must not make the rest of the list be read
 * from the middle of a child.
 */
template <class Base>
void Mp4ContainerBox<Base>::parse()
{
  // What the container's own header takes: meta's version and flags too.
  const unsigned int headerSize = this->headerSize();
  MP4::File *file = this->mp4file();
  if(!file)
    return;
  Mp4NestingGuard nesting(*file, this->fourcc());
  // An empty container is recognised before any header is read: the next
  // header would belong to whatever follows the container. (An empty item
  // list is still the file's item list.)
  if(!nesting.allowed() || !beginChildren(nesting.path()) || this->size() <= headerSize)
    return;

  // 64 bits, so that a huge child size cannot wrap the sum past the check.
  unsigned long long consumed = headerSize;
  for(;;) {
    unsigned int childSize = 0;
    Fourcc childCode;
    if(!file->readSizeAndType(childSize, childCode))
      return;
    consumed += childSize;
    if(consumed > this->size()) {
      std::cerr << "Error in mp4 file " << file->name() << " " << this->fourcc().toString().to8Bit()
                << " box contains bad box with name: " << childCode.toString().to8Bit() << std::endl;
      return;
    }
    const long childOffset = file->tell();
    std::unique_ptr<Mp4IsoBox> child = createChild(file, childCode, childSize, childOffset);
    if(!child || !beforeChild(child.get()))
      return;
    child->parsebox();
    d->children.push_back(std::move(child));
    if(!afterChild(d->children.back().get()))
      return;
    file->seek(childOffset + static_cast<long>(childSize) - 8);
    if(consumed == this->size())
      return;
  }
}

template class Mp4ContainerBox<Mp4IsoBox>;
template class Mp4ContainerBox<Mp4IsoFullBox>;

template <class Child>
class Mp4TrackContainer<Child>::Mp4TrackContainerPrivate
{
public:
  Fourcc handlerType;
};

template <class Child>
Mp4TrackContainer<Child>::Mp4TrackContainer(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4ContainerBox(file, fourcc, size, offset), d(std::make_unique<Mp4TrackContainerPrivate>())
{
}

template <class Child>
Mp4TrackContainer<Child>::~Mp4TrackContainer() = default;

template <class Child>
void Mp4TrackContainer<Child>::setHandlerType(Fourcc handlerType)
{
  d->handlerType = handlerType;
}

template <class Child>
Fourcc Mp4TrackContainer<Child>::handlerType() const
{
  return d->handlerType;
}

template <class Child>
bool Mp4TrackContainer<Child>::beforeChild(Mp4IsoBox *child)
{
  if(auto *box = dynamic_cast<Child *>(child))
    box->setHandlerType(d->handlerType);
  return true;
}

template class Mp4TrackContainer<Mp4StsdBox>;
template class Mp4TrackContainer<Mp4StblBox>;

class Mp4MdiaBox::Mp4MdiaBoxPrivate
{
public:
  Fourcc handlerType;
};

Mp4MdiaBox::Mp4MdiaBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4ContainerBox(file, fourcc, size, offset), d(std::make_unique<Mp4MdiaBoxPrivate>())
{
}

Mp4MdiaBox::~Mp4MdiaBox() = default;

bool Mp4MdiaBox::beforeChild(Mp4IsoBox *child)
{
  if(auto *minf = dynamic_cast<Mp4MinfBox *>(child))
    minf->setHandlerType(d->handlerType);
  return true;
}

bool Mp4MdiaBox::afterChild(Mp4IsoBox *child)
{
  if(auto *hdlr = dynamic_cast<Mp4HdlrBox *>(child))
    d->handlerType = hdlr->hdlr_type();
  return true;
}

bool Mp4IlstBox::beginChildren(const std::vector<Fourcc> &path)
{
  static const std::vector<Fourcc> itemListPath = {Fourcc(String("moov")), Fourcc(String("udta")),
                                                   Fourcc(String("meta")), Fourcc(String("ilst"))};
  const auto same = [](Fourcc a, Fourcc b) { return a == b; };
  return path.size() == itemListPath.size() &&
         std::equal(path.begin(), path.end(), itemListPath.begin(), same) &&
         mp4file()->tagProxy()->beginItemList(offset() - 8, size());
}

std::unique_ptr<Mp4IsoBox> Mp4IlstBox::createChild(MP4::File *file, Fourcc code, unsigned int size, long offset) const
{
  return std::make_unique<Mp4ItemBox>(file, code, size, offset);
}

void Mp4MetaBox::parsebox()
{
  MP4::File *mp4 = mp4file();
  if(mp4 && size() >= 16) {
    mp4->seek(offset());
    plain = mp4->readAvailable(8).mid(4, 4) == "hdlr";
    mp4->seek(offset());
  }
  if(plain)
    parse();
  else
    Mp4IsoFullBox::parsebox();
}

unsigned int Mp4MetaBox::headerSize() const
{
  return plain ? 8 : 12;
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
