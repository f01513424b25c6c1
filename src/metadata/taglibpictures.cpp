// Only TagLib's own format headers here: see taglibpictures.h.
#include "taglibpictures.h"

#include <aifffile.h>
#include <apefile.h>
#include <asffile.h>
#include <flacfile.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <trueaudiofile.h>
#include <wavfile.h>
#include <wavpackfile.h>
#include <xiphcomment.h>

#include "common/tagpictures.h"

namespace TagLib {
inline namespace BRENVO_NS {

using Plugins::Picture;
using Plugins::PictureList;

namespace {

String mp4MimeType(const MP4::CoverArt &art)
{
  switch(art.format()) {
  case MP4::CoverArt::JPEG: return "image/jpeg";
  case MP4::CoverArt::PNG: return "image/png";
  case MP4::CoverArt::BMP: return "image/bmp";
  case MP4::CoverArt::GIF: return "image/gif";
  default: return imageMimeType(art.data());
  }
}

MP4::CoverArt::Format mp4Format(const Picture &picture)
{
  const String mime = mimeTypeOf(picture);
  if(mime == "image/png")
    return MP4::CoverArt::PNG;
  if(mime == "image/bmp")
    return MP4::CoverArt::BMP;
  if(mime == "image/gif")
    return MP4::CoverArt::GIF;
  return mime == "image/jpeg" ? MP4::CoverArt::JPEG : MP4::CoverArt::Unknown;
}

// The ID3v2 tag of the formats that keep their pictures there, or null.
ID3v2::Tag *id3v2TagOf(File *file)
{
  if(auto *f = dynamic_cast<MPEG::File *>(file))
    return f->ID3v2Tag();
  if(auto *f = dynamic_cast<TrueAudio::File *>(file))
    return f->ID3v2Tag();
  if(auto *f = dynamic_cast<RIFF::WAV::File *>(file))
    return f->ID3v2Tag();
  if(auto *f = dynamic_cast<RIFF::AIFF::File *>(file))
    return f->tag();
  return nullptr;
}

APE::Tag *apeTagOf(File *file)
{
  if(auto *f = dynamic_cast<APE::File *>(file))
    return f->APETag();
  if(auto *f = dynamic_cast<WavPack::File *>(file))
    return f->APETag();
  return nullptr;
}

} // namespace

PictureList taglibPictures(const File *constFile)
{
  // TagLib's tag accessors are not const; asked not to create, they only read.
  File *file = const_cast<File *>(constFile);
  PictureList pictures;
  if(!file)
    return pictures;
  if(auto *f = dynamic_cast<FLAC::File *>(file))
    return flacPictures(f->pictureList());
  if(auto *f = dynamic_cast<MP4::File *>(file)) {
    if(f->tag() && f->tag()->contains("covr")) {
      for(const MP4::CoverArt &art : f->tag()->item("covr").toCoverArtList())
        pictures.append(Picture(art.data(), mp4MimeType(art)));
    }
    return pictures;
  }
  if(auto *f = dynamic_cast<ASF::File *>(file)) {
    if(f->tag() && f->tag()->contains("WM/Picture")) {
      for(const ASF::Attribute &a : f->tag()->attribute("WM/Picture")) {
        const ASF::Picture p = a.toPicture();
        if(p.isValid() && !p.picture().isEmpty())
          pictures.append(Picture(p.picture(), p.mimeType(), p.description(), pictureType(p.type())));
      }
    }
    return pictures;
  }
  if(ID3v2::Tag *tag = id3v2TagOf(file))
    return id3v2Pictures(tag);
  if(APE::Tag *tag = apeTagOf(file))
    return apePictures(tag);
  if(auto *comment = dynamic_cast<Ogg::XiphComment *>(file->tag()))
    return xiphPictures(comment);
  return pictures;
}

bool setTaglibPictures(File *file, const PictureList &pictures)
{
  if(!file)
    return false;
  if(auto *f = dynamic_cast<FLAC::File *>(file)) {
    f->removePictures();
    // The file takes ownership of the blocks.
    for(const Picture &picture : pictures)
      f->addPicture(newFlacPicture(picture));
    return true;
  }
  if(auto *f = dynamic_cast<MP4::File *>(file)) {
    MP4::CoverArtList covers;
    for(const Picture &picture : pictures)
      covers.append(MP4::CoverArt(mp4Format(picture), picture.data()));
    if(covers.isEmpty())
      f->tag()->removeItem("covr");
    else
      f->tag()->setItem("covr", covers);
    return true;
  }
  if(auto *f = dynamic_cast<ASF::File *>(file)) {
    ASF::AttributeList attributes;
    for(const Picture &picture : pictures) {
      ASF::Picture p;
      p.setPicture(picture.data());
      p.setMimeType(mimeTypeOf(picture));
      p.setDescription(picture.description());
      p.setType(static_cast<ASF::Picture::Type>(picture.type()));
      attributes.append(ASF::Attribute(p));
    }
    if(attributes.isEmpty())
      f->tag()->removeItem("WM/Picture");
    else
      f->tag()->setAttribute("WM/Picture", attributes);
    return true;
  }
  if(auto *f = dynamic_cast<MPEG::File *>(file)) {
    setID3v2Pictures(f->ID3v2Tag(true), pictures);
    return true;
  }
  if(auto *f = dynamic_cast<TrueAudio::File *>(file)) {
    setID3v2Pictures(f->ID3v2Tag(true), pictures);
    return true;
  }
  if(auto *f = dynamic_cast<RIFF::WAV::File *>(file)) {
    setID3v2Pictures(f->ID3v2Tag(), pictures);
    return true;
  }
  if(auto *f = dynamic_cast<RIFF::AIFF::File *>(file)) {
    setID3v2Pictures(f->tag(), pictures);
    return true;
  }
  if(auto *f = dynamic_cast<APE::File *>(file)) {
    setAPEPictures(f->APETag(true), pictures);
    return true;
  }
  if(auto *f = dynamic_cast<WavPack::File *>(file)) {
    setAPEPictures(f->APETag(true), pictures);
    return true;
  }
  if(auto *comment = dynamic_cast<Ogg::XiphComment *>(file->tag())) {
    setXiphPictures(comment, pictures);
    return true;
  }
  return false;
}

} // namespace BRENVO_NS
} // namespace TagLib
