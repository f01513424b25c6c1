#include "mp4containerboxes.h"

#include <iostream>

#include "boxfactory.h"
#include "mp4file.h"
#include "mp4trackboxes.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

namespace {

//! What every container keeps: its children, in file order, and its own factory.
struct ChildBoxes
{
  std::vector<std::unique_ptr<Mp4IsoBox>> children;
  BoxFactory factory;

  std::vector<Mp4IsoBox *> borrowed() const
  {
    std::vector<Mp4IsoBox *> list;
    list.reserve(children.size());
    for(const auto &child : children)
      list.push_back(child.get());
    return list;
  }
};

//! A per-child step that does nothing and lets the loop go on.
struct NoStep
{
  bool operator()(Mp4IsoBox *) const { return true; }
};

/*
 * The child loop of all eight containers. \a headerSize is what the
 * container's own header takes (12 for the full box meta), \a text the
 * container's part of the bad-box line. \a before runs on each new child
 * before it is parsed and \a after once it is kept; either may end the loop
 * by returning false.
 *
 * After each child the loop goes on at the child's declared end, wherever the
 * child's own parsing stopped: an item with several data boxes, or a header
 * box longer than its layout, must not make the rest of the list be read
 * from the middle of a child.
 */
template <class Before = NoStep, class After = NoStep>
void parseChildren(const Mp4IsoBox &self, unsigned int headerSize, const char *text,
                   ChildBoxes &boxes, Before before = Before(), After after = After())
{
  MP4::File *file = dynamic_cast<MP4::File *>(self.file());
  // An empty container is recognised before any header is read: the next
  // header would belong to whatever follows the container.
  if(!file || self.size() <= headerSize)
    return;
  Mp4NestingGuard nesting(*file);
  if(!nesting.allowed())
    return;
  // Child headers are read one by one: most children are skipped.
  Mp4ReadAheadScope readAhead(file, 0);

  // 64 bits, so that a huge child size cannot wrap the sum past the check.
  unsigned long long consumed = headerSize;
  for(;;) {
    unsigned int childSize = 0;
    Fourcc childCode;
    if(!file->readSizeAndType(childSize, childCode))
      return;
    consumed += childSize;
    if(consumed > self.size()) {
      std::cerr << "Error in mp4 file " << file->name() << text
                << childCode.toString().to8Bit() << std::endl;
      return;
    }
    const long childOffset = file->tell();
    std::unique_ptr<Mp4IsoBox> child(
      boxes.factory.createInstance(file, childCode, childSize, childOffset));
    if(!child || !before(child.get()))
      return;
    child->parsebox();
    boxes.children.push_back(std::move(child));
    if(!after(boxes.children.back().get()))
      return;
    file->seek(childOffset + static_cast<long>(childSize) - 8);
    if(consumed == self.size())
      return;
  }
}

} // namespace

class Mp4MoovBox::Mp4MoovBoxPrivate : public ChildBoxes
{};

Mp4MoovBox::Mp4MoovBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoBox(file, fourcc, size, offset), d(std::make_unique<Mp4MoovBoxPrivate>())
{
}

Mp4MoovBox::~Mp4MoovBox() = default;

std::vector<Mp4IsoBox *> Mp4MoovBox::children() const
{
  return d->borrowed();
}

void Mp4MoovBox::parse()
{
  parseChildren(*this, 8, " moov box contains bad box with name: ", *d);
}

class Mp4TrakBox::Mp4TrakBoxPrivate : public ChildBoxes
{};

Mp4TrakBox::Mp4TrakBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoBox(file, fourcc, size, offset), d(std::make_unique<Mp4TrakBoxPrivate>())
{
}

Mp4TrakBox::~Mp4TrakBox() = default;

std::vector<Mp4IsoBox *> Mp4TrakBox::children() const
{
  return d->borrowed();
}

void Mp4TrakBox::parse()
{
  parseChildren(*this, 8, " trak box contains bad box with name: ", *d);
}

class Mp4MdiaBox::Mp4MdiaBoxPrivate : public ChildBoxes
{};

Mp4MdiaBox::Mp4MdiaBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoBox(file, fourcc, size, offset), d(std::make_unique<Mp4MdiaBoxPrivate>())
{
}

Mp4MdiaBox::~Mp4MdiaBox() = default;

std::vector<Mp4IsoBox *> Mp4MdiaBox::children() const
{
  return d->borrowed();
}

