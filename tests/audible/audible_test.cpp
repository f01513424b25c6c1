#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <fileref.h>
#include <tpropertymap.h>

#include "audible/taglib_audiblefile.h"
#include "tresolvers.h"
#include "borrowedstreams.h"
#include "bytebuilder.h"
#include "common/fdstream.h"
#include "hostcalls.h"
#include "testfiles.h"

using namespace brenvo_test;
using TagLib::String;

namespace {

using Records = std::vector<std::pair<std::string, std::string>>;

// One header record: key and value lengths, key, value, continuation byte.
void addRecord(ByteBuilder &b, const std::string &key, const std::string &value, int continuation)
{
  b.be32(static_cast<std::uint32_t>(key.size())).be32(static_cast<std::uint32_t>(value.size()))
   .text(key).text(value).u8(static_cast<std::uint8_t>(continuation));
}

// An audiobook header: 189 skipped bytes, the records (every one but the last
// announcing another), the length 61 bytes behind them, then stand-in audio.
std::string audiobook(const Records &records, std::uint32_t seconds = 3600)
{
  ByteBuilder b;
  b.fill(189);
  for(std::size_t i = 0; i < records.size(); ++i)
    addRecord(b, records[i].first, records[i].second, i + 1 < records.size() ? 0 : 1);
  b.fill(61).be32(seconds).fill(100, 0x5A);
  return b.str();
}

class AudibleTest : public ::testing::Test
{
protected:
  std::unique_ptr<TagLib::Audible::File> open(const std::string &bytes, bool readProperties = true)
  {
    const std::string path = dir.write("book.aa", bytes);
    return std::make_unique<TagLib::Audible::File>(path.c_str(), readProperties,
                                                   TagLib::AudioProperties::Average);
  }

  TempDir dir;
};

void expectUnread(const TagLib::Audible::File &file)
{
  const TagLib::Audible::Tag *tag = file.getAudibleTag();
  ASSERT_NE(tag, nullptr);
  EXPECT_TRUE(tag->title().isNull());
  EXPECT_TRUE(tag->artist().isNull());
  EXPECT_TRUE(tag->album().isNull());
  EXPECT_TRUE(tag->comment().isNull());
  EXPECT_TRUE(tag->genre().isNull());
  EXPECT_EQ(tag->year(), 0u);
  EXPECT_EQ(tag->userID(), 0u);
  EXPECT_TRUE(tag->isEmpty());
  EXPECT_EQ(tag->getTagsEndOffset(), TagLib::Audible::Tag::noOffset);
  ASSERT_NE(file.audioProperties(), nullptr);
  EXPECT_EQ(file.audioProperties()->length(), 0);
  EXPECT_EQ(file.audioProperties()->channels(), 0);
}

} // namespace

TEST_F(AudibleTest, ReadsTheRecordsAndTheLengthBehindThem)
{
  const std::string bytes = audiobook({{"product_id", "BK_0001"}, {"title", "The Title"},
                                       {"author", "The Author"}, {"pubdate", "15-Mar-2005"},
                                       {"user_id", "42"}}, 5025);
  auto file = open(bytes);
  const TagLib::Audible::Tag *tag = file->getAudibleTag();
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(file->tag(), tag);
  EXPECT_EQ(tag->title(), "The Title");
  EXPECT_EQ(tag->artist(), "The Author");
  EXPECT_TRUE(tag->comment().isNull());
  EXPECT_TRUE(tag->album().isEmpty());
  EXPECT_FALSE(tag->album().isNull());
  EXPECT_EQ(tag->genre(), "Audiobook");
  EXPECT_EQ(tag->year(), 2005u);
  EXPECT_EQ(tag->track(), 0u);
  EXPECT_EQ(tag->userID(), 42u);
  EXPECT_FALSE(tag->isEmpty());
  // The records end where the 61 gap bytes start.
  EXPECT_EQ(tag->getTagsEndOffset(), bytes.size() - 100 - 4 - 61);

  const TagLib::Audible::Properties *props = file->audioProperties();
  ASSERT_NE(props, nullptr);
  EXPECT_EQ(props->length(), 5025);
  EXPECT_EQ(props->channels(), 1);
  EXPECT_EQ(props->sampleRate(), 0);
  EXPECT_EQ(props->bitrate(), 0);
  EXPECT_TRUE(file->isOpen());
  EXPECT_FALSE(file->save());
}

