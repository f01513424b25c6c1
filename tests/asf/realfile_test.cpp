// Files made by ffmpeg and mutagen (tests/data/asf/make.sh): reading them,
// round trips on copies, and reading our output with mutagen and ffmpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <sys/wait.h>
#include <tuple>

#include <fileref.h>
#include <tbytevectorstream.h>

#include "asf/asffile.h"
#include "asfbuilder.h"
#include "faultystream.h"
#include "hostcalls.h"
#include "testfiles.h"

using TagLib::ByteVector;
using TagLib::String;
using TagLib::ASF::Attribute;
using namespace brenvo_test;
using asf_test::only;
using asf_test::open;
using asf_test::tailAfterHeader;

namespace {

// The texts, the audio properties and every attribute as comparable values;
// within a name sorted, because saving may regroup attributes of one name by object.
using Flat = std::tuple<int, std::string, unsigned long long, int, int>;
std::map<std::string, std::vector<Flat>> snapshot(TagLib::ASF::File &f)
{
  std::map<std::string, std::vector<Flat>> out;
  TagLib::ASF::Tag &t = *f.tag();
  const TagLib::AudioProperties &p = *f.audioProperties();
  for(const String &text : {t.title(), t.artist(), t.comment(), t.copyright(), t.rating()})
    out["~texts"].emplace_back(0, text.to8Bit(true), 0, 0, 0);
  out["~audio"].emplace_back(p.length(), "", p.bitrate(), p.sampleRate(), p.channels());
  for(const auto &entry : t.attributeListMap()) {
    auto &list = out[entry.first.to8Bit(true)];
    for(const Attribute &a : entry.second) {
      const ByteVector bytes = a.toByteVector();
      list.emplace_back(static_cast<int>(a.type()),
                        a.toString().to8Bit(true) + std::string(bytes.data(), bytes.size()),
                        a.toULongLong(), a.stream(), a.language());
    }
    std::sort(list.begin(), list.end());
  }
  return out;
}

// Runs a shell command; returns its exit status and standard output.
int run(const std::string &command, std::string &output)
{
  output.clear();
  FILE *pipe = ::popen(command.c_str(), "r");
  if(!pipe)
    return -1;
  std::array<char, 4096> buffer;
  std::size_t n;
  while((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char *const samples[] = {"ffmpeg-tags.wma", "mutagen-tags.wma", "untagged.asf"};

} // namespace

TEST(AsfRealFiles, FfmpegTags)
{
  auto f = open(dataPath("asf/ffmpeg-tags.wma"));
  ASSERT_TRUE(f->isValid());
  EXPECT_EQ(f->tag()->title(), "Sine Title");
  EXPECT_EQ(f->tag()->artist(), "Ffmpeg Artist");
  EXPECT_EQ(f->tag()->copyright(), "(c) Nobody");
  EXPECT_EQ(f->tag()->album(), "Some Album");
  EXPECT_EQ(f->tag()->genre(), "Test Genre");
  EXPECT_EQ(f->tag()->track(), 3u);
  // ffmpeg writes the comment as an attribute, not into the content description.
  EXPECT_EQ(only(*f, "Description").toString(), "A comment");
  EXPECT_EQ(f->audioProperties()->bitrate(), 32);
  EXPECT_EQ(f->audioProperties()->sampleRate(), 22050);
  EXPECT_EQ(f->audioProperties()->channels(), 1);
  EXPECT_EQ(f->audioProperties()->length(), 1);
}

TEST(AsfRealFiles, MutagenTypedAttributes)
{
  auto f = open(dataPath("asf/mutagen-tags.wma"));
  ASSERT_TRUE(f->isValid());
  EXPECT_EQ(f->tag()->title(), "Mutagen Title");
  EXPECT_EQ(f->tag()->artist(), "Mutagen Artist");
  EXPECT_EQ(f->tag()->album(), "Mutagen Album");
  EXPECT_EQ(f->tag()->year(), 2004u);
  EXPECT_EQ(only(*f, "WM/Track").type(), Attribute::DWord);
  EXPECT_EQ(f->tag()->track(), 4u);
  EXPECT_EQ(only(*f, "Brenvo/QWord").toULongLong(), 0x123456789Aull);
  EXPECT_EQ(only(*f, "Brenvo/Word").type(), Attribute::Word);
  EXPECT_EQ(only(*f, "Brenvo/Word").toUShort(), 513u);
  EXPECT_EQ(only(*f, "Brenvo/Bool").type(), Attribute::Bool);
  EXPECT_TRUE(only(*f, "Brenvo/Bool").toBool());
  EXPECT_EQ(only(*f, "Brenvo/Bytes").toByteVector(), ByteVector("\x00\x01\x02\xff", 4));
  EXPECT_EQ(only(*f, "Brenvo/Guid").type(), Attribute::Guid);
  EXPECT_EQ(only(*f, "Brenvo/Guid").toByteVector().size(), 16u);
  EXPECT_EQ(only(*f, "Brenvo/Streamed").stream(), 1);
  EXPECT_EQ(only(*f, "Brenvo/Streamed").toString(), "on stream 1");
  EXPECT_EQ(only(*f, "Brenvo/Language").language(), 1);
  const ByteVector picture = only(*f, "WM/Picture").toByteVector();
  EXPECT_EQ(picture.size(), 70039u);
  EXPECT_EQ(picture[0], '\x03');
  EXPECT_EQ(f->audioProperties()->bitrate(), 48);
  EXPECT_EQ(f->audioProperties()->channels(), 2);
  EXPECT_EQ(f->audioProperties()->length(), 1);
}

TEST(AsfRealFiles, UntaggedFileThroughFileRef)
{
  ensurePluginsRegistered();
  TagLib::FileRef ref(dataPath("asf/untagged.asf").c_str());
  ASSERT_NE(dynamic_cast<TagLib::ASF::File *>(ref.file()), nullptr);
  EXPECT_TRUE(ref.tag()->title().isEmpty());
  EXPECT_EQ(ref.audioProperties()->sampleRate(), 22050);
  EXPECT_EQ(ref.audioProperties()->channels(), 2);
}

TEST(AsfRealFiles, RoundTripOnCopies)
{
  for(const char *name : samples) {
    SCOPED_TRACE(name);
    TempDir dir;
    const std::string path = dir.copy(dataPath(std::string("asf/") + name), name);
    const std::string before = readFile(path);
    std::map<std::string, std::vector<Flat>> expected;
    {
      auto f = open(path);
      auto *tag = f->tag();
      tag->setTitle(String("Titel \xc3\xa4\xc3\xb6\xc3\xbc \xe2\x9c\x93", String::UTF8));
      tag->setArtist("Round Artist");
      tag->setAlbum("Round Album");
      tag->setGenre("Round Genre");
      tag->setComment("Round comment");
      tag->setCopyright("Round copyright");
      tag->setRating("5");
      tag->setYear(1987);
      tag->setTrack(12);
      Attribute streamed(String("streamed"));
      streamed.setStream(2);
      tag->addAttribute("Round/Streamed", streamed);
      Attribute language(0xABCDu);
      language.setLanguage(3);
      tag->addAttribute("Round/Language", language);
      tag->addAttribute("Round/QWord", Attribute(0xFFFFFFFFFFull));
      tag->addAttribute("Round/Bool", Attribute(false));
      if(tag->attributeListMap().contains("Brenvo/Streamed")) {
        // Change the stream of an attribute read from the file; copies share it.
        tag->attributeListMap()["Brenvo/Streamed"].front().setStream(5);
        tag->removeItem("Brenvo/Bytes");
      }
      expected = snapshot(*f);
      ASSERT_TRUE(f->save());
      ASSERT_TRUE(f->save());  // a second save on the same object changes nothing
    }
    EXPECT_TRUE(tailAfterHeader(readFile(path)) == tailAfterHeader(before)) << "bytes after the header changed";
    EXPECT_EQ(snapshot(*open(path)), expected);
  }
}

// A borrowed stream reads as the path does and saves the same bytes; a save
// whose first write fails says so, and the file object does not write again.
TEST(AsfRealFiles, BorrowedStreamReadsAndSavesAsThePath)
{
  for(const char *name : samples) {
    SCOPED_TRACE(name);
    TempDir dir;
    const std::string path = dir.copy(dataPath(std::string("asf/") + name), name);
    const std::string before = readFile(path);
    const auto edit = [](TagLib::ASF::File &f) {
      f.tag()->setTitle("Through a stream");
      f.tag()->setAttribute("Brenvo/Streamed", Attribute(7u));
    };

    TagLib::ByteVectorStream stream(ByteVector(before.data(), static_cast<unsigned int>(before.size())));
    {
      TagLib::ASF::File fromStream(&stream);
      auto fromPath = open(path);
      ASSERT_TRUE(fromStream.isValid());
      EXPECT_EQ(snapshot(fromStream), snapshot(*fromPath));
      edit(fromStream);
      edit(*fromPath);
      ASSERT_TRUE(fromStream.save());
      ASSERT_TRUE(fromPath->save());
    }
    const ByteVector *saved = stream.data();
    EXPECT_TRUE(std::string(saved->data(), saved->size()) == readFile(path)) << "the saves differ";

    writeFile(path, before);
    long readOps = 0;
    {
      FaultyStream sound(path.c_str(), -1);
      TagLib::ASF::File f(&sound);
      readOps = sound.operations();
    }
    FaultyStream faulty(path.c_str(), readOps);
    TagLib::ASF::File f(&faulty);
    edit(f);
    EXPECT_FALSE(f.save());
    EXPECT_TRUE(faulty.struck());
    // What a failed write left is unknown: a second save is refused too.
    EXPECT_FALSE(f.save());
    EXPECT_TRUE(readFile(path) == before);
  }
}

// Our output read by independent readers; skipped where they are not installed.
TEST(AsfRealFiles, SavedFileReadsBackInMutagenAndFfmpeg)
{
  std::string out;
  if(run("/usr/bin/python3 -c 'import mutagen.asf' 2>/dev/null", out) != 0)
    GTEST_SKIP() << "/usr/bin/python3 with mutagen is not available";
  TempDir dir;
  const std::string path = dir.copy(dataPath("asf/mutagen-tags.wma"), "copy.wma");
  {
    auto f = open(path);
    f->tag()->setTitle("Saved Title");
    f->tag()->setTrack(21);
    Attribute streamed(String("on stream 2"));
    streamed.setStream(2);
    f->tag()->setAttribute("Brenvo/Streamed", streamed);
    Attribute language(String("in language 2"));
    language.setLanguage(2);
    f->tag()->setAttribute("Brenvo/Language", language);
    ASSERT_TRUE(f->save());
  }
  const std::string script =
    "import sys\n"
    "from mutagen.asf import ASF\n"
    "f = ASF(sys.argv[1])\n"
    "def show(k):\n"
    "    for v in f.tags.get(k, []):\n"
    "        val = v.value if not isinstance(v.value, bytes) else len(v.value)\n"
    "        print(k, type(v).__name__, val, v.language or 0, v.stream or 0)\n"
    "for k in ['Title', 'Author', 'WM/TrackNumber', 'WM/Track', 'WM/Year', 'Brenvo/QWord',\n"
    "          'Brenvo/Word', 'Brenvo/Bool', 'Brenvo/Guid', 'Brenvo/Streamed', 'Brenvo/Language', 'WM/Picture']:\n"
    "    show(k)\n"
    "print('channels', f.info.channels, 'rate', f.info.sample_rate)\n";
  ASSERT_EQ(run("/usr/bin/python3 " + dir.write("show.py", script) + " " + path, out), 0) << out;
  EXPECT_EQ(out,
            "Title ASFUnicodeAttribute Saved Title 0 0\n"
            "Author ASFUnicodeAttribute Mutagen Artist 0 0\n"
            "WM/TrackNumber ASFUnicodeAttribute 21 0 0\n"
            "WM/Track ASFDWordAttribute 4 0 0\n"
            "WM/Year ASFUnicodeAttribute 2004 0 0\n"
            "Brenvo/QWord ASFQWordAttribute 78187493530 0 0\n"
            "Brenvo/Word ASFWordAttribute 513 0 0\n"
            "Brenvo/Bool ASFBoolAttribute True 0 0\n"
            "Brenvo/Guid ASFGUIDAttribute 16 0 0\n"
            "Brenvo/Streamed ASFUnicodeAttribute on stream 2 0 2\n"
            "Brenvo/Language ASFUnicodeAttribute in language 2 2 0\n"
            "WM/Picture ASFByteArrayAttribute 70039 0 0\n"
            "channels 2 rate 22050\n");

  if(haveProgram("ffmpeg")) {
    // The audio after the rewritten header still decodes.
    EXPECT_EQ(run("ffmpeg -v error -i " + path + " -f null - 2>&1", out), 0) << out;
    EXPECT_EQ(out, "");
  }
}
