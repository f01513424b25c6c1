// TagLib's own classes, constructed directly: no header of this library.
#include "taglibtagread.h"

#include <trueaudiofile.h>
#include <wavpackfile.h>

namespace brenvo_test {

void readWithTaglib(const std::string &path, const std::function<void(const TagLib::Tag &tag, bool rich, bool id3v1)> &read)
{
  if(path.size() > 3 && path.compare(path.size() - 3, 3, ".wv") == 0) {
    TagLib::WavPack::File f(path.c_str(), false);
    read(*f.tag(), f.hasAPETag(), f.hasID3v1Tag());
  }
  else {
    TagLib::TrueAudio::File f(path.c_str(), false);
    read(*f.tag(), f.hasID3v2Tag(), f.hasID3v1Tag());
  }
}

} // namespace brenvo_test
