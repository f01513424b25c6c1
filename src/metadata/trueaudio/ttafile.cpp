#include "ttafile.h"

#include <id3v1tag.h>
#include <id3v2framefactory.h>
#include <id3v2header.h>
#include <id3v2tag.h>

#include "common/fdstream.h"
#include "common/presentedtags.h"
#include "common/tagblocks.h"
#include "common/tagpictures.h"

namespace TagLib {
namespace TTA {
inline namespace BRENVO_NS {

class File::FilePrivate
{
public:
  FilePrivate(IOStream *fileStream, const ID3v2::FrameFactory *factory) :
    stream(fileStream), frameFactory(factory), layout(fileStream)
  {
    layout.track(&id3v2);
    layout.track(&id3v1);
  }
  FilePrivate(const FilePrivate &) = delete;
  FilePrivate &operator=(const FilePrivate &) = delete;

  // Set only when the file opened the stream itself.
  std::unique_ptr<IOStream> ownedStream;
  IOStream *stream;
  const ID3v2::FrameFactory *frameFactory;
  // The blocks describe the file on disk as last read or saved, not the tags in memory.
  TagBlock id3v2;
  TagBlock id3v1;
  TagBlockLayout layout;
  // The bytes in front of the TTA stream: the ID3v2 tag, or a header without a body.
  long streamStart = 0;
  std::unique_ptr<Properties> properties;
  PresentedTags<ID3v2::Tag> tags;
};

File::File(FileName file, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(file, ID3v2::FrameFactory::instance(), readProperties, propertiesStyle)
{
}

File::File(FileName file, const ID3v2::FrameFactory *frameFactory, bool readProperties,
           AudioProperties::ReadStyle propertiesStyle) :
  File(std::make_unique<DescriptorStream>(file), frameFactory, readProperties, propertiesStyle)
{
}

File::File(std::unique_ptr<IOStream> stream, const ID3v2::FrameFactory *frameFactory, bool readProperties,
           AudioProperties::ReadStyle propertiesStyle) :
  File(stream.get(), frameFactory, readProperties, propertiesStyle)
{
  d->ownedStream = std::move(stream);
}

File::File(IOStream *stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(stream, ID3v2::FrameFactory::instance(), readProperties, propertiesStyle)
{
}

File::File(IOStream *stream, const ID3v2::FrameFactory *frameFactory, bool readProperties,
           AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(stream),
  d(std::make_unique<FilePrivate>(stream, frameFactory))
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
  if(readOnly() || !isValid())
    return false;

  // ID3v2 first: changing it moves everything after it, the ID3v1 tag too.
  bool written = true;
  if(ID3v2::Tag *id3v2 = d->tags.richTagToSave())
    written = d->layout.write(d->id3v2, id3v2->render(), 0);
  else
    written = d->layout.remove(d->id3v2);
  if(!written)
    return false;

  if(ID3v1::Tag *id3v1 = d->tags.id3v1())
    return d->layout.writeAtEnd(d->id3v1, id3v1->render());
  return d->layout.remove(d->id3v1);
}

void File::read(bool readProperties, AudioProperties::ReadStyle)
{
  std::unique_ptr<ID3v2::Tag> id3v2;
  if(findID3v2() >= 0) {
    id3v2 = std::make_unique<ID3v2::Tag>(this, 0, d->frameFactory);
    d->streamStart = static_cast<long>(id3v2->header()->completeTagSize());
    // A header without a body is not a tag, though its bytes stay in front of
    // the stream.
    if(id3v2->header()->tagSize() == 0)
      id3v2.reset();
    else
      d->id3v2 = TagBlock{0, d->streamStart};
  }

  std::unique_ptr<ID3v1::Tag> id3v1;
  const long id3v1Location = findID3v1();
  if(id3v1Location >= 0) {
    id3v1 = std::make_unique<ID3v1::Tag>(this, id3v1Location);
    d->id3v1 = TagBlock{id3v1Location, id3v1TagSize};
  }

  d->tags.adopt(std::move(id3v2), std::move(id3v1));

  if(readProperties) {
    seek(d->streamStart);
    const ByteVector block = readBlock(Properties::headerSize);
    // The properties always read averagely: there is nothing more to scan.
    // The bit rate counts the stream alone, without the tags at either end.
    const long streamEnd = d->id3v1.exists() ? d->id3v1.offset : length();
    d->properties = std::make_unique<Properties>(block, streamEnd - d->streamStart);
  }
  // What was read may be wrong: a save must not write it over the file.
  if(streamFailed(d->stream))
    setValid(false);
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
  return findID3v1Tag(*this, d->streamStart);
}

PropertyMap File::properties() const
{
  return d->tags.properties();
}

PropertyMap File::setProperties(const PropertyMap &properties)
{
  return d->tags.setProperties(properties);
}

void File::removeUnsupportedProperties(const StringList &properties)
{
  d->tags.removeUnsupportedProperties(properties);
}

Plugins::PictureList File::pictures() const
{
  return id3v2Pictures(d->tags.rich());
}

bool File::setPictures(const Plugins::PictureList &pictures)
{
  setID3v2Pictures(d->tags.richTag(true), pictures);
  return true;
}

} // namespace BRENVO_NS
} // namespace TTA
} // namespace TagLib
