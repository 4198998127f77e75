// The position-addressed accessors of the work buffers.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/shared_buffer.h"
#include "core/state.h"

namespace vek {
namespace {

class SharedBufferTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgramState(); }

  // SharedBuffer positions first..first + count - 1.
  static std::vector<uint8_t> Bytes(int first, int count) {
    const auto begin = SharedBuffer.begin() + (first - 1);
    return {begin, begin + count};
  }
  static void Load(int first, const std::vector<uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), SharedBuffer.begin() + (first - 1));
  }
};

TEST_F(SharedBufferTest, NumbersAreStoredHighByteFirst) {
  PutWord(1, 0x1234);
  PutDWord(3, -2);
  PutDWord(7, 0x01020304);
  EXPECT_EQ(Bytes(1, 10), (std::vector<uint8_t>{0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xFE, 1, 2, 3, 4}));
  EXPECT_EQ(GetWord(1), 0x1234);
  EXPECT_EQ(GetDWord(3), -2);
  EXPECT_EQ(GetDWord(7), 0x01020304);
  PutDWord(8192 - 3, INT32_MIN);  // the last four positions
  EXPECT_EQ(GetDWord(8192 - 3), INT32_MIN);
}

TEST_F(SharedBufferTest, QWordTakesTheLowDwordUnsigned) {
  Load(100, {0x00, 0x00, 0x00, 0x01, 0x80, 0x00, 0x00, 0x00});
  EXPECT_EQ(GetQWord(100), (int64_t{1} << 32) + (int64_t{1} << 31));
  Load(100, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE});
  EXPECT_EQ(GetQWord(100), -2);
}

TEST_F(SharedBufferTest, BooleansReadAnyNonZeroByteAsTrue) {
  PutBool(5, true);
  PutBool(6, false);
  EXPECT_EQ(Bytes(5, 2), (std::vector<uint8_t>{0xFF, 0x00}));
  for (const int stored : {1, 0x7F, 0x80, 0xFF}) {
    PutByte(7, static_cast<uint8_t>(stored));
    EXPECT_TRUE(GetBool(7)) << stored;
  }
  EXPECT_FALSE(GetBool(6));
}

TEST_F(SharedBufferTest, StringIsLengthByteAndCharactersWithoutPadding) {
  Load(10, std::vector<uint8_t>(20, 0xAA));
  PutString(10, "Ann");
  EXPECT_EQ(Bytes(10, 6), (std::vector<uint8_t>{3, 'A', 'n', 'n', 0xAA, 0xAA}));
  EXPECT_EQ(GetString(10), "Ann");
  PutString(10, "");
  EXPECT_EQ(GetString(10), "");
  // Longer than a length byte can count: the first 255 characters.
  PutString(100, std::string(300, 'x'));
  EXPECT_EQ(GetString(100), std::string(255, 'x'));
  EXPECT_EQ(GetByte(356), 0);  // nothing after them
}

TEST_F(SharedBufferTest, PositionsOutsideTheBufferRaiseRangeErrors) {
  for (int position : {0, -1, 8193, INT32_MAX, INT32_MIN}) {
    EXPECT_THROW(GetByte(position), RangeError) << position;
    EXPECT_THROW(PutByte(position, 1), RangeError) << position;
  }
  EXPECT_THROW(GetWord(8192), RangeError);
  EXPECT_THROW(GetDWord(8190), RangeError);
  EXPECT_THROW(GetQWord(8186), RangeError);
  EXPECT_NO_THROW(GetQWord(8185));
  EXPECT_THROW(PutWord(8192, 1), RangeError);
  EXPECT_THROW(PutDWord(8190, 1), RangeError);
  // A string is checked at every position it covers.
  PutByte(8190, 3);
  EXPECT_THROW(GetString(8190), RangeError);
  PutByte(8190, 2);
  EXPECT_NO_THROW(GetString(8190));
  PutByte(8192, 0);
  EXPECT_EQ(GetString(8192), "");
}

TEST_F(SharedBufferTest, RefusedWritesChangeNothing) {
  SharedBuffer.fill(0x55);
  EXPECT_THROW(PutString(8190, "abcd"), RangeError);
  EXPECT_THROW(PutDWord(8191, -1), RangeError);
  EXPECT_EQ(Bytes(8185, 8), std::vector<uint8_t>(8, 0x55));
}

TEST_F(SharedBufferTest, ViewsWorkOnAnyBufferWithItsOwnBounds) {
  std::array<uint8_t, 4> small{};
  TBufferView view(small);
  view.PutWord(3, 0xBEEF);
  EXPECT_EQ(small, (std::array<uint8_t, 4>{0, 0, 0xBE, 0xEF}));
  EXPECT_THROW(view.GetDWord(2), RangeError);
  TBufferView(SharedBuffer2).PutDWord(1, 7);
  EXPECT_EQ(SharedBuffer2[3], 7);
  EXPECT_EQ(SharedBuffer[3], 0);
}

}  // namespace
}  // namespace vek
