#include "wvfile.h"

#include <apefooter.h>
#include <apetag.h>
#include <id3v1tag.h>

#include "common/fdstream.h"
#include "common/presentedtags.h"
#include "common/tagblocks.h"
#include "common/tagpictures.h"

namespace TagLib {
namespace WavPack {
inline namespace BRENVO_NS {

class File::FilePrivate
{
public:
  explicit FilePrivate(IOStream *fileStream) : stream(fileStream), layout(fileStream)
  {
    layout.track(&ape);
    layout.track(&id3v1);
  }
  FilePrivate(const FilePrivate &) = delete;
  FilePrivate &operator=(const FilePrivate &) = delete;

  // Set only when the file opened the stream itself.
  std::unique_ptr<IOStream> ownedStream;
  IOStream *stream;
  // The blocks describe the file on disk as last read or saved, not the tags in memory.
  TagBlock ape;
  TagBlock id3v1;
  TagBlockLayout layout;
  std::unique_ptr<Properties> properties;
  PresentedTags<APE::Tag> tags;
};

File::File(FileName file, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(std::make_unique<DescriptorStream>(file), readProperties, propertiesStyle)
{
}

File::File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(stream.get(), readProperties, propertiesStyle)
{
  d->ownedStream = std::move(stream);
}

File::File(IOStream *stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(stream),
  d(std::make_unique<FilePrivate>(stream))
{
  read(readProperties, propertiesStyle);
}

File::~File() = default;

TagLib::Tag *File::tag() const
{
  return d->tags.presented();
}

Properties *File::audioProperties() const
{
  return d->properties.get();
}

APE::Tag *File::APETag(bool create)
{
  return d->tags.richTag(create);
}

ID3v1::Tag *File::ID3v1Tag(bool create)
{
  return d->tags.id3v1Tag(create);
}

void File::remove(int tags)
{
  d->tags.remove(tags & ID3v1Bit, tags & APEBit);
}

bool File::save()
{
  if(readOnly() || !isValid())
    return false;
  // The APE tag stands before the ID3v1 tag, and both end the file: one write
  // replaces them together.
  APE::Tag *ape = d->tags.richTagToSave();
  ID3v1::Tag *id3v1 = d->tags.id3v1();
  return d->layout.writeTail({{&d->ape, ape ? ape->render() : ByteVector()},
                              {&d->id3v1, id3v1 ? id3v1->render() : ByteVector()}});
}

void File::read(bool readProperties, AudioProperties::ReadStyle)
{
  std::unique_ptr<ID3v1::Tag> id3v1;
  d->id3v1.offset = findID3v1();
  // Without an ID3v1 tag the APE tag is the last thing in the file. When a
  // sound APE footer ends the file, the "TAG" 128 bytes before the end lies in
  // the APE tag or the audio: taking it for an ID3v1 tag would hide the APE
  // tag and make save() write over those bytes.
  if(d->id3v1.offset >= 0 && checkAPEFooter(length() - static_cast<long>(APE::Footer::size())) >= 0)
    d->id3v1.offset = -1;
  if(d->id3v1.exists()) {
    d->id3v1.size = id3v1TagSize;
    id3v1 = std::make_unique<ID3v1::Tag>(this, d->id3v1.offset);
  }

  std::unique_ptr<APE::Tag> ape;
  const long footerLocation = findAPE();
  if(footerLocation >= 0) {
    ape = std::make_unique<APE::Tag>(this, footerLocation);
    d->ape.size = static_cast<long>(ape->footer()->completeTagSize());
    d->ape.offset = footerLocation + static_cast<long>(APE::Footer::size()) - d->ape.size;
  }

  d->tags.adopt(std::move(ape), std::move(id3v1));

  if(readProperties) {
    // The audio data end where the tags begin.
    const long audioEnd = d->ape.exists() ? d->ape.offset : d->id3v1.exists() ? d->id3v1.offset : length();
    d->properties = std::make_unique<Properties>(this, audioEnd);
  }
  // What was read may be wrong: a save must not write it over the file.
  if(streamFailed(d->stream))
    setValid(false);
}

long File::findID3v1()
{
  return findID3v1Tag(*this, 0);
}

long File::findAPE()
{
  if(!isValid())
    return -1;
  const long footerSize = static_cast<long>(APE::Footer::size());
  return checkAPEFooter(length() - footerSize - d->id3v1.size);
}

long File::checkAPEFooter(long footerLocation)
{
  if(footerLocation < 0)
    return -1;
  seek(footerLocation);
  const ByteVector footerData = readBlock(APE::Footer::size());
  if(!footerData.startsWith(APE::Tag::fileIdentifier()))
    return -1;
  // The tag must fit between the first block header and the footer; a tag
  // said to be larger would make save() replace audio bytes.
  // (A size that wraps when the header is added is as false as a large one.)
  const APE::Footer footer(footerData);
  if(footer.tagSize() < APE::Footer::size() || footer.completeTagSize() < footer.tagSize() ||
     footer.completeTagSize() > static_cast<unsigned long>(footerLocation))
    return -1;
  return footerLocation;
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
  return apePictures(d->tags.rich());
}

bool File::setPictures(const Plugins::PictureList &pictures)
{
  setAPEPictures(d->tags.richTag(true), pictures);
  return true;
}

} // namespace BRENVO_NS
} // namespace WavPack
} // namespace TagLib
