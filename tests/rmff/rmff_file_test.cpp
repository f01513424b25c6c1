// The RealMedia file, tag and properties as a host sees them, on built and on
// real files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include <fileref.h>
#include <tpropertymap.h>

#include "borrowedstreams.h"
#include "hostcalls.h"
#include "rmchunks.h"
#include "rmff/rmff.h"
#include "rmff/taglib_realmediafile.h"
#include "tresolvers.h"
#include "testfiles.h"

using namespace brenvo_test;
using namespace rmtest;
using TagLib::String;
namespace RM = TagLib::RealMedia;

namespace {

ByteBuilder withId3v1(const ByteBuilder &file)
{
  return cat({file, id3v1("V1 Title", "V1 Artist", "V1 Album", "2001", "V1 Comment", 9, 8)});
}

void expectId3v1Fields(const TagLib::Tag &tag)
{
  EXPECT_EQ(tag.title(), "V1 Title");
  EXPECT_EQ(tag.artist(), "V1 Artist");
  EXPECT_EQ(tag.album(), "V1 Album");
  EXPECT_EQ(tag.comment(), "V1 Comment");
  EXPECT_EQ(tag.genre(), "Jazz");  // genre 8
  EXPECT_EQ(tag.year(), 2001u);
  EXPECT_EQ(tag.track(), 9u);
}

void expectEmpty(const TagLib::Tag &tag)
{
  EXPECT_EQ(tag.title() + tag.artist() + tag.album() + tag.comment() + tag.genre(), String());
  EXPECT_EQ(tag.year() + tag.track(), 0u);
  EXPECT_TRUE(tag.isEmpty());
}

class RmffFile : public ::testing::Test
{
protected:
  std::unique_ptr<RM::File> open(const ByteBuilder &bytes, bool readProperties = true,
                                 const std::string &name = "file.rm")
  {
    const std::string path = dir.write(name, bytes.str());
    StderrCapture capture;
    auto file = std::make_unique<RM::File>(path.c_str(), readProperties);
    stderrText = capture.text();
    return file;
  }

  TempDir dir;
  std::string stderrText;
};

} // namespace

TEST_F(RmffFile, ResolverTakesItsExtensionsOnly)
{
  TagLib::RealMediaFileTypeResolver resolver;
  const std::string bytes = plainFile().str();
  for(const char *name : {"a.ra", "a.rv", "a.rm", "a.rmj", "a.rmvb", "A.RMVB", "b.Rm"}) {
    std::unique_ptr<TagLib::File> file(resolver.createFile(dir.write(name, bytes).c_str(), true, TagLib::AudioProperties::Average));
    EXPECT_NE(dynamic_cast<RM::File *>(file.get()), nullptr) << name;
  }
  // Nor a file TagLib cannot open.
  for(const char *name : {"a.rmvbx", "a.rm.part", "a.mp3", "rm"})
    EXPECT_EQ(resolver.createFile(dir.write(name, bytes).c_str(), true, TagLib::AudioProperties::Average), nullptr) << name;
  EXPECT_EQ(resolver.createFile((dir.path() + "/missing.rm").c_str(), true, TagLib::AudioProperties::Average), nullptr);
}

TEST_F(RmffFile, FileRefOpensThroughTheRegisteredResolver)
{
  ensurePluginsRegistered();
  TagLib::FileRef ref(dir.write("song.rmvb", withId3v1(plainFile()).str()).c_str());
  ASSERT_FALSE(ref.isNull());
  EXPECT_NE(dynamic_cast<RM::File *>(ref.file()), nullptr);
  expectId3v1Fields(*ref.tag());
  EXPECT_EQ(ref.audioProperties()->length(), 2);
  EXPECT_EQ(ref.audioProperties()->bitrate(), 64);
  EXPECT_EQ(ref.file()->properties()["TITLE"].toString(), "V1 Title");
}

TEST_F(RmffFile, LengthAndBitrateTruncateToSecondsAndKilobits)
{
  const struct
  {
    std::uint32_t duration, bitrate;
    int seconds, kilobits;
  } cases[] = {{125999, 64999, 125, 64}, {3000000000u, 3000000000u, 3000000, 3000000}};  // past 2^31: still positive
  for(const auto &c : cases) {
    auto file = open(cat({rmf(), prop(c.duration, c.bitrate), data()}));
    EXPECT_EQ(file->audioProperties()->length(), c.seconds);
    EXPECT_EQ(file->audioProperties()->bitrate(), c.kilobits);
  }
}

