// Which error each failing file operation of a run reports, and on which
// file: every open, read, write, flush and close of the encrypt, verify,
// decrypt and overwrite steps fails in turn, and the report must carry the
// error number, the file, and the texts that belong to that number. Then
// the progress a decrypt run counts, the diskette question of the verify,
// and a failing delete with warnings switched off.

#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "core/file_info.h"
#include "core/state.h"
#include "engine/delete_confirmation.h"
#include "engine/error_report_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "expected_file.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "ui/clock.h"

namespace vektest {
namespace {

using platform::faults::Count;
using platform::faults::Op;
using vek::Form15;
using vek::Form2;
using vek::Form20;
using vek::Form8;
using vek::Form9;

constexpr size_t FileSize = 20000;  // three blocks

enum class TRun { Encrypt, Decrypt, Overwrite };

// The error texts as the report shows them on a fixed disk.
struct TErrorTexts {
  int Code;
  std::string Type;
  std::string Detail;
  std::string Advice;
};
const TErrorTexts ErrorTexts[] = {
    {2, "Expected file was not found",
     "A file in the job list was no longer avaliable on the drive",
     "User or application may have deleted this file"},
    {21, "Drive not ready", "None", "Hard drive could have a hardware failure"},
    {29, "Write fault", "There was a write fault when trying to copy data to the device",
     "The device being used maybe unreliable or becoming unreliable to write data to"},
    {30, "Read fault", "There was a read fault when trying to copy data from the device",
     "The device being used maybe unreliable or becoming unreliable to read data from"},
};

struct TFaultCase {
  TRun Run;
  Op Operation;
  int Nth;  // counted from the run's start; below 0: from the end of a clean run's calls
  int Code;
  std::string File;
  std::string Activity;  // the current task text when it failed
  std::string What;
};

// What the window shows of the run while its error report waits.
struct TRunDisplay {
  TRun Run;
  std::string SubTask;  // Label14 (the encrypt path's until its verify)
  std::string Counter;
  std::string Names;
  std::string TaskDetails;  // with every file boosted
  std::string LogHead;      // the first line after "VEK 2003 ACTIVITY LOG:"
};

class EngineRunErrorsTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    SetDriveKind('C', platform::drive::Fixed);
    vek::VerifyAfterEncrypt = true;
  }

  // Lays out the run's file afresh and starts the run.
  void Start(TRun run) {
    Form2->ClearJobList();
    std::filesystem::remove_all(HostPath());
    std::filesystem::create_directories(HostPath());
    switch (run) {
      case TRun::Encrypt:
        AddPlainJob("a.bin", PatternBytes(FileSize));
        StartRun(vek::RunEncrypt);
        break;
      case TRun::Decrypt:
        AddVekJob("b.bin.vek", PatternBytes(FileSize));
        StartRun(vek::RunDecrypt);
        break;
      case TRun::Overwrite:
        MakeFile(HostPath("c.bin"), PatternBytes(FileSize));
        vek::DeleteMethod = vek::DeleteSinglePass;
        vek::ReadFileInfo(WinPath(), "c.bin");
        Form2->BitBtn6->SetCaption("&Delete file");
        Form9->StartDeleteRun();
        break;
    }
  }
  static std::string KeptFile(TRun run) {
    return run == TRun::Encrypt ? "a.bin" : run == TRun::Decrypt ? "b.bin.vek" : "c.bin";
  }
  // The calls of `op` a clean run makes.
  int64_t CleanCalls(TRun run, Op op) {
    Start(run);
    platform::faults::Reset();
    EXPECT_TRUE(RunUntilIdle());
    EXPECT_FALSE(Form8->RunActive());
    const int64_t calls = Count(op);
    Form8->Button1->Click();  // "&OK"
    return calls;
  }
};

