#ifndef BRENVO_TEST_TAGPAIR_H
#define BRENVO_TEST_TAGPAIR_H

// The WavPack and TrueAudio files both keep a rich tag (APE or ID3v2) and an
// ID3v1 tag, so one set of checks serves both. Tag bits are those of remove():
// 1 the ID3v1 tag, 2 the rich tag. A Format gives File, name, rich(file,
// create), richTag(title), media() (built audio), layout(rich, audio, id3v1)
// and audioOf(file bytes) (the audio, found without the code under test).

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include <id3v1tag.h>

#include "testfiles.h"
#include "common/combinedtag.h"

namespace brenvo_test {

inline std::string bytes(const TagLib::ByteVector &v) { return std::string(v.data(), v.size()); }

inline std::string fields(const TagLib::Tag *t)
{
  const auto n = [](unsigned int i) { return TagLib::String::number(static_cast<int>(i)); };
  return (t->title() + "|" + t->artist() + "|" + t->album() + "|" + t->comment() + "|" + t->genre() + "|" +
          n(t->year()) + "|" + n(t->track())).to8Bit(true);
}

template <class Format>
std::string withTags(int bits)
{
  TagLib::ID3v1::Tag v1;
  v1.setTitle("v1 title");
  v1.setAlbum("v1 album");
  return Format::layout(bits & 2 ? Format::richTag("rich title") : "", Format::media(),
                        bits & 1 ? bytes(v1.render()) : "");
}

//! The tags a file holds, once tag() is checked to present them.
template <class Format>
int tagsIn(typename Format::File &f)
{
  const TagLib::Tag *rich = Format::rich(f, false), *v1 = f.ID3v1Tag();
  EXPECT_EQ(f.tag(), rich && v1 ? dynamic_cast<TagLib::CombinedTag *>(f.tag()) : rich ? rich : v1);
  return (v1 ? 1 : 0) | (rich ? 2 : 0);
}

//! An empty rich tag stands in whenever no ID3v1 tag is left.
inline int standIn(int bits) { return bits & 1 ? bits : bits | 2; }

/*!
 * Opens \a path, edits and saves it. The file must then be \a audio with
 * exactly the tags in memory where the format puts them, and a fresh object
 * must read what was saved. Returns the tags saved.
 */
template <class Format>
int saveChecked(const std::string &path, const std::string &audio,
                const std::function<void(typename Format::File &)> &edit)
{
  std::string expected, shown;
  int bits = 0;
  {
    typename Format::File f(path.c_str());
    edit(f);
    EXPECT_TRUE(f.save());
    bits = tagsIn<Format>(f);
    expected = Format::layout(bits & 2 ? bytes(Format::rich(f, false)->render()) : "", audio,
                              bits & 1 ? bytes(f.ID3v1Tag()->render()) : "");
    shown = fields(f.tag());
  }
  const std::string saved = readFile(path);
  EXPECT_TRUE(saved == expected) << saved.size() << " bytes saved, expected " << expected.size();
  typename Format::File fresh(path.c_str());
  EXPECT_EQ(tagsIn<Format>(fresh), bits);
  EXPECT_EQ(fields(fresh.tag()), shown);
  return bits;
}

//! Every combination of tags on disk, edits in memory, and a second save by the same object.
template <class Format>
void saveEveryCombination()
{
  struct Edit { int remove, create; bool set; };
  const Edit edits[] = {{0, 0, false}, {0, 0, true}, {1, 0, false}, {2, 0, false}, {3, 0, false}, {0, 1, false},
                        {0, 2, false}, {0, 3, true}, {1, 1, false}, {2, 2, false}, {3, 1, false}};
  for(int disk = 0; disk < 4; ++disk)
    for(const Edit &e : edits)
      for(int again = 0; again < 5; ++again) {   // no second save, unchanged, grown, shrunk, all removed
        SCOPED_TRACE("disk " + std::to_string(disk) + " remove " + std::to_string(e.remove) + " create " +
                     std::to_string(e.create) + (e.set ? " set" : "") + " again " + std::to_string(again));
        TempDir dir;
        const std::string path = dir.write(Format::name, withTags<Format>(disk));
        saveChecked<Format>(path, Format::media(), [&](typename Format::File &f) {
          EXPECT_EQ(tagsIn<Format>(f), standIn(disk));
          f.remove(e.remove);
          if(e.create & 1)
            f.ID3v1Tag(true)->setTitle("made v1");
          if(e.create & 2)
            Format::rich(f, true)->setTitle("made rich");
          if(e.set)
            f.tag()->setYear(2024);
          EXPECT_EQ(tagsIn<Format>(f), standIn(standIn(disk) & ~e.remove) | e.create);
          if(again > 0) {
            EXPECT_TRUE(f.save());
          }
          if(again == 2 && Format::rich(f, false))   // past any padding, so the rich tag must grow
            Format::rich(f, false)->setComment(std::string(3000, 'g'));
          if(again == 2 || again == 3)
            f.tag()->setTitle(again == 2 ? "a longer title" : "");
          if(again == 4)
            f.remove(3);
        });
        typename Format::File fresh(path.c_str());
        EXPECT_EQ(fresh.audioProperties()->length(), 4);   // the audio is found where it was
      }
}

//! A missing or read-only file is not saved, and the read-only one keeps its bytes (also for root).
template <class Format>
void refusedSaves()
{
  TempDir dir;
  typename Format::File missing((dir.path() + "/missing" + Format::name).c_str());
  EXPECT_FALSE(missing.isValid());
  EXPECT_FALSE(missing.save());
  const std::string content = withTags<Format>(3);
  const std::string path = dir.write(Format::name, content);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  runAsUnprivileged(dir, [&] {
    typename Format::File f(path.c_str());
    ASSERT_TRUE(f.readOnly());
    f.tag()->setTitle("not written");
    EXPECT_FALSE(f.save());
  });
  EXPECT_EQ(readFile(path), content);
}

//! A damaged or hostile file: what is read, and the audio bytes a save keeps.
struct Damaged
{
  const char *name;
  std::string content;
  int sampleRate;
  std::string title;
  std::size_t keepFrom = 0, keepCount = std::string::npos;
};

//! Tag locations read from a file are checked before save() may write there.
template <class Format>
void saveDamaged(const std::vector<Damaged> &cases)
{
  for(const Damaged &c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.write(Format::name, c.content);
    saveChecked<Format>(path, c.content.substr(c.keepFrom, c.keepCount), [&](typename Format::File &f) {
      EXPECT_EQ(f.audioProperties()->sampleRate(), c.sampleRate);
      EXPECT_EQ(f.tag()->title(), c.title);
      f.remove(3);
      f.tag()->setTitle("new");
    });
  }
}

//! A file below tests/data: rate, channels, bits per sample, length and bit rate as
//! ffprobe and mutagen report them, the tags on disk, and the fields tag() presents.
struct Sample
{
  const char *name;
  std::vector<int> properties;
  int bits;
  const char *fields;
};

//! Real files read, then saved after each remove() around the same audio bytes.
template <class Format>
void readAndSaveSamples(const std::vector<Sample> &samples)
{
  for(const Sample &s : samples) {
    SCOPED_TRACE(s.name);
    const std::string original = readFile(dataPath(s.name));
    TempDir dir;
    for(int remove : {0, 1, 2, 3}) {
      SCOPED_TRACE("remove " + std::to_string(remove));
      const std::string path = dir.write(Format::name, original);
      const int bits = saveChecked<Format>(path, Format::audioOf(original), [&](typename Format::File &f) {
        const auto *p = f.audioProperties();
        EXPECT_EQ(std::vector<int>({p->sampleRate(), p->channels(), p->bitsPerSample(), p->length(), p->bitrate()}),
                  s.properties);
        EXPECT_EQ(tagsIn<Format>(f), standIn(s.bits));
        EXPECT_EQ(fields(f.tag()), s.fields);
        f.remove(remove);
        f.tag()->setTitle("Saved title");
        if(auto *rich = Format::rich(f, false))
          rich->setArtist(TagLib::String("Dvořák", TagLib::String::UTF8));
      });
      EXPECT_EQ(bits, standIn(standIn(s.bits) & ~remove));
    }
  }
}

} // namespace brenvo_test

#endif
