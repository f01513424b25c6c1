#ifndef BRENVO_TEST_SPEEXBUILDER_H
#define BRENVO_TEST_SPEEXBUILDER_H

// Builds Speex streams in Ogg pages for the tests: the header and comment
// packets, and whole pages with their lacing values and checksum.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bytebuilder.h"

namespace brenvo_test {

struct SpeexHeaderFields
{
  std::int32_t version = 1;
  std::int32_t rate = 8000;
  std::int32_t mode = 0;
  std::int32_t channels = 1;
  std::int32_t bitrate = -1;
  std::int32_t vbr = 0;
};

//! The 80-byte Speex header packet.
inline std::string speexHeader(const SpeexHeaderFields &f = SpeexHeaderFields())
{
  ByteBuilder b;
  b.text("Speex   ");
  b.text("1.2.1").fill(15);  // version text, 20 bytes
  b.le32(static_cast<std::uint32_t>(f.version));
  b.le32(80);  // header size
  b.le32(static_cast<std::uint32_t>(f.rate));
  b.le32(static_cast<std::uint32_t>(f.mode));
  b.le32(4);  // mode bitstream version
  b.le32(static_cast<std::uint32_t>(f.channels));
  b.le32(static_cast<std::uint32_t>(f.bitrate));
  b.le32(160);  // frame size
  b.le32(static_cast<std::uint32_t>(f.vbr));
  b.le32(1);  // frames per packet
  b.le32(0);  // extra headers
  b.le32(0).le32(0);  // reserved
  return b.str();
}

//! A Vorbis-style comment block, without a framing bit (as Speex writes it).
inline std::string commentPacket(const std::string &vendor, const std::vector<std::string> &fields)
{
  ByteBuilder b;
  b.le32(static_cast<std::uint32_t>(vendor.size())).text(vendor);
  b.le32(static_cast<std::uint32_t>(fields.size()));
  for(const std::string &field : fields)
    b.le32(static_cast<std::uint32_t>(field.size())).text(field);
  return b.str();
}

//! The checksum of an Ogg page (CRC-32, polynomial 0x04c11db7, no reflection).
inline std::uint32_t oggCrc(const std::string &page)
{
  std::uint32_t crc = 0;
  for(unsigned char c : page) {
    crc ^= static_cast<std::uint32_t>(c) << 24;
    for(int bit = 0; bit < 8; ++bit)
      crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
  }
  return crc;
}

enum OggFlags : std::uint8_t { FirstPage = 2, LastPage = 4 };

//! One Ogg page holding \a packets whole (at most 255 lacing values in all).
inline std::string oggPage(const std::vector<std::string> &packets, std::int64_t granule,
                           std::uint32_t sequence, std::uint8_t flags = 0,
                           std::uint32_t serial = 0x5eed)
{
  std::vector<std::uint8_t> lacing;
  std::string body;
  for(std::size_t i = 0; i < packets.size(); ++i) {
    std::size_t size = packets[i].size();
    for(; size >= 255; size -= 255)
      lacing.push_back(255);
    lacing.push_back(static_cast<std::uint8_t>(size));
    body += packets[i];
  }
  ByteBuilder b;
  b.text("OggS").u8(0).u8(flags).le64(static_cast<std::uint64_t>(granule));
  b.le32(serial).le32(sequence).le32(0);  // checksum patched below
  b.u8(static_cast<std::uint8_t>(lacing.size()));
  for(std::uint8_t l : lacing)
    b.u8(l);
  b.text(body);
  b.patch(22, oggCrc(b.str()), 4, false);
  return b.str();
}

/*!
 * The packets of an Ogg stream, read page by page from \a bytes (independent
 * of TagLib, to compare streams before and after a save). Stops at anything
 * that is not a whole page.
 */
inline std::vector<std::string> oggPackets(const std::string &bytes)
{
  std::vector<std::string> packets;
  std::string open;
  std::size_t pos = 0;
  while(pos + 27 <= bytes.size() && bytes.compare(pos, 4, "OggS") == 0) {
    const std::size_t segments = static_cast<unsigned char>(bytes[pos + 26]);
    std::size_t body = pos + 27 + segments;
    if(body > bytes.size())
      break;
    for(std::size_t i = 0; i < segments; ++i) {
      const std::size_t lace = static_cast<unsigned char>(bytes[pos + 27 + i]);
      if(body + lace > bytes.size())
        return packets;
      open.append(bytes, body, lace);
      body += lace;
      if(lace < 255) {
        packets.push_back(open);
        open.clear();
      }
    }
    pos = body;
  }
  return packets;
}

//! Some bytes standing in for encoded audio packets.
inline std::vector<std::string> audioPackets(std::size_t count = 3)
{
  std::vector<std::string> packets;
  for(std::size_t i = 0; i < count; ++i)
    packets.push_back(std::string(38, static_cast<char>('a' + i)));
  return packets;
}

//! A whole stream: header page, comment page, one audio page ending at \a lastGranule.
inline std::string speexStream(const std::string &header, const std::string &comment,
                               std::int64_t lastGranule = 16000, std::int64_t firstGranule = 0)
{
  return oggPage({header}, firstGranule, 0, FirstPage) +
         oggPage({comment}, 0, 1) +
         oggPage(audioPackets(), lastGranule, 2, LastPage);
}

inline std::string speexStream(const SpeexHeaderFields &fields = SpeexHeaderFields(),
                               std::int64_t lastGranule = 16000)
{
  return speexStream(speexHeader(fields),
                     commentPacket("Built", {"TITLE=Built title", "ARTIST=Built artist"}),
                     lastGranule);
}

} // namespace brenvo_test

#endif
