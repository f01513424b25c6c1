// TagLib's own MP4 reader, constructed directly: no header of this library.
#include "taglibmp4view.h"

#include <mp4file.h>

namespace m4atest {

TaglibMp4View readWithTaglib(const std::string &path)
{
  TagLib::MP4::File file(path.c_str());
  TaglibMp4View view;
  view.valid = file.isValid();
  if(!view.valid)
    return view;
  view.properties = file.properties();
  if(file.tag()->contains("covr"))
    view.covers = file.tag()->item("covr").toCoverArtList().size();
  return view;
}

} // namespace m4atest
