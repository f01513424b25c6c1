#ifndef BRENVO_TEST_TAGLIBTAGREAD_H
#define BRENVO_TEST_TAGLIBTAGREAD_H

// What TagLib's own WavPack and TrueAudio classes read of a file, so that the
// tests of this library's classes need not include TagLib's headers of the
// same names.
#include <functional>
#include <string>

#include <tag.h>

namespace brenvo_test {

/*!
 * Opens \a path with TagLib's WavPack::File (.wv) or TrueAudio::File (.tta)
 * and hands \a read its tag and whether it found the rich tag (APE, ID3v2)
 * and the ID3v1 tag.
 */
void readWithTaglib(const std::string &path, const std::function<void(const TagLib::Tag &tag, bool rich, bool id3v1)> &read);

} // namespace brenvo_test

#endif
