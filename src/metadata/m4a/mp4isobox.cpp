#include "mp4isobox.h"

#include <algorithm>

#include "mp4file.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Mp4IsoBox::Mp4IsoBoxPrivate
{
public:
  TagLib::File *file = nullptr;
  // The same file when it is an MP4 file, else null.
  MP4::File *mp4 = nullptr;
  Fourcc fourcc;
  unsigned int size = 0;
  long offset = 0;
};

Mp4IsoBox::Mp4IsoBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : d(std::make_unique<Mp4IsoBoxPrivate>())
{
  d->file = file;
  d->mp4 = dynamic_cast<MP4::File *>(file);
  d->fourcc = fourcc;
  d->size = size;
  d->offset = offset;
}

Mp4IsoBox::~Mp4IsoBox() = default;

Fourcc Mp4IsoBox::fourcc() const { return d->fourcc; }
unsigned int Mp4IsoBox::size() const { return d->size; }
long Mp4IsoBox::offset() const { return d->offset; }
TagLib::File *Mp4IsoBox::file() const { return d->file; }
MP4::File *Mp4IsoBox::mp4file() const { return d->mp4; }

long Mp4IsoBox::endOffset() const
{
  // A size below the header's 8 bytes is refused when headers are read; a
  // box built with one anyway ends where its content would start.
  return d->size < 8 ? d->offset : d->offset + static_cast<long>(d->size) - 8;
}

void Mp4IsoBox::parsebox()
{
  if(d->file)
    d->file->seek(d->offset);
  parse();
}

bool Mp4IsoBox::hasRoom(unsigned long count) const
{
  if(!d->file)
    return false;
  const long position = d->file->tell();
  return position >= 0 && position <= endOffset() &&
         count <= static_cast<unsigned long>(endOffset() - position);
}

ByteVector Mp4IsoBox::readContent(unsigned long count) const
{
  MP4::File *mp4 = mp4file();
  if(!mp4)
    return ByteVector();
  const long position = mp4->tell();
  if(position < 0 || position >= endOffset())
    return ByteVector();
  return mp4->readAvailable(std::min(count, static_cast<unsigned long>(endOffset() - position)));
}

class Mp4IsoFullBox::Mp4IsoFullBoxPrivate
{
public:
  unsigned char version = 0;
  unsigned int flags = 0;
};

Mp4IsoFullBox::Mp4IsoFullBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoBox(file, fourcc, size, offset), d(std::make_unique<Mp4IsoFullBoxPrivate>())
{
}

Mp4IsoFullBox::~Mp4IsoFullBox() = default;

unsigned char Mp4IsoFullBox::version() const { return d->version; }
unsigned int Mp4IsoFullBox::flags() const { return d->flags; }

void Mp4IsoFullBox::parsebox()
{
  MP4::File *mp4 = mp4file();
  if(mp4) {
    mp4->seek(offset());
    unsigned int versionAndFlags = 0;
    // A box too small to hold them, or a file that ends first, leaves both 0.
    if(hasRoom(4) && mp4->readInt(versionAndFlags)) {
      d->version = static_cast<unsigned char>(versionAndFlags >> 24);
      d->flags = versionAndFlags & 0xFFFFFF;
    }
  }
  parse();
}

void Mp4SkipBox::parse()
{
  if(file() && size() >= 8)
    file()->seek(static_cast<long>(size()) - 8, TagLib::File::Current);
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
