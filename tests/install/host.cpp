// A tiny external host: registers the plug-ins and prints what FileRef reads,
// and for MP4 files the extra fields of the library's own MP4 tag. It also
// includes TagLib's own MP4 header and reads the file with it, as a host that
// uses both libraries does.
#include <cstring>
#include <iostream>

#include <taglib/fileref.h>
#include <taglib/mp4file.h>
#include <taglib/tag.h>
// Our header makes TagLib::MP4::File name two classes, so TagLib's is named first.
using TaglibMP4File = TagLib::MP4::File;

#include <brenvo_taglib/mp4file.h>
#include <brenvo_taglib/tplugins.h>

// Only the folder above ours is on the include path, so <mp4file.h> is TagLib's.
#if __has_include(<tplugins.h>)
#error "the package put include/brenvo_taglib itself on the include path"
#endif

int main(int argc, char *argv[])
{
  registerTaglibPlugins();
  for(int i = 1; i < argc; ++i) {
    TagLib::FileRef f(argv[i]);
    if(f.isNull() || !f.tag())
      return 1;
    std::cout << argv[i] << ": " << f.tag()->title() << " / "
              << (f.audioProperties() ? f.audioProperties()->sampleRate() : 0) << " Hz / "
              << TagLib::Plugins::lengthInMilliseconds(f.audioProperties()) << " ms\n";
    // The companion API answers where TagLib's non-virtual calls cannot.
    if(TagLib::Plugins::properties(f.file())["TITLE"].toString() != f.tag()->title())
      return 1;
    const char *dot = std::strrchr(argv[i], '.');
    if(dot && std::strcmp(dot, ".m4a") == 0) {
      const auto *mp4 = dynamic_cast<brenvo_taglib::MP4File *>(f.file());
      if(!mp4 || dynamic_cast<TaglibMP4File *>(f.file()) || TagLib::Plugins::lengthInMilliseconds(f.audioProperties()) <= 0
         || mp4->tag()->composer().isEmpty() || mp4->tag()->cover().isEmpty())
        return 1;
      std::cout << "  composer: " << mp4->tag()->composer()
                << ", cover: " << mp4->tag()->cover().size() << " bytes\n";
      const TaglibMP4File taglibs(argv[i]);
      if(!taglibs.isValid() || taglibs.tag()->title() != f.tag()->title())
        return 1;
      std::cout << "  TagLib's own MP4 reader: " << taglibs.tag()->title() << "\n";
    }
  }
  return 0;
}
