#include "fdstream.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <memory>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TagLib {
inline namespace BRENVO_NS {

bool streamFailed(const IOStream *stream)
{
  const auto *checked = dynamic_cast<const CheckedStream *>(stream);
  return checked && checked->failed();
}

void clearStreamFailure(IOStream *stream)
{
  if(auto *checked = dynamic_cast<CheckedStream *>(stream))
    checked->clearFailure();
}

namespace {

// Leaves the bytes of a resized buffer as they are: they are read into at
// once, and zero-filling the window would cost as much as reading it.
template <class T>
struct UninitializedAllocator : std::allocator<T>
{
  template <class U>
  struct rebind
  {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <class U>
  explicit UninitializedAllocator(const UninitializedAllocator<U> &) noexcept {}
  template <class U>
  void construct(U *p) noexcept
  {
    ::new(static_cast<void *>(p)) U;
  }
  template <class U, class... Args>
  void construct(U *p, Args &&...args)
  {
    ::new(static_cast<void *>(p)) U(std::forward<Args>(args)...);
  }
};

using Buffer = std::vector<char, UninitializedAllocator<char>>;

// Bytes moved per step when insert() or removeBlock() shifts the rest of the file.
constexpr unsigned long moveChunk = 1024UL * 1024;

// Reads up to \a count bytes at \a offset; returns how many it got, or -1 on error.
long preadFully(int fd, char *out, unsigned long count, long offset)
{
  unsigned long got = 0;
  while(got < count) {
    const ssize_t n = ::pread(fd, out + got, count - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
    if(n < 0 && errno == EINTR)
      continue;
    if(n < 0)
      return -1;
    if(n == 0)
      break;
    got += static_cast<unsigned long>(n);
  }
  return static_cast<long>(got);
}

bool pwriteFully(int fd, const char *data, unsigned long count, long offset)
{
  unsigned long done = 0;
  while(done < count) {
    const ssize_t n = ::pwrite(fd, data + done, count - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if(n < 0 && errno == EINTR)
      continue;
    if(n <= 0)
      return false;
    done += static_cast<unsigned long>(n);
  }
  return true;
}

} // namespace

// Bytes of the file from \a start on, as they are on disk.
struct Window
{
  Buffer bytes;
  long start = 0;

  long end() const { return start + static_cast<long>(bytes.size()); }
  bool holds(long from, long to) const { return !bytes.empty() && from >= start && to <= end(); }
};

class DescriptorStream::StreamPrivate
{
public:
  std::string name;
  int fd = -1;
  bool readOnly = true;
  bool failed = false;
  long length = 0;
  long position = 0;
  // Two windows: the head and the tail of a file are read in turns (an ID3v2
  // tag, the ID3v1 tag, then the stream header), and each stays at hand.
  Window windows[2];
  // The window used last; the other one is the next to be refilled.
  int recent = 0;

  Window *windowFor(long from, long to)
  {
    for(int i = 0; i < 2; ++i) {
      if(windows[i].holds(from, to)) {
        recent = i;
        return &windows[i];
      }
    }
    return nullptr;
  }

  // Copies \a count bytes of \a data written at \a offset into the windows where they overlap them.
  void patchWindows(const char *data, unsigned long count, long offset)
  {
    for(Window &w : windows) {
      const long from = std::max(offset, w.start);
      const long to = std::min(offset + static_cast<long>(count), w.end());
      if(from < to)
        std::memcpy(w.bytes.data() + (from - w.start), data + (from - offset), static_cast<size_t>(to - from));
    }
  }

  void dropWindows()
  {
    for(Window &w : windows)
      w.bytes.clear();
  }

  // Moves the bytes [from, length) to \a to, front to back or back to front so
  // that no byte is overwritten before it has been copied.
  bool moveTail(long from, long to)
  {
    Buffer buffer(static_cast<size_t>(std::min(moveChunk, static_cast<unsigned long>(length - from))));
    if(to > from) {
      for(long end = length; end > from;) {
        const long count = std::min(static_cast<long>(buffer.size()), end - from);
        if(preadFully(fd, buffer.data(), static_cast<unsigned long>(count), end - count) != count ||
           !pwriteFully(fd, buffer.data(), static_cast<unsigned long>(count), end - count + (to - from)))
          return false;
        end -= count;
      }
    }
    else {
      for(long at = from; at < length;) {
        const long count = std::min(static_cast<long>(buffer.size()), length - at);
        if(preadFully(fd, buffer.data(), static_cast<unsigned long>(count), at) != count ||
           !pwriteFully(fd, buffer.data(), static_cast<unsigned long>(count), at - (from - to)))
          return false;
        at += count;
      }
    }
    return true;
  }
};

DescriptorStream::DescriptorStream(FileName name) :
  d(std::make_unique<StreamPrivate>())
{
  d->name = name;
  d->fd = ::open(name, O_RDWR | O_CLOEXEC);
  d->readOnly = d->fd < 0;
  if(d->fd < 0)
    d->fd = ::open(name, O_RDONLY | O_CLOEXEC);
  struct stat status;
  // Only a regular file has a length to trust; anything else reads as empty.
  if(d->fd >= 0 && ::fstat(d->fd, &status) == 0 && S_ISREG(status.st_mode))
    d->length = static_cast<long>(status.st_size);
}

DescriptorStream::~DescriptorStream()
{
  if(d->fd >= 0)
    ::close(d->fd);
}

std::unique_ptr<DescriptorStream> DescriptorStream::open(FileName name)
{
  auto stream = std::make_unique<DescriptorStream>(name);
  if(!stream->isOpen())
    return nullptr;
  return stream;
}

FileName DescriptorStream::name() const
{
  return d->name.c_str();
}

ByteVector DescriptorStream::readBlock(unsigned long length)
{
  if(d->fd < 0 || length == 0 || d->position < 0 || d->position >= d->length)
    return ByteVector();
  // ByteVector holds at most UINT_MAX bytes.
  const unsigned long wanted = std::min({length, static_cast<unsigned long>(d->length - d->position),
                                         static_cast<unsigned long>(UINT_MAX)});
  const long from = d->position;
  const long to = from + static_cast<long>(wanted);

  const Window *window = d->windowFor(from, to);
  if(!window) {
    if(wanted >= windowSize) {
      // Too large for a window: read it straight into the result.
      ByteVector block(static_cast<unsigned int>(wanted), 0);
      const long got = preadFully(d->fd, block.data(), wanted, from);
      if(got < 0) {
        d->failed = true;
        return ByteVector();
      }
      block.resize(static_cast<unsigned int>(got));
      d->position += got;
      return block;
    }
    // Near the end, the file's last window: the tags there are read backwards
    // from the end, and one fetch covers them all.
    const long start = from + static_cast<long>(windowSize) > d->length
                         ? std::max(0L, d->length - static_cast<long>(windowSize))
                         : from;
    d->recent = 1 - d->recent;
    Window &fill = d->windows[d->recent];
    fill.bytes.resize(static_cast<size_t>(std::min(static_cast<long>(windowSize), d->length - start)));
    fill.start = start;
    const long got = preadFully(d->fd, fill.bytes.data(), fill.bytes.size(), start);
    if(got < 0) {
      d->failed = true;
      fill.bytes.clear();
      return ByteVector();
    }
    fill.bytes.resize(static_cast<size_t>(got));
    window = &fill;
  }

  const long available = std::max(0L, std::min(to, window->end()) - from);
  if(available == 0)
    return ByteVector();
  d->position += available;
  return ByteVector(window->bytes.data() + (from - window->start), static_cast<unsigned int>(available));
}

void DescriptorStream::writeBlock(const ByteVector &data)
{
  if(d->fd < 0 || d->readOnly || d->position < 0) {
    d->failed = true;
    return;
  }
  if(!pwriteFully(d->fd, data.data(), data.size(), d->position)) {
    // What reached the disk is unknown.
    d->failed = true;
    d->dropWindows();
    return;
  }
  d->patchWindows(data.data(), data.size(), d->position);
  d->position += static_cast<long>(data.size());
  d->length = std::max(d->length, d->position);
}

void DescriptorStream::insert(const ByteVector &data, unsigned long start, unsigned long replace)
{
  if(d->fd < 0 || d->readOnly || start > static_cast<unsigned long>(d->length)) {
    d->failed = true;
    return;
  }
  replace = std::min(replace, static_cast<unsigned long>(d->length) - start);
  if(data.size() == replace) {
    seek(static_cast<long>(start));
    writeBlock(data);
    return;
  }

  // The rest of the file moves in place; the windows are reread afterwards.
  d->dropWindows();
  const long tailFrom = static_cast<long>(start + replace);
  const long tailTo = static_cast<long>(start + data.size());
  const long newLength = d->length + (tailTo - tailFrom);
  bool ok = true;
  if(tailTo > tailFrom) {
    ok = d->moveTail(tailFrom, tailTo) && pwriteFully(d->fd, data.data(), data.size(), static_cast<long>(start));
  }
  else {
    ok = pwriteFully(d->fd, data.data(), data.size(), static_cast<long>(start)) && d->moveTail(tailFrom, tailTo) &&
         ::ftruncate(d->fd, static_cast<off_t>(newLength)) == 0;
  }
  if(!ok) {
    d->failed = true;
    struct stat status;
    // The file is what it is now.
    if(::fstat(d->fd, &status) == 0)
      d->length = static_cast<long>(status.st_size);
    return;
  }
  d->length = newLength;
  d->position = tailTo;
}

void DescriptorStream::removeBlock(unsigned long start, unsigned long length)
{
  insert(ByteVector(), start, length);
}

bool DescriptorStream::readOnly() const
{
  return d->readOnly;
}

bool DescriptorStream::isOpen() const
{
  return d->fd >= 0;
}

void DescriptorStream::seek(long offset, Position p)
{
  const long base = p == Beginning ? 0 : p == Current ? d->position : d->length;
  // Offsets come from files: a target before the start is refused, one that
  // would overflow ends up past the end.
  if(offset < 0 && base + offset < 0)
    return;
  d->position = offset > 0 && base > LONG_MAX - offset ? LONG_MAX : base + offset;
}

void DescriptorStream::clear()
{
  // There is no end-of-file state to reset, and failures stay until clearFailure().
}

long DescriptorStream::tell() const
{
  return d->position;
}

long DescriptorStream::length()
{
  return d->length;
}

void DescriptorStream::truncate(long length)
{
  if(d->fd < 0 || d->readOnly || length < 0 || ::ftruncate(d->fd, static_cast<off_t>(length)) != 0) {
    d->failed = true;
    return;
  }
  d->length = length;
  for(Window &w : d->windows) {
    if(w.end() > length)
      w.bytes.resize(static_cast<size_t>(std::max(0L, length - w.start)));
  }
}

bool DescriptorStream::failed() const
{
  return d->failed;
}

void DescriptorStream::clearFailure()
{
  d->failed = false;
}

} // namespace BRENVO_NS
} // namespace TagLib
