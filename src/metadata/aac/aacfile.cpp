#include "aacfile.h"

#include <vector>

#include <apefooter.h>
#include <apetag.h>
#include <id3v1tag.h>
#include <id3v2framefactory.h>
#include <id3v2header.h>
#include <id3v2tag.h>

#include "aacheaders.h"
#include "common/combinedtag.h"
#include "common/fdstream.h"
#include "common/presentedtags.h"
#include "common/tagblocks.h"
#include "common/tagpictures.h"

namespace TagLib {
namespace AAC {
inline namespace BRENVO_NS {

class File::FilePrivate
{
public:
  FilePrivate(IOStream *fileStream, const ID3v2::FrameFactory *factory) :
    stream(fileStream), frameFactory(factory), layout(fileStream)
  {
    layout.track(&id3v2Block);
    layout.track(&apeBlock);
    layout.track(&id3v1Block);
  }
  FilePrivate(const FilePrivate &) = delete;
  FilePrivate &operator=(const FilePrivate &) = delete;

  // Decides what tag() presents: the tags that exist, in the order ID3v2,
  // APE, ID3v1, combined; an empty ID3v2 tag when there is none. A tag made
  // later leaves the tag presented before valid (hosts keep that pointer);
  // strip() invalidates it, as its documentation says.
  void present()
  {
    if(!id3v2 && !ape && !id3v1)
      id3v2 = std::make_unique<ID3v2::Tag>();
    TagLib::Tag *tags[3];
    int count = 0;
    for(TagLib::Tag *tag : {static_cast<TagLib::Tag *>(id3v2.get()), static_cast<TagLib::Tag *>(ape.get()),
                            static_cast<TagLib::Tag *>(id3v1.get())}) {
      if(tag)
        tags[count++] = tag;
    }
    for(std::unique_ptr<CombinedTag> *combined : {&outer, &inner}) {
      if(*combined)
        retired.push_back(std::move(*combined));
    }
    if(count == 1) {
      presented = tags[0];
      return;
    }
    TagLib::Tag *rest = tags[1];
    if(count == 3) {
      inner = std::make_unique<CombinedTag>(tags[1], tags[2]);
      rest = inner.get();
    }
    outer = std::make_unique<CombinedTag>(tags[0], rest);
    presented = outer.get();
  }

  // Where the stream ends: where the tags at the end begin. Their bytes are
  // never taken for audio.
  long streamEnd(long fileLength) const
  {
    if(apeBlock.exists())
      return apeBlock.offset;
    return id3v1Block.exists() ? id3v1Block.offset : fileLength;
  }

  // Set only when the file opened the stream itself.
  std::unique_ptr<IOStream> ownedStream;
  IOStream *stream;
  const ID3v2::FrameFactory *frameFactory;
  // The blocks describe the file on disk as last read or saved, not the tags in memory.
  TagBlock id3v2Block;
  TagBlock apeBlock;
  TagBlock id3v1Block;
  TagBlockLayout layout;
  // The bytes in front of the AAC stream: the ID3v2 tag, or a header without a body.
  long streamStart = 0;
  std::unique_ptr<Properties> properties;
  std::unique_ptr<ID3v2::Tag> id3v2;
  std::unique_ptr<APE::Tag> ape;
  std::unique_ptr<ID3v1::Tag> id3v1;
  // Declared after the tags they borrow, so that they go first.
  std::unique_ptr<CombinedTag> inner;
  std::unique_ptr<CombinedTag> outer;
  // What was presented before a tag was made: at most two for each kind of tag.
  std::vector<std::unique_ptr<CombinedTag>> retired;
  TagLib::Tag *presented = nullptr;
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

TagLib::Tag *File::tag() const
{
  return d->presented;
}

Properties *File::audioProperties() const
{
  return d->properties.get();
}

ID3v2::Tag *File::ID3v2Tag(bool create)
{
  if(create && !d->id3v2) {
    d->id3v2 = std::make_unique<ID3v2::Tag>();
    d->present();
  }
  return d->id3v2.get();
}

APE::Tag *File::APETag(bool create)
{
  if(create && !d->ape) {
    d->ape = std::make_unique<APE::Tag>();
    d->present();
  }
  return d->ape.get();
}

ID3v1::Tag *File::ID3v1Tag(bool create)
{
  if(create && !d->id3v1) {
    d->id3v1 = std::make_unique<ID3v1::Tag>();
    d->present();
  }
  return d->id3v1.get();
}

bool File::hasID3v1Tag() const
{
  return d->id3v1Block.exists();
}

bool File::hasID3v2Tag() const
{
  return d->id3v2Block.exists();
}

bool File::hasAPETag() const
{
  return d->apeBlock.exists();
}

bool File::save()
{
  if(readOnly() || !isValid())
    return false;

  // ID3v2 first: changing it moves everything after it.
  const bool id3v2 = d->id3v2 && !d->id3v2->isEmpty();
  if(!(id3v2 ? d->layout.write(d->id3v2Block, d->id3v2->render(), 0) : d->layout.remove(d->id3v2Block)))
    return false;

  // The APE tag stands before the ID3v1 tag and both end the file: one
  // write replaces them together.
  const bool ape = d->ape && !d->ape->isEmpty();
  const bool id3v1 = d->id3v1 && !d->id3v1->isEmpty();
  return d->layout.writeTail({{&d->apeBlock, ape ? d->ape->render() : ByteVector()},
                              {&d->id3v1Block, id3v1 ? d->id3v1->render() : ByteVector()}});
}

bool File::strip(int tags)
{
  if(readOnly() || !isValid())
    return false;
  bool removed = true;
  if(tags & ID3v2) {
    removed = d->layout.remove(d->id3v2Block) && removed;
    d->id3v2.reset();
  }
  if(tags & APE) {
    removed = d->layout.remove(d->apeBlock) && removed;
    d->ape.reset();
  }
  if(tags & ID3v1) {
    removed = d->layout.remove(d->id3v1Block) && removed;
    d->id3v1.reset();
  }
  d->outer.reset();
  d->inner.reset();
  d->retired.clear();
  d->present();
  return removed;
}

void File::read(bool readProperties, AudioProperties::ReadStyle propertiesStyle)
{
  readID3v2();
  readEndTags();
  long streamOffset = findStream(*this, d->streamStart, d->streamEnd(length()));
  if(streamOffset < 0 && d->streamStart > 0) {
    // An ID3v2 header with no stream behind it is no tag: it may claim the
    // stream and reach into the tags at the end (it does once they grow).
    d->id3v2.reset();
    d->id3v2Block = d->apeBlock = d->id3v1Block = TagBlock();
    d->ape.reset();
    d->id3v1.reset();
    d->streamStart = 0;
    readEndTags();
    streamOffset = findStream(*this, 0, d->streamEnd(length()));
  }
  if(streamOffset < 0 && (d->apeBlock.exists() || d->id3v1Block.exists())) {
    // Nor are tags at the end with no stream in front of them: old tag bytes
    // inside the audio end the file once newer tags are stripped.
    d->apeBlock = d->id3v1Block = TagBlock();
    d->ape.reset();
    d->id3v1.reset();
    streamOffset = findStream(*this, d->streamStart, d->streamEnd(length()));
  }
  d->present();

  if(streamOffset < 0)
    setValid(false);
  else if(readProperties)
    d->properties = std::make_unique<Properties>(this, streamOffset, d->streamEnd(length()), propertiesStyle);

  // What was read may be wrong: a save must not write it over the file.
  if(streamFailed(d->stream))
    setValid(false);
}

void File::readID3v2()
{
  seek(0);
  const ByteVector headerData = readBlock(ID3v2::Header::size());
  if(headerData.size() < ID3v2::Header::size() || !headerData.startsWith(ID3v2::Header::fileIdentifier()))
    return;
  // A tag said to run past the end of the file is no tag: save() would
  // replace audio bytes with it.
  const ID3v2::Header header(headerData);
  if(header.completeTagSize() > static_cast<unsigned long>(length()))
    return;
  d->streamStart = static_cast<long>(header.completeTagSize());
  // A header without a body is not a tag, though its bytes stay in front of
  // the stream.
  if(header.tagSize() == 0)
    return;
  d->id3v2 = std::make_unique<ID3v2::Tag>(this, 0, d->frameFactory);
  d->id3v2Block = TagBlock{0, d->streamStart};
}

void File::readEndTags()
{
  const long footerSize = static_cast<long>(APE::Footer::size());
  // An APE tag that ends the file comes first: the "TAG" 128 bytes before
  // the end then lies inside it, and is no ID3v1 tag.
  long footerLocation = checkAPEFooter(length() - footerSize);
  if(footerLocation < 0) {
    readID3v1();
    if(!d->id3v1Block.exists())
      return;
    // An APE tag may stand before the ID3v1 tag.
    footerLocation = checkAPEFooter(d->id3v1Block.offset - footerSize);
    if(footerLocation < 0)
      return;
  }
  d->ape = std::make_unique<APE::Tag>(this, footerLocation);
  const long size = static_cast<long>(d->ape->footer()->completeTagSize());
  d->apeBlock = TagBlock{footerLocation + footerSize - size, size};
}

void File::readID3v1()
{
  // The last 128 bytes of a short file may lie inside the ID3v2 tag.
  const long location = findID3v1Tag(*this, d->streamStart);
  if(location < 0)
    return;
  d->id3v1 = std::make_unique<ID3v1::Tag>(this, location);
  d->id3v1Block = TagBlock{location, id3v1TagSize};
}

long File::checkAPEFooter(long footerLocation)
{
  if(footerLocation < d->streamStart)
    return -1;
  seek(footerLocation);
  const ByteVector footerData = readBlock(APE::Footer::size());
  if(footerData.size() < APE::Footer::size() || !footerData.startsWith(APE::Tag::fileIdentifier()))
    return -1;
  // The whole tag must lie between the ID3v2 tag and the footer's end; a tag
  // said to be larger would make save() replace audio bytes. (A size that
  // wraps when the header is added is as false as a large one.)
  const APE::Footer footer(footerData);
  const unsigned long room = static_cast<unsigned long>(footerLocation + static_cast<long>(APE::Footer::size()) - d->streamStart);
  if(footer.tagSize() < APE::Footer::size() || footer.completeTagSize() < footer.tagSize() ||
     footer.completeTagSize() > room)
    return -1;
  // A header the footer announces must be there: else its bytes are audio.
  if(footer.headerPresent()) {
    seek(footerLocation + static_cast<long>(APE::Footer::size()) - static_cast<long>(footer.completeTagSize()));
    if(!readBlock(8).startsWith(APE::Tag::fileIdentifier()))
      return -1;
  }
  return footerLocation;
}

PropertyMap File::properties() const
{
  // The first tag that holds anything, as TagLib presents an MPEG file's.
  if(d->id3v2 && !d->id3v2->isEmpty())
    return d->id3v2->properties();
  if(d->ape && !d->ape->isEmpty())
    return d->ape->properties();
  if(d->id3v1 && !d->id3v1->isEmpty())
    return d->id3v1->properties();
  return PropertyMap();
}

PropertyMap File::setProperties(const PropertyMap &properties)
{
  if(d->id3v1)
    d->id3v1->setProperties(properties);
  return ID3v2Tag(true)->setProperties(properties);
}

void File::removeUnsupportedProperties(const StringList &properties)
{
  if(d->id3v2)
    d->id3v2->removeUnsupportedProperties(properties);
  if(d->ape)
    d->ape->removeUnsupportedProperties(properties);
}

Plugins::PictureList File::pictures() const
{
  return id3v2Pictures(d->id3v2.get());
}

bool File::setPictures(const Plugins::PictureList &pictures)
{
  setID3v2Pictures(ID3v2Tag(true), pictures);
  return true;
}

} // namespace BRENVO_NS
} // namespace AAC
} // namespace TagLib
