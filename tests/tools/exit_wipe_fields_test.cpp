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
#include "state_values.h"
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

using statetest::FillWithUserData;

// One thing the wipe reaches: how to put user data there, and whether the
// wipe left it as it should.
struct Wiped {
  std::string What;
  std::function<void()> Fill;
  std::function<bool()> IsWiped;
};

Wiped EditText(const char* what, ui::TEdit* edit, size_t width) {
  return {what, [edit] { edit->SetText("secret"); },
          [edit, width] { return IsNul(edit->Text(), width); }};
}
Wiped ComboText(const char* what, ui::TComboBox* combo) {
  return {what, [combo] { combo->SetText("http://acme.example/"); },
          [combo] { return IsNul(combo->Text(), 64); }};
}

// A file record: its texts NUL texts, its owner data NULs, all else zero.
bool IsWipedRecord(const vek::TCurrentFile& file) {
  bool texts = true;
  for (const std::string* t :
       {&file.Name, &file.Folder, &file.ProductLine, &file.WindowsVersionText,
        &file.RegisteredOwner, &file.RegisteredOrganization, &file.ComputerName, &file.ProductId}) {
    texts = texts && IsNul(*t, 255);
  }
  return texts && IsNul(file.Owner) && IsZero(file.Size) && IsZero(file.Created) &&
         IsZero(file.Modified) && IsZero(file.Accessed) && IsZero(file.Attributes) &&
         IsZero(file.Status) && IsZero(file.IsVekFile) && IsZero(file.SoftwareVersion) &&
         IsZero(file.FileFormatVersion) && IsZero(file.HasTimestamp) && IsZero(file.Timestamp) &&
         IsZero(file.PreserveAttributes) && IsZero(file.HeaderAttributes) &&
         IsZero(file.HasWindowsInfo) && IsZero(file.ContentSize) && IsZero(file.DataStart);
}

// A program-wide variable as the wipe leaves it, by its kind. The header
// text gets one NUL per job-list row.
template <class T>
bool IsWipedVariable(const T& value) {
  using namespace vek;
  if constexpr (std::is_same_v<T, std::string>) {
    return IsNul(value, &value == &HeaderText ? JobListCapacityMax : 255);
  } else if constexpr (std::is_same_v<T, TJobList>) {
    bool all = IsZero(value.JobCount) && IsZero(value.JobListCapacity) &&
               IsZero(value.JobTotalSize) && IsZero(value.SelectedRow);
    for (size_t i : {size_t{1}, size_t{JobListCapacityMax}}) {
      const_cast<TJobList&>(value).ForEachField(
          [i, &all](const auto& field) { all = all && IsWiped(field[i]); });
    }
    return all;
  } else if constexpr (std::is_same_v<T, TCurrentFile>) {
    return IsWipedRecord(value);
  } else if constexpr (std::is_same_v<T, TEditedEntry>) {
    return IsNul(value.Name, 255) && IsNul(value.Owner) && value.Size == 0 && !value.HasTimestamp &&
           !value.PreserveAttributes && !value.HasWindowsInfo;
  } else if constexpr (std::is_same_v<T, TKeystreamStore>) {
    return value.Kept() == 0;
  } else if constexpr (requires { value.Chars; }) {
    return IsNul(value);
  } else {
    return IsZero(value);
  }
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

// Every program-wide variable, whatever its group, and every control text
// that can hold user data.
TEST_F(ToolsExitWipeFieldsTableTest, EveryListedThingIsOverwritten) {
  using namespace vek;
  std::vector<Wiped> table = {
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
  ForEachProgramVariable([](const char*, auto& value) { FillWithUserData(value); });
  ASSERT_GT(RunKeystream.Kept(), 0u);
  // What the wipe needs to run: no settings written, the windows let go.
  SaveWindowLayout = false;
  ExitRequested = true;
  Form19->Show();
  for (int tick = 0; tick < JobListCapacityMax; ++tick) ui::clock::Advance(5);
  for (const Wiped& w : table) EXPECT_TRUE(w.IsWiped()) << w.What;
  ForEachProgramVariable(
      [](const char* name, const auto& value) { EXPECT_TRUE(IsWipedVariable(value)) << name; });
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
