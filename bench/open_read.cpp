#include "open_read.h"

#include <sstream>

#include <audioproperties.h>
#include <fileref.h>
#include <mpegfile.h>
#include <tag.h>

namespace brenvo_bench {

namespace {

Snapshot readFrom(const TagLib::Tag *tag, const TagLib::AudioProperties *p)
{
  Snapshot s;
  s.opened = true;
  if(tag) {
    s.title = tag->title().to8Bit(true);
    s.artist = tag->artist().to8Bit(true);
    s.album = tag->album().to8Bit(true);
    s.comment = tag->comment().to8Bit(true);
    s.genre = tag->genre().to8Bit(true);
    s.year = tag->year();
    s.track = tag->track();
  }
  if(p) {
    s.hasProperties = true;
    s.length = p->length();
    s.bitrate = p->bitrate();
    s.sampleRate = p->sampleRate();
    s.channels = p->channels();
  }
  return s;
}

} // namespace

const char *readerName(Reader reader)
{
  return reader == Reader::TaglibMpeg ? "TagLib::MPEG::File" : "TagLib::FileRef";
}

std::string Snapshot::describe() const
{
  std::ostringstream out;
  out << (opened ? "" : "(not opened) ") << '"' << title << "\" / \"" << artist << "\" / \"" << album << "\" / \""
      << comment << "\" / \"" << genre << "\" " << year << " #" << track;
  if(hasProperties)
    out << "; " << length << " s, " << bitrate << " kbit/s, " << sampleRate << " Hz, " << channels << " ch";
  return out.str();
}

Snapshot openAndRead(const std::string &path, Reader reader)
{
  if(reader == Reader::TaglibMpeg) {
    TagLib::MPEG::File file(path.c_str(), true, TagLib::AudioProperties::Average);
    return file.isValid() ? readFrom(file.tag(), file.audioProperties()) : Snapshot();
  }
  TagLib::FileRef ref(path.c_str(), true, TagLib::AudioProperties::Average);
  return ref.isNull() ? Snapshot() : readFrom(ref.tag(), ref.audioProperties());
}

} // namespace brenvo_bench