TEST_F(AudibleTest, LongDescriptionWinsOverDescriptionInEitherOrder)
{
  auto first = open(audiobook({{"product_id", "x"}, {"description", "short"}, {"long_description", "long"}}));
  EXPECT_EQ(first->tag()->comment(), "long");
  auto second = open(audiobook({{"product_id", "x"}, {"long_description", "long"}, {"description", "short"}}));
  EXPECT_EQ(second->tag()->comment(), "long");
  auto only = open(audiobook({{"product_id", "x"}, {"description", "short"}, {"description", "again"}}));
  EXPECT_EQ(only->tag()->comment(), "short");
}

TEST_F(AudibleTest, RecordValues)
{
  // Latin-1 text, the year after the last dash, a dashless date, a later
  // record of the same key replacing an earlier one.
  auto file = open(audiobook({{"product_id", "x"}, {"title", "Caf\xE9"}, {"pubdate", "2005"},
                              {"user_id", "77abc"}, {"author", "first"}, {"author", "second"}}));
  EXPECT_EQ(file->tag()->title(), String("Caf\xC3\xA9", String::UTF8));
  EXPECT_EQ(file->tag()->year(), 0u);
  EXPECT_EQ(file->getAudibleTag()->userID(), 77u);
  EXPECT_EQ(file->tag()->artist(), "second");

  auto dashes = open(audiobook({{"product_id", "x"}, {"pubdate", "2001-02-1999"}}));
  EXPECT_EQ(dashes->tag()->year(), 1999u);
  auto trailingDash = open(audiobook({{"product_id", "x"}, {"pubdate", "Mar-"}}));
  EXPECT_EQ(trailingDash->tag()->year(), 0u);
}

TEST_F(AudibleTest, KeysMatchOnlyAsAWhole)
{
  auto file = open(audiobook({{"product_id", "x"}, {"Title", "a"}, {"titles", "b"}, {"titl", "c"},
                              {"genre", "d"}, {"album", "e"}}));
  EXPECT_TRUE(file->tag()->title().isNull());
  EXPECT_EQ(file->tag()->genre(), "Audiobook");
  EXPECT_TRUE(file->tag()->album().isEmpty());
}

TEST_F(AudibleTest, TheFirstKeyMustBeProductId)
{
  for(const std::string &first : {std::string("product_iD"), std::string("Product_id"), std::string("title_1234")}) {
    SCOPED_TRACE(first);
    StderrCapture capture;
    auto file = open(audiobook({{first, "x"}, {"title", "t"}}));
    EXPECT_NE(capture.text(), "");
    expectUnread(*file);
  }
}

TEST_F(AudibleTest, TheRejectionMessageShowsOnlyTheTenBytesRead)
{
  StderrCapture capture;
  auto file = open(audiobook({{"abcdefghijklmnop", "x"}}));
  EXPECT_EQ(capture.text(), "no valid Audible aa file: abcdefghij\n");
  StderrCapture zero;
  auto early = open(audiobook({{std::string("abc\0efghij", 10), "x"}}));
  EXPECT_NE(zero.text(), "");
}

TEST_F(AudibleTest, RejectedHeaderReadsNoLength)
{
  // With the unset end offset in 32-bit arithmetic the length would be read
  // at offset 60; a file that is no audiobook has no length.
  ByteBuilder b;
  b.fill(60).be32(1234).fill(133).text("not_an_aa_file").fill(100);
  StderrCapture capture;
  auto file = open(b.str());
  EXPECT_NE(capture.text(), "");
  expectUnread(*file);

  // Nor does the unset end offset lead the properties reader to offset 60.
  auto stream = TagLib::DescriptorStream::open((dir.path() + "/book.aa").c_str());
  ASSERT_NE(stream, nullptr);
  TagLib::Audible::Properties props(TagLib::AudioProperties::Average);
  props.readAudibleProperties(stream.get(), TagLib::Audible::Tag::noOffset);
  EXPECT_EQ(props.length(), 0);
}

TEST_F(AudibleTest, ShortFilesAreSilentlyUnread)
{
  for(std::size_t size : {std::size_t(0), std::size_t(100), std::size_t(206)}) {
    SCOPED_TRACE(size);
    StderrCapture capture;
    auto file = open(audiobook({{"product_id", "x"}}).substr(0, size));
    EXPECT_EQ(capture.text(), "");
    expectUnread(*file);
  }
}

TEST_F(AudibleTest, AnEmptyKeyOrValueEndsTheList)
{
  for(const auto &bad : {std::make_pair(std::string("title"), std::string()),
                         std::make_pair(std::string(), std::string("value"))}) {
    auto file = open(audiobook({{"product_id", "x"}, {"author", "a"}, bad, {"title", "t"}}));
    EXPECT_EQ(file->tag()->artist(), "a");
    EXPECT_TRUE(file->tag()->title().isNull());
    EXPECT_EQ(file->tag()->genre(), "Audiobook");
    EXPECT_TRUE(file->tag()->album().isEmpty());
  }
}

