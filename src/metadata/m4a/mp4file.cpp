#include "mp4file.h"

#include <algorithm>

#include "boxfactory.h"
#include "common/bytecursor.h"
#include "common/fdstream.h"
#include "mp4audioproperties.h"
#include "mp4isobox.h"
#include "mp4itemlistwriter.h"
#include "mp4items.h"
#include "mp4propsproxy.h"
#include "mp4tagsproxy.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class File::FilePrivate
{
public:
  // The stream this object opened itself (null for a borrowed one); first,
  // so that it is closed last.
  std::unique_ptr<TagLib::IOStream> owned;
  TagLib::IOStream *stream = nullptr;
  std::vector<std::unique_ptr<Mp4IsoBox>> boxes;
  BoxFactory factory;
  Mp4TagsProxy tagsProxy;
  Mp4PropsProxy propsProxy;
  Tag tag;
  AudioProperties properties;
  long length = 0;
  // The codes of the container boxes being parsed inside each other.
  std::vector<Fourcc> containers;
  // A read failed: the items may not be the file's, so nothing is saved.
  bool readFailed = false;

  // Reads the box tree and gives the tag its items.
  void read(File &file);
  void readTopLevel(File &file);
  // Reads exactly \a count (at most 8) bytes as a big-endian number; false,
  // leaving \a value alone, when the file ends first.
  template <class Value>
  bool readNumber(unsigned int count, Value &value);
};

void File::FilePrivate::read(File &file)
{
  boxes.clear();
  propsProxy.clear();
  tagsProxy.clear();
  clearStreamFailure(stream);
  if(stream && stream->isOpen())
    readTopLevel(file);
  readFailed = streamFailed(stream);
  fillTagFromProxy(tagsProxy, tag);
}

void File::FilePrivate::readTopLevel(File &file)
{
  length = stream->length();
  stream->seek(0);
  for(;;) {
    const long start = stream->tell();
    unsigned int size = 0;
    Fourcc code;
    // The box's size and where its content starts.
    unsigned long long boxSize = 0;
    long content = start + 8;
    if(file.readSizeAndType(size, code))
      boxSize = size;
    else {
      // A 64-bit size (large media data) or a last box running to the end
      // of the file.
      stream->seek(start);
      ByteCursor header(stream->readBlock(16));
      const std::uint32_t small = header.u32be();
      code = header.u32be();
      if(small == 1) {
        boxSize = header.u64be();
        content = start + 16;
      }
      else if(small == 0)
        boxSize = static_cast<unsigned long long>(length - start);
      if(!header.ok() || boxSize < static_cast<unsigned long long>(content - start) ||
         boxSize > static_cast<unsigned long long>(length - start))
        break;
    }
    // The boxes take a 32-bit size counted from an 8-byte header; a bigger
    // box (media data only, in practice) is passed over.
    const unsigned long long asRead = boxSize - static_cast<unsigned long long>(content - start - 8);
    if(asRead <= 0xFFFFFFFFu) {
      std::unique_ptr<Mp4IsoBox> box(factory.createInstance(&file, code, static_cast<unsigned int>(asRead), content));
      box->parsebox();
      boxes.push_back(std::move(box));
    }
    // Go on at the box's declared end, wherever its parsing stopped; a box
    // that claims more than the file holds ends the loop there.
    stream->seek(start + static_cast<long>(boxSize));
  }
}

template <class Value>
bool File::FilePrivate::readNumber(unsigned int count, Value &value)
{
  if(!stream)
    return false;
  // Served from the stream's read-ahead window: no system call of its own.
  ByteCursor number(stream->readBlock(count));
  const std::uint64_t read = number.uintBE(count);
  if(!number.ok())
    return false;
  value = static_cast<Value>(read);
  return true;
}

File::File(FileName file, bool, TagLib::AudioProperties::ReadStyle)
  : File(std::make_unique<DescriptorStream>(file), nullptr)
{
}

File::File(TagLib::IOStream *stream, bool, TagLib::AudioProperties::ReadStyle)
  : File(std::unique_ptr<TagLib::IOStream>(), stream)
{
}

