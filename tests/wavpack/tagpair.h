#ifndef BRENVO_TEST_TAGPAIR_H
#define BRENVO_TEST_TAGPAIR_H

// The WavPack and TrueAudio files both keep a rich tag (APE or ID3v2) and an
// ID3v1 tag, so one set of checks serves both. Tag bits are those of remove():
// 1 the ID3v1 tag, 2 the rich tag. A Format gives File, name, rich(file,
// create), media() (built audio), layout(rich, audio, id3v1) and
// audioOf(file bytes) (the audio, found by its own means).

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include <id3v1tag.h>

#include "common/combinedtag.h"
#include "testfiles.h"

namespace brenvo_test {

inline std::string bytes(const TagLib::ByteVector &v) { return std::string(v.data(), v.size()); }

inline std::string fields(const TagLib::Tag *t)
{
  const auto n = [](unsigned int i) { return TagLib::String::number(static_cast<int>(i)); };
  return (t->title() + "|" + t->artist() + "|" + t->album() + "|" + t->comment() + "|" + t->genre() + "|" +
          n(t->year()) + "|" + n(t->track())).to8Bit(true);
}

inline std::string id3v1Tag()
{
  TagLib::ID3v1::Tag v1;
  v1.setTitle("v1 title");
  v1.setAlbum("v1 album");
  return bytes(v1.render());
}

//! The tags a file holds, once tag() is checked to present them.
template <class Format>
int tagsIn(typename Format::File &f)
{
  const TagLib::Tag *rich = Format::rich(f, false), *v1 = f.ID3v1Tag();
  // An ID3v1 tag is presented combined, behind the rich tag or one not yet saved.
  EXPECT_EQ(f.tag(), v1 ? dynamic_cast<TagLib::CombinedTag *>(f.tag()) : rich);
  EXPECT_NE(f.tag(), nullptr);
  return (v1 ? 1 : 0) | (rich ? 2 : 0);
}

//! A missing or read-only file is not saved, and the read-only one keeps its bytes (also for root).
template <class Format>
void refusedSaves()
{
  TempDir dir;
  typename Format::File missing((dir.path() + "/missing" + Format::name).c_str());
  EXPECT_FALSE(missing.isValid() || missing.save());
  const std::string content = Format::layout("", Format::media(), id3v1Tag());
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

//! A file's bytes, what it shows (rate, channels, bits per sample, length,
//! bit rate, the tags it holds, then the fields), and where the audio is that a save must keep.
struct Case
{
  std::string name, content, read;
  std::size_t audioFrom = 0, audioCount = std::string::npos;
};

//! A file whose audio is found without the code under test.
template <class Format>
Case found(const std::string &name, const std::string &content, const std::string &read)
{
  const std::string audio = Format::audioOf(content);
  return {name, content, read, content.find(audio), audio.size()};
}

/*!
 * Each file read, then edited in every way (creating only the \a creatable
 * tags) and saved once or twice by the same object. The file must then be its
 * audio with exactly the tags in memory where the format puts them, and a fresh
 * object must read what was saved. Tag locations read from a damaged file are
 * checked before save() may write there.
 */
template <class Format>
void readAndSave(const std::vector<Case> &cases, int creatable = 3)
{
  struct Edit { int remove, create; bool set; };
  const Edit edits[] = {{0, 0, false}, {0, 0, true}, {1, 0, false}, {2, 0, false}, {3, 0, false}, {0, 1, false},
                        {0, 2, false}, {0, 3, true}, {1, 1, false}, {2, 2, false}, {3, 1, false}};
  for(const Case &c : cases)
    for(const Edit &e : edits)
      // again: no second save, unchanged, grown, shrunk, all removed
      for(int again = 0; again < 5 && (e.create & creatable) == e.create; ++again) {
        SCOPED_TRACE(c.name + ": remove " + std::to_string(e.remove) + " create " + std::to_string(e.create) +
                     (e.set ? " set" : "") + " again " + std::to_string(again));
        TempDir dir;
        const std::string path = dir.write(Format::name, c.content);
        std::string expected, shown;
        int bits = 0;
        {
          typename Format::File f(path.c_str());
          const auto *p = f.audioProperties();
          std::string read;
          for(int v : {p->sampleRate(), p->channels(), p->bitsPerSample(), p->length(), p->bitrate(), tagsIn<Format>(f)})
            read += std::to_string(v) + " ";
          EXPECT_EQ(read + fields(f.tag()), c.read);
          const int before = tagsIn<Format>(f);
          f.remove(e.remove);
          if((e.remove & 2) && Format::rich(f, false)) {
            EXPECT_TRUE(Format::rich(f, false)->isEmpty()) << "only an empty rich tag stands in";
          }
          if(e.create & 1)
            f.ID3v1Tag(true)->setTitle("made v1");
          if(e.create & 2)
            Format::rich(f, true)->setTitle(TagLib::String("Dvořák", TagLib::String::UTF8));
          if(e.set)
            f.tag()->setYear(2024);
          // An empty rich tag stands in whenever no ID3v1 tag is left.
          const int left = before & ~e.remove;
          EXPECT_EQ(tagsIn<Format>(f), (left & 1 ? left : left | 2) | e.create);
          if(again > 0) {
            EXPECT_TRUE(f.save());
          }
          if(again == 2 && Format::rich(f, false)) // past any padding, so the rich tag must grow
            Format::rich(f, false)->setComment(std::string(3000, 'g'));
          if(again == 2 || again == 3)
            f.tag()->setTitle(again == 2 ? "a longer title" : "");
          if(again == 4)
            f.remove(3);
          EXPECT_TRUE(f.save());
          bits = tagsIn<Format>(f);
          expected = Format::layout(bits & 2 ? bytes(Format::rich(f, false)->render()) : "",
                                    c.content.substr(c.audioFrom, c.audioCount), bits & 1 ? bytes(f.ID3v1Tag()->render()) : "");
          shown = fields(f.tag());
        }
        const std::string saved = readFile(path);
        EXPECT_TRUE(saved == expected) << saved.size() << " bytes saved, expected " << expected.size();
        typename Format::File fresh(path.c_str());
        EXPECT_EQ(tagsIn<Format>(fresh), bits);
        EXPECT_EQ(fields(fresh.tag()), shown);
      }
}

} // namespace brenvo_test

#endif
