#include "mp4file.h"

#include <algorithm>
#include <vector>

#include "boxfactory.h"
#include "mp4audioproperties.h"
#include "mp4isobox.h"
#include "mp4propsproxy.h"
#include "mp4tagsproxy.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class File::FilePrivate
{
public:
  std::vector<std::unique_ptr<Mp4IsoBox>> boxes;
  BoxFactory factory;
  Mp4TagsProxy tagsProxy;
  Mp4PropsProxy propsProxy;
  Tag tag;
  AudioProperties properties;
  // Known once: asking the stream for its length seeks to its end and back.
  long length = 0;
  // How many container boxes are being parsed inside each other.
  int nesting = 0;
};

File::File(FileName file, bool, TagLib::AudioProperties::ReadStyle)
  : TagLib::File(file), d(std::make_unique<FilePrivate>())
{
  if(isOpen()) {
    d->length = TagLib::File::length();
    seek(0);
    unsigned int size = 0;
    Fourcc code;
    while(readSizeAndType(size, code)) {
      const long offset = tell();
      std::unique_ptr<Mp4IsoBox> box(d->factory.createInstance(this, code, size, offset));
      box->parsebox();
      d->boxes.push_back(std::move(box));
      // Go on at the box's declared end, wherever its parsing stopped; a box
      // that claims more than the file holds ends the loop there.
      seek(offset + static_cast<long>(size) - 8);
    }
  }
  fillTagFromProxy(d->tagsProxy, d->tag);
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
  return false;
}

void File::remove()
{
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
  const ByteVector bytes = readBlock(4);
  if(bytes.size() < 4)
    return false;
  fourcc = bytes.toUInt(0U, true);
  return true;
}

bool File::readByte(unsigned int &byte)
{
  const ByteVector bytes = readBlock(1);
  if(bytes.isEmpty())
    return false;
  byte = static_cast<unsigned char>(bytes[0]);
  return true;
}

bool File::readShort(unsigned int &value)
{
  const ByteVector bytes = readBlock(2);
  if(bytes.size() < 2)
    return false;
  value = bytes.toUShort(0U, true);
  return true;
}

bool File::readInt(unsigned int &value)
{
  const ByteVector bytes = readBlock(4);
  if(bytes.size() < 4)
    return false;
  value = bytes.toUInt(0U, true);
  return true;
}

bool File::readLongLong(unsigned long long &value)
{
  const ByteVector bytes = readBlock(8);
  if(bytes.size() < 8)
    return false;
  value = static_cast<unsigned long long>(bytes.toLongLong(0U, true));
  return true;
}

bool File::readSizeAndType(unsigned int &size, Fourcc &type)
{
  // Both halves are read even when the first comes back short.
  const ByteVector sizeBytes = readBlock(4);
  const ByteVector typeBytes = readBlock(4);
  if(sizeBytes.size() < 4 || typeBytes.size() < 4)
    return false;
  size = sizeBytes.toUInt(0U, true);
  if(size < 8)
    return false;
  type = typeBytes.toUInt(0U, true);
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
  const long position = tell();
  if(position < 0 || position >= d->length || count == 0)
    return ByteVector();
  return readBlock(std::min(count, static_cast<unsigned long>(d->length - position)));
}

Mp4NestingGuard::Mp4NestingGuard(MP4::File &file) : m_file(file)
{
  ++m_file.d->nesting;
}

Mp4NestingGuard::~Mp4NestingGuard()
{
  --m_file.d->nesting;
}

bool Mp4NestingGuard::allowed() const
{
  return m_file.d->nesting <= maxDepth;
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
