#include "report.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

#include <nlohmann/json.hpp>

#include <audioproperties.h>
#include <fileref.h>
#include <tag.h>
#include <tpropertymap.h>

#include "extras.h"
#include "tplugins.h"

namespace brenvo_cli {

std::string formatName(const TagLib::File *file)
{
  if(!file)
    return "none";
  const TagLib::String ours = TagLib::Plugins::formatName(file);
  if(!ours.isEmpty())
    return ours.to8Bit(true);
  // TagLib's own classes: the namespace of the class names the format
  // ("TagLib::FLAC::File" is "FLAC", "TagLib::Ogg::Vorbis::File" is "Ogg::Vorbis").
  int status = 0;
  std::unique_ptr<char, void (*)(void *)> demangled(
    abi::__cxa_demangle(typeid(*file).name(), nullptr, nullptr, &status), std::free);
  std::string name = status == 0 && demangled ? demangled.get() : typeid(*file).name();
  const std::string prefix = "TagLib::";
  if(name.compare(0, prefix.size(), prefix) == 0)
    name.erase(0, prefix.size());
  const std::size_t last = name.rfind("::");
  return last == std::string::npos ? name : name.substr(0, last);
}

std::string jsonLine(const std::string &path, const TagLib::FileRef &ref)
{
  nlohmann::ordered_json out;
  out["file"] = path;
  out["format"] = formatName(ref.file());
  if(const TagLib::Tag *tag = ref.tag()) {
    nlohmann::ordered_json t = {
      {"title", tag->title().to8Bit(true)},  {"artist", tag->artist().to8Bit(true)},
      {"album", tag->album().to8Bit(true)},  {"comment", tag->comment().to8Bit(true)},
      {"genre", tag->genre().to8Bit(true)},  {"year", tag->year()},
      {"track", tag->track()}};
    for(const auto &field : extraFields(ref.file()))
      t[field.first] = field.second;
    // Every field under its property key, each with all its values.
    nlohmann::ordered_json map = nlohmann::ordered_json::object();
    for(const auto &entry : TagLib::Plugins::properties(ref.file())) {
      nlohmann::ordered_json values = nlohmann::ordered_json::array();
      for(const TagLib::String &value : entry.second)
        values.push_back(value.to8Bit(true));
      map[entry.first.to8Bit(true)] = values;
    }
    t["properties"] = map;
    nlohmann::ordered_json pictures = nlohmann::ordered_json::array();
    for(const TagLib::Plugins::Picture &picture : TagLib::Plugins::pictures(ref.file())) {
      pictures.push_back({{"type", static_cast<int>(picture.type())}, {"mime", picture.mimeType().to8Bit(true)},
                          {"description", picture.description().to8Bit(true)}, {"size", picture.data().size()}});
    }
    t["pictures"] = pictures;
    out["tag"] = t;
  }
  else {
    out["tag"] = nullptr;
  }
  if(const TagLib::AudioProperties *props = ref.audioProperties()) {
    out["properties"] = {{"length", props->length()}, {"lengthMs", TagLib::Plugins::lengthInMilliseconds(props)},
                         {"bitrate", props->bitrate()},
                         {"sampleRate", props->sampleRate()}, {"channels", props->channels()}};
  }
  else {
    out["properties"] = nullptr;
  }
  // Replace invalid UTF-8 rather than throw: tags in the wild are not always clean.
  return out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace brenvo_cli
