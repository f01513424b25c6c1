#ifndef BRENVO_TEST_RMCHUNKS_H
#define BRENVO_TEST_RMCHUNKS_H

// Builds RealMedia chunks and whole files in code.

#include <cstdint>
#include <string>
#include <vector>

#include "bytebuilder.h"

namespace rmtest {

using brenvo_test::ByteBuilder;

//! A chunk: its id, a size counting the whole chunk, then \a body.
inline ByteBuilder chunk(const std::string &id, const ByteBuilder &body)
{
  ByteBuilder b;
  b.text(id).be32(static_cast<std::uint32_t>(8 + body.size())).append(body);
  return b;
}

//! A chunk whose size field says \a declared whatever the body's length.
inline ByteBuilder chunkDeclaring(const std::string &id, std::uint32_t declared, const ByteBuilder &body)
{
  ByteBuilder b;
  b.text(id).be32(declared).append(body);
  return b;
}

inline ByteBuilder rmf(std::uint16_t version = 0, std::uint32_t fileVersion = 0, std::uint32_t headers = 5)
{
  ByteBuilder body;
  body.be16(version).be32(fileVersion).be32(headers);
  return chunk(".RMF", body);
}

struct PropFields
{
  std::uint16_t version = 0;
  std::uint32_t maxBitRate = 70000;
  std::uint32_t avgBitRate = 64000;
  std::uint32_t maxPacket = 1024;
  std::uint32_t avgPacket = 512;
  std::uint32_t packets = 100;
  std::uint32_t duration = 2020;
  std::uint32_t preroll = 10;
  std::uint32_t indexOffset = 0;
  std::uint32_t dataOffset = 300;
  std::uint16_t streams = 1;
  std::uint16_t flags = 3;
};

inline ByteBuilder prop(const PropFields &f = PropFields())
{
  ByteBuilder body;
  body.be16(f.version).be32(f.maxBitRate).be32(f.avgBitRate).be32(f.maxPacket).be32(f.avgPacket)
      .be32(f.packets).be32(f.duration).be32(f.preroll).be32(f.indexOffset).be32(f.dataOffset)
      .be16(f.streams).be16(f.flags);
  return chunk("PROP", body);
}

inline ByteBuilder prop(std::uint32_t duration, std::uint32_t avgBitRate)
{
  PropFields f;
  f.duration = duration;
  f.avgBitRate = avgBitRate;
  return prop(f);
}

//! The body of an "MDPR" chunk with the given texts and type-specific data.
inline ByteBuilder mdprBody(const std::string &name, const std::string &mime, const ByteBuilder &typeSpecific,
                            std::uint16_t stream = 0, std::uint16_t version = 0)
{
  ByteBuilder body;
  body.be16(version).be16(stream).be32(64000).be32(60000).be32(1024).be32(512).be32(0).be32(10).be32(2020)
      .u8(static_cast<std::uint8_t>(name.size())).text(name)
      .u8(static_cast<std::uint8_t>(mime.size())).text(mime)
      .be32(static_cast<std::uint32_t>(typeSpecific.size())).append(typeSpecific);
  return body;
}

inline ByteBuilder mdpr(const std::string &name = "Audio Stream", const std::string &mime = "audio/x-pn-realaudio",
                        const ByteBuilder &typeSpecific = ByteBuilder().text(".ra\xfd"), std::uint16_t stream = 0,
                        std::uint16_t version = 0)
{
  return chunk("MDPR", mdprBody(name, mime, typeSpecific, stream, version));
}

inline ByteBuilder contBody(const std::string &title, const std::string &author, const std::string &copyright,
                            const std::string &comment, std::uint16_t version = 0)
{
  ByteBuilder body;
  body.be16(version);
  for(const std::string *s : {&title, &author, &copyright, &comment})
    body.be16(static_cast<std::uint16_t>(s->size())).text(*s);
  return body;
}

inline ByteBuilder cont(const std::string &title = "Cont Title", const std::string &author = "Cont Author",
                        const std::string &copyright = "Cont Copyright", const std::string &comment = "Cont Comment",
                        std::uint16_t version = 0)
{
  return chunk("CONT", contBody(title, author, copyright, comment, version));
}

//! A data chunk with \a payload bytes of media data.
inline ByteBuilder data(std::size_t payload = 32)
{
  ByteBuilder body;
  body.be16(0).be32(1).be32(0).fill(payload > 10 ? payload - 10 : 0, 0x55);
  return chunk("DATA", body);
}

//! A 128-byte ID3v1.1 tag.
inline ByteBuilder id3v1(const std::string &title, const std::string &artist, const std::string &album,
                         const std::string &year, const std::string &comment, std::uint8_t track, std::uint8_t genre)
{
  auto field = [](ByteBuilder &b, const std::string &s, std::size_t n) {
    const std::string cut = s.substr(0, n);
    b.text(cut).fill(n - cut.size());
  };
  ByteBuilder b;
  b.text("TAG");
  field(b, title, 30);
  field(b, artist, 30);
  field(b, album, 30);
  field(b, year, 4);
  field(b, comment, 28);
  b.u8(0).u8(track).u8(genre);
  return b;
}

/*!
 * A metadata property record: seven words, the name, the value (length and
 * bytes) and the sub-property table, followed by the sub-records. Offsets count
 * from the record's first byte. With \a reversed the sub-records are laid out
 * in reverse order, so only their table offsets find them.
 */
struct MdProp
{
  std::string name;
  std::string value;
  std::uint32_t type = 2;
  std::uint32_t flags = 0;
  std::vector<MdProp> subs;
  bool reversed = false;

