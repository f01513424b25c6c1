// Saved MP4 files against readers that share no code with ours: every sample,
// changed through the tag and through the companion API, saved, saved twice
// and stripped, must read the same here, in TagLib's own MP4 reader and in
// mutagen, and must decode to the same audio and streams in ffmpeg.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

#include <fileref.h>

#include "hostcalls.h"
#include "m4a/mp4file.h"
#include "taglibmp4view.h"
#include "testfiles.h"
#include "tplugins.h"

using namespace brenvo_test;
using TagLib::ByteVector;
using TagLib::PropertyMap;
using TagLib::String;
using TagLib::StringList;

namespace {

using Items = std::map<std::string, std::string>;

// Python's ascii() of each key and value (flags are no lists); covers by image format and size.
const char *const mutagenScript = R"(import sys
from mutagen.mp4 import MP4
tags = MP4(sys.argv[1]).tags or {}
for key in sorted(tags.keys()):
    value = tags[key] if isinstance(tags[key], list) else [tags[key]]
    if key == 'covr':
        values = ['%d:%d' % (int(c.imageformat), len(c)) for c in value]
    else:
        values = [ascii(v) for v in value]
    print(ascii(key) + '\t' + ' '.join(values))
)";

// What \a command prints, or why it failed.
std::string run(const std::string &command)
{
  std::string out;
  FILE *pipe = popen(command.c_str(), "r");
  if(!pipe)
    return "cannot run " + command;
  char buffer[4096];
  for(std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  const int status = pclose(pipe);
  return status == 0 ? out : "failed (" + std::to_string(status) + "): " + command + "\n" + out;
}

Items mutagenItems(const std::string &script, const std::string &path)
{
  Items items;
  std::string out = run("/usr/bin/python3 '" + script + "' '" + path + "'");
  for(std::size_t end; (end = out.find('\n')) != std::string::npos; out.erase(0, end + 1)) {
    const std::size_t tab = out.find('\t');
    if(tab < end)
      items[out.substr(0, tab)] = out.substr(tab + 1, end - tab - 1);
  }
  if(!out.empty())
    items["(not a line)"] = out;
  return items;
}

// The decoded audio, the streams and the chapters, as ffmpeg sees them;
// cover images, which ffmpeg lists as streams of their own, left out.
std::string media(const std::string &path)
{
  std::string streams = run("ffprobe -v error -show_entries stream=index,codec_name,codec_type,duration"
                            ":stream_disposition=attached_pic:chapter=id,start_time,end_time:chapter_tags=title"
                            " -of compact '" + path + "'");
  for(std::size_t cover; (cover = streams.find("|disposition:attached_pic=1\n")) != std::string::npos;)
    streams.erase(streams.rfind('\n', cover) + 1, streams.find('\n', cover) - streams.rfind('\n', cover));
  return run("ffmpeg -v error -i '" + path + "' -map 0:a -f md5 -") + streams;
}

ByteVector cover()
{
  const std::string png = readFile(dataPath("m4a/cover.png"));
  return ByteVector(png.data(), static_cast<unsigned int>(png.size()));
}

const String snow("Snow \xE2\x98\x83 \xE2\x80\x93 \xE9\x9B\xAA", String::UTF8);

// Our map after the change, from our map before it.
PropertyMap changed(PropertyMap map)
{
  map.replace("TITLE", StringList(snow));
  map.replace("COMPOSER", StringList("Clara Schumann"));
  map.replace("TRACKNUMBER", StringList("3/9"));
  map.replace("DISCNUMBER", StringList("1/2"));
  return map;
}

// Each change returns what the file holds in memory before its save.
PropertyMap changeThroughTheTag(const std::string &path)
{
  TagLib::MP4::File file(path.c_str());
  TagLib::MP4::Tag *tag = file.tag();
  PropertyMap numbers = tag->properties();
  numbers.replace("TRACKNUMBER", StringList("3/9"));
  numbers.replace("DISCNUMBER", StringList("1/2"));
  EXPECT_TRUE(tag->setProperties(numbers).isEmpty());
  tag->setTitle(snow);
  tag->setComposer("Clara Schumann");
  tag->setCover(cover());
  const PropertyMap held = file.properties();
  EXPECT_TRUE(file.save());
  return held;
}

PropertyMap changeThroughTheCompanionApi(const std::string &path)
{
  TagLib::FileRef ref(path.c_str());
  EXPECT_TRUE(TagLib::Plugins::setProperties(ref.file(), changed(TagLib::Plugins::properties(ref.file()))).isEmpty());
  TagLib::Plugins::PictureList pictures;
  pictures.append(TagLib::Plugins::Picture(cover(), "image/png"));
  EXPECT_TRUE(TagLib::Plugins::setPictures(ref.file(), pictures));
  const PropertyMap held = TagLib::Plugins::properties(ref.file());
  EXPECT_TRUE(ref.save());
  return held;
}

// Ours, TagLib's and mutagen's view of the file, and ffmpeg's decoding of it.
void expectReaders(const std::string &path, const PropertyMap &ours, unsigned int covers, const Items &mutagen,
                   const std::string &script, const std::string &audio)
{
  const TagLib::FileRef ref(path.c_str());
  const PropertyMap read = TagLib::Plugins::properties(ref.file());
  EXPECT_TRUE(read == ours) << "read:\n" << read.toString().to8Bit(true) << "expected:\n" << ours.toString().to8Bit(true);
  const TagLib::Plugins::PictureList pictures = TagLib::Plugins::pictures(ref.file());
  EXPECT_EQ(pictures.size(), covers);
  if(covers == 1 && pictures.size() == 1) {
    EXPECT_TRUE(pictures.front().data() == cover());
  }
  const m4atest::TaglibMp4View theirs = m4atest::readWithTaglib(path);
  EXPECT_TRUE(theirs.valid);
  EXPECT_TRUE(theirs.properties == read) << "TagLib's:\n" << theirs.properties.toString().to8Bit(true);
  EXPECT_EQ(theirs.covers, covers);
  EXPECT_EQ(mutagenItems(script, path), mutagen);
  EXPECT_EQ(media(path), audio);
}

std::vector<std::string> mp4Samples()
{
  std::vector<std::string> samples;
  for(const std::string &file : allDataFiles()) {
    const std::filesystem::path p(file);
    if(p.parent_path().filename() == "m4a" && (p.extension() == ".m4a" || p.extension() == ".mp4"))
      samples.push_back(p.filename().string());
  }
  return samples;
}

class Mp4SaveOracles : public testing::TestWithParam<std::string>
{
};

TEST_P(Mp4SaveOracles, TaglibMutagenAndFfmpegReadTheSave)
{
  if(!haveProgram("ffmpeg") || !haveProgram("ffprobe") ||
     std::system("/usr/bin/python3 -c 'import mutagen.mp4' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "needs ffmpeg, ffprobe and /usr/bin/python3 with mutagen";
  ensurePluginsRegistered();
  TempDir dir;
  const std::string script = dir.write("items.py", mutagenScript);
  const std::string png = std::to_string(cover().size());
  const std::string comment(6000, 'c');
  const std::pair<const char *, PropertyMap (*)(const std::string &)> ways[] = {
    {"tag", changeThroughTheTag}, {"companion API", changeThroughTheCompanionApi}};
  for(const auto &way : ways) {
    SCOPED_TRACE(std::string("through the ") + way.first);
    const std::filesystem::path sample(GetParam());
    const std::string path = dir.copy(dataPath("m4a/" + GetParam()), "f" + sample.extension().string());
    const std::string audio = media(path);
    ASSERT_EQ(audio.rfind("MD5=", 0), 0u) << audio;
    EXPECT_EQ(GetParam().rfind("chapters", 0) == 0, audio.find("tag:title=Second") != std::string::npos) << audio;
    Items items = mutagenItems(script, path);
    const PropertyMap before = TagLib::Plugins::properties(TagLib::FileRef(path.c_str()).file());
    PropertyMap ours = way.second(path);
    // The same fields; the cover now among the unsupported data.
    EXPECT_TRUE(ours.contains(changed(before)) && changed(before).contains(ours)) << ours.toString().to8Bit(true);
    items["'\\xa9nam'"] = "'Snow \\u2603 \\u2013 \\u96ea'";
    items["'\\xa9wrt'"] = "'Clara Schumann'";
    items["'trkn'"] = "(3, 9)";
    items["'disk'"] = "(1, 2)";
    items["'covr'"] = "14:" + png;
    expectReaders(path, ours, 1, items, script, audio);

    // Twice on one object: a small change, then one larger than the padding a rebuild leaves.
    {
      TagLib::MP4::File file(path.c_str());
      file.tag()->setTitle("Again");
      EXPECT_TRUE(file.save());
      file.tag()->setComment(comment);
      EXPECT_TRUE(file.save());
    }
    ours.replace("TITLE", StringList("Again"));
    ours.replace("COMMENT", StringList(comment));
    items["'\\xa9nam'"] = "'Again'";
    items["'\\xa9cmt'"] = "'" + comment + "'";
    expectReaders(path, ours, 1, items, script, audio);

    {
      TagLib::MP4::File file(path.c_str());
      file.remove();
      EXPECT_TRUE(file.save());
    }
    expectReaders(path, PropertyMap(), 0, Items(), script, audio);
  }
}

// The room a stripped item list leaves behind takes the next list of its
// size: a host that clears and retags a file again and again must neither
// grow it nor move its media data each time.
TEST(Mp4SaveAfterRemove, TheFreedRoomTakesTheNextItemList)
{
  TempDir dir;
  for(const std::string sample : {"video-aac.mp4", "video-aac-faststart.mp4"}) {
    SCOPED_TRACE(sample);
    const std::string path = dir.copy(dataPath("m4a/" + sample), "f.mp4");
    const auto saveWith = [&](const std::function<void(TagLib::MP4::File &)> &change) {
      TagLib::MP4::File file(path.c_str());
      change(file);
      EXPECT_TRUE(file.save());
      return readFile(path).size();
    };
    const std::size_t stripped = saveWith([](TagLib::MP4::File &f) { f.remove(); });
    for(int round = 1; round <= 3; ++round) {
      // "Again" takes as many bytes as the sample's title "Video".
      EXPECT_EQ(saveWith([](TagLib::MP4::File &f) { f.tag()->setTitle("Again"); }), stripped) << "round " << round;
      EXPECT_EQ(saveWith([](TagLib::MP4::File &f) { f.remove(); }), stripped) << "round " << round;
    }
    EXPECT_EQ(m4atest::readWithTaglib(path).properties.size(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, Mp4SaveOracles, testing::ValuesIn(mp4Samples()),
                         [](const testing::TestParamInfo<std::string> &sample) {
                           std::string name = sample.param;
                           for(char &c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

} // namespace
