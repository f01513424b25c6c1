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
  ByteBuilder b;
  b.append(file).append(id3v1("V1 Title", "V1 Artist", "V1 Album", "2001", "V1 Comment", 9, 8));
  return b;
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
  EXPECT_EQ(tag.title(), String());
  EXPECT_EQ(tag.artist(), String());
  EXPECT_EQ(tag.album(), String());
  EXPECT_EQ(tag.comment(), String());
  EXPECT_EQ(tag.genre(), String());
  EXPECT_EQ(tag.year(), 0u);
  EXPECT_EQ(tag.track(), 0u);
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
    const std::string path = dir.write(name, bytes);
    std::unique_ptr<TagLib::File> file(resolver.createFile(path.c_str(), true, TagLib::AudioProperties::Average));
    EXPECT_NE(dynamic_cast<RM::File *>(file.get()), nullptr) << name;
  }
  for(const char *name : {"a.rmvbx", "a.rm.part", "a.mp3", "rm"}) {
    const std::string path = dir.write(name, bytes);
    EXPECT_EQ(resolver.createFile(path.c_str(), true, TagLib::AudioProperties::Average), nullptr) << name;
  }
  // A file TagLib cannot open is not returned.
  EXPECT_EQ(resolver.createFile((dir.path() + "/missing.rm").c_str(), true, TagLib::AudioProperties::Average), nullptr);
}

TEST_F(RmffFile, FileRefOpensThroughTheRegisteredResolver)
{
  ensurePluginsRegistered();
  const std::string path = dir.write("song.rmvb", withId3v1(plainFile()).str());
  TagLib::FileRef ref(path.c_str());
  ASSERT_FALSE(ref.isNull());
  EXPECT_NE(dynamic_cast<RM::File *>(ref.file()), nullptr);
  ASSERT_NE(ref.tag(), nullptr);
  expectId3v1Fields(*ref.tag());
  ASSERT_NE(ref.audioProperties(), nullptr);
  EXPECT_EQ(ref.audioProperties()->length(), 2);
  EXPECT_EQ(ref.audioProperties()->bitrate(), 64);
  EXPECT_EQ(ref.file()->properties()["TITLE"].toString(), "V1 Title");
}

TEST_F(RmffFile, Id3v1WithoutReadingProperties)
{
  auto file = open(withId3v1(plainFile()), false);
  EXPECT_EQ(stderrText, "");
  expectId3v1Fields(*file->tag());
  EXPECT_FALSE(file->tag()->isEmpty());
  EXPECT_EQ(file->audioProperties()->length(), 0);
  EXPECT_EQ(file->audioProperties()->bitrate(), 0);
  EXPECT_EQ(file->audioProperties()->sampleRate(), 0);
  EXPECT_EQ(file->audioProperties()->channels(), 0);
  EXPECT_EQ(file->RealMediaTag(), file->tag());
}

TEST_F(RmffFile, LengthAndBitrateTruncateToSecondsAndKilobits)
{
  MdProp root;
  root.name = "root";
  ByteBuilder b;
  b.append(rmf()).append(prop(125999, 64999)).append(mdpr()).append(cont()).append(data()).append(rmmd(root.bytes()))
      .append(id3v1("V1 Title", "V1 Artist", "V1 Album", "2001", "V1 Comment", 9, 8));
  auto file = open(b);
  EXPECT_EQ(stderrText, "");
  EXPECT_EQ(file->audioProperties()->length(), 125);
  EXPECT_EQ(file->audioProperties()->bitrate(), 64);
  expectId3v1Fields(*file->tag());
}

TEST_F(RmffFile, LengthBeyondTwoToTheThirtyFirstMillisecondsStaysPositive)
{
  auto file = open(ByteBuilder().append(rmf()).append(prop(3000000000u, 3000000000u)).append(data()));
  EXPECT_EQ(file->audioProperties()->length(), 3000000);
  EXPECT_EQ(file->audioProperties()->bitrate(), 3000000);
}

TEST_F(RmffFile, TagFallsBackToTheContentDescriptionFieldByField)
{
  {
    SCOPED_TRACE("no ID3v1 tag: title, artist and comment from the content description");
    auto file = open(plainFile());
    const TagLib::Tag &tag = *file->tag();
    EXPECT_EQ(tag.title(), "Cont Title");
    EXPECT_EQ(tag.artist(), "Cont Author");
    EXPECT_EQ(tag.comment(), "Cont Comment");
    EXPECT_EQ(tag.album(), String());
    EXPECT_EQ(tag.genre(), String());
    EXPECT_EQ(tag.year(), 0u);
    EXPECT_FALSE(tag.isEmpty());
    EXPECT_EQ(file->audioProperties()->length(), 2);
  }
  {
    SCOPED_TRACE("ID3v1 with title and album only");
    ByteBuilder b;
    b.append(plainFile()).append(id3v1("V1 Title", "", "V1 Album", "", "", 0, 255));
    auto file = open(b);
    const TagLib::Tag &tag = *file->tag();
    EXPECT_EQ(tag.title(), "V1 Title");
    EXPECT_EQ(tag.artist(), "Cont Author");
    EXPECT_EQ(tag.album(), "V1 Album");
    EXPECT_EQ(tag.comment(), "Cont Comment");
    EXPECT_EQ(tag.genre(), String());
  }
  {
    SCOPED_TRACE("content description texts are Latin-1");
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(cont("Caf\xe9", "\xc5sa", "", "na\xefve")).append(data());
    auto file = open(b);
    EXPECT_EQ(file->tag()->title(), String(L"Caf\u00e9"));
    EXPECT_EQ(file->tag()->artist(), String(L"\u00c5sa"));
    EXPECT_EQ(file->tag()->comment(), String(L"na\u00efve"));
  }
  {
    SCOPED_TRACE("empty content description texts and no ID3v1: an empty tag");
    ByteBuilder b;
    b.append(rmf()).append(prop()).append(cont("", "", "", "")).append(data());
    auto file = open(b);
    expectEmpty(*file->tag());
  }
}

