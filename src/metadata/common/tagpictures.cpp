#include "tagpictures.h"

#include <attachedpictureframe.h>

namespace TagLib {
inline namespace BRENVO_NS {

using Plugins::Picture;
using Plugins::PictureList;

namespace {

// The APE item key of each picture type, in the type's order (the common
// convention of APE taggers).
const char *const apeCoverKeys[] = {
  "Cover Art (Other)",          "Cover Art (Icon)",         "Cover Art (Other Icon)",
  "Cover Art (Front)",          "Cover Art (Back)",         "Cover Art (Leaflet)",
  "Cover Art (Media)",          "Cover Art (Lead Artist)",  "Cover Art (Artist)",
  "Cover Art (Conductor)",      "Cover Art (Band)",         "Cover Art (Composer)",
  "Cover Art (Lyricist)",       "Cover Art (Recording Location)", "Cover Art (During Recording)",
  "Cover Art (During Performance)", "Cover Art (Video Capture)", "Cover Art (Fish)",
  "Cover Art (Illustration)",   "Cover Art (Band Logotype)", "Cover Art (Publisher Logotype)",
};
constexpr int apeCoverKeyCount = static_cast<int>(sizeof(apeCoverKeys) / sizeof(apeCoverKeys[0]));

} // namespace

Picture::Type pictureType(int value)
{
  return value >= 0 && value < apeCoverKeyCount ? static_cast<Picture::Type>(value) : Picture::Other;
}

String imageMimeType(const ByteVector &data)
{
  if(data.startsWith(ByteVector("\xFF\xD8\xFF", 3)))
    return "image/jpeg";
  if(data.startsWith(ByteVector("\x89PNG\r\n\x1A\n", 8)))
    return "image/png";
  if(data.startsWith("GIF87a") || data.startsWith("GIF89a"))
    return "image/gif";
  if(data.startsWith("BM"))
    return "image/bmp";
  if(data.size() >= 12 && data.startsWith("RIFF") && data.mid(8, 4) == "WEBP")
    return "image/webp";
  return String();
}

String mimeTypeOf(const Picture &picture)
{
  return picture.mimeType().isEmpty() ? imageMimeType(picture.data()) : picture.mimeType();
}

FLAC::Picture *newFlacPicture(const Picture &picture)
{
  auto *block = new FLAC::Picture;
  block->setData(picture.data());
  block->setMimeType(mimeTypeOf(picture));
  block->setDescription(picture.description());
  block->setType(static_cast<FLAC::Picture::Type>(picture.type()));
  return block;
}

PictureList flacPictures(const List<FLAC::Picture *> &blocks)
{
  PictureList pictures;
  for(const FLAC::Picture *p : blocks) {
    if(!p->data().isEmpty())
      pictures.append(Picture(p->data(), p->mimeType(), p->description(), pictureType(p->type())));
  }
  return pictures;
}

PictureList id3v2Pictures(const ID3v2::Tag *tag)
{
  PictureList pictures;
  if(!tag)
    return pictures;
  for(const ID3v2::Frame *frame : tag->frameList("APIC")) {
    const auto *apic = dynamic_cast<const ID3v2::AttachedPictureFrame *>(frame);
    if(!apic || apic->picture().isEmpty())
      continue;
    pictures.append(Picture(apic->picture(), apic->mimeType(), apic->description(), pictureType(apic->type())));
  }
  return pictures;
}

void setID3v2Pictures(ID3v2::Tag *tag, const PictureList &pictures)
{
  if(!tag)
    return;
  tag->removeFrames("APIC");
  for(const Picture &picture : pictures) {
    // The tag takes ownership of the frame.
    auto *frame = new ID3v2::AttachedPictureFrame;
    frame->setPicture(picture.data());
    frame->setMimeType(mimeTypeOf(picture));
    frame->setDescription(picture.description());
    frame->setType(static_cast<ID3v2::AttachedPictureFrame::Type>(picture.type()));
    // Latin-1 unless the description needs more.
    frame->setTextEncoding(picture.description().isLatin1() ? String::Latin1 : String::UTF8);
    tag->addFrame(frame);
  }
}

PictureList apePictures(const APE::Tag *tag)
{
  PictureList pictures;
  if(!tag)
    return pictures;
  const APE::ItemListMap &items = tag->itemListMap();
  for(int type = 0; type < apeCoverKeyCount; ++type) {
    const auto it = items.find(String(apeCoverKeys[type]).upper());
    if(it == items.end() || it->second.type() != APE::Item::Binary)
      continue;
    // The value is a file name or description, a zero byte, then the image.
    const ByteVector value = it->second.binaryData();
    const int zero = value.find('\0');
    if(zero < 0 || static_cast<unsigned int>(zero) + 1 >= value.size())
      continue;
    const ByteVector image = value.mid(static_cast<unsigned int>(zero) + 1);
    pictures.append(Picture(image, imageMimeType(image), String(value.mid(0, static_cast<unsigned int>(zero)), String::UTF8),
                            pictureType(type)));
  }
  return pictures;
}

void setAPEPictures(APE::Tag *tag, const PictureList &pictures)
{
  if(!tag)
    return;
  for(const char *key : apeCoverKeys)
    tag->removeItem(key);
  for(const Picture &picture : pictures) {
    const int type = picture.type() < apeCoverKeyCount ? picture.type() : Picture::Other;
    ByteVector value = picture.description().data(String::UTF8);
    value.append('\0');
    value.append(picture.data());
    tag->setData(apeCoverKeys[type], value);
  }
}

PictureList xiphPictures(const Ogg::XiphComment *comment)
{
  // pictureList() is not const in TagLib, but only reads.
  return comment ? flacPictures(const_cast<Ogg::XiphComment *>(comment)->pictureList()) : PictureList();
}

void setXiphPictures(Ogg::XiphComment *comment, const PictureList &pictures)
{
  if(!comment)
    return;
  comment->removeAllPictures();
  // The comment takes ownership of the blocks.
  for(const Picture &picture : pictures)
    comment->addPicture(newFlacPicture(picture));
}

} // namespace BRENVO_NS
} // namespace TagLib
