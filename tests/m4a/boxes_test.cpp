// The box base classes, the factory, the container loop and the header boxes.
#include <gtest/gtest.h>

#include <functional>

#include "m4a/boxfactory.h"
#include "m4a/itunesboxes.h"
#include "m4a/mp4containerboxes.h"
#include "m4a/mp4trackboxes.h"
#include "mp4builder.h"
#include "mp4testfile.h"

using namespace mp4test;
using namespace TagLib::MP4;

namespace {

Fourcc code(const char *text)
{
  return Fourcc(TagLib::String(text, TagLib::String::Latin1));
}

//! Creates the box whose header starts at \a start of \a f through the factory and parses it.
std::unique_ptr<Mp4IsoBox> parseAt(TagLib::MP4::File &f, long start)
{
  f.seek(start);
  unsigned int size = 0;
  Fourcc type;
  if(!f.readSizeAndType(size, type))
    return nullptr;
  std::unique_ptr<Mp4IsoBox> box(BoxFactory().createInstance(&f, type, size, f.tell()));
  box->parsebox();
  return box;
}

std::vector<std::string> codesOf(const std::vector<Mp4IsoBox *> &boxes)
{
  std::vector<std::string> codes;
  for(const Mp4IsoBox *b : boxes)
    codes.push_back(b->fourcc().toString().to8Bit());
  return codes;
}

} // namespace

TEST(Mp4Factory, CodesMapToTheirKindAndUnknownCodesAreSkipped)
{
  // Which item fills which tag field is read from built files in metadata_test.
  OpenedFile f("");
  const BoxFactory factory;
  const std::pair<const char *, std::function<bool(Mp4IsoBox *)>> rows[] = {
    {"moov", [](Mp4IsoBox *b) { return dynamic_cast<Mp4MoovBox *>(b) != nullptr; }},
    {"mvhd", [](Mp4IsoBox *b) { return dynamic_cast<Mp4MvhdBox *>(b) != nullptr; }},
    {"gnre", [](Mp4IsoBox *b) { return dynamic_cast<ITunesItemBox *>(b) != nullptr; }},
    {"data", [](Mp4IsoBox *b) { return dynamic_cast<ITunesDataBox *>(b) != nullptr; }},
    {"MOOV", [](Mp4IsoBox *b) { return dynamic_cast<Mp4SkipBox *>(b) != nullptr; }},
    {"\251too", [](Mp4IsoBox *b) { return dynamic_cast<Mp4SkipBox *>(b) != nullptr; }},
  };
  for(const auto &row : rows) {
    const std::unique_ptr<Mp4IsoBox> b(factory.createInstance(&*f, code(row.first), 8, 0));
    EXPECT_TRUE(row.second(b.get())) << row.first;
  }
  EXPECT_EQ(nullptr, factory.createInstance(nullptr, code("moov"), 8, 0));
}

TEST(Mp4Box, SkipBoxMovesToItsEnd)
{
  OpenedFile f(box("free") + box("skip", std::string(12, 'x')) + box("next"));
  auto first = parseAt(*f, 0);
  EXPECT_EQ(8, f->tell());
  auto second = parseAt(*f, 8);
  EXPECT_EQ(28, f->tell());
  EXPECT_EQ(16, second->offset());
  EXPECT_EQ(20u, second->size());
  EXPECT_EQ(28, second->endOffset());
}

TEST(Mp4Box, FullBoxVersionAndFlags)
{
  {
    OpenedFile f(box("data", ByteBuilder().raw({1, 0, 0, 5}).be32(0).str()) +
                 box("data", ByteBuilder().raw({0, 0x12, 0x34, 0x56}).be32(0).str()));
    auto a = parseAt(*f, 0);
    auto b = parseAt(*f, 16);
    auto *fa = dynamic_cast<Mp4IsoFullBox *>(a.get());
    auto *fb = dynamic_cast<Mp4IsoFullBox *>(b.get());
    ASSERT_TRUE(fa && fb);
    EXPECT_EQ(1, fa->version());
    EXPECT_EQ(5u, fa->flags());
    EXPECT_EQ(0, fb->version());
    EXPECT_EQ(1193046u, fb->flags());
  }
  {
    // The file ends inside the version and flags: both stay 0.
    OpenedFile f(boxSized(16, "data", "\x01\x02"));
    auto a = parseAt(*f, 0);
    auto *fa = dynamic_cast<Mp4IsoFullBox *>(a.get());
    ASSERT_TRUE(fa);
    EXPECT_EQ(0, fa->version());
    EXPECT_EQ(0u, fa->flags());
  }
}

TEST(Mp4Container, ReadsChildrenInOrderUpToItsEnd)
{
  const std::string moov = box("moov", mvhd(1000, 2000) + box("trak", box("tkhd", std::string(20, '\0'))) + tagBoxes(""));
  OpenedFile f(moov + box("free"));
  auto b = parseAt(*f, 0);
  auto *moovBox = dynamic_cast<Mp4MoovBox *>(b.get());
  ASSERT_NE(nullptr, moovBox);
  EXPECT_EQ((std::vector<std::string>{"mvhd", "trak", "udta"}), codesOf(moovBox->children()));
  EXPECT_EQ(static_cast<long>(moov.size()), f->tell());
}

TEST(Mp4Container, ChildPastTheEndIsReportedAndNotCreated)
{
  // A stbl of 100 bytes whose second child ends beyond byte 100.
  const std::string stbl = boxSized(100, "stbl", box("stts", std::string(12, '\0')) + boxSized(80, "stsz") +
                                                   std::string(64, '\0'));
  ASSERT_EQ(100u, stbl.size());
  brenvo_test::StderrCapture capture;
  OpenedFile f(box("ftyp", "M4A ") + stbl);
  capture.text();

  brenvo_test::StderrCapture second;
  auto b = parseAt(*f, 12);
  EXPECT_EQ("Error in mp4 file " + f.path() + " stbl box contains bad box with name: stsz\n", second.text());
  auto *stblBox = dynamic_cast<Mp4StblBox *>(b.get());
  ASSERT_NE(nullptr, stblBox);
  EXPECT_EQ((std::vector<std::string>{"stts"}), codesOf(stblBox->children()));
  EXPECT_EQ(12 + 8 + 20 + 8, f->tell()) << "just after the offending child's header";
}

TEST(Mp4Container, EveryContainerReportsABadChild)
{
  for(const char *c : {"moov", "trak", "mdia", "minf", "stbl", "udta", "ilst"}) {
    const std::string bytes = boxSized(16, c, boxSized(100, "free"));
    brenvo_test::StderrCapture capture;
    OpenedFile f(bytes);
    EXPECT_NE("", capture.text()) << c;
  }
  // meta's children start after its version and flags.
  brenvo_test::StderrCapture capture;
  OpenedFile f(boxSized(20, "meta", std::string(4, '\0') + boxSized(100, "hdlr")));
  EXPECT_NE("", capture.text());
}

TEST(Mp4Container, EmptyContainersReadNothingOfWhatFollows)
{
  for(const std::string &empty : {box("moov"), box("trak"), box("udta"), box("ilst"), fullBox("meta", 0, 0)}) {
    brenvo_test::StderrCapture capture;
    OpenedFile f(box("moov", empty + mvhd(1000, 4000)));
    EXPECT_EQ("", capture.text()) << empty.substr(4, 4);
    EXPECT_EQ(4, f->audioProperties()->length()) << empty.substr(4, 4);
  }
}

TEST(Mp4Container, MetaReadsItsFirstChildAfterVersionAndFlags)
{
  OpenedFile f(box("moov", box("udta", fullBox("meta", 0, 0, box("ilst", item("\251ART", "Artist"))))));
  EXPECT_EQ(TagLib::String("Artist"), f->tag()->artist());
}

TEST(Mp4Container, GoesOnAtEachChildsDeclaredEnd)
{
  // A cover item with two images, as real files have, then more items: the
  // item reads its first data box only, and the list goes on after the item.
  const std::string covers = box("covr", fullBox("data", 0, 13, std::string(4, '\0') + "JPEGBYTES") +
                                           fullBox("data", 0, 14, std::string(4, '\0') + "PNGBYTES"));
  OpenedFile f(file(tagBoxes(item("\251nam", "Before") + covers + item("\251ART", "After") +
                             item("\251alb", "Album"))));
  EXPECT_EQ(TagLib::String("Before"), f->tag()->title());
  EXPECT_EQ(TagLib::ByteVector("JPEGBYTES"), f->tag()->cover());
  EXPECT_EQ(TagLib::String("After"), f->tag()->artist());
  EXPECT_EQ(TagLib::String("Album"), f->tag()->album());
}

