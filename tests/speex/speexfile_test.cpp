// Speex files: opening through the resolver, the comment, saving, and the
// refusals that keep other Ogg streams and unwritable files untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <fileref.h>
#include <tfilestream.h>
#include <tpropertymap.h>
#include <sys/stat.h>

#include "common/fdstream.h"
#include "hostcalls.h"
#include "speex/speexfile.h"
#include "tresolvers.h"
#include "speexbuilder.h"
#include "testfiles.h"

using namespace brenvo_test;

namespace {

using SpeexFile = TagLib::Speex::File;

std::unique_ptr<SpeexFile> openSpeex(const std::string &path, bool readProperties = true)
{
  return std::make_unique<SpeexFile>(path.c_str(), readProperties);
}

// The audio part of a stream: every packet from 2 on.
std::vector<std::string> audioOf(const std::string &path)
{
  std::vector<std::string> packets = oggPackets(readFile(path));
  packets.erase(packets.begin(), packets.begin() + std::min<std::size_t>(2, packets.size()));
  return packets;
}

// Decodes \a path to raw samples with speexdec (or ffmpeg); empty when neither worked.
std::string decode(const std::string &path, const std::string &out)
{
  std::string command;
  if(haveProgram("speexdec"))
    command = "speexdec '" + path + "' '" + out + "' 2>/dev/null";
  else
    command = "ffmpeg -v error -y -i '" + path + "' -f s16le '" + out + "' 2>/dev/null";
  if(std::system(command.c_str()) != 0)
    return std::string();
  return readFile(out);
}

struct RealFile
{
  const char *name;
  const char *title;
  const char *author;
  int sampleRate;
  int channels;
  int length;
};

// Values checked with ffprobe, mutagen and the header bytes read by a script.
const RealFile realFiles[] = {
  {"narrowband.spx", "Narrow Title", "Narrow Author", 8000, 1, 2},
  {"wideband.spx", "Wide Title", "Wide Author", 16000, 1, 2},
  {"vbr-stereo.spx", "Variable", "VBR Author", 16000, 2, 1},
  {"untagged.spx", "", "", 8000, 1, 2},
};

} // namespace

TEST(SpeexRealFiles, PropertiesAndCommentMatchTheEncoder)
{
  ensurePluginsRegistered();
  for(const RealFile &real : realFiles) {
    SCOPED_TRACE(real.name);
    TagLib::FileRef ref(dataPath(std::string("speex/") + real.name).c_str());
    ASSERT_FALSE(ref.isNull());
    auto *file = dynamic_cast<SpeexFile *>(ref.file());
    ASSERT_NE(file, nullptr);
    ASSERT_NE(file->tag(), nullptr);
    EXPECT_EQ(file->tag()->title(), real.title);
    // speexenc writes its author as AUTHOR, which is not the tag's artist.
    const TagLib::Ogg::FieldListMap fields = file->tag()->fieldListMap();
    if(*real.author) {
      ASSERT_TRUE(fields.contains("AUTHOR"));
      EXPECT_EQ(fields["AUTHOR"].front(), real.author);
    }
    EXPECT_EQ(file->tag()->artist(), "");
    EXPECT_TRUE(file->tag()->vendorID().startsWith("Encoded with Speex 1.2.1"));

    const TagLib::Speex::Properties *props = file->audioProperties();
    ASSERT_NE(props, nullptr);
    EXPECT_EQ(props->sampleRate(), real.sampleRate);
    EXPECT_EQ(props->channels(), real.channels);
    EXPECT_EQ(props->length(), real.length);
    EXPECT_EQ(props->speexVersion(), 1);
    EXPECT_GT(props->bitrate(), 0);  // speexenc stores -1, "unknown": measured over the stream
  }
}

namespace {

// A file whose Nth read or write (0: none) from arm() on fails, reading or
// writing nothing, and that counts the writes asked for after that failure.
class FailingStream : public TagLib::DescriptorStream
{
public:
  explicit FailingStream(const std::string &path) : DescriptorStream(path.c_str()) {}

  void arm(int failAt)
  {
    target = failAt;
    operations = 0;
  }

