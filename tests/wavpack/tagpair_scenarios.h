#ifndef BRENVO_TEST_TAGPAIR_SCENARIOS_H
#define BRENVO_TEST_TAGPAIR_SCENARIOS_H

// The save/remove state machine shared by the WavPack and TrueAudio files:
// each keeps a rich tag (APE or ID3v2) and an ID3v1 tag. Format describes one
// of the two:
//   using File;                  the file class
//   static const char *name;     a file name with the format's extension
//   static constexpr int richBit;
//   static RichTag *rich(File &, bool create);
//   static std::string richTag(const char *title, unsigned year);   rendered
//   static std::string media();  the audio bytes
//   static std::string layout(rich, media, id3v1);   where the format puts them

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <sys/stat.h>

#include <fileref.h>
#include <id3v1tag.h>
#include <tpropertymap.h>

#include "hostcalls.h"
#include "tagcheck.h"
#include "testfiles.h"
#include "common/combinedtag.h"

namespace brenvo_test {

inline std::string id3v1Tag(const char *title, unsigned int track)
{
  TagLib::ID3v1::Tag tag;
  tag.setTitle(title);
  tag.setAlbum("v1 album");
  tag.setTrack(track);
  return bytes(tag.render());
}

template <class Format>
class TagPairScenarios
{
public:
  using File = typename Format::File;

  //! Which tags the file holds before it is opened.
  struct Disk
  {
    bool rich;
    bool id3v1;
    std::string name() const
    {
      if(!rich && !id3v1)
        return "none";
      return std::string(rich ? "rich" : "") + (rich && id3v1 ? "+" : "") + (id3v1 ? "ID3v1" : "");
    }
    std::string content() const
    {
      return Format::layout(rich ? Format::richTag("rich title", 2010) : "", Format::media(),
                            id3v1 ? id3v1Tag("v1 title", 5) : "");
    }
  };

  //! The presented tag follows the tags in memory.
  static void expectPresented(File &f)
  {
    auto *rich = Format::rich(f, false);
    TagLib::ID3v1::Tag *v1 = f.ID3v1Tag();
    ASSERT_TRUE(rich || v1) << "there is always a tag to present";
    ASSERT_NE(f.tag(), nullptr);
    if(rich && v1)
      EXPECT_NE(dynamic_cast<TagLib::CombinedTag *>(f.tag()), nullptr);
    else if(rich)
      EXPECT_EQ(f.tag(), rich);
    else
      EXPECT_EQ(f.tag(), v1);
  }

