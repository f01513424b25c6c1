// A tiny external host: registers the plug-ins and prints what FileRef reads,
// and for MP4 files the extra fields of the library's own MP4 tag.
#include <cstring>
#include <iostream>

#include <fileref.h>
#include <tag.h>
#include <mp4file.h>
#include <tplugins.h>

int main(int argc, char *argv[])
{
  registerTaglibPlugins();
  for(int i = 1; i < argc; ++i) {
    TagLib::FileRef f(argv[i]);
    if(f.isNull() || !f.tag())
      return 1;
    std::cout << argv[i] << ": " << f.tag()->title() << " / "
              << (f.audioProperties() ? f.audioProperties()->sampleRate() : 0) << " Hz\n";
    const char *dot = std::strrchr(argv[i], '.');
    if(dot && std::strcmp(dot, ".m4a") == 0) {
      const auto *mp4 = dynamic_cast<TagLib::MP4::File *>(f.file());
      if(!mp4 || mp4->tag()->composer().isEmpty() || mp4->tag()->cover().isEmpty())
        return 1;
      std::cout << "  composer: " << mp4->tag()->composer()
                << ", cover: " << mp4->tag()->cover().size() << " bytes\n";
    }
  }
  return 0;
}