  TagLib::ByteVector readBlock(unsigned long length) override
  {
    return pass(false) ? DescriptorStream::readBlock(length) : TagLib::ByteVector();
  }
  void writeBlock(const TagLib::ByteVector &data) override
  {
    if(pass(true))
      DescriptorStream::writeBlock(data);
  }
  void insert(const TagLib::ByteVector &data, unsigned long start, unsigned long replace) override
  {
    if(pass(true))
      DescriptorStream::insert(data, start, replace);
  }
  void removeBlock(unsigned long start, unsigned long length) override
  {
    if(pass(true))
      DescriptorStream::insert(TagLib::ByteVector(), start, length);
  }
  void truncate(long length) override
  {
    if(pass(true))
      DescriptorStream::truncate(length);
  }
  bool failed() const override { return refused || DescriptorStream::failed(); }
  void clearFailure() override
  {
    refused = false;
    DescriptorStream::clearFailure();
  }

  //! The reads and writes since arm(), the failed one included.
  int operations = 0;
  int writesAfterFailure = 0;

private:
  bool pass(bool write)
  {
    if(refused && write)
      ++writesAfterFailure;
    refused = refused || ++operations == target;
    return operations != target;
  }

  int target = 0;
  bool refused = false;
};

// What a host sees of a Speex file.
std::string describe(SpeexFile &file)
{
  std::string text = file.isValid() ? "valid" : "invalid";
  if(file.tag())
    text += " " + file.tag()->vendorID().to8Bit(true) + " " + file.properties().toString().to8Bit(true);
  if(const TagLib::Speex::Properties *p = file.audioProperties()) {
    for(int value : {p->length(), p->bitrate(), p->sampleRate(), p->channels(), p->speexVersion()})
      text += " " + std::to_string(value);
  }
  return text;
}

} // namespace

TEST(SpeexStream, ABorrowedStreamReadsAsThePath)
{
  TempDir dir;
  std::vector<std::string> paths;
  for(const RealFile &real : realFiles)
    paths.push_back(dataPath(std::string("speex/") + real.name));
  paths.push_back(dir.write("built.spx", speexStream()));
  paths.push_back(dir.write("junk.spx", "not an ogg file at all"));
  for(const std::string &path : paths) {
    for(bool readProperties : {true, false}) {
      SCOPED_TRACE(path + (readProperties ? "" : " without properties"));
      SpeexFile byPath(path.c_str(), readProperties);
      TagLib::FileStream stream(path.c_str(), true);
      SpeexFile byStream(&stream, readProperties);
      EXPECT_EQ(describe(byStream), describe(byPath));
      EXPECT_EQ(std::string(byStream.name()), path);
      EXPECT_TRUE(byStream.readOnly());
    }
  }
}

TEST(SpeexStream, AFailedReadLeavesNeitherTagNorProperties)
{
  TempDir dir;
  const std::string path = dir.copy(dataPath("speex/narrowband.spx"), "r.spx");
  int operations = 0;
  for(int failAt = 0; failAt == 0 || failAt <= operations; ++failAt) {
    SCOPED_TRACE(failAt);
    FailingStream stream(path);
    stream.arm(failAt);
    SpeexFile file(&stream);
    if(failAt == 0) {
      operations = stream.operations;
      EXPECT_NE(file.tag(), nullptr);
    }
    else {
      EXPECT_FALSE(file.isValid());
      EXPECT_EQ(file.tag(), nullptr);
      EXPECT_EQ(file.audioProperties(), nullptr);
    }
  }
  EXPECT_GT(operations, 1);
}

TEST(SpeexResolver, TakesSpxInAnyCaseAndOnlyValidSpeex)
{
  TempDir dir;
  const TagLib::SpeexFileTypeResolver resolver;
  const std::string stream = speexStream();
  for(const char *name : {"a.spx", "b.SPX", "c.Spx"}) {
    std::unique_ptr<TagLib::File> file(resolver.createFile(dir.write(name, stream).c_str(), true,
                                                           TagLib::AudioProperties::Average));
    ASSERT_NE(file, nullptr) << name;
    EXPECT_NE(dynamic_cast<SpeexFile *>(file.get()), nullptr);
    EXPECT_NE(file->tag(), nullptr);
  }
  EXPECT_EQ(resolver.createFile(dir.write("d.spx.part", stream).c_str(), true, TagLib::AudioProperties::Average), nullptr);
  EXPECT_EQ(resolver.createFile(dir.write("e.ogg", stream).c_str(), true, TagLib::AudioProperties::Average), nullptr);
  // Constructed, found invalid and deleted.
  EXPECT_EQ(resolver.createFile((dir.path() + "/missing.spx").c_str(), true, TagLib::AudioProperties::Average), nullptr);
}

