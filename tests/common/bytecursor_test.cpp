#include <gtest/gtest.h>

#include "bytebuilder.h"
#include "common/bytecursor.h"

using TagLib::ByteCursor;
using TagLib::ByteVector;

namespace {

ByteVector bytesOf(const brenvo_test::ByteBuilder &b)
{
  const std::string s = b.str();
  return ByteVector(s.data(), static_cast<unsigned int>(s.size()));
}

TEST(ByteCursor, ReadsIntegersInBothByteOrders)
{
  ByteCursor c(bytesOf(brenvo_test::ByteBuilder().u8(0xAB).be16(0x1234).le16(0x1234).be24(0x123456)
                         .be32(0x89ABCDEF).le32(0x89ABCDEF).be64(0x0102030405060708ULL).le64(0x0102030405060708ULL)));
  EXPECT_EQ(c.u8(), 0xABu);
  EXPECT_EQ(c.u16be(), 0x1234u);
  EXPECT_EQ(c.u16le(), 0x1234u);
  EXPECT_EQ(c.u24be(), 0x123456u);
  EXPECT_EQ(c.u32be(), 0x89ABCDEFu);
  EXPECT_EQ(c.u32le(), 0x89ABCDEFu);
  EXPECT_EQ(c.u64be(), 0x0102030405060708ULL);
  EXPECT_EQ(c.u64le(), 0x0102030405060708ULL);
  EXPECT_TRUE(c.ok());
  EXPECT_TRUE(c.atEnd());
}

TEST(ByteCursor, ReadsNumbersOfAnyWidthUpToEightBytes)
{
  const ByteVector bytes("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9);
  struct Case { std::size_t width; std::uint64_t be, le; };
  for(const Case &k : {Case{1, 0x01, 0x01}, Case{3, 0x010203, 0x030201}, Case{8, 0x0102030405060708ULL, 0x0807060504030201ULL}}) {
    ByteCursor big(bytes), little(bytes);
    EXPECT_EQ(big.uintBE(k.width), k.be);
    EXPECT_EQ(little.uintLE(k.width), k.le);
    EXPECT_EQ(big.position(), k.width);
  }
  ByteCursor tooWide(bytes);
  EXPECT_EQ(tooWide.uintBE(9), 0u);
  EXPECT_FALSE(tooWide.ok());
}

TEST(ByteCursor, FirstFailureIsStickyAndNothingIsReadPastTheEnd)
{
  ByteCursor c(ByteVector("\x01\x02\x03", 3));
  EXPECT_EQ(c.u32be(), 0u);  // 3 bytes left
  EXPECT_FALSE(c.ok());
  EXPECT_EQ(c.u8(), 0u);     // would fit, but the cursor has failed
  EXPECT_TRUE(c.bytes(1).isEmpty());
  EXPECT_EQ(c.remaining(), 0u);
}

TEST(ByteCursor, TextStopsAtTheFirstZeroAndSkipsTheWholeField)
{
  ByteCursor c(ByteVector("ab\0cdXY", 7));
  EXPECT_EQ(c.text(5), "ab");
  EXPECT_EQ(c.text(2), "XY");
  EXPECT_TRUE(c.ok());
}

TEST(ByteCursor, SubCursorIsBoundedByItsRecord)
{
  ByteCursor outer(ByteVector("\x00\x02\xAA\xBB\xCC", 5));
  ByteCursor record = outer.sub(outer.u16be());
  EXPECT_EQ(record.size(), 2u);
  EXPECT_EQ(record.u16be(), 0xAABBu);
  EXPECT_EQ(record.u8(), 0u);  // the next byte belongs to the outer cursor
  EXPECT_FALSE(record.ok());
  EXPECT_EQ(outer.u8(), 0xCCu);
  EXPECT_TRUE(outer.ok());
}

TEST(ByteCursor, OversizedLengthsFailWithoutReading)
{
  struct Case { const char *what; std::size_t count; };
  for(const Case &k : {Case{"sub", 6}, Case{"bytes", 6}, Case{"skip", 6}, Case{"seek", 6}, Case{"huge", ~std::size_t(0)}}) {
    SCOPED_TRACE(k.what);
    ByteCursor c(ByteVector("12345", 5));
    const std::string what = k.what;
    if(what == "sub")
      EXPECT_EQ(c.sub(k.count).remaining(), 0u);
    else if(what == "bytes" || what == "huge")
      EXPECT_TRUE(c.bytes(k.count).isEmpty());
    else if(what == "skip")
      EXPECT_FALSE(c.skip(k.count));
    else
      EXPECT_FALSE(c.seek(k.count));
    EXPECT_FALSE(c.ok());
  }
}

TEST(ByteCursor, SharesTheBytesBeyondTheSourceVectorsLife)
{
  ByteCursor c;
  {
    ByteVector temporary("\x12\x34", 2);
    c = ByteCursor(temporary);
  }
  EXPECT_EQ(c.u16be(), 0x1234u);
}

} // namespace
