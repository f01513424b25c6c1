#include "mp4itunestag.h"

#include <algorithm>
#include <string>

#include "common/tagpictures.h"
#include "mp4items.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Tag::TagPrivate
{
public:
  Mp4ItemList items;
  // Set by the setters: a tag someone wrote to is not empty, whatever it holds.
  bool touched = false;

  String text(const char *key) const { return items.field(key).toString(", "); }
  void setText(const char *key, const String &value)
  {
    touched = true;
    items.setField(key, value.isEmpty() ? StringList() : StringList(value));
  }
  // The file holds signed 16-bit numbers: larger ones are stored as 32767.
  void setNumber(const char *key, unsigned int value, unsigned int total = 0)
  {
    touched = true;
    StringList values;
    if(value != 0) {
      String text(std::to_string(std::min(value, 0x7FFFu)));
      if(total != 0)
        text += "/" + String(std::to_string(std::min(total, 0x7FFFu)));
      values.append(text);
    }
    items.setField(key, values);
  }
};

Mp4ItemList &tagItems(Tag &tag)
{
  return tag.d->items;
}

const Mp4ItemList &tagItems(const Tag &tag)
{
  return tag.d->items;
}

Tag::Tag() : d(std::make_unique<TagPrivate>())
{
}

Tag::~Tag() = default;

String Tag::title() const { return d->text("TITLE"); }
String Tag::artist() const { return d->text("ARTIST"); }
String Tag::album() const { return d->text("ALBUM"); }
String Tag::comment() const { return d->text("COMMENT"); }
String Tag::genre() const { return d->text("GENRE"); }
String Tag::composer() const { return d->text("COMPOSER"); }
String Tag::grouping() const { return d->text("GROUPING"); }

unsigned int Tag::year() const
{
  const StringList date = d->items.field("DATE");
  const int year = date.isEmpty() ? 0 : date.front().toInt();
  return year > 0 ? static_cast<unsigned int>(year) : 0;
}

unsigned int Tag::track() const
{
  unsigned int number = 0, total = 0;
  d->items.numberPair("trkn", number, total);
  return number;
}

unsigned int Tag::disk() const
{
  unsigned int number = 0, total = 0;
  d->items.numberPair("disk", number, total);
  return number;
}

unsigned int Tag::bpm() const
{
  return d->items.bpm();
}

ByteVector Tag::cover() const
{
  const Plugins::PictureList pictures = d->items.pictures();
  return pictures.isEmpty() ? ByteVector() : pictures.front().data();
}

bool Tag::isEmpty() const
{
  return !d->touched && d->items.isEmpty();
}

void Tag::setTitle(const String &s) { d->setText("TITLE", s); }
void Tag::setArtist(const String &s) { d->setText("ARTIST", s); }
void Tag::setAlbum(const String &s) { d->setText("ALBUM", s); }
void Tag::setComment(const String &s) { d->setText("COMMENT", s); }
void Tag::setGenre(const String &s) { d->setText("GENRE", s); }
void Tag::setComposer(const String &s) { d->setText("COMPOSER", s); }
void Tag::setGrouping(const String &s) { d->setText("GROUPING", s); }

void Tag::setYear(unsigned int i)
{
  d->touched = true;
  d->items.setField("DATE", i == 0 ? StringList() : StringList(String(std::to_string(i))));
}

void Tag::setTrack(unsigned int i)
{
  unsigned int number = 0, total = 0;
  d->items.numberPair("trkn", number, total);
  d->setNumber("TRACKNUMBER", i, total);
}

void Tag::setDisk(unsigned int i)
{
  unsigned int number = 0, total = 0;
  d->items.numberPair("disk", number, total);
  d->setNumber("DISCNUMBER", i, total);
}

void Tag::setBpm(unsigned int i)
{
  d->setNumber("BPM", i);
}

void Tag::setCover(const ByteVector &cover)
{
  d->touched = true;
  Plugins::PictureList pictures;
  if(!cover.isEmpty())
    pictures.append(Plugins::Picture(cover, imageMimeType(cover)));
  d->items.setPictures(pictures);
}

PropertyMap Tag::properties() const
{
  return d->items.properties();
}

PropertyMap Tag::setProperties(const PropertyMap &properties)
{
  return d->items.setProperties(properties);
}

void Tag::removeUnsupportedProperties(const StringList &properties)
{
  d->items.removeUnsupportedProperties(properties);
}

Plugins::PictureList Tag::pictures() const
{
  return d->items.pictures();
}

void Tag::setPictures(const Plugins::PictureList &pictures)
{
  d->items.setPictures(pictures);
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