TEST_F(EngineRunErrorsTest, EachFailingStepReportsItsErrorOnItsFile) {
  const TFaultCase cases[] = {
      {TRun::Encrypt, Op::Open, 1, 2, "a.bin", "Searching for destination file..",
       "open the source"},
      {TRun::Encrypt, Op::Open, 2, 21, "a.bin.vek", "Searching for destination file..",
       "create the target"},
      {TRun::Encrypt, Op::Write, 1, 29, "a.bin.vek", "Encrypting file..", "write the header"},
      {TRun::Encrypt, Op::Write, 2, 29, "a.bin.vek", "Encrypting file..", "write a data block"},
      {TRun::Encrypt, Op::Write, -1, 29, "a.bin.vek", "Encrypting file..", "write the key check"},
      {TRun::Encrypt, Op::Read, 1, 30, "a.bin", "Encrypting file..", "read the source"},
      {TRun::Encrypt, Op::Flush, 1, 29, "a.bin.vek", "Encrypting file..", "flush the target"},
      {TRun::Encrypt, Op::Close, 1, 29, "a.bin.vek", "Encrypting file..", "close the target"},
      {TRun::Encrypt, Op::Open, 3, 2, "a.bin", "Verifying encrypted file..",
       "open the source to verify"},
      {TRun::Encrypt, Op::Open, 4, 21, "a.bin.vek", "Verifying encrypted file..",
       "open the encrypted file to verify"},
      // Reading back, from the end: the source's last look for more data,
      // the encrypted file's, its key check, then the blocks of both files
      // in turn, and first of all its header.
      {TRun::Encrypt, Op::Read, -10, 30, "a.bin.vek", "Verifying encrypted file..",
       "read the header to verify"},
      {TRun::Encrypt, Op::Read, -9, 30, "a.bin", "Verifying encrypted file..",
       "read the source to verify"},
      {TRun::Encrypt, Op::Read, -8, 30, "a.bin.vek", "Verifying encrypted file..",
       "read a block of the encrypted file to verify"},
      {TRun::Encrypt, Op::Read, -3, 30, "a.bin.vek", "Verifying encrypted file..",
       "read the key check to verify"},
      {TRun::Decrypt, Op::Open, 1, 2, "b.bin.vek", "Searching for destination file..",
       "open the source"},
      {TRun::Decrypt, Op::Open, 2, 21, "(VEK temporary file)", "Searching for destination file..",
       "create the temporary file"},
      {TRun::Decrypt, Op::Read, -2, 2, "b.bin.vek", "Authenticating key specified...",
       "read the last data block"},
      {TRun::Decrypt, Op::Read, -1, 2, "b.bin.vek", "Authenticating key specified...",
       "read the key check"},
      {TRun::Decrypt, Op::Write, 1, 29, "b.bin.vek", "Authenticating key specified...",
       "write a block"},
      {TRun::Decrypt, Op::Flush, 1, 29, "(VEK temporary file)", "Authenticating key specified...",
       "flush the temporary file"},
      {TRun::Decrypt, Op::Close, 1, 29, "(VEK temporary file)", "Authenticating key specified...",
       "close the temporary file"},
      {TRun::Overwrite, Op::Open, 1, 21, "c.bin", "Deleting file... (Pass 1 of 2)",
       "open for the first pass"},
      {TRun::Overwrite, Op::Write, 2, 29, "c.bin", "Deleting file... (Pass 2 of 2)",
       "write the second pass through the first pass's descriptor"},
      {TRun::Overwrite, Op::Write, 1, 29, "c.bin", "Deleting file... (Pass 1 of 2)",
       "write a block"},
      {TRun::Overwrite, Op::Flush, 1, 29, "c.bin", "Deleting file... (Pass 1 of 2)",
       "flush the first pass"},
      {TRun::Overwrite, Op::Flush, 2, 29, "c.bin", "Deleting file... (Pass 2 of 2)",
       "flush the second pass"},
      {TRun::Overwrite, Op::Close, 1, 29, "c.bin", "Deleting file... (Pass 2 of 2)",
       "close after the last pass"},
  };
  const TRunDisplay displays[] = {
      {TRun::Encrypt, "Creating the encrypted file on drive", "1 of 1.", "a.bin -> a.bin.vek",
       " Task details : (Insane! CPU boost mode activated) ", "Started encryption processing at "},
      {TRun::Decrypt, "Checking authentication of specified key in encrypted file", "1 of 1.",
       "b.bin.vek -> b.bin", " Task details : (Insane CPU mode activated) ",
       "Started decryption processing at "},
      {TRun::Overwrite, "Use single pass overwriting method (faster speed and more protection)",
       "N/A (Single file delete)", "c.bin", " Task details : ", ""},
  };
  vek::InsaneModeThreshold = 21;  // every file
  for (const TFaultCase& c : cases) {
    SCOPED_TRACE(c.What + " (" + KeptFile(c.Run) + ")");
    const int nth =
        c.Nth > 0 ? c.Nth : static_cast<int>(CleanCalls(c.Run, c.Operation)) + 1 + c.Nth;
    Start(c.Run);
    const std::vector<uint8_t> kept = ReadHost(KeptFile(c.Run));
    platform::faults::Reset();
    platform::faults::Fail(c.Operation, nth, platform::err::AccessDenied);
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(Form15->IsShown());
    EXPECT_EQ(Form15->Label2->Caption(), std::to_string(c.Code));
    EXPECT_EQ(Form15->Label12->Caption(), c.File);
    for (const TErrorTexts& t : ErrorTexts) {
      if (t.Code != c.Code) continue;
      EXPECT_EQ(Form15->Label4->Caption(), t.Type);
      EXPECT_EQ(Form15->Label7->Caption(), t.Detail);
      EXPECT_EQ(Form15->Label8->Caption(), t.Advice);
    }
    EXPECT_EQ(Form15->Label10->Caption(), c.Activity);
    EXPECT_EQ(Form8->Label1->Caption(), c.Activity);
    for (const TRunDisplay& d : displays) {
      if (d.Run != c.Run) continue;
      if (c.Activity != "Verifying encrypted file..") {
        EXPECT_EQ(Form8->Label14->Caption(), d.SubTask);
        EXPECT_EQ(Form8->Label12->Caption(), d.Names);
      } else {
        EXPECT_EQ(Form8->Label14->Caption(), "Checking data integrity of encrypted file");
        EXPECT_EQ(Form8->Label12->Caption(), "a.bin.vek");
      }
      EXPECT_EQ(Form8->Label11->Caption(), d.Counter);
      EXPECT_EQ(Form8->Label13->Caption(), "C:\\");
      EXPECT_EQ(Form8->GroupBox2->Caption(), d.TaskDetails);
      const auto log = LogTexts();
      ASSERT_GE(log.size(), 3u);
      if (d.LogHead.empty()) {  // a one-file delete has no head
        EXPECT_EQ(log[0], "Deleting file: C:\\c.bin");
      } else {
        EXPECT_EQ(log[0], "VEK 2003 ACTIVITY LOG:");
        EXPECT_EQ(log[1].substr(0, d.LogHead.size()), d.LogHead);
        EXPECT_EQ(log[2], "Delete mode: Use normal file system delete method");
      }
    }
    EXPECT_FALSE(Form8->Button1->Enabled());
    Form15->Button3->Click();  // "Stop &all processing"
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(vek::ErrorCount, 1);
    EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
    // What the run was working from is still there: as it was, or (the
    // file being overwritten) at its full length.
    if (c.Run == TRun::Overwrite) {
      EXPECT_EQ(ReadHost(KeptFile(c.Run)).size(), kept.size());
    } else {
      EXPECT_EQ(ReadHost(KeptFile(c.Run)), kept);
    }
    Form8->Button1->Click();
  }
}

