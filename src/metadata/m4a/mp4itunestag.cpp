#include "mp4itunestag.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

class Tag::TagPrivate
{
public:
  String title;
  String artist;
  String album;
  String genre;
  unsigned int year = 0;
  unsigned int track = 0;
  String comment;
  String grouping;
  String composer;
  unsigned int disk = 0;
  unsigned int bpm = 0;
  bool isEmpty = true;
  ByteVector cover;
};

Tag::Tag() : d(std::make_unique<TagPrivate>())
{
}

Tag::~Tag() = default;

String Tag::title() const { return d->title; }
String Tag::artist() const { return d->artist; }
String Tag::album() const { return d->album; }
String Tag::comment() const { return d->comment; }
String Tag::genre() const { return d->genre; }
unsigned int Tag::year() const { return d->year; }
unsigned int Tag::track() const { return d->track; }
String Tag::composer() const { return d->composer; }
String Tag::grouping() const { return d->grouping; }
unsigned int Tag::disk() const { return d->disk; }
unsigned int Tag::bpm() const { return d->bpm; }
ByteVector Tag::cover() const { return d->cover; }
bool Tag::isEmpty() const { return d->isEmpty; }

// Every setter marks the tag as used, even when it stores an empty value.
void Tag::setTitle(const String &s) { d->title = s; d->isEmpty = false; }
void Tag::setArtist(const String &s) { d->artist = s; d->isEmpty = false; }
void Tag::setAlbum(const String &s) { d->album = s; d->isEmpty = false; }
void Tag::setComment(const String &s) { d->comment = s; d->isEmpty = false; }
void Tag::setGenre(const String &s) { d->genre = s; d->isEmpty = false; }
void Tag::setYear(unsigned int i) { d->year = i; d->isEmpty = false; }
void Tag::setTrack(unsigned int i) { d->track = i; d->isEmpty = false; }
void Tag::setComposer(const String &s) { d->composer = s; d->isEmpty = false; }
void Tag::setGrouping(const String &s) { d->grouping = s; d->isEmpty = false; }
void Tag::setDisk(unsigned int i) { d->disk = i; d->isEmpty = false; }
void Tag::setBpm(unsigned int i) { d->bpm = i; d->isEmpty = false; }
void Tag::setCover(const ByteVector &cover) { d->cover = cover; d->isEmpty = false; }

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
