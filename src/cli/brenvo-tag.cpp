// brenvo-tag: reads and writes tags through TagLib with this library's plug-ins.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <getopt.h>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <audioproperties.h>
#include <fileref.h>
#include <tag.h>
#include <tpropertymap.h>

#include "extras.h"
#include "options.h"
#include "report.h"
#include "scan.h"
#include "tplugins.h"

namespace {

const char usage[] =
  "usage: brenvo-tag [OPTIONS] FILE...\n"
  "       brenvo-tag scan [-j N] DIR\n"
  "\n"
  "Prints the tag and audio properties of each FILE, or, with any of the\n"
  "options -t -a -A -c -g -y -T -s -r --picture, sets those fields and saves the file.\n"
  "Opens every format TagLib reads plus MP4/M4A, ASF/WMA, RealMedia, Audible\n"
  "(.aa), raw AAC, WavPack, Speex, TrueAudio and WAVE. Saves MP4/M4A, ASF/WMA,\n"
  "raw AAC, WavPack, Speex, TrueAudio and WAVE files and every format TagLib saves;\n"
  "RealMedia and Audible files are read-only.\n"
  "\n"
  "  --json        one JSON object per file and line: file, format, tag (with the\n"
  "                whole property map and the pictures), properties (null where absent)\n"
  "  -t TITLE      set the title\n"
  "  -a ARTIST     set the artist\n"
  "  -A ALBUM      set the album\n"
  "  -c COMMENT    set the comment\n"
  "  -g GENRE      set the genre\n"
  "  -y YEAR       set the year (a whole number)\n"
  "  -T TRACK      set the track number (a whole number)\n"
  "  -s KEY=VALUE  set the property KEY (e.g. COMPOSER) to VALUE; repeat a key\n"
  "                for several values\n"
  "  -r KEY        remove the property KEY\n"
  "  --picture IMAGE  set the front cover to the image file IMAGE\n"
  "  --extensions  list the file name extensions this library adds, one per line\n"
  "  -h, --help    show this text\n"
  "\n"
  "scan walks DIR and prints one JSON object per line (as --json) for every file\n"
  "whose extension TagLib or this library takes, reading files on N threads\n"
  "(-j N, default 1). It reports progress on standard error when that is a\n"
  "terminal, each failure as above, and a summary per format at the end; its\n"
  "exit status is 0 even when some files fail.\n"
  "\n"
  "A file that cannot be opened, or whose save fails, is reported on standard\n"
  "error as 'brenvo-tag: FILE: REASON'; so is a property or picture the format\n"
  "cannot hold (the rest is saved). The other files are still processed and the\n"
  "exit status is 1.\n";

struct Edits
{
  std::optional<std::string> title, artist, album, comment, genre;
  std::optional<unsigned int> year, track;
  // Each key's new values, in the order given; an empty list removes the key.
  std::map<std::string, std::vector<std::string>> properties;
  std::optional<std::string> picture;
  bool any() const
  {
    return title || artist || album || comment || genre || year || track || !properties.empty() || picture;
  }
};

struct Options
{
  bool json = false;
  Edits edits;
  std::vector<std::string> files;
};

void fail(const std::string &file, const std::string &reason)
{
  std::cerr << "brenvo-tag: " << file << ": " << reason << std::endl;
}

// Parses the command line; returns an exit status when the tool should stop.
std::optional<int> parseArguments(int argc, char *argv[], Options &options)
{
  enum { JsonOption = 256, ExtensionsOption, PictureOption };
  static const option longOptions[] = {{"json", no_argument, nullptr, JsonOption},
                                       {"extensions", no_argument, nullptr, ExtensionsOption},
                                       {"picture", required_argument, nullptr, PictureOption},
                                       {"help", no_argument, nullptr, 'h'},
                                       {nullptr, 0, nullptr, 0}};
  // Our own messages, prefixed "brenvo-tag:" whatever path the tool was run by.
  opterr = 0;
  Edits &e = options.edits;
  for(int c; (c = getopt_long(argc, argv, ":t:a:A:c:g:y:T:s:r:h", longOptions, nullptr)) != -1;) {
    switch(c) {
    case 'h': std::cout << usage; return 0;
    case JsonOption: options.json = true; break;
    case ExtensionsOption:
      for(const TagLib::String &extension : TagLib::Plugins::fileExtensions())
        std::cout << extension.to8Bit(true) << '\n';
      return 0;
    case 't': e.title = optarg; break;
    case 'a': e.artist = optarg; break;
    case 'A': e.album = optarg; break;
    case 'c': e.comment = optarg; break;
    case 'g': e.genre = optarg; break;
    case 's': {
      const char *equals = std::strchr(optarg, '=');
      if(!equals || equals == optarg) {
        std::cerr << "brenvo-tag: -s needs KEY=VALUE, not '" << optarg << "'\n";
        return 2;
      }
      std::vector<std::string> &values = e.properties[std::string(optarg, static_cast<std::size_t>(equals - optarg))];
      values.emplace_back(equals + 1);
      break;
    }
    case 'r': e.properties[optarg].clear(); break;
    case PictureOption: e.picture = optarg; break;
    case 'y':
    case 'T': {
      const auto number = brenvo_cli::parseWhole(optarg, 0, std::numeric_limits<unsigned int>::max());
      if(!number) {
        std::cerr << "brenvo-tag: -" << static_cast<char>(c) << " needs a number, not '" << optarg << "'\n";
        return 2;
      }
      (c == 'y' ? e.year : e.track) = static_cast<unsigned int>(*number);
      break;
    }
    case ':':
      std::cerr << "brenvo-tag: option " << brenvo_cli::optionName(argv, optind) << " needs a value\n" << usage;
      return 2;
    default:
      std::cerr << "brenvo-tag: unknown option " << brenvo_cli::optionName(argv, optind) << "\n" << usage;
      return 2;
    }
  }
  for(int i = optind; i < argc; ++i)
    options.files.emplace_back(argv[i]);
  if(options.files.empty()) {
    std::cerr << usage;
    return 2;
  }
  return std::nullopt;
}

std::string lengthText(int seconds)
{
  std::ostringstream out;
  out << seconds / 60 << ':' << std::setw(2) << std::setfill('0') << seconds % 60;
  return out.str();
}

void printText(const std::string &path, const TagLib::FileRef &ref)
{
  std::cout << "******************** \"" << path << "\" ********************\n";
  if(const TagLib::Tag *tag = ref.tag()) {
    std::cout << "-- TAG (basic) --\n"
              << "title   - \"" << tag->title().to8Bit(true) << "\"\n"
              << "artist  - \"" << tag->artist().to8Bit(true) << "\"\n"
              << "album   - \"" << tag->album().to8Bit(true) << "\"\n"
              << "year    - \"" << tag->year() << "\"\n"
              << "comment - \"" << tag->comment().to8Bit(true) << "\"\n"
              << "track   - \"" << tag->track() << "\"\n"
              << "genre   - \"" << tag->genre().to8Bit(true) << "\"\n";
    // Every field the file holds, as TagLib's own tag reader lists them.
    const TagLib::PropertyMap map = TagLib::Plugins::properties(ref.file());
    std::size_t width = 0;
    for(const auto &entry : map)
      width = std::max<std::size_t>(width, entry.first.to8Bit(true).size());
    std::cout << "-- TAG (properties) --\n";
    for(const auto &entry : map) {
      for(const TagLib::String &value : entry.second)
        std::cout << std::left << std::setw(static_cast<int>(width)) << entry.first.to8Bit(true) << " - \""
                  << value.to8Bit(true) << "\"\n";
    }
    for(const TagLib::Plugins::Picture &picture : TagLib::Plugins::pictures(ref.file()))
      std::cout << "picture - type " << picture.type() << ", " << picture.mimeType().to8Bit(true) << ", "
                << picture.data().size() << " bytes, \"" << picture.description().to8Bit(true) << "\"\n";
  }
  if(const TagLib::AudioProperties *props = ref.audioProperties()) {
    std::cout << "-- AUDIO --\n"
              << "bitrate     - " << props->bitrate() << "\n"
              << "sample rate - " << props->sampleRate() << "\n"
              << "channels    - " << props->channels() << "\n"
              << "length      - " << lengthText(TagLib::Plugins::lengthInSeconds(props)) << "\n";
  }
  std::cout << std::endl;
}

void printJson(const std::string &path, const TagLib::FileRef &ref)
{
  std::cout << brenvo_cli::jsonLine(path, ref) << std::endl;
}

bool applyEdits(const std::string &path, TagLib::FileRef &ref, const Edits &e)
{
  TagLib::Tag *tag = ref.tag();
  if(!tag) {
    fail(path, "the file has no tag that can be written");
    return false;
  }
  const auto utf8 = [](const std::string &s) { return TagLib::String(s, TagLib::String::UTF8); };
  bool complete = true;
  if(!e.properties.empty()) {
    TagLib::PropertyMap map = TagLib::Plugins::properties(ref.file());
    for(const auto &entry : e.properties) {
      TagLib::StringList values;
      for(const std::string &value : entry.second)
        values.append(utf8(value));
      if(values.isEmpty())
        map.erase(utf8(entry.first));
      else
        map.replace(utf8(entry.first), values);
    }
    const TagLib::PropertyMap refused = TagLib::Plugins::setProperties(ref.file(), map);
    for(const auto &entry : refused) {
      fail(path, "the format cannot hold the property " + entry.first.to8Bit(true));
      complete = false;
    }
  }
  if(e.picture) {
    std::ifstream in(*e.picture, std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if(!in.good() && !in.eof()) {
      fail(path, "cannot read the picture " + *e.picture);
      return false;
    }
    const TagLib::ByteVector data(image.data(), static_cast<unsigned int>(image.size()));
    // The new front cover replaces the old ones; other pictures stay.
    TagLib::Plugins::PictureList pictures;
    for(const TagLib::Plugins::Picture &picture : TagLib::Plugins::pictures(ref.file())) {
      if(picture.type() != TagLib::Plugins::Picture::FrontCover)
        pictures.append(picture);
    }
    pictures.prepend(TagLib::Plugins::Picture(data, brenvo_cli::imageMime(data)));
    if(!TagLib::Plugins::setPictures(ref.file(), pictures)) {
      fail(path, "the format holds no pictures");
      complete = false;
    }
  }
  if(e.title) tag->setTitle(utf8(*e.title));
  if(e.artist) tag->setArtist(utf8(*e.artist));
  if(e.album) tag->setAlbum(utf8(*e.album));
  if(e.comment) tag->setComment(utf8(*e.comment));
  if(e.genre) tag->setGenre(utf8(*e.genre));
  if(e.year) tag->setYear(*e.year);
  if(e.track) tag->setTrack(*e.track);
  if(!ref.save()) {
    fail(path, "saving failed (the format is read-only here, or the file cannot be written)");
    return false;
  }
  return complete;
}

} // namespace

int main(int argc, char *argv[])
{
  if(argc > 1 && std::strcmp(argv[1], "scan") == 0)
    return brenvo_cli::scanMain(argc - 1, argv + 1);

  Options options;
  if(const auto status = parseArguments(argc, argv, options))
    return *status;

  registerTaglibPlugins();
  int status = 0;
  for(const std::string &path : options.files) {
    TagLib::FileRef ref(path.c_str());
    if(ref.isNull()) {
      fail(path, "cannot open: not a readable file of a supported format");
      status = 1;
      continue;
    }
    if(options.edits.any()) {
      if(!applyEdits(path, ref, options.edits))
        status = 1;
    }
    else if(options.json) {
      printJson(path, ref);
    }
    else {
      printText(path, ref);
    }
  }
  return status;
}
