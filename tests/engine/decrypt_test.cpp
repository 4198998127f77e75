// The decrypt path: files encrypted by the program come back byte for byte
// under their names, a wrong key leaves every file as it was, and files
// that changed since they were listed, a taken "tmp.tmp" and a failing
// rename never cost a file.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/state.h"
#include "core/texts.h"
#include "engine/engine_tables.h"
#include "engine/error_report_window.h"
#include "engine/processing_window.h"
#include "engine/warning_window.h"
#include "engine_fixture.h"
#include "expected_file.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/system.h"
#include "ui/clock.h"

namespace vektest {
namespace {

using vek::Form15;
using vek::Form20;
using vek::Form8;

constexpr std::string_view InvalidKeyMessage =
    "The key you have specified to decrypt this file is invalid.";
constexpr std::string_view NotGenuineMessage =
    "Not a genuine VEK 1024 Bit encrypted file (or is corrupted?).";
constexpr std::string_view AuthenticationFailed =
    "*** FILE AUTHENTICATION FAILED (INVALID KEY) ***";

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

void WriteAt(const std::filesystem::path& path, size_t offset, const std::vector<uint8_t>& bytes) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class EngineDecryptTest : public EngineTest {
 protected:
  // No temporary file of the program is left in C:\.
  bool NoTempFiles() const {
    for (const auto& entry : std::filesystem::directory_iterator(HostPath())) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with("tmp") && name.ends_with(".tmp") && name != "tmp.tmp") return false;
    }
    return true;
  }
  // Runs to the warning that the run ends with while warnings are on.
  void ExpectWarning(std::string_view subject, std::string_view message) {
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_TRUE(Form20->IsShown());
    EXPECT_EQ(Form20->Label2->Caption(), subject);
    EXPECT_EQ(Form20->Label3->Caption(), message);
    EXPECT_FALSE(Form20->Button1->Enabled());
  }
};

TEST_F(EngineDecryptTest, EncryptedFilesComeBackWithNameBytesAndAttributes) {
  const std::vector<size_t> sizes = {1, 8192, 8193};
  for (const size_t size : sizes) {
    const std::string name = "f" + std::to_string(size) + ".bin";
    const uint16_t i = AddPlainJob(name, PatternBytes(size, static_cast<uint32_t>(size)));
    // Read-only and archive are kept for the odd sizes only.
    vek::JobList.PreserveAttributes[i] = size % 2 == 1;
    vek::JobList.Attributes[i] = platform::attr::ReadOnly | platform::attr::Archive;
  }
  EncryptAll();
  Form8->Button1->Click();
  for (const size_t size : sizes)
    std::filesystem::remove(HostPath("f" + std::to_string(size) + ".bin"));
  for (const size_t size : sizes) ListFile("f" + std::to_string(size) + ".bin.vek");
  AddVekJob("empty.txt.vek", {});  // the program encrypts no empty file, but may meet one

  DecryptAll();
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_EQ(LogCount("Key to decrypt file was authenticated as valid."), 4);
  for (const size_t size : sizes) {
    const std::string name = "f" + std::to_string(size) + ".bin";
    EXPECT_EQ(ReadHost(name), PatternBytes(size, static_cast<uint32_t>(size))) << name;
    const auto attributes = platform::GetAttributes(WinPath(name));
    ASSERT_TRUE(attributes);
    EXPECT_EQ((*attributes & platform::attr::ReadOnly) != 0, size % 2 == 1) << name;
    EXPECT_TRUE(HostExists(name + ".vek"));
  }
  EXPECT_TRUE(HostExists("empty.txt"));
  EXPECT_TRUE(ReadHost("empty.txt").empty());
  EXPECT_FALSE(HostExists("tmp.tmp"));
  EXPECT_TRUE(NoTempFiles());
  EXPECT_EQ(vek::OverallTotal, 1 + 8192 + 8193);
}

