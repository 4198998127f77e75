// Each thing the exit wipe overwrites, in the order of its steps, holds user
// data first; afterwards it holds NULs or zero.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "core/state.h"
#include "engine/activity_log_window.h"
#include "engine/key_entry_window.h"
#include "program_fixture.h"
#include "tools/editor_window.h"
#include "tools/exit_wipe_window.h"
#include "tools/screen_lock_window.h"
#include "tools/viewer_window.h"
#include "ui/clock.h"
#include "ui_test_support.h"
#include "wipe_checks.h"

namespace {

using vek::JobList;

using wipetest::IsNul;
using wipetest::IsWiped;
using wipetest::IsZero;

// Something that is not zero in every byte of a plain value.
template <class T>
void FillNonZero(T& value) {
  if constexpr (std::is_same_v<T, bool>) {
    value = true;
  } else {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memset(static_cast<void*>(&value), 1, sizeof value);
  }
}
vek::TEmbeddedData SomeOwner() {
  vek::TEmbeddedData owner;
  owner.OwnerFirstName.Assign("Ann");
  owner.OwnerLastName.Assign("Lee");
  owner.OwnerCompany.Assign("Acme");
  owner.OwnerLocation.Assign("http://acme.example/");
  owner.OwnerEmail.Assign("ann@acme.example");
  for (auto& line : owner.InfoLines) line.Assign("private note");
  return owner;
}

// One thing the wipe reaches: how to put user data there, and whether the
// wipe left it as it should.
struct Wiped {
  std::string What;
  std::function<void()> Fill;
  std::function<bool()> IsWiped;
};

Wiped Text(const char* what, std::string& text) {
  return {what, [&text] { text = std::string("user data of ") + "C:\\private\\"; },
          [&text] { return IsNul(text, 255); }};
}
template <size_t N>
Wiped Short(const char* what, vek::TShortString<N>& text) {
  return {what, [&text] { text.Assign("secret"); }, [&text] { return IsNul(text); }};
}
template <class T>
Wiped Zero(const char* what, T& value) {
  return {what, [&value] { FillNonZero(value); }, [&value] { return IsZero(value); }};
}
Wiped EditText(const char* what, ui::TEdit* edit, size_t width) {
  return {what, [edit] { edit->SetText("secret"); },
          [edit, width] { return IsNul(edit->Text(), width); }};
}
Wiped ComboText(const char* what, ui::TComboBox* combo) {
  return {what, [combo] { combo->SetText("http://acme.example/"); },
          [combo] { return IsNul(combo->Text(), 64); }};
}
// A file record: its texts NUL texts, its owner data NULs, all else zero.
Wiped FileRecord(const char* what, vek::TCurrentFile& file) {
  return {what,
          [&file] {
            file.Name = "secret.doc.vek";
            file.Folder = "C:\\private\\";
            FillNonZero(file.Size);
            FillNonZero(file.Created);
            FillNonZero(file.Modified);
            FillNonZero(file.Accessed);
            FillNonZero(file.Attributes);
            FillNonZero(file.Status);
            FillNonZero(file.IsVekFile);
            file.ProductLine = "product";
            FillNonZero(file.SoftwareVersion);
            FillNonZero(file.FileFormatVersion);
            file.Owner = SomeOwner();
            FillNonZero(file.HasTimestamp);
            FillNonZero(file.Timestamp);
            FillNonZero(file.PreserveAttributes);
            FillNonZero(file.HeaderAttributes);
            FillNonZero(file.HasWindowsInfo);
            file.WindowsVersionText = "Windows XP";
            file.RegisteredOwner = "Ann Lee";
            file.RegisteredOrganization = "Acme";
            file.ComputerName = "DESK";
            file.ProductId = "12345-OEM";
            FillNonZero(file.ContentSize);
          },
          [&file] {
            bool texts = true;
            for (const std::string* t :
                 {&file.Name, &file.Folder, &file.ProductLine, &file.WindowsVersionText,
                  &file.RegisteredOwner, &file.RegisteredOrganization, &file.ComputerName,
                  &file.ProductId}) {
              texts = texts && IsNul(*t, 255);
            }
            return texts && IsNul(file.Owner) && IsZero(file.Size) && IsZero(file.Created) &&
                   IsZero(file.Modified) && IsZero(file.Accessed) && IsZero(file.Attributes) &&
                   IsZero(file.Status) && IsZero(file.IsVekFile) &&
                   IsZero(file.SoftwareVersion) && IsZero(file.FileFormatVersion) &&
                   IsZero(file.HasTimestamp) && IsZero(file.Timestamp) &&
                   IsZero(file.PreserveAttributes) && IsZero(file.HeaderAttributes) &&
                   IsZero(file.HasWindowsInfo) && IsZero(file.ContentSize);
          }};
}

class ToolsExitWipeFieldsTableTest : public vektest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    vek::ProgramFolder = WinPath();
    vek::SaveWindowLayout = false;
  }
  // The wipe ended the program: the next test gets a running one.
  void TearDown() override {
    ProgramTest::TearDown();
    vektest::RestartUiApplication();
  }
};

