#include <gtest/gtest.h>

#include <fileref.h>

#include "hostcalls.h"
#include "testfiles.h"
#include "tplugins.h"

using namespace brenvo_test;

TEST(Registration, TheExtensionDecidesNotTheContent)
{
  ensurePluginsRegistered();
  TempDir dir;
  for(const char *sample : {"m4a/aac-stereo-48k.m4a", "asf/ffmpeg-tags.wma", "rmff/ac3.rm", "audible/book.aa",
                            "aac/sine.aac", "wavpack/stereo16-ape.wv", "speex/wideband.spx",
                            "trueaudio/mono16-id3v2.tta", "wav/canonical.wav"}) {
    SCOPED_TRACE(sample);
    const std::string bytes = readFile(dataPath(sample));
    ASSERT_FALSE(TagLib::Plugins::formatName(TagLib::FileRef(dataPath(sample).c_str()).file()).isEmpty());
    // TagLib may still recognise the content itself; our resolvers go by the name.
    const TagLib::FileRef ref(dir.write("no-extension", bytes).c_str());
    EXPECT_TRUE(TagLib::Plugins::formatName(ref.file()).isEmpty());
  }
}
