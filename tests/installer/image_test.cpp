// The installer file's layout, its byte sum, and the measurements taken of
// it at start-up.
#include <gtest/gtest.h>

#include <limits>

#include "installer/backdrop.h"
#include "installer/image.h"
#include "installer/state.h"
#include "installer_fixture.h"

using namespace vek::installer;

TEST(InstallerSumTest, TrailersAreSignedLittleEndian) {
  struct Case {
    TTrailer Bytes;
    int32_t Value;
  };
  const Case cases[] = {
      {{0x00, 0x00, 0x00, 0x00}, 0},
      {{0x01, 0x02, 0x03, 0x04}, 0x04030201},
      {{0xFF, 0xFF, 0xFF, 0x7F}, std::numeric_limits<int32_t>::max()},
      {{0x01, 0x02, 0x03, 0x84}, -0x7BFCFDFF},  // top byte 0x80 or more: negative
      {{0x00, 0x00, 0x00, 0x80}, std::numeric_limits<int32_t>::min()},
      {{0xFF, 0xFF, 0xFF, 0xFF}, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TrailerValue(c.Bytes), c.Value);
    EXPECT_EQ(TrailerOf(c.Value), c.Bytes);
  }
}

TEST(InstallerSumTest, TheSumStopsBeforeItLeavesTheRange) {
  const uint8_t bytes[] = {10, 11};
  int32_t sum = std::numeric_limits<int32_t>::max() - 20;
  EXPECT_TRUE(AddByteSum(sum, bytes, 1));
  EXPECT_EQ(sum, std::numeric_limits<int32_t>::max() - 10);
  EXPECT_FALSE(AddByteSum(sum, bytes + 1, 1));
  EXPECT_EQ(sum, std::numeric_limits<int32_t>::max() - 10);  // what it was before that byte

  TPayloadTable huge = {{{"a", std::numeric_limits<int32_t>::max()}, {"b", 1}, {"c", 0}}};
  EXPECT_FALSE(PayloadTableTotal(huge));
  huge[1].Size = 0;
  EXPECT_EQ(PayloadTableTotal(huge), std::numeric_limits<int32_t>::max());
}

using InstallerMeasureTest = vektest::InstallerTest;

TEST_F(InstallerMeasureTest, StartUpMeasuresTheInstallerFile) {
  const auto table = setup.Table();
  const int64_t payload = table[0].Size + table[1].Size + table[2].Size;
  EXPECT_EQ(SetupDir, "C:\\setup\\");
  EXPECT_EQ(SetupName, "vek2003-setup");
  EXPECT_EQ(SetupSize, static_cast<int64_t>(setup.File().size()));
  EXPECT_EQ(PayloadOffset, static_cast<int64_t>(setup.Image.size()));
  EXPECT_EQ(PayloadSize, payload + 4);
  EXPECT_EQ(PayloadTotal, payload);
  EXPECT_EQ(TrailerBytes, TrailerOf(setup.Sum()));
  EXPECT_EQ(ExpectedSum, setup.Sum());
  EXPECT_EQ(MarqueeLine, 1);
  EXPECT_EQ(MarqueeState, 1);
}

TEST_F(InstallerMeasureTest, AFileThatCannotBeSizedMeasuresMinusOne) {
  MakeSetupFileUnsizable();
  EXPECT_EQ(SetupSize, -1);
  EXPECT_EQ(PayloadOffset, static_cast<int64_t>(setup.Image.size()));
  EXPECT_EQ(TrailerBytes, TTrailer{});

  SetupFileOverride = "C:\\setup\\missing";
  Form1->FormCreate();
  EXPECT_EQ(SetupSize, -1);
  EXPECT_EQ(PayloadOffset, 0);  // no image to measure
  EXPECT_EQ(ExpectedSum, 0);
}
