// A tiny external host: registers the plug-ins and prints what FileRef reads.
#include <iostream>

#include <fileref.h>
#include <tag.h>
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
  }
  return 0;
}
