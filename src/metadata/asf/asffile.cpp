#include "asffile.h"

#include <initializer_list>
#include <limits>
#include <memory>
#include <vector>

#include <tbytevectorlist.h>

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
const ByteVector extendedContentDescriptionGuid = guidBytes("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50");
const ByteVector headerExtensionGuid = guidBytes("\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65");
const ByteVector metadataGuid = guidBytes("\xEA\xCB\xF8\xC5\xAF\x5B\x77\x48\x84\x67\xAA\x8C\x44\xFA\x4C\xCA");
const ByteVector metadataLibraryGuid = guidBytes("\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54");
// Stream type of an audio stream, at the start of a stream properties body.
const ByteVector audioMediaGuid = guidBytes("\x40\x9E\x69\xF8\x4D\x5B\xCF\x11\xA8\xFD\x00\x80\x5F\x5C\x44\x2B");
// Fixed field of the header extension body.
const ByteVector headerExtensionReservedGuid = guidBytes("\x11\xD2\xD3\xAB\xBA\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65");

const unsigned int headerObjectSize = 30;
const unsigned int objectHeaderSize = 24;
const unsigned int headerExtensionFieldsSize = 22;
// Lengths stored in a WORD.
const unsigned int maxWordLength = 0xFFFF;

ByteVector wordBytes(unsigned int value)
{
  return ByteVector::fromShort(static_cast<short>(value & 0xFFFF), false);
}

} // namespace

using ObjectList = std::vector<std::unique_ptr<File::BaseObject>>;

// One header object: its GUID, its body in data, and how it reads and
// writes itself. Objects this library does not interpret keep their body as
// it was read.
class File::BaseObject
{
public:
  BaseObject() = default;
  virtual ~BaseObject() = default;
  BaseObject(const BaseObject &) = delete;
  BaseObject &operator=(const BaseObject &) = delete;

  virtual ByteVector guid() const = 0;

  //! Reads the body of an object of \a size bytes (object header included).
  virtual void parse(File *file, unsigned int size)
  {
    data = file->readBytes(size > objectHeaderSize ? size - objectHeaderSize : 0);
  }

  virtual ByteVector render(File *)
  {
    return guid() + ByteVector::fromLongLong(static_cast<long long>(data.size()) + objectHeaderSize, false) + data;
  }

  ByteVector data;
};

class File::FilePrivate
{
public:
  long long size = 0;
  std::unique_ptr<Tag> tag;
  std::unique_ptr<Properties> properties;
  ObjectList objects;
  // The last object of each kind; each is owned by a list above (the last two
  // by the header extension object).
  ContentDescriptionObject *contentDescriptionObject = nullptr;
  ExtendedContentDescriptionObject *extendedContentDescriptionObject = nullptr;
  HeaderExtensionObject *headerExtensionObject = nullptr;
  MetadataObject *metadataObject = nullptr;
  MetadataLibraryObject *metadataLibraryObject = nullptr;

  // Reading state: the readers stop at parseEnd, the end of the object being
  // parsed, and note a read that did not fit.
  long long parseEnd = 0;
  bool readFailed = false;
  // True when the header's objects, nested ones included, were read whole and
  // fill it exactly; save() rewrites only such a header, so nothing it could
  // not read is lost.
  bool headerComplete = false;
};

class File::UnknownObject : public BaseObject
{
public:
  explicit UnknownObject(const ByteVector &guid) :
    objectGuid(guid)
  {
  }

  ByteVector guid() const override { return objectGuid; }

  ByteVector objectGuid;
};

class File::FilePropertiesObject : public BaseObject
{
public:
  ByteVector guid() const override { return filePropertiesGuid; }

  void parse(File *file, unsigned int size) override
  {
    BaseObject::parse(file, size);
    if(data.size() < 64)
      return;  // too short to hold the play duration and preroll
    const long long duration = data.toLongLong(40, false) / 10000000;
    const long long preroll = data.toLongLong(56, false) / 1000;
    // The preroll is part of the play duration; one longer than it leaves nothing.
    long long seconds = duration - preroll;
    if(seconds < 0)
      seconds = 0;
    if(seconds > std::numeric_limits<int>::max())
      seconds = std::numeric_limits<int>::max();
    file->d->properties->setLength(static_cast<int>(seconds));
  }
};

class File::StreamPropertiesObject : public BaseObject
{
public:
  ByteVector guid() const override { return streamPropertiesGuid; }

  void parse(File *file, unsigned int size) override
  {
    BaseObject::parse(file, size);
    // Only audio streams describe the sound; the last one decides.
    if(data.size() < 66 || data.mid(0, 16) != audioMediaGuid)
      return;
    Properties *properties = file->d->properties.get();
    properties->setChannels(data.toUShort(56, false));
    properties->setSampleRate(static_cast<int>(data.toUInt(58, false)));
    const unsigned long long bytesPerSecond = data.toUInt(62, false);
    properties->setBitrate(static_cast<int>(bytesPerSecond * 8 / 1000));
  }
};

