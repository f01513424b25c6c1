// Files made by ffmpeg and mutagen (tests/data/asf/make.sh): reading them,
// round trips on copies, and our output read by mutagen and ffmpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include <fileref.h>

#include "asfbuilder.h"
#include "faultystream.h"
#include "hostcalls.h"
#include "testfiles.h"

using TagLib::String;
using TagLib::ASF::Attribute;
using namespace brenvo_test;
using namespace asf_test;

namespace {

// The fields of TagLib's interfaces and the audio properties as one line.
std::string summary(TagLib::File &f)
{
  const TagLib::Tag &t = *f.tag();
  const TagLib::AudioProperties &p = *f.audioProperties();
  std::string s;
  for(const String &text : {t.title(), t.artist(), t.album(), t.comment(), t.genre()})
    s += text.to8Bit(true) + "|";
  return s + std::to_string(t.year()) + "|" + std::to_string(t.track()) + " " + std::to_string(p.length()) + "s " +
         std::to_string(p.bitrate()) + "kbps " + std::to_string(p.sampleRate()) + "Hz " + std::to_string(p.channels()) + "ch";
}

// The texts and every attribute, one sorted line each, as the script below prints them.
std::string snapshot(TagLib::ASF::File &f)
{
  TagLib::ASF::Tag &t = *f.tag();
  const std::pair<const char *, String> texts[] = {{"Title", t.title()}, {"Author", t.artist()},
    {"Copyright", t.copyright()}, {"Description", t.comment()}, {"Rating", t.rating()}};
  std::vector<std::string> lines;
  for(const auto &text : texts)
    lines.push_back(text.first + (" " + describe(Attribute(text.second))));
  for(const auto &entry : t.attributeListMap())
    for(const Attribute &a : entry.second)
      lines.push_back(entry.first.to8Bit(true) + " " + describe(a));
  std::sort(lines.begin(), lines.end());
  std::string all;
  for(const std::string &line : lines)
    all += line + "\n";
  return all;
}

// Prints what mutagen reads from a file as snapshot() does.
const char mutagenSnapshot[] = R"(import sys
from mutagen.asf import ASF
lines = []
for k, v in ASF(sys.argv[1]).tags:
    x, b = v.value, v.value if isinstance(v.value, bytes) else b''
    lines.append("%s %d '%s' %s %d s%d l%d" % (k, v.TYPE, x if v.TYPE == 0 else '', '%d#' % len(b) if len(b) > 16 else b.hex(),
                                               int(x) if v.TYPE in (2, 3, 4, 5) else 0, v.stream or 0, v.language or 0))
print(''.join(l + '\n' for l in sorted(lines)), end='')
)";

// Runs a shell command; returns its exit status and standard output.
int run(const std::string &command, std::string &output)
{
  output.clear();
  FILE *pipe = ::popen(command.c_str(), "r");
  char buffer[4096];
  for(std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  return pipe ? ::pclose(pipe) : -1;
}

} // namespace

TEST(AsfRealFiles, SamplesReadThroughFileRef)
{
  ensurePluginsRegistered();
  const struct
  {
    const char *sample, *name;
    std::string shows;
  } rows[] = {
    {"ffmpeg-tags.wma", "", "Sine Title|Ffmpeg Artist|Some Album||Test Genre|0|3 1s 32kbps 22050Hz 1ch"},
    // ffmpeg writes the comment as an attribute, not into the content description.
    {"ffmpeg-tags.wma", "Description", "0 'A comment'  0 s0 l0"},
    {"mutagen-tags.wma", "", "Mutagen Title|Mutagen Artist|Mutagen Album|||2004|4 1s 48kbps 22050Hz 2ch"},
    {"mutagen-tags.wma", "WM/Track", "3 ''  4 s0 l0"},
    {"mutagen-tags.wma", "Brenvo/QWord", "4 ''  78187493530 s0 l0"},
    {"mutagen-tags.wma", "Brenvo/Word", "5 ''  513 s0 l0"},
    {"mutagen-tags.wma", "Brenvo/Bool", "2 ''  1 s0 l0"},
    {"mutagen-tags.wma", "Brenvo/Bytes", "1 '' 000102ff 0 s0 l0"},
    {"mutagen-tags.wma", "Brenvo/Guid", "6 '' 000102030405060708090a0b0c0d0e0f 0 s0 l0"},
    {"mutagen-tags.wma", "Brenvo/Streamed", "0 'on stream 1'  0 s1 l0"},
    {"mutagen-tags.wma", "Brenvo/Language", "0 'in language 1'  0 s0 l1"},
    {"mutagen-tags.wma", "WM/Picture", "1 '' 70039# 0 s0 l0"},
    {"untagged.asf", "", "|||||0|0 1s 48kbps 22050Hz 2ch"},
  };
  for(const auto &r : rows) {
    SCOPED_TRACE(std::string(r.sample) + " " + r.name);
    TagLib::FileRef ref(dataPath(std::string("asf/") + r.sample).c_str());
    auto *f = dynamic_cast<TagLib::ASF::File *>(ref.file());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(*r.name ? describe(only(*f, r.name)) : summary(*f), r.shows);
  }
}

