#ifndef BRENVO_TEST_TAGLIBVIEW_H
#define BRENVO_TEST_TAGLIBVIEW_H

// What TagLib's own MPEG::File reads of a file, in plain values, so that the
// AAC tests need not include TagLib's MPEG header beside ours.
#include <string>

namespace aactest {

struct TaglibView
{
  bool id3v2 = false, ape = false, id3v1 = false;
  std::string fields;     //!< the seven common fields of tag(), joined by '|'
  std::string properties; //!< properties() as text
};

TaglibView readWithTaglib(const std::string &path);

} // namespace aactest

#endif
