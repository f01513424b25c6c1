#include "mp4file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "boxfactory.h"
#include "mp4audioproperties.h"
#include "mp4isobox.h"
#include "mp4propsproxy.h"
#include "mp4tagsproxy.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

namespace {

/*
 * A read-only stream without read-ahead. TagLib's own file stream reads
 * through a stdio buffer, so every seek over a skipped box costs a buffer of
 * the bytes around its target - media data included - and asking its length
 * costs two more. Here a read fetches exactly the bytes asked for.
 */
class ReadOnlyStream : public TagLib::IOStream
{
public:
  explicit ReadOnlyStream(FileName name) : m_name(name)
  {
    m_fd = ::open(name, O_RDONLY | O_CLOEXEC);
    struct stat status;
    if(m_fd >= 0 && ::fstat(m_fd, &status) == 0 && S_ISREG(status.st_mode))
      m_length = static_cast<long>(status.st_size);
  }
  ~ReadOnlyStream() override
  {
    if(m_fd >= 0)
      ::close(m_fd);
  }
  ReadOnlyStream(const ReadOnlyStream &) = delete;
  ReadOnlyStream &operator=(const ReadOnlyStream &) = delete;

  FileName name() const override { return m_name.c_str(); }

  ByteVector readBlock(unsigned long length) override
  {
    if(m_fd < 0 || m_position >= m_length || length == 0)
      return ByteVector();
    // ByteVector holds at most UINT_MAX bytes.
    const unsigned long wanted = std::min({length, static_cast<unsigned long>(m_length - m_position),
                                           static_cast<unsigned long>(UINT_MAX)});
    ByteVector block(static_cast<unsigned int>(wanted), 0);
    unsigned long got = 0;
    // Bytes fetched ahead before.
    const long cacheEnd = m_cacheStart + static_cast<long>(m_cache.size());
    if(m_position >= m_cacheStart && m_position < cacheEnd) {
      got = std::min(wanted, static_cast<unsigned long>(cacheEnd - m_position));
      std::memcpy(block.data(), m_cache.data() + (m_position - m_cacheStart), got);
    }
    const long from = m_position + static_cast<long>(got);
    const unsigned long rest = wanted - got;
    if(rest > 0 && rest < readAheadSize && from < m_readAheadEnd) {
      const unsigned long ahead = std::min({readAheadSize, static_cast<unsigned long>(m_readAheadEnd - from),
                                            static_cast<unsigned long>(m_length - from)});
      m_cache.resize(std::max(rest, ahead));
      m_cache.resize(readAt(m_cache.data(), m_cache.size(), from));
      m_cacheStart = from;
      const unsigned long n = std::min(rest, static_cast<unsigned long>(m_cache.size()));
      std::memcpy(block.data() + got, m_cache.data(), n);
      got += n;
    }
    else if(rest > 0) {
      got += readAt(block.data() + got, rest, from);
    }
    block.resize(static_cast<unsigned int>(got));
    m_position += static_cast<long>(got);
    return block;
  }

  //! Small reads before \a end fetch up to readAheadSize bytes at once.
  void setReadAheadEnd(long end) { m_readAheadEnd = end; }
  long readAheadEnd() const { return m_readAheadEnd; }

  // Nothing is ever written to an MP4 file.
  void writeBlock(const ByteVector &) override {}
  void insert(const ByteVector &, unsigned long, unsigned long) override {}
  void removeBlock(unsigned long, unsigned long) override {}
  void truncate(long) override {}
  bool readOnly() const override { return true; }

  bool isOpen() const override { return m_fd >= 0; }

  void seek(long offset, Position p) override
  {
    const long base = p == Beginning ? 0 : p == Current ? m_position : m_length;
    // Offsets come from the file: a target before the start is refused, one
    // that would overflow ends up past the end.
    if(offset < 0 && base + offset < 0)
      return;
    m_position = offset > 0 && base > LONG_MAX - offset ? LONG_MAX : base + offset;
  }

