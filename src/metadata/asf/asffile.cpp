#include "asffile.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <vector>

#include <tbytevectorlist.h>

#include "asfencoding.h"
#include "common/bytecursor.h"
#include "common/fdstream.h"

namespace TagLib {
namespace ASF {
inline namespace BRENVO_NS {

namespace {

ByteVector guidBytes(const char (&bytes)[17])
{
  return ByteVector(bytes, 16);
}

// Object GUIDs, in file byte order.
const ByteVector headerGuid = guidBytes("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
const ByteVector filePropertiesGuid = guidBytes("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65");
const ByteVector streamPropertiesGuid = guidBytes("\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65");
const ByteVector contentDescriptionGuid = guidBytes("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
const ByteVector headerExtensionGuid = guidBytes("\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65");
// The three attribute-list objects, by record kind (see Attribute).
const ByteVector attributeListGuids[3] = {
  guidBytes("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50"),   // extended content description
  guidBytes("\xEA\xCB\xF8\xC5\xAF\x5B\x77\x48\x84\x67\xAA\x8C\x44\xFA\x4C\xCA"),   // metadata
  guidBytes("\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54")};  // metadata library
enum ListKind { extendedKind = 0, metadataKind = 1, libraryKind = 2 };
// Stream type of an audio stream, at the start of a stream properties body.
const ByteVector audioMediaGuid = guidBytes("\x40\x9E\x69\xF8\x4D\x5B\xCF\x11\xA8\xFD\x00\x80\x5F\x5C\x44\x2B");
// Fixed field of the header extension body.
const ByteVector headerExtensionReservedGuid = guidBytes("\x11\xD2\xD3\xAB\xBA\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65");

const unsigned int headerObjectSize = 30;
const unsigned int objectHeaderSize = 24;
const unsigned int headerExtensionFieldsSize = 22;

/*!
 * Walks the objects in the next \a length bytes of \a cursor, which holds
 * them, at most \a limit of them: hands each one's GUID and body length to
 * \a take with the cursor at the body, and moves on to where the object says
 * it ends. An object whose size does not fit what is left ends the walk.
 * True when the objects walked fill the \a length bytes exactly.
 */
template <class Take>
bool walkObjects(ByteCursor &cursor, std::size_t length, std::size_t limit, Take take)
{
  const std::size_t end = cursor.position() + length;
  for(std::size_t n = 0; n < limit && end - cursor.position() >= objectHeaderSize; ++n) {
    const ByteVector guid = cursor.bytes(16);
    const std::uint64_t size = cursor.u64le();
    const std::size_t bodyStart = cursor.position();
    if(size < objectHeaderSize || size - objectHeaderSize > end - bodyStart)
      return false;
    const std::size_t bodyLength = static_cast<std::size_t>(size - objectHeaderSize);
    take(guid, bodyLength);
    cursor.seek(bodyStart + bodyLength);
  }
  return cursor.ok() && cursor.position() == end;
}

} // namespace

// One header object: its GUID, its body, and how it reads and writes itself.
// Objects this library does not interpret keep their body as it was read.
class File::BaseObject
{
public:
  explicit BaseObject(const ByteVector &guid) :
    objectGuid(guid)
  {
  }
  virtual ~BaseObject() = default;
  BaseObject(const BaseObject &) = delete;
  BaseObject &operator=(const BaseObject &) = delete;

  using List = std::vector<std::unique_ptr<BaseObject>>;

  //! The object for \a guid, at the top level of the header or nested in a header extension.
  static std::unique_ptr<BaseObject> create(const ByteVector &guid, bool nested);

  /*!
   * Reads the body: the next \a length bytes of \a cursor, which holds them.
   * The default keeps them as they are.
   */
  virtual void parse(FilePrivate &, ByteCursor &cursor, std::size_t length) { data = cursor.bytes(length); }

  //! The body the next save writes.
  virtual ByteVector renderBody(FilePrivate &) { return data; }

  ByteVector render(FilePrivate &state)
  {
    const ByteVector body = renderBody(state);
    return objectGuid + renderQWord(body.size() + std::uint64_t{objectHeaderSize}) + body;
  }

  const ByteVector objectGuid;
  ByteVector data;
};

class File::FilePrivate
{
public:
  // Set only when the file opened the stream itself.
  std::unique_ptr<IOStream> ownedStream;
  IOStream *stream = nullptr;

  std::uint64_t size = 0;
  std::unique_ptr<Tag> tag;
  std::unique_ptr<Properties> properties;
  BaseObject::List objects;
  // The last object of each kind; each is owned by a list above (the nested
  // attribute lists by a header extension object).
  ContentDescriptionObject *contentDescription = nullptr;
  HeaderExtensionObject *headerExtension = nullptr;
  AttributeListObject *attributeLists[3] = {};

  // True when the header's objects, nested ones included, were read whole and
  // fill it exactly; save() rewrites only such a header, so nothing it could
  // not read is lost.
  bool headerComplete = false;
};

// The file and stream properties objects: kept as they are, their fields
// also fill the audio properties.
class File::PropertiesObject : public BaseObject
{
public:
  using FieldsReader = void (*)(Properties &, ByteCursor &);

  PropertiesObject(const ByteVector &guid, FieldsReader reader) :
    BaseObject(guid),
    readFields(reader)
  {
  }

  void parse(FilePrivate &state, ByteCursor &cursor, std::size_t length) override
  {
    BaseObject::parse(state, cursor, length);
    ByteCursor fields(data);
    readFields(*state.properties, fields);
  }

  const FieldsReader readFields;
};

namespace {

void readFileProperties(Properties &properties, ByteCursor &fields)
{
  fields.skip(40);
  // The play duration counts 100 ns units, the preroll milliseconds.
  const unsigned long long duration = fields.u64le();
  fields.skip(8);
  const unsigned long long preroll = fields.u64le();
  if(!fields.ok())
    return;  // too short to hold the play duration and preroll
  // The preroll is part of the play duration; one longer than it leaves nothing.
  const auto clampedDifference = [](unsigned long long a, unsigned long long b) {
    return static_cast<int>(std::min<unsigned long long>(a > b ? a - b : 0, std::numeric_limits<int>::max()));
  };
  // Whole seconds as each field gives them; the exact length from both whole.
  properties.setLength(clampedDifference(duration / 10000000, preroll / 1000));
  properties.setLengthInMilliseconds(clampedDifference(duration / 10000, preroll));
}

void readStreamProperties(Properties &properties, ByteCursor &fields)
{
  // Only audio streams describe the sound; the last one decides.
  if(fields.bytes(16) != audioMediaGuid)
    return;
  fields.skip(40);
  const int channels = fields.u16le();
  const std::uint32_t sampleRate = fields.u32le();
  const std::uint64_t bytesPerSecond = fields.u32le();
  if(!fields.ok())
    return;
  properties.setChannels(channels);
  properties.setSampleRate(static_cast<int>(sampleRate));
  properties.setBitrate(static_cast<int>(bytesPerSecond * 8 / 1000));
}

} // namespace

class File::ContentDescriptionObject : public BaseObject
{
public:
  ContentDescriptionObject() :
    BaseObject(contentDescriptionGuid)
  {
  }

  void parse(FilePrivate &state, ByteCursor &cursor, std::size_t length) override
  {
    state.contentDescription = this;
    ByteCursor body = cursor.sub(length);
    std::size_t textLengths[5];
    for(std::size_t &textLength : textLengths)
      textLength = body.u16le();
    // A text that overruns the object fails the cursor: the texts after it stay empty.
    String texts[5];
    for(int i = 0; i < 5; ++i)
      texts[i] = readText(body, textLengths[i]);
    Tag *tag = state.tag.get();
    tag->setTitle(texts[0]);
    tag->setArtist(texts[1]);
    tag->setCopyright(texts[2]);
    tag->setComment(texts[3]);
    tag->setRating(texts[4]);
  }

  ByteVector renderBody(FilePrivate &state) override
  {
    const Tag *tag = state.tag.get();
    const ByteVector texts[5] = {
      renderText(tag->title()), renderText(tag->artist()), renderText(tag->copyright()),
      renderText(tag->comment()), renderText(tag->rating())};
    ByteVector body;
    for(const ByteVector &text : texts)
      body.append(renderWord(text.size()));
    for(const ByteVector &text : texts)
      body.append(text);
    return body;
  }
};

// The extended content description, metadata and metadata library objects:
// a WORD count and attribute records of one kind.
class File::AttributeListObject : public BaseObject
{
public:
  explicit AttributeListObject(int recordKind) :
    BaseObject(attributeListGuids[recordKind]),
    kind(recordKind)
  {
  }

  void parse(FilePrivate &state, ByteCursor &cursor, std::size_t length) override
  {
    state.attributeLists[kind] = this;
    ByteCursor body = cursor.sub(length);
    const unsigned int count = body.u16le();
    for(unsigned int i = 0; i < count && body.ok(); ++i) {
      Attribute attribute;
      const String name = attribute.parse(body, kind);
      if(!body.ok())
        break;  // a record cut short by the end of the object is dropped
      state.tag->addAttribute(name, attribute);
    }
  }

  ByteVector renderBody(FilePrivate &) override
  {
    ByteVector body = renderWord(records.size());
    for(const ByteVector &record : records)
      body.append(record);
    return body;
  }

  const int kind;
  //! The records the next save writes.
  ByteVectorList records;
};

class File::HeaderExtensionObject : public BaseObject
{
public:
  HeaderExtensionObject() :
    BaseObject(headerExtensionGuid)
  {
  }

  void parse(FilePrivate &state, ByteCursor &cursor, std::size_t length) override
  {
    state.headerExtension = this;
    if(length < headerExtensionFieldsSize) {
      state.headerComplete = false;
      return;
    }
    cursor.skip(16 + 2);  // the reserved GUID and WORD
    const std::size_t dataSize = cursor.u32le();
    const std::size_t left = length - headerExtensionFieldsSize;
    if(dataSize != left)
      state.headerComplete = false;
    const bool filled = walkObjects(cursor, std::min(dataSize, left), std::numeric_limits<std::size_t>::max(),
                                    [&](const ByteVector &guid, std::size_t nestedLength) {
                                      objects.push_back(create(guid, true));
                                      objects.back()->parse(state, cursor, nestedLength);
                                    });
    if(!filled)
      state.headerComplete = false;
  }

  ByteVector renderBody(FilePrivate &state) override
  {
    ByteVector nested;
    for(const auto &object : objects)
      nested.append(object->render(state));
    return headerExtensionReservedGuid + renderWord(6) + renderDWord(nested.size()) + nested;
  }

  BaseObject::List objects;
};

std::unique_ptr<File::BaseObject> File::BaseObject::create(const ByteVector &guid, bool nested)
{
  // Metadata objects count only inside the header extension, the others only outside it.
  for(int kind : {extendedKind, metadataKind, libraryKind}) {
    if(guid == attributeListGuids[kind] && nested == (kind != extendedKind))
      return std::make_unique<AttributeListObject>(kind);
  }
  if(!nested && guid == filePropertiesGuid)
    return std::make_unique<PropertiesObject>(guid, readFileProperties);
  if(!nested && guid == streamPropertiesGuid)
    return std::make_unique<PropertiesObject>(guid, readStreamProperties);
  if(!nested && guid == contentDescriptionGuid)
    return std::make_unique<ContentDescriptionObject>();
  if(!nested && guid == headerExtensionGuid)
    return std::make_unique<HeaderExtensionObject>();
  return std::make_unique<BaseObject>(guid);
}

namespace {

// Appends a new object of type T to list and returns it.
template <class T, class List, class... Args>
T *appendNew(List &list, Args... args)
{
  list.push_back(std::make_unique<T>(args...));
  return static_cast<T *>(list.back().get());
}

} // namespace

File::File(FileName fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  // A path that cannot be opened gives a stream that is not open: the file is then invalid.
  File(std::make_unique<DescriptorStream>(fileName), readProperties, propertiesStyle)
{
}

File::File(std::unique_ptr<IOStream> stream, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  File(stream.get(), readProperties, propertiesStyle)
{
  d->ownedStream = std::move(stream);
}

File::File(IOStream *stream, bool, AudioProperties::ReadStyle) :
  TagLib::File(stream),
  d(std::make_unique<FilePrivate>())
{
  d->stream = stream;
  read();
}

File::~File() = default;

Tag *File::tag() const
{
  return d->tag.get();
}

Properties *File::audioProperties() const
{
  return d->properties.get();
}

void File::read()
{
  if(!d->stream || !isOpen())
    return;
  clearStreamFailure(d->stream);
  readHeader();
  if(d->tag && streamFailed(d->stream)) {
    // What was read may be wrong: the file shows nothing of it, and a save
    // must not write it over the file.
    setValid(false);
    d->tag = std::make_unique<Tag>();
    d->properties = std::make_unique<Properties>();
    d->headerComplete = false;
  }
}

void File::readHeader()
{
  const auto fileLength = static_cast<std::uint64_t>(std::max(0L, d->stream->length()));
  // The header object's own fields first, then the whole header in one read:
  // from the stream's read-ahead window when it fits, else straight from the file.
  d->stream->seek(0);
  ByteCursor header(d->stream->readBlock(headerObjectSize));
  if(header.bytes(16) != headerGuid) {
    // Not an ASF file: invalid, so that resolvers discard it.
    setValid(false);
    return;
  }
  d->tag = std::make_unique<Tag>();
  d->properties = std::make_unique<Properties>();

  d->size = header.u64le();
  const std::uint32_t count = header.u32le();
  header.skip(2);  // reserved
  if(!header.ok())
    return;

  // The walk stays inside the header as declared and as present in the file.
  const std::uint64_t headerEnd = std::min(d->size, fileLength);
  if(headerEnd < headerObjectSize)
    return;
  d->stream->seek(0);
  header = ByteCursor(d->stream->readBlock(static_cast<unsigned long>(headerEnd)));
  header.skip(headerObjectSize);

  d->headerComplete = d->size >= headerObjectSize && d->size <= fileLength && header.size() >= headerEnd;
  const std::size_t length = std::min<std::uint64_t>(headerEnd - headerObjectSize, header.remaining());
  const bool filled = walkObjects(header, length, count, [&](const ByteVector &guid, std::size_t objectLength) {
    d->objects.push_back(BaseObject::create(guid, false));
    d->objects.back()->parse(*d, header, objectLength);
  });
  if(!filled || d->objects.size() != count)
    d->headerComplete = false;
}

bool File::save()
{
  if(readOnly() || !isValid() || !d->tag || !d->headerComplete)
    return false;

  // Every text and name is stored with a WORD length: check them all before
  // anything changes, so a save that cannot be done changes nothing.
  Tag *tag = d->tag.get();
  for(const String &text : {tag->title(), tag->artist(), tag->copyright(), tag->comment(), tag->rating()}) {
    if(renderText(text).size() > maxWordLength)
      return false;
  }
  const AttributeListMap &attributes = tag->attributeListMap();
  for(const auto &entry : attributes) {
    if(!entry.second.isEmpty() && renderText(entry.first).size() > maxWordLength)
      return false;
  }

  if(!d->contentDescription)
    d->contentDescription = appendNew<ContentDescriptionObject>(d->objects);
  AttributeListObject **lists = d->attributeLists;
  if(!lists[extendedKind])
    lists[extendedKind] = appendNew<AttributeListObject>(d->objects, extendedKind);
  if(!d->headerExtension)
    d->headerExtension = appendNew<HeaderExtensionObject>(d->objects);
  for(int kind : {metadataKind, libraryKind}) {
    if(!lists[kind])
      lists[kind] = appendNew<AttributeListObject>(d->headerExtension->objects, kind);
  }

  // Where each list is read from when the file is next opened: the walk
  // meets the objects in header order, nested ones inside their extension.
  int readRank[3] = {};
  int rank = 0;
  const auto rankList = [&](const BaseObject *object) {
    ++rank;
    for(int kind : {extendedKind, metadataKind, libraryKind}) {
      if(object == lists[kind])
        readRank[kind] = rank;
    }
  };
  for(const auto &object : d->objects) {
    rankList(object.get());
    if(auto *extension = dynamic_cast<HeaderExtensionObject *>(object.get())) {
      for(const auto &nested : extension->objects)
        rankList(nested.get());
    }
  }

  // Each save routes every attribute anew, exactly once.
  for(AttributeListObject *list : d->attributeLists)
    list->records.clear();
  std::vector<int> kinds;
  for(const auto &entry : attributes) {
    kinds.clear();
    bool inExtended = false;
    bool inMetadata = false;
    for(const Attribute &attribute : entry.second) {
      // Values over a WORD's range fit only the 32-bit lengths of the
      // metadata library object, and only that object may hold GUIDs.
      const bool anyList = attribute.renderValue(0).size() <= maxWordLength && attribute.type() != Attribute::Guid;
      int kind = libraryKind;
      if(!inExtended && anyList && attribute.language() == 0 && attribute.stream() == 0) {
        kind = extendedKind;
        inExtended = true;
      }
      else if(!inMetadata && anyList && attribute.language() == 0 && attribute.stream() != 0) {
        kind = metadataKind;
        inMetadata = true;
      }
      kinds.push_back(kind);
    }
    // Attributes of one name are read back list by list: when that would
    // change their order, they all go to the metadata library object, which
    // holds any attribute.
    if(!std::is_sorted(kinds.begin(), kinds.end(), [&](int a, int b) { return readRank[a] < readRank[b]; }))
      std::fill(kinds.begin(), kinds.end(), static_cast<int>(libraryKind));
    auto kind = kinds.begin();
    for(const Attribute &attribute : entry.second) {
      const int k = *kind++;
      lists[k]->records.append(attribute.render(entry.first, k));
    }
  }

  ByteVector objectsData;
  for(const auto &object : d->objects)
    objectsData.append(object->render(*d));
  ByteVector header = headerGuid;
  header.append(renderQWord(objectsData.size() + std::uint64_t{headerObjectSize}));
  header.append(renderDWord(static_cast<std::uint32_t>(d->objects.size())));
  header.append('\x01');
  header.append('\x02');
  header.append(objectsData);

  clearStreamFailure(d->stream);
  d->stream->insert(header, 0, static_cast<unsigned long>(d->size));
  if(streamFailed(d->stream)) {
    // What the file now holds is unknown: no later save rewrites it.
    d->headerComplete = false;
    return false;
  }
  // The next save replaces the header now on disk.
  d->size = header.size();
  return true;
}

PropertyMap File::properties() const
{
  return d->tag ? d->tag->properties() : PropertyMap();
}

PropertyMap File::setProperties(const PropertyMap &properties)
{
  return d->tag ? d->tag->setProperties(properties) : properties;
}

void File::removeUnsupportedProperties(const StringList &properties)
{
  if(d->tag)
    d->tag->removeUnsupportedProperties(properties);
}

Plugins::PictureList File::pictures() const
{
  return d->tag ? d->tag->pictures() : Plugins::PictureList();
}

bool File::setPictures(const Plugins::PictureList &pictures)
{
  if(!d->tag)
    return false;
  d->tag->setPictures(pictures);
  return true;
}

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib
