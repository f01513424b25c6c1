#include "wavfile.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include <id3v2framefactory.h>
#include <id3v2header.h>
#include <id3v2tag.h>

#include "common/bytecursor.h"
#include "common/combinedtag.h"
#include "common/fdstream.h"
#include "common/tagblocks.h"
#include "common/tagpictures.h"

namespace TagLib {
namespace Wav {
inline namespace BRENVO_NS {

namespace {

constexpr long riffHeaderSize = 12;
constexpr long chunkHeaderSize = 8;
// Far more chunks than any real file has; beyond it the file is not taken apart.
constexpr std::size_t maxChunks = 100000;
// An INFO list larger than this is kept as it is, not read as a tag.
constexpr std::uint32_t maxInfoSize = 64U * 1024 * 1024;
constexpr long long maxRiffSize = 0xFFFFFFFFLL;

struct Chunk
{
  ByteVector id;
  // The type of a LIST chunk ("INFO"); empty for other chunks.
  ByteVector listType;
  long offset;
  std::uint32_t bodySize;
  // Header, body and pad byte, as far as the file holds them.
  long size;
};

struct ChunkList
{
  // The file starts with "RIFF", its size and "WAVE".
  bool riff = false;
  std::uint32_t riffSize = 0;
  std::vector<Chunk> chunks;
  // The chunks fill the file exactly and the RIFF size says so.
  bool addsUp = false;
  // The last chunk has an odd size and the file ends without its pad byte.
  bool lastPadMissing = false;
};

bool isID3v2Chunk(const Chunk &chunk)
{
  return chunk.id == "id3 " || chunk.id == "ID3 ";
}

bool isInfoChunk(const Chunk &chunk)
{
  return chunk.id == "LIST" && chunk.listType == "INFO" && chunk.bodySize <= maxInfoSize;
}

// Every step moves forward by at least a chunk header, so the walk ends.
ChunkList walk(IOStream *stream)
{
  ChunkList list;
  stream->seek(0);
  ByteCursor header(stream->readBlock(riffHeaderSize));
  const ByteVector riff = header.bytes(4);
  list.riffSize = header.u32le();
  const ByteVector form = header.bytes(4);
  if(!header.ok() || riff != "RIFF" || form != "WAVE")
    return list;
  list.riff = true;

  const long end = stream->length();
  long offset = riffHeaderSize;
  bool whole = true;
  while(offset + chunkHeaderSize <= end) {
    if(list.chunks.size() >= maxChunks) {
      whole = false;
      break;
    }
    // The header and, for a LIST chunk, its type, in one read.
    stream->seek(offset);
    ByteCursor cursor(stream->readBlock(chunkHeaderSize + 4));
    Chunk chunk{cursor.bytes(4), ByteVector(), offset, cursor.u32le(), 0};
    if(!cursor.ok()) {
      whole = false;
      break;
    }
    const long bodyEnd = offset + chunkHeaderSize + static_cast<long>(chunk.bodySize);
    // A chunk that runs past the end hides whatever would follow it.
    if(bodyEnd > end) {
      whole = false;
      break;
    }
    if(chunk.id == "LIST" && chunk.bodySize >= 4)
      chunk.listType = cursor.bytes(4);
    const long next = bodyEnd + static_cast<long>(chunk.bodySize & 1);
    chunk.size = std::min(next, end) - offset;
    list.chunks.push_back(chunk);
    offset = next;
  }
  list.lastPadMissing = offset == end + 1;
  list.addsUp = whole && (offset == end || list.lastPadMissing) && static_cast<long>(list.riffSize) + 8 == end;
  return list;
}

ByteVector renderChunk(const ByteVector &id, const ByteVector &body)
{
  ByteVector chunk(id);
  chunk.append(ByteVector::fromUInt(body.size(), false));
  chunk.append(body);
  if(body.size() & 1)
    chunk.append('\0');
  return chunk;
}

} // namespace

class File::FilePrivate
{
public:
  FilePrivate() = default;
  FilePrivate(const FilePrivate &) = delete;
  FilePrivate &operator=(const FilePrivate &) = delete;

  // Null when the stream is borrowed.
  std::unique_ptr<IOStream> owner;
  IOStream *stream = nullptr;
  // Set once, at reading: strip() empties them in place, so that pointers
  // handed out stay good.
  std::unique_ptr<ID3v2::Tag> id3v2 = std::make_unique<ID3v2::Tag>();
  std::unique_ptr<Wav::InfoTag> info = std::make_unique<Wav::InfoTag>();
  // Declared after the tags it borrows, so that it goes first.
  std::unique_ptr<CombinedTag> combined;
  bool hasID3v2 = false;
  bool hasInfo = false;
  std::unique_ptr<Wav::Properties> properties;
};

File::File(FileName fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(std::make_unique<DescriptorStream>(fileName), readProperties, propertiesStyle)
{
}

File::File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(stream.get(), std::move(stream), readProperties, propertiesStyle)
{
}

File::File(IOStream *stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(stream, nullptr, readProperties, propertiesStyle)
{
}

File::File(IOStream *stream, std::unique_ptr<IOStream> &&owned, bool readProperties,
           AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(stream),
  d(std::make_unique<FilePrivate>())
{
  d->owner = std::move(owned);
  d->stream = stream;
  // TagLib's own isOpen() takes a null stream for granted.
  if(stream && stream->isOpen())
    read(readProperties, propertiesStyle);
  d->combined = std::make_unique<CombinedTag>(d->id3v2.get(), d->info.get());
}

File::~File() = default;

void File::read(bool readProperties, AudioProperties::ReadStyle propertiesStyle)
{
  const ChunkList list = walk(d->stream);
  std::unique_ptr<ID3v2::Tag> id3v2;
  std::unique_ptr<Wav::InfoTag> info;
  for(const Chunk &chunk : list.chunks) {
    const long body = chunk.offset + chunkHeaderSize;
    if(!id3v2 && isID3v2Chunk(chunk)) {
      seek(body);
      const ByteVector header = readBlock(ID3v2::Header::size());
      // The tag must lie inside its chunk, and a header without a body is no tag.
      if(header.size() == ID3v2::Header::size() && header.startsWith(ID3v2::Header::fileIdentifier()) &&
         ID3v2::Header(header).tagSize() > 0 && ID3v2::Header(header).completeTagSize() <= chunk.bodySize)
        id3v2 = std::make_unique<ID3v2::Tag>(this, body, ID3v2::FrameFactory::instance());
    }
    else if(!info && isInfoChunk(chunk)) {
      seek(body);
      info = std::make_unique<Wav::InfoTag>(readBlock(chunk.bodySize));
    }
  }
  d->hasID3v2 = id3v2 != nullptr;
  d->hasInfo = info != nullptr;
  if(id3v2)
    d->id3v2 = std::move(id3v2);
  if(info)
    d->info = std::move(info);

  d->properties = std::make_unique<Wav::Properties>(propertiesStyle);
  if(readProperties)
    d->properties->read(d->stream);
  // What was read may be wrong: a save must not write it over the file.
  if(streamFailed(d->stream))
    setValid(false);
}

TagLib::Tag *File::tag() const
{
  return d->combined.get();
}

ID3v2::Tag *File::ID3v2Tag() const
{
  return d->id3v2.get();
}

Wav::InfoTag *File::InfoTag() const
{
  return d->info.get();
}

Wav::Properties *File::audioProperties() const
{
  return d->properties.get();
}

bool File::hasID3v2Tag() const
{
  return d->hasID3v2;
}

bool File::hasInfoTag() const
{
  return d->hasInfo;
}

bool File::save()
{
  return writeTags(true, true);
}

bool File::strip(int tags)
{
  const bool id3v2 = (tags & ID3v2) != 0;
  const bool info = (tags & Info) != 0;
  if(id3v2) {
    // By id: a copy of the frame list would share TagLib's owning list.
    ByteVectorList ids;
    for(const auto &entry : d->id3v2->frameListMap())
      ids.append(entry.first);
    for(const ByteVector &id : ids)
      d->id3v2->removeFrames(id);
  }
  if(info) {
    for(const auto &field : d->info->fieldListMap())
      d->info->removeField(field.first);
  }
  return writeTags(id3v2, info);
}

bool File::writeTags(bool id3v2, bool info)
{
  if(readOnly() || !isValid())
    return false;
  clearStreamFailure(d->stream);
  const ChunkList list = walk(d->stream);
  if(streamFailed(d->stream) || !list.riff || !list.addsUp)
    return false;

  const ByteVector id3v2Body = id3v2 && !d->id3v2->isEmpty() ? d->id3v2->render() : ByteVector();
  const ByteVector infoBody = info && !d->info->isEmpty() ? d->info->render() : ByteVector();

  // The chunks to rewrite: the first of each kind takes the new tag, or goes
  // with the rest of its kind when the tag is empty.
  struct Change
  {
    TagBlock block;
    ByteVector data;
  };
  std::vector<Change> changes;
  bool id3v2Placed = id3v2Body.isEmpty();
  bool infoPlaced = infoBody.isEmpty();
  bool lastTouched = false;
  long long length = d->stream->length();
  for(const Chunk &chunk : list.chunks) {
    ByteVector data;
    if(id3v2 && isID3v2Chunk(chunk)) {
      if(!id3v2Placed)
        data = renderChunk(chunk.id, id3v2Body);
      id3v2Placed = true;
    }
    else if(info && isInfoChunk(chunk)) {
      if(!infoPlaced)
        data = renderChunk(chunk.id, infoBody);
      infoPlaced = true;
    }
    else {
      lastTouched = false;
      continue;
    }
    lastTouched = true;
    length += static_cast<long long>(data.size()) - chunk.size;
    changes.push_back(Change{TagBlock{chunk.offset, chunk.size}, data});
  }
  ByteVector tail;
  if(!infoPlaced)
    tail.append(renderChunk("LIST", infoBody));
  if(!id3v2Placed)
    tail.append(renderChunk("id3 ", id3v2Body));
  // Chunks start on even offsets: the pad byte the last chunk lacks comes first.
  if(!tail.isEmpty() && list.lastPadMissing && !lastTouched)
    tail = ByteVector(1, '\0') + tail;
  length += tail.size();
  if(length - 8 > maxRiffSize)
    return false;

  TagBlockLayout layout(d->stream);
  for(Change &change : changes)
    layout.track(&change.block);
  for(Change &change : changes) {
    const bool written = change.data.isEmpty() ? layout.remove(change.block)
                                               : layout.write(change.block, change.data, change.block.offset);
    if(!written)
      return false;
  }
  if(!tail.isEmpty()) {
    TagBlock appended;
    if(!layout.writeAtEnd(appended, tail))
      return false;
  }
  if(id3v2)
    d->hasID3v2 = !id3v2Body.isEmpty();
  if(info)
    d->hasInfo = !infoBody.isEmpty();

  const long newLength = d->stream->length();
  if(streamFailed(d->stream))
    return false;
  if(static_cast<long>(list.riffSize) + 8 != newLength) {
    seek(4);
    writeBlock(ByteVector::fromUInt(static_cast<unsigned int>(newLength - 8), false));
  }
  return !streamFailed(d->stream);
}

PropertyMap File::properties() const
{
  // TagLib presents the ID3v2 tag's fields, or the INFO tag's when it has none.
  PropertyMap map = d->id3v2->isEmpty() ? d->info->TagLib::Tag::properties() : d->id3v2->properties();
  // TagLib shows no other INFO field; they are the file's fields all the same.
  for(const auto &field : d->info->otherProperties()) {
    if(!map.contains(field.first))
      map.insert(field.first, field.second);
  }
  return map;
}

PropertyMap File::setProperties(const PropertyMap &properties)
{
  d->info->TagLib::Tag::setProperties(properties);
  const PropertyMap notInfo = d->info->setOtherProperties(properties);
  PropertyMap unsupported = d->id3v2->setProperties(properties);
  // What the INFO tag took is stored, whatever the ID3v2 tag made of it.
  for(const auto &entry : properties) {
    if(!notInfo.contains(entry.first))
      unsupported.erase(entry.first);
  }
  return unsupported;
}

void File::removeUnsupportedProperties(const StringList &properties)
{
  d->id3v2->removeUnsupportedProperties(properties);
}

Plugins::PictureList File::pictures() const
{
  return id3v2Pictures(d->id3v2.get());
}

bool File::setPictures(const Plugins::PictureList &pictures)
{
  setID3v2Pictures(d->id3v2.get(), pictures);
  return true;
}

} // namespace BRENVO_NS
} // namespace Wav
} // namespace TagLib
