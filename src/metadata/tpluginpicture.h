#ifndef BRENVO_TPLUGINPICTURE_H
#define BRENVO_TPLUGINPICTURE_H

#include <memory>

#include <tbytevector.h>
#include <tlist.h>
#include <tstring.h>

#include "brenvo_export.h"

/*!
 * \file tpluginpicture.h
 * A picture held by a tag, as the companion API hands it over.
 */

namespace TagLib {
namespace Plugins {
inline namespace BRENVO_NS {

/*!
 * One picture of a file's tag: the image bytes, their MIME type, a description
 * and what the picture shows. The same record serves every format, whatever
 * the format stores: formats without a description or a type give an empty
 * description and FrontCover.
 */
class BRENVO_TAGLIB_EXPORT Picture
{
public:
  /*!
   * What a picture shows, numbered as in ID3v2's attached picture frame
   * (which ASF, FLAC and Xiph comments use too).
   */
  enum Type
  {
    //! A picture of another kind than those below.
    Other = 0x00,
    //! A 32x32 PNG file icon.
    FileIcon = 0x01,
    //! Another file icon.
    OtherFileIcon = 0x02,
    //! The front cover.
    FrontCover = 0x03,
    //! The back cover.
    BackCover = 0x04,
    //! A leaflet page.
    LeafletPage = 0x05,
    //! The medium itself (the label side of a CD).
    Media = 0x06,
    //! The lead artist or soloist.
    LeadArtist = 0x07,
    //! The artist or performer.
    Artist = 0x08,
    //! The conductor.
    Conductor = 0x09,
    //! The band or orchestra.
    Band = 0x0A,
    //! The composer.
    Composer = 0x0B,
    //! The lyricist or text writer.
    Lyricist = 0x0C,
    //! The recording location.
    RecordingLocation = 0x0D,
    //! A picture taken during recording.
    DuringRecording = 0x0E,
    //! A picture taken during a performance.
    DuringPerformance = 0x0F,
    //! A frame of a film or video.
    MovieScreenCapture = 0x10,
    //! A brightly coloured fish.
    ColouredFish = 0x11,
    //! An illustration.
    Illustration = 0x12,
    //! The logo of the band or artist.
    BandLogo = 0x13,
    //! The logo of the publisher or studio.
    PublisherLogo = 0x14
  };

  //! An empty picture: no data, no MIME type, no description, type FrontCover.
  Picture();
  //! A picture of \a data with the MIME type \a mimeType, \a description and \a type.
  Picture(const ByteVector &data, const String &mimeType, const String &description = String(),
          Type type = FrontCover);
  //! A copy of \a other.
  Picture(const Picture &other);
  //! Makes this picture a copy of \a other.
  Picture &operator=(const Picture &other);
  //! Destroys the picture.
  ~Picture();

  //! The image bytes.
  ByteVector data() const;
  //! The MIME type of the image ("image/jpeg", "image/png", ...); empty when unknown.
  String mimeType() const;
  //! The description; empty when the format holds none.
  String description() const;
  //! What the picture shows.
  Type type() const;

  //! Sets the image bytes to \a data.
  void setData(const ByteVector &data);
  //! Sets the MIME type to \a mimeType.
  void setMimeType(const String &mimeType);
  //! Sets the description to \a description.
  void setDescription(const String &description);
  //! Sets what the picture shows to \a type.
  void setType(Type type);

  //! True when every field of this picture equals that of \a other.
  bool operator==(const Picture &other) const;
  //! True when any field differs from that of \a other.
  bool operator!=(const Picture &other) const;

private:
  class PicturePrivate;
  std::unique_ptr<PicturePrivate> d;
};

//! A list of pictures, in the order the file holds them.
using PictureList = List<Picture>;

} // namespace BRENVO_NS
} // namespace Plugins
} // namespace TagLib

#endif
