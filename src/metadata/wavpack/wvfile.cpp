#include "wvfile.h"

#include <apefooter.h>
#include <apetag.h>
#include <id3v1tag.h>

#include "common/presentedtags.h"

namespace TagLib {
namespace WavPack {
inline namespace BRENVO_NS {

class File::FilePrivate
{
public:
  // The APE location, ID3v1 location and has-flags describe the file on disk
  // as last read or saved, not the tags in memory.
  long apeLocation = -1;
  unsigned int apeSize = 0;
  long id3v1Location = -1;
  std::unique_ptr<Properties> properties;
  PresentedTags<APE::Tag> tags;
  bool hasAPE = false;
  bool hasID3v1 = false;
};

File::File(FileName file, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(file),
  d(std::make_unique<FilePrivate>())
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
  if(readOnly())
    return false;

  // ID3v1 first: it is the file's last 128 bytes, so an APE tag inserted
  // below lands in front of it.
  if(ID3v1::Tag *id3v1 = d->tags.id3v1()) {
    if(d->hasID3v1) {
      seek(d->id3v1Location);
    }
    else {
      seek(0, End);
      d->id3v1Location = tell();
      d->hasID3v1 = true;
    }
    writeBlock(id3v1->render());
  }
  else if(d->hasID3v1) {
    removeBlock(d->id3v1Location, id3v1TagSize);
    d->hasID3v1 = false;
    if(d->hasAPE && d->apeLocation > d->id3v1Location)
      d->apeLocation -= id3v1TagSize;
  }

  if(APE::Tag *ape = d->tags.rich()) {
    const ByteVector data = ape->render();
    if(d->hasAPE) {
      const unsigned int oldSize = d->apeSize;
      insert(data, d->apeLocation, oldSize);
      d->apeSize = ape->footer()->completeTagSize();
      if(d->hasID3v1 && d->id3v1Location > d->apeLocation)
        d->id3v1Location += static_cast<long>(d->apeSize) - static_cast<long>(oldSize);
    }
    else if(d->hasID3v1) {
      insert(data, d->id3v1Location, 0);
      d->apeSize = ape->footer()->completeTagSize();
      d->hasAPE = true;
      d->apeLocation = d->id3v1Location;
      d->id3v1Location += d->apeSize;
    }
    else {
      seek(0, End);
      d->apeLocation = tell();
      writeBlock(data);
      d->apeSize = ape->footer()->completeTagSize();
      d->hasAPE = true;
    }
  }
  else if(d->hasAPE) {
    removeBlock(d->apeLocation, d->apeSize);
    d->hasAPE = false;
    if(d->hasID3v1 && d->id3v1Location > d->apeLocation)
      d->id3v1Location -= d->apeSize;
  }

  return true;
}

void File::read(bool readProperties, AudioProperties::ReadStyle)
{
  std::unique_ptr<ID3v1::Tag> id3v1;
  d->id3v1Location = findID3v1();
  // Without an ID3v1 tag the APE tag is the last thing in the file. When a
  // sound APE footer ends the file, the "TAG" 128 bytes before the end lies in
  // the APE tag or the audio: taking it for an ID3v1 tag would hide the APE
  // tag and make save() write over those bytes.
  if(d->id3v1Location >= 0 && checkAPEFooter(length() - static_cast<long>(APE::Footer::size())) >= 0)
    d->id3v1Location = -1;
  if(d->id3v1Location >= 0) {
    id3v1 = std::make_unique<ID3v1::Tag>(this, d->id3v1Location);
    d->hasID3v1 = true;
  }

  std::unique_ptr<APE::Tag> ape;
  const long footerLocation = findAPE();
  if(footerLocation >= 0) {
    ape = std::make_unique<APE::Tag>(this, footerLocation);
    d->apeSize = ape->footer()->completeTagSize();
    d->apeLocation = footerLocation + static_cast<long>(APE::Footer::size()) - static_cast<long>(d->apeSize);
    d->hasAPE = true;
  }

  d->tags.adopt(std::move(ape), std::move(id3v1));

  if(readProperties) {
    seek(0);
    const ByteVector block = readBlock(Properties::headerSize);
    // The properties always read averagely: there is nothing more to scan.
    d->properties = std::make_unique<Properties>(block, length() - static_cast<long>(d->apeSize));
  }
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
  return checkAPEFooter(length() - footerSize - (d->hasID3v1 ? id3v1TagSize : 0));
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

} // namespace BRENVO_NS
} // namespace WavPack
} // namespace TagLib
