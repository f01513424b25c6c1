#ifndef BRENVO_TEST_BORROWEDSTREAMS_H
#define BRENVO_TEST_BORROWEDSTREAMS_H

// A file read through a stream it borrows, to compare with the file opened by name.

#include <string>

#include <gtest/gtest.h>

#include <audioproperties.h>
#include <tag.h>
#include <tbytevectorstream.h>
#include <tfilestream.h>

#include "testfiles.h"

namespace brenvo_test {

/*!
 * Calls \a open with each kind of stream a host may lend a file class:
 * TagLib's own file stream on \a path (read only), and a stream over the
 * file's bytes in memory, which has no path at all. The stream lives until
 * \a open returns.
 */
template <class Open>
void withBorrowedStreams(const std::string &path, Open open)
{
  {
    SCOPED_TRACE("TagLib::FileStream");
    TagLib::FileStream stream(path.c_str(), true);
    open(static_cast<TagLib::IOStream *>(&stream));
  }
  {
    SCOPED_TRACE("TagLib::ByteVectorStream");
    const std::string bytes = readFile(path);
    TagLib::ByteVectorStream stream(TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size())));
    open(static_cast<TagLib::IOStream *>(&stream));
  }
}

//! Expects every field of \a actual to equal that of \a expected.
inline void expectSameTag(const TagLib::Tag &expected, const TagLib::Tag &actual)
{
  EXPECT_EQ(actual.title(), expected.title());
  EXPECT_EQ(actual.artist(), expected.artist());
  EXPECT_EQ(actual.album(), expected.album());
  EXPECT_EQ(actual.comment(), expected.comment());
  EXPECT_EQ(actual.genre(), expected.genre());
  EXPECT_EQ(actual.year(), expected.year());
  EXPECT_EQ(actual.track(), expected.track());
  EXPECT_EQ(actual.isEmpty(), expected.isEmpty());
}

//! Expects every property of \a actual to equal that of \a expected.
inline void expectSameProperties(const TagLib::AudioProperties &expected, const TagLib::AudioProperties &actual)
{
  EXPECT_EQ(actual.length(), expected.length());
  EXPECT_EQ(actual.bitrate(), expected.bitrate());
  EXPECT_EQ(actual.sampleRate(), expected.sampleRate());
  EXPECT_EQ(actual.channels(), expected.channels());
}

} // namespace brenvo_test

#endif