void Mp4MdiaBox::parse()
{
  // The handler type is known only once hdlr has been read; a minf that
  // comes first gets 0 and its track reads no sample entry.
  Fourcc handlerType;
  const Fourcc minf(String("minf")), hdlr(String("hdlr"));
  parseChildren(*this, 8, " mdia box contains bad box with name: ", *d,
    [&](Mp4IsoBox *child) {
      if(child->fourcc() != minf)
        return true;
      auto *box = dynamic_cast<Mp4MinfBox *>(child);
      if(box)
        box->setHandlerType(handlerType);
      return box != nullptr;
    },
    [&](Mp4IsoBox *child) {
      if(child->fourcc() != hdlr)
        return true;
      auto *box = dynamic_cast<Mp4HdlrBox *>(child);
      if(box)
        handlerType = box->hdlr_type();
      return box != nullptr;
    });
}

class Mp4MinfBox::Mp4MinfBoxPrivate : public ChildBoxes
{
public:
  Fourcc handlerType;
};

Mp4MinfBox::Mp4MinfBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoBox(file, fourcc, size, offset), d(std::make_unique<Mp4MinfBoxPrivate>())
{
}

Mp4MinfBox::~Mp4MinfBox() = default;

std::vector<Mp4IsoBox *> Mp4MinfBox::children() const
{
  return d->borrowed();
}

void Mp4MinfBox::setHandlerType(Fourcc handlerType)
{
  d->handlerType = handlerType;
}

Fourcc Mp4MinfBox::handlerType() const
{
  return d->handlerType;
}

void Mp4MinfBox::parse()
{
  const Fourcc stbl(String("stbl"));
  parseChildren(*this, 8, " minf box contains bad box with name: ", *d,
    [&](Mp4IsoBox *child) {
      if(child->fourcc() != stbl)
        return true;
      auto *box = dynamic_cast<Mp4StblBox *>(child);
      if(box)
        box->setHandlerType(d->handlerType);
      return box != nullptr;
    });
}

class Mp4StblBox::Mp4StblBoxPrivate : public ChildBoxes
{
public:
  Fourcc handlerType;
};

Mp4StblBox::Mp4StblBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoBox(file, fourcc, size, offset), d(std::make_unique<Mp4StblBoxPrivate>())
{
}

Mp4StblBox::~Mp4StblBox() = default;

std::vector<Mp4IsoBox *> Mp4StblBox::children() const
{
  return d->borrowed();
}

void Mp4StblBox::setHandlerType(Fourcc handlerType)
{
  d->handlerType = handlerType;
}

Fourcc Mp4StblBox::handlerType() const
{
  return d->handlerType;
}

void Mp4StblBox::parse()
{
  const Fourcc stsd(String("stsd"));
  parseChildren(*this, 8, " stbl box contains bad box with name: ", *d,
    [&](Mp4IsoBox *child) {
      if(child->fourcc() != stsd)
        return true;
      auto *box = dynamic_cast<Mp4StsdBox *>(child);
      if(box)
        box->setHandlerType(d->handlerType);
      return box != nullptr;
    });
}

class Mp4UdtaBox::Mp4UdtaBoxPrivate : public ChildBoxes
{};

Mp4UdtaBox::Mp4UdtaBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoBox(file, fourcc, size, offset), d(std::make_unique<Mp4UdtaBoxPrivate>())
{
}

Mp4UdtaBox::~Mp4UdtaBox() = default;

std::vector<Mp4IsoBox *> Mp4UdtaBox::children() const
{
  return d->borrowed();
}

void Mp4UdtaBox::parse()
{
  parseChildren(*this, 8, " udta box contains bad box with name: ", *d);
}

class Mp4MetaBox::Mp4MetaBoxPrivate : public ChildBoxes
{};

Mp4MetaBox::Mp4MetaBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoFullBox(file, fourcc, size, offset), d(std::make_unique<Mp4MetaBoxPrivate>())
{
}

Mp4MetaBox::~Mp4MetaBox() = default;

std::vector<Mp4IsoBox *> Mp4MetaBox::children() const
{
  return d->borrowed();
}

void Mp4MetaBox::parse()
{
  parseChildren(*this, 12, " meta box contains bad box with name: ", *d);
}

class Mp4IlstBox::Mp4IlstBoxPrivate : public ChildBoxes
{};

Mp4IlstBox::Mp4IlstBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoBox(file, fourcc, size, offset), d(std::make_unique<Mp4IlstBoxPrivate>())
{
}

Mp4IlstBox::~Mp4IlstBox() = default;

std::vector<Mp4IsoBox *> Mp4IlstBox::children() const
{
  return d->borrowed();
}

void Mp4IlstBox::parse()
{
  parseChildren(*this, 8, " ilst box contains bad box with name: ", *d);
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
