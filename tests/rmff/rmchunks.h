#ifndef BRENVO_TEST_RMCHUNKS_H
#define BRENVO_TEST_RMCHUNKS_H

// Builds RealMedia chunks and whole files in code.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "bytebuilder.h"

namespace rmtest {

using brenvo_test::ByteBuilder;

//! The parts one after the other.
inline ByteBuilder cat(std::initializer_list<ByteBuilder> parts)
{
  ByteBuilder b;
  for(const ByteBuilder &p : parts)
    b.append(p);
  return b;
}

//! A chunk whose size field says \a declared whatever the body's length.
inline ByteBuilder chunkDeclaring(const std::string &id, std::uint32_t declared, const ByteBuilder &body)
{
  return ByteBuilder().text(id).be32(declared).append(body);
}

//! A chunk: its id, a size counting the whole chunk, then \a body.
inline ByteBuilder chunk(const std::string &id, const ByteBuilder &body)
{
  return chunkDeclaring(id, static_cast<std::uint32_t>(8 + body.size()), body);
}

inline ByteBuilder rmf(std::uint16_t version = 0)
{
  return chunk(".RMF", ByteBuilder().be16(version).be32(0).be32(5));
}

inline ByteBuilder prop(std::uint32_t duration = 2020, std::uint32_t avgBitRate = 64000, std::uint16_t version = 0)
{
  ByteBuilder body;
  body.be16(version).be32(70000).be32(avgBitRate).be32(1024).be32(512).be32(100).be32(duration).be32(10).be32(0)
      .be32(300).be16(1).be16(3);
  return chunk("PROP", body);
}

//! A media properties chunk with the given texts and type-specific data.
inline ByteBuilder mdpr(const std::string &name = "Audio Stream", const std::string &mime = "audio/x-pn-realaudio",
                        const ByteBuilder &typeSpecific = ByteBuilder().text(".ra\xfd"), std::uint16_t version = 0)
{
  ByteBuilder body;
  body.be16(version).be16(0).be32(64000).be32(60000).be32(1024).be32(512).be32(0).be32(10).be32(2020)
      .u8(static_cast<std::uint8_t>(name.size())).text(name)
      .u8(static_cast<std::uint8_t>(mime.size())).text(mime)
      .be32(static_cast<std::uint32_t>(typeSpecific.size())).append(typeSpecific);
  return chunk("MDPR", body);
}

inline ByteBuilder cont(const std::string &title = "Cont Title", const std::string &author = "Cont Author",
                        const std::string &copyright = "Cont Copyright", const std::string &comment = "Cont Comment",
                        std::uint16_t version = 0)
{
  ByteBuilder body;
  body.be16(version);
  for(const std::string *s : {&title, &author, &copyright, &comment})
    body.be16(static_cast<std::uint16_t>(s->size())).text(*s);
  return chunk("CONT", body);
}

//! A data chunk with \a payload bytes of media data.
inline ByteBuilder data(std::size_t payload = 32)
{
  return chunk("DATA", ByteBuilder().be16(0).be32(1).be32(0).fill(payload > 10 ? payload - 10 : 0, 0x55));
}

//! A 128-byte ID3v1.1 tag.
inline ByteBuilder id3v1(const std::string &title, const std::string &artist = "", const std::string &album = "",
                         const std::string &year = "", const std::string &comment = "", std::uint8_t track = 0,
                         std::uint8_t genre = 255)
{
  ByteBuilder b;
  b.text("TAG");
  const std::pair<const std::string *, std::size_t> fields[] = {
      {&title, 30}, {&artist, 30}, {&album, 30}, {&year, 4}, {&comment, 28}};
  for(const auto &f : fields) {
    const std::string cut = f.first->substr(0, f.second);
    b.text(cut).fill(f.second - cut.size());
  }
  return b.u8(0).u8(track).u8(genre);
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
  std::vector<MdProp> subs;
  bool reversed = false;

  ByteBuilder bytes() const
  {
    const std::size_t n = subs.size();
    std::vector<ByteBuilder> rendered;
    for(const MdProp &s : subs)
      rendered.push_back(s.bytes());
    const auto valueOffset = static_cast<std::uint32_t>(28 + name.size());
    const auto tableOffset = static_cast<std::uint32_t>(valueOffset + 4 + value.size());
    auto next = static_cast<std::uint32_t>(tableOffset + 8 * n);
    std::vector<std::uint32_t> offsets(n);
    for(std::size_t j = 0; j < n; ++j) {
      const std::size_t i = reversed ? n - 1 - j : j;
      offsets[i] = next;
      next += static_cast<std::uint32_t>(rendered[i].size());
    }
    ByteBuilder b;
    b.be32(next).be32(type).be32(0).be32(valueOffset).be32(tableOffset).be32(static_cast<std::uint32_t>(n))
        .be32(static_cast<std::uint32_t>(name.size())).text(name).be32(static_cast<std::uint32_t>(value.size()))
        .text(value);
    for(std::size_t i = 0; i < n; ++i)
      b.be32(offsets[i]).be32(static_cast<std::uint32_t>(100 + i));
    for(std::size_t j = 0; j < n; ++j)
      b.append(rendered[reversed ? n - 1 - j : j]);
    return b;
  }
};

inline ByteBuilder rmmd(const ByteBuilder &root)
{
  return chunk("RMMD", ByteBuilder().be32(0x524a4d44).be32(0x10000).append(root));
}

//! A name-value property of a logical stream, object version 0.
inline ByteBuilder nameValue(const std::string &name, std::uint32_t type, const std::string &value)
{
  ByteBuilder b;
  return b.beginSized().be16(0).u8(static_cast<std::uint8_t>(name.size())).text(name).be32(type)
      .be16(static_cast<std::uint16_t>(value.size())).text(value).end();
}

//! A logical stream record with the given physical streams (number, data offset), rules and properties.
inline ByteBuilder logicalStream(const std::vector<std::pair<std::uint16_t, std::uint32_t>> &streams,
                                 const std::vector<std::uint16_t> &rules, const std::vector<ByteBuilder> &props,
                                 std::uint16_t version = 0)
{
  ByteBuilder b;
  b.beginSized().be16(version).be16(static_cast<std::uint16_t>(streams.size()));
  for(auto s : streams)
    b.be16(s.first);
  for(auto s : streams)
    b.be32(s.second);
  b.be16(static_cast<std::uint16_t>(rules.size()));
  for(auto r : rules)
    b.be16(r);
  b.be16(static_cast<std::uint16_t>(props.size()));
  for(const auto &p : props)
    b.append(p);
  return b.end();
}

//! .RMF, PROP, MDPR, CONT and DATA: the header chunks of a plain audio file.
inline ByteBuilder plainFile()
{
  return cat({rmf(), prop(), mdpr(), cont(), data()});
}

} // namespace rmtest

#endif
