#ifndef BRENVO_TEST_BORROWEDSTREAMS_H
#define BRENVO_TEST_BORROWEDSTREAMS_H

// A file read through a stream it borrows, to compare with the file opened by name.

#include <string>

#include <gtest/gtest.h>

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

} // namespace brenvo_test

#endif
