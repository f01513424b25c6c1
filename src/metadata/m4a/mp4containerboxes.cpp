#include "mp4containerboxes.h"

#include <iostream>
#include <type_traits>

#include "boxfactory.h"
#include "mp4file.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

template <class Base>
Mp4ContainerBox<Base>::Mp4ContainerBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Base(file, fourcc, size, offset)
{
}

template <class Base>
Mp4ContainerBox<Base>::~Mp4ContainerBox() = default;

template <class Base>
std::vector<Mp4IsoBox *> Mp4ContainerBox<Base>::children() const
{
  std::vector<Mp4IsoBox *> list;
  list.reserve(m_children.size());
  for(const auto &child : m_children)
    list.push_back(child.get());
  return list;
}

template <class Base>
bool Mp4ContainerBox<Base>::beforeChild(Mp4IsoBox *)
{
  return true;
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
  constexpr unsigned int headerSize = std::is_base_of<Mp4IsoFullBox, Base>::value ? 12 : 8;
  MP4::File *file = this->mp4file();
  // An empty container is recognised before any header is read: the next
  // header would belong to whatever follows the container.
  if(!file || this->size() <= headerSize)
    return;
  Mp4NestingGuard nesting(*file);
  if(!nesting.allowed())
    return;

  const BoxFactory factory;
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
    std::unique_ptr<Mp4IsoBox> child(factory.createInstance(file, childCode, childSize, childOffset));
    if(!child || !beforeChild(child.get()))
      return;
    child->parsebox();
    m_children.push_back(std::move(child));
    if(!afterChild(m_children.back().get()))
      return;
    file->seek(childOffset + static_cast<long>(childSize) - 8);
    if(consumed == this->size())
      return;
  }
}

template class Mp4ContainerBox<Mp4IsoBox>;
template class Mp4ContainerBox<Mp4IsoFullBox>;

bool Mp4MdiaBox::beforeChild(Mp4IsoBox *child)
{
  if(auto *minf = dynamic_cast<Mp4MinfBox *>(child))
    minf->setHandlerType(m_handlerType);
  return true;
}

bool Mp4MdiaBox::afterChild(Mp4IsoBox *child)
{
  if(auto *hdlr = dynamic_cast<Mp4HdlrBox *>(child))
    m_handlerType = hdlr->hdlr_type();
  return true;
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
