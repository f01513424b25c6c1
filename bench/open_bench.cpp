/*
 * Cost of opening one file of each format through FileRef and reading its
 * tag and audio properties, on a small real file and on built files of
 * 1 MiB and 1 GiB, beside the I/O floor: opening the same file,
 * reading as many bytes as the open read with plain read(2), closing it.
 * --formats=a,b measures only those formats.
 *
 * --taglib_only leaves the plug-ins unregistered and times TagLib 1.13's
 * own readers on the same files, in a process of their own (a reader that
 * reads the whole 1 GiB file only with --full_scans); --work_dir
 * keeps the built files for such a second process, and --manifest lists
 * them for the scripts that trace and compare the opens (scripts/bench.sh).
 *
 * The built files are the real file with its audio region stretched by a
 * sparse hole (size fields patched where the format keeps them), so they
 * carry the same tag and header as the real one; the program checks that
 * they read back alike before measuring. Bytes read per open come from the
 * rchar counter of /proc/self/io.
 */
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

#include <getopt.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "open_read.h"
#include "tplugins.h"

namespace {

using brenvo_bench::openAndRead;
using brenvo_bench::Reader;
using brenvo_bench::Snapshot;

const std::uint64_t MiB = 1024 * 1024;
const std::uint64_t GiB = 1024 * MiB;

// ---------------------------------------------------------------- bytes

std::uint32_t getBE32(const std::string &s, std::size_t at)
{
  return (std::uint32_t(std::uint8_t(s[at])) << 24) | (std::uint32_t(std::uint8_t(s[at + 1])) << 16) |
         (std::uint32_t(std::uint8_t(s[at + 2])) << 8) | std::uint32_t(std::uint8_t(s[at + 3]));
}

std::uint64_t getLE(const std::string &s, std::size_t at, int bytes)
{
  std::uint64_t v = 0;
  for(int i = bytes - 1; i >= 0; --i)
    v = (v << 8) | std::uint8_t(s[at + static_cast<std::size_t>(i)]);
  return v;
}

void putBE32(std::string &s, std::size_t at, std::uint64_t v)
{
  if(v > 0xFFFFFFFFu)
    throw std::runtime_error("32-bit size field overflows");
  for(int i = 0; i < 4; ++i)
    s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

void putLE(std::string &s, std::size_t at, std::uint64_t v, int bytes)
{
  if(bytes < 8 && v >> (8 * bytes))
    throw std::runtime_error("little-endian size field overflows");
  for(int i = 0; i < bytes; ++i)
    s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string readWhole(const std::string &path)
{
  std::ifstream in(path, std::ios::binary);
  if(!in)
    throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---------------------------------------------------------------- layouts

/*
 * A built file: head, then a hole of zeros, then tail. A layout splits the
 * real file where its audio may grow and patches the size fields for the
 * given number of extra bytes.
 */
struct Split
{
  std::string head;
  std::string tail;
};

using Layout = std::function<Split(const std::string &real, std::uint64_t extra)>;

Split splitAt(const std::string &real, std::size_t at)
{
  return Split{real.substr(0, at), real.substr(at)};
}

// MP4: the mdat box grows; boxes behind it (moov) stay behind it.
Split mp4Layout(const std::string &real, std::uint64_t extra)
{
  std::size_t pos = 0;
  while(pos + 8 <= real.size()) {
    const std::uint32_t size = getBE32(real, pos);
    if(real.compare(pos + 4, 4, "mdat") == 0) {
      Split split = splitAt(real, pos + size);
      putBE32(split.head, pos, size + extra);
      return split;
    }
    if(size < 8)
      break;
    pos += size;
  }
  throw std::runtime_error("no mdat box");
}

// ASF: the data object after the header object grows; index objects follow it.
Split asfLayout(const std::string &real, std::uint64_t extra)
{
  const std::size_t data = static_cast<std::size_t>(getLE(real, 16, 8));
  if(data + 24 > real.size())
    throw std::runtime_error("no data object");
  const std::uint64_t size = getLE(real, data + 16, 8);
  Split split = splitAt(real, data + static_cast<std::size_t>(size));
  putLE(split.head, data + 16, size + extra, 8);
  return split;
}

// RealMedia: the DATA chunk grows; what follows (index, ID3v1) stays behind it.
Split realMediaLayout(const std::string &real, std::uint64_t extra)
{
  std::size_t pos = 0;
  std::size_t prop = 0;
  while(pos + 8 <= real.size()) {
    const std::uint32_t size = getBE32(real, pos + 4);
    if(real.compare(pos, 4, "PROP") == 0)
      prop = pos;
    if(real.compare(pos, 4, "DATA") == 0) {
      // A trailing ID3v1 tag stays whole even where the chunk claims its bytes.
      std::size_t end = std::min<std::size_t>(pos + size, real.size());
      if(real.size() >= 128 && real.compare(real.size() - 128, 3, "TAG") == 0)
        end = std::min(end, real.size() - 128);
      Split split = splitAt(real, end);
      putBE32(split.head, pos + 4, size + extra);
      // The PROP index offset points behind the data.
      if(prop && getBE32(split.head, prop + 38) > pos)
        putBE32(split.head, prop + 38, getBE32(split.head, prop + 38) + extra);
      return split;
    }
    if(size < 8)
      break;
    pos += size;
  }
  throw std::runtime_error("no DATA chunk");
}

// Audible: the audio is the rest of the file; its size is the first field.
Split audibleLayout(const std::string &real, std::uint64_t extra)
{
  Split split = splitAt(real, real.size());
  putBE32(split.head, 0, real.size() + extra);
  return split;
}

// Raw ADTS: the frames repeated over the first 128 KiB (more than an open
// reads), a hole, and the last frames ending the file (so the last frame is
// found where it is in any real stream).
Split adtsLayout(const std::string &real, std::uint64_t)
{
  std::vector<std::size_t> frames;
  std::size_t pos = 0;
  while(pos + 7 <= real.size() && std::uint8_t(real[pos]) == 0xFF && (std::uint8_t(real[pos + 1]) & 0xF0) == 0xF0) {
    frames.push_back(pos);
    const std::size_t length = ((std::size_t(std::uint8_t(real[pos + 3])) & 3) << 11) |
                               (std::size_t(std::uint8_t(real[pos + 4])) << 3) |
                               (std::size_t(std::uint8_t(real[pos + 5])) >> 5);
    if(length < 7)
      break;
    pos += length;
  }
  if(frames.size() < 8 || pos != real.size())
    throw std::runtime_error("not a plain ADTS stream");
  std::string head;
  while(head.size() < 128 * 1024)
    head += real;
  return Split{head, real.substr(frames[frames.size() - 4])};
}

// Tags at the end of WavPack and TTA files: the APE tag and/or ID3v1 stay there.
std::size_t trailingTagsStart(const std::string &real)
{
  std::size_t end = real.size();
  if(end >= 128 && real.compare(end - 128, 3, "TAG") == 0)
    end -= 128;
  if(end >= 32 && real.compare(end - 32, 8, "APETAGEX") == 0) {
    const std::size_t size = static_cast<std::size_t>(getLE(real, end - 32 + 12, 4));
    const bool hasHeader = getLE(real, end - 32 + 20, 4) & 0x80000000u;
    end -= size + (hasHeader ? 32 : 0);
  }
  return end;
}

Split trailingTagsLayout(const std::string &real, std::uint64_t)
{
  return splitAt(real, trailingTagsStart(real));
}

// Ogg: the last page (with the final granule position) ends the file.
Split oggLayout(const std::string &real, std::uint64_t)
{
  const std::size_t last = real.rfind("OggS");
  if(last == std::string::npos || last == 0)
    throw std::runtime_error("no last Ogg page");
  return splitAt(real, last);
}

// WAVE: the data chunk grows; chunks behind it stay behind it.
Split waveLayout(const std::string &real, std::uint64_t extra)
{
  std::size_t pos = 12;
  while(pos + 8 <= real.size()) {
    const std::uint64_t size = getLE(real, pos + 4, 4);
    if(real.compare(pos, 4, "data") == 0) {
      Split split = splitAt(real, pos + 8 + static_cast<std::size_t>(size));
      putLE(split.head, pos + 4, size + extra, 4);
      putLE(split.head, 4, getLE(split.head, 4, 4) + extra, 4);
      return split;
    }
    pos += 8 + static_cast<std::size_t>(size) + (size & 1);
  }
  throw std::runtime_error("no data chunk");
}

void writeSparse(const std::string &path, const Split &split, std::uint64_t total)
{
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const off_t tailAt = static_cast<off_t>(total - split.tail.size());
  const bool ok = fd >= 0 && ::pwrite(fd, split.head.data(), split.head.size(), 0) == ssize_t(split.head.size()) &&
                  ::ftruncate(fd, static_cast<off_t>(total)) == 0 &&
                  ::pwrite(fd, split.tail.data(), split.tail.size(), tailAt) == ssize_t(split.tail.size());
  if(fd >= 0)
    ::close(fd);
  if(!ok)
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

// ---------------------------------------------------------------- reading

// The bytes this process has read through read(2) and its kin so far.
std::uint64_t readChars()
{
  char buffer[512];
  const int fd = ::open("/proc/self/io", O_RDONLY | O_CLOEXEC);
  if(fd < 0)
    return 0;
  const ssize_t n = ::read(fd, buffer, sizeof(buffer) - 1);
  ::close(fd);
  if(n <= 0)
    return 0;
  buffer[n] = '\0';
  const char *rchar = std::strstr(buffer, "rchar:");
  return rchar ? std::strtoull(rchar + 6, nullptr, 10) : 0;
}

// Bytes read by \a work, without the bytes of reading the counter itself.
std::uint64_t bytesReadBy(const std::function<void()> &work)
{
  const std::uint64_t a = readChars();
  const std::uint64_t b = readChars();
  work();
  const std::uint64_t c = readChars();
  return (c - b) - (b - a);
}

/*
 * The floor: open, read \a bytes from the start, close. An open that read
 * more than the file holds read parts of it again; so does the floor.
 */
void plainRead(const std::string &path, std::vector<char> &buffer, std::size_t bytes)
{
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  std::size_t got = 0;
  while(fd >= 0 && got < bytes) {
    const std::size_t chunk = std::min(bytes - got, buffer.size());
    const ssize_t n = ::read(fd, buffer.data(), chunk);
    if(n == 0 && got > 0 && ::lseek(fd, 0, SEEK_SET) == 0)
      continue;
    if(n <= 0)
      break;
    got += static_cast<std::size_t>(n);
  }
  if(fd >= 0)
    ::close(fd);
  benchmark::DoNotOptimize(buffer.data());
}

// ---------------------------------------------------------------- formats

struct Format
{
  const char *name;
  const char *realFile;  // below tests/data
  Layout layout;
  // Properties that follow the audio size by definition of the format.
  bool lengthGrows;
  bool bitrateGrows;
  // TagLib's own reader reads all of the file (its MPEG file finds no MPEG
  // frame in AAC): with --taglib_only, the large file only with --full_scans.
  bool taglibReadsWholeFile;
  // How TagLib alone opens the format (--taglib_only).
  Reader taglibReader;
};

const std::vector<Format> &formats()
{
  static const std::vector<Format> list = {
    {"m4a", "m4a/aac-mono-22k.m4a", mp4Layout, false, false, false, Reader::FileRef},
    {"wma", "asf/mutagen-tags.wma", asfLayout, false, false, false, Reader::FileRef},
    {"rm", "rmff/ac3-id3v1.rm", realMediaLayout, false, false, false, Reader::FileRef},
    {"aa", "audible/book.aa", audibleLayout, false, false, false, Reader::FileRef},
    {"aac", "aac/sine.aac", adtsLayout, true, false, true, Reader::TaglibMpeg},
    {"wv", "wavpack/mono24-ape-id3v1.wv", trailingTagsLayout, false, true, false, Reader::FileRef},
    // speexenc writes no bit rate: it is measured over the stream, which grows.
    {"spx", "speex/wideband.spx", oggLayout, false, true, false, Reader::FileRef},
    {"tta", "trueaudio/mono24-id3v2-id3v1.tta", trailingTagsLayout, false, true, false, Reader::FileRef},
    {"wav", "wav/list.wav", waveLayout, true, false, false, Reader::FileRef},
  };
  return list;
}

struct Sample
{
  std::string format;
  std::string size;  // "real", "small" (1 MiB) or "large" (1 GiB)
  std::string path;
  std::uint64_t fileSize = 0;
  std::uint64_t bytesRead = 0;
  Reader reader = Reader::FileRef;
};

bool sameExceptGrowth(const Format &f, const Snapshot &real, const Snapshot &built)
{
  const bool tagsAlike = real.opened && built.opened && real.title == built.title && real.artist == built.artist &&
                         real.album == built.album && real.comment == built.comment && real.genre == built.genre &&
                         real.year == built.year && real.track == built.track;
  const bool fixedAlike = real.hasProperties == built.hasProperties && real.sampleRate == built.sampleRate &&
                          real.channels == built.channels;
  const bool lengthOk = f.lengthGrows ? built.length > real.length : built.length == real.length;
  const bool bitrateOk = f.bitrateGrows ? built.bitrate > real.bitrate : built.bitrate == real.bitrate;
  return tagsAlike && fixedAlike && lengthOk && bitrateOk;
}

std::string g_tempDir;

int removeEntry(const char *path, const struct stat *, int, struct FTW *)
{
  return ::remove(path);
}

void removeTempDir()
{
  if(!g_tempDir.empty())
    ::nftw(g_tempDir.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

struct Options
{
  // Formats to measure (empty: all).
  std::vector<std::string> formats;
  // With --taglib_only, time a reader that reads the whole 1 GiB file too.
  bool fullScans = false;
  // Leave the plug-ins unregistered: TagLib's own readers, for comparison.
  bool taglibOnly = false;
  // Where the built files go and stay, so that other processes measure the
  // same files (empty: a temporary directory removed at exit).
  std::string workDir;
  // Where the list of measured files goes, as JSON (empty: nowhere).
  std::string manifest;
};

bool wanted(const Options &options, const std::string &name)
{
  return options.formats.empty() ||
         std::find(options.formats.begin(), options.formats.end(), name) != options.formats.end();
}

std::string prepareDirectory(const Options &options)
{
  if(!options.workDir.empty()) {
    if(::mkdir(options.workDir.c_str(), 0755) != 0 && errno != EEXIST)
      throw std::runtime_error("cannot make " + options.workDir + ": " + std::strerror(errno));
    return options.workDir;
  }
  const char *base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/brenvo-bench-XXXXXX";
  if(!::mkdtemp(&pattern[0]))
    throw std::runtime_error("cannot make a temporary directory");
  g_tempDir = pattern;
  std::atexit(removeTempDir);
  return pattern;
}

// A file an earlier process of the same run built is measured as it is.
bool alreadyBuilt(const std::string &path, std::uint64_t size)
{
  struct stat st = {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && std::uint64_t(st.st_size) == size;
}

struct Prepared
{
  std::vector<Sample> samples;
  // Formats the reader under test does not open, with the reason.
  std::vector<std::pair<std::string, std::string>> notOpened;
};

Prepared prepareSamples(const Options &options)
{
  const std::string dir = prepareDirectory(options);
  Prepared prepared;
  bool allAlike = true;
  for(const Format &f : formats()) {
    if(!wanted(options, f.name))
      continue;
    const Reader reader = options.taglibOnly ? f.taglibReader : Reader::FileRef;
    const std::string realPath = std::string(BRENVO_BENCH_DATA_DIR) + "/" + f.realFile;
    const std::string real = readWhole(realPath);
    Snapshot expected;
    const std::uint64_t realBytes = bytesReadBy([&] { expected = openAndRead(realPath, reader); });
    if(!expected.opened && options.taglibOnly) {
      // Not an error: TagLib 1.13 has no reader for it, which is why the plug-in exists.
      const std::string why = std::string(brenvo_bench::readerName(reader)) + " does not open " + f.realFile;
      std::cerr << f.name << ": " << why << "\n";
      prepared.notOpened.emplace_back(f.name, why);
      continue;
    }
    prepared.samples.push_back({f.name, "real", realPath, real.size(), realBytes, reader});
    const std::string extension = realPath.substr(realPath.rfind('.'));
    for(const std::uint64_t size : {MiB, GiB}) {
      const std::string label = size == MiB ? "small" : "large";
      const std::string path = dir + "/" + f.name + "-" + label + extension;
      if(!alreadyBuilt(path, size))
        writeSparse(path, f.layout(real, size - real.size()), size);
      if(options.taglibOnly && f.taglibReadsWholeFile && size == GiB && !options.fullScans) {
        std::cerr << f.name << ": " << brenvo_bench::readerName(reader)
                  << " reads the whole large file; measured with --full_scans\n";
        continue;
      }
      // The page cache holds what was just written, holes need no disk.
      Snapshot got;
      const std::uint64_t bytes = bytesReadBy([&] { got = openAndRead(path, reader); });
      if(!sameExceptGrowth(f, expected, got)) {
        std::cerr << f.name << " " << label << " reads differently:\n  real:  " << expected.describe()
                  << "\n  built: " << got.describe() << "\n";
        // The files are built for this library's readers; TagLib's are only timed on them.
        allAlike = allAlike && options.taglibOnly;
      }
      prepared.samples.push_back({f.name, label, path, size, bytes, reader});
    }
    std::cerr << f.name << ": " << expected.describe() << "\n";
  }
  if(!allAlike)
    throw std::runtime_error("built files do not read like the real ones");
  return prepared;
}

void writeManifest(const std::string &path, const Options &options, const Prepared &prepared)
{
  nlohmann::json samples = nlohmann::json::array();
  for(const Sample &s : prepared.samples)
    samples.push_back({{"format", s.format},
                       {"size", s.size},
                       {"path", s.path},
                       {"file_size", s.fileSize},
                       {"bytes_read", s.bytesRead},
                       {"reader", brenvo_bench::readerName(s.reader)}});
  nlohmann::json notOpened = nlohmann::json::array();
  for(const auto &entry : prepared.notOpened)
    notOpened.push_back({{"format", entry.first}, {"reason", entry.second}});
  const nlohmann::json manifest = {
    {"plugins", !options.taglibOnly}, {"samples", samples}, {"not_opened", notOpened}};
  std::ofstream out(path);
  out << manifest.dump(2) << "\n";
  if(!out)
    throw std::runtime_error("cannot write " + path);
}

void benchOpen(benchmark::State &state, const Sample &s)
{
  for(auto _ : state)
    benchmark::DoNotOptimize(openAndRead(s.path, s.reader));
  state.counters["bytes_read"] = static_cast<double>(s.bytesRead);
  state.counters["file_size"] = static_cast<double>(s.fileSize);
}

void benchFloor(benchmark::State &state, const Sample &s)
{
  std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(s.bytesRead, 4 * MiB) + 1));
  for(auto _ : state)
    plainRead(s.path, buffer, static_cast<std::size_t>(s.bytesRead));
  state.counters["bytes_read"] = static_cast<double>(s.bytesRead);
}

const char usage[] =
  "usage: brenvo_bench [OPTION]... [--benchmark_...]\n"
  "  --formats=a,b      measure only these formats (m4a wma rm aa aac wv spx tta wav)\n"
  "  --full_scans       with --taglib_only, time a reader that reads the whole 1 GiB\n"
  "                     file too (TagLib's MPEG file on AAC; minutes per open)\n"
  "  --taglib_only      do not register the plug-ins: time TagLib 1.13's own readers\n"
  "                     (benchmarks named taglib/..., no floor)\n"
  "  --work_dir=DIR     build the files in DIR and keep them; a file already there with\n"
  "                     the right size is measured as it is\n"
  "  --manifest=FILE    write the measured files and the bytes read per open as JSON\n";

// Google Benchmark has taken its own flags out of argv by now.
bool parseOptions(int argc, char **argv, Options &options)
{
  enum { Formats = 1, FullScans, TaglibOnly, WorkDir, Manifest };
  const struct option longOptions[] = {
    {"formats", required_argument, nullptr, Formats},
    {"full_scans", no_argument, nullptr, FullScans},
    {"taglib_only", no_argument, nullptr, TaglibOnly},
    {"work_dir", required_argument, nullptr, WorkDir},
    {"manifest", required_argument, nullptr, Manifest},
    {nullptr, 0, nullptr, 0},
  };
  int option = 0;
  while((option = ::getopt_long(argc, argv, "", longOptions, nullptr)) != -1) {
    switch(option) {
    case Formats: {
      std::istringstream list(optarg);
      std::string name;
      while(std::getline(list, name, ','))
        options.formats.push_back(name);
      break;
    }
    case FullScans:
      options.fullScans = true;
      break;
    case TaglibOnly:
      options.taglibOnly = true;
      break;
    case WorkDir:
      options.workDir = optarg;
      break;
    case Manifest:
      options.manifest = optarg;
      break;
    default:
      std::cerr << usage;
      return false;
    }
  }
  if(optind < argc) {
    std::cerr << "brenvo_bench: unexpected argument " << argv[optind] << "\n" << usage;
    return false;
  }
  return true;
}

} // namespace

int main(int argc, char **argv)
{
  for(int i = 1; i < argc; ++i) {
    // Google Benchmark prints its own flags after ours, and exits.
    if(std::strcmp(argv[i], "--help") == 0)
      std::cout << usage << "\n";
  }
  benchmark::Initialize(&argc, argv);
  Options options;
  if(!parseOptions(argc, argv, options))
    return 2;
  if(!options.taglibOnly)
    registerTaglibPlugins();

  static Prepared prepared;
  try {
    prepared = prepareSamples(options);
    if(!options.manifest.empty())
      writeManifest(options.manifest, options, prepared);
  }
  catch(const std::exception &e) {
    std::cerr << "brenvo_bench: " << e.what() << "\n";
    return 1;
  }
  const char *openPrefix = options.taglibOnly ? "taglib/" : "open/";
  for(const Sample &s : prepared.samples) {
    for(const bool floor : {false, true}) {
      if(floor && options.taglibOnly)
        continue;
      const std::string name = std::string(floor ? "floor/" : openPrefix) + s.format + "/" + s.size;
      benchmark::internal::Benchmark *b =
        benchmark::RegisterBenchmark(name.c_str(), floor ? benchFloor : benchOpen, s);
      b->Unit(benchmark::kMicrosecond);
      // A whole-file scan of a large file is timed once, not for seconds.
      if(s.bytesRead > 16 * MiB)
        b->Iterations(1)->Repetitions(1);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
