#include "itunesboxes.h"

#include <iostream>

#include "mp4file.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

// ---- data --------------------------------------------------------------------

class ITunesDataBox::ITunesDataBoxPrivate
{
public:
  ByteVector data;
  Fourcc itemCode;
};

ITunesDataBox::ITunesDataBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset)
  : Mp4IsoFullBox(file, fourcc, size, offset), d(std::make_unique<ITunesDataBoxPrivate>())
{
}

ITunesDataBox::~ITunesDataBox() = default;

ByteVector ITunesDataBox::data() const
{
  return d->data;
}

Fourcc ITunesDataBox::itemCode() const
{
  return d->itemCode;
}

void ITunesDataBox::setItemCode(Fourcc code)
{
  d->itemCode = code;
}

void ITunesDataBox::parse()
{
  MP4::File *file = mp4file();
  // Under 16 bytes there is no room for a payload after version, flags and
  // the reserved field: the payload stays empty.
  if(!file || size() < 16)
    return;
  file->seek(4, TagLib::File::Current);
  // A box that claims more than the file holds yields what is there.
  d->data = file->readAvailable(size() - 16);
}

// ---- items -------------------------------------------------------------------

namespace {

// The class names in the items' messages, by slot.
const char *const itemClassNames[Mp4TagsProxy::slotCount] = {
  "ITunesNamBox", "ITunesArtBox", "ITunesAlbBox", "ITunesCvrBox",
  "ITunesGenBox", "ITunesDayBox", "ITunesTrknBox", "ITunesCmtBox",
  "ITunesGrpBox", "ITunesWrtBox", "ITunesDiskBox", "ITunesTmpoBox"};

} // namespace

class ITunesItemBox::ITunesItemBoxPrivate
{
public:
  Mp4TagsProxy::EBoxType slot = Mp4TagsProxy::title;
  std::unique_ptr<ITunesDataBox> dataBox;
};

ITunesItemBox::ITunesItemBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset,
                             Mp4TagsProxy::EBoxType slot)
  : Mp4IsoBox(file, fourcc, size, offset), d(std::make_unique<ITunesItemBoxPrivate>())
{
  d->slot = slot;
}

ITunesItemBox::~ITunesItemBox() = default;

Mp4TagsProxy::EBoxType ITunesItemBox::slot() const
{
  return d->slot;
}

ITunesDataBox *ITunesItemBox::dataBox() const
{
  return d->dataBox.get();
}

void ITunesItemBox::parse()
{
  MP4::File *file = mp4file();
  if(!file)
    return;
  const auto reportTruncated = [this] {
    std::cerr << "Error in parsing " << itemClassNames[static_cast<unsigned int>(d->slot) % Mp4TagsProxy::slotCount]
              << " - serious Error in taglib!" << std::endl;
  };

  // The child, header and all, must lie inside the item.
  unsigned int childSize = 0;
  Fourcc childCode;
  if(!hasRoom(8) || !file->readSizeAndType(childSize, childCode)) {
    reportTruncated();
    return;
  }
  if(childCode != Fourcc(String("data"))) {
    std::cerr << "bad atom in itunes tag - skipping it." << std::endl;
    file->seek(static_cast<long>(childSize) - 8, TagLib::File::Current);
    return;
  }
  if(!hasRoom(childSize - 8)) {
    reportTruncated();
    return;
  }
  d->dataBox = std::make_unique<ITunesDataBox>(file, childCode, childSize, file->tell());
  d->dataBox->setItemCode(fourcc());
  d->dataBox->parsebox();
  file->tagProxy()->registerBox(d->slot, d->dataBox.get());
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