class File::ContentDescriptionObject : public BaseObject
{
public:
  ByteVector guid() const override { return contentDescriptionGuid; }

  void parse(File *file, unsigned int) override
  {
    file->d->contentDescriptionObject = this;
    int lengths[5];
    for(int &length : lengths)
      length = file->readWORD();
    // Texts after one that overruns the object would be read out of place.
    String texts[5];
    for(int i = 0; i < 5 && !file->readFailed(); ++i)
      texts[i] = file->readString(lengths[i]);
    Tag *tag = file->d->tag.get();
    tag->setTitle(texts[0]);
    tag->setArtist(texts[1]);
    tag->setCopyright(texts[2]);
    tag->setComment(texts[3]);
    tag->setRating(texts[4]);
  }

  ByteVector render(File *file) override
  {
    const Tag *tag = file->d->tag.get();
    const ByteVector texts[5] = {
      renderString(tag->title()), renderString(tag->artist()), renderString(tag->copyright()),
      renderString(tag->comment()), renderString(tag->rating())};
    data.clear();
    for(const ByteVector &text : texts)
      data.append(wordBytes(text.size()));
    for(const ByteVector &text : texts)
      data.append(text);
    return BaseObject::render(file);
  }
};

// The common part of the three objects that hold attribute records.
class File::AttributeListObject : public BaseObject
{
public:
  explicit AttributeListObject(int recordKind) :
    kind(recordKind)
  {
  }

  void parse(File *file, unsigned int) override
  {
    const int count = file->readWORD();
    for(int i = 0; i < count && !file->readFailed(); ++i) {
      Attribute attribute;
      const String name = attribute.parse(*file, kind);
      if(file->readFailed())
        break;  // a record cut short by the end of the object is dropped
      file->d->tag->addAttribute(name, attribute);
    }
  }

  ByteVector render(File *file) override
  {
    data = wordBytes(attributeData.size());
    for(const ByteVector &record : attributeData)
      data.append(record);
    return BaseObject::render(file);
  }

  const int kind;
  ByteVectorList attributeData;
};

class File::ExtendedContentDescriptionObject : public AttributeListObject
{
public:
  ExtendedContentDescriptionObject() :
    AttributeListObject(0)
  {
  }

  ByteVector guid() const override { return extendedContentDescriptionGuid; }

  void parse(File *file, unsigned int size) override
  {
    file->d->extendedContentDescriptionObject = this;
    AttributeListObject::parse(file, size);
  }
};

class File::MetadataObject : public AttributeListObject
{
public:
  MetadataObject() :
    AttributeListObject(1)
  {
  }

  ByteVector guid() const override { return metadataGuid; }

  void parse(File *file, unsigned int size) override
  {
    file->d->metadataObject = this;
    AttributeListObject::parse(file, size);
  }
};

class File::MetadataLibraryObject : public AttributeListObject
{
public:
  MetadataLibraryObject() :
    AttributeListObject(2)
  {
  }

  ByteVector guid() const override { return metadataLibraryGuid; }

  void parse(File *file, unsigned int size) override
  {
    file->d->metadataLibraryObject = this;
    AttributeListObject::parse(file, size);
  }
};

class File::HeaderExtensionObject : public BaseObject
{
public:
  ByteVector guid() const override { return headerExtensionGuid; }

  void parse(File *file, unsigned int size) override;
  ByteVector render(File *file) override;

  ObjectList objects;
};

void File::HeaderExtensionObject::parse(File *file, unsigned int size)
{
  file->d->headerExtensionObject = this;
  const long long bodyStart = file->tell();
  const long long bodyEnd = bodyStart + (size > objectHeaderSize ? size - objectHeaderSize : 0);
  if(bodyEnd - bodyStart < headerExtensionFieldsSize) {
    file->d->headerComplete = false;
    return;
  }
  file->seek(16 + 2, Current);  // the reserved GUID and WORD
  const unsigned int dataSize = file->readDWORD();
  long long pos = bodyStart + headerExtensionFieldsSize;
  long long end = pos + dataSize;
  if(end != bodyEnd)
    file->d->headerComplete = false;
  if(end > bodyEnd)
    end = bodyEnd;

  while(end - pos >= objectHeaderSize) {
    file->d->parseEnd = end;
    file->d->readFailed = false;
    file->seek(pos);
    const ByteVector objectGuid = file->readBytes(16);
    const unsigned long long objectSize = static_cast<unsigned long long>(file->readQWORD());
    if(objectSize < objectHeaderSize || objectSize > static_cast<unsigned long long>(end - pos))
      break;
    std::unique_ptr<BaseObject> object;
    if(objectGuid == metadataGuid)
      object = std::make_unique<MetadataObject>();
    else if(objectGuid == metadataLibraryGuid)
      object = std::make_unique<MetadataLibraryObject>();
    else
      object = std::make_unique<UnknownObject>(objectGuid);
    file->d->parseEnd = pos + static_cast<long long>(objectSize);
    file->d->readFailed = false;
    object->parse(file, static_cast<unsigned int>(objectSize));
    objects.push_back(std::move(object));
    pos += static_cast<long long>(objectSize);
  }
  if(pos != end)
    file->d->headerComplete = false;
  file->d->parseEnd = bodyEnd;
  file->d->readFailed = false;
}

