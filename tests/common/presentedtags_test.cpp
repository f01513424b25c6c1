// WavPack and TrueAudio files whose only tag is ID3v1: a value set that ID3v1
// cannot hold brings in the rich tag (APE, ID3v2) beside it, and what was set
// reads back here, in TagLib's own classes and in mutagen; values that fit
// leave the file's layout as it was.
#include <gtest/gtest.h>

#include <cstdlib>

#include <id3v1genres.h>
#include <tpropertymap.h>

#include "../wavpack/tagpair.h"
#include "taglibtagread.h"
#include "trueaudio/ttafile.h"
#include "wavpack/wvfile.h"
#include "tplugins.h"

using namespace brenvo_test;
using TagLib::String;

namespace {

struct WavPack
{
  using File = TagLib::WavPack::File;
  static constexpr int bit = 1;
  static constexpr const char *sample = "wavpack/mono16-id3v1.wv", *name = "t.wv";
  // The audio, then the APE tag, then the ID3v1 tag.
  static std::size_t audioAt(const std::string &, std::size_t) { return 0; }
  static bool hasRich(const std::string &file) { return file.find("APETAGEX") != std::string::npos; }
};

struct TTA
{
  using File = TagLib::TTA::File;
  static constexpr int bit = 2;
  static constexpr const char *sample = "trueaudio/stereo24-id3v1.tta", *name = "t.tta";
  // The ID3v2 tag, then the stream, then the ID3v1 tag.
  static std::size_t audioAt(const std::string &file, std::size_t size) { return file.size() - 128 - size; }
  static bool hasRich(const std::string &file) { return file.compare(0, 3, "ID3") == 0; }
};

// SavedAsRead: the file's own ID3v1.0 tag holds the values; nothing is set.
enum How { ThroughTag, AfterValuesTooLong, ThroughProperties, SavedAsRead };

// The seven fields set, whether the rich tag must hold them, the formats the
// row applies to (1 WavPack, 2 TrueAudio), and how they are set.
struct Case
{
  const char *name;
  std::string title, artist, album, comment, genre;
  unsigned int year, track;
  bool rich;
  int formats = 3;
  How how = ThroughTag;
};

const Case cases[] = {
  {"fits", "Übergröße Übergröße Übergröße!", "Someone", "An album", "A comment", "Rock", 1999, 255, false},
  {"28-byte comment", "Plain title", "Someone", "An album", std::string(28, 'c'), "Rock", 1999, 7, false},
  {"title outside Latin-1", "☃", "Someone", "An album", "A comment", "Rock", 1999, 7, true},
  {"40 Latin-1 characters", "Übergröße Übergröße Übergröße Übergröße!", "Someone", "An album", "", "", 1999, 7, true},
  {"track 300", "Plain title", "Someone", "An album", "A comment", "Rock", 1999, 300, true},
  {"genre not in ID3v1's list", "Plain title", "Someone", "An album", "A comment", "Chiptune Noise", 1999, 7, true},
  // TagLib reads four digits of an ID3v2 date.
  {"year 12345", "Plain title", "Someone", "An album", "A comment", "Rock", 12345, 7, true, 1},
  // TagLib renders ID3v1.1, whose comment is 28 bytes, also without a track.
  {"29-byte comment, no track", "Plain title", "Someone", "An album", std::string(29, 'c'), "Rock", 1999, 0, true},
  {"fits after values too long", "Plain title", "Someone", "An album", "A comment", "Rock", 1999, 7, false, 3, AfterValuesTooLong},
  {"ID3v1.0 comment of 30 bytes", "Plain title", "Someone", "An album", std::string(30, 'c'), "Rock", 1999, 0, true, 3, SavedAsRead},
  {"title outside Latin-1 by properties", "☃", "Someone", "An album", "A comment", "Rock", 1999, 7, true, 3, ThroughProperties},
};

String utf8(const std::string &s) { return String(s, String::UTF8); }

std::string padded(const std::string &s, std::size_t size) { return s + std::string(size - s.size(), '\0'); }

// An ID3v1.0 tag: a comment of 30 bytes, no track.
std::string id3v10Tag(const Case &c)
{
  return "TAG" + padded(c.title, 30) + padded(c.artist, 30) + padded(c.album, 30) + std::to_string(c.year) +
         padded(c.comment, 30) + std::string(1, static_cast<char>(TagLib::ID3v1::genreIndex(c.genre)));
}

void set(TagLib::Tag &t, const Case &c)
{
  t.setTitle(utf8(c.title));
  t.setArtist(utf8(c.artist));
  t.setAlbum(utf8(c.album));
  t.setComment(utf8(c.comment));
  t.setGenre(utf8(c.genre));
  t.setYear(c.year);
  t.setTrack(c.track);
}

// The rich tag as mutagen reads it, in the order of fields().
const char mutagenFields[] = R"(import sys
path = sys.argv[1]
if path.endswith('.wv'):
    from mutagen.apev2 import APEv2
    tag = APEv2(path)
    keys = ['Title', 'Artist', 'Album', 'Comment', 'Genre', 'Year', 'Track']
    values = [str(tag[k]) if k in tag else '' for k in keys]
else:
    from mutagen.id3 import ID3
    tag = ID3(path, load_v1=False)
    comments = tag.getall('COMM')
    values = [str(tag[k]) if k in tag else '' for k in ['TIT2', 'TPE1', 'TALB']]
    values += [comments[0].text[0] if comments else '']
    values += [str(tag[k]) if k in tag else '' for k in ['TCON', 'TDRC', 'TRCK']]
values[5:] = [v or '0' for v in values[5:]]
print('|'.join(values), end='')
)";

