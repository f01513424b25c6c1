#include "mp4tagsproxy.h"

#include <id3v1genres.h>

#include "common/bytecursor.h"
#include "itunesboxes.h"
#include "mp4itunestag.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Mp4TagsProxy::Mp4TagsProxyPrivate
{
public:
  ITunesDataBox *slots[slotCount] = {};
};

Mp4TagsProxy::Mp4TagsProxy() : d(std::make_unique<Mp4TagsProxyPrivate>())
{
}

Mp4TagsProxy::~Mp4TagsProxy() = default;

void Mp4TagsProxy::registerBox(EBoxType type, ITunesDataBox *box)
{
  const auto index = static_cast<unsigned int>(type);
  if(index < slotCount)
    d->slots[index] = box;
}

ITunesDataBox *Mp4TagsProxy::titleData() const { return d->slots[title]; }
ITunesDataBox *Mp4TagsProxy::artistData() const { return d->slots[artist]; }
ITunesDataBox *Mp4TagsProxy::albumData() const { return d->slots[album]; }
ITunesDataBox *Mp4TagsProxy::coverData() const { return d->slots[cover]; }
ITunesDataBox *Mp4TagsProxy::genreData() const { return d->slots[genre]; }
ITunesDataBox *Mp4TagsProxy::yearData() const { return d->slots[year]; }
ITunesDataBox *Mp4TagsProxy::trknData() const { return d->slots[trkn]; }
ITunesDataBox *Mp4TagsProxy::commentData() const { return d->slots[comment]; }
ITunesDataBox *Mp4TagsProxy::groupingData() const { return d->slots[grouping]; }
ITunesDataBox *Mp4TagsProxy::composerData() const { return d->slots[composer]; }
ITunesDataBox *Mp4TagsProxy::diskData() const { return d->slots[disk]; }
ITunesDataBox *Mp4TagsProxy::bpmData() const { return d->slots[bpm]; }

namespace {

String textOf(const ITunesDataBox *box)
{
  return String(box->data(), String::UTF8);
}

// Calls \a set with the item's text, unless the text is empty.
template <class Setter>
void fillText(const ITunesDataBox *box, Tag &tag, Setter set)
{
  if(!box)
    return;
  const String text = textOf(box);
  if(!text.isEmpty())
    (tag.*set)(text);
}

// The leading big-endian number of a numeric item; 0 when the payload is shorter.
unsigned int leadingNumber(const ByteVector &payload, unsigned int width)
{
  ByteCursor number(payload);
  return static_cast<unsigned int>(number.uintBE(width));
}

/*
 * "gnre" holds an ID3v1 genre index plus one as a 16-bit number; as text its
 * two bytes would be control characters. An index outside the list gives no
 * genre. "\251gen" holds the genre as text.
 */
String genreOf(const ITunesDataBox *box)
{
  if(box->itemCode() != Fourcc(String("gnre")))
    return textOf(box);
  const unsigned int number = leadingNumber(box->data(), 2);
  if(number == 0)
    return String();
  const String name = ID3v1::genre(static_cast<int>(number) - 1);
  return name.isNull() ? String() : name;
}

} // namespace

void fillTagFromProxy(Mp4TagsProxy &proxy, Tag &tag)
{
  fillText(proxy.titleData(), tag, &Tag::setTitle);
  fillText(proxy.artistData(), tag, &Tag::setArtist);
  fillText(proxy.albumData(), tag, &Tag::setAlbum);
  if(const ITunesDataBox *box = proxy.genreData()) {
    const String genre = genreOf(box);
    if(!genre.isEmpty())
      tag.setGenre(genre);
  }
  if(const ITunesDataBox *box = proxy.yearData()) {
    const String text = textOf(box);
    if(!text.isEmpty())
      tag.setYear(static_cast<unsigned int>(text.toInt()));
  }
  if(const ITunesDataBox *box = proxy.trknData())
    tag.setTrack(leadingNumber(box->data(), 4));
  fillText(proxy.commentData(), tag, &Tag::setComment);
  fillText(proxy.groupingData(), tag, &Tag::setGrouping);
  fillText(proxy.composerData(), tag, &Tag::setComposer);
  if(const ITunesDataBox *box = proxy.diskData())
    tag.setDisk(leadingNumber(box->data(), 4));
  if(const ITunesDataBox *box = proxy.bpmData())
    tag.setBpm(leadingNumber(box->data(), 2));
  if(const ITunesDataBox *box = proxy.coverData())
    tag.setCover(box->data());
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
