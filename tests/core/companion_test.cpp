// What a host gets through TagLib::Plugins: exact lengths, the whole property
// map and the pictures of every file object, checked against TagLib's own
// readers wherever TagLib reads the same format. This file includes TagLib's
// format headers, never this library's: TagLib's classes are the oracle.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include <asffile.h>
#include <fileref.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <speexfile.h>
#include <trueaudiofile.h>
#include <wavfile.h>
#include <wavpackfile.h>

#include "hostcalls.h"
#include "testfiles.h"
#include "tplugins.h"

using namespace brenvo_test;
using TagLib::ByteVector;
using TagLib::PropertyMap;
using TagLib::String;
using TagLib::StringList;
using TagLib::Plugins::Picture;
using TagLib::Plugins::PictureList;

namespace {

using Oracle = std::function<std::unique_ptr<TagLib::File>(const char *path)>;

template <class TaglibFile>
Oracle oracle()
{
  return [](const char *path) { return std::make_unique<TaglibFile>(path); };
}

// TagLib's own reader of each extension it reads, whether our property map
// must already equal TagLib's for it, and whether ours may hold fields TagLib
// does not show.
struct TaglibReader
{
  Oracle open;
  bool sameProperties;
  bool moreFields = false;
};

const std::map<std::string, TaglibReader> &taglibReaders()
{
  static const std::map<std::string, TaglibReader> readers = {
    {".m4a", {oracle<TagLib::MP4::File>(), true}},
    {".mp4", {oracle<TagLib::MP4::File>(), true}},
    {".wma", {oracle<TagLib::ASF::File>(), true}},
    {".asf", {oracle<TagLib::ASF::File>(), true}},
    {".aac", {oracle<TagLib::MPEG::File>(), true}},
    {".wv", {oracle<TagLib::WavPack::File>(), true}},
    {".spx", {oracle<TagLib::Ogg::Speex::File>(), true}},
    {".tta", {oracle<TagLib::TrueAudio::File>(), true}},
    // TagLib 1.13 shows only the common INFO fields.
    {".wav", {oracle<TagLib::RIFF::WAV::File>(), true, true}},
  };
  return readers;
}

std::string extensionOf(const std::string &path)
{
  return std::filesystem::path(path).extension().string();
}

ByteVector bytes(const std::string &s)
{
  return ByteVector(s.data(), static_cast<unsigned int>(s.size()));
}

PictureList twoPictures()
{
  PictureList list;
  list.append(Picture(bytes("\x89PNG\r\n\x1A\n" + std::string(300, 'p')), "image/png", "Front \xE2\x98\x83", Picture::FrontCover));
  list.append(Picture(bytes("\xFF\xD8\xFF\xE0" + std::string(5000, 'j')), "image/jpeg", "Back", Picture::BackCover));
  return list;
}

void expectSamePictures(const PictureList &actual, const PictureList &expected)
{
  ASSERT_EQ(actual.size(), expected.size());
  for(auto a = actual.begin(), e = expected.begin(); a != actual.end(); ++a, ++e) {
    EXPECT_TRUE(a->data() == e->data());
    EXPECT_EQ(a->mimeType(), e->mimeType());
    EXPECT_EQ(a->description(), e->description());
    EXPECT_EQ(a->type(), e->type());
  }
}

TEST(Companion, LengthsAreExactAndAgreeWithTaglibWhereItReadsTheFormat)
{
  ensurePluginsRegistered();
  // Durations from the encoders' own figures (ffprobe and mutagen agree).
  const std::map<std::string, int> known = {
    {"asf/ffmpeg-tags.wma", 1021}, {"audible/book.aa", 3725000}, {"rmff/ac3.rm", 1010},
    {"trueaudio/mono16-id3v2.tta", 1900}, {"trueaudio/stereo24-id3v1.tta", 500}, {"wav/canonical.wav", 2250},
    {"speex/wideband.spx", 2000}, {"wavpack/stereo24-notag.wv", 500}, {"m4a/alac-mono-44k.m4a", 1000},
    {"aac/sine.aac", 1044},
  };
  for(const auto &k : known) {
    SCOPED_TRACE(k.first);
    const TagLib::FileRef ref(dataPath(k.first).c_str());
    EXPECT_EQ(TagLib::Plugins::lengthInMilliseconds(ref.audioProperties()), k.second);
    EXPECT_EQ(TagLib::Plugins::lengthInSeconds(ref.audioProperties()), k.second / 1000);
  }
  for(const std::string &path : allDataFiles()) {
    const auto reader = taglibReaders().find(extensionOf(path));
    // TagLib's MPEG reader finds no ADTS frame: it reads no length of an AAC file.
    if(reader == taglibReaders().end() || reader->first == ".aac")
      continue;
    SCOPED_TRACE(path);
    const TagLib::FileRef ref(path.c_str());
    const std::unique_ptr<TagLib::File> theirs = reader->second.open(path.c_str());
    ASSERT_TRUE(theirs->audioProperties());
    const int expected = theirs->audioProperties()->lengthInMilliseconds();
    EXPECT_NEAR(TagLib::Plugins::lengthInMilliseconds(ref.audioProperties()), expected, std::max(60, expected / 50));
  }
  EXPECT_EQ(TagLib::Plugins::lengthInMilliseconds(nullptr), 0);
  EXPECT_EQ(TagLib::Plugins::lengthInSeconds(nullptr), 0);
}

TEST(Companion, PropertiesAreTaglibsForTheSameFile)
{
  ensurePluginsRegistered();
  std::size_t compared = 0;
  for(const std::string &path : allDataFiles()) {
    const auto reader = taglibReaders().find(extensionOf(path));
    if(reader == taglibReaders().end() || !reader->second.sameProperties)
      continue;
    SCOPED_TRACE(path);
    const TagLib::FileRef ref(path.c_str());
    const PropertyMap theirs = reader->second.open(path.c_str())->properties();
    const PropertyMap ours = TagLib::Plugins::properties(ref.file());
    PropertyMap shown = ours;
    if(reader->second.moreFields) {
      for(const auto &field : ours) {
        if(!theirs.contains(field.first))
          shown.erase(field.first);
      }
    }
    EXPECT_TRUE(shown == theirs) << "ours:\n" << ours.toString().to8Bit(true) << "TagLib's:\n" << theirs.toString().to8Bit(true);
    ++compared;
  }
  EXPECT_GE(compared, 12u);
}

// For every format that saves: a field TagLib's basic interface cannot reach,
// a Unicode title and two pictures survive a save, the other fields stay, and
// TagLib's own reader of the saved file agrees.
TEST(Companion, PropertiesAndPicturesSurviveASave)
{
  ensurePluginsRegistered();
  TempDir dir;
  for(const char *sample : {"wavpack/stereo16-ape.wv", "wavpack/mono16-id3v1.wv", "trueaudio/mono16-id3v2.tta",
                            "trueaudio/stereo24-id3v1.tta", "speex/wideband.spx", "aac/sine.aac",
                            "asf/ffmpeg-tags.wma", "asf/mutagen-tags.wma", "asf/mutagen-keys.wma", "asf/untagged.asf",
                            "wav/info.wav", "wav/both.wav", "m4a/aac-mono-48k-items.m4a", "m4a/aac-stereo-96k.m4a",
                            "m4a/chapters-faststart.m4a", "m4a/video-aac.mp4"}) {
    SCOPED_TRACE(sample);
    const std::string path = dir.copy(dataPath(sample), "f" + extensionOf(sample));
    PropertyMap expected;
    {
      TagLib::FileRef ref(path.c_str());
      PropertyMap map = TagLib::Plugins::properties(ref.file());
      map.replace("TITLE", StringList(String("Snow \xE2\x98\x83", String::UTF8)));
      map.replace("CONDUCTOR", StringList(String("Someone")));
      EXPECT_TRUE(TagLib::Plugins::setProperties(ref.file(), map).isEmpty());
      EXPECT_TRUE(TagLib::Plugins::setPictures(ref.file(), twoPictures()));
      // What the file holds in memory now, pictures listed as unsupported data.
      expected = TagLib::Plugins::properties(ref.file());
      EXPECT_EQ(expected["CONDUCTOR"], StringList("Someone"));
      ASSERT_TRUE(ref.save());
    }
    const TagLib::FileRef ref(path.c_str());
    const PropertyMap saved = TagLib::Plugins::properties(ref.file());
    EXPECT_TRUE(saved == expected) << "saved:\n" << saved.toString().to8Bit(true) << "expected:\n" << expected.toString().to8Bit(true);
    // An MP4 cover item holds image bytes and their format only.
    PictureList pictures = twoPictures();
    if(std::string(sample).rfind("m4a/", 0) == 0) {
      for(Picture &p : pictures) {
        p.setDescription(String());
        p.setType(Picture::FrontCover);
      }
    }
    expectSamePictures(TagLib::Plugins::pictures(ref.file()), pictures);
    const std::unique_ptr<TagLib::File> theirs = taglibReaders().at(extensionOf(sample)).open(path.c_str());
    EXPECT_TRUE(theirs->properties() == saved) << theirs->properties().toString().to8Bit(true);
  }
}

TEST(Companion, HostileMapsNeverBreakASave)
{
  ensurePluginsRegistered();
  TempDir dir;
  PropertyMap hostile;
  hostile.replace("", StringList(String("empty key")));
  hostile.replace("TITLE", StringList(String(std::string(1 << 20, 'x'))));
  hostile.replace("K\xC3\xA9Y=", StringList(String("odd key")));
  for(int i = 0; i < 1000; ++i)
    hostile.replace("FIELD" + String::number(i), StringList(String::number(i)));
  for(const char *sample : {"wavpack/stereo16-ape.wv", "trueaudio/mono16-id3v2.tta", "speex/wideband.spx",
                            "asf/mutagen-keys.wma"}) {
    SCOPED_TRACE(sample);
    const std::string path = dir.copy(dataPath(sample), "f" + extensionOf(sample));
    const std::string audio = readFile(path);
    PropertyMap refused;
    {
      TagLib::FileRef ref(path.c_str());
      refused = TagLib::Plugins::setProperties(ref.file(), hostile);
      EXPECT_TRUE(ref.save());
    }
    // Whatever was kept, the file still reads whole and as TagLib reads it,
    // and what the format took (ASF has no place for FIELD999, nor for such a
    // title) comes back.
    const TagLib::FileRef ref(path.c_str());
    ASSERT_TRUE(ref.file()->isValid());
    EXPECT_TRUE(refused.contains("FIELD999") || TagLib::Plugins::properties(ref.file())["FIELD999"] == StringList("999"));
    EXPECT_TRUE(refused.contains("TITLE") || ref.tag()->title().size() == 1u << 20);
    EXPECT_TRUE(taglibReaders().at(extensionOf(sample)).open(path.c_str())->properties() ==
                TagLib::Plugins::properties(ref.file()));
  }
}

TEST(Companion, AReadOnlyFormatKeepsValuesInMemoryAndSavesNothing)
{
  ensurePluginsRegistered();
  TempDir dir;
  for(const char *sample : {"rmff/ac3.rm", "audible/book.aa"}) {
    SCOPED_TRACE(sample);
    const std::string path = dir.copy(dataPath(sample), "f" + extensionOf(sample));
    const std::string before = readFile(path);
    {
      TagLib::FileRef ref(path.c_str());
      PropertyMap map = TagLib::Plugins::properties(ref.file());
      map.replace("TITLE", StringList(String("New")));
      TagLib::Plugins::setProperties(ref.file(), map);
      EXPECT_EQ(TagLib::Plugins::properties(ref.file())["TITLE"], StringList("New"));
      EXPECT_EQ(ref.tag()->title(), "New");
      EXPECT_FALSE(TagLib::Plugins::setPictures(ref.file(), twoPictures()));
      EXPECT_TRUE(TagLib::Plugins::pictures(ref.file()).isEmpty());
      EXPECT_FALSE(ref.save());
    }
    EXPECT_TRUE(readFile(path) == before);
  }
}

TEST(Companion, TaglibsOwnFileObjectsAnswerToo)
{
  TempDir dir;
  const std::string path = dir.copy(dataPath("wav/canonical.wav"), "f.wav");
  {
    TagLib::RIFF::WAV::File file(path.c_str());
    EXPECT_TRUE(TagLib::Plugins::setPictures(&file, twoPictures()));
    PropertyMap map;
    map.replace("TITLE", StringList("Theirs"));
    EXPECT_TRUE(TagLib::Plugins::setProperties(&file, map).isEmpty());
    ASSERT_TRUE(file.save());
  }
  TagLib::RIFF::WAV::File file(path.c_str());
  expectSamePictures(TagLib::Plugins::pictures(&file), twoPictures());
  EXPECT_EQ(TagLib::Plugins::properties(&file)["TITLE"], StringList("Theirs"));
  EXPECT_EQ(TagLib::Plugins::lengthInMilliseconds(file.audioProperties()), 2250);
}

TEST(Companion, NullFilesHaveNothing)
{
  PropertyMap map;
  map.replace("TITLE", StringList("x"));
  EXPECT_TRUE(TagLib::Plugins::properties(nullptr).isEmpty());
  EXPECT_EQ(TagLib::Plugins::setProperties(nullptr, map).size(), 1u);
  EXPECT_TRUE(TagLib::Plugins::pictures(nullptr).isEmpty());
  EXPECT_FALSE(TagLib::Plugins::setPictures(nullptr, twoPictures()));
}

} // namespace
