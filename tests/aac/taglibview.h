#ifndef BRENVO_TEST_TAGLIBVIEW_H
#define BRENVO_TEST_TAGLIBVIEW_H

// What TagLib's own MPEG::File reads of a file, in plain values, so that the
// AAC tests need not include TagLib's MPEG header beside ours.
#include <string>

#include <tag.h>

namespace aactest {

struct TaglibView
{
  bool id3v2 = false, ape = false, id3v1 = false;
  std::string fields;     //!< fieldsOf(tag())
  std::string properties; //!< properties() as text
};

TaglibView readWithTaglib(const std::string &path);

inline std::string fieldsOf(const TagLib::Tag *t)
{
  const auto n = [](unsigned int i) { return TagLib::String::number(static_cast<int>(i)); };
  return (t->title() + "|" + t->artist() + "|" + t->album() + "|" + t->comment() + "|" + t->genre() + "|" + n(t->year()) + "|" +
          n(t->track())).to8Bit(true);
}

} // namespace aactest

#endif
