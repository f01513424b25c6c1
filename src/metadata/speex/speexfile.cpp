#include "speexfile.h"

#include "common/fdstream.h"
#include "common/tagpictures.h"

namespace TagLib {
namespace Speex {
inline namespace BRENVO_NS {

namespace {

// The first eight bytes of every Speex header packet.
const ByteVector headerId("Speex   ", 8);

/*!
 * The stream the Ogg layer sees: every call goes to the stream underneath,
 * except writes once that stream has failed. The Ogg layer goes on
 * renumbering the following pages after a failed insert, at offsets that no
 * longer describe the file.
 */
class StopAtFailureStream : public CheckedStream
{
public:
  //! Borrows \a stream.
  explicit StopAtFailureStream(IOStream *stream) : inner(stream) {}
  //! Owns \a stream.
  explicit StopAtFailureStream(std::unique_ptr<IOStream> stream) : inner(stream.get()), owner(std::move(stream)) {}

  FileName name() const override { return inner ? inner->name() : FileName(""); }
  ByteVector readBlock(unsigned long length) override { return inner ? inner->readBlock(length) : ByteVector(); }
  void writeBlock(const ByteVector &data) override
  {
    if(writable())
      inner->writeBlock(data);
  }
  void insert(const ByteVector &data, unsigned long start, unsigned long replace) override
  {
    if(writable())
      inner->insert(data, start, replace);
  }
  void removeBlock(unsigned long start, unsigned long length) override
  {
    if(writable())
      inner->removeBlock(start, length);
  }
  bool readOnly() const override { return !inner || inner->readOnly(); }
  bool isOpen() const override { return inner && inner->isOpen(); }
  void seek(long offset, Position p) override
  {
    if(inner)
      inner->seek(offset, p);
  }
  void clear() override
  {
    if(inner)
      inner->clear();
  }
  long tell() const override { return inner ? inner->tell() : 0; }
  long length() override { return inner ? inner->length() : 0; }
  void truncate(long length) override
  {
    if(writable())
      inner->truncate(length);
  }

  bool failed() const override { return streamFailed(inner); }
  void clearFailure() override { clearStreamFailure(inner); }

private:
  bool writable() const { return inner && !streamFailed(inner); }

  IOStream *inner;
  std::unique_ptr<IOStream> owner;
};

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
  // What the Ogg layer reads and writes through.
  std::unique_ptr<IOStream> stream;
  std::unique_ptr<Ogg::XiphComment> comment;
  std::unique_ptr<Properties> properties;
  // The Ogg layer cannot add a packet, so a stream that ends after its header
  // has no comment packet for save() to replace.
  bool hasCommentPacket = false;
};

File::File(FileName fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(std::make_unique<StopAtFailureStream>(std::make_unique<DescriptorStream>(fileName)),
       readProperties, propertiesStyle)
{
}

File::File(IOStream *stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(std::make_unique<StopAtFailureStream>(stream), readProperties, propertiesStyle)
{
}

File::File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  Ogg::File(stream.get()),
  d(std::make_unique<FilePrivate>())
{
  d->stream = std::move(stream);
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
  // The Ogg layer answers true whatever its writes did.
  clearStreamFailure(d->stream.get());
  setPacket(1, d->comment->render());
  return Ogg::File::save() && !streamFailed(d->stream.get());
}

void File::read(bool readProperties, AudioProperties::ReadStyle propertiesStyle)
{
  clearStreamFailure(d->stream.get());
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

  // The Ogg layer takes a failed read for the end of the stream: what it
  // gave may be missing pages or packets.
  if(streamFailed(d->stream.get())) {
    d->comment.reset();
    d->properties.reset();
    setValid(false);
  }
}

PropertyMap File::properties() const
{
  return d->comment ? d->comment->properties() : PropertyMap();
}

PropertyMap File::setProperties(const PropertyMap &properties)
{
  return d->comment ? d->comment->setProperties(properties) : properties;
}

void File::removeUnsupportedProperties(const StringList &properties)
{
  // Every field of a Xiph comment is text: nothing is unsupported.
  (void)properties;
}

Plugins::PictureList File::pictures() const
{
  return xiphPictures(d->comment.get());
}

bool File::setPictures(const Plugins::PictureList &pictures)
{
  if(!d->comment)
    return false;
  setXiphPictures(d->comment.get(), pictures);
  return true;
}

} // namespace BRENVO_NS
} // namespace Speex
} // namespace TagLib