File::File(std::unique_ptr<TagLib::IOStream> owned, TagLib::IOStream *stream)
  : TagLib::File(owned ? owned.get() : stream), d(std::make_unique<FilePrivate>())
{
  d->stream = owned ? owned.get() : stream;
  d->owned = std::move(owned);
  d->read(*this);
}

File::~File()
{
  // The boxes go first: the proxies only point into them.
  d->boxes.clear();
}

Tag *File::tag() const
{
  return &d->tag;
}

TagLib::AudioProperties *File::audioProperties() const
{
  d->properties.setProxy(&d->propsProxy);
  return &d->properties;
}

bool File::save()
{
  // The writer refuses a read-only stream itself.
  if(!d->stream || d->readFailed)
    return false;
  ByteVector items;
  for(const Mp4Item &item : tagItems(d->tag).items())
    items.append(item.render());
  Mp4ItemListWriter writer(d->stream, d->tagsProxy.itemListOffset());
  if(!writer.write(items))
    return false;
  // The boxes moved: read them again, so that a later save starts from the file as it is.
  d->read(*this);
  return true;
}

void File::remove()
{
  tagItems(d->tag) = Mp4ItemList();
}

Mp4TagsProxy *File::tagProxy() const
{
  return &d->tagsProxy;
}

Mp4PropsProxy *File::propProxy() const
{
  return &d->propsProxy;
}

bool File::readFourcc(Fourcc &fourcc)
{
  unsigned int value = 0;
  if(!d->readNumber(4, value))
    return false;
  fourcc = value;
  return true;
}

bool File::readByte(unsigned int &byte)
{
  return d->readNumber(1, byte);
}

bool File::readShort(unsigned int &value)
{
  return d->readNumber(2, value);
}

bool File::readInt(unsigned int &value)
{
  return d->readNumber(4, value);
}

bool File::readLongLong(unsigned long long &value)
{
  return d->readNumber(8, value);
}

bool File::readSizeAndType(unsigned int &size, Fourcc &type)
{
  // One read of both halves: a short first half leaves the position where
  // reading them one by one would, at the end of the file.
  unsigned long long header = 0;
  if(!d->readNumber(8, header))
    return false;
  size = static_cast<unsigned int>(header >> 32);
  if(size < 8)
    return false;
  type = static_cast<unsigned int>(header & 0xFFFFFFFFu);
  return true;
}

unsigned int File::readSystemsLen()
{
  return readSystemsLen(d->length);
}

unsigned int File::readSystemsLen(long end)
{
  unsigned int value = 0;
  for(int count = 0; count < 4; ++count) {
    unsigned int byte = 0;
    if(tell() >= end || !readByte(byte))
      break;
    value = (value << 7) | (byte & 0x7F);
    if(!(byte & 0x80))
      break;
  }
  return value;
}

ByteVector File::readAvailable(unsigned long count)
{
  const long position = d->stream ? d->stream->tell() : -1;
  if(position < 0 || position >= d->length || count == 0)
    return ByteVector();
  return d->stream->readBlock(std::min(count, static_cast<unsigned long>(d->length - position)));
}

Mp4NestingGuard::Mp4NestingGuard(MP4::File &file, Fourcc code) : m_file(file)
{
  m_file.d->containers.push_back(code);
}

Mp4NestingGuard::~Mp4NestingGuard()
{
  m_file.d->containers.pop_back();
}

bool Mp4NestingGuard::allowed() const
{
  return m_file.d->containers.size() <= static_cast<std::size_t>(maxDepth);
}

const std::vector<Fourcc> &Mp4NestingGuard::path() const
{
  return m_file.d->containers;
}

PropertyMap File::properties() const
{
  return d->tag.properties();
}

PropertyMap File::setProperties(const PropertyMap &properties)
{
  return d->tag.setProperties(properties);
}

void File::removeUnsupportedProperties(const StringList &properties)
{
  d->tag.removeUnsupportedProperties(properties);
}

Plugins::PictureList File::pictures() const
{
  return d->tag.pictures();
}

bool File::setPictures(const Plugins::PictureList &pictures)
{
  d->tag.setPictures(pictures);
  return true;
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
