// The steps of a decrypt run one by one: what the totals count, the log a
// clean run writes, the boost by the encrypted file's size, and the checks
// (free space, a missing source) that must keep a file from being
// deciphered or must let the run go on with the next one.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/state.h"
#include "core/texts.h"
#include "engine/engine_tables.h"
#include "engine/error_report_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/system.h"

namespace vektest {
namespace {

using vek::Form15;
using vek::Form20;
using vek::Form8;

constexpr std::string_view SpaceAdvice =
    "Either free up space on this drive or copy file to another drive with more free space.";

class EngineDecryptStepsTest : public EngineTest {
 protected:
  // Shows the key window and lets the run go as far as `state`.
  void StartTo(uint16_t state) {
    StartRun(vek::RunDecrypt);
    ASSERT_TRUE(RunUntilState(state));
  }
  void EndRun() {
    if (Form20->IsShown()) Form20->Button3->Click();
    if (Form8->RunActive()) {
      Form8->Button1->Click();  // "&Cancel"
      ASSERT_TRUE(RunUntilIdle());
    }
    Form8->Button1->Click();  // "&OK"
  }
};

// The encrypted file's delete is counted only when the option asks for it,
// by the passes of the delete method over the size in whole kilobytes.
TEST_F(EngineDecryptStepsTest, TotalsCountTheDeleteOnlyWhenItIsAskedFor) {
  struct TCase {
    bool DeleteAfter;
    uint8_t Method;
    int64_t Passes;
  };
  const TCase cases[] = {
      {false, vek::DeleteSinglePass, 0}, {false, vek::DeleteTriplePass, 0},
      {true, vek::DeleteNormal, 0},      {true, vek::DeleteSinglePass, 2},
      {true, vek::DeleteTriplePass, 6},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.DeleteAfter) + " method " + std::to_string(c.Method));
    const uint16_t i = AddVekJob("a.bin.vek", PatternBytes(3000));
    vek::DeleteEncryptedAfterDecrypt = c.DeleteAfter;
    vek::DeleteMethod = c.Method;
    StartTo(vek::StateDecryptNextFile);
    const int64_t q = vek::JobList.Size[i] / 1024;  // 3 and some: rounded up to 4
    ASSERT_EQ(q, 3);
    EXPECT_EQ(vek::OverallTotal, 3000 + 4 * 1024 * c.Passes);
    EndRun();
  }
}

TEST_F(EngineDecryptStepsTest, ACleanRunLogsEachFileBetweenBlankLines) {
  AddVekJob("a.txt.vek", PatternBytes(10));
  AddVekJob("b.txt.vek", PatternBytes(20000));
  const std::string sizeA = vek::SizeToText(vek::JobList.Size[1]);
  const std::string sizeB = vek::SizeToText(vek::JobList.Size[2]);
  DecryptAll();
  const std::vector<std::string> expected = {
      "VEK 2003 ACTIVITY LOG:",
      "",  // the start time
      "Delete mode: Use normal file system delete method",
      " ",
      "Now processing: a.txt.vek -> a.txt " + sizeA,
      "Key to decrypt file was authenticated as valid.",
      " ",
      "Now processing: b.txt.vek -> b.txt " + sizeB,
      "Key to decrypt file was authenticated as valid.",
      " ",
      " ",
      "",  // the finish time
  };
  auto log = LogTexts();
  ASSERT_EQ(log.size(), expected.size());
  EXPECT_EQ(log[1].substr(0, 33), "Started decryption processing at ");
  EXPECT_EQ(log.back().substr(0, 23), "Processing finished at ");
  log[1].clear();
  log.back().clear();
  EXPECT_EQ(log, expected);
}

// The boost goes by the listed size of the encrypted file (header and key
// check included), and a file without it shows the plain caption.
TEST_F(EngineDecryptStepsTest, TheBoostGoesByTheEncryptedFilesSize) {
  constexpr int64_t OneMegabyte = 1048576;
  AddVekJob("small.bin.vek", PatternBytes(100));
  // Listed as a file just over 1 MB whose plain data is 1 MB: the run goes
  // no further than the boost with it.
  const uint16_t big = AddVekJob("big.bin.vek", PatternBytes(100));
  vek::JobList.Size[big] = OneMegabyte + 1;
  vek::JobList.ContentSize[big] = OneMegabyte;
  vek::InsaneModeThreshold = 1;
  platform::ClearPriorityRequests();
  StartTo(vek::StateDecryptFindSource);
  EXPECT_EQ(Form8->GroupBox2->Caption(), " Task details : ");
  EXPECT_EQ(platform::PriorityRequests().back(), platform::NormalPriorityClass);
  ASSERT_TRUE(RunUntilState(vek::StateDecryptCheckTarget));
  ASSERT_TRUE(RunUntilState(vek::StateDecryptFindSource));
  EXPECT_EQ(vek::JobPos, 2);
  EXPECT_EQ(Form8->GroupBox2->Caption(), " Task details : (Insane CPU mode activated) ");
  EXPECT_EQ(platform::PriorityRequests().back(), platform::HighPriorityClass);
  EndRun();
}

