#ifndef BRENVO_TEST_ASFBUILDER_H
#define BRENVO_TEST_ASFBUILDER_H

// Builds ASF headers in code, written from the format's layout independently
// of the library's own parser and writer.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "asf/asffile.h"
#include "bytebuilder.h"

namespace asf_test {

using brenvo_test::ByteBuilder;

inline std::string le16(std::uint16_t v) { return ByteBuilder().le16(v).str(); }
inline std::string le32(std::uint32_t v) { return ByteBuilder().le32(v).str(); }
inline std::string le64(std::uint64_t v) { return ByteBuilder().le64(v).str(); }
inline std::string guid(const char (&bytes)[17]) { return std::string(bytes, 16); }

// Object GUIDs in file byte order.
inline const std::string headerGuid = guid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
inline const std::string filePropertiesGuid = guid("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65");
inline const std::string streamPropertiesGuid = guid("\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65");
inline const std::string contentDescriptionGuid = guid("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C");
inline const std::string extendedGuid = guid("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50");
inline const std::string headerExtensionGuid = guid("\xB5\x03\xBF\x5F\x2E\xA9\xCF\x11\x8E\xE3\x00\xC0\x0C\x20\x53\x65");
inline const std::string metadataGuid = guid("\xEA\xCB\xF8\xC5\xAF\x5B\x77\x48\x84\x67\xAA\x8C\x44\xFA\x4C\xCA");
inline const std::string libraryGuid = guid("\x94\x1C\x23\x44\x98\x94\xD1\x49\xA1\x41\x1D\x13\x4E\x45\x70\x54");
inline const std::string audioMediaGuid = guid("\x40\x9E\x69\xF8\x4D\x5B\xCF\x11\xA8\xFD\x00\x80\x5F\x5C\x44\x2B");
inline const std::string videoMediaGuid = guid("\xC0\xEF\x19\xBC\x4D\x5B\xCF\x11\xA8\xFD\x00\x80\x5F\x5C\x44\x2B");
//! A GUID no reader knows.
inline std::string unknownGuid(int seed) { return std::string(16, static_cast<char>(0xA0 + seed)); }

//! UTF-16LE of an ASCII text, with one zero code unit when \a terminated.
inline std::string utf16(const std::string &ascii, bool terminated = true)
{
  std::string out;
  for(char c : ascii)
    out += std::string{c, '\0'};
  return terminated ? out + std::string(2, '\0') : out;
}

inline std::string object(const std::string &id, const std::string &body)
{
  return id + le64(24 + body.size()) + body;
}

inline std::string concat(const std::vector<std::string> &parts)
{
  std::string all;
  for(const std::string &p : parts)
    all += p;
  return all;
}

//! The header object around \a objects, with their count unless \a count is given.
inline std::string header(const std::vector<std::string> &objects, long count = -1)
{
  const std::string all = concat(objects);
  return headerGuid + le64(30 + all.size()) + le32(static_cast<std::uint32_t>(count < 0 ? static_cast<long>(objects.size()) : count)) +
         "\x01\x02" + all;
}

//! A data object standing for the audio after the header.
inline const std::string audioTail = object(guid("\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C"),
                                            "audio packets that no save may touch");
inline std::string file(const std::vector<std::string> &objects) { return header(objects) + audioTail; }

inline std::string fileProperties(std::uint64_t playDuration100ns, std::uint64_t prerollMs)
{
  // File id, size, creation date and packet count; then the durations, flags, packet sizes and bit rate.
  return object(filePropertiesGuid, std::string(40, '\x01') + ByteBuilder().le64(playDuration100ns).le64(0)
                                      .le64(prerollMs).le32(2).le32(1000).le32(1000).le32(64000).str());
}

inline std::string streamProperties(const std::string &type, int channels, std::uint32_t rate, std::uint32_t bytesPerSecond)
{
  // Error correction type, time offset, the two lengths, flags, reserved and codec id before the format.
  return object(streamPropertiesGuid, type + std::string(40, '\x02') + ByteBuilder().le16(static_cast<std::uint16_t>(channels))
                                        .le32(rate).le32(bytesPerSecond).le16(1000).le16(16).le16(0).str());
}

//! The five texts, each with its terminator, as this library writes them.
inline std::string contentDescription(const std::string &title, const std::string &author = "",
                                      const std::string &description = "")
{
  std::string lengths, texts;
  for(const std::string &t : {title, author, std::string(), description, std::string()}) {
    lengths += le16(static_cast<std::uint16_t>(utf16(t).size()));
    texts += utf16(t);
  }
  return object(contentDescriptionGuid, lengths + texts);
}

//! One extended content description record; \a value as it is stored.
inline std::string record0(const std::string &name, int type, const std::string &value)
{
  return le16(static_cast<std::uint16_t>(utf16(name).size())) + utf16(name) + le16(static_cast<std::uint16_t>(type)) +
         le16(static_cast<std::uint16_t>(value.size())) + value;
}

//! One metadata or metadata library record.
inline std::string record12(int first, int stream, const std::string &name, int type, const std::string &value)
{
  return le16(static_cast<std::uint16_t>(first)) + le16(static_cast<std::uint16_t>(stream)) +
         le16(static_cast<std::uint16_t>(utf16(name).size())) + le16(static_cast<std::uint16_t>(type)) +
         le32(static_cast<std::uint32_t>(value.size())) + utf16(name) + value;
}

//! An attribute-list object: WORD count + records.
inline std::string list(const std::string &id, const std::vector<std::string> &records)
{
  return object(id, le16(static_cast<std::uint16_t>(records.size())) + concat(records));
}

//! Nested objects in a header extension; the data length is theirs unless given.
inline std::string headerExtension(const std::vector<std::string> &nested, long dataSize = -1)
{
  const std::string all = concat(nested);
  return object(headerExtensionGuid, guid("\x11\xD2\xD3\xAB\xBA\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65") + le16(6) +
                                       le32(static_cast<std::uint32_t>(dataSize < 0 ? static_cast<long>(all.size()) : dataSize)) + all);
}

inline std::unique_ptr<TagLib::ASF::File> open(const std::string &path)
{
  return std::make_unique<TagLib::ASF::File>(path.c_str());
}

//! The one attribute named \a name; a test failure when there is none or more.
inline TagLib::ASF::Attribute only(TagLib::ASF::File &f, const char *name)
{
  auto &map = f.tag()->attributeListMap();
  const bool one = map.contains(name) && map[name].size() == 1;
  EXPECT_TRUE(one) << "not exactly one attribute " << name;
  return one ? map[name].front() : TagLib::ASF::Attribute();
}

//! An attribute as one comparable line; values over 16 bytes as their size.
inline std::string describe(const TagLib::ASF::Attribute &a)
{
  const TagLib::ByteVector v = a.toByteVector(), hex = v.toHex();
  return std::to_string(a.type()) + " '" + a.toString().to8Bit(true) + "' " +
         (v.size() > 16 ? std::to_string(v.size()) + "#" : std::string(hex.data(), hex.size())) + " " +
         std::to_string(a.toULongLong()) + " s" + std::to_string(a.stream()) + " l" + std::to_string(a.language());
}

} // namespace asf_test

#endif