TEST(SpeexNotSpeex, OtherOggStreamsAreInvalidAndNeverWritten)
{
  TempDir dir;
  // A Vorbis-like stream: valid Ogg pages, but packet 0 is not a Speex header.
  const std::string other = oggPage({std::string("\x01vorbis") + std::string(23, '\0')}, 0, 0, FirstPage) +
                            oggPage({commentPacket("other", {"TITLE=Keep"}) + "\x01"}, 0, 1) +
                            oggPage(audioPackets(), 8000, 2, LastPage);
  // "Speex" without its three spaces is not the identification either.
  const std::string almost = speexStream(std::string("Speex") + speexHeader().substr(8), commentPacket("v", {}));
  for(const std::string &bytes : {other, almost, std::string("not an ogg file at all"), std::string()}) {
    const std::string path = dir.write("other.spx", bytes);
    {
      SpeexFile file(path.c_str());
      EXPECT_FALSE(file.isValid());
      EXPECT_EQ(file.tag(), nullptr);
      EXPECT_EQ(file.audioProperties(), nullptr);
      EXPECT_FALSE(file.save());
    }
    EXPECT_EQ(readFile(path), bytes);

    ensurePluginsRegistered();
    EXPECT_TRUE(TagLib::FileRef(path.c_str()).isNull());
  }
}

TEST(SpeexSave, UnchangedTagIsStillRenderedIntoPacketOne)
{
  TempDir dir;
  const std::string path = dir.write("u.spx", speexStream());
  TagLib::ByteVector rendered;
  {
    auto file = openSpeex(path);
    rendered = file->tag()->render();
    ASSERT_TRUE(file->save());
  }
  auto file = openSpeex(path);
  EXPECT_EQ(file->packet(1), rendered);
  EXPECT_EQ(file->tag()->title(), "Built title");
}

TEST(SpeexSave, CommentGrowsOverManyPagesAndShrinksBackAudioUntouched)
{
  TempDir dir;
  const std::string path = dir.write("big.spx", speexStream());
  const auto audioBefore = audioOf(path);
  ASSERT_EQ(audioBefore.size(), 3u);
  const TagLib::String big(std::string(200000, 'x'));
  {
    auto file = openSpeex(path);
    file->tag()->setTitle("New title");
    file->tag()->addField("AUTHOR", "Someone");
    file->tag()->setComment(big);
    ASSERT_TRUE(file->save());
  }
  EXPECT_GT(readFile(path).size(), 200000u);
  EXPECT_EQ(audioOf(path), audioBefore);
  {
    auto file = openSpeex(path);
    EXPECT_EQ(file->tag()->title(), "New title");
    EXPECT_EQ(file->tag()->artist(), "Built artist");
    EXPECT_EQ(file->tag()->fieldListMap()["AUTHOR"].front(), "Someone");
    EXPECT_EQ(file->tag()->comment(), big);
    EXPECT_EQ(file->audioProperties()->length(), 2);
    file->tag()->setComment("");
    ASSERT_TRUE(file->save());
  }
  EXPECT_LT(readFile(path).size(), 1000u);
  EXPECT_EQ(audioOf(path), audioBefore);
  auto file = openSpeex(path);
  EXPECT_EQ(file->tag()->comment(), "");
  EXPECT_EQ(file->tag()->title(), "New title");
}

TEST(SpeexLayouts, PacketsOnTheLastPageAreRead)
{
  // Streams that end early: the header or the comment sits on the last page.
  TempDir dir;
  const std::string header = speexHeader();
  const std::string comment = commentPacket("v", {"TITLE=Last page"});
  const std::vector<std::string> audio = audioPackets(2);
  const std::string onePage = oggPage({header, comment, audio[0], audio[1]}, 16000, 0, FirstPage | LastPage);
  const std::string noAudio = oggPage({header}, 0, 0, FirstPage) + oggPage({comment}, 0, 1, LastPage);
  for(const std::string &bytes : {onePage, noAudio}) {
    const std::string path = dir.write("short.spx", bytes);
    {
      auto file = openSpeex(path);
      ASSERT_TRUE(file->isValid());
      ASSERT_NE(file->tag(), nullptr);
      EXPECT_EQ(file->tag()->title(), "Last page");
      ASSERT_NE(file->audioProperties(), nullptr);
      EXPECT_EQ(file->audioProperties()->sampleRate(), 8000);
      file->tag()->setTitle("Saved");
      ASSERT_TRUE(file->save());
    }
    auto file = openSpeex(path);
    EXPECT_EQ(file->tag()->title(), "Saved");
    EXPECT_EQ(oggPackets(readFile(path)).size(), oggPackets(bytes).size());
  }
}

