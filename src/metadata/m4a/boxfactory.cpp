#include "boxfactory.h"

#include "mp4containerboxes.h"
#include "mp4file.h"
#include "mp4trackboxes.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

namespace {

using Maker = Mp4IsoBox *(*)(TagLib::File *, Fourcc, unsigned int, long);

template <class Box>
Mp4IsoBox *make(TagLib::File *file, Fourcc code, unsigned int size, long offset)
{
  return new Box(file, code, size, offset);
}

struct FactoryRow
{
  const char *code;
  Maker maker;
};

// The item list reads its items itself (Mp4IlstBox).
const FactoryRow factoryTable[] = {
  {"moov", &make<Mp4MoovBox>},
  {"trak", &make<Mp4TrakBox>},
  {"mdia", &make<Mp4MdiaBox>},
  {"minf", &make<Mp4MinfBox>},
  {"stbl", &make<Mp4StblBox>},
  {"mvhd", &make<Mp4MvhdBox>},
  {"hdlr", &make<Mp4HdlrBox>},
  {"stsd", &make<Mp4StsdBox>},
  {"udta", &make<Mp4UdtaBox>},
  {"meta", &make<Mp4MetaBox>},
  {"ilst", &make<Mp4IlstBox>},
};

// The code of a four-character text, its first byte most significant.
// Computed from the bytes: a String per row and box was most of the cost
// of opening a file.
constexpr unsigned int codeOf(const char *text)
{
  return (static_cast<unsigned int>(static_cast<unsigned char>(text[0])) << 24) |
         (static_cast<unsigned int>(static_cast<unsigned char>(text[1])) << 16) |
         (static_cast<unsigned int>(static_cast<unsigned char>(text[2])) << 8) |
         static_cast<unsigned int>(static_cast<unsigned char>(text[3]));
}

} // namespace

Mp4IsoBox *BoxFactory::createInstance(TagLib::File *file, Fourcc code, unsigned int size,
                                      long offset) const
{
  if(!dynamic_cast<MP4::File *>(file))
    return nullptr;
  for(const FactoryRow &row : factoryTable) {
    if(code == codeOf(row.code))
      return row.maker(file, code, size, offset);
  }
  return new Mp4SkipBox(file, code, size, offset);
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