ByteVector File::HeaderExtensionObject::render(File *file)
{
  ByteVector nested;
  for(const auto &object : objects)
    nested.append(object->render(file));
  data = headerExtensionReservedGuid + wordBytes(6) + ByteVector::fromUInt(nested.size(), false) + nested;
  return BaseObject::render(file);
}

namespace {

std::unique_ptr<File::BaseObject> createTopLevelObject(const ByteVector &guid)
{
  if(guid == filePropertiesGuid)
    return std::make_unique<File::FilePropertiesObject>();
  if(guid == streamPropertiesGuid)
    return std::make_unique<File::StreamPropertiesObject>();
  if(guid == contentDescriptionGuid)
    return std::make_unique<File::ContentDescriptionObject>();
  if(guid == extendedContentDescriptionGuid)
    return std::make_unique<File::ExtendedContentDescriptionObject>();
  if(guid == headerExtensionGuid)
    return std::make_unique<File::HeaderExtensionObject>();
  // Metadata objects count only inside the header extension.
  return std::make_unique<File::UnknownObject>(guid);
}

// Appends a new object of type T to list and returns it.
template <class T>
T *appendNew(ObjectList &list)
{
  list.push_back(std::make_unique<T>());
  return static_cast<T *>(list.back().get());
}

} // namespace