TEST(Mp4Container, NestingIsBounded)
{
  // Thousands of containers inside each other must not exhaust the stack.
  const int depth = 5000;
  std::string bytes = item("\251nam", "Deep");
  for(int i = 0; i < depth; ++i)
    bytes = box(i % 2 ? "moov" : "udta", bytes);
  OpenedFile f(bytes);
  EXPECT_TRUE(f->tag()->isEmpty());

  // A few levels are read.
  OpenedFile shallow(box("moov", box("moov", box("udta", fullBox("meta", 0, 0, box("ilst", item("\251nam", "Shallow")))))));
  EXPECT_EQ(TagLib::String("Shallow"), shallow->tag()->title());
}

TEST(Mp4Container, HugeChildSizeDoesNotWrapTheCount)
{
  brenvo_test::StderrCapture capture;
  OpenedFile f(box("moov", boxSized(0xFFFFFFF8u, "trak") + mvhd(1000, 3000)));
  EXPECT_NE("", capture.text());
}

TEST(Mp4Mvhd, Version0)
{
  OpenedFile f(mvhd(44100, 441000));
  auto b = parseAt(*f, 0);
  auto *m = dynamic_cast<Mp4MvhdBox *>(b.get());
  ASSERT_NE(nullptr, m);
  EXPECT_EQ(44100u, m->timescale());
  EXPECT_EQ(441000u, m->duration());
  EXPECT_EQ(1u, m->creationTime());
  EXPECT_EQ(2u, m->modificationTime());
  EXPECT_EQ(0x10000u, m->rate());
  EXPECT_EQ(0x01000000u, m->volume());
  EXPECT_EQ(2u, m->nextTrackID());
  EXPECT_EQ(108, f->tell());
}

TEST(Mp4Mvhd, Version1And2)
{
  {
    const std::string v1 = mvhd1(600, 0x100000000ull);
    ASSERT_EQ(120u, v1.size());
    OpenedFile f(v1);
    auto b = parseAt(*f, 0);
    auto *m = dynamic_cast<Mp4MvhdBox *>(b.get());
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(0x100000001ull, m->creationTime());
    EXPECT_EQ(0x200000002ull, m->modificationTime());
    EXPECT_EQ(0x100000000ull, m->duration());
    EXPECT_EQ(3u, m->nextTrackID());
    EXPECT_EQ(120, f->tell());
  }
  {
    std::string v2 = mvhd(1000, 9000);
    v2[8] = 2;  // any version but 1 has the 32-bit layout
    OpenedFile f(v2);
    auto b = parseAt(*f, 0);
    auto *m = dynamic_cast<Mp4MvhdBox *>(b.get());
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(9000u, m->duration());
  }
}

TEST(Mp4Mvhd, TooShortForItsLayoutIsNotUsed)
{
  // Its fields would run into the next box: no movie length.
  OpenedFile f(box("moov", fullBox("mvhd", 0, 0, ByteBuilder().be32(0).be32(0).be32(1000).be32(5000).str()) +
                             box("free", std::string(120, '\x01'))));
  EXPECT_EQ(0, f->audioProperties()->length());
}

TEST(Mp4Hdlr, TypeAndName)
{
  const auto parsed = [](const std::string &bytes, Fourcc &type, TagLib::String &name, long &end) {
    OpenedFile f(bytes + box("free", "ABCDEFGHIJKLMNOP"));
    auto b = parseAt(*f, 0);
    auto *h = dynamic_cast<Mp4HdlrBox *>(b.get());
    ASSERT_NE(nullptr, h);
    type = h->hdlr_type();
    name = h->hdlr_string();
    end = f->tell();
  };
  Fourcc type;
  TagLib::String name;
  long end = 0;
  parsed(hdlr("soun"), type, name, end);
  EXPECT_EQ(code("soun"), type);
  EXPECT_TRUE(name.isEmpty());
  parsed(hdlr("soun", std::string("SoundHandler\0", 13)), type, name, end);
  EXPECT_EQ(TagLib::String("SoundHandler"), name.substr(0, 12));
  EXPECT_EQ(45, end);
  // Under 32 bytes: no name, and nothing after the box is taken for one.
  parsed(fullBox("hdlr", 0, 0, ByteBuilder().be32(0).text("soun").str()), type, name, end);
  EXPECT_EQ(code("soun"), type);
  EXPECT_TRUE(name.isEmpty());
  parsed(fullBox("hdlr", 0, 0, ByteBuilder().be32(0).str()), type, name, end);
  EXPECT_EQ(0u, static_cast<unsigned int>(type));
}
