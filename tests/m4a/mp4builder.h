#ifndef BRENVO_TEST_MP4BUILDER_H
#define BRENVO_TEST_MP4BUILDER_H

// Builds MP4 boxes for the tests: box(code, content) nests freely, and the
// functions below make the few boxes whose layout matters. OpenedFile opens
// the bytes as an MP4 file.
#include <cstdint>
#include <string>

#include "bytebuilder.h"
#include "m4a/mp4file.h"
#include "testfiles.h"

namespace mp4test {

using brenvo_test::ByteBuilder;

inline std::string raw(std::initializer_list<int> values) { return ByteBuilder().raw(values).str(); }

//! A box whose size field says \a declared whatever it holds.
inline std::string boxSized(std::uint32_t declared, const std::string &code, const std::string &content = std::string())
{
  return ByteBuilder().be32(declared).text(code).text(content).str();
}

//! A box: size, code, content. "\251nam" is the title item's code.
inline std::string box(const std::string &code, const std::string &content = std::string())
{
  return boxSized(static_cast<std::uint32_t>(8 + content.size()), code, content);
}

inline std::string fullBox(const std::string &code, std::uint8_t version, std::uint32_t flags, const std::string &content = {})
{
  return box(code, ByteBuilder().u8(version).be24(flags).text(content).str());
}

//! An iTunes item holding one data box (type flags 1: UTF-8 text).
inline std::string item(const std::string &code, const std::string &payload, std::uint32_t type = 1)
{
  return box(code, fullBox("data", 0, type, ByteBuilder().be32(0).text(payload).str()));
}

inline std::string hdlr(const std::string &type) { return fullBox("hdlr", 0, 0, ByteBuilder().be32(0).text(type).fill(12).str()); }

//! udta/meta/(hdlr mdir, ilst) around the items.
inline std::string tagBoxes(const std::string &items)
{
  return box("udta", fullBox("meta", 0, 0, hdlr("mdir") + box("ilst", items)));
}

//! A movie header; version 1 has 64-bit times and duration, any other 32-bit ones.
inline std::string mvhd(std::uint32_t timescale, std::uint64_t duration, std::uint8_t version = 0)
{
  ByteBuilder b;
  if(version == 1)
    b.be64(1).be64(2).be32(timescale).be64(duration);
  else
    b.be32(1).be32(2).be32(timescale).be32(static_cast<std::uint32_t>(duration));
  return fullBox("mvhd", version, 0, b.be32(0x10000).be32(0x01000000).fill(68).be32(2).str());
}

//! An esds box: ES descriptor (3) holding a decoder configuration (4) with \a avgBitrate and, when \a asc
//! is not empty, a decoder specific info (5). Lengths take 1 byte, or 4 (80 80 80 nn) when \a fourByteLengths.
inline std::string esds(std::uint32_t avgBitrate, const std::string &asc = std::string(), bool fourByteLengths = false)
{
  const auto descriptor = [fourByteLengths](std::uint8_t tag, const std::string &content) {
    return ByteBuilder().u8(tag).text(fourByteLengths ? std::string(3, '\x80') : std::string())
      .u8(static_cast<std::uint8_t>(content.size())).text(content).str();
  };
  const std::string config = ByteBuilder().u8(0x40).u8(0x15).be24(0).be32(avgBitrate + 1000).be32(avgBitrate)
                               .text(asc.empty() ? std::string() : descriptor(5, asc)).str();
  return fullBox("esds", 0, 0, descriptor(3, ByteBuilder().be16(1).u8(0).text(descriptor(4, config)).raw({6, 1, 2}).str()));
}

//! An audio sample entry: \a rate16 is the 16.16 field as stored.
inline std::string audioEntry(std::uint16_t channels, std::uint32_t rate16, const std::string &children, const std::string &code = "mp4a")
{
  return box(code, ByteBuilder().fill(6).be16(1).fill(8).be16(channels).be16(16).fill(4).be32(rate16).text(children).str());
}

inline std::string stsd(const std::string &entries, std::uint32_t count = 1)
{
  return fullBox("stsd", 0, 0, ByteBuilder().be32(count).text(entries).str());
}

//! trak/mdia/(hdlr, minf/stbl/stsd) for one sample entry.
inline std::string track(const std::string &entry, const std::string &handler = "soun")
{
  return box("trak", box("mdia", fullBox("mdhd", 0, 0, std::string(20, '\0')) + hdlr(handler) + box("minf", box("stbl", stsd(entry)))));
}

//! A whole file: ftyp, moov (mvhd, the tracks, the tag boxes), mdat.
inline std::string file(const std::string &moovContent, const std::string &mdat = std::string(100, '\x55'))
{
  return box("ftyp", std::string("M4A \0\0\0\0isom", 12)) + box("moov", moovContent) + box("mdat", mdat);
}

//! An AudioSpecificConfig: object type, frequency index, channel configuration.
inline std::string asc(unsigned objectType, unsigned frequencyIndex, unsigned channels)
{
  return ByteBuilder().be16(static_cast<std::uint16_t>((objectType << 11) | (frequencyIndex << 7) | (channels << 3))).str();
}

//! \a bytes written to a temporary .m4a file and opened as an MP4 file.
struct OpenedFile
{
  explicit OpenedFile(const std::string &bytes) : path(dir.write("test.m4a", bytes)), file(path.c_str()) {}
  // Named so that a file which also includes TagLib's MP4 header can use it.
  brenvo_taglib::MP4File *operator->() { return &file; }

  brenvo_test::TempDir dir;
  std::string path;
  brenvo_taglib::MP4File file;
};

} // namespace mp4test

#endif