// Saved copies read back the same, here and in mutagen; the audio is untouched and decodes.
TEST(AsfRealFiles, RoundTripOnCopies)
{
  std::string out;
  const bool mutagen = run("/usr/bin/python3 -c 'import mutagen.asf' 2>/dev/null", out) == 0;
  for(const char *name : {"ffmpeg-tags.wma", "mutagen-tags.wma", "untagged.asf"}) {
    SCOPED_TRACE(name);
    TempDir dir;
    const std::string path = dir.copy(dataPath(std::string("asf/") + name), name);
    const std::string before = readFile(path);
    std::string expected;
    {
      auto f = open(path);
      TagLib::ASF::Tag &tag = *f->tag();
      tag.setTitle(String("Titel \xc3\xa4\xc3\xb6\xc3\xbc \xe2\x9c\x93", String::UTF8));
      tag.setArtist("Round Artist");
      tag.setAlbum("Round Album");
      tag.setComment("Round comment");
      tag.setRating("5");
      tag.setYear(1987);
      tag.setTrack(12);
      Attribute streamed(String("streamed"));
      streamed.setStream(2);
      tag.addAttribute("Round/Streamed", streamed);
      Attribute language(0xABCDu);
      language.setLanguage(3);
      tag.addAttribute("Round/Language", language);
      tag.addAttribute("Round/QWord", Attribute(0xFFFFFFFFFFull));
      tag.addAttribute("Round/Bool", Attribute(true));
      tag.removeItem("Brenvo/Bytes");
      expected = snapshot(*f);
      ASSERT_TRUE(f->save());
      ASSERT_TRUE(f->save());  // a second save on the same object changes nothing
    }
    const std::string after = readFile(path);
    const auto tail = [](const std::string &b) {
      return b.substr(static_cast<std::size_t>(TagLib::ByteVector(b.data() + 16, 8).toLongLong(false)));
    };
    EXPECT_TRUE(tail(after) == tail(before)) << "bytes after the header changed";
    EXPECT_EQ(snapshot(*open(path)), expected);
    if(mutagen) {
      EXPECT_EQ(run("PYTHONIOENCODING=utf-8 /usr/bin/python3 " + dir.write("show.py", mutagenSnapshot) + " " + path, out), 0);
      EXPECT_EQ(out, expected);
    }
    if(haveProgram("ffmpeg")) {
      EXPECT_EQ(run("ffmpeg -v error -i " + path + " -f null - 2>&1", out), 0);
      EXPECT_EQ(out, "");
    }
  }
  if(!mutagen)
    GTEST_SKIP() << "/usr/bin/python3 with mutagen is not available to read the saved files";
}

// After a failed write the file's state is unknown: the file object does not write again.
TEST(AsfRealFiles, NoSaveAfterAFailedWrite)
{
  TempDir dir;
  const std::string path = dir.copy(dataPath("asf/ffmpeg-tags.wma"), "a.wma");
  const std::string before = readFile(path);
  long readOps = 0;
  {
    FaultyStream sound(path.c_str(), -1);
    TagLib::ASF::File f(&sound);
    readOps = sound.operations();
  }
  FaultyStream faulty(path.c_str(), readOps);
  TagLib::ASF::File f(&faulty);
  f.tag()->setTitle("not written");
  EXPECT_FALSE(f.save());
  EXPECT_TRUE(faulty.struck());
  EXPECT_FALSE(f.save());
  EXPECT_TRUE(readFile(path) == before);
}
