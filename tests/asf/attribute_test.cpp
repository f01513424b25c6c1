// Attribute values: types, numeric views, sharing, and the three record layouts.
#include <gtest/gtest.h>

#include "asf/asfattribute.h"
#include "asfbuilder.h"

using TagLib::ByteVector;
using TagLib::String;
using TagLib::ASF::Attribute;
using namespace asf_test;

namespace {

std::string str(const ByteVector &v)
{
  return std::string(v.data(), v.size());
}

} // namespace

TEST(AsfAttribute, NumericViewsAreDefinedForEveryType)
{
  // Non-numeric types read as zero in every view.
  for(const Attribute &a : {Attribute(String("123")), Attribute(ByteVector("\x01\x02\x03\x04", 4)), Attribute()}) {
    EXPECT_EQ(a.toUInt(), 0u);
    EXPECT_EQ(a.toUShort(), 0u);
    EXPECT_EQ(a.toULongLong(), 0u);
    EXPECT_FALSE(a.toBool());
  }
  // Numbers are widened or truncated to the view.
  const Attribute q(0x100000002ull);
  EXPECT_EQ(q.toULongLong(), 0x100000002ull);
  EXPECT_EQ(q.toUInt(), 2u);
  EXPECT_EQ(q.toUShort(), 2u);
  EXPECT_TRUE(q.toBool());
  const Attribute d(0x12345u);
  EXPECT_EQ(d.toULongLong(), 0x12345u);
  EXPECT_EQ(d.toUShort(), 0x2345u);
  const Attribute w(static_cast<unsigned short>(0xFFFF));
  EXPECT_EQ(w.toUInt(), 0xFFFFu);
  EXPECT_EQ(Attribute(true).toUInt(), 1u);
  EXPECT_FALSE(Attribute(false).toBool());
  EXPECT_FALSE(Attribute(0u).toBool());
  EXPECT_TRUE(Attribute(5u).toBool());
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
  EXPECT_EQ(source.toString(), "a");
  EXPECT_EQ(constructed.toString(), "a");
}

TEST(AsfAttribute, ValueBytesPerTypeAndKind)
{
  EXPECT_EQ(str(Attribute(true).renderValue(0)), std::string("\x01\x00\x00\x00", 4));
  EXPECT_EQ(str(Attribute(true).renderValue(1)), std::string("\x01\x00", 2));
  EXPECT_EQ(str(Attribute(true).renderValue(2)), std::string("\x01\x00", 2));
  EXPECT_EQ(str(Attribute(false).renderValue(0)), std::string(4, '\0'));
  EXPECT_EQ(str(Attribute(0x01020304u).renderValue(0)), "\x04\x03\x02\x01");
  EXPECT_EQ(str(Attribute(0x0102030405060708ull).renderValue(2)), "\x08\x07\x06\x05\x04\x03\x02\x01");
  EXPECT_EQ(str(Attribute(static_cast<unsigned short>(0x0102)).renderValue(1)), "\x02\x01");
  EXPECT_EQ(str(Attribute(String("ab")).renderValue(0)), utf16("ab"));
  EXPECT_EQ(Attribute(String("ab")).renderValue(0).size(), 6u);
  EXPECT_EQ(str(Attribute(String()).renderValue(0)), std::string(2, '\0'));
  EXPECT_EQ(str(Attribute(ByteVector("\x00\xff", 2)).renderValue(0)), std::string("\x00\xff", 2));
}

TEST(AsfAttribute, RecordLayouts)
{
  Attribute a(String("ab"));
  // Kind 0: WORD name length (terminator included), name, WORD type, WORD value length, value.
  const std::string kind0 = str(a.render("N", 0));
  EXPECT_EQ(kind0, record0("N", 0, utf16("ab")));
  EXPECT_EQ(kind0.size(), 2u + 4u + 2u + 2u + 6u);

  a.setStream(2);
  a.setLanguage(5);
  // Kind 1 writes 0 where kind 2 writes the language.
  EXPECT_EQ(str(a.render("N", 1)), record12(0, 2, "N", 0, utf16("ab")));
  EXPECT_EQ(str(a.render("N", 2)), record12(5, 2, "N", 0, utf16("ab")));

  const Attribute flag(true);
  EXPECT_EQ(str(flag.render("B", 0)), record0("B", 2, std::string("\x01\x00\x00\x00", 4)));
  EXPECT_EQ(str(flag.render("B", 2)), record12(0, 0, "B", 2, std::string("\x01\x00", 2)));

  // An empty name still carries its terminator.
  EXPECT_EQ(str(Attribute(1u).render("", 0)), record0("", 3, std::string("\x01\x00\x00\x00", 4)));
}
