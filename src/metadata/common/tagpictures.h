#ifndef BRENVO_TAGPICTURES_H
#define BRENVO_TAGPICTURES_H

#include <apetag.h>
#include <flacpicture.h>
#include <id3v2tag.h>
#include <xiphcomment.h>

#include "brenvo_export.h"
#include "tpluginpicture.h"

// Pictures as the tag kinds that several formats share (ID3v2, APE, Xiph
// comments) hold them, converted to and from the one picture record.

namespace TagLib {
inline namespace BRENVO_NS {

//! The picture type numbered \a value, or Other for a number outside the list.
Plugins::Picture::Type pictureType(int value);

//! The MIME type that the first bytes of \a data announce; empty when unknown.
String imageMimeType(const ByteVector &data);

//! The MIME type of \a picture: its own, else what its first bytes announce.
String mimeTypeOf(const Plugins::Picture &picture);

//! \a picture as a FLAC picture block, made with new for an owner that takes it.
FLAC::Picture *newFlacPicture(const Plugins::Picture &picture);
//! The pictures of FLAC picture blocks \a blocks; blocks without image bytes are skipped.
Plugins::PictureList flacPictures(const List<FLAC::Picture *> &blocks);

//! The attached pictures (APIC frames) of \a tag; none for null.
Plugins::PictureList id3v2Pictures(const ID3v2::Tag *tag);
//! Replaces the attached pictures of \a tag by \a pictures.
void setID3v2Pictures(ID3v2::Tag *tag, const Plugins::PictureList &pictures);

//! The "Cover Art (...)" items of \a tag; items without image bytes are skipped.
Plugins::PictureList apePictures(const APE::Tag *tag);
//! Replaces the "Cover Art (...)" items of \a tag by \a pictures, one a type (the last wins).
void setAPEPictures(APE::Tag *tag, const Plugins::PictureList &pictures);

//! The pictures (METADATA_BLOCK_PICTURE and COVERART fields) of \a comment.
Plugins::PictureList xiphPictures(const Ogg::XiphComment *comment);
//! Replaces the pictures of \a comment by \a pictures.
void setXiphPictures(Ogg::XiphComment *comment, const Plugins::PictureList &pictures);

} // namespace BRENVO_NS
} // namespace TagLib

#endif
