// Verification: the encrypted file read back and compared, catching a
// changed header byte, data byte or key-check byte and a wrong length, and
// keeping the original whenever it does.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/state.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "expected_file.h"
#include "ui/clock.h"

namespace vektest {
namespace {

using vek::EngineState;
using vek::Form20;
using vek::Form8;

constexpr size_t ContentSize = 10000;

// A file encrypted with verification and delete on, stopped just before
// the verification starts; the test changes the encrypted file there.
class EngineVerifyTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    content = PatternBytes(ContentSize, 3);
    AddPlainJob("a.bin", content);
    vek::VerifyAfterEncrypt = true;
    vek::DeletePlaintextAfterEncrypt = true;
    StartRun(vek::RunEncrypt);
    ASSERT_TRUE(RunUntilState(vek::StateVerifyStart));
    headerLength = vek::HeaderLength;
  }
  void FlipByteAt(size_t offset) { FlipBits(HostPath("a.bin.vek"), offset, 0x01); }
  // Runs on to the warning and checks what the run kept.
  void ExpectWarning(const std::string& message) {
    EXPECT_FALSE(PassesOnTheWayToIdle(vek::StateDeleteFile));
    ASSERT_TRUE(Form20->IsShown());
    EXPECT_EQ(Form20->Label2->Caption(), "a.bin.vek");
    EXPECT_EQ(Form20->Label3->Caption(), message);
    EXPECT_FALSE(Form20->Button1->Enabled());
    EXPECT_FALSE(vek::SourceOpen || vek::TargetOpen);
    EXPECT_EQ(Form8->SourceStream, nullptr);
    EXPECT_EQ(Form8->TargetStream, nullptr);
    EXPECT_TRUE(HostExists("a.bin.vek"));
    EXPECT_EQ(ReadHost("a.bin"), content);
  }

  std::vector<uint8_t> content;
  size_t headerLength = 0;
};

TEST_F(EngineVerifyTest, AnUntouchedFileVerifiesAndGoesOnToTheDelete) {
  ASSERT_TRUE(RunUntilState(vek::StateVerifyReadSource));
  EXPECT_EQ(Form8->Label1->Caption(), "Verifying encrypted file..");
  EXPECT_EQ(Form8->Label14->Caption(), "Checking data integrity of encrypted file");
  EXPECT_EQ(Form8->Label12->Caption(), "a.bin.vek");
  EXPECT_EQ(vek::AnimationKind, 2);
  ASSERT_TRUE(RunUntilState(vek::StateDeleteFile));
  EXPECT_FALSE(vek::SourceOpen || vek::TargetOpen);
  EXPECT_EQ(vek::OverallDone, static_cast<int64_t>(2 * ContentSize));
  Form8->Button1->Click();
}

TEST_F(EngineVerifyTest, AChangedHeaderByte) {
  FlipByteAt(60);
  ExpectWarning("File header information verification failed (storage media maybe unreliable)");
}

TEST_F(EngineVerifyTest, AChangedDataByte) {
  FlipByteAt(headerLength + 9000);
  ExpectWarning("File data integrity error (storage media maybe unreliable)");
}

TEST_F(EngineVerifyTest, AChangedKeyCheckByte) {
  FlipByteAt(headerLength + ContentSize + 127);
  ExpectWarning("File key integrity error (storage media maybe unreliable)");
}

// Every byte of each part is compared: the first and the last of the
// header and of the data, both sides of a block boundary (the second block
// begins at 8192), and the key check.
struct TFlipCase {
  const char* Where;
  size_t Region;  // 0 header, 1 data, 2 key check
  size_t Offset;  // within the region
  const char* Message;
};

constexpr const char* HeaderFailed =
    "File header information verification failed (storage media maybe unreliable)";
constexpr const char* DataFailed = "File data integrity error (storage media maybe unreliable)";
constexpr const char* KeyFailed = "File key integrity error (storage media maybe unreliable)";

TEST_F(EngineVerifyTest, EveryByteIsCompared) {
  const TFlipCase cases[] = {
      {"first header byte", 0, 0, HeaderFailed},
      {"last header byte", 0, headerLength - 1, HeaderFailed},
      {"first data byte", 1, 0, DataFailed},
      {"last byte of the first block", 1, 8191, DataFailed},
      {"first byte of the second block", 1, 8192, DataFailed},
      {"last data byte", 1, ContentSize - 1, DataFailed},
      {"first key-check byte", 2, 0, KeyFailed},
  };
  const size_t regionStart[] = {0, headerLength, headerLength + ContentSize};
  const auto intact = ReadHost("a.bin.vek");
  bool first = true;
  for (const TFlipCase& c : cases) {
    SCOPED_TRACE(c.Where);
    if (!first) {
      // The same file again, stopped before its verification.
      Form8->Button1->Click();
      std::filesystem::remove(HostPath("a.bin.vek"));
      MakeFile(HostPath("a.bin"), content);
      vek::JobList.JobCount = 0;
      AddJobEntry("a.bin", ContentSize);
      StartRun(vek::RunEncrypt);
      ASSERT_TRUE(RunUntilState(vek::StateVerifyStart));
      ASSERT_EQ(ReadHost("a.bin.vek"), intact);
    }
    first = false;
    FlipByteAt(regionStart[c.Region] + c.Offset);
    ExpectWarning(c.Message);
    Form20->Button3->Click();
    ASSERT_TRUE(RunUntilIdle());
  }
}

// The original is read again too: one that no longer holds what was
// encrypted (as a byte read wrong would show) fails its block, and stays.
TEST_F(EngineVerifyTest, AnOriginalThatChangedSinceItWasEncrypted) {
  FlipBits(HostPath("a.bin"), 9000, 0x01);
  content[9000] ^= 0x01;
  ExpectWarning(DataFailed);
}

TEST_F(EngineVerifyTest, AShortFile) {
  std::filesystem::resize_file(HostPath("a.bin.vek"), headerLength + ContentSize + 100);
  ExpectWarning("File length failed verification (storage media maybe unreliable)");
}

TEST_F(EngineVerifyTest, AFileWithMoreAfterItsKeyCheck) {
  std::ofstream(HostPath("a.bin.vek"), std::ios::binary | std::ios::app) << "x";
  ExpectWarning("File length failed verification (storage media maybe unreliable)");
}

TEST_F(EngineVerifyTest, WithWarningsOffTheRunGoesOnAndStillKeepsTheOriginal) {
  vek::WarningsOn = false;
  FlipByteAt(headerLength + 1);
  EXPECT_FALSE(PassesOnTheWayToIdle(vek::StateDeleteFile));
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_TRUE(LogHas("Warnings are OFF (Auto Continue)"));
  EXPECT_EQ(ReadHost("a.bin"), content);
}

}  // namespace
}  // namespace vektest