TEST_F(RmffFile, TagFallsBackToTheContentDescriptionFieldByField)
{
  const struct
  {
    const char *what;
    ByteBuilder bytes;
    bool readProperties;
    const wchar_t *title, *artist, *album, *comment;
  } cases[] = {
      {"no ID3v1 tag", plainFile(), true, L"Cont Title", L"Cont Author", L"", L"Cont Comment"},
      {"ID3v1 with title and album only", cat({plainFile(), id3v1("V1 Title", "", "V1 Album")}), true, L"V1 Title",
       L"Cont Author", L"V1 Album", L"Cont Comment"},
      {"Latin-1 texts", cat({rmf(), prop(), cont("Caf\xe9", "\xc5sa", "", "na\xefve"), data()}), true, L"Caf\u00e9",
       L"\u00c5sa", L"", L"na\u00efve"},
      {"empty texts", cat({rmf(), prop(), cont("", "", "", ""), data()}), true, L"", L"", L"", L""},
      {"shorter than an ID3v1 tag", ByteBuilder().text("TAG").fill(40, 'x'), false, L"", L"", L"", L""},
      {"media data at the end", ByteBuilder().fill(400, 'A'), false, L"", L"", L"", L""},
      {"only an ID3v1 tag", id3v1("Only"), false, L"Only", L"", L"", L""},
      {"ID3v1 without reading properties", withId3v1(plainFile()), false, L"V1 Title", L"V1 Artist", L"V1 Album",
       L"V1 Comment"},
  };
  for(const auto &c : cases) {
    SCOPED_TRACE(c.what);
    auto file = open(c.bytes, c.readProperties);
    const TagLib::Tag &tag = *file->tag();
    EXPECT_EQ(tag.title(), String(c.title));
    EXPECT_EQ(tag.artist(), String(c.artist));
    EXPECT_EQ(tag.album(), String(c.album));
    EXPECT_EQ(tag.comment(), String(c.comment));
    EXPECT_EQ(tag.isEmpty(), (tag.title() + tag.artist() + tag.album() + tag.comment()).isEmpty());
  }
}

TEST_F(RmffFile, AFailedReadShowsAnEmptyTagAndZeroProperties)
{
  auto file = open(withId3v1(cat({rmf(), prop(), cont("t", "a", "c", "m", 1), data()})));
  EXPECT_NE(stderrText, "");
  EXPECT_EQ(file->reader()->err(), -1);
  expectEmpty(*file->tag());  // isEmpty() agrees with the getters, ID3v1 tag or not
  EXPECT_EQ(file->audioProperties()->length(), 0);
  EXPECT_EQ(file->audioProperties()->bitrate(), 0);
}

TEST_F(RmffFile, NothingIsWritten)
{
  const ByteBuilder bytes = withId3v1(plainFile());
  auto file = open(bytes);
  TagLib::Tag *tag = file->tag();
  tag->setTitle("New");
  tag->setGenre("Rock");
  tag->setYear(1990);
  // Changed in memory only.
  EXPECT_EQ(tag->title(), "New");
  EXPECT_EQ(tag->genre(), "Rock");
  EXPECT_EQ(tag->year(), 1990u);
  EXPECT_FALSE(file->save());
  EXPECT_FALSE(file->reader()->id3v1Holder()->save());
  file.reset();
  EXPECT_EQ(readFile(dir.path() + "/file.rm"), bytes.str());
}

TEST_F(RmffFile, TagCopiesAndDuplicate)
{
  auto a = open(withId3v1(plainFile()), true, "a.rm");
  auto b = open(plainFile(), true, "b.rm");
  RM::Tag *source = a->RealMediaTag();
  {
    SCOPED_TRACE("a tag made with the copy flag reads the file again through its own reader");
    RM::Tag copy(a->reader(), true);
    EXPECT_NE(copy.reader(), a->reader());
    expectId3v1Fields(copy);
  }
  {
    SCOPED_TRACE("duplicate onto a target that borrows its reader: both share the source's");
    RM::Tag target(b->reader(), false);
    RM::Tag::duplicate(source, &target, true);
    EXPECT_EQ(target.reader(), source->reader());
    expectId3v1Fields(target);
  }
  {
    SCOPED_TRACE("duplicate onto an owning target: it gets its own copy of the source's reader");
    RM::Tag target(b->reader(), true);
    RM::Tag::duplicate(source, &target, true);
    EXPECT_TRUE(target.ownsReader());
    EXPECT_NE(target.reader(), source->reader());
    expectId3v1Fields(target);
    RM::Tag::duplicate(&target, &target, true);  // the reader is copied before the old one goes
    expectId3v1Fields(target);
  }
  {
    SCOPED_TRACE("no overwrite onto a target with fields: nothing changes");
    RM::Tag target(b->reader(), false);
    RM::Tag::duplicate(source, &target, false);
    EXPECT_EQ(target.title(), "Cont Title");
  }
}

// ------------------------------------------------------------------ real files

