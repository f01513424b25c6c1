#include "asfbuilder.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace asf_test {

namespace {

std::string bytes(std::initializer_list<int> v)
{
  return ByteBuilder().raw(v).str();
}

std::string filePropertiesGuid() { return bytes({0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11, 0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}); }
std::string streamPropertiesGuid() { return bytes({0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11, 0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}); }
std::string headerExtensionGuid() { return bytes({0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11, 0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}); }
std::string metadataGuid() { return bytes({0xEA, 0xCB, 0xF8, 0xC5, 0xAF, 0x5B, 0x77, 0x48, 0x84, 0x67, 0xAA, 0x8C, 0x44, 0xFA, 0x4C, 0xCA}); }
std::string metadataLibraryGuid() { return bytes({0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49, 0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54}); }
std::string dataGuid() { return bytes({0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}); }

} // namespace

std::string le16(std::uint16_t v) { return ByteBuilder().le16(v).str(); }
std::string le32(std::uint32_t v) { return ByteBuilder().le32(v).str(); }
std::string le64(std::uint64_t v) { return ByteBuilder().le64(v).str(); }

std::string headerGuid() { return bytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}); }
std::string contentDescriptionGuid() { return bytes({0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}); }
std::string extendedContentDescriptionGuid() { return bytes({0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11, 0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50}); }
std::string audioMediaGuid() { return bytes({0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11, 0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B}); }
std::string videoMediaGuid() { return bytes({0xC0, 0xEF, 0x19, 0xBC, 0x4D, 0x5B, 0xCF, 0x11, 0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B}); }

std::string unknownGuid(int seed)
{
  std::string g(16, '\0');
  for(int i = 0; i < 16; ++i)
    g[static_cast<std::size_t>(i)] = static_cast<char>(0xA0 + seed * 7 + i);
  return g;
}

std::string utf16(const std::string &ascii, bool terminated)
{
  std::string out;
  for(char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  if(terminated)
    out.append(2, '\0');
  return out;
}

std::string object(const std::string &guid, const std::string &body)
{
  return guid + le64(24 + body.size()) + body;
}

std::string header(const std::vector<std::string> &objects, long countOverride)
{
  std::string all;
  for(const std::string &o : objects)
    all += o;
  const std::uint32_t count = countOverride >= 0 ? static_cast<std::uint32_t>(countOverride)
                                                 : static_cast<std::uint32_t>(objects.size());
  return headerGuid() + le64(30 + all.size()) + le32(count) + bytes({0x01, 0x02}) + all;
}

std::string audioTail()
{
  // A data object with a recognisable, non-repeating body.
  std::string body = ByteBuilder().fill(16, 0x11).le64(0).le16(0x0101).str();
  for(int i = 0; i < 300; ++i)
    body.push_back(static_cast<char>((i * 37 + 11) & 0xFF));
  return object(dataGuid(), body);
}

std::string file(const std::vector<std::string> &objects)
{
  return header(objects) + audioTail();
}

std::string fileProperties(std::int64_t playDuration100ns, std::int64_t prerollMs)
{
  ByteBuilder b;
  b.append(unknownGuid(1))               // file id
    .le64(0)                             // file size
    .le64(0)                             // creation date
    .le64(1)                             // data packets
    .le64(static_cast<std::uint64_t>(playDuration100ns))
    .le64(0)                             // send duration
    .le64(static_cast<std::uint64_t>(prerollMs))
    .le32(2)                             // flags
    .le32(1000).le32(1000).le32(64000);  // packet sizes, bit rate
  return object(filePropertiesGuid(), b.str());
}

std::string streamProperties(const std::string &streamType, int channels, std::uint32_t sampleRate,
                             std::uint32_t bytesPerSecond)
{
  ByteBuilder b;
  b.append(streamType)
    .fill(16, 0x50)                  // error correction type
    .le64(0)                         // time offset
    .le32(18).le32(0)                // type-specific and error correction lengths
    .le16(1).le32(0)                 // flags, reserved
    .le16(0x0161)                    // codec id
    .le16(static_cast<std::uint16_t>(channels))
    .le32(sampleRate)
    .le32(bytesPerSecond)
    .le16(1000).le16(16).le16(0);
  return object(streamPropertiesGuid(), b.str());
}

std::string contentDescription(const std::string &title, const std::string &author,
                               const std::string &copyright, const std::string &description,
                               const std::string &rating)
{
  std::string lengths;
  std::string texts;
  for(const std::string *t : {&title, &author, &copyright, &description, &rating}) {
    const std::string u = utf16(*t);
    lengths += le16(static_cast<std::uint16_t>(u.size()));
    texts += u;
  }
  return object(contentDescriptionGuid(), lengths + texts);
}

std::string record0(const std::string &name, int type, const std::string &value)
{
  const std::string n = utf16(name);
  return le16(static_cast<std::uint16_t>(n.size())) + n + le16(static_cast<std::uint16_t>(type)) +
         le16(static_cast<std::uint16_t>(value.size())) + value;
}

std::string record12(int first, int stream, const std::string &name, int type, const std::string &value)
{
  const std::string n = utf16(name);
  return le16(static_cast<std::uint16_t>(first)) + le16(static_cast<std::uint16_t>(stream)) +
         le16(static_cast<std::uint16_t>(n.size())) + le16(static_cast<std::uint16_t>(type)) +
         le32(static_cast<std::uint32_t>(value.size())) + n + value;
}

std::string attributeList(const std::vector<std::string> &records)
{
  std::string body = le16(static_cast<std::uint16_t>(records.size()));
  for(const std::string &r : records)
    body += r;
  return body;
}

std::string extendedContentDescription(const std::vector<std::string> &records)
{
  return object(extendedContentDescriptionGuid(), attributeList(records));
}

std::string metadata(const std::vector<std::string> &records)
{
  return object(metadataGuid(), attributeList(records));
}

std::string metadataLibrary(const std::vector<std::string> &records)
{
  return object(metadataLibraryGuid(), attributeList(records));
}

std::string headerExtension(const std::vector<std::string> &nested, long dataSizeOverride)
{
  std::string all;
  for(const std::string &o : nested)
    all += o;
  const std::uint32_t size = dataSizeOverride >= 0 ? static_cast<std::uint32_t>(dataSizeOverride)
                                                   : static_cast<std::uint32_t>(all.size());
  const std::string reserved = bytes({0x11, 0xD2, 0xD3, 0xAB, 0xBA, 0xA9, 0xCF, 0x11, 0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65});
  return object(headerExtensionGuid(), reserved + le16(6) + le32(size) + all);
}

std::uint64_t le(const std::string &b, std::size_t offset, int width)
{
  if(offset + static_cast<std::size_t>(width) > b.size())
    throw std::out_of_range("le: beyond the data");
  std::uint64_t v = 0;
  for(int i = width - 1; i >= 0; --i)
    v = (v << 8) | static_cast<unsigned char>(b[offset + static_cast<std::size_t>(i)]);
  return v;
}

std::string tailAfterHeader(const std::string &b)
{
  return b.substr(static_cast<std::size_t>(le(b, 16, 8)));
}

std::unique_ptr<TagLib::ASF::File> open(const std::string &path)
{
  return std::make_unique<TagLib::ASF::File>(path.c_str());
}

const TagLib::ASF::Attribute &only(TagLib::ASF::File &f, const char *name)
{
  static const TagLib::ASF::Attribute none;
  auto &map = f.tag()->attributeListMap();
  if(!map.contains(name) || map[name].size() != 1) {
    ADD_FAILURE() << "expected exactly one attribute " << name;
    return none;
  }
  return map[name].front();
}

} // namespace asf_test
