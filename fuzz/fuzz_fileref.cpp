// Fuzzes the library as a host uses it: the input bytes become a file with one
// of the registered extensions, which is opened through TagLib::FileRef, read,
// changed and saved. For the formats we write (ASF, WavPack, TTA, Speex, AAC, WAVE),
// a successful save must leave a file that opens again and reads back the
// title that was set; WavPack and TTA files also go through remove() and
// save(), AAC files through an accurate read, strip() and save().
//
// The extension comes from the environment variable BRENVO_FUZZ_EXT (".m4a"),
// so that each format is fuzzed from its own corpus; without it, the first
// input byte selects one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include <fileref.h>
#include <tag.h>

#include "aac/aacfile.h"
#include "hostcalls.h"
#include "m4a/mp4file.h"
#include "tplugins.h"
#include "trueaudio/ttafile.h"
#include "wavpack/wvfile.h"

namespace {

std::string workDir()
{
  static const std::string dir = [] {
    char pattern[] = "/tmp/brenvo-fuzz-XXXXXX";
    const char *made = ::mkdtemp(pattern);
    if(!made)
      std::abort();
    return std::string(made);
  }();
  return dir;
}

bool isMp4(const std::string &extension)
{
  for(const char *mp4 : {".m4a", ".m4b", ".m4p", ".mp4", ".m4v", ".mp4v"})
    if(extension == mp4)
      return true;
  return false;
}

bool isWritable(const std::string &extension)
{
  return extension == ".wma" || extension == ".asf" || extension == ".wv" || extension == ".tta" ||
         extension == ".spx" || extension == ".aac" || extension == ".wav" || isMp4(extension);
}

// Sets a title and saves; when the save succeeds, the file must open again
// and, where \a checkTitle, a fresh reader must see the title. (TTA and AAC
// files carry TagLib's own ID3v2 tag, which keeps frames it cannot decode,
// such as encrypted ones, and so cannot always take a new title.)
void saveAndReadBack(const std::string &path, bool checkTitle)
{
  const TagLib::String title("fuzzed title");
  bool saved = false;
  {
    TagLib::FileRef ref(path.c_str());
    // TagLib may open what our resolver refused with a class of its own,
    // found by content (a Musepack file named .asf): its saves are TagLib's.
    if(ref.isNull() || !ref.tag() || TagLib::Plugins::formatName(ref.file()).isEmpty())
      return;
    ref.tag()->setTitle(title);
    saved = ref.save();
  }
  if(!saved)
    return;
  TagLib::FileRef again(path.c_str());
  if(again.isNull() || !again.tag() || (checkTitle && again.tag()->title() != title))
    std::abort();  // a save reported success but the file does not read back
}

std::string audioOf(TagLib::File &file)
{
  const TagLib::AudioProperties *p = file.audioProperties();
  return p ? std::to_string(TagLib::Plugins::lengthInMilliseconds(p)) + " " + std::to_string(p->sampleRate()) + " " +
               std::to_string(p->channels()) + " " + std::to_string(p->bitrate())
           : std::string();
}

// remove() every tag, then save: the file must still open.
template <class FileType>
void removeAllAndSave(const std::string &path)
{
  bool saved = false;
  {
    FileType file(path.c_str(), true, TagLib::AudioProperties::Average);
    if(!file.isValid())
      return;
    file.remove(3);
    saved = file.save();
  }
  if(saved && TagLib::FileRef(path.c_str()).isNull())
    std::abort();
}

// The item list removed, then a save: the file must open again with no item
// and the same audio properties (the chunk offsets and the movie box survived).
void removeItemsAndSave(const std::string &path)
{
  std::string before;
  bool saved = false;
  {
    TagLib::MP4::File file(path.c_str());
    before = audioOf(file);
    file.remove();
    saved = file.save();
  }
  if(!saved)
    return;
  TagLib::MP4::File again(path.c_str());
  if(!again.tag()->isEmpty() || audioOf(again) != before)
    std::abort();
}

// Every frame header walked, every tag stripped, then a save: the file must
// still open.
void stripAllAndSave(const std::string &path)
{
  bool saved = false;
  {
    TagLib::AAC::File file(path.c_str(), true, TagLib::AudioProperties::Accurate);
    if(!file.isValid())
      return;
    saved = file.strip() && file.save();
  }
  if(saved && TagLib::FileRef(path.c_str()).isNull())
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
  const auto &extensions = brenvo_test::pluginExtensions();
  std::string extension;
  if(const char *fixed = std::getenv("BRENVO_FUZZ_EXT")) {
    extension = fixed;
  }
  else {
    if(size == 0)
      return 0;
    extension = extensions[data[0] % extensions.size()];
    ++data;
    --size;
  }

  const std::string path = workDir() + "/input" + extension;
  if(FILE *out = std::fopen(path.c_str(), "wb")) {
    if(size)
      std::fwrite(data, 1, size, out);
    std::fclose(out);
  }
  const brenvo_test::HostResult result = brenvo_test::exerciseHost(path, true);
  if(result.opened && !result.hasTag)
    std::abort();  // a host would crash on this file
  if(result.opened && isWritable(extension)) {
    saveAndReadBack(path, extension != ".tta" && extension != ".aac");
    if(extension == ".wv")
      removeAllAndSave<TagLib::WavPack::File>(path);
    else if(extension == ".tta")
      removeAllAndSave<TagLib::TTA::File>(path);
    else if(extension == ".aac")
      stripAllAndSave(path);
    else if(isMp4(extension))
      removeItemsAndSave(path);
  }
  std::remove(path.c_str());
  return 0;
}
