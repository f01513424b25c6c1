#include "itunesboxes.h"

#include <iostream>

#include "mp4file.h"
#include "mp4items.h"
#include "mp4tagsproxy.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

void Mp4ItemBox::parse()
{
  MP4::File *file = mp4file();
  if(!file)
    return;
  ByteVector box = ByteVector::fromUInt(size());
  box.append(ByteVector::fromUInt(fourcc()));
  box.append(readContent(size() - 8));
  const Mp4Item item = Mp4Item::read(box);
  // Kept all the same, so that it can be written back as it was.
  if(item.values().empty())
    std::cerr << "bad atom in itunes tag - skipping it." << std::endl;
  file->tagProxy()->registerItem(item);
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
