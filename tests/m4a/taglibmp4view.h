#ifndef BRENVO_TEST_TAGLIBMP4VIEW_H
#define BRENVO_TEST_TAGLIBMP4VIEW_H

// What TagLib's own MP4::File reads of a file, in plain values, so that the
// MP4 tests need not include TagLib's MP4 header beside ours.
#include <string>

#include <tpropertymap.h>

namespace m4atest {

struct TaglibMp4View
{
  bool valid = false;            //!< TagLib opened the file as MP4
  TagLib::PropertyMap properties; //!< TagLib's properties()
  unsigned int covers = 0;       //!< images in TagLib's "covr" item
};

TaglibMp4View readWithTaglib(const std::string &path);

} // namespace m4atest

#endif