TEST_F(AudibleTest, LengthsBeyondTheFileMakeAnIncompleteRecord)
{
  // The lengths are checked before anything is allocated for them.
  for(std::uint32_t huge : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000u}) {
    SCOPED_TRACE(huge);
    ByteBuilder keyTooLong;
    keyTooLong.fill(189);
    addRecord(keyTooLong, "product_id", "x", 0);
    addRecord(keyTooLong, "author", "a", 0);
    keyTooLong.be32(huge).be32(1).text("title").text("t").u8(1).fill(200);
    auto file = open(keyTooLong.str());
    EXPECT_EQ(file->tag()->artist(), "a");
    EXPECT_TRUE(file->tag()->title().isNull());
    EXPECT_EQ(file->tag()->genre(), "Audiobook");

    ByteBuilder valueTooLong;
    valueTooLong.fill(189);
    addRecord(valueTooLong, "product_id", "x", 0);
    valueTooLong.be32(5).be32(huge).text("title").text("t").u8(1).fill(200);
    auto second = open(valueTooLong.str());
    EXPECT_TRUE(second->tag()->title().isNull());
    EXPECT_EQ(second->tag()->genre(), "Audiobook");
  }

  // A record that exactly fills the rest of the file is complete.
  ByteBuilder exact;
  exact.fill(189);
  addRecord(exact, "product_id", "x", 0);
  exact.be32(5).be32(3).text("title").text("end");
  auto file = open(exact.str());
  EXPECT_EQ(file->tag()->title(), "end");
}

TEST_F(AudibleTest, AMissingContinuationByteStillAppliesTheRecord)
{
  ByteBuilder b;
  b.fill(189);
  addRecord(b, "product_id", "x", 0);
  const std::size_t endOfFirst = b.size();
  b.be32(5).be32(4).text("title").text("last");
  auto file = open(b.str());
  EXPECT_EQ(file->tag()->title(), "last");
  // The end offset stays behind the last record with a continuation byte.
  EXPECT_EQ(file->getAudibleTag()->getTagsEndOffset(), endOfFirst);
  EXPECT_EQ(file->audioProperties()->length(), 0);
}

TEST_F(AudibleTest, AnyNonZeroContinuationByteEndsTheList)
{
  ByteBuilder b;
  b.fill(189);
  addRecord(b, "product_id", "x", 0);
  addRecord(b, "title", "t", 0x80);
  addRecord(b, "author", "a", 1);
  b.fill(200);
  auto file = open(b.str());
  EXPECT_EQ(file->tag()->title(), "t");
  EXPECT_TRUE(file->tag()->artist().isNull());
}

TEST_F(AudibleTest, TruncatedLengthFieldLeavesPropertiesZero)
{
  std::string bytes = audiobook({{"product_id", "x"}, {"title", "t"}}, 99);
  bytes.resize(bytes.size() - 100 - 2);
  auto file = open(bytes);
  EXPECT_EQ(file->tag()->title(), "t");
  EXPECT_EQ(file->audioProperties()->length(), 0);
  EXPECT_EQ(file->audioProperties()->channels(), 0);
}

TEST_F(AudibleTest, PropertiesExistButStayZeroWhenNotRead)
{
  auto file = open(audiobook({{"product_id", "x"}, {"title", "t"}}, 99), false);
  EXPECT_EQ(file->tag()->title(), "t");
  const TagLib::Audible::Properties *props = file->audioProperties();
  ASSERT_NE(props, nullptr);
  EXPECT_EQ(props->length(), 0);
  EXPECT_EQ(props->channels(), 0);
}

TEST_F(AudibleTest, AFileWithoutAStreamHasNoTag)
{
  TagLib::Audible::File file((dir.path() + "/missing.aa").c_str(), true, TagLib::AudioProperties::Average);
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(file.tag(), nullptr);
  EXPECT_EQ(file.audioProperties(), nullptr);
  EXPECT_FALSE(file.save());
}