TEST_F(EngineDecryptTest, AWrongKeyLeavesEveryFileAsItWas) {
  const auto content = PatternBytes(20000);
  AddVekJob("b.txt.vek", content);
  const auto encrypted = ReadHost("b.txt.vek");
  StartRun(vek::RunDecrypt, "not the right key");
  ExpectWarning("b.txt.vek", InvalidKeyMessage);
  EXPECT_TRUE(LogHas(AuthenticationFailed));
  EXPECT_FALSE(HostExists("b.txt"));
  EXPECT_FALSE(HostExists("tmp.tmp"));
  Form20->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  Form8->Button1->Click();

  // An existing target stays untouched, with warnings off as well.
  MakeFile(HostPath("a.txt"), "old plain file");
  AddVekJob("a.txt.vek", content);
  AddVekJob("b.txt.vek", content);
  StartRun(vek::RunDecrypt, "not the right key");
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());  // overwrite a.txt?
  Form20->Button2->Click();        // Continue, ignoring all future warnings
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(LogCount(AuthenticationFailed), 2);
  EXPECT_EQ(LogCount("WARNING: " + std::string(InvalidKeyMessage)), 2);
  EXPECT_EQ(ReadHost("a.txt"), Bytes("old plain file"));
  EXPECT_FALSE(HostExists("b.txt"));
  EXPECT_FALSE(HostExists("tmp.tmp"));
  EXPECT_TRUE(NoTempFiles());
  EXPECT_EQ(ReadHost("b.txt.vek"), encrypted);
}

struct TNameCase {
  std::string Source;
  std::string Target;
};

TEST_F(EngineDecryptTest, TargetNames) {
  const TNameCase cases[] = {
      {"report.doc.vek", "report.doc"},
      {"report.VEK", "(Encrypted extension not .vek) report.VEK"},
      {"x.txt", "(Encrypted extension not .vek) x.txt"},
      {".vek", "(Encrypted extension not .vek) .vek"},
  };
  uint32_t seed = 1;
  for (const TNameCase& c : cases) AddVekJob(c.Source, PatternBytes(100, seed++));
  DecryptAll();
  seed = 1;
  for (const TNameCase& c : cases) {
    EXPECT_EQ(ReadHost(c.Target), PatternBytes(100, seed++)) << c.Source;
    const int64_t size = static_cast<int64_t>(std::filesystem::file_size(HostPath(c.Source)));
    EXPECT_TRUE(
        LogHas("Now processing: " + c.Source + " -> " + c.Target + " " + vek::SizeToText(size)));
  }
}

TEST_F(EngineDecryptTest, TotalsCountGenuineEntriesOnly) {
  const uint16_t i = AddVekJob("a.bin.vek", PatternBytes(3000));
  AddPlainJob("plain.txt", PatternBytes(5000));
  vek::DeleteEncryptedAfterDecrypt = true;
  vek::DeleteMethod = vek::DeleteSinglePass;
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilState(vek::StateDecryptNextFile));
  EXPECT_EQ(vek::OverallTotal,
            3000 + vek::TForm8::KilobytesRoundedUp(vek::JobList.Size[i]) * 1024 * 2);
  EXPECT_EQ(vek::OverallStep, vek::OverallTotal / 400);
  Form8->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  Form8->Button1->Click();

  // Plain entries only: nothing to count, and a warning for each.
  AddPlainJob("one.txt", PatternBytes(10));
  AddPlainJob("two.txt", PatternBytes(10));
  StartRun(vek::RunDecrypt);
  ExpectWarning("one.txt", NotGenuineMessage);
  EXPECT_EQ(vek::OverallTotal, 0);
  Form20->Button3->Click();
  ASSERT_TRUE(RunUntilIdle());
  Form8->Button1->Click();

  AddPlainJob("one.txt", PatternBytes(10));
  AddPlainJob("two.txt", PatternBytes(10));
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilState(vek::StateDecryptNextFile));
  vek::WarningsOn = false;
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(LogCount("WARNING: " + std::string(NotGenuineMessage)), 2);
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
}

void FlipBit(const std::filesystem::path& file, size_t at) {
  WriteAt(file, at, {static_cast<uint8_t>(ReadFileBytes(file)[at] ^ 0x01)});
}

// Changes made to a listed file before the run reaches it.
constexpr size_t ChangedSize = 10000;
struct TChangeCase {
  const char* What;
  void (*Change)(const std::filesystem::path& file, size_t headerLength);
  std::string_view Message;
};