template <class Format>
void saveCases()
{
  const std::string sample = readFile(dataPath(Format::sample));
  const std::string audio = sample.substr(0, sample.size() - 128);
  const bool mutagen = std::system("/usr/bin/python3 -c 'import mutagen' 2>/dev/null") == 0;
  for(const Case &c : cases) {
    if(!(c.formats & Format::bit))
      continue;
    SCOPED_TRACE(std::string(Format::name) + ": " + c.name);
    TempDir dir;
    const std::string original = c.how == SavedAsRead ? audio + id3v10Tag(c) : sample;
    const std::string path = dir.write(Format::name, original);
    TagLib::ID3v1::Tag expectedID3v1;   // what ID3v1 keeps of the values
    set(expectedID3v1, c);
    std::string shown;
    TagLib::PropertyMap properties;
    {
      typename Format::File f(path.c_str());
      ASSERT_TRUE(f.ID3v1Tag() && !f.tag()->isEmpty());
      if(c.how == AfterValuesTooLong) {
        f.tag()->setTitle(utf8("☃"));
        f.tag()->setTrack(300);
      }
      if(c.how == ThroughProperties) {
        TagLib::PropertyMap map;
        for(const auto &field : {std::make_pair("TITLE", c.title), {"ARTIST", c.artist}, {"ALBUM", c.album},
                                 {"COMMENT", c.comment}, {"GENRE", c.genre}, {"DATE", std::to_string(c.year)},
                                 {"TRACKNUMBER", std::to_string(c.track)}})
          map.replace(field.first, utf8(field.second));
        EXPECT_TRUE(TagLib::Plugins::setProperties(&f, map).isEmpty());
      }
      else if(c.how != SavedAsRead)
        set(*f.tag(), c);
      shown = fields(f.tag());
      properties = TagLib::Plugins::properties(&f);
      EXPECT_TRUE(f.save() && f.save()) << "saved twice by the same object";
    }
    const std::string expected = c.title + "|" + c.artist + "|" + c.album + "|" + c.comment + "|" + c.genre + "|" +
                                 std::to_string(c.year) + "|" + std::to_string(c.track);
    EXPECT_EQ(shown, expected);

    const std::string saved = readFile(path);
    EXPECT_EQ(Format::hasRich(saved), c.rich);
    if(!c.rich) {
      EXPECT_EQ(saved.size(), original.size());
    }
    EXPECT_EQ(saved.compare(Format::audioAt(saved, audio.size()), audio.size(), audio), 0) << "the audio moved or changed";
    EXPECT_TRUE(saved.compare(saved.size() - 128, 128, bytes(expectedID3v1.render())) == 0) << "the ID3v1 tag";

    typename Format::File fresh(path.c_str());
    EXPECT_EQ(fields(fresh.tag()), expected);
    EXPECT_EQ(TagLib::Plugins::properties(&fresh), properties) << "unsaved values show in the properties";
    readWithTaglib(path, [&](const TagLib::Tag &tag, bool rich, bool id3v1) {
      EXPECT_EQ(fields(&tag), expected) << "TagLib";
      EXPECT_EQ(rich, c.rich);
      EXPECT_TRUE(id3v1);
    });
    if(mutagen && c.rich) {
      const std::string script = dir.write("fields.py", mutagenFields), out = path + ".txt";
      EXPECT_EQ(std::system(("PYTHONIOENCODING=utf-8 /usr/bin/python3 " + script + " " + path + " >" + out).c_str()), 0);
      EXPECT_EQ(readFile(out), expected) << "mutagen";
    }
  }
  if(!mutagen)
    GTEST_SKIP() << "/usr/bin/python3 with mutagen is not available to read the saved files";
}

} // namespace

TEST(ID3v1OnlyFiles, WavPackKeepsWhatID3v1CannotHold)
{
  saveCases<WavPack>();
}

TEST(ID3v1OnlyFiles, TrueAudioKeepsWhatID3v1CannotHold)
{
  saveCases<TTA>();
}
