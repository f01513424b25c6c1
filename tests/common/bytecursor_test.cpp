#include <gtest/gtest.h>

#include <functional>

#include "bytebuilder.h"
#include "common/bytecursor.h"

using TagLib::ByteCursor;
using TagLib::ByteVector;

namespace {

TEST(ByteCursor, ReadsIntegersInBothByteOrdersAndAnyWidth)
{
  ByteCursor c(brenvo_test::ByteBuilder().u8(0xAB).be16(0x1234).le16(0x1234).be24(0x123456).be32(0x89ABCDEF)
                 .le32(0x89ABCDEF).be64(0x0102030405060708ULL).le64(0x0102030405060708ULL).vector());
  EXPECT_EQ(c.u8(), 0xABu);
  EXPECT_EQ(c.u16be(), 0x1234u);
  EXPECT_EQ(c.u16le(), 0x1234u);
  EXPECT_EQ(c.u24be(), 0x123456u);
  EXPECT_EQ(c.u32be(), 0x89ABCDEFu);
  EXPECT_EQ(c.u32le(), 0x89ABCDEFu);
  EXPECT_EQ(c.u64be(), 0x0102030405060708ULL);
  EXPECT_EQ(c.u64le(), 0x0102030405060708ULL);
  EXPECT_TRUE(c.ok() && c.atEnd());

  const ByteVector bytes("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9);
  ByteCursor big(bytes), little(bytes);
  EXPECT_EQ(big.uintBE(3), 0x010203u);
  EXPECT_EQ(little.uintLE(3), 0x030201u);
  EXPECT_EQ(big.uintBE(6), 0x040506070809u);
  EXPECT_EQ(little.uintLE(6), 0x090807060504u);
  EXPECT_EQ(ByteCursor(bytes).uintBE(8), 0x0102030405060708ULL);
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
  EXPECT_EQ(record.u16be(), 0xAABBu);
  EXPECT_EQ(record.u8(), 0u);  // the next byte belongs to the outer cursor
  EXPECT_FALSE(record.ok());
  EXPECT_EQ(outer.u8(), 0xCCu);
  EXPECT_TRUE(outer.ok());
}

TEST(ByteCursor, OversizedLengthsFailWithoutReading)
{
  const std::function<bool(ByteCursor &)> tooLong[] = {
    [](ByteCursor &c) { return c.sub(6).remaining() == 0; },
    [](ByteCursor &c) { return c.bytes(6).isEmpty(); },
    [](ByteCursor &c) { return c.bytes(~std::size_t(0)).isEmpty(); },
    [](ByteCursor &c) { return !c.skip(6); },
    [](ByteCursor &c) { return !c.seek(6); },
  };
  for(const auto &read : tooLong) {
    ByteCursor c(ByteVector("12345", 5));
    EXPECT_TRUE(read(c));
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
