#ifndef BRENVO_TEST_TAGCHECK_H
#define BRENVO_TEST_TAGCHECK_H

// Checks shared by the WavPack and TrueAudio tests: byte-exact file contents
// and the fields of two tags.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <tag.h>
#include <tbytevector.h>

namespace brenvo_test {

inline std::string bytes(const TagLib::ByteVector &v)
{
  return std::string(v.data(), v.size());
}

//! Equal bytes, or where they first differ (instead of dumping both).
inline ::testing::AssertionResult sameBytes(const std::string &actual, const std::string &expected)
{
  if(actual == expected)
    return ::testing::AssertionSuccess();
  const auto diff = std::mismatch(actual.begin(), actual.begin() + static_cast<long>(std::min(actual.size(), expected.size())),
                                  expected.begin());
  return ::testing::AssertionFailure()
         << "file has " << actual.size() << " bytes, expected " << expected.size()
         << "; first difference at offset " << (diff.first - actual.begin());
}

//! The seven common fields of a tag, for comparing a tag before and after a round trip.
struct Fields
{
  std::string title, artist, album, comment, genre;
  unsigned int year = 0, track = 0;

  static Fields of(const TagLib::Tag *tag)
  {
    Fields f;
    if(tag) {
      f.title = tag->title().to8Bit(true);
      f.artist = tag->artist().to8Bit(true);
      f.album = tag->album().to8Bit(true);
      f.comment = tag->comment().to8Bit(true);
      f.genre = tag->genre().to8Bit(true);
      f.year = tag->year();
      f.track = tag->track();
    }
    return f;
  }
  bool operator==(const Fields &o) const
  {
    return title == o.title && artist == o.artist && album == o.album && comment == o.comment &&
           genre == o.genre && year == o.year && track == o.track;
  }
};

inline std::ostream &operator<<(std::ostream &os, const Fields &f)
{
  return os << "{" << f.title << "|" << f.artist << "|" << f.album << "|" << f.comment.size() << " comment chars|"
            << f.genre << "|" << f.year << "|" << f.track << "}";
}

} // namespace brenvo_test

#endif
