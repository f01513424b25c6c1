#include "ttafile.h"

#include <id3v1tag.h>
#include <id3v2framefactory.h>
#include <id3v2header.h>
#include <id3v2tag.h>

#include "common/presentedtags.h"

namespace TagLib {
namespace TTA {
inline namespace BRENVO_NS {

class File::FilePrivate
{
public:
  explicit FilePrivate(const ID3v2::FrameFactory *factory) : frameFactory(factory) {}

  const ID3v2::FrameFactory *frameFactory;
  // The locations, the ID3v2 size and the has-flags describe the file on
  // disk as last read or saved, not the tags in memory.
  long id3v2Location = -1;
  unsigned int id3v2Size = 0;
  long id3v1Location = -1;
  std::unique_ptr<Properties> properties;
  PresentedTags<ID3v2::Tag> tags;
  bool hasID3v1 = false;
  bool hasID3v2 = false;
};

File::File(FileName file, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(file, ID3v2::FrameFactory::instance(), readProperties, propertiesStyle)
{
}

File::File(FileName file, const ID3v2::FrameFactory *frameFactory, bool readProperties,
           AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(file),
  d(std::make_unique<FilePrivate>(frameFactory))
{
  if(isOpen())
    read(readProperties, propertiesStyle);
}

File::~File() = default;

void File::setID3v2FrameFactory(const ID3v2::FrameFactory *factory)
{
  d->frameFactory = factory;
}

TagLib::Tag *File::tag() const
{
  return d->tags.presented();
}

Properties *File::audioProperties() const
{
  return d->properties.get();
}

ID3v2::Tag *File::ID3v2Tag(bool create)
{
  return d->tags.richTag(create);
}

ID3v1::Tag *File::ID3v1Tag(bool create)
{
  return d->tags.id3v1Tag(create);
}

void File::remove(int tags)
{
  d->tags.remove(tags & ID3v1Bit, tags & ID3v2Bit);
}

bool File::save()
{
  if(readOnly())
    return false;

  // ID3v2 first: changing it moves everything after it, the ID3v1 tag too.
  if(ID3v2::Tag *id3v2 = d->tags.rich()) {
    if(!d->hasID3v2) {
      d->id3v2Location = 0;
      d->id3v2Size = 0;
    }
    const ByteVector data = id3v2->render();
    insert(data, d->id3v2Location, d->id3v2Size);
    d->hasID3v2 = true;
    if(d->hasID3v1)
      d->id3v1Location += static_cast<long>(data.size()) - static_cast<long>(d->id3v2Size);
    d->id3v2Size = data.size();
  }
  else if(d->hasID3v2) {
    removeBlock(d->id3v2Location, d->id3v2Size);
    d->hasID3v2 = false;
    if(d->hasID3v1)
      d->id3v1Location -= d->id3v2Size;
  }

  if(ID3v1::Tag *id3v1 = d->tags.id3v1()) {
    if(d->hasID3v1) {
      seek(d->id3v1Location);
    }
    else {
      seek(0, End);
      d->id3v1Location = tell();
    }
    writeBlock(id3v1->render());
    d->hasID3v1 = true;
  }
  else if(d->hasID3v1) {
    removeBlock(d->id3v1Location, id3v1TagSize);
    d->hasID3v1 = false;
  }

  return true;
}

void File::read(bool readProperties, AudioProperties::ReadStyle)
{
  std::unique_ptr<ID3v2::Tag> id3v2;
  d->id3v2Location = findID3v2();
  if(d->id3v2Location >= 0) {
    id3v2 = std::make_unique<ID3v2::Tag>(this, d->id3v2Location, d->frameFactory);
    d->id3v2Size = id3v2->header()->completeTagSize();
    // A header without a body is not a tag, though its bytes stay in front of
    // the stream.
    if(id3v2->header()->tagSize() == 0)
      id3v2.reset();
    else
      d->hasID3v2 = true;
  }

  std::unique_ptr<ID3v1::Tag> id3v1;
  d->id3v1Location = findID3v1();
  if(d->id3v1Location >= 0) {
    id3v1 = std::make_unique<ID3v1::Tag>(this, d->id3v1Location);
    d->hasID3v1 = true;
  }

  d->tags.adopt(std::move(id3v2), std::move(id3v1));

  if(readProperties) {
    seek(d->id3v2Size);
    const ByteVector block = readBlock(Properties::headerSize);
    // The properties always read averagely: there is nothing more to scan.
    d->properties = std::make_unique<Properties>(block, length() - static_cast<long>(d->id3v2Size));
  }
}

long File::findID3v2()
{
  if(!isValid())
    return -1;
  seek(0);
  const ByteVector headerData = readBlock(ID3v2::Header::size());
  if(!headerData.startsWith(ID3v2::Header::fileIdentifier()))
    return -1;
  // A tag said to run past the end of the file is no tag: save() would
  // replace audio bytes with it.
  if(headerData.size() < ID3v2::Header::size() ||
     ID3v2::Header(headerData).completeTagSize() > static_cast<unsigned long>(length()))
    return -1;
  return 0;
}

long File::findID3v1()
{
  // The last 128 bytes of a short file may lie inside the ID3v2 tag (or the
  // bytes of an empty ID3v2 header); they are not an ID3v1 tag then.
  return findID3v1Tag(*this, static_cast<long>(d->id3v2Size));
}

} // namespace BRENVO_NS
} // namespace TTA
} // namespace TagLib