// After the first block of a three-block file: the file figures go over the
// encrypted file's size, the overall ones over the plain sizes.
TEST_F(EngineDecryptStepsTest, ProgressAfterTheFirstBlock) {
  const uint16_t i = AddVekJob("a.txt.vek", PatternBytes(20000));
  const int64_t fileSize = vek::JobList.Size[i];
  StartTo(vek::StateDecryptAdvance);
  ASSERT_TRUE(RunUntilState(vek::StateDecryptReadBlock));
  EXPECT_EQ(
      FileProgressShown(),
      (TProgressShown{
          Amount(8192, fileSize),
          std::to_string(static_cast<int>(8192.0 / static_cast<double>(fileSize) * 100)) + "%",
          static_cast<int>(8192 / (fileSize / 400))}));
  EXPECT_EQ(OverallProgressShown(), (TProgressShown{Amount(8192, 20000), "40%", 8192 / 50}));
  EXPECT_EQ(Form8->Caption(), "VEK: 40% complete");
  EndRun();
}

// Too little room: the file is never deciphered, whether the question
// comes after an overwrite question or is answered by warnings switched off
// (the run goes on with the next file); unknown room is error 21 on the
// encrypted file.
TEST_F(EngineDecryptStepsTest, TooLittleRoomLeavesTheFileEncrypted) {
  const auto content = PatternBytes(1000);
  const std::string spaceSubject = "There is not enough free disk space on drive C: (" +
                                   vek::SizeToText(1000) + " min required, " +
                                   vek::SizeToText(1000) + " free)";

  // After Continue on the overwrite question.
  MakeFile(HostPath("a.txt"), "old");
  AddVekJob("a.txt.vek", content);
  SetDrive('C', platform::drive::Fixed, 1000);
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  Form20->Button1->Click();  // "&Continue": replace a.txt
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(), spaceSubject);
  EXPECT_EQ(Form20->Label3->Caption(), SpaceAdvice);
  EndRun();
  EXPECT_EQ(ReadHost("a.txt"), std::vector<uint8_t>({'o', 'l', 'd'}));

  // With room, the warning's icon gives way to the turning one again.
  AddVekJob("a.txt.vek", content);
  SetDrive('C', platform::drive::Fixed, 1001);
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(vek::AnimationKind, vek::AnimationWarning);
  Form20->Button1->Click();
  ASSERT_TRUE(RunUntilState(vek::StateDecryptOpenSource));
  EXPECT_EQ(vek::AnimationKind, vek::AnimationRotate);
  EndRun();

  // With warnings off the next file still comes back.
  std::filesystem::remove(HostPath("a.txt"));
  SetDrive('C', platform::drive::Fixed, 1000);
  AddVekJob("a.txt.vek", content);
  AddVekJob("b.txt.vek", PatternBytes(10));
  StartTo(vek::StateDecryptNextFile);
  vek::WarningsOn = false;
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(Form8->RunActive());
  EXPECT_TRUE(LogHas("WARNING: " + spaceSubject));
  EXPECT_TRUE(LogHas("Warnings are OFF (Auto Continue)"));
  EXPECT_FALSE(HostExists("a.txt"));
  EXPECT_FALSE(HostExists("tmp.tmp"));
  EXPECT_EQ(ReadHost("b.txt"), PatternBytes(10));
  EndRun();

  // The room that counts is on the file's own drive.
  platform::SetDriveMap({{'C', dir.path().string()}, {'D', HostPath().string()}});
  SetDrive('D', platform::drive::Fixed, 1000);
  SetDrive('C', platform::drive::Fixed, int64_t{1} << 30);
  vek::JobList.Folder[AddVekJob("d.txt.vek", content)] = "D:\\";
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(), "There is not enough free disk space on drive D: (" +
                                           vek::SizeToText(1000) + " min required, " +
                                           vek::SizeToText(1000) + " free)");
  EndRun();
  EXPECT_FALSE(HostExists("d.txt"));

  SetDrive('C', platform::drive::Fixed, std::nullopt);
  AddVekJob("c.txt.vek", content);
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "21");
  EXPECT_EQ(Form15->Label12->Caption(), "c.txt.vek");
  Form15->Button3->Click();  // "Stop &all processing"
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(HostExists("c.txt"));
  EndRun();
}

// Once error reports are off, a missing source is passed over without a
// further error, and the next file is decrypted.
TEST_F(EngineDecryptStepsTest, WithReportsOffAMissingSourceIsPassedOver) {
  AddVekJob("gone1.txt.vek", PatternBytes(10));
  AddVekJob("gone2.txt.vek", PatternBytes(10));
  AddVekJob("here.txt.vek", PatternBytes(30));
  std::filesystem::remove(HostPath("gone1.txt.vek"));
  std::filesystem::remove(HostPath("gone2.txt.vek"));
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label12->Caption(), "gone1.txt.vek");
  Form15->Button4->Click();  // "Skip all errors"
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(Form8->RunActive());
  EXPECT_EQ(vek::ErrorCount, 1);
  EXPECT_EQ(LogCount("Basic error 2 occurred"), 1);
  EXPECT_EQ(ReadHost("here.txt"), PatternBytes(30));
  EXPECT_FALSE(HostExists("gone2.txt"));
}

// On removable media the report offers Retry, and Retry makes the
// temporary file again.
TEST_F(EngineDecryptStepsTest, RetryMakesTheTemporaryFileAgain) {
  SetDriveKind('C', platform::drive::Removable);
  AddVekJob("a.txt.vek", PatternBytes(300));
  platform::faults::Fail(platform::faults::Op::Open, 2, platform::err::AccessDenied);
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "21");
  EXPECT_EQ(Form15->Label12->Caption(), "(VEK temporary file)");
  Form15->Button1->Click();  // Retry
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(Form8->RunActive());
  EXPECT_EQ(ReadHost("a.txt"), PatternBytes(300));
}

}  // namespace
}  // namespace vektest
