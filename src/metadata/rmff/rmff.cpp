#include "rmff.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tag.h>

#include "taglib_realmediafile.h"

namespace TagLib {
namespace RealMedia {
inline namespace BRENVO_NS {

Collectable::~Collectable() = default;
NameValueProperty::~NameValueProperty() = default;
LogicalStream::~LogicalStream() = default;
MDProperties::~MDProperties() = default;

namespace {

constexpr std::uint32_t RMF_ID = chunkId(".RMF");
constexpr std::uint32_t PROP_ID = chunkId("PROP");
constexpr std::uint32_t MDPR_ID = chunkId("MDPR");
constexpr std::uint32_t CONT_ID = chunkId("CONT");
constexpr std::uint32_t DATA_ID = chunkId("DATA");
constexpr std::uint32_t RMMD_ID = chunkId("RMMD");

// The smallest metadata property record: seven words and an empty name.
constexpr std::size_t MinPropertySize = 28;

std::uint32_t be32(const unsigned char *p)
{
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

std::uint16_t be16(const unsigned char *p)
{
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

/*!
 * Reads big-endian fields from a block of known size. A read past the end
 * yields 0 and leaves the cursor failed, so a parse can read on and check
 * once; nothing outside the block is ever touched.
 */
class Cursor
{
public:
  Cursor(const unsigned char *data, std::size_t size, std::size_t pos = 0) :
    data_(data), size_(size), pos_(pos), ok_(pos <= size) {}

  bool ok() const { return ok_; }
  std::size_t pos() const { return pos_; }
  std::size_t remaining() const { return ok_ ? size_ - pos_ : 0; }

  bool take(std::size_t n)
  {
    if(!ok_ || n > size_ - pos_) {
      ok_ = false;
      return false;
    }
    pos_ += n;
    return true;
  }
  void seek(std::size_t pos)
  {
    if(pos > size_)
      ok_ = false;
    else
      pos_ = pos;
  }

  std::uint8_t u8() { return take(1) ? data_[pos_ - 1] : 0; }
  std::uint16_t u16() { return take(2) ? be16(data_ + pos_ - 2) : 0; }
  std::uint32_t u32() { return take(4) ? be32(data_ + pos_ - 4) : 0; }
  //! Copies \a n bytes to \a out; false (and \a out untouched) when they are not there.
  bool bytes(void *out, std::size_t n)
  {
    if(!take(n))
      return false;
    if(n)
      std::memcpy(out, data_ + pos_ - n, n);
    return true;
  }

private:
  const unsigned char *data_;
  std::size_t size_;
  std::size_t pos_;
  bool ok_;
};

//! \a n bytes from the cursor as a new 0-terminated array; null when they are not there.
std::unique_ptr<char[]> readText(Cursor &c, std::size_t n)
{
  if(n > c.remaining()) {
    c.take(n);
    return nullptr;
  }
  auto text = std::make_unique<char[]>(n + 1);
  c.bytes(text.get(), n);
  text[n] = '\0';
  return text;
}

} // namespace

class RealMediaFF::RealMediaFFPrivate
{
public:
  std::string fileName;
  // The reader owns every record; the list keeps them in reading order.
  std::vector<std::unique_ptr<Collectable>> records;
  int fd = -1;
  std::int32_t err = 0;
  File_Header_v0_v1 *fileHeader = nullptr;
  RMProperties *props = nullptr;
  MediaProperties *mediaProps = nullptr;
  ContentDescription *contentDescription = nullptr;
  MetadataSection *metadataSection = nullptr;
  std::unique_ptr<RMFFile> id3v1;
  bool readProperties = false;

  // Records created but never appended to the list (their chunk failed).
  std::unique_ptr<File_Header_v0_v1> unlistedFileHeader;
  std::unique_ptr<MetadataSection> unlistedSection;

  // Property records still allowed in the tree being parsed.
  std::size_t propertyBudget = 0;
};

RealMediaFF::RealMediaFF(const char *file, bool readProperties, AudioProperties::ReadStyle) :
  d(std::make_unique<RealMediaFFPrivate>())
{
  d->readProperties = readProperties;
  d->fileName = file ? file : "";
  open();
}

RealMediaFF::RealMediaFF(const RealMediaFF &other) :
  d(std::make_unique<RealMediaFFPrivate>())
{
  d->readProperties = other.d->readProperties;
  d->fileName = other.d->fileName;
  open();
}

RealMediaFF::~RealMediaFF()
{
  // Records first, then the ID3v1 holder, then the unlisted records.
  d->records.clear();
  d->id3v1.reset();
  d->unlistedFileHeader.reset();
  d->unlistedSection.reset();
  if(d->fd >= 0)
    ::close(d->fd);
}

void RealMediaFF::open()
{
  d->fd = ::open(d->fileName.c_str(), O_RDONLY);
  if(d->fd < 0) {
    d->err = -1;
    return;
  }
  if(d->readProperties) {
    init();
    if(initMetadataSection() != 0)
      std::cerr << "ERROR reading Metadata\n";
  }
  d->id3v1 = std::make_unique<RMFFile>(d->fileName.c_str());
}

long RealMediaFF::readBytes(unsigned char *buf, std::size_t count)
{
  std::size_t total = 0;
  while(total < count) {
    const ssize_t n = ::read(d->fd, buf + total, count - total);
    if(n < 0) {
      if(errno == EINTR)
        continue;
      return total ? static_cast<long>(total) : -1;
    }
    if(n == 0)
      break;
    total += static_cast<std::size_t>(n);
  }
  return static_cast<long>(total);
}

long RealMediaFF::skipBytes(std::size_t count)
{
  // Counts what a read would have delivered: the bytes up to the end of the file.
  struct stat status;
  const off_t pos = ::lseek(d->fd, 0, SEEK_CUR);
  if(pos < 0 || ::fstat(d->fd, &status) != 0)
    return -1;
  const off_t left = status.st_size > pos ? status.st_size - pos : 0;
  const std::size_t n = std::min<std::size_t>(count, static_cast<std::size_t>(left));
  if(::lseek(d->fd, static_cast<off_t>(n), SEEK_CUR) < 0)
    return -1;
  return static_cast<long>(n);
}

int RealMediaFF::readHeader(std::uint32_t *fourcc, std::uint32_t *csize)
{
  unsigned char hdr[8];
  const long n = readBytes(hdr, sizeof(hdr));
  if(n < 8)
    return static_cast<int>(n);
  *fourcc = be32(hdr);
  *csize = be32(hdr + 4);
  return 8;
}

int RealMediaFF::getHdr(unsigned char *buf, std::size_t size, std::uint32_t *fourcc, std::uint32_t *csize)
{
  if(size <= 7)
    return 0;
  const long n = readBytes(buf, 8);
  if(n < 8) {
    d->err = -1;
    return static_cast<int>(n);
  }
  *fourcc = be32(buf);
  *csize = be32(buf + 4);
  return 8;
}

int RealMediaFF::getChunk(unsigned char *buf, std::size_t size, std::uint32_t *fourcc, std::uint32_t *csize,
                          std::uint32_t &alreadyread)
{
  const int r = getHdr(buf, size, fourcc, csize);
  if(r != 8) {
    d->err = -1;
    if(r > 0)
      alreadyread += static_cast<std::uint32_t>(r);
    return r;
  }
  alreadyread += 8;
  if(*csize < 8) {
    d->err = -1;
    return 8;
  }
  const std::size_t body = std::min<std::size_t>(size - 8, *csize - 8);
  // Nothing in the data chunk is parsed: its bytes are passed over, not
  // copied, so opening never reads up to a buffer of media data.
  const long got = *fourcc == DATA_ID ? skipBytes(body) : readBytes(buf + 8, body);
  if(got < 0) {
    d->err = -1;
    return 8;
  }
  alreadyread += static_cast<std::uint32_t>(got);
  if(static_cast<std::size_t>(got) == body)
    return static_cast<int>(std::min<std::uint32_t>(*csize, INT_MAX));
  return 8 + static_cast<int>(got);
}

int RealMediaFF::seekChunk(std::uint32_t object_id)
{
  if(d->err)
    return -1;
  if(::lseek(d->fd, 0, SEEK_SET) != 0)
    return -1;
  // Only headers are read here: a chunk that is not there is no failure of
  // the file, so the error flag is left alone.
  off_t pos = 0;
  for(;;) {
    std::uint32_t fourcc = 0;
    std::uint32_t csize = 0;
    if(readHeader(&fourcc, &csize) != 8 || fourcc == object_id)
      break;
    if(csize <= 8)
      return -1;
    pos += csize;
    if(::lseek(d->fd, static_cast<off_t>(csize) - 8, SEEK_CUR) != pos)
      return -1;
  }
  if(::lseek(d->fd, -8, SEEK_CUR) == pos && pos <= INT_MAX)
    return static_cast<int>(pos);
  return -1;
}

void RealMediaFF::saveHeader(std::unique_ptr<Collectable> hdr)
{
  hdr->fwd = nullptr;
  if(!d->records.empty())
    d->records.back()->fwd = hdr.get();
  d->records.push_back(std::move(hdr));
}

int RealMediaFF::init()
{
  if(::lseek(d->fd, 0, SEEK_SET) != 0) {
    d->err = -1;
    return -1;
  }
  auto buf = std::make_unique<unsigned char[]>(ChunkBufferSize);

  d->unlistedFileHeader = std::make_unique<File_Header_v0_v1>();
  File_Header_v0_v1 *fh = d->unlistedFileHeader.get();
  d->fileHeader = fh;
  std::uint32_t consumed = 0;
  int r = getChunk(buf.get(), ChunkBufferSize, &fh->object_id, &fh->size, consumed);
  if(r < 0 || consumed != fh->size || fh->object_id != RMF_ID ||
     getRealFileHeader(fh, buf.get(), fh->object_id, fh->size) != 0) {
    d->err = -1;
    return -1;
  }
  saveHeader(std::move(d->unlistedFileHeader));

  std::uint32_t id = 0;
  std::uint32_t size = 0;
  consumed = 0;
  r = getChunk(buf.get(), ChunkBufferSize, &id, &size, consumed);
  if(r < 0 || consumed != size) {
    d->err = -1;
    return -1;
  }

  while(d->err == 0 && id != DATA_ID) {
    if(id == PROP_ID) {
      auto props = std::make_unique<RMProperties>();
      d->props = props.get();
      getRealPropertyHeader(props.get(), buf.get(), id, size);
      saveHeader(std::move(props));
    }
    else if(id == MDPR_ID) {
      auto media = std::make_unique<MediaProperties>();
      d->mediaProps = media.get();
      getMediaPropHeader(media.get(), buf.get(), id, size);
      saveHeader(std::move(media));
    }
    else if(id == CONT_ID) {
      auto cont = std::make_unique<ContentDescription>();
      d->contentDescription = cont.get();
      getContentDescription(cont.get(), buf.get(), id, size);
      saveHeader(std::move(cont));
    }

    consumed = 0;
    getChunk(buf.get(), ChunkBufferSize, &id, &size, consumed);
    if(d->err != 0 || id == DATA_ID)
      break;
    if(consumed != size) {
      d->err = -1;
      break;
    }
  }
  return 0;
}

int RealMediaFF::getRealFileHeader(File_Header_v0_v1 *fh, const unsigned char *buf, std::uint32_t object_id,
                                   std::uint32_t sz)
{
  fh->object_id = object_id;
  fh->size = sz;
  Cursor c(buf, sz, 8);
  fh->object_version = c.u16();
  if(c.ok() && (fh->object_version == 0 || fh->object_version == 1)) {
    fh->file_version = c.u32();
    fh->num_headers = c.u32();
  }
  if(!c.ok()) {
    fh->file_version = 0;
    fh->num_headers = 0;
    return -1;
  }
  return 0;
}

int RealMediaFF::getRealPropertyHeader(RMProperties *props, const unsigned char *buf, std::uint32_t object_id,
                                       std::uint32_t sz)
{
  props->object_id = object_id;
  props->size = sz;
  Cursor c(buf, sz, 8);
  props->object_version = c.u16();
  if(object_id != PROP_ID || props->object_version != 0 || !c.ok())
    return c.ok() ? 0 : -1;
  // A chunk too short for its fields keeps them at zero, as another version would.
  if(c.remaining() < 40)
    return -1;
  props->max_bit_rate = c.u32();
  props->avg_bit_rate = c.u32();
  props->max_packet_size = c.u32();
  props->avg_packet_size = c.u32();
  props->num_packets = c.u32();
  props->duration = c.u32();
  props->preroll = c.u32();
  props->index_offset = c.u32();
  props->data_offset = c.u32();
  props->num_streams = c.u16();
  props->flags = c.u16();
  return 0;
}

int RealMediaFF::getMediaPropHeader(MediaProperties *mh, const unsigned char *buf, std::uint32_t object_id,
                                    std::uint32_t sz)
{
  mh->object_id = object_id;
  mh->size = sz;
  Cursor c(buf, sz, 8);
  mh->object_version = c.u16();
  if(!c.ok() || object_id != MDPR_ID || mh->object_version != 0) {
    d->err = -1;
    return -1;
  }
  mh->stream_number = c.u16();
  mh->max_bit_rate = c.u32();
  mh->avg_bit_rate = c.u32();
  mh->max_packet_size = c.u32();
  mh->avg_packet_size = c.u32();
  mh->start_time = c.u32();
  mh->preroll = c.u32();
  mh->duration = c.u32();
  mh->stream_name_size = c.u8();
  c.bytes(mh->stream_name, mh->stream_name_size);
  mh->mime_type_size = c.u8();
  c.bytes(mh->mime_type, mh->mime_type_size);
  mh->type_specific_len = c.u32();
  if(c.ok() && mh->type_specific_len > 0 && mh->type_specific_len <= c.remaining()) {
    mh->type_specific_data = std::make_unique<unsigned char[]>(mh->type_specific_len);
    c.bytes(mh->type_specific_data.get(), mh->type_specific_len);
  }
  else if(mh->type_specific_len > 0) {
    c.take(mh->type_specific_len);
  }

  if(!c.ok()) {
    // A field runs past the chunk: the record keeps only what identifies it.
    MediaProperties blank;
    blank.object_id = object_id;
    blank.size = sz;
    blank.object_version = mh->object_version;
    *mh = std::move(blank);
    d->err = -1;
    return -1;
  }

  if(mh->type_specific_data && std::strncmp(mh->mime_type, "logical-fileinfo", 16) == 0)
    parseLogicalStream(mh);
  return 0;
}

void RealMediaFF::parseLogicalStream(MediaProperties *mh)
{
  // A logical stream that does not fit its bytes is dropped; the stream's
  // other properties stand and the file is not in error.
  Cursor c(mh->type_specific_data.get(), mh->type_specific_len);
  auto ls = std::make_unique<LogicalStream>();
  ls->size = c.u32();
  ls->object_version = c.u16();
  if(!c.ok() || ls->object_version != 0)
    return;

  ls->num_physical_streams = c.u16();
  if(ls->num_physical_streams) {
    const std::size_t p = ls->num_physical_streams;
    if(c.remaining() < 6 * p)
      return;
    ls->physical_stream_numbers = std::make_unique<std::uint16_t[]>(p);
    ls->data_offsets = std::make_unique<std::uint32_t[]>(p);
    for(std::size_t i = 0; i < p; ++i)
      ls->physical_stream_numbers[i] = c.u16();
    for(std::size_t i = 0; i < p; ++i)
      ls->data_offsets[i] = c.u32();
  }

  ls->num_rules = c.u16();
  if(ls->num_rules) {
    const std::size_t r = ls->num_rules;
    if(c.remaining() < 2 * r)
      return;
    ls->rule_to_physical_stream = std::make_unique<std::uint16_t[]>(r);
    for(std::size_t i = 0; i < r; ++i)
      ls->rule_to_physical_stream[i] = c.u16();
  }

  ls->num_properties = c.u16();
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
      const std::size_t start = c.pos();
      prop.size = c.u32();
      prop.object_version = c.u16();
      if(!c.ok())
        return;
      if(prop.object_version != 0) {
        // Another layout: step over it by its size when that stays inside the stream.
        if(prop.size < 6 || prop.size > mh->type_specific_len - start)
          return;
        c.seek(start + prop.size);
        continue;
      }
      prop.name_length = c.u8();
      if(prop.name_length)
        prop.name = readText(c, prop.name_length);
      prop.type = c.u32();
      prop.value_length = c.u16();
      if(prop.value_length && c.ok()) {
        if(prop.value_length > c.remaining())
          return;
        prop.value = std::make_unique<unsigned char[]>(prop.value_length + 1u);
        c.bytes(prop.value.get(), prop.value_length);
        prop.value[prop.value_length] = 0;
      }
      if(!c.ok())
        return;
    }
  }
  mh->lstr = std::move(ls);
}

int RealMediaFF::getContentDescription(ContentDescription *cont, const unsigned char *buf, std::uint32_t object_id,
                                       std::uint32_t sz)
{
  cont->object_id = object_id;
  cont->size = sz;
  Cursor c(buf, sz, 8);
  cont->object_version = c.u16();
  if(!c.ok() || object_id != CONT_ID || cont->object_version != 0) {
    d->err = -1;
    return -1;
  }
  cont->title_len = c.u16();
  cont->title = readText(c, cont->title_len);
  cont->author_len = c.u16();
  cont->author = readText(c, cont->author_len);
  cont->copyright_len = c.u16();
  cont->copyright = readText(c, cont->copyright_len);
  cont->comment_len = c.u16();
  cont->comment = readText(c, cont->comment_len);
  if(!c.ok()) {
    ContentDescription blank;
    blank.object_id = object_id;
    blank.size = sz;
    blank.object_version = cont->object_version;
    *cont = std::move(blank);
    d->err = -1;
    return -1;
  }
  return 0;
}

int RealMediaFF::initMetadataSection()
{
  // A failed header walk leaves nothing to trust, the search included.
  const int offset = seekChunk(RMMD_ID);
  if(offset < 0)
    return d->err ? -1 : 0;  // most files have no metadata section

  d->unlistedSection = std::make_unique<MetadataSection>();
  MetadataSection *section = d->unlistedSection.get();
  d->metadataSection = section;

  auto buf = std::make_unique<unsigned char[]>(ChunkBufferSize);
  std::uint32_t consumed = 0;
  const int r = getChunk(buf.get(), ChunkBufferSize, &section->object_id, &section->size, consumed);
  if(r < 0 || consumed != section->size || section->object_id != RMMD_ID || section->size < 16) {
    d->err = -1;
    return -1;
  }
  section->first_word = be32(buf.get() + 8);
  section->second_word = be32(buf.get() + 12);
  if(getMDProperties(&section->properties, buf.get() + 16, section->size - 16) != 0) {
    d->err = -1;
    return -1;
  }
  saveHeader(std::move(d->unlistedSection));
  return 0;
}

int RealMediaFF::getMDProperties(MDProperties *props, const unsigned char *buf, std::size_t available)
{
  // Records that do not share bytes cannot outnumber this; shared ones could
  // otherwise multiply without end.
  d->propertyBudget = available / MinPropertySize;
  return parseProperty(props, buf, available, 1);
}

int RealMediaFF::parseProperty(MDProperties *props, const unsigned char *buf, std::size_t available, int depth)
{
  if(depth > MaxPropertyDepth || d->propertyBudget == 0)
    return -1;
  --d->propertyBudget;

  Cursor c(buf, available);
  props->size = c.u32();
  props->type = c.u32();
  props->flags = c.u32();
  props->value_offset = c.u32();
  props->subproperties_offset = c.u32();
  props->num_subproperties = c.u32();
  props->name_length = c.u32();
  props->name = readText(c, props->name_length);
  if(!c.ok())
    return -1;

  c.seek(props->value_offset);
  props->value_length = c.u32();
  if(!c.ok() || props->value_length > c.remaining())
    return -1;
  if(props->value_length) {
    props->value = std::make_unique<unsigned char[]>(props->value_length);
    c.bytes(props->value.get(), props->value_length);
  }

  const std::size_t k = props->num_subproperties;
  if(k == 0)
    return 0;
  c.seek(props->subproperties_offset);
  if(!c.ok() || c.remaining() / 8 < k || k > d->propertyBudget)
    return -1;
  props->subproperties_list = std::make_unique<PropListEntry[]>(k);
  for(std::size_t i = 0; i < k; ++i) {
    props->subproperties_list[i].offset = c.u32();
    props->subproperties_list[i].num_props_for_name = c.u32();
  }
  props->subproperties = std::make_unique<MDProperties[]>(k);
  for(std::size_t i = 0; i < k; ++i) {
    const std::size_t off = props->subproperties_list[i].offset;
    if(off >= available)
      return -1;
    if(parseProperty(&props->subproperties[i], buf + off, available - off, depth + 1) != 0)
      return -1;
  }
  return 0;
}

String RealMediaFF::contentText(const char *text) const
{
  return text ? String(text, String::Latin1) : String();
}

namespace {

const TagLib::Tag *id3v1Tag(const std::unique_ptr<RMFFile> &holder)
{
  return holder ? holder->tag() : nullptr;
}

} // namespace

// Each field comes from the trailing ID3v1 tag; one it leaves empty falls
// back to the content description chunk, which carries title, author and comment.
String RealMediaFF::title() const
{
  if(d->err)
    return String();
  const TagLib::Tag *tag = id3v1Tag(d->id3v1);
  String s = tag ? tag->title() : String();
  if(s.isEmpty() && d->contentDescription)
    s = contentText(d->contentDescription->title.get());
  return s;
}

String RealMediaFF::artist() const
{
  if(d->err)
    return String();
  const TagLib::Tag *tag = id3v1Tag(d->id3v1);
  String s = tag ? tag->artist() : String();
  if(s.isEmpty() && d->contentDescription)
    s = contentText(d->contentDescription->author.get());
  return s;
}

String RealMediaFF::album() const
{
  const TagLib::Tag *tag = id3v1Tag(d->id3v1);
  return !d->err && tag ? tag->album() : String();
}

String RealMediaFF::comment() const
{
  if(d->err)
    return String();
  const TagLib::Tag *tag = id3v1Tag(d->id3v1);
  String s = tag ? tag->comment() : String();
  if(s.isEmpty() && d->contentDescription)
    s = contentText(d->contentDescription->comment.get());
  return s;
}

String RealMediaFF::genre() const
{
  const TagLib::Tag *tag = id3v1Tag(d->id3v1);
  return !d->err && tag ? tag->genre() : String();
}

unsigned int RealMediaFF::year() const
{
  const TagLib::Tag *tag = id3v1Tag(d->id3v1);
  return !d->err && tag ? tag->year() : 0;
}

unsigned int RealMediaFF::track() const
{
  const TagLib::Tag *tag = id3v1Tag(d->id3v1);
  return !d->err && tag ? tag->track() : 0;
}

bool RealMediaFF::isEmpty() const
{
  return title().isEmpty() && artist().isEmpty() && album().isEmpty() && comment().isEmpty() &&
         genre().isEmpty() && year() == 0 && track() == 0;
}

unsigned int RealMediaFF::length() const
{
  return d->readProperties && !d->err && d->props ? d->props->duration : 0;
}

unsigned int RealMediaFF::bitrate() const
{
  return d->readProperties && !d->err && d->props ? d->props->avg_bit_rate : 0;
}

int RealMediaFF::sampleRate() const
{
  return 0;
}

int RealMediaFF::channels() const
{
  return 0;
}

int RealMediaFF::err() const
{
  return d->err;
}

const char *RealMediaFF::fileName() const
{
  return d->fileName.c_str();
}

bool RealMediaFF::readProperties() const
{
  return d->readProperties;
}

Collectable *RealMediaFF::recordListHead() const
{
  return d->records.empty() ? nullptr : d->records.front().get();
}

const std::vector<std::unique_ptr<Collectable>> &RealMediaFF::records() const
{
  return d->records;
}

File_Header_v0_v1 *RealMediaFF::fileHeader() const
{
  return d->fileHeader;
}

RMProperties *RealMediaFF::fileProperties() const
{
  return d->props;
}

MediaProperties *RealMediaFF::mediaProperties() const
{
  return d->mediaProps;
}

ContentDescription *RealMediaFF::contentDescription() const
{
  return d->contentDescription;
}

MetadataSection *RealMediaFF::metadataSection() const
{
  return d->metadataSection;
}

RMFFile *RealMediaFF::id3v1Holder() const
{
  return d->id3v1.get();
}

} // namespace BRENVO_NS
} // namespace RealMedia
} // namespace TagLib