// On a removable drive a failed open offers Retry, and the retry runs the
// step that failed again: the file comes out whole.
TEST_F(EngineRunErrorsTest, ARetryRunsTheFailedStepAgain) {
  struct TRetryCase {
    int Nth;
    int Code;
    std::string What;
  };
  const TRetryCase cases[] = {
      {1, 2, "open the source"},
      {2, 21, "create the target"},
      {3, 2, "open the source to verify"},
      {4, 21, "open the encrypted file to verify"},
  };
  SetDriveKind('C', platform::drive::Removable);
  for (const TRetryCase& c : cases) {
    SCOPED_TRACE(c.What);
    Start(TRun::Encrypt);
    platform::faults::Reset();
    platform::faults::Fail(Op::Open, c.Nth, platform::err::AccessDenied);
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(Form15->IsShown());
    EXPECT_EQ(Form15->Label2->Caption(), std::to_string(c.Code));
    ASSERT_TRUE(Form15->Button1->Enabled());
    Form15->Button1->Click();  // "&Retry"
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_FALSE(Form8->RunActive());
    EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
    EXPECT_EQ(ReadHost("a.bin.vek"),
              ExpectedVekFile(PlainFields(FileSize), PatternBytes(FileSize), TestKey));
    EXPECT_EQ(ReadHost("a.bin"), PatternBytes(FileSize));
    Form8->Button1->Click();
  }
}

// An existing output file is named in the task text while the question waits.
TEST_F(EngineRunErrorsTest, AnExistingOutputFileIsAskedAbout) {
  const std::pair<TRun, std::string> runs[] = {{TRun::Encrypt, "a.bin.vek"},
                                               {TRun::Decrypt, "b.bin"}};
  for (const auto& [run, output] : runs) {
    Start(run);
    MakeFile(HostPath(output), "older");
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(Form20->IsShown()) << output;
    EXPECT_EQ(Form8->Label1->Caption(), "Destination file exists");
    EXPECT_EQ(Form20->Label2->Caption(), output);
    EXPECT_EQ(Form20->Label3->Caption(), "This file already exists, overwrite it?");
    EXPECT_TRUE(Form20->Button1->Enabled());
    Form20->Button3->Click();  // "C&ancel"
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(ReadHost(output), std::vector<uint8_t>({'o', 'l', 'd', 'e', 'r'}));
    Form8->Button1->Click();
  }
}