TEST_F(ToolsExitWipeFieldsTableTest, EveryListedThingIsOverwritten) {
  using namespace vek;
  std::vector<Wiped> table = {
      // Per entry: the shared buffers, the header text, every field of every
      // job entry.
      {"shared buffers", [] { SharedBuffer.fill(0xA5), SharedBuffer2.fill(0x5A); },
       [] { return IsZero(SharedBuffer) && IsZero(SharedBuffer2); }},
      {"header text", [] { HeaderText = "VEK 2003 header"; },
       [] { return IsNul(HeaderText, JobListCapacityMax); }},
      {"every field of the first and last entries",
       [] {
         for (size_t i : {size_t{1}, size_t{JobListCapacityMax}}) {
           JobList.ForEachField([i](auto& field) {
             using T = std::remove_reference_t<decltype(field[i])>;
             if constexpr (std::is_same_v<T, std::string>) {
               field[i] = "secret";
             } else if constexpr (std::is_same_v<T, TEmbeddedData>) {
               field[i] = SomeOwner();
             } else {
               FillNonZero(field[i]);
             }
           });
         }
       },
       [] {
         bool all = true;
         for (size_t i : {size_t{1}, size_t{JobListCapacityMax}}) {
           JobList.ForEachField([i, &all](auto& field) { all = all && IsWiped(field[i]); });
         }
         return all;
       }},
      // Program-wide texts.
      Text("program folder", ProgramFolder),
      Text("Windows version text", WindowsVersionText),
      Text("computer name", WindowsComputerName),
      Text("registered owner", WindowsRegisteredOwner),
      Text("registered organization", WindowsRegisteredOrganization),
      Text("product id", WindowsProductId),
      Text("source name", SourceName),
      Text("target name", TargetName),
      Text("job folder", JobFolder),
      Text("delete folder", DeleteFolder),
      Text("delete name", DeleteName),
      Text("error type", ErrorType),
      Text("error detail", ErrorDetail),
      Text("error advice", ErrorAdvice),
      Text("error file", ErrorFileText),
      Text("download address", DownloadAddress),
      Text("latest version", LatestVersion),
      Text("update reply", UpdateReply),
      // Drives, run mode and the engine's figures.
      Zero("drive kinds", DriveKinds),
      Zero("bytes per sector", DriveBytesPerSector),
      Zero("sectors per cluster", DriveSectorsPerCluster),
      Zero("bytes per cluster", DriveBytesPerCluster),
      Zero("used clusters", DriveUsedClusters),
      Zero("free clusters", DriveFreeClusters),
      Zero("total clusters", DriveTotalClusters),
      Zero("used bytes", DriveUsedBytes),
      Zero("free bytes", DriveFreeBytes),
      Zero("total bytes", DriveTotalBytes),
      Zero("run mode", RunMode),
      Zero("file total", FileTotal),
      Zero("file done", FileDone),
      Zero("overall total", OverallTotal),
      Zero("overall done", OverallDone),
      Zero("error count", ErrorCount),
      Zero("key state", KeyState),
      // Options.
      Short("first name", OwnerFirstName),
      Short("last name", OwnerLastName),
      Short("company", OwnerCompany),
      Short("location", OwnerLocation),
      Short("e-mail", OwnerEmail),
      Short("line 1", InfoLine1),
      Short("line 2", InfoLine2),
      Short("line 3", InfoLine3),
      Short("lock password", ScreenLockPassword),
      Zero("timestamp option", TimestampEncryption),
      Zero("attributes option", PreserveAttributes),
      Zero("Windows option", WindowsInformation),
      Zero("delete plaintext option", DeletePlaintextAfterEncrypt),
      Zero("verify option", VerifyAfterEncrypt),
      Zero("delete encrypted option", DeleteEncryptedAfterDecrypt),
      Zero("hints option", ShowHints),
      Zero("lock option", ScreenLockEnabled),
      Zero("delete method", DeleteMethod),
      Zero("hint pause", HintPause),
      Zero("hint hide pause", HintHidePause),
      Zero("lock speed", LockWindowSpeed),
      Zero("insane threshold", InsaneModeThreshold),
      Zero("start count", StartCount),
      Zero("lock step x", LockStepX),
      Zero("lock step y", LockStepY),
      Zero("window lefts", WindowLeft),
      Zero("window tops", WindowTop),
      // The list's totals and the records.
      Zero("job count", JobList.JobCount),
      Zero("job total size", JobList.JobTotalSize),
      {"edited entry",
       [] {
         EditedEntry.Name = "secret.doc";
         EditedEntry.Size = 1000;
         EditedEntry.Owner = SomeOwner();
         EditedEntry.HasTimestamp = EditedEntry.PreserveAttributes = EditedEntry.HasWindowsInfo =
             true;
       },
       [] {
         return IsNul(EditedEntry.Name, 255) && IsNul(EditedEntry.Owner) &&
                EditedEntry.Size == 0 && !EditedEntry.HasTimestamp &&
                !EditedEntry.PreserveAttributes && !EditedEntry.HasWindowsInfo;
       }},
      FileRecord("current file", CurrentFile),
      FileRecord("viewer's record", ViewerRecord),
      Zero("Windows version code", WindowsVersionCode),
      Zero("Windows major version", WindowsMajorVersion),
      Zero("Windows minor version", WindowsMinorVersion),
      Zero("Windows build", WindowsBuildNumber),
      // Control texts.
      EditText("options first name", Form4->Edit1, 16),
      EditText("options last name", Form4->Edit2, 16),
      EditText("options company", Form4->Edit3, 32),
      EditText("options e-mail", Form4->Edit4, 64),
      EditText("options line 1", Form4->Edit5, 64),
      EditText("options line 2", Form4->Edit6, 64),
      EditText("options line 3", Form4->Edit7, 64),
      EditText("options password", Form4->Edit8, 16),
      ComboText("options location", Form4->ComboBox1),
      EditText("key text", Form7->Edit1, 128),
      EditText("lock password box", Form17->Edit1, 16),
      EditText("editor first name", Form18->Edit1, 16),
      EditText("editor last name", Form18->Edit2, 16),
      EditText("editor company", Form18->Edit3, 32),
      EditText("editor e-mail", Form18->Edit4, 64),
      EditText("editor line 1", Form18->Edit5, 64),
      EditText("editor line 2", Form18->Edit6, 64),
      EditText("editor line 3", Form18->Edit7, 64),
      ComboText("editor location", Form18->ComboBox1),
      {"activity log", [] { Form21->ListBox1->AddItem("Encrypting secret.doc"); },
       [] { return Form21->ListBox1->Count() == 0; }},
  };
  ui::TLabel* const viewerLabels[] = {
      Form16->Label17, Form16->Label18, Form16->Label19, Form16->Label20, Form16->Label21,
      Form16->Label22, Form16->Label23, Form16->Label24, Form16->Label25, Form16->Label26,
      Form16->Label27, Form16->Label28, Form16->Label29, Form16->Label30, Form16->Label31,
      Form16->Label32, Form16->Label33, Form16->Label34};
  for (ui::TLabel* label : viewerLabels) {
    table.push_back({"viewer " + label->Name(), [label] { label->SetCaption("Ann Lee"); },
                     [label] { return IsNul(label->Caption(), 255); }});
  }

  for (const Wiped& w : table) w.Fill();
  ExitRequested = true;
  Form19->Show();
  for (int tick = 0; tick < JobListCapacityMax; ++tick) ui::clock::Advance(5);
  for (const Wiped& w : table) EXPECT_TRUE(w.IsWiped()) << w.What;
  EXPECT_FALSE(ExitRequested);
}