TEST_F(EngineDecryptTest, AFileChangedSinceItWasListed) {
  const TChangeCase cases[] = {
      {"truncated",
       [](const std::filesystem::path& file, size_t header) {
         std::filesystem::resize_file(file, header + ChangedSize + 60);
       },
       NotGenuineMessage},
      {"size field negative",
       [](const std::filesystem::path& file, size_t header) {
         WriteAt(file, header - 8, std::vector<uint8_t>(8, 0xFF));
       },
       NotGenuineMessage},
      {"size field too large",
       [](const std::filesystem::path& file, size_t header) {
         WriteAt(file, header - 8, {0, 0, 0, 0, 0, 0, 0x27, 0x11});  // 10001
       },
       NotGenuineMessage},
      {"size field smaller",
       [](const std::filesystem::path& file, size_t header) {
         WriteAt(file, header - 8, {0, 0, 0, 0, 0, 0, 0x03, 0xE8});  // 1000
       },
       NotGenuineMessage},
      {"key-check byte 5",
       [](const std::filesystem::path& file, size_t header) {
         FlipBit(file, header + ChangedSize + 5);
       },
       InvalidKeyMessage},
      {"first key-check byte",
       [](const std::filesystem::path& file, size_t header) {
         FlipBit(file, header + ChangedSize);
       },
       InvalidKeyMessage},
      {"last key-check byte",
       [](const std::filesystem::path& file, size_t header) {
         FlipBit(file, header + ChangedSize + 127);
       },
       InvalidKeyMessage},
  };
  const size_t headerLength = ExpectedHeader(PlainFields(ChangedSize)).size();
  for (const TChangeCase& c : cases) {
    AddVekJob("a.vek", PatternBytes(ChangedSize));
    c.Change(HostPath("a.vek"), headerLength);
    StartRun(vek::RunDecrypt);
    ExpectWarning("a.vek", c.Message);
    EXPECT_FALSE(HostExists("a")) << c.What;
    EXPECT_FALSE(HostExists("tmp.tmp")) << c.What;
    EXPECT_FALSE(vek::SourceOpen || vek::TempOpen) << c.What;
    Form20->Button3->Click();
    ASSERT_TRUE(RunUntilIdle());
    Form8->Button1->Click();

    // With warnings off the run passes the file over and goes on.
    AddVekJob("a.vek", PatternBytes(ChangedSize));
    c.Change(HostPath("a.vek"), headerLength);
    AddVekJob("b.txt.vek", PatternBytes(50));
    StartRun(vek::RunDecrypt);
    ASSERT_TRUE(RunUntilState(vek::StateDecryptNextFile));
    vek::WarningsOn = false;
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_TRUE(LogHas("WARNING: " + std::string(c.Message))) << c.What;
    EXPECT_FALSE(HostExists("a")) << c.What;
    EXPECT_FALSE(HostExists("tmp.tmp")) << c.What;
    EXPECT_EQ(ReadHost("b.txt"), PatternBytes(50)) << c.What;
    Form8->Button1->Click();
    std::filesystem::remove(HostPath("b.txt"));
  }
}

// A file whose size field the file cannot hold is no encrypted file from
// the moment it is listed: it counts for nothing and nothing is written.
TEST_F(EngineDecryptTest, ASizeFieldTheFileCannotHoldIsNotGenuine) {
  struct TSizeCase {
    const char* What;
    std::vector<uint8_t> Field;
  };
  const TSizeCase cases[] = {
      {"negative", std::vector<uint8_t>(8, 0xFF)},
      {"one byte too large", {0, 0, 0, 0, 0, 0, 0x27, 0x11}},  // 10001
      {"far too large", {0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  const size_t headerLength = ExpectedHeader(PlainFields(ChangedSize)).size();
  for (const TSizeCase& c : cases) {
    MakeFile(HostPath("a.vek"),
             ExpectedVekFile(PlainFields(ChangedSize), PatternBytes(ChangedSize), TestKey));
    WriteAt(HostPath("a.vek"), headerLength - 8, c.Field);
    const auto crafted = ReadHost("a.vek");
    const uint16_t i = ListFile("a.vek");
    EXPECT_FALSE(vek::JobList.IsVekFile[i]) << c.What;
    StartRun(vek::RunDecrypt);
    ExpectWarning("a.vek", NotGenuineMessage);
    EXPECT_EQ(vek::OverallTotal, 0) << c.What;
    EXPECT_FALSE(HostExists("a")) << c.What;
    EXPECT_FALSE(HostExists("tmp.tmp")) << c.What;
    EXPECT_EQ(ReadHost("a.vek"), crafted) << c.What;
    Form20->Button3->Click();
    ASSERT_TRUE(RunUntilIdle());
    Form8->Button1->Click();
  }
}

TEST_F(EngineDecryptTest, AFileThatEndsWhileItIsReadIsAReadFault) {
  AddVekJob("a.txt.vek", PatternBytes(30000));
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilState(vek::StateDecipherBlock));
  std::filesystem::resize_file(HostPath("a.txt.vek"), 9000);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "30");
  EXPECT_EQ(Form15->Label12->Caption(), "a.txt.vek");
  Form15->Button4->Click();  // Skip all errors: on with the next file
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
  EXPECT_FALSE(HostExists("a.txt"));
  EXPECT_FALSE(HostExists("tmp.tmp"));
}

TEST_F(EngineDecryptTest, AMissingSourceIsSearchedAgainOnRetry) {
  SetDriveKind('C', platform::drive::Removable);
  const auto content = PatternBytes(500);
  AddVekJob("late.txt.vek", content);
  std::filesystem::rename(HostPath("late.txt.vek"), HostPath("away"));
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "2");
  EXPECT_EQ(Form15->Label12->Caption(), "late.txt.vek");
  Form15->Button1->Click();  // Retry while it is still away: the search reports again
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());
  EXPECT_EQ(Form15->Label2->Caption(), "2");
  EXPECT_EQ(Form15->Label10->Caption(), "Source file not found");
  std::filesystem::rename(HostPath("away"), HostPath("late.txt.vek"));
  Form15->Button1->Click();  // Retry
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(LogCount("Searching again.."), 2);
  EXPECT_EQ(ReadHost("late.txt"), content);
}

