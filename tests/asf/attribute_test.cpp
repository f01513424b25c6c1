// Attribute values: numeric views, sharing, and the value bytes per type and kind.
#include <gtest/gtest.h>

#include "asf/asfattribute.h"
#include "asfbuilder.h"

using TagLib::ByteVector;
using TagLib::String;
using TagLib::ASF::Attribute;
using namespace asf_test;

TEST(AsfAttribute, NumericViewsAreDefinedForEveryType)
{
  struct Case
  {
    Attribute a;
    unsigned long long q;
    unsigned int d;
    unsigned short w;
    bool b;
  };
  // Non-numeric types read as zero; numbers are widened or truncated to the view.
  const Case cases[] = {
    {Attribute(String("123")), 0, 0, 0, false},
    {Attribute(ByteVector("\x01\x02\x03\x04", 4)), 0, 0, 0, false},
    {Attribute(), 0, 0, 0, false},
    {Attribute(0x100000002ull), 0x100000002ull, 2, 2, true},
    {Attribute(0x12345u), 0x12345u, 0x12345u, 0x2345u, true},
    {Attribute(static_cast<unsigned short>(0xFFFF)), 0xFFFF, 0xFFFF, 0xFFFF, true},
    {Attribute(true), 1, 1, 1, true},
    {Attribute(false), 0, 0, 0, false},
    {Attribute(0u), 0, 0, 0, false},
  };
  for(const Case &c : cases) {
    SCOPED_TRACE(c.q);
    EXPECT_EQ(c.a.toULongLong(), c.q);
    EXPECT_EQ(c.a.toUInt(), c.d);
    EXPECT_EQ(c.a.toUShort(), c.w);
    EXPECT_EQ(c.a.toBool(), c.b);
  }
  // No conversion between text and number.
  EXPECT_TRUE(Attribute(5u).toString().isEmpty());
}

TEST(AsfAttribute, CopiesShareOneRecord)
{
  Attribute source(String("a"));
  Attribute copy;
  copy = source;
  source.setStream(3);
  source.setLanguage(2);
  EXPECT_EQ(copy.stream(), 3);
  EXPECT_EQ(copy.language(), 2);
  Attribute constructed(source);
  EXPECT_EQ(constructed.stream(), 3);

  Attribute &alias = copy;
  copy = alias;  // self-assignment keeps the value
  EXPECT_EQ(copy.toString(), "a");

  // Re-assigning releases the old record without touching other holders.
  copy = Attribute(7u);
  EXPECT_EQ(copy.type(), Attribute::DWord);
  EXPECT_EQ(constructed.toString(), "a");
}

TEST(AsfAttribute, ValueBytesPerTypeAndKind)
{
  const struct
  {
    Attribute a;
    int kind;
    std::string bytes;
  } cases[] = {
    {Attribute(true), 0, std::string("\x01\x00\x00\x00", 4)},  // a DWORD in kind 0, a WORD elsewhere
    {Attribute(true), 1, std::string("\x01\x00", 2)},
    {Attribute(true), 2, std::string("\x01\x00", 2)},
    {Attribute(false), 0, std::string(4, '\0')},
    {Attribute(0x01020304u), 0, "\x04\x03\x02\x01"},
    {Attribute(0x0102030405060708ull), 2, "\x08\x07\x06\x05\x04\x03\x02\x01"},
    {Attribute(static_cast<unsigned short>(0x0102)), 1, "\x02\x01"},
    {Attribute(String()), 0, std::string(2, '\0')},
  };
  for(const auto &c : cases) {
    const ByteVector v = c.a.renderValue(c.kind);
    EXPECT_EQ(std::string(v.data(), v.size()), c.bytes) << c.a.type() << " kind " << c.kind;
  }
}
