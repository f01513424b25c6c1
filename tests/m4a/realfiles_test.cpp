// Files made by ffmpeg and tagged by mutagen and AtomicParsley
// (tests/data/m4a/make.sh): every value reads back as the script wrote it,
// by name and through a borrowed stream.
#include <gtest/gtest.h>

#include "borrowedstreams.h"
#include "m4a/mp4file.h"

using brenvo_test::dataPath;

namespace {

//! Every field of the tag (the cover by its size) and the audio properties.
std::string describe(const TagLib::MP4::File &f)
{
  const TagLib::MP4::Tag *t = f.tag();
  const TagLib::AudioProperties *p = f.audioProperties();
  std::string text = (t->title() + "|" + t->artist() + "|" + t->album() + "|" + t->comment() + "|" + t->genre() +
                      "|" + t->composer() + "|" + t->grouping() + "|").to8Bit(true);
  for(unsigned int value : {t->year(), t->track(), t->disk(), t->bpm(), t->cover().size()})
    text += std::to_string(value) + "|";
  for(int value : {p->length(), p->bitrate(), p->sampleRate(), p->channels()})
    text += std::to_string(value) + "|";
  return text;
}

} // namespace

TEST(Mp4RealFiles, ReadByNameAndThroughBorrowedStreams)
{
  // Year, track, disc, tempo, cover bytes; then seconds, kbit/s, Hz, channels as
  // ffprobe reports them (ffprobe.txt); the bit rate is the encoder's average,
  // rounded down (ALAC has no descriptor with one).
  const struct { const char *name; std::string expected; } samples[] = {
    {"aac-stereo-44k-faststart.m4a",
     "Faststart Title|Some Artist|An Album|made by ffmpeg|Jazz|A Composer|Group A|2019|3|1|0|0|1|63|44100|2|"},
    // Non-ASCII text everywhere; the grouping comes after a cover item of two images.
    {"aac-mono-22k.m4a", "Ünïcödé – 日本語|Björk|Ælbum|tagged by mutagen|Électronique|Antonín Dvořák|Grüppe|"
                         "2004|5|2|120|" + std::to_string(brenvo_test::readFile(dataPath("m4a/cover.png")).size()) +
                         "|1|33|22050|1|"},
    // AtomicParsley wrote the genre as a number.
    {"aac-stereo-48k.m4a", "Forty-Eight||||Rock|||0|0|0|0|0|1|96|48000|2|"},
    {"aac-stereo-96k.m4a", "|||||||0|0|0|0|0|1|63|96000|2|"},
    {"alac-mono-44k.m4a", "Lossless|||||||0|0|0|0|0|1|705|44100|1|"},
  };
  for(const auto &sample : samples) {
    SCOPED_TRACE(sample.name);
    const std::string path = dataPath(std::string("m4a/") + sample.name);
    EXPECT_EQ(describe(TagLib::MP4::File(path.c_str())), sample.expected);
    brenvo_test::withBorrowedStreams(path, [&](TagLib::IOStream *stream) {
      stream->seek(0, TagLib::IOStream::End);  // read from the start, wherever the stream stood
      {
        TagLib::MP4::File f(stream);
        EXPECT_TRUE(f.isValid());
        EXPECT_EQ(describe(f), sample.expected);
        f.tag()->setTitle("Borrowed");
        EXPECT_EQ(f.save(), !stream->readOnly());
      }
      EXPECT_TRUE(stream->isOpen());  // borrowed: it outlives the file
      EXPECT_EQ(TagLib::MP4::File(stream).tag()->title() == "Borrowed", !stream->readOnly());
    });
  }
  const std::string png = brenvo_test::readFile(dataPath("m4a/cover.png"));
  EXPECT_EQ(TagLib::MP4::File(dataPath("m4a/aac-mono-22k.m4a").c_str()).tag()->cover(),
            TagLib::ByteVector(png.data(), static_cast<unsigned int>(png.size())));
}