namespace {

struct Expected
{
  const char *file, *title, *artist, *album, *comment;
  unsigned int year, track;
  int length, bitrate;
};

// Values as ffprobe and mutagen read them (see make.sh).
const Expected realFiles[] = {
  {"rmff/ac3.rm", "Sine Title", "Sine Author", "", "AC-3 in RealMedia", 0, 0, 1, 64},
  {"rmff/ac3-id3v1.rm", "ID3 Title", "ID3 Artist", "ID3 Album", "ID3 comment", 2025, 7, 1, 64},
  {"rmff/real144.ra", "Speech Title", "Speech Author", "", "RealAudio 1.0", 0, 0, 0, 8},
  {"rmff/real144-id3v1.ra", "ID3 Title", "Speech Author", "ID3 Album", "RealAudio 1.0", 0, 0, 0, 8},
  {"rmff/av.rmvb", "Video Title", "Video Author", "", "", 0, 0, 1, 52},
};

//! One value that ffprobe prints for \a entry (e.g. "stream=duration"), or "" without ffprobe.
std::string ffprobe(const std::string &path, const std::string &entry)
{
  const std::string command = "ffprobe -v error -show_entries " + entry +
                              " -of default=noprint_wrappers=1:nokey=1 '" + path + "'";
  std::string out;
  if(FILE *pipe = ::popen(command.c_str(), "r")) {
    char buf[256];
    while(std::fgets(buf, sizeof(buf), pipe))
      out += buf;
    ::pclose(pipe);
  }
  return out.substr(0, out.find_last_not_of("\r\n") + 1);
}

} // namespace

TEST(RmffRealFiles, ShowTheirFieldsLengthAndBitrate)
{
  ensurePluginsRegistered();
  for(const Expected &e : realFiles) {
    SCOPED_TRACE(e.file);
    StderrCapture capture;
    TagLib::FileRef ref(dataPath(e.file).c_str());
    ASSERT_FALSE(ref.isNull());
    EXPECT_EQ(ref.tag()->title(), e.title);
    EXPECT_EQ(ref.tag()->artist(), e.artist);
    EXPECT_EQ(ref.tag()->album(), e.album);
    EXPECT_EQ(ref.tag()->comment(), e.comment);
    EXPECT_EQ(ref.tag()->year(), e.year);
    EXPECT_EQ(ref.tag()->track(), e.track);
    EXPECT_FALSE(ref.tag()->isEmpty());
    EXPECT_EQ(ref.audioProperties()->length(), e.length);
    EXPECT_EQ(ref.audioProperties()->bitrate(), e.bitrate);
    EXPECT_EQ(capture.text(), "");
  }
}

TEST(RmffRealFiles, LengthAndBitrateAgreeWithFfprobe)
{
  if(!haveProgram("ffprobe"))
    GTEST_SKIP() << "ffprobe not installed";
  for(const Expected &e : realFiles) {
    SCOPED_TRACE(e.file);
    const std::string path = dataPath(e.file);
    const double duration = std::stod(ffprobe(path, "format=duration"));
    // The file's average bit rate is the sum of its streams'.
    int bitrate = 0;
    std::istringstream streams(ffprobe(path, "stream=bit_rate"));
    for(std::string line; std::getline(streams, line);)
      bitrate += std::stoi(line);
    RM::File file(path.c_str());
    EXPECT_EQ(file.audioProperties()->length(), static_cast<int>(std::floor(duration)));
    EXPECT_EQ(file.audioProperties()->bitrate(), bitrate / 1000);
    EXPECT_EQ(static_cast<RM::Properties *>(file.audioProperties())->lengthInMilliseconds(), std::lround(duration * 1000));
  }
}

TEST(RmffStreams, ABorrowedStreamReadsTheSameAsThePath)
{
  TempDir dir;
  std::vector<std::string> paths;
  for(const Expected &e : realFiles)
    paths.push_back(dataPath(e.file));
  MdProp root;
  root.name = "root";
  paths.push_back(dir.write("late.rm", cat({rmf(), prop(), mdpr(), cont(), data(200000), rmmd(root.bytes()), id3v1("V1 Title")}).str()));
  paths.push_back(dir.write("failing.rm", withId3v1(cat({rmf(), prop(), cont("t", "a", "c", "m", 1), data()})).str()));

  for(const std::string &path : paths) {
    for(bool readProperties : {true, false}) {
      SCOPED_TRACE(path + (readProperties ? "" : ", no properties"));
      StderrCapture capture;
      const RM::File byPath(path.c_str(), readProperties);
      withBorrowedStreams(path, [&](TagLib::IOStream *stream) {
        const RM::File file(stream, readProperties);
        EXPECT_TRUE(file.isValid());
        expectSameTag(*byPath.tag(), *file.tag());
        expectSameProperties(*byPath.audioProperties(), *file.audioProperties());
        EXPECT_EQ(file.reader()->err(), byPath.reader()->err());
        EXPECT_EQ(file.reader()->records().size(), byPath.reader()->records().size());
        EXPECT_EQ(file.reader()->metadataSection() != nullptr, byPath.reader()->metadataSection() != nullptr);
      });
    }
  }
}