  ByteBuilder bytes() const
  {
    std::vector<ByteBuilder> rendered;
    for(const MdProp &s : subs)
      rendered.push_back(s.bytes());
    const std::uint32_t valueOffset = static_cast<std::uint32_t>(28 + name.size());
    const std::uint32_t tableOffset = static_cast<std::uint32_t>(valueOffset + 4 + value.size());
    std::uint32_t next = static_cast<std::uint32_t>(tableOffset + 8 * subs.size());
    std::vector<std::uint32_t> offsets(subs.size());
    for(std::size_t j = 0; j < subs.size(); ++j) {
      const std::size_t i = reversed ? subs.size() - 1 - j : j;
      offsets[i] = next;
      next += static_cast<std::uint32_t>(rendered[i].size());
    }
    ByteBuilder b;
    b.be32(next).be32(type).be32(flags).be32(valueOffset).be32(tableOffset)
        .be32(static_cast<std::uint32_t>(subs.size())).be32(static_cast<std::uint32_t>(name.size()))
        .text(name).be32(static_cast<std::uint32_t>(value.size())).text(value);
    for(std::size_t i = 0; i < subs.size(); ++i)
      b.be32(offsets[i]).be32(static_cast<std::uint32_t>(100 + i));
    for(std::size_t j = 0; j < subs.size(); ++j)
      b.append(rendered[reversed ? subs.size() - 1 - j : j]);
    return b;
  }
};

inline ByteBuilder rmmd(const ByteBuilder &root, std::uint32_t first = 0x524a4d44, std::uint32_t second = 0x10000)
{
  ByteBuilder body;
  body.be32(first).be32(second).append(root);
  return chunk("RMMD", body);
}

//! A name-value property of a logical stream, object version 0.
inline ByteBuilder nameValue(const std::string &name, std::uint32_t type, const std::string &value)
{
  ByteBuilder b;
  b.beginSized().be16(0).u8(static_cast<std::uint8_t>(name.size())).text(name).be32(type)
      .be16(static_cast<std::uint16_t>(value.size())).text(value).end();
  return b;
}

//! A logical stream record with the given physical streams, rules and properties.
inline ByteBuilder logicalStream(const std::vector<std::uint16_t> &streams, const std::vector<std::uint32_t> &offsets,
                                 const std::vector<std::uint16_t> &rules, const std::vector<ByteBuilder> &props,
                                 std::uint16_t version = 0)
{
  ByteBuilder b;
  b.beginSized().be16(version).be16(static_cast<std::uint16_t>(streams.size()));
  for(auto s : streams)
    b.be16(s);
  for(auto o : offsets)
    b.be32(o);
  b.be16(static_cast<std::uint16_t>(rules.size()));
  for(auto r : rules)
    b.be16(r);
  b.be16(static_cast<std::uint16_t>(props.size()));
  for(const auto &p : props)
    b.append(p);
  b.end();
  return b;
}

//! .RMF, PROP, MDPR, CONT and DATA: the header chunks of a plain audio file.
inline ByteBuilder plainFile()
{
  ByteBuilder b;
  b.append(rmf()).append(prop()).append(mdpr()).append(cont()).append(data());
  return b;
}

} // namespace rmtest

#endif
