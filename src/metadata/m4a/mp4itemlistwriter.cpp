#include "mp4itemlistwriter.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "common/bytecursor.h"
#include "common/fdstream.h"
#include "mp4fourcc.h"

namespace TagLib {
namespace MP4 {
inline namespace BRENVO_NS {

namespace {

constexpr std::uint64_t max32 = 0xFFFFFFFFu;

Fourcc code(const char *text)
{
  return Fourcc(String(text));
}

bool isFreeSpace(Fourcc c)
{
  return c == code("free") || c == code("skip") || c == code("wide");
}

/*
 * A box of the movie box held in memory. Only the boxes on the way to the
 * chunk offset tables and the item list are opened; every other box is kept
 * as its bytes.
 */
struct Box
{
  Fourcc code;
  // Written with a 64-bit size, as it was read.
  bool large = false;
  // The header's file offset; -1 for a box made here.
  long long offset = -1;
  // Bytes between the header and the children: a full box's version and flags.
  ByteVector prefix;
  // A closed box's bytes after its header.
  ByteVector content;
  std::vector<Box> children;
  // Fewer than a header's bytes after the last child (old files end udta
  // with four zero bytes).
  ByteVector trailer;
  bool container = false;

  std::uint64_t size() const
  {
    std::uint64_t body = prefix.size() + trailer.size();
    if(container) {
      for(const Box &child : children)
        body += child.size();
    }
    else
      body += content.size();
    return body + (large || body + 8 > max32 ? 16 : 8);
  }

  void render(ByteVector &out) const
  {
    const std::uint64_t total = size();
    if(large || total > max32) {
      out.append(ByteVector::fromUInt(1));
      out.append(ByteVector::fromUInt(code));
      out.append(ByteVector::fromLongLong(static_cast<long long>(total)));
    }
    else {
      out.append(ByteVector::fromUInt(static_cast<unsigned int>(total)));
      out.append(ByteVector::fromUInt(code));
    }
    out.append(prefix);
    if(container) {
      for(const Box &child : children)
        child.render(out);
    }
    else
      out.append(content);
    out.append(trailer);
  }

  ByteVector rendered() const
  {
    ByteVector out;
    render(out);
    return out;
  }
};

Box leaf(const char *name, const ByteVector &content)
{
  Box box;
  box.code = code(name);
  box.content = content;
  return box;
}

// The first child of \a parent with the code \a name, or null.
Box *firstChild(Box &parent, const char *name)
{
  const auto found = std::find_if(parent.children.begin(), parent.children.end(),
                                  [name](const Box &b) { return b.code == code(name); });
  return found == parent.children.end() ? nullptr : &*found;
}

// A container box made here, appended to \a parent.
Box &appendContainer(Box &parent, const char *name, const ByteVector &prefix = ByteVector())
{
  Box box;
  box.code = code(name);
  box.container = true;
  box.prefix = prefix;
  parent.children.push_back(box);
  return parent.children.back();
}

// A free box of exactly \a size bytes (at least 8).
Box freeBox(std::uint64_t size)
{
  return leaf("free", ByteVector(static_cast<unsigned int>(size - 8), '\0'));
}

// The boxes opened on the way to the chunk offsets and the item list.
bool opens(const std::string &path, Fourcc c)
{
  static const std::set<std::string> containers = {
    "moov/trak", "moov/udta", "moov/trak/mdia", "moov/trak/mdia/minf", "moov/trak/mdia/minf/stbl",
    "moov/udta/meta", "moov/trak/mdia/minf/dinf"};
  return containers.count(path + "/" + c.toString().to8Bit()) > 0;
}

// Reads the children of \a parent from \a cursor, whose first byte lies at
// the file offset \a base. False unless every child lies whole inside.
bool parseChildren(ByteCursor cursor, long long base, const std::string &path, Box &parent)
{
  while(cursor.remaining() >= 8) {
    const std::size_t start = cursor.position();
    Box child;
    std::uint64_t size = cursor.u32be();
    child.code = cursor.u32be();
    unsigned int header = 8;
    if(size == 1) {
      if(!cursor.has(8))
        return false;
      size = cursor.u64be();
      header = 16;
      child.large = true;
    }
    if(size < header || size - header > cursor.remaining())
      return false;
    child.offset = base + static_cast<long long>(start);
    ByteCursor body = cursor.sub(static_cast<std::size_t>(size - header));
    if(opens(path, child.code)) {
      child.container = true;
      // A meta box written the QuickTime way has no version and flags.
      const bool plain = child.code == code("meta") && body.has(8) && [&body] {
        ByteCursor peek = body;
        peek.skip(4);
        return peek.u32be() == code("hdlr");
      }();
      if(child.code == code("meta") && !plain) {
        if(!body.has(4))
          return false;
        child.prefix = body.bytes(4);
      }
      // Positions count from the start of the content, prefix included.
      if(!parseChildren(body, child.offset + header, path + "/" + child.code.toString().to8Bit(), child))
        return false;
    }
    else
      child.content = body.rest();
    parent.children.push_back(std::move(child));
  }
  parent.trailer = cursor.rest();
  return cursor.ok();
}

// True when \a items is item boxes in a row, each whole.
bool wholeBoxes(const ByteVector &items)
{
  ByteCursor cursor(items);
  while(!cursor.atEnd()) {
    const std::uint32_t size = cursor.u32be();
    if(!cursor.ok() || size < 8 || !cursor.skip(size - 4))
      return false;
  }
  return cursor.ok();
}

// True unless a data reference of the track's media information \a minf
// names another file: the chunk offsets of such a track point into that file.
bool selfContained(const Box &minf)
{
  for(const Box &dinf : minf.children) {
    for(const Box &dref : dinf.children) {
      if(dinf.code != code("dinf") || dref.code != code("dref"))
        continue;
      ByteCursor cursor(dref.content);
      cursor.skip(8);
      // Each entry: size, code, version and flags; flag 1 means "in this file".
      while(cursor.has(12)) {
        const std::uint32_t size = cursor.u32be();
        cursor.skip(4);
        if((cursor.u32be() & 1) == 0)
          return false;
        if(size < 12 || !cursor.skip(size - 12))
          break;
      }
    }
  }
  return true;
}

struct TopBox
{
  Fourcc code;
  long long offset = 0;
  std::uint64_t size = 0;
  unsigned int header = 8;
  // Declared with size 0: it runs to the end of the file.
  bool toEnd = false;
};

// A chunk offset table (stco or co64) and its offsets as read.
struct ChunkOffsets
{
  Box *box = nullptr;
  bool wide = false;
  ByteVector versionAndFlags;
  std::vector<std::uint64_t> offsets;
  ByteVector rest;
};

bool readChunkOffsets(Box &box, ChunkOffsets &table)
{
  table.box = &box;
  table.wide = box.code == code("co64");
  ByteCursor cursor(box.content);
  table.versionAndFlags = cursor.bytes(4);
  const std::uint32_t count = cursor.u32be();
  const unsigned int width = table.wide ? 8 : 4;
  if(!cursor.ok() || count > cursor.remaining() / width)
    return false;
  table.offsets.reserve(count);
  for(std::uint32_t i = 0; i < count; ++i)
    table.offsets.push_back(cursor.uintBE(width));
  table.rest = cursor.rest();
  return cursor.ok();
}

// Sets the table's box to its offsets, each one from \a threshold on moved by
// \a delta; a 32-bit table that can no longer hold one becomes a 64-bit one.
// True when the table had to grow so.
bool renderChunkOffsets(ChunkOffsets &table, std::uint64_t threshold, long long delta)
{
  const auto moved = [&](std::uint64_t value) {
    return value >= threshold ? value + static_cast<std::uint64_t>(delta) : value;
  };
  bool promoted = false;
  if(!table.wide) {
    for(std::uint64_t value : table.offsets) {
      if(moved(value) > max32) {
        table.wide = promoted = true;
        break;
      }
    }
  }
  ByteVector content = table.versionAndFlags;
  content.append(ByteVector::fromUInt(static_cast<unsigned int>(table.offsets.size())));
  for(std::uint64_t value : table.offsets) {
    if(table.wide)
      content.append(ByteVector::fromLongLong(static_cast<long long>(moved(value))));
    else
      content.append(ByteVector::fromUInt(static_cast<unsigned int>(moved(value))));
  }
  content.append(table.rest);
  table.box->code = code(table.wide ? "co64" : "stco");
  table.box->content = content;
  return promoted;
}

} // namespace

class Mp4ItemListWriter::WriterPrivate
{
public:
  IOStream *stream = nullptr;
  long itemListOffset = -1;
  long long length = 0;
  std::vector<TopBox> top;
  std::size_t movieIndex = 0;
  Box movie;

  bool scanTopLevel();
  bool readMovie();
  // The first item list at moov/udta/meta, and its parent.
  Box *itemList(Box **parent, std::size_t *index);
  // The first meta box of the first user data box: where a new list goes.
  Box *firstMeta();
  // Writes the list over the box at \a index in \a meta (the old list or
  // free space) and the free boxes behind it, when it fits there.
  bool writeInPlace(Box &meta, std::size_t index, const ByteVector &items);
  bool rewriteMovie(const ByteVector &items, Box *meta, std::size_t index);
  void writeAt(long long offset, const ByteVector &data);
};

bool Mp4ItemListWriter::WriterPrivate::scanTopLevel()
{
  length = stream->length();
  long long position = 0;
  bool movieSeen = false;
  while(position < length) {
    stream->seek(static_cast<long>(position));
    ByteCursor cursor(stream->readBlock(static_cast<unsigned long>(std::min<long long>(16, length - position))));
    TopBox box;
    box.offset = position;
    box.size = cursor.u32be();
    box.code = cursor.u32be();
    if(box.size == 1) {
      box.size = cursor.u64be();
      box.header = 16;
    }
    else if(box.size == 0) {
      box.size = static_cast<std::uint64_t>(length - position);
      box.toEnd = true;
    }
    if(!cursor.ok() || box.size < box.header || box.size > static_cast<std::uint64_t>(length - position))
      return false;
    // Fragments carry offsets of their own that this writer does not move.
    if(box.code == code("moof") || box.code == code("mfra"))
      return false;
    if(box.code == code("moov")) {
      if(movieSeen)
        return false;
      movieSeen = true;
      movieIndex = top.size();
    }
    top.push_back(box);
    position += static_cast<long long>(box.size);
  }
  return movieSeen;
}

bool Mp4ItemListWriter::WriterPrivate::readMovie()
{
  const TopBox &box = top[movieIndex];
  if(box.size > maxMovieSize)
    return false;
  stream->seek(static_cast<long>(box.offset + box.header));
  const ByteVector content = stream->readBlock(static_cast<unsigned long>(box.size - box.header));
  if(content.size() != box.size - box.header)
    return false;
  movie.code = box.code;
  movie.large = box.header == 16;
  movie.offset = box.offset;
  movie.container = true;
  return parseChildren(ByteCursor(content), box.offset + box.header, "moov", movie) && movie.trailer.isEmpty() &&
         movie.size() == box.size;
}

Box *Mp4ItemListWriter::WriterPrivate::itemList(Box **parent, std::size_t *index)
{
  for(Box &udta : movie.children) {
    if(udta.code != code("udta"))
      continue;
    for(Box &meta : udta.children) {
      if(meta.code != code("meta"))
        continue;
      for(std::size_t i = 0; i < meta.children.size(); ++i) {
        if(meta.children[i].code == code("ilst")) {
          *parent = &meta;
          *index = i;
          return &meta.children[i];
        }
      }
    }
  }
  return nullptr;
}

Box *Mp4ItemListWriter::WriterPrivate::firstMeta()
{
  Box *udta = firstChild(movie, "udta");
  return udta ? firstChild(*udta, "meta") : nullptr;
}

void Mp4ItemListWriter::WriterPrivate::writeAt(long long offset, const ByteVector &data)
{
  stream->seek(static_cast<long>(offset));
  stream->writeBlock(data);
}

bool Mp4ItemListWriter::WriterPrivate::writeInPlace(Box &meta, std::size_t index, const ByteVector &items)
{
  const Box &old = meta.children[index];
  std::uint64_t room = old.size();
  for(std::size_t i = index + 1; i < meta.children.size() && isFreeSpace(meta.children[i].code); ++i)
    room += meta.children[i].size();

  ByteVector data;
  if(!items.isEmpty()) {
    Box list;
    list.code = code("ilst");
    list.large = old.code == code("ilst") && old.large;
    list.content = items;
    list.render(data);
  }
  if(data.size() > room)
    return false;
  const std::uint64_t left = room - data.size();
  if(left > 0 && left < 8)
    return false;
  if(left > 0)
    freeBox(left).render(data);
  writeAt(old.offset, data);
  return true;
}

bool Mp4ItemListWriter::WriterPrivate::rewriteMovie(const ByteVector &items, Box *meta, std::size_t index)
{
  Box list;
  list.code = code("ilst");
  list.content = items;
  if(meta) {
    // The old list and the free space behind it make way for the new list and fresh padding.
    list.large = meta->children[index].large;
    std::size_t end = index + 1;
    while(end < meta->children.size() && isFreeSpace(meta->children[end].code))
      ++end;
    meta->children.erase(meta->children.begin() + static_cast<long>(index), meta->children.begin() + static_cast<long>(end));
  }
  else {
    Box *udta = firstChild(movie, "udta");
    if(!udta)
      udta = &appendContainer(movie, "udta");
    meta = firstChild(*udta, "meta");
    if(meta) {
      // Its free space (a list stripped before) goes; the padding replaces it.
      auto &children = meta->children;
      children.erase(std::remove_if(children.begin(), children.end(), [](const Box &b) { return isFreeSpace(b.code); }),
                     children.end());
    }
    else
      meta = &appendContainer(*udta, "meta", ByteVector(4, '\0'));
    if(!firstChild(*meta, "hdlr")) {
      // Version and flags, pre-defined, the handler "mdir", the reserved
      // words iTunes fills with "appl", and an empty name.
      ByteVector handler(8, '\0');
      handler.append("mdirappl");
      handler.append(ByteVector(9, '\0'));
      meta->children.insert(meta->children.begin(), leaf("hdlr", handler));
    }
    index = meta->children.size();
  }
  std::vector<Box> added;
  if(!items.isEmpty())
    added.push_back(list);
  added.push_back(freeBox(Mp4ItemListWriter::padding));
  meta->children.insert(meta->children.begin() + static_cast<long>(index), added.begin(), added.end());
  Box *space = &meta->children[index + added.size() - 1];

  // The movie box and the free space behind it.
  const TopBox &old = top[movieIndex];
  std::uint64_t room = old.size;
  std::size_t next = movieIndex + 1;
  for(; next < top.size() && isFreeSpace(top[next].code); ++next)
    room += top[next].size;
  const long long regionEnd = old.offset + static_cast<long long>(room);
  const bool atEnd = next == top.size();

  std::vector<ChunkOffsets> tables;
  bool mediaBehind = false;
  for(Box &trak : movie.children) {
    for(Box &mdia : trak.children)
      for(Box &minf : mdia.children) {
        // Offsets into another file stay as they are.
        if(trak.code != code("trak") || !selfContained(minf))
          continue;
        for(Box &stbl : minf.children)
          for(Box &table : stbl.children) {
            if(table.code != code("stco") && table.code != code("co64"))
              continue;
            tables.emplace_back();
            if(!readChunkOffsets(table, tables.back()))
              return false;
            for(std::uint64_t value : tables.back().offsets) {
              // An offset into the movie box itself is nonsense this writer must not move.
              if(value >= static_cast<std::uint64_t>(old.offset) && value < static_cast<std::uint64_t>(regionEnd))
                return false;
              mediaBehind = mediaBehind || value >= static_cast<std::uint64_t>(regionEnd);
            }
          }
      }
  }

  const std::uint64_t size = movie.size();
  // Where the new box fits the old room, the padding takes the rest: one write, nothing moves.
  const bool fillRoom = size <= room && (!atEnd || room - size <= 16ULL * Mp4ItemListWriter::padding);
  if(fillRoom) {
    space->content.resize(space->content.size() + static_cast<unsigned int>(room - size));
    writeAt(old.offset, movie.rendered());
    return true;
  }
  if(atEnd) {
    writeAt(old.offset, movie.rendered());
    if(size < room)
      stream->truncate(static_cast<long>(old.offset + static_cast<long long>(size)));
    return true;
  }
  if(!mediaBehind) {
    // A box that runs to the end of the file would swallow the appended one: give it its size.
    const TopBox &last = top.back();
    if(last.toEnd) {
      if(last.header != 8 || last.size > max32)
        return false;
      writeAt(last.offset, ByteVector::fromUInt(static_cast<unsigned int>(last.size)));
    }
    // The new box first: a failure after it leaves two movie boxes, of which readers take the old.
    writeAt(length, movie.rendered());
    writeAt(old.offset + 4, ByteVector::fromUInt(code("free")));
    return true;
  }

  // The rest of the file moves by delta; a table promoted to 64 bits grows
  // the box and so the delta, until nothing changes.
  long long delta = 0;
  for(std::size_t round = 0; round <= tables.size() + 1; ++round) {
    delta = static_cast<long long>(movie.size()) - static_cast<long long>(room);
    bool promoted = false;
    for(ChunkOffsets &table : tables)
      promoted = renderChunkOffsets(table, static_cast<std::uint64_t>(regionEnd), delta) || promoted;
    if(!promoted && static_cast<long long>(movie.size()) - static_cast<long long>(room) == delta)
      break;
  }
  stream->insert(movie.rendered(), static_cast<unsigned long>(old.offset), static_cast<unsigned long>(room));
  return true;
}

Mp4ItemListWriter::Mp4ItemListWriter(IOStream *stream, long itemListOffset)
  : d(std::make_unique<WriterPrivate>())
{
  d->stream = stream;
  d->itemListOffset = itemListOffset;
}

Mp4ItemListWriter::~Mp4ItemListWriter() = default;

bool Mp4ItemListWriter::write(const ByteVector &items)
{
  if(!d->stream || !d->stream->isOpen() || d->stream->readOnly() || !wholeBoxes(items))
    return false;
  clearStreamFailure(d->stream);
  if(!d->scanTopLevel() || !d->readMovie() || streamFailed(d->stream))
    return false;

  Box *meta = nullptr;
  std::size_t index = 0;
  Box *list = d->itemList(&meta, &index);
  // Items read from elsewhere than this list, or a list whose items do not
  // add up, would be written over what was never read.
  if((list ? list->offset : -1) != d->itemListOffset || (list && !wholeBoxes(list->content)))
    return false;
  if(!list && items.isEmpty())
    return true;
  bool done = list && d->writeInPlace(*meta, index, items);
  // No list: free space left in the meta box by one stripped before may take the new one.
  Box *first = list ? nullptr : d->firstMeta();
  if(first && firstChild(*first, "hdlr")) {
    for(std::size_t i = 0; !done && i < first->children.size(); ++i)
      done = isFreeSpace(first->children[i].code) && d->writeInPlace(*first, i, items);
  }
  done = done || d->rewriteMovie(items, meta, index);
  return done && !streamFailed(d->stream);
}

} // namespace BRENVO_NS
} // namespace MP4
} // namespace TagLib
