#include "rmff.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iostream>
#include <string>
#include <utility>

#include <tag.h>

#include "common/bytecursor.h"
#include "common/fdstream.h"
#include "common/texts.h"
#include "taglib_realmediafile.h"

namespace TagLib {
namespace RealMedia {
inline namespace BRENVO_NS {

Collectable::~Collectable() = default;

namespace {

constexpr std::uint32_t RMF_ID = chunkId(".RMF");
constexpr std::uint32_t PROP_ID = chunkId("PROP");
constexpr std::uint32_t MDPR_ID = chunkId("MDPR");
constexpr std::uint32_t CONT_ID = chunkId("CONT");
constexpr std::uint32_t DATA_ID = chunkId("DATA");
constexpr std::uint32_t RMMD_ID = chunkId("RMMD");

constexpr std::uint32_t ChunkHeaderSize = 8;
// The smallest metadata property record: seven words and an empty name.
constexpr std::size_t MinPropertySize = 28;

//! A chunk as read: its header, and its body up to the reader's limit.
struct Chunk
{
  std::uint32_t id = 0;
  std::uint32_t size = 0;
  //! The bytes of the chunk the file held, header included, up to ChunkBufferSize.
  std::size_t consumed = 0;
  //! The body bytes read; a data chunk's are passed over and left out.
  ByteVector body;

  bool whole() const { return consumed == size; }
};

void copyBytes(void *out, const ByteVector &bytes)
{
  if(!bytes.isEmpty())
    std::memcpy(out, bytes.data(), bytes.size());
}

/*!
 * \a count bytes from \a c as a new array, with a 0 behind them when
 * \a terminate is set; null (and \a c failed) when they are not there.
 */
template <class T>
std::unique_ptr<T[]> takeArray(ByteCursor &c, std::size_t count, bool terminate)
{
  if(!c.has(count)) {
    c.fail();
    return nullptr;
  }
  // Value-initialised, so the terminator is already there.
  auto out = std::make_unique<T[]>(count + (terminate ? 1 : 0));
  copyBytes(out.get(), c.bytes(count));
  return out;
}

std::unique_ptr<char[]> takeText(ByteCursor &c, std::size_t count)
{
  return takeArray<char>(c, count, true);
}

// Types of metadata section records, as the format numbers them.
enum RecordType : std::uint32_t
{
  TextRecord = 1,
  TextListRecord = 2,
  FlagRecord = 3,
  NumberRecord = 4,
  UrlRecord = 6,
  DateRecord = 7,
  FileNameRecord = 8,
  GroupingRecord = 9,
  ReferenceRecord = 10
};

// Types of logical stream properties.
enum NameValueType : std::uint32_t
{
  NameValueNumber = 0,
  NameValueText = 2
};

// Record names, upper-cased, that stand for a standard key of another name.
const char *const standardKeys[][2] = {
  {"AUTHOR", "ARTIST"},   {"YEAR", "DATE"},         {"TRACK", "TRACKNUMBER"}, {"DISC", "DISCNUMBER"},
  {"COMMENTS", "COMMENT"}, {"DESCRIPTION", "COMMENT"},
};

String keyFor(const String &name)
{
  const String key = name.upper();
  for(const auto &k : standardKeys) {
    if(key == k[0])
      return k[1];
  }
  return key;
}

/*!
 * The text of \a size bytes at \a data, up to a zero byte. The format names
 * no encoding: current muxers write UTF-8, older files Latin-1, so bytes that
 * are not valid UTF-8 are taken as Latin-1.
 */
String decodeText(const void *data, std::size_t size)
{
  if(!data)
    return String();
  const char *begin = static_cast<const char *>(data);
  const ByteVector bytes(begin, static_cast<unsigned int>(std::find(begin, begin + size, '\0') - begin));
  return utf8OrLatin1(bytes);
}

//! Adds \a value under \a key unless it is empty.
void addText(PropertyMap &map, const String &key, const String &value)
{
  if(!key.isEmpty() && !value.isEmpty())
    map.insert(key, StringList(value));
}

/*!
 * The value of the record \a name by its kind: text or a number (as decimal
 * text) under its key, anything else listed as unsupported under its own name.
 */
void addValue(PropertyMap &map, const String &name, bool text, bool number, const unsigned char *value,
              std::size_t length)
{
  if(name.isEmpty() || length == 0)
    return;
  if(text)
    addText(map, keyFor(name), decodeText(value, length));
  else if(number && length == 4)
    map.insert(keyFor(name), StringList(String(std::to_string(ByteVector(reinterpret_cast<const char *>(value), 4).toUInt()))));
  else if(!map.unsupportedData().contains(name.upper()))
    map.unsupportedData().append(name.upper());
}

void addMetadata(PropertyMap &map, const MDProperties &prop, const String &path)
{
  const std::uint32_t type = prop.type;
  const bool text = type == TextRecord || type == TextListRecord || type == UrlRecord || type == DateRecord ||
                    type == FileNameRecord || type == ReferenceRecord;
  if(type != GroupingRecord)
    addValue(map, path, text, type == FlagRecord || type == NumberRecord, prop.value.get(), prop.value_length);
  if(!prop.subproperties)
    return;
  for(std::uint32_t i = 0; i < prop.num_subproperties; ++i) {
    const MDProperties &sub = prop.subproperties[i];
    const String name = decodeText(sub.name.get(), sub.name_length);
    addMetadata(map, sub, path.isEmpty() || name.isEmpty() ? path + name : path + "/" + name);
  }
}

//! Adds the fields of \a from whose keys \a to lacks.
void addMissing(PropertyMap &to, const PropertyMap &from)
{
  for(const auto &field : from) {
    if(!to.contains(field.first))
      to.insert(field.first, field.second);
  }
  for(const String &name : from.unsupportedData()) {
    if(!to.unsupportedData().contains(name))
      to.unsupportedData().append(name);
  }
}

void parseBitRates(BitRateChunk &chunk, ByteCursor &c)
{
  chunk.max_bit_rate = c.u32be();
  chunk.avg_bit_rate = c.u32be();
  chunk.max_packet_size = c.u32be();
  chunk.avg_packet_size = c.u32be();
}

} // namespace

class RealMediaFF::RealMediaFFPrivate
{
public:
  // Declared first, so that everything reading through it goes before it.
  std::unique_ptr<IOStream> ownedStream;
  IOStream *stream = nullptr;
  bool readProperties = false;
  std::int32_t err = 0;
  // The reader owns every record; the list keeps them in reading order.
  std::vector<std::unique_ptr<Collectable>> records;
  File_Header_v0_v1 *fileHeader = nullptr;
  RMProperties *props = nullptr;
  MediaProperties *mediaProps = nullptr;
  ContentDescription *contentDescription = nullptr;
  MetadataSection *metadataSection = nullptr;
  std::unique_ptr<RMFFile> id3v1;

  // Records created but never appended to the list (their chunk failed).
  std::unique_ptr<File_Header_v0_v1> unlistedFileHeader;
  std::unique_ptr<MetadataSection> unlistedSection;

  // Property records still allowed in the tree being parsed.
  std::size_t propertyBudget = 0;

  void read();
  bool readHeader(Chunk &chunk);
  Chunk readChunk();
  long findChunk(std::uint32_t id);
  void list(std::unique_ptr<Collectable> record);
  void readHeaderChunks();
  int readMetadataSection();

  template <class Record>
  void keep(Record *&current, const Chunk &chunk, void (RealMediaFFPrivate::*parse)(Record &, ByteCursor));
  template <class Record>
  void blankOut(Record &record);
  bool parseFileHeader(File_Header_v0_v1 &fh, ByteCursor c);
  void parseFileProperties(RMProperties &p, ByteCursor c);
  void parseMediaProperties(MediaProperties &mh, ByteCursor c);
  void parseLogicalStream(MediaProperties &mh, const ByteVector &data);
  void parseContentDescription(ContentDescription &cont, ByteCursor c);
  bool parseProperty(MDProperties &prop, const ByteCursor &record, int depth);

  // Every field read, built once the reading is done.
  PropertyMap fields;

  const TagLib::Tag *id3v1Tag() const;
  PropertyMap collectFields() const;
  String text(const char *key) const;
  unsigned int number(const char *key) const;
  unsigned int property(std::uint32_t RMProperties::*field) const;
};

RealMediaFF::RealMediaFF(IOStream *stream, bool readProperties, AudioProperties::ReadStyle) :
  d(std::make_unique<RealMediaFFPrivate>())
{
  d->stream = stream;
  d->readProperties = readProperties;
  d->read();
}

RealMediaFF::RealMediaFF(FileName file, bool readProperties, AudioProperties::ReadStyle) :
  d(std::make_unique<RealMediaFFPrivate>())
{
  d->ownedStream = DescriptorStream::open(file);
  d->stream = d->ownedStream.get();
  d->readProperties = readProperties;
  d->read();
}

RealMediaFF::RealMediaFF(const RealMediaFF &other) :
  d(std::make_unique<RealMediaFFPrivate>())
{
  d->stream = other.d->stream;
  d->readProperties = other.d->readProperties;
  d->read();
}

RealMediaFF::~RealMediaFF() = default;

void RealMediaFF::RealMediaFFPrivate::read()
{
  if(!stream || !stream->isOpen()) {
    err = -1;
    return;
  }
  clearStreamFailure(stream);
  if(readProperties) {
    readHeaderChunks();
    if(readMetadataSection() != 0)
      std::cerr << "ERROR reading Metadata\n";
  }
  id3v1 = std::make_unique<RMFFile>(stream);
  // What a failed read left behind is not to be trusted.
  if(streamFailed(stream))
    err = -1;
  if(!err)
    fields = collectFields();
}

bool RealMediaFF::RealMediaFFPrivate::readHeader(Chunk &chunk)
{
  const ByteVector header = stream->readBlock(ChunkHeaderSize);
  chunk.consumed = header.size();
  ByteCursor c(header);
  const std::uint32_t id = c.u32be();
  const std::uint32_t size = c.u32be();
  if(!c.ok())
    return false;
  chunk.id = id;
  chunk.size = size;
  return true;
}

Chunk RealMediaFF::RealMediaFFPrivate::readChunk()
{
  Chunk chunk;
  if(!readHeader(chunk) || chunk.size < ChunkHeaderSize) {
    err = -1;
    return chunk;
  }
  const std::uint32_t body = std::min<std::uint32_t>(chunk.size, ChunkBufferSize) - ChunkHeaderSize;
  if(chunk.id == DATA_ID) {
    // Nothing in the data chunk is parsed: its bytes are passed over, not
    // read, so opening never reads media data. They count as far as the file
    // holds them, as a read would.
    const long left = std::max(0L, stream->length() - stream->tell());
    const long skipped = std::min(static_cast<long>(body), left);
    stream->seek(skipped, IOStream::Current);
    chunk.consumed += static_cast<std::size_t>(skipped);
  }
  else {
    chunk.body = stream->readBlock(body);
    chunk.consumed += chunk.body.size();
  }
  return chunk;
}

long RealMediaFF::RealMediaFFPrivate::findChunk(std::uint32_t id)
{
  // Each step moves forward by more than a header, and a header that is not
  // all there ends the walk, so it ends at the end of the file.
  long offset = 0;
  for(;;) {
    stream->seek(offset);
    Chunk chunk;
    if(!readHeader(chunk))
      return -1;
    if(chunk.id == id)
      break;
    if(chunk.size <= ChunkHeaderSize)
      return -1;
    offset += chunk.size;
  }
  stream->seek(offset);
  // Offsets are told as int.
  return offset <= INT_MAX ? offset : -1;
}

void RealMediaFF::RealMediaFFPrivate::list(std::unique_ptr<Collectable> record)
{
  record->fwd = nullptr;
  if(!records.empty())
    records.back()->fwd = record.get();
  records.push_back(std::move(record));
}

template <class Record>
void RealMediaFF::RealMediaFFPrivate::keep(Record *&current, const Chunk &chunk,
                                           void (RealMediaFFPrivate::*parse)(Record &, ByteCursor))
{
  auto record = std::make_unique<Record>();
  current = record.get();
  record->object_id = chunk.id;
  record->size = chunk.size;
  (this->*parse)(*record, ByteCursor(chunk.body));
  list(std::move(record));
}

template <class Record>
void RealMediaFF::RealMediaFFPrivate::blankOut(Record &record)
{
  // A field runs past the chunk: the record keeps only what identifies it.
  Record blank;
  blank.object_id = record.object_id;
  blank.size = record.size;
  blank.object_version = record.object_version;
  record = std::move(blank);
  err = -1;
}

void RealMediaFF::RealMediaFFPrivate::readHeaderChunks()
{
  stream->seek(0);
  unlistedFileHeader = std::make_unique<File_Header_v0_v1>();
  fileHeader = unlistedFileHeader.get();
  Chunk chunk = readChunk();
  fileHeader->object_id = chunk.id;
  fileHeader->size = chunk.size;
  if(!chunk.whole() || chunk.id != RMF_ID || !parseFileHeader(*fileHeader, ByteCursor(chunk.body))) {
    err = -1;
    return;
  }
  list(std::move(unlistedFileHeader));

  chunk = readChunk();
  if(!chunk.whole()) {
    err = -1;
    return;
  }
  while(err == 0 && chunk.id != DATA_ID) {
    if(chunk.id == PROP_ID)
      keep(props, chunk, &RealMediaFFPrivate::parseFileProperties);
    else if(chunk.id == MDPR_ID)
      keep(mediaProps, chunk, &RealMediaFFPrivate::parseMediaProperties);
    else if(chunk.id == CONT_ID)
      keep(contentDescription, chunk, &RealMediaFFPrivate::parseContentDescription);

    chunk = readChunk();
    if(err != 0 || chunk.id == DATA_ID)
      break;
    if(!chunk.whole())
      err = -1;
  }
}

bool RealMediaFF::RealMediaFFPrivate::parseFileHeader(File_Header_v0_v1 &fh, ByteCursor c)
{
  fh.object_version = c.u16be();
  if(c.ok() && (fh.object_version == 0 || fh.object_version == 1)) {
    fh.file_version = c.u32be();
    fh.num_headers = c.u32be();
  }
  if(!c.ok()) {
    fh.file_version = 0;
    fh.num_headers = 0;
  }
  return c.ok();
}

void RealMediaFF::RealMediaFFPrivate::parseFileProperties(RMProperties &p, ByteCursor c)
{
  p.object_version = c.u16be();
  // Another version, or a chunk too short for the fields, keeps them at zero.
  if(!c.ok() || p.object_version != 0 || c.remaining() < 40)
    return;
  parseBitRates(p, c);
  p.num_packets = c.u32be();
  p.duration = c.u32be();
  p.preroll = c.u32be();
  p.index_offset = c.u32be();
  p.data_offset = c.u32be();
  p.num_streams = c.u16be();
  p.flags = c.u16be();
}

void RealMediaFF::RealMediaFFPrivate::parseMediaProperties(MediaProperties &mh, ByteCursor c)
{
  mh.object_version = c.u16be();
  if(!c.ok() || mh.object_version != 0) {
    err = -1;
    return;
  }
  mh.stream_number = c.u16be();
  parseBitRates(mh, c);
  mh.start_time = c.u32be();
  mh.preroll = c.u32be();
  mh.duration = c.u32be();
  // Lengths of one byte: the texts always fit their arrays, terminator included.
  mh.stream_name_size = c.u8();
  copyBytes(mh.stream_name, c.bytes(mh.stream_name_size));
  mh.mime_type_size = c.u8();
  copyBytes(mh.mime_type, c.bytes(mh.mime_type_size));
  mh.type_specific_len = c.u32be();
  ByteVector typeSpecific;
  if(mh.type_specific_len > 0) {
    typeSpecific = c.bytes(mh.type_specific_len);
    if(c.ok()) {
      mh.type_specific_data = std::make_unique<unsigned char[]>(typeSpecific.size());
      copyBytes(mh.type_specific_data.get(), typeSpecific);
    }
  }
  if(!c.ok()) {
    blankOut(mh);
    return;
  }
  if(mh.type_specific_data && std::strncmp(mh.mime_type, "logical-fileinfo", 16) == 0)
    parseLogicalStream(mh, typeSpecific);
}

void RealMediaFF::RealMediaFFPrivate::parseLogicalStream(MediaProperties &mh, const ByteVector &data)
{
  // A logical stream that does not fit its bytes is dropped; the stream's
  // other properties stand and the file is not in error.
  ByteCursor c(data);
  auto ls = std::make_unique<LogicalStream>();
  ls->size = c.u32be();
  ls->object_version = c.u16be();
  if(!c.ok() || ls->object_version != 0)
    return;

  // Each count is checked against the bytes left before anything is allocated for it.
  ls->num_physical_streams = c.u16be();
  if(ls->num_physical_streams) {
    const std::size_t p = ls->num_physical_streams;
    if(c.remaining() < 6 * p)
      return;
    ls->physical_stream_numbers = std::make_unique<std::uint16_t[]>(p);
    ls->data_offsets = std::make_unique<std::uint32_t[]>(p);
    for(std::size_t i = 0; i < p; ++i)
      ls->physical_stream_numbers[i] = c.u16be();
    for(std::size_t i = 0; i < p; ++i)
      ls->data_offsets[i] = c.u32be();
  }

  ls->num_rules = c.u16be();
  if(ls->num_rules) {
    const std::size_t r = ls->num_rules;
    if(c.remaining() < 2 * r)
      return;
    ls->rule_to_physical_stream = std::make_unique<std::uint16_t[]>(r);
    for(std::size_t i = 0; i < r; ++i)
      ls->rule_to_physical_stream[i] = c.u16be();
  }

  ls->num_properties = c.u16be();
  if(!c.ok())
    return;
  if(ls->num_properties) {
    const std::size_t q = ls->num_properties;
    // Every property has at least its size and version.
    if(c.remaining() < 6 * q)
      return;
    ls->properties = std::make_unique<NameValueProperty[]>(q);
    for(std::size_t i = 0; i < q; ++i) {
      NameValueProperty &prop = ls->properties[i];
      const std::size_t start = c.position();
      prop.size = c.u32be();
      prop.object_version = c.u16be();
      if(!c.ok())
        return;
      if(prop.object_version != 0) {
        // Another layout: step over it by its size when that stays inside the stream.
        if(prop.size < 6 || prop.size > data.size() - start)
          return;
        c.seek(start + prop.size);
        continue;
      }
      prop.name_length = c.u8();
      if(prop.name_length)
        prop.name = takeText(c, prop.name_length);
      prop.type = c.u32be();
      prop.value_length = c.u16be();
      if(prop.value_length)
        prop.value = takeArray<unsigned char>(c, prop.value_length, true);
      if(!c.ok())
        return;
    }
  }
  mh.lstr = std::move(ls);
}

void RealMediaFF::RealMediaFFPrivate::parseContentDescription(ContentDescription &cont, ByteCursor c)
{
  cont.object_version = c.u16be();
  if(!c.ok() || cont.object_version != 0) {
    err = -1;
    return;
  }
  const std::pair<std::uint16_t *, std::unique_ptr<char[]> *> texts[] = {
    {&cont.title_len, &cont.title},
    {&cont.author_len, &cont.author},
    {&cont.copyright_len, &cont.copyright},
    {&cont.comment_len, &cont.comment},
  };
  for(const auto &text : texts) {
    *text.first = c.u16be();
    *text.second = takeText(c, *text.first);
  }
  if(!c.ok())
    blankOut(cont);
}

int RealMediaFF::RealMediaFFPrivate::readMetadataSection()
{
  // A failed header walk leaves nothing to trust, the search included.
  if(err || findChunk(RMMD_ID) < 0)
    return err ? -1 : 0;  // most files have no metadata section

  unlistedSection = std::make_unique<MetadataSection>();
  MetadataSection &section = *unlistedSection;
  metadataSection = &section;

  const Chunk chunk = readChunk();
  section.object_id = chunk.id;
  section.size = chunk.size;
  if(!chunk.whole() || chunk.id != RMMD_ID || chunk.size < 16) {
    err = -1;
    return -1;
  }
  ByteCursor c(chunk.body);
  section.first_word = c.u32be();
  section.second_word = c.u32be();
  const ByteCursor root = c.sub(c.remaining());
  // Records that do not share bytes cannot outnumber this; shared ones could
  // otherwise multiply without end.
  propertyBudget = root.size() / MinPropertySize;
  if(!parseProperty(section.properties, root, 1)) {
    err = -1;
    return -1;
  }
  list(std::move(unlistedSection));
  return 0;
}

bool RealMediaFF::RealMediaFFPrivate::parseProperty(MDProperties &prop, const ByteCursor &record, int depth)
{
  if(depth > MaxPropertyDepth || propertyBudget == 0)
    return false;
  --propertyBudget;

  ByteCursor c = record;
  prop.size = c.u32be();
  prop.type = c.u32be();
  prop.flags = c.u32be();
  prop.value_offset = c.u32be();
  prop.subproperties_offset = c.u32be();
  prop.num_subproperties = c.u32be();
  prop.name_length = c.u32be();
  prop.name = takeText(c, prop.name_length);
  if(!c.ok())
    return false;

  c.seek(prop.value_offset);
  prop.value_length = c.u32be();
  if(!c.ok())
    return false;
  if(prop.value_length) {
    prop.value = takeArray<unsigned char>(c, prop.value_length, false);
    if(!c.ok())
      return false;
  }

  const std::size_t k = prop.num_subproperties;
  if(k == 0)
    return true;
  c.seek(prop.subproperties_offset);
  if(!c.ok() || c.remaining() / 8 < k || k > propertyBudget)
    return false;
  prop.subproperties_list = std::make_unique<PropListEntry[]>(k);
  for(std::size_t i = 0; i < k; ++i) {
    prop.subproperties_list[i].offset = c.u32be();
    prop.subproperties_list[i].num_props_for_name = c.u32be();
  }
  prop.subproperties = std::make_unique<MDProperties[]>(k);
  for(std::size_t i = 0; i < k; ++i) {
    // Offsets count from this record's first byte; the child spans the rest.
    ByteCursor child = record;
    if(prop.subproperties_list[i].offset >= record.size() || !child.seek(prop.subproperties_list[i].offset) ||
       !parseProperty(prop.subproperties[i], child.sub(child.remaining()), depth + 1))
      return false;
  }
  return true;
}

// ---------------------------------------------------------------- what was read

const TagLib::Tag *RealMediaFF::RealMediaFFPrivate::id3v1Tag() const
{
  return id3v1 ? id3v1->tag() : nullptr;
}

PropertyMap RealMediaFF::RealMediaFFPrivate::collectFields() const
{
  PropertyMap map;
  if(const TagLib::Tag *tag = id3v1Tag())
    map = tag->properties();

  if(contentDescription) {
    const ContentDescription &cd = *contentDescription;
    PropertyMap cont;
    addText(cont, "TITLE", decodeText(cd.title.get(), cd.title_len));
    addText(cont, "ARTIST", decodeText(cd.author.get(), cd.author_len));
    addText(cont, "COPYRIGHT", decodeText(cd.copyright.get(), cd.copyright_len));
    addText(cont, "COMMENT", decodeText(cd.comment.get(), cd.comment_len));
    addMissing(map, cont);
  }

  // The root of the section only groups its records.
  if(metadataSection) {
    PropertyMap section;
    addMetadata(section, metadataSection->properties, String());
    addMissing(map, section);
  }

  PropertyMap streams;
  for(const auto &record : records) {
    const auto *media = dynamic_cast<const MediaProperties *>(record.get());
    if(!media || !media->lstr || !media->lstr->properties)
      continue;
    for(std::uint16_t i = 0; i < media->lstr->num_properties; ++i) {
      const NameValueProperty &p = media->lstr->properties[i];
      addValue(streams, decodeText(p.name.get(), p.name_length), p.type == NameValueText,
               p.type == NameValueNumber, p.value.get(), p.value_length);
    }
  }
  addMissing(map, streams);
  return map;
}

String RealMediaFF::RealMediaFFPrivate::text(const char *key) const
{
  return fields.value(key).toString(" ");
}

unsigned int RealMediaFF::RealMediaFFPrivate::number(const char *key) const
{
  const StringList values = fields.value(key);
  return values.isEmpty() ? 0 : static_cast<unsigned int>(std::max(0, values.front().toInt()));
}

unsigned int RealMediaFF::RealMediaFFPrivate::property(std::uint32_t RMProperties::*field) const
{
  return readProperties && !err && props ? props->*field : 0;
}

int RealMediaFF::seekChunk(std::uint32_t object_id)
{
  if(d->err || !d->stream)
    return -1;
  return static_cast<int>(d->findChunk(object_id));
}

bool RealMediaFF::readChunkHeader(std::uint32_t &object_id, std::uint32_t &size)
{
  Chunk chunk;
  if(!d->stream || !d->readHeader(chunk)) {
    d->err = -1;
    return false;
  }
  object_id = chunk.id;
  size = chunk.size;
  return true;
}

const PropertyMap &RealMediaFF::properties() const { return d->fields; }
String RealMediaFF::title() const { return d->text("TITLE"); }
String RealMediaFF::artist() const { return d->text("ARTIST"); }
String RealMediaFF::album() const { return d->text("ALBUM"); }
String RealMediaFF::comment() const { return d->text("COMMENT"); }
String RealMediaFF::genre() const { return d->text("GENRE"); }
unsigned int RealMediaFF::year() const { return d->number("DATE"); }
unsigned int RealMediaFF::track() const { return d->number("TRACKNUMBER"); }

bool RealMediaFF::isEmpty() const
{
  return title().isEmpty() && artist().isEmpty() && album().isEmpty() && comment().isEmpty() &&
         genre().isEmpty() && year() == 0 && track() == 0;
}

unsigned int RealMediaFF::length() const { return d->property(&RMProperties::duration); }
unsigned int RealMediaFF::bitrate() const { return d->property(&RMProperties::avg_bit_rate); }
int RealMediaFF::sampleRate() const { return 0; }
int RealMediaFF::channels() const { return 0; }

int RealMediaFF::err() const { return d->err; }
const char *RealMediaFF::fileName() const { return d->stream ? d->stream->name() : ""; }
bool RealMediaFF::readProperties() const { return d->readProperties; }

Collectable *RealMediaFF::recordListHead() const
{
  return d->records.empty() ? nullptr : d->records.front().get();
}

const std::vector<std::unique_ptr<Collectable>> &RealMediaFF::records() const { return d->records; }
File_Header_v0_v1 *RealMediaFF::fileHeader() const { return d->fileHeader; }
RMProperties *RealMediaFF::fileProperties() const { return d->props; }
MediaProperties *RealMediaFF::mediaProperties() const { return d->mediaProps; }
ContentDescription *RealMediaFF::contentDescription() const { return d->contentDescription; }
MetadataSection *RealMediaFF::metadataSection() const { return d->metadataSection; }
RMFFile *RealMediaFF::id3v1Holder() const { return d->id3v1.get(); }

} // namespace BRENVO_NS
} // namespace RealMedia
} // namespace TagLib