File::File(FileName fileName, bool readProperties, AudioProperties::ReadStyle propertiesStyle) :
  TagLib::File(fileName),
  d(std::make_unique<FilePrivate>())
{
  read(readProperties, propertiesStyle);
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

void File::read(bool, AudioProperties::ReadStyle)
{
  if(!isValid())
    return;
  const long long fileLength = length();
  d->parseEnd = fileLength;
  d->readFailed = false;
  seek(0);
  if(readBytes(16) != headerGuid) {
    // Not an ASF file: invalid, so that resolvers discard it.
    setValid(false);
    return;
  }
  d->tag = std::make_unique<Tag>();
  d->properties = std::make_unique<Properties>();

  d->size = readQWORD();
  const unsigned int count = readDWORD();
  readBytes(2);  // reserved
  if(readFailed())
    return;

  // The walk stays inside the header as declared and as present in the file.
  d->headerComplete = d->size >= headerObjectSize && d->size <= fileLength;
  // (The size field is 64-bit: a value with the top bit set reads as negative.)
  const long long headerEnd = d->size >= 0 && d->size < fileLength ? d->size : fileLength;
  long long pos = headerObjectSize;
  unsigned int parsed = 0;
  while(parsed < count && headerEnd - pos >= objectHeaderSize) {
    d->parseEnd = headerEnd;
    d->readFailed = false;
    seek(pos);
    const ByteVector guid = readBytes(16);
    const unsigned long long objectSize = static_cast<unsigned long long>(readQWORD());
    if(objectSize < objectHeaderSize || objectSize > static_cast<unsigned long long>(headerEnd - pos) ||
       objectSize > std::numeric_limits<unsigned int>::max())
      break;
    std::unique_ptr<BaseObject> object = createTopLevelObject(guid);
    d->parseEnd = pos + static_cast<long long>(objectSize);
    d->readFailed = false;
    object->parse(this, static_cast<unsigned int>(objectSize));
    d->objects.push_back(std::move(object));
    // The next object starts where this one says it ends, whatever its parser read.
    pos += static_cast<long long>(objectSize);
    ++parsed;
  }
  if(parsed != count || pos != headerEnd)
    d->headerComplete = false;
  d->parseEnd = fileLength;
  d->readFailed = false;
  seek(pos);
}

bool File::save()
{
  if(readOnly() || !isValid() || !d->tag || !d->headerComplete)
    return false;

  // Every text and name is stored with a WORD length: check them all before
  // anything changes, so a save that cannot be done changes nothing.
  Tag *tag = d->tag.get();
  for(const String &text : {tag->title(), tag->artist(), tag->copyright(), tag->comment(), tag->rating()}) {
    if(renderString(text).size() > maxWordLength)
      return false;
  }
  const AttributeListMap &attributes = tag->attributeListMap();
  for(const auto &entry : attributes) {
    if(!entry.second.isEmpty() && renderString(entry.first).size() > maxWordLength)
      return false;
  }

  if(!d->contentDescriptionObject)
    d->contentDescriptionObject = appendNew<ContentDescriptionObject>(d->objects);
  if(!d->extendedContentDescriptionObject)
    d->extendedContentDescriptionObject = appendNew<ExtendedContentDescriptionObject>(d->objects);
  if(!d->headerExtensionObject)
    d->headerExtensionObject = appendNew<HeaderExtensionObject>(d->objects);
  if(!d->metadataObject)
    d->metadataObject = appendNew<MetadataObject>(d->headerExtensionObject->objects);
  if(!d->metadataLibraryObject)
    d->metadataLibraryObject = appendNew<MetadataLibraryObject>(d->headerExtensionObject->objects);

  // Each save routes every attribute anew, exactly once.
  d->extendedContentDescriptionObject->attributeData.clear();
  d->metadataObject->attributeData.clear();
  d->metadataLibraryObject->attributeData.clear();
  for(const auto &entry : attributes) {
    bool inExtended = false;
    bool inMetadata = false;
    for(const Attribute &attribute : entry.second) {
      // Values over a WORD's range fit only the 32-bit lengths of the
      // metadata library object.
      const bool small = attribute.renderValue(0).size() <= maxWordLength;
      if(!inExtended && small && attribute.language() == 0 && attribute.stream() == 0) {
        d->extendedContentDescriptionObject->attributeData.append(attribute.render(entry.first, 0));
        inExtended = true;
      }
      else if(!inMetadata && small && attribute.language() == 0 && attribute.stream() != 0) {
        d->metadataObject->attributeData.append(attribute.render(entry.first, 1));
        inMetadata = true;
      }
      else {
        d->metadataLibraryObject->attributeData.append(attribute.render(entry.first, 2));
      }
    }
  }

  ByteVector objectsData;
  for(const auto &object : d->objects)
    objectsData.append(object->render(this));
  ByteVector header = headerGuid;
  header.append(ByteVector::fromLongLong(static_cast<long long>(objectsData.size()) + headerObjectSize, false));
  header.append(ByteVector::fromUInt(static_cast<unsigned int>(d->objects.size()), false));
  header.append('\x01');
  header.append('\x02');
  header.append(objectsData);

  insert(header, 0, static_cast<unsigned long>(d->size));
  // The next save replaces the header now on disk.
  d->size = header.size();
  return true;
}

int File::readBYTE()
{
  const ByteVector v = readBytes(1);
  return v.size() == 1 ? static_cast<unsigned char>(v[0]) : 0;
}

int File::readWORD()
{
  const ByteVector v = readBytes(2);
  return v.size() == 2 ? v.toUShort(false) : 0;
}

unsigned int File::readDWORD()
{
  const ByteVector v = readBytes(4);
  return v.size() == 4 ? v.toUInt(false) : 0;
}

long long File::readQWORD()
{
  const ByteVector v = readBytes(8);
  return v.size() == 8 ? v.toLongLong(false) : 0;
}

String File::readString(int length)
{
  if(length <= 0)
    return String();
  ByteVector data = readBytes(static_cast<unsigned long long>(length));
  // Writers pad with any number of zero code units; a lone odd zero byte stays.
  unsigned int n = data.size();
  while(n >= 2 && data[n - 1] == '\0' && data[n - 2] == '\0')
    n -= 2;
  if(n != data.size())
    data.resize(n);
  return String(data, String::UTF16LE);
}

ByteVector File::renderString(const String &str, bool includeLength)
{
  ByteVector data = str.data(String::UTF16LE);
  data.append(ByteVector(2, '\0'));
  if(includeLength)
    return wordBytes(data.size()) + data;
  return data;
}

ByteVector File::readBytes(unsigned long long length)
{
  if(length == 0)
    return ByteVector();
  if(length > bytesLeft()) {
    d->readFailed = true;
    return ByteVector();
  }
  ByteVector data = readBlock(static_cast<unsigned long>(length));
  if(data.size() != length)
    d->readFailed = true;
  return data;
}

unsigned long long File::bytesLeft() const
{
  const long long pos = tell();
  return pos < d->parseEnd ? static_cast<unsigned long long>(d->parseEnd - pos) : 0;
}

bool File::readFailed() const
{
  return d->readFailed;
}

} // namespace BRENVO_NS
} // namespace ASF
} // namespace TagLib