  long tell() const override { return m_position; }
  long length() override { return m_length; }

private:
  // Reads up to \a count bytes at \a offset; returns how many it got.
  unsigned long readAt(char *out, unsigned long count, long offset)
  {
    unsigned long got = 0;
    while(got < count) {
      const ssize_t n = ::pread(m_fd, out + got, count - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
      if(n < 0 && errno == EINTR)
        continue;
      if(n <= 0)
        break;
      got += static_cast<unsigned long>(n);
    }
    return got;
  }

  static constexpr unsigned long readAheadSize = 4096;

  std::string m_name;
  int m_fd = -1;
  long m_length = 0;
  long m_position = 0;
  long m_readAheadEnd = 0;
  // The last block fetched ahead; the file never changes under it.
  std::vector<char> m_cache;
  long m_cacheStart = 0;
};

} // namespace

class File::FilePrivate
{
public:
  // First, so that it is closed last.
  std::unique_ptr<TagLib::IOStream> stream;
  // The same stream when it can read ahead.
  ReadOnlyStream *readAheadStream = nullptr;
  std::vector<std::unique_ptr<Mp4IsoBox>> boxes;
  BoxFactory factory;
  Mp4TagsProxy tagsProxy;
  Mp4PropsProxy propsProxy;
  Tag tag;
  AudioProperties properties;
  long length = 0;
  // How many container boxes are being parsed inside each other.
  int nesting = 0;
};

File::File(FileName file, bool, TagLib::AudioProperties::ReadStyle)
  : File(std::make_unique<ReadOnlyStream>(file))
{
}

File::File(std::unique_ptr<TagLib::IOStream> stream)
  : TagLib::File(stream.get()), d(std::make_unique<FilePrivate>())
{
  d->stream = std::move(stream);
  d->readAheadStream = dynamic_cast<ReadOnlyStream *>(d->stream.get());
  if(isOpen()) {
    d->length = TagLib::File::length();
    seek(0);
    unsigned int size = 0;
    Fourcc code;
    while(readSizeAndType(size, code)) {
      const long offset = tell();
      std::unique_ptr<Mp4IsoBox> box(d->factory.createInstance(this, code, size, offset));
      box->parsebox();
      d->boxes.push_back(std::move(box));
      // Go on at the box's declared end, wherever its parsing stopped; a box
      // that claims more than the file holds ends the loop there.
      seek(offset + static_cast<long>(size) - 8);
    }
  }
  fillTagFromProxy(d->tagsProxy, d->tag);
}

File::~File()
{
  // The boxes go first: the proxies only point into them.
  d->boxes.clear();
}

Tag *File::tag() const
{
  return &d->tag;
}

TagLib::AudioProperties *File::audioProperties() const
{
  d->properties.setProxy(&d->propsProxy);
  return &d->properties;
}

bool File::save()
{
  return false;
}

void File::remove()
{
}

Mp4TagsProxy *File::tagProxy() const
{
  return &d->tagsProxy;
}

Mp4PropsProxy *File::propProxy() const
{
  return &d->propsProxy;
}

bool File::readFourcc(Fourcc &fourcc)
{
  const ByteVector bytes = readBlock(4);
  if(bytes.size() < 4)
    return false;
  fourcc = bytes.toUInt(0U, true);
  return true;
}

bool File::readByte(unsigned int &byte)
{
  const ByteVector bytes = readBlock(1);
  if(bytes.isEmpty())
    return false;
  byte = static_cast<unsigned char>(bytes[0]);
  return true;
}

bool File::readShort(unsigned int &value)
{
  const ByteVector bytes = readBlock(2);
  if(bytes.size() < 2)
    return false;
  value = bytes.toUShort(0U, true);
  return true;
}

bool File::readInt(unsigned int &value)
{
  const ByteVector bytes = readBlock(4);
  if(bytes.size() < 4)
    return false;
  value = bytes.toUInt(0U, true);
  return true;
}

bool File::readLongLong(unsigned long long &value)
{
  const ByteVector bytes = readBlock(8);
  if(bytes.size() < 8)
    return false;
  value = static_cast<unsigned long long>(bytes.toLongLong(0U, true));
  return true;
}

bool File::readSizeAndType(unsigned int &size, Fourcc &type)
{
  // Both halves are read even when the first comes back short.
  const ByteVector sizeBytes = readBlock(4);
  const ByteVector typeBytes = readBlock(4);
  if(sizeBytes.size() < 4 || typeBytes.size() < 4)
    return false;
  size = sizeBytes.toUInt(0U, true);
  if(size < 8)
    return false;
  type = typeBytes.toUInt(0U, true);
  return true;
}

unsigned int File::readSystemsLen()
{
  return readSystemsLen(d->length);
}

unsigned int File::readSystemsLen(long end)
{
  unsigned int value = 0;
  for(int count = 0; count < 4; ++count) {
    unsigned int byte = 0;
    if(tell() >= end || !readByte(byte))
      break;
    value = (value << 7) | (byte & 0x7F);
    if(!(byte & 0x80))
      break;
  }
  return value;
}

ByteVector File::readAvailable(unsigned long count)
{
  const long position = tell();
  if(position < 0 || position >= d->length || count == 0)
    return ByteVector();
  return readBlock(std::min(count, static_cast<unsigned long>(d->length - position)));
}

Mp4ReadAheadScope::Mp4ReadAheadScope(TagLib::File *file, long end) : m_file(dynamic_cast<MP4::File *>(file))
{
  if(m_file && m_file->d->readAheadStream) {
    m_previous = m_file->d->readAheadStream->readAheadEnd();
    m_file->d->readAheadStream->setReadAheadEnd(end);
  }
}

Mp4ReadAheadScope::~Mp4ReadAheadScope()
{
  if(m_file && m_file->d->readAheadStream)
    m_file->d->readAheadStream->setReadAheadEnd(m_previous);
}

Mp4NestingGuard::Mp4NestingGuard(MP4::File &file) : m_file(file)
{
  ++m_file.d->nesting;
}

Mp4NestingGuard::~Mp4NestingGuard()
{
  --m_file.d->nesting;
}

bool Mp4NestingGuard::allowed() const
{
  return m_file.d->nesting <= maxDepth;
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