TEST_F(EngineDecryptTest, FreeSpaceMustExceedThePlainSize) {
  AddVekJob("a.txt.vek", PatternBytes(1000));
  platform::FakeDrive drive;
  drive.Space = platform::DiskFreeSpace{1, 512, 0, 0};
  drive.SpaceEx = platform::DiskFreeSpaceEx{1000, uint64_t{1} << 40, 1000};
  platform::SetFakeDrive('C', drive);
  StartRun(vek::RunDecrypt);
  ExpectWarning("There is not enough free disk space on drive C: (" + vek::SizeToText(1000) +
                    " min required, " + vek::SizeToText(1000) + " free)",
                "Either free up space on this drive or copy file to another drive with more free "
                "space.");
  EXPECT_FALSE(HostExists("tmp.tmp"));
}

TEST_F(EngineDecryptTest, AnExistingTmpTmpIsKept) {
  MakeFile(HostPath("tmp.tmp"), "somebody's own file");
  const auto a = PatternBytes(9000, 1);
  const auto b = PatternBytes(300, 2);
  AddVekJob("a.txt.vek", a);
  AddVekJob("tmp.tmp.vek", b);  // decrypts to the name that is taken
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());
  EXPECT_EQ(Form20->Label2->Caption(), "tmp.tmp");
  EXPECT_EQ(ReadHost("a.txt"), a);
  EXPECT_EQ(ReadHost("tmp.tmp"), Bytes("somebody's own file"));
  Form20->Button1->Click();  // the user agrees to replace it
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadHost("tmp.tmp"), b);
  EXPECT_TRUE(NoTempFiles());
  Form8->Button1->Click();

  // Without a file of that name the output still takes it.
  std::filesystem::remove(HostPath("tmp.tmp"));
  AddVekJob("tmp.tmp.vek", b);
  DecryptAll();
  EXPECT_EQ(ReadHost("tmp.tmp"), b);
  EXPECT_TRUE(NoTempFiles());
}

TEST_F(EngineDecryptTest, AFailedRenameKeepsTheEncryptedFile) {
  struct TRenameCase {
    const char* What;
    bool TargetIsFolder;
  };
  for (const TRenameCase c : {TRenameCase{"fault", false}, TRenameCase{"folder", true}}) {
    const auto content = PatternBytes(5000);
    AddVekJob("a.txt.vek", content);
    const auto encrypted = ReadHost("a.txt.vek");
    vek::DeleteEncryptedAfterDecrypt = true;
    if (c.TargetIsFolder) {
      std::filesystem::create_directory(HostPath("a.txt"));
    } else {
      platform::faults::Fail(platform::faults::Op::Rename, 1, platform::err::AccessDenied);
    }
    StartRun(vek::RunDecrypt);
    EXPECT_FALSE(PassesOnTheWayToIdle(vek::StateDeleteFile)) << c.What;
    ASSERT_TRUE(Form15->IsShown()) << c.What;
    EXPECT_EQ(Form15->Label2->Caption(), "29");
    EXPECT_EQ(Form15->Label12->Caption(), "a.txt");
    Form15->Button4->Click();  // Skip all errors
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(ReadHost("a.txt.vek"), encrypted) << c.What;
    EXPECT_FALSE(HostExists("tmp.tmp")) << c.What;
    EXPECT_TRUE(NoTempFiles()) << c.What;
    Form8->Button1->Click();
  }
  EXPECT_TRUE(std::filesystem::is_directory(HostPath("a.txt")));
}

