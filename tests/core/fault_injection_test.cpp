// Every bundled sample of every format, opened, read and saved through a
// stream that fails its Nth operation, for every N that the work reaches: no
// crash, hang or leak; a failed read leaves the file untouched; a save that
// failed says so, and leaves the old file or a whole new one.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "faultystream.h"
#include "testfiles.h"
#include "aac/aacfile.h"
#include "asf/asffile.h"
#include "audible/taglib_audiblefile.h"
#include "m4a/mp4file.h"
#include "rmff/taglib_realmediafile.h"
#include "speex/speexfile.h"
#include "trueaudio/ttafile.h"
#include "wav/wavfile.h"
#include "wavpack/wvfile.h"

using namespace brenvo_test;

namespace {

using Factory = std::function<std::unique_ptr<TagLib::File>(TagLib::IOStream *)>;

template <class FileClass>
Factory factory() { return [](TagLib::IOStream *stream) { return std::make_unique<FileClass>(stream); }; }

// What a save writes: Nothing (save() is false and the file stays), one Whole
// write (a failed save leaves the old file or the new one), or several Parts
// (a failed save may leave some of them done).
enum class Saves { Nothing, Whole, Parts };
struct Format { Factory open; Saves saves; };

const std::map<std::string, Format> &formats()
{
  static const std::map<std::string, Format> table = {
    {".wv", {factory<TagLib::WavPack::File>(), Saves::Whole}},
    {".wma", {factory<TagLib::ASF::File>(), Saves::Whole}},
    {".asf", {factory<TagLib::ASF::File>(), Saves::Whole}},
    // The ID3v2 tag at the start and the ID3v1 tag at the end are two writes.
    {".tta", {factory<TagLib::TTA::File>(), Saves::Parts}},
    // As for TTA, with the APE and ID3v1 tags at the end written together.
    {".aac", {factory<TagLib::AAC::File>(), Saves::Parts}},
    {".spx", {factory<TagLib::Speex::File>(), Saves::Whole}},
    // Each tag chunk is written in its place, then the RIFF size.
    {".wav", {factory<TagLib::Wav::File>(), Saves::Parts}},
    // One write in place, one insert; appending a movie box and freeing the old one is two.
    {".m4a", {factory<TagLib::MP4::File>(), Saves::Parts}},
    {".aa", {factory<TagLib::Audible::File>(), Saves::Nothing}},
    {".ra", {factory<TagLib::RealMedia::File>(), Saves::Nothing}},
    {".rm", {factory<TagLib::RealMedia::File>(), Saves::Nothing}},
    {".rmvb", {factory<TagLib::RealMedia::File>(), Saves::Nothing}},
  };
  return table;
}

struct Reading { bool valid = false; std::string title, audio; };

// Reads everything a host reads; with \a saved, sets the title and saves.
Reading exercise(TagLib::File &file, bool *saved)
{
  Reading r;
  r.valid = file.isValid();
  if(TagLib::Tag *tag = file.tag()) {
    r.title = tag->title().to8Bit(true);
    tag->artist(), tag->album(), tag->comment(), tag->genre(), tag->year(), tag->track();
  }
  if(TagLib::AudioProperties *p = file.audioProperties()) {
    p->bitrate();
    r.audio = std::to_string(p->length()) + " " + std::to_string(p->sampleRate()) + " " + std::to_string(p->channels());
  }
  if(saved) {
    if(file.tag())
      file.tag()->setTitle("Fault injected");
    *saved = file.save();
  }
  return r;
}

Reading readBack(const Format &format, const std::string &path)
{
  FaultyStream sound(path.c_str(), -1);
  std::unique_ptr<TagLib::File> file = format.open(&sound);
  return exercise(*file, nullptr);
}

void runSample(const Format &format, const std::string &sample, FaultyStream::Mode mode)
{
  const std::string original = readFile(sample);
  TempDir dir;
  const std::string path = dir.write("f" + std::filesystem::path(sample).extension().string(), original);
  const Reading before = readBack(format, path);

  // What the whole work costs on a sound stream.
  long total = 0, readOps = 0;
  {
    FaultyStream sound(path.c_str(), -1);
    std::unique_ptr<TagLib::File> file = format.open(&sound);
    exercise(*file, nullptr);
    readOps = sound.operations();
    bool ok = false;
    exercise(*file, &ok);
    ASSERT_EQ(ok, format.saves != Saves::Nothing);
    total = sound.operations();
  }
  // What a save that went through leaves.
  const std::string saved = readFile(path);

  for(long n = 0; n <= total; ++n) {
    SCOPED_TRACE("operation " + std::to_string(n) + " of " + std::to_string(total));
    writeFile(path, original);
    bool done = false, struck = false;
    {
      FaultyStream faulty(path.c_str(), n, mode);
      faulty.setLimit(10 * total + 1000);
      std::unique_ptr<TagLib::File> file = format.open(&faulty);
      exercise(*file, &done);
      EXPECT_FALSE(faulty.runaway()) << "the work did not end";
      struck = faulty.struck();
    }
    const std::string after = readFile(path);
    if(struck && n < readOps) {
      // The file was read wrongly: saving it would write what was not read.
      EXPECT_FALSE(done);
      EXPECT_TRUE(after == original) << "a file read with a failure was written";
      continue;
    }
    if(after == original) {
      EXPECT_FALSE(done) << "a save reported success and wrote nothing";
      continue;
    }
    if(after == saved)
      continue;
    // Neither the old file nor the new one: what is left must still be sound.
    EXPECT_EQ(format.saves, Saves::Parts) << "a save of one write left a mix";
    EXPECT_FALSE(done) << "a save that reported success left another file than a sound save";
    const Reading now = readBack(format, path);
    EXPECT_TRUE(now.valid);
    EXPECT_EQ(now.audio, before.audio) << "the audio changed";
    EXPECT_TRUE(now.title == "Fault injected" || now.title == before.title);
  }
}

class FaultInjection : public ::testing::TestWithParam<std::string>
{
};

TEST_P(FaultInjection, EveryOperationOfEverySampleMayFail)
{
  const Format &format = formats().at(GetParam());
  int samples = 0;
  for(const std::string &f : allDataFiles()) {
    if(std::filesystem::path(f).extension() != GetParam())
      continue;
    SCOPED_TRACE(f);
    ++samples;
    runSample(format, f, FaultyStream::FailOne);
    runSample(format, f, FaultyStream::ShortReads);
  }
  EXPECT_GT(samples, 0);
}

std::vector<std::string> extensions()
{
  std::vector<std::string> all;
  for(const auto &entry : formats())
    all.push_back(entry.first);
  return all;
}

INSTANTIATE_TEST_SUITE_P(Formats, FaultInjection, ::testing::ValuesIn(extensions()),
                         [](const ::testing::TestParamInfo<std::string> &param) { return param.param.substr(1); });

} // namespace
