// TagLib's own MPEG reader, constructed directly: no header of this library
// but the companion API's.
#include "taglibview.h"

#include <mpegfile.h>
#include <tpropertymap.h>

#include "tplugins.h"

namespace aactest {

TaglibView readWithTaglib(const std::string &path)
{
  TagLib::MPEG::File file(path.c_str(), false);
  TaglibView view;
  view.id3v2 = file.hasID3v2Tag();
  view.ape = file.hasAPETag();
  view.id3v1 = file.hasID3v1Tag();
  const TagLib::Tag *t = file.tag();
  view.fields = (t->title() + "|" + t->artist() + "|" + t->album() + "|" + t->comment() + "|" + t->genre() + "|" +
                 TagLib::String::number(static_cast<int>(t->year())) + "|" +
                 TagLib::String::number(static_cast<int>(t->track())))
                  .to8Bit(true);
  // The companion API answers for TagLib's own classes as TagLib does.
  view.properties = TagLib::Plugins::properties(&file).toString().to8Bit(true);
  return view;
}

} // namespace aactest