TEST_F(AudibleTest, ResolverTakesDotAaAndOpensTheStreamFirst)
{
  TagLib::AudibleFileTypeResolver resolver;
  EXPECT_EQ(resolver.createFile((dir.path() + "/missing.aa").c_str(), true, TagLib::AudioProperties::Average), nullptr);

  const std::string bytes = audiobook({{"product_id", "x"}, {"title", "t"}});
  for(const std::string name : {"a.aa", "B.AA", "c.Aa"}) {
    std::unique_ptr<TagLib::File> file(resolver.createFile(dir.write(name, bytes).c_str(), true,
                                                           TagLib::AudioProperties::Average));
    auto *book = dynamic_cast<TagLib::Audible::File *>(file.get());
    ASSERT_NE(book, nullptr) << name;
    EXPECT_EQ(book->tag()->title(), "t");
  }
  for(const std::string name : {"d.aac", "e.aa.part", "f.aax"})
    EXPECT_EQ(resolver.createFile(dir.write(name, bytes).c_str(), true, TagLib::AudioProperties::Average), nullptr) << name;

  // Not an audiobook: still a file object, and it has a tag.
  StderrCapture capture;
  std::unique_ptr<TagLib::File> junk(resolver.createFile(dir.write("junk.aa", std::string(300, 'j')).c_str(), true,
                                                         TagLib::AudioProperties::Average));
  EXPECT_NE(capture.text(), "");
  ASSERT_NE(junk, nullptr);
  EXPECT_NE(junk->tag(), nullptr);
}

TEST(AudibleSamples, ScriptBuiltFilesReadBack)
{
  ensurePluginsRegistered();
  {
    TagLib::FileRef ref(dataPath("audible/book.aa").c_str());
    auto *book = dynamic_cast<TagLib::Audible::File *>(ref.file());
    ASSERT_NE(book, nullptr);
    const TagLib::Audible::Tag *tag = book->getAudibleTag();
    EXPECT_EQ(tag->title(), "A Short Test Book");
    EXPECT_EQ(tag->artist(), "Jane Q. Reader");
    EXPECT_EQ(tag->comment(), "A longer description that wins over the short one.");
    EXPECT_EQ(tag->genre(), "Audiobook");
    EXPECT_EQ(tag->year(), 2005u);
    EXPECT_EQ(tag->userID(), 42u);
    EXPECT_EQ(ref.audioProperties()->length(), 3725);
    EXPECT_EQ(ref.audioProperties()->channels(), 1);
    // What a host sees through TagLib's generic property interface.
    EXPECT_EQ(ref.file()->properties()["TITLE"].front(), "A Short Test Book");
    EXPECT_FALSE(ref.save());
  }
  {
    TagLib::FileRef ref(dataPath("audible/latin1.aa").c_str());
    ASSERT_NE(dynamic_cast<TagLib::Audible::File *>(ref.file()), nullptr);
    EXPECT_EQ(ref.tag()->title(), String("Caf\xC3\xA9 Cr\xC3\xA8me", String::UTF8));
    EXPECT_EQ(ref.tag()->artist(), String("Zo\xC3\xAB", String::UTF8));
    EXPECT_EQ(ref.tag()->comment(), "Only a short description.");
    EXPECT_EQ(ref.tag()->year(), 0u);
    EXPECT_EQ(ref.audioProperties()->length(), 59);
  }
  {
    TagLib::FileRef ref(dataPath("audible/minimal.aa").c_str());
    ASSERT_NE(dynamic_cast<TagLib::Audible::File *>(ref.file()), nullptr);
    EXPECT_TRUE(ref.tag()->title().isEmpty());
    EXPECT_EQ(ref.tag()->genre(), "Audiobook");
    EXPECT_EQ(ref.audioProperties()->length(), 1);
  }
}

TEST_F(AudibleTest, ABorrowedStreamReadsTheSameAsThePath)
{
  std::vector<std::string> paths;
  for(const char *sample : {"audible/book.aa", "audible/latin1.aa", "audible/minimal.aa"})
    paths.push_back(dataPath(sample));
  paths.push_back(dir.write("rejected.aa", audiobook({{"product_iD", "x"}, {"title", "t"}})));
  paths.push_back(dir.write("short.aa", audiobook({{"product_id", "x"}}).substr(0, 150)));

  for(const std::string &path : paths) {
    for(bool readProperties : {true, false}) {
      SCOPED_TRACE(path + (readProperties ? "" : ", no properties"));
      StderrCapture capture;
      const TagLib::Audible::File byPath(path.c_str(), readProperties);
      withBorrowedStreams(path, [&](TagLib::IOStream *stream) {
        const TagLib::Audible::File file(stream, readProperties);
        EXPECT_TRUE(file.isOpen());
        expectSameTag(*byPath.tag(), *file.tag());
        expectSameProperties(*byPath.audioProperties(), *file.audioProperties());
        EXPECT_EQ(file.getAudibleTag()->userID(), byPath.getAudibleTag()->userID());
        EXPECT_EQ(file.getAudibleTag()->getTagsEndOffset(), byPath.getAudibleTag()->getTagsEndOffset());
      });
    }
  }
}