  /*!
   * Every combination of tags on disk, changes in memory, and one or two
   * saves by the same object. After the last save the file must be exactly
   * the audio with the tags in memory where the format wants them, and a
   * fresh object must read what was saved.
   */
  static void saveEveryCombination()
  {
    const Disk disks[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    const int richBit = Format::richBit;
    const Edit edits[] = {
      {"untouched", [](File &) {}},
      {"setFields", [](File &f) { f.tag()->setTitle("Edited"); f.tag()->setYear(2024); f.tag()->setGenre("Blues"); }},
      {"removeID3v1", [](File &f) { f.remove(1); }},
      {"removeRich", [=](File &f) { f.remove(richBit); }},
      {"removeBoth", [=](File &f) { f.remove(1 | richBit); }},
      {"removeNone", [](File &f) { f.remove(0); f.remove(4 | 8); }},
      {"createRich", [](File &f) { Format::rich(f, true)->setTitle("made rich"); }},
      {"createID3v1", [](File &f) { f.ID3v1Tag(true)->setTitle("made v1"); }},
      {"createBoth", [](File &f) { Format::rich(f, true)->setArtist("a"); f.ID3v1Tag(true)->setArtist("b"); f.tag()->setTrack(8); }},
      {"removeRichThenCreate", [=](File &f) { f.remove(richBit); Format::rich(f, true)->setTitle("again"); }},
      {"removeBothThenCreateID3v1", [](File &f) { f.remove(3); f.ID3v1Tag(true)->setComment("only v1"); }},
      {"removeID3v1ThenCreate", [](File &f) { f.remove(1); f.ID3v1Tag(true)->setYear(1977); }},
    };
    const Again agains[] = {Again::No, Again::Unchanged, Again::Grown, Again::Shrunk, Again::RemovedAll};

    const std::string media = Format::media();
    for(const Disk &disk : disks) {
      for(const Edit &edit : edits) {
        for(Again again : agains) {
          SCOPED_TRACE(disk.name() + " / " + edit.name + " / " + name(again));
          TempDir dir;
          const std::string path = dir.write(Format::name, disk.content());
          std::string expected;
          Fields presented, richFields, v1Fields;
          bool haveRich = false, haveV1 = false;
          {
            File f(path.c_str());
            ASSERT_TRUE(f.isValid());
            EXPECT_EQ(Format::rich(f, false) != nullptr, disk.rich || !disk.id3v1);  // read, or the empty stand-in
            EXPECT_EQ(f.ID3v1Tag() != nullptr, disk.id3v1);
            expectPresented(f);
            edit.apply(f);
            expectPresented(f);
            ASSERT_TRUE(f.save());
            if(again != Again::No) {
              changeAgain(f, again);
              expectPresented(f);
              ASSERT_TRUE(f.save());
            }
            haveRich = Format::rich(f, false) != nullptr;
            haveV1 = f.ID3v1Tag() != nullptr;
            expected = Format::layout(haveRich ? bytes(Format::rich(f, false)->render()) : "", media,
                                      haveV1 ? bytes(f.ID3v1Tag()->render()) : "");
            presented = Fields::of(f.tag());
            richFields = Fields::of(Format::rich(f, false));
            v1Fields = Fields::of(f.ID3v1Tag());
          }
          ASSERT_TRUE(sameBytes(readFile(path), expected));

          File fresh(path.c_str());
          EXPECT_EQ(Fields::of(fresh.tag()), presented);
          EXPECT_EQ(fresh.ID3v1Tag() != nullptr, haveV1);
          if(haveRich) {
            EXPECT_EQ(Fields::of(Format::rich(fresh, false)), richFields);
          }
          if(haveV1) {
            EXPECT_EQ(Fields::of(fresh.ID3v1Tag()), v1Fields);
          }
          // The audio is found where it was, behind or before the tags.
          EXPECT_EQ(fresh.audioProperties()->sampleRate(), 44100);
          EXPECT_EQ(fresh.audioProperties()->length(), 4);
        }
      }
    }
  }

  //! A read-only file is not saved and not changed, even when the test runs as root.
  static void readOnlyFileIsNotSaved()
  {
    TempDir dir;
    const std::string content = Disk{true, true}.content();
    const std::string path = dir.write(Format::name, content);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    runAsUnprivileged(dir, [&] {
      File f(path.c_str());
      ASSERT_TRUE(f.isValid());
      ASSERT_TRUE(f.readOnly());
      f.tag()->setTitle("not written");
      EXPECT_FALSE(f.save());
    });
    EXPECT_EQ(readFile(path), content);
  }

  //! FileRef opens the file (any letter case) as ours, and a host can read and save it.
  static void servesAHost(const char *upperCaseName)
  {
    ensurePluginsRegistered();
    TempDir dir;
    const std::string path = dir.write(upperCaseName, Disk{true, true}.content());
    {
      TagLib::FileRef ref(path.c_str());
      ASSERT_FALSE(ref.isNull());
      ASSERT_NE(dynamic_cast<File *>(ref.file()), nullptr);
      const TagLib::PropertyMap properties = ref.file()->properties();
      EXPECT_EQ(properties["TITLE"], TagLib::StringList("rich title"));
      EXPECT_EQ(properties["ALBUM"], TagLib::StringList("v1 album"));
    }
    const HostResult result = exerciseHost(path, true);
    EXPECT_TRUE(result.opened);
    EXPECT_TRUE(result.saved);
    File f(path.c_str());
    EXPECT_EQ(f.tag()->title(), "Host title");
    EXPECT_EQ(f.ID3v1Tag()->artist(), "Host artist");
    EXPECT_EQ(f.audioProperties()->sampleRate(), 44100);
    EXPECT_NE(readFile(path).find(Format::media()), std::string::npos) << "the audio bytes changed";
  }

  /*!
   * What remove() leaves in memory, and what save() makes of it: an empty
   * rich tag stands in whenever no ID3v1 tag remains.
   */
  static void removeLeavesAnEmptyRichTag()
  {
    struct Case
    {
      Disk disk;
      int bits;
      bool richLeft, richEmpty, v1Left;
    };
    const int richBit = Format::richBit;
    const Case cases[] = {
      {{true, true}, 1, true, false, false},       // ID3v1 goes, rich tag stays
      {{true, true}, richBit, false, false, true}, // rich tag goes, ID3v1 stays
      {{true, true}, 3, true, true, false},        // an empty rich tag stands in
      {{false, true}, 3, true, true, false},       // ...also where there was none
      {{false, true}, 1, true, true, false},
      {{true, false}, richBit, true, true, false},
      {{false, false}, 3, true, true, false},
    };
    for(const Case &c : cases) {
      SCOPED_TRACE(c.disk.name() + " remove " + std::to_string(c.bits));
      TempDir dir;
      const std::string path = dir.write(Format::name, c.disk.content());
      std::string richBytes;
      {
        File f(path.c_str());
        f.remove(c.bits);
        ASSERT_EQ(Format::rich(f, false) != nullptr, c.richLeft);
        ASSERT_EQ(f.ID3v1Tag() != nullptr, c.v1Left);
        if(c.richLeft) {
          EXPECT_EQ(Format::rich(f, false)->isEmpty(), c.richEmpty);
          richBytes = bytes(Format::rich(f, false)->render());
        }
        expectPresented(f);
        ASSERT_TRUE(f.save());
      }
      EXPECT_TRUE(sameBytes(readFile(path), Format::layout(richBytes, Format::media(),
                                                          c.v1Left ? id3v1Tag("v1 title", 5) : "")));
    }
  }

private:
  struct Edit
  {
    const char *name;
    std::function<void(File &)> apply;
  };

  enum class Again { No, Unchanged, Grown, Shrunk, RemovedAll };

  static const char *name(Again a)
  {
    switch(a) {
    case Again::No: return "once";
    case Again::Unchanged: return "twiceUnchanged";
    case Again::Grown: return "twiceGrown";
    case Again::Shrunk: return "twiceShrunk";
    case Again::RemovedAll: return "twiceRemovedAll";
    }
    return "";
  }

  static void changeAgain(File &f, Again again)
  {
    switch(again) {
    case Again::No:
    case Again::Unchanged:
      break;
    case Again::Grown:
      // Past any padding: the rich tag must grow. An ID3v1 tag would cut the text.
      if(auto *rich = Format::rich(f, false))
        rich->setComment(TagLib::String(std::string(3000, 'g')));
      f.tag()->setAlbum("a longer album name");
      break;
    case Again::Shrunk:
      f.tag()->setTitle("");
      f.tag()->setArtist("");
      f.tag()->setComment("");
      break;
    case Again::RemovedAll:
      f.remove(3);
      break;
    }
  }
};

} // namespace brenvo_test

#endif
