// Our WM/Picture pictures against TagLib's own ASF reader, on the samples and
// on our saves. This file includes TagLib's ASF headers, never this
// library's: TagLib's classes are the oracle.
#include <gtest/gtest.h>

#include <asffile.h>
#include <fileref.h>

#include "hostcalls.h"
#include "testfiles.h"
#include "tplugins.h"

using namespace brenvo_test;
using TagLib::ByteVector;
using TagLib::Plugins::Picture;
using TagLib::Plugins::PictureList;

namespace {

// The pictures TagLib reads whole, with types past the known ones as Other.
PictureList taglibPictures(const std::string &path)
{
  TagLib::ASF::File file(path.c_str());
  PictureList pictures;
  for(const TagLib::ASF::Attribute &attribute : file.tag()->attribute("WM/Picture")) {
    const TagLib::ASF::Picture p = attribute.toPicture();
    const int type = p.type();
    if(p.isValid() && !p.picture().isEmpty())
      pictures.append(Picture(p.picture(), p.mimeType(), p.description(),
                              type >= 0 && type <= Picture::PublisherLogo ? Picture::Type(type) : Picture::Other));
  }
  return pictures;
}

PictureList ourPictures(const std::string &path)
{
  const TagLib::FileRef ref(path.c_str());
  return TagLib::Plugins::pictures(ref.file());
}

TEST(AsfPictures, AreThoseTaglibReadsWhole)
{
  ensurePluginsRegistered();
  std::size_t pictures = 0;
  for(const char *sample : {"ffmpeg-tags.wma", "mutagen-tags.wma", "mutagen-keys.wma", "untagged.asf"}) {
    SCOPED_TRACE(sample);
    const PictureList theirs = taglibPictures(dataPath(std::string("asf/") + sample));
    EXPECT_TRUE(ourPictures(dataPath(std::string("asf/") + sample)) == theirs);
    pictures += theirs.size();
  }
  // The 70 KB cover of the metadata library and three of the eight records
  // of mutagen-keys.wma; the others do not fit their values.
  EXPECT_EQ(pictures, 4u);
}

TEST(AsfPictures, ASaveKeepsTheirOrderWhereverTheyGo)
{
  ensurePluginsRegistered();
  TempDir dir;
  // The large one fits only the metadata library, which this file reads
  // before the extended content description.
  const std::string path = dir.copy(dataPath("asf/ffmpeg-tags.wma"), "f.wma");
  PictureList pictures;
  pictures.append(Picture(ByteVector("\xFF\xD8\xFF small", 9), "", "Small", Picture::Artist));
  pictures.append(Picture(ByteVector(70000, 'L'), "image/png", "Large"));
  pictures.append(Picture(ByteVector("tiny", 4), "image/gif", "", Picture::BandLogo));
  {
    TagLib::FileRef ref(path.c_str());
    ASSERT_TRUE(TagLib::Plugins::setPictures(ref.file(), pictures));
    ASSERT_TRUE(ref.save());
  }
  // An empty MIME type is taken from the image bytes.
  pictures.front().setMimeType("image/jpeg");
  EXPECT_TRUE(ourPictures(path) == pictures);
  EXPECT_TRUE(taglibPictures(path) == pictures);
}

} // namespace