// The two pictures change places every 32nd row: 32 times each, never both
// shown; the percent follows the rows.
TEST_F(ToolsExitWipeFieldsTableTest, ThePicturesTakeTurnsAndThePercentFollows) {
  vek::ExitRequested = true;
  vek::Form19->Show();
  ASSERT_NE(vek::Form19->Image3->Visible(), vek::Form19->Image4->Visible());
  int changes3 = 0;
  int changes4 = 0;
  int firstChange = 0;
  for (int row = 1; row <= vek::JobListCapacityMax; ++row) {
    const bool was3 = vek::Form19->Image3->Visible();
    const bool was4 = vek::Form19->Image4->Visible();
    ui::clock::Advance(5);
    changes3 += vek::Form19->Image3->Visible() != was3 ? 1 : 0;
    changes4 += vek::Form19->Image4->Visible() != was4 ? 1 : 0;
    if (firstChange == 0 && changes3 > 0) firstChange = row;
    EXPECT_NE(vek::Form19->Image3->Visible(), vek::Form19->Image4->Visible()) << row;
    if (row == 512 || row == 1023) {
      const int percent = row * 100 / 1024;
      EXPECT_EQ(vek::Form19->ProgressBar1->Position(), percent);
      EXPECT_EQ(vek::Form19->Label1->Caption(), std::to_string(percent) + "%");
    }
  }
  EXPECT_EQ(firstChange, 32);
  EXPECT_EQ(changes3, 32);
  EXPECT_EQ(changes4, 32);
}

}  // namespace
