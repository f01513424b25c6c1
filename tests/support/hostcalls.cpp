#include "hostcalls.h"

#include <mutex>

#include <audioproperties.h>
#include <fileref.h>
#include <tag.h>
#include <tpropertymap.h>

#include "tplugins.h"

namespace brenvo_test {

const std::vector<std::string> &pluginExtensions()
{
  static const std::vector<std::string> extensions = [] {
    std::vector<std::string> all;
    for(const TagLib::String &extension : TagLib::Plugins::fileExtensions())
      all.push_back(extension.to8Bit());
    return all;
  }();
  return extensions;
}

void ensurePluginsRegistered()
{
  static std::once_flag once;
  std::call_once(once, [] { registerTaglibPlugins(); });
}

namespace {

// Keeps the optimiser from dropping reads whose values nobody looks at.
volatile unsigned long long sink;

void consume(const TagLib::String &s) { sink = sink + s.size(); }
void consume(unsigned long long v) { sink = sink + v; }

} // namespace

HostResult exerciseHost(const std::string &path, bool save)
{
  ensurePluginsRegistered();
  HostResult result;
  TagLib::FileRef ref(path.c_str());
  if(ref.isNull())
    return result;
  result.opened = true;

  TagLib::Tag *tag = ref.tag();
  result.hasTag = tag != nullptr;
  if(!tag)
    return result;  // a host would crash in properties() below

  for(const TagLib::String &text : {tag->title(), tag->artist(), tag->album(), tag->comment(), tag->genre()})
    consume(text);
  consume(tag->year() + tag->track() + tag->isEmpty());
  if(TagLib::AudioProperties *props = ref.audioProperties()) {
    for(int v : {props->length(), props->lengthInSeconds(), props->lengthInMilliseconds(),
                 TagLib::Plugins::lengthInMilliseconds(props), props->bitrate(), props->sampleRate(), props->channels()})
      consume(static_cast<unsigned long long>(v));
  }

  TagLib::File *file = ref.file();
  TagLib::PropertyMap properties = TagLib::Plugins::properties(file);
  consume(properties.size());
  for(const auto &entry : properties) {
    consume(entry.first);
    for(const auto &value : entry.second)
      consume(value);
  }

  TagLib::PropertyMap small;
  small.replace("TITLE", TagLib::StringList(TagLib::String("Host title")));
  small.replace("ARTIST", TagLib::StringList(TagLib::String("Host artist")));
  consume(TagLib::Plugins::setProperties(file, small).size());
  TagLib::Plugins::removeUnsupportedProperties(file, properties.unsupportedData());
  for(const TagLib::Plugins::Picture &picture : TagLib::Plugins::pictures(file))
    consume(picture.data().size() + picture.mimeType().size());
  TagLib::Plugins::PictureList cover;
  cover.append(TagLib::Plugins::Picture(TagLib::ByteVector("\x89PNG\r\n\x1A\n host", 13), "image/png"));
  TagLib::Plugins::setPictures(file, cover);

  if(save)
    result.saved = ref.save();
  return result;
}

} // namespace brenvo_test