TEST_F(EngineDecryptTest, WithWarningsOffAnExistingTargetIsReplaced) {
  MakeFile(HostPath("a.txt"), PatternBytes(50000, 9));
  const auto content = PatternBytes(1000);
  AddVekJob("a.txt.vek", content);
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilState(vek::StateDecryptNextFile));
  vek::WarningsOn = false;
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_FALSE(Form20->IsShown());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_EQ(ReadHost("a.txt"), content);
  EXPECT_TRUE(NoTempFiles());
}

TEST_F(EngineDecryptTest, TheEncryptedFileIsDeletedOnlyOnceThePlainFileStands) {
  const auto content = PatternBytes(20000);
  AddVekJob("a.txt.vek", content);
  vek::DeleteEncryptedAfterDecrypt = true;
  vek::DeleteMethod = vek::DeleteSinglePass;
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilState(vek::StateDeleteFile));
  EXPECT_EQ(ReadHost("a.txt"), content);
  EXPECT_FALSE(HostExists("tmp.tmp"));
  EXPECT_EQ(vek::DeleteName, "a.txt.vek");
  EXPECT_EQ(vek::DeleteReturnState, vek::StateDecryptNextFile);
  EXPECT_EQ(Form8->Label14->Caption(), "Deleting original encrypted file by request");
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed.");
  EXPECT_FALSE(HostExists("a.txt.vek"));
  EXPECT_EQ(ReadHost("a.txt"), content);
  Form8->Button1->Click();

  // A wrong key never reaches the delete.
  AddVekJob("b.txt.vek", content);
  StartRun(vek::RunDecrypt, "not the right key");
  EXPECT_FALSE(PassesOnTheWayToIdle(vek::StateDeleteFile));
  EXPECT_TRUE(HostExists("b.txt.vek"));
}

// The raised priority of a boosted file is lowered while a question waits
// and comes back with the answer, for a warning and for an error report.
TEST_F(EngineDecryptTest, ABoostedFileGetsItsPriorityBackAfterEachQuestion) {
  vek::InsaneModeThreshold = vek::InsaneModeAlways;
  SetDriveKind('C', platform::drive::Removable);  // the error report offers Retry
  MakeFile(HostPath("a.txt"), "older plain file");
  const auto content = PatternBytes(3000);
  AddVekJob("a.txt.vek", content);
  platform::faults::Fail(platform::faults::Op::Open, 1, platform::err::SharingViolation);
  platform::ClearPriorityRequests();
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form20->IsShown());  // overwrite a.txt?
  Form20->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  ASSERT_TRUE(Form15->IsShown());  // the source cannot be opened
  Form15->Button1->Click();        // Retry
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(Form8->Label1->Caption(), "Completed (including errors)");
  EXPECT_EQ(ReadHost("a.txt"), content);
  constexpr uint32_t High = platform::HighPriorityClass;
  constexpr uint32_t Normal = platform::NormalPriorityClass;
  EXPECT_EQ(platform::PriorityRequests(),
            (std::vector<uint32_t>{High, Normal, High, Normal, High, Normal}));

  // A file without the boost stays at the normal class after an answer.
  Form8->Button1->Click();
  vek::InsaneModeThreshold = 0;
  AddVekJob("a.txt.vek", content);
  platform::ClearPriorityRequests();
  StartRun(vek::RunDecrypt);
  ASSERT_TRUE(RunUntilIdle());
  Form20->Button1->Click();
  ASSERT_TRUE(RunUntilIdle());
  for (const uint32_t request : platform::PriorityRequests()) EXPECT_EQ(request, Normal);
}

}  // namespace
}  // namespace vektest
