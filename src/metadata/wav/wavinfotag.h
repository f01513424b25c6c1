#ifndef BRENVO_WAVINFOTAG_H
#define BRENVO_WAVINFOTAG_H

#include <tag.h>
#include <tbytevector.h>
#include <tmap.h>
#include <tpropertymap.h>
#include <tstring.h>

#include "brenvo_export.h"

namespace TagLib {
namespace Wav {
inline namespace BRENVO_NS {

/*!
 * The fields of a RIFF "LIST" chunk of type "INFO": four-character ids
 * ("INAM", "IART" ...) with one text each.
 *
 * Text is read as UTF-8 when it is valid UTF-8, else as Latin-1, up to its
 * first zero byte. It is written as Latin-1 when every character fits, else
 * as UTF-8.
 */
class InfoTag : public TagLib::Tag
{
public:
  //! The fields by id, in the order of their ids.
  using FieldMap = Map<ByteVector, String>;

  //! An empty tag.
  InfoTag();
  /*!
   * Reads the body of a "LIST" chunk: the type "INFO" and the fields behind
   * it. A field whose size runs past the end of \a data ends the list; a
   * field that occurs twice keeps its last text. Data of another type gives
   * an empty tag.
   */
  explicit InfoTag(const ByteVector &data);
  ~InfoTag() override;

  InfoTag(const InfoTag &) = delete;
  InfoTag &operator=(const InfoTag &) = delete;

  //! INAM.
  String title() const override;
  //! IART.
  String artist() const override;
  //! IPRD.
  String album() const override;
  //! ICMT.
  String comment() const override;
  //! IGNR.
  String genre() const override;
  //! The leading number of ICRD ("2001" of "2001-05-03"); 0 without one.
  unsigned int year() const override;
  //! The leading number of IPRT, or of ITRK when there is no IPRT; 0 without one.
  unsigned int track() const override;

  void setTitle(const String &s) override;
  void setArtist(const String &s) override;
  void setAlbum(const String &s) override;
  void setComment(const String &s) override;
  void setGenre(const String &s) override;
  //! Sets ICRD; 0 removes it.
  void setYear(unsigned int i) override;
  //! Sets IPRT, and ITRK where the tag has one; 0 removes both.
  void setTrack(unsigned int i) override;

  //! True when no field holds any text.
  bool isEmpty() const override;

  //! Every field, including those of no common field.
  FieldMap fieldListMap() const;
  //! The text of the field \a id; empty when there is none.
  String fieldText(const ByteVector &id) const;
  /*!
   * Sets the field \a id to \a s; an empty \a s removes it. An id that is
   * not four printable ASCII characters is ignored.
   */
  void setFieldText(const ByteVector &id, const String &s);
  //! Removes the field \a id.
  void removeField(const ByteVector &id);

  /*!
   * The fields of no common field, under the property key TagLib's
   * vocabulary has for them (ICOP COPYRIGHT, IENG ENGINEER, ILNG LANGUAGE,
   * IMED MEDIA, ISFT ENCODING, ITCH ENCODEDBY) or else under their own id.
   */
  PropertyMap otherProperties() const;
  /*!
   * Makes the fields of no common field those of \a properties: a field whose
   * key is missing is removed, and each entry under one of the keys above or
   * under an id of its own ("IKEY") is set. Returns the other entries.
   */
  PropertyMap setOtherProperties(const PropertyMap &properties);

  /*!
   * The body of a "LIST" chunk holding the fields that have text: "INFO",
   * then each field with a closing zero byte and padded to an even size.
   */
  ByteVector render() const;

private:
  FieldMap fields_;
};

} // namespace BRENVO_NS
} // namespace Wav
} // namespace TagLib

#endif
