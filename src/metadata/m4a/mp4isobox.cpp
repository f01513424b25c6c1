#include "mp4isobox.h"

#include <algorithm>

#include "mp4file.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

Mp4IsoBox::Mp4IsoBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : m_file(file), m_mp4(dynamic_cast<MP4::File *>(file)), m_fourcc(fourcc), m_size(size), m_offset(offset)
{
}

long Mp4IsoBox::endOffset() const
{
  // A size below the header's 8 bytes is refused when headers are read; a
  // box built with one anyway ends where its content would start.
  return m_size < 8 ? m_offset : m_offset + static_cast<long>(m_size) - 8;
}

void Mp4IsoBox::parsebox()
{
  if(m_file)
    m_file->seek(m_offset);
  parse();
}

bool Mp4IsoBox::hasRoom(unsigned long count) const
{
  if(!m_file)
    return false;
  const long position = m_file->tell();
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

void Mp4IsoFullBox::parsebox()
{
  MP4::File *mp4 = mp4file();
  if(mp4) {
    mp4->seek(offset());
    unsigned int versionAndFlags = 0;
    // A box too small to hold them, or a file that ends first, leaves both 0.
    if(hasRoom(4) && mp4->readInt(versionAndFlags)) {
      m_version = static_cast<unsigned char>(versionAndFlags >> 24);
      m_flags = versionAndFlags & 0xFFFFFF;
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