TEST_F(RmffFile, AFailedReadShowsAnEmptyTagAndZeroProperties)
{
  ByteBuilder b;
  b.append(rmf()).append(prop()).append(cont("t", "a", "c", "m", 1)).append(data());
  auto file = open(withId3v1(b));
  EXPECT_NE(stderrText, "");
  EXPECT_EQ(file->reader()->err(), -1);
  // isEmpty() agrees with the getters, ID3v1 tag or not.
  expectEmpty(*file->tag());
  EXPECT_EQ(file->audioProperties()->length(), 0);
  EXPECT_EQ(file->audioProperties()->bitrate(), 0);
}

TEST_F(RmffFile, FilesWithoutAnId3v1Tag)
{
  {
    SCOPED_TRACE("shorter than 128 bytes");
    auto file = open(ByteBuilder().text("TAG").fill(40, 'x'), false);
    ASSERT_NE(file->reader()->id3v1Holder(), nullptr);
    ASSERT_NE(file->reader()->id3v1Holder()->tag(), nullptr);
    expectEmpty(*file->tag());
  }
  {
    SCOPED_TRACE("last 128 bytes are media data");
    auto file = open(ByteBuilder().fill(400, 'A'), false);
    expectEmpty(*file->tag());
  }
  {
    SCOPED_TRACE("exactly 128 bytes of ID3v1");
    auto file = open(id3v1("Only", "", "", "", "", 0, 255), false);
    EXPECT_EQ(file->tag()->title(), "Only");
  }
}

TEST_F(RmffFile, NothingIsWritten)
{
  const ByteBuilder bytes = withId3v1(plainFile());
  auto file = open(bytes);
  TagLib::Tag *tag = file->tag();
  tag->setTitle("New");
  tag->setArtist("New");
  tag->setAlbum("New");
  tag->setComment("New");
  tag->setGenre("Rock");
  tag->setYear(1990);
  tag->setTrack(3);
  expectId3v1Fields(*tag);
  EXPECT_FALSE(file->save());
  EXPECT_FALSE(file->reader()->id3v1Holder()->save());
  EXPECT_EQ(file->reader()->id3v1Holder()->audioProperties(), nullptr);
  file.reset();
  EXPECT_EQ(readFile(dir.path() + "/file.rm"), bytes.str());
}

TEST_F(RmffFile, TagCopiesAndDuplicate)
{
  auto a = open(withId3v1(plainFile()), true, "a.rm");
  auto b = open(plainFile(), true, "b.rm");
  RM::Tag *source = a->RealMediaTag();
  EXPECT_FALSE(source->ownsReader());
  EXPECT_EQ(source->reader(), a->reader());

  {
    SCOPED_TRACE("a tag made with the copy flag reads the file again through its own reader");
    RM::Tag copy(a->reader(), true);
    EXPECT_TRUE(copy.ownsReader());
    EXPECT_NE(copy.reader(), a->reader());
    expectId3v1Fields(copy);
  }
  {
    SCOPED_TRACE("duplicate onto a target that borrows its reader: both share the source's");
    RM::Tag target(b->reader(), false);
    EXPECT_EQ(target.title(), "Cont Title");
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
    EXPECT_NE(target.reader(), nullptr);
    expectId3v1Fields(target);
    // Onto itself: the reader is copied before the old one goes.
    RM::Tag::duplicate(&target, &target, true);
    expectId3v1Fields(target);
  }
  {
    SCOPED_TRACE("no overwrite onto a target with fields: nothing changes");
    RM::Tag target(b->reader(), false);
    RM::Tag::duplicate(source, &target, false);
    EXPECT_EQ(target.reader(), b->reader());
    EXPECT_EQ(target.title(), "Cont Title");
  }
}

// ------------------------------------------------------------------ real files

namespace {

struct Expected
{
  const char *file;
  const char *title;
  const char *artist;
  const char *album;
  const char *comment;
  unsigned int year;
  unsigned int track;
  int length;
  int bitrate;
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
  while(!out.empty() && (out.back() == '\n' || out.back() == '\r'))
    out.pop_back();
  return out;
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
    EXPECT_EQ(file.reader()->length(), static_cast<unsigned int>(std::lround(duration * 1000)));
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
  ByteBuilder late;
  late.append(rmf()).append(prop()).append(mdpr()).append(cont()).append(data(200000)).append(rmmd(root.bytes()))
      .append(id3v1("V1 Title", "", "", "", "", 0, 255));
  paths.push_back(dir.write("late.rm", late.str()));
  ByteBuilder failing;
  failing.append(rmf()).append(prop()).append(cont("t", "a", "c", "m", 1)).append(data());
  paths.push_back(dir.write("failing.rm", withId3v1(failing).str()));

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
