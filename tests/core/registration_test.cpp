#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <fileref.h>

#include "aac/aacfile.h"
#include "asf/asffile.h"
#include "audible/taglib_audiblefile.h"
#include "hostcalls.h"
#include "m4a/mp4file.h"
#include "rmff/taglib_realmediafile.h"
#include "speex/speexfile.h"
#include "testfiles.h"
#include "trueaudio/ttafile.h"
#include "wav/wavfile.h"
#include "wavpack/wvfile.h"

using namespace brenvo_test;

namespace {

template <class FileType>
bool isA(TagLib::File *file)
{
  return dynamic_cast<FileType *>(file) != nullptr;
}

struct FormatCase
{
  const char *sample;
  std::function<bool(TagLib::File *)> ours;
  const char *className;
};

// TagLib 1.13 reads several of these formats itself; the resolvers must win.
const FormatCase formats[] = {
  {"m4a/aac-stereo-48k.m4a", isA<TagLib::MP4::File>, "MP4::File"},
  {"asf/ffmpeg-tags.wma", isA<TagLib::ASF::File>, "ASF::File"},
  {"rmff/ac3.rm", isA<TagLib::RealMedia::File>, "RealMedia::File"},
  {"audible/book.aa", isA<TagLib::Audible::File>, "Audible::File"},
  {"aac/sine.aac", isA<TagLib::MPEG::AACFile>, "MPEG::AACFile"},
  {"wavpack/stereo16-ape.wv", isA<TagLib::WavPack::File>, "WavPack::File"},
  {"speex/wideband.spx", isA<TagLib::Speex::File>, "Speex::File"},
  {"trueaudio/mono16-id3v2.tta", isA<TagLib::TTA::File>, "TTA::File"},
  {"wav/canonical.wav", isA<TagLib::Wav::File>, "Wav::File"},
};

} // namespace

TEST(Registration, FileRefOpensEveryFormatThroughThisLibrary)
{
  ensurePluginsRegistered();
  for(const FormatCase &c : formats) {
    SCOPED_TRACE(c.sample);
    TagLib::FileRef ref(dataPath(c.sample).c_str());
    ASSERT_FALSE(ref.isNull());
    EXPECT_TRUE(c.ours(ref.file())) << "not opened as " << c.className;
    EXPECT_NE(ref.tag(), nullptr);
  }
}

TEST(Registration, TheExtensionDecidesNotTheContent)
{
  ensurePluginsRegistered();
  TempDir dir;
  for(const FormatCase &c : formats) {
    SCOPED_TRACE(c.sample);
    const std::string bytes = readFile(dataPath(c.sample));
    // TagLib may still recognise the content itself; our resolvers go by the name.
    const TagLib::FileRef ref(dir.write("no-extension", bytes).c_str());
    EXPECT_FALSE(c.ours(ref.file()));
  }
}

TEST(Registration, AacNames)
{
  ensurePluginsRegistered();
  TempDir dir;
  std::filesystem::create_directory(dir.path() + "/dir.aac");
  const std::string bytes = readFile(dataPath("aac/sine.aac"));
  const struct
  {
    const char *name;
    bool taken;
  } names[] = {
    {"song.aac", true}, {"Song.AAC", true}, {"SONG.Aac", true}, {".aac", true},
    {"song.aac.part", false}, {"song.aacx", false}, {"songaac", false}, {"dir.aac/track", false},
  };
  for(const auto &n : names) {
    SCOPED_TRACE(n.name);
    TagLib::FileRef ref(dir.write(n.name, bytes).c_str());
    EXPECT_EQ(isA<TagLib::MPEG::AACFile>(ref.file()), n.taken);
    if(n.taken) {
      EXPECT_NE(ref.tag(), nullptr);
    }
  }
}