// The last block of a file is not added to a decrypt run's progress.
TEST_F(EngineRunErrorsTest, DecryptProgressLeavesOutTheLastBlock) {
  const size_t sizes[] = {1, 8192, 8193, 20000};
  for (const size_t size : sizes) {
    Form2->ClearJobList();
    const auto content = PatternBytes(size);
    AddVekJob("p.bin.vek", content);
    std::filesystem::remove(HostPath("p.bin"));
    DecryptAll();
    const int64_t lastBlock = size % 8192 == 0 ? 8192 : static_cast<int64_t>(size % 8192);
    EXPECT_EQ(vek::OverallDone, static_cast<int64_t>(size) - lastBlock) << size;
    EXPECT_EQ(vek::OverallTotal, static_cast<int64_t>(size)) << size;
    EXPECT_EQ(ReadHost("p.bin"), content) << size;
    Form8->Button1->Click();
  }
}

// Verification on a diskette asks for it to be put in again first.
TEST_F(EngineRunErrorsTest, OnlyDiskettesAreAskedForAgainBeforeTheVerify) {
  for (const char letter : {'A', 'B', 'D'}) {
    std::filesystem::create_directories(HostPath("drive"));
    platform::SetDriveMap({{'C', dir.path().string()}, {letter, HostPath("drive").string()}});
    Form2->ClearJobList();
    MakeFile(HostPath("drive/a.txt"), PatternBytes(300));
    std::filesystem::remove(HostPath("drive/a.txt.vek"));
    const uint16_t i = AddJobEntry("a.txt", 300);
    vek::JobList.Folder[i] = std::string(1, letter) + ":\\";
    StartRun(vek::RunEncrypt);
    ASSERT_TRUE(RunUntilIdle()) << letter;
    const bool asks = letter != 'D';
    ASSERT_EQ(Form20->IsShown(), asks) << letter;
    if (asks) {
      EXPECT_EQ(Form20->Label2->Caption(),
                "Please eject the diskette, re-insert again and click Continue.");
      EXPECT_EQ(Form20->Label3->Caption(),
                "(This eliminates the effects of buffering for file read verification)");
      EXPECT_TRUE(Form20->Button1->Enabled());
      Form20->Button1->Click();  // "&Continue": the verify goes on
      ASSERT_TRUE(RunUntilIdle());
    }
    EXPECT_EQ(Form8->Label1->Caption(), "Completed.") << letter;
    EXPECT_TRUE(LogHas("WARNING: Please eject the diskette, re-insert again and click Continue.") ==
                asks)
        << letter;
    Form8->Button1->Click();
  }
}

// With warnings switched off by the user's answer, a plain delete that keeps
// failing is tried again and again, and "&Cancel" stays there to end it.
TEST_F(EngineRunErrorsTest, AFailingDeleteWithWarningsOffCanBeCancelled) {
  MakeFile(HostPath("a.txt"), "first");
  MakeFile(HostPath("busy.txt"), "still here");
  Form2->Show();
  ListFile("a.txt");
  ListFile("busy.txt");
  vek::DeleteMethod = vek::DeleteNormal;
  Form2->BitBtn6->SetCaption("&Delete job list files");
  platform::faults::Fail(Op::Delete, 1, platform::err::SharingViolation);  // a.txt, once
  for (int n = 3; n <= 400; ++n)                                           // busy.txt, every time
    platform::faults::Fail(Op::Delete, n, platform::err::SharingViolation);
  Form9->StartDeleteRun();
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(), "a.txt");
  EXPECT_EQ(Form20->Label3->Caption(),
            "File delete failed, try again? (maybe in use by another program)");
  EXPECT_FALSE(Form8->Button1->Enabled());
  const auto head = LogTexts();
  ASSERT_GE(head.size(), 3u);
  EXPECT_EQ(head[0], "VEK 2003 ACTIVITY LOG:");
  EXPECT_EQ(head[1].substr(0, 35), "Started multi-delete processing at ");
  EXPECT_EQ(head[2], "Delete mode: Use normal file system delete method");
  Form20->Button2->Click();  // "Continue (&Ignore all future warnings)"
  EXPECT_FALSE(vek::WarningsOn);
  ASSERT_TRUE(ui::clock::RunUntil([] { return Count(Op::Delete) >= 60; }, 100000));
  EXPECT_FALSE(HostExists("a.txt"));
  EXPECT_TRUE(LogHas("WARNING: busy.txt"));
  EXPECT_TRUE(LogHas("Warnings are OFF (Auto Continue)"));
  EXPECT_TRUE(Form8->RunActive());
  EXPECT_FALSE(Form20->IsShown());
  EXPECT_EQ(Form8->Button1->Caption(), "&Cancel");
  ASSERT_TRUE(Form8->Button1->Enabled());
  Form8->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(Form8->RunActive());
  EXPECT_EQ(Form8->Label1->Caption(), "Stopped by request.");
  EXPECT_EQ(ReadHost("busy.txt"),
            std::vector<uint8_t>({'s', 't', 'i', 'l', 'l', ' ', 'h', 'e', 'r', 'e'}));
  Form8->Button1->Click();  // "&OK"
  EXPECT_FALSE(Form8->IsShown());
}

}  // namespace
}  // namespace vektest