TEST(SpeexSave, StreamWithoutCommentPacketIsNotWritten)
{
  TempDir dir;
  const std::string bytes = oggPage({speexHeader()}, 0, 0, FirstPage | LastPage);
  const std::string path = dir.write("h.spx", bytes);
  {
    auto file = openSpeex(path);
    ASSERT_TRUE(file->isValid());
    ASSERT_NE(file->tag(), nullptr);
    EXPECT_TRUE(file->tag()->isEmpty());
    ASSERT_NE(file->audioProperties(), nullptr);
    EXPECT_EQ(file->audioProperties()->sampleRate(), 8000);
    // The Ogg layer cannot add a packet: saving must not claim success.
    file->tag()->setTitle("Nowhere to go");
    EXPECT_FALSE(file->save());
  }
  EXPECT_EQ(readFile(path), bytes);
}

TEST(SpeexSave, AFailedReadOrWriteFailsTheSaveAndNothingIsWrittenAfterIt)
{
  TempDir dir;
  const std::string bytes = speexStream();
  // A comment over many pages, so that the pages behind it are renumbered too.
  const TagLib::String big(std::string(200000, 'x'));
  int operations = 0;
  for(int failAt = 0; failAt == 0 || failAt <= operations; ++failAt) {
    SCOPED_TRACE(failAt);
    const std::string path = dir.write("w.spx", bytes);
    {
      FailingStream stream(path);
      SpeexFile file(&stream);
      ASSERT_NE(file.tag(), nullptr);
      file.tag()->setComment(big);
      stream.arm(failAt);
      EXPECT_EQ(file.save(), failAt == 0);
      EXPECT_EQ(stream.writesAfterFailure, 0);
      if(failAt == 0)
        operations = stream.operations;
    }
    if(failAt == 0) {
      ASSERT_GT(operations, 1);
      EXPECT_EQ(SpeexFile(path.c_str()).tag()->comment(), big);
    }
  }
}

TEST(SpeexSave, ReadOnlyFileIsNotWritten)
{
  TempDir dir;
  const std::string bytes = speexStream();
  const std::string path = dir.write("ro.spx", bytes);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  runAsUnprivileged(dir, [&] {
    SpeexFile file(path.c_str());
    ASSERT_TRUE(file.isValid());
    ASSERT_NE(file.tag(), nullptr);
    ASSERT_TRUE(file.readOnly());
    file.tag()->setTitle("Changed");
    EXPECT_FALSE(file.save());
  });
  EXPECT_EQ(readFile(path), bytes);
}

TEST(SpeexSave, RealFilesStillDecodeToTheSameAudio)
{
  if(!haveProgram("speexdec") && !haveProgram("ffmpeg"))
    GTEST_SKIP() << "neither speexdec nor ffmpeg is installed";
  TempDir dir;
  for(const RealFile &real : realFiles) {
    SCOPED_TRACE(real.name);
    const std::string path = dir.copy(dataPath(std::string("speex/") + real.name), real.name);
    const std::string before = decode(path, dir.path() + "/before.raw");
    ASSERT_FALSE(before.empty());
    {
      auto file = openSpeex(path);
      file->tag()->setTitle("Saved title");
      file->tag()->setArtist("Saved artist");
      file->tag()->addField("DESCRIPTION", TagLib::String(std::string(5000, 'd')));
      ASSERT_TRUE(file->save());
    }
    {
      auto file = openSpeex(path);
      EXPECT_EQ(file->tag()->title(), "Saved title");
      EXPECT_EQ(file->tag()->artist(), "Saved artist");
      if(*real.author) {
        EXPECT_EQ(file->tag()->fieldListMap()["AUTHOR"].front(), real.author);
      }
      EXPECT_EQ(file->audioProperties()->length(), real.length);
      EXPECT_EQ(file->audioProperties()->sampleRate(), real.sampleRate);
    }
    EXPECT_EQ(decode(path, dir.path() + "/after.raw"), before);
    EXPECT_EQ(audioOf(path), audioOf(dataPath(std::string("speex/") + real.name)));
  }
}

TEST(SpeexSave, HostSavesThroughFileRef)
{
  TempDir dir;
  const std::string path = dir.copy(dataPath("speex/narrowband.spx"), "host.spx");
  const HostResult result = exerciseHost(path, true);
  ASSERT_TRUE(result.opened);
  EXPECT_TRUE(result.hasTag);
  EXPECT_TRUE(result.saved);
  auto file = openSpeex(path);
  EXPECT_EQ(file->tag()->title(), "Host title");
  EXPECT_EQ(file->tag()->artist(), "Host artist");
}
