#include "extras.h"

#include "m4a/mp4file.h"

namespace brenvo_cli {

std::vector<Field> extraFields(TagLib::File *file)
{
  std::vector<Field> fields;
  // Our MP4 file (not TagLib's class of the same name): the iTunes fields
  // beyond TagLib's common seven.
  if(const auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file)) {
    const TagLib::MP4::Tag *tag = mp4->tag();
    fields.emplace_back("composer", tag->composer().to8Bit(true));
    fields.emplace_back("grouping", tag->grouping().to8Bit(true));
    fields.emplace_back("disc", std::to_string(tag->disk()));
    fields.emplace_back("bpm", std::to_string(tag->bpm()));
    fields.emplace_back("cover", std::to_string(tag->cover().size()) + " bytes");
  }
  return fields;
}

} // namespace brenvo_cli
