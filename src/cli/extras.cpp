#include "extras.h"

#include "m4a/mp4file.h"

namespace brenvo_cli {

namespace {

// Our MP4 tag keeps the cover's bytes but not the data box's type, so the
// image names its own type.
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

} // namespace

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

std::string fieldText(const nlohmann::ordered_json &value)
{
  if(value.is_string())
    return value.get<std::string>();
  if(value.is_null())
    return "none";
  if(value.is_object() && value.contains("size") && value.contains("mime"))
    return value["size"].dump() + " bytes, " + value["mime"].get<std::string>();
  return value.dump();
}

} // namespace brenvo_cli
