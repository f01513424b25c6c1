#include "presentedtags.h"

namespace TagLib {
inline namespace BRENVO_NS {

long findID3v1Tag(File &file, long notBefore)
{
  if(!file.isValid())
    return -1;
  const long location = file.length() - id3v1TagSize;
  if(location < 0 || location < notBefore)
    return -1;
  file.seek(location);
  return file.readBlock(3) == ID3v1::Tag::fileIdentifier() ? location : -1;
}

namespace {

// An ID3v1 tag read from rendered bytes rather than from a file.
class RenderedID3v1 : public ID3v1::Tag
{
public:
  explicit RenderedID3v1(const ByteVector &data) { parse(data); }
};

} // namespace

bool id3v1Holds(const Tag &presented, const ID3v1::Tag &id3v1)
{
  const RenderedID3v1 kept(id3v1.render());
  return kept.title() == presented.title() && kept.artist() == presented.artist() &&
         kept.album() == presented.album() && kept.comment() == presented.comment() &&
         kept.genre() == presented.genre() && kept.year() == presented.year() && kept.track() == presented.track();
}

} // namespace BRENVO_NS
} // namespace TagLib
