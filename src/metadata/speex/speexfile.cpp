#include "speexfile.h"

namespace TagLib {
namespace Speex {
inline namespace BRENVO_NS {

namespace {

// The first eight bytes of every Speex header packet.
const ByteVector headerId("Speex   ", 8);

} // namespace

ByteVector File::readPacket(unsigned int index)
{
  // TagLib 1.13's Ogg layer answers the first request for a packet on the
  // file's last page with an empty packet; the page is then known, and a
  // second request returns the packet.
  ByteVector p = packet(index);
  if(p.isEmpty())
    p = packet(index);
  return p;
}

class File::FilePrivate
{
public:
  std::unique_ptr<Ogg::XiphComment> comment;
  std::unique_ptr<Properties> properties;
  // The Ogg layer cannot add a packet, so a stream that ends after its header
  // has no comment packet for save() to replace.
  bool hasCommentPacket = false;
};

File::File(FileName fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  Ogg::File(fileName),
  d(std::make_unique<FilePrivate>())
{
  if(isOpen())
    read(readProperties, propertiesStyle);
}

File::~File() = default;

Ogg::XiphComment *File::tag() const
{
  return d->comment.get();
}

Properties *File::audioProperties() const
{
  return d->properties.get();
}

bool File::save()
{
  // Writing a comment over packet 1 of some other Ogg stream would corrupt it.
  if(!isValid() || !d->comment || !d->hasCommentPacket || readOnly())
    return false;
  setPacket(1, d->comment->render());
  return Ogg::File::save();
}

void File::read(bool readProperties, AudioProperties::ReadStyle propertiesStyle)
{
  if(!readPacket(0).startsWith(headerId)) {
    // Without a tag the file is of no use to a host (and FileRef would keep it).
    setValid(false);
    return;
  }

  const ByteVector commentPacket = readPacket(1);
  d->hasCommentPacket = !commentPacket.isEmpty();
  d->comment = std::make_unique<Ogg::XiphComment>(commentPacket);

  if(readProperties)
    d->properties = std::make_unique<Properties>(this, propertiesStyle);
}

} // namespace BRENVO_NS
} // namespace Speex
} // namespace TagLib
