#include "itunesboxes.h"

#include <iostream>

#include "mp4file.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

// ---- data --------------------------------------------------------------------

void ITunesDataBox::parse()
{
  MP4::File *file = mp4file();
  // Under 16 bytes there is no room for a payload after version, flags and
  // the reserved field: the payload stays empty.
  if(!file || size() < 16)
    return;
  file->seek(4, TagLib::File::Current);
  // A box that claims more than the file holds yields what is there.
  m_data = file->readAvailable(size() - 16);
}

// ---- items -------------------------------------------------------------------

namespace {

// The class names in the items' messages, by slot.
const char *const itemClassNames[Mp4TagsProxy::slotCount] = {
  "ITunesNamBox", "ITunesArtBox", "ITunesAlbBox", "ITunesCvrBox",
  "ITunesGenBox", "ITunesDayBox", "ITunesTrknBox", "ITunesCmtBox",
  "ITunesGrpBox", "ITunesWrtBox", "ITunesDiskBox", "ITunesTmpoBox"};

} // namespace

ITunesItemBox::ITunesItemBox(TagLib::File *file, Fourcc fourcc, unsigned int size, long offset,
                             Mp4TagsProxy::EBoxType slot)
  : Mp4IsoBox(file, fourcc, size, offset), m_slot(slot)
{
}

void ITunesItemBox::parse()
{
  MP4::File *file = mp4file();
  if(!file)
    return;
  const auto reportTruncated = [this] {
    std::cerr << "Error in parsing " << itemClassNames[static_cast<unsigned int>(m_slot) % Mp4TagsProxy::slotCount]
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
  m_dataBox = std::make_unique<ITunesDataBox>(file, childCode, childSize, file->tell());
  m_dataBox->setItemCode(fourcc());
  m_dataBox->parsebox();
  file->tagProxy()->registerBox(m_slot, m_dataBox.get());
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
