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
  view.fields = fieldsOf(file.tag());
  // The companion API answers for TagLib's own classes as TagLib does.
  view.properties = TagLib::Plugins::properties(&file).toString().to8Bit(true);
  return view;
}

} // namespace aactest
