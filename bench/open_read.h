/*
 * What a host does per file: open it, read the common tag fields and the
 * audio properties, close it. Shared by the benchmark and by the traced
 * single-open driver, so both measure the same work.
 */
#ifndef BRENVO_BENCH_OPEN_READ_H
#define BRENVO_BENCH_OPEN_READ_H

#include <string>

namespace brenvo_bench {

// How the file is opened.
enum class Reader
{
  // TagLib::FileRef: this library's classes once the plug-ins are
  // registered, TagLib's own otherwise.
  FileRef,
  // TagLib::MPEG::File directly: TagLib 1.13's FileRef has no resolver for
  // .aac, and its MPEG file is what a host had for such files before.
  TaglibMpeg,
};

const char *readerName(Reader reader);

// What a host reads of a file: the common tag fields and audio properties.
struct Snapshot
{
  bool opened = false;
  std::string title, artist, album, comment, genre;
  unsigned int year = 0, track = 0;
  bool hasProperties = false;
  int length = 0, bitrate = 0, sampleRate = 0, channels = 0;

  std::string describe() const;
};

Snapshot openAndRead(const std::string &path, Reader reader = Reader::FileRef);

} // namespace brenvo_bench

#endif
