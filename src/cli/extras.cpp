#include "extras.h"

#include "m4a/mp4file.h"

namespace brenvo_cli {

std::string imageMime(const TagLib::ByteVector &image)
{
  if(image.startsWith(TagLib::ByteVector("\xFF\xD8\xFF", 3)))
    return "image/jpeg";
  if(image.startsWith(TagLib::ByteVector("\x89PNG\r\n\x1A\n", 8)))
    return "image/png";
  if(image.startsWith("GIF8"))
    return "image/gif";
  if(image.startsWith("BM"))
    return "image/bmp";
  return "application/octet-stream";
}

std::vector<Field> extraFields(TagLib::File *file)
{
  std::vector<Field> fields;
  // Our MP4 file (not TagLib's class of the same name): the iTunes fields
  // beyond TagLib's common seven.
  if(const auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file)) {
    const TagLib::MP4::Tag *tag = mp4->tag();
    fields.emplace_back("composer", tag->composer().to8Bit(true));
    fields.emplace_back("grouping", tag->grouping().to8Bit(true));
    fields.emplace_back("disc", tag->disk());
    fields.emplace_back("bpm", tag->bpm());
    const TagLib::ByteVector cover = tag->cover();
    if(cover.isEmpty())
      fields.emplace_back("cover", nullptr);
    else
      fields.emplace_back("cover", nlohmann::ordered_json{{"size", cover.size()}, {"mime", imageMime(cover)}});
  }
  return fields;
}

} // namespace brenvo_cli
