#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app_fixture.h"
#include "core/settings.h"
#include "engine/delete_confirmation.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "test_support.h"
#include "ui/application.h"
#include "ui/dialogs.h"

namespace {

using vek::Form2;
using vek::Form4;

class AppOptionsTest : public apptest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartProgram();
    vek::Form1->Hide();
    Form2->Show();
    Form4->Show();
  }
  static void Apply() {
    Form4->Button1->Click();
    Form4->Show();
  }
};

// A text field: what is typed, what is stored, and what the next show puts back.
struct TextCase {
  ui::TEdit* vek::TForm4::*Edit;
  std::string Typed;
  std::string Stored;
  std::function<std::string_view()> Option;
};

TEST_F(AppOptionsTest, TextFieldsRoundTrip) {
  const std::vector<TextCase> cases = {
      {&vek::TForm4::Edit1, "  Ann  ", "Ann", [] { return vek::OwnerFirstName.Text(); }},
      {&vek::TForm4::Edit2, "Abcdefghijklmnopqrs", "Abcdefghijklmnop",
       [] { return vek::OwnerLastName.Text(); }},
      {&vek::TForm4::Edit3, std::string(40, 'c'), std::string(32, 'c'),
       [] { return vek::OwnerCompany.Text(); }},
      {&vek::TForm4::Edit4, " q@example.org ", "q@example.org",
       [] { return vek::OwnerEmail.Text(); }},
      {&vek::TForm4::Edit5, " line one", "line one", [] { return vek::InfoLine1.Text(); }},
      {&vek::TForm4::Edit6, "two ", "two", [] { return vek::InfoLine2.Text(); }},
      {&vek::TForm4::Edit7, std::string(70, '3'), std::string(64, '3'),
       [] { return vek::InfoLine3.Text(); }},
      {&vek::TForm4::Edit8, " pass word ", " pass word ",
       [] { return vek::ScreenLockPassword.Text(); }},
  };
  for (const TextCase& c : cases) (Form4->*c.Edit)->SetText(c.Typed);
  Form4->ComboBox1->SetText("  http://vek.example/  ");
  Apply();
  for (const TextCase& c : cases) {
    EXPECT_EQ(c.Option(), c.Stored) << c.Typed;
    EXPECT_EQ((Form4->*c.Edit)->Text(), c.Stored) << c.Typed;
  }
  EXPECT_EQ(vek::OwnerLocation.Text(), "  http://vek.example/  ");
  EXPECT_EQ(Form4->ComboBox1->Text(), "  http://vek.example/  ");
}

TEST_F(AppOptionsTest, TheEditsLimitWhatCanBeTyped) {
  const std::pair<ui::TEdit*, int> limits[] = {
      {Form4->Edit1, 16}, {Form4->Edit2, 16}, {Form4->Edit3, 32}, {Form4->Edit4, 64},
      {Form4->Edit5, 64}, {Form4->Edit6, 64}, {Form4->Edit7, 64}, {Form4->Edit8, 16}};
  for (const auto& [edit, limit] : limits) EXPECT_EQ(edit->MaxLength(), limit) << edit->Name();
  EXPECT_EQ(Form4->ComboBox1->MaxLength(), 64);
  Form4->Edit1->SetText("");
  Form4->Edit1->TypeText(std::string(17, 'x'));
  EXPECT_EQ(Form4->Edit1->Text(), std::string(16, 'x'));
}

// A switch of the dialog: the user opens its page and changes the control;
// apply, and read the option.
struct SwitchCase {
  const char* Name;
  int Page;
  std::function<void()> Set;
  std::function<bool()> Stored;
  std::function<bool()> Shown;
};

TEST_F(AppOptionsTest, SwitchesAndListsRoundTrip) {
  const std::vector<SwitchCase> cases = {
      {"timestamp off", 0, [] { Form4->CheckBox1->Click(); },
       [] { return !vek::TimestampEncryption; }, [] { return !Form4->CheckBox1->Checked(); }},
      {"attributes off", 0, [] { Form4->CheckBox2->Click(); },
       [] { return !vek::PreserveAttributes; }, [] { return !Form4->CheckBox2->Checked(); }},
      {"windows info off", 0, [] { Form4->CheckBox3->Click(); },
       [] { return !vek::WindowsInformation; }, [] { return !Form4->CheckBox3->Checked(); }},
      {"keep plaintext", 1, [] { Form4->RadioButton1->Click(); },
       [] { return !vek::DeletePlaintextAfterEncrypt; },
       [] { return Form4->RadioButton1->Checked() && !Form4->RadioButton2->Checked(); }},
      {"no verify", 1, [] { Form4->CheckBox4->Click(); }, [] { return !vek::VerifyAfterEncrypt; },
       [] { return !Form4->CheckBox4->Checked(); }},
      {"keep encrypted", 2, [] { Form4->RadioButton3->Click(); },
       [] { return !vek::DeleteEncryptedAfterDecrypt; },
       [] { return Form4->RadioButton3->Checked() && !Form4->RadioButton4->Checked(); }},
      {"normal delete", 3, [] { Form4->RadioButton5->Click(); },
       [] { return vek::DeleteMethod == vek::DeleteNormal; },
       [] { return Form4->RadioButton5->Checked(); }},
      {"triple pass", 3, [] { Form4->RadioButton7->Click(); },
       [] { return vek::DeleteMethod == vek::DeleteTriplePass; },
       [] { return Form4->RadioButton7->Checked(); }},
      {"single pass", 3, [] { Form4->RadioButton6->Click(); },
       [] { return vek::DeleteMethod == vek::DeleteSinglePass; },
       [] { return Form4->RadioButton6->Checked(); }},
      {"hints off", 4, [] { Form4->CheckBox5->Click(); }, [] { return !vek::ShowHints; },
       [] { return !Form4->CheckBox5->Checked(); }},
      {"0.1 seconds", 4, [] { Form4->ComboBox2->SelectItem(0); },
       [] { return vek::HintPause == 100 && ui::Application->HintPause() == 100; },
       [] { return Form4->ComboBox2->Text() == "0.1 seconds"; }},
      {"6.4 seconds", 4, [] { Form4->ComboBox2->SelectItem(6); },
       [] { return vek::HintPause == 6400; },
       [] { return Form4->ComboBox2->Text() == "6.4 seconds"; }},
      {"16 seconds", 4, [] { Form4->ComboBox3->SelectItem(15); },
       [] { return vek::HintHidePause == 16000 && ui::Application->HintHidePause() == 16000; },
       [] { return Form4->ComboBox3->Text() == "16 seconds"; }},
      {"layout on", 4, [] { Form4->CheckBox6->Click(); }, [] { return vek::SaveWindowLayout; },
       [] { return Form4->CheckBox6->Checked(); }},
      {"speed 5", 4, [] { Form4->TrackBar1->SlideTo(5); }, [] { return vek::LockWindowSpeed == 5; },
       [] { return Form4->TrackBar1->Position() == 5; }},
      {"always on", 2, [] { Form4->ComboBox4->SelectItem(21); },
       [] { return vek::InsaneModeThreshold == 21; },
       [] { return Form4->ComboBox4->Text() == "Always on"; }},
      {"1MB", 2, [] { Form4->ComboBox4->SelectItem(1); },
       [] { return vek::InsaneModeThreshold == 1; },
       [] { return Form4->ComboBox4->Text() == "1MB"; }},
  };
  for (const SwitchCase& c : cases) {
    Form4->TabbedNotebook1->ClickTab(c.Page);
    c.Set();
    Apply();
    EXPECT_TRUE(c.Stored()) << c.Name;
    EXPECT_TRUE(c.Shown()) << c.Name;
  }
}

TEST_F(AppOptionsTest, TheDefaultsShowAsTheirItems) {
  EXPECT_EQ(Form4->ComboBox2->Text(), "0.8 seconds");
  EXPECT_EQ(Form4->ComboBox3->Text(), "8 seconds");
  EXPECT_EQ(Form4->ComboBox4->Text(), "Always off");
  EXPECT_TRUE(Form4->RadioButton6->Checked());
  EXPECT_EQ(Form4->TrackBar1->Position(), 1);
  EXPECT_EQ(Form4->ComboBox1->ItemCount(), 27);
  EXPECT_EQ(Form4->ComboBox1->Item(26), "Z:\\");
  EXPECT_EQ(Form4->TabbedNotebook1->PageCount(), 5);
}

// No selection in a list leaves its option as it was.
TEST_F(AppOptionsTest, AnEmptyListSelectionKeepsTheOption) {
  vek::HintPause = 800;
  vek::HintHidePause = 4000;
  vek::InsaneModeThreshold = 7;
  for (ui::TComboBox* list : {Form4->ComboBox2, Form4->ComboBox3, Form4->ComboBox4}) {
    list->SetItemIndex(-1);
  }
  Form4->Button1->Click();
  EXPECT_EQ(vek::HintPause, 800);
  EXPECT_EQ(vek::HintHidePause, 4000);
  EXPECT_EQ(vek::InsaneModeThreshold, 7);
}

// With none of the three delete buttons ticked the method stays; a stored
// method that is none of the three ticks no button.
TEST_F(AppOptionsTest, NoTickedDeleteButtonKeepsTheMethod) {
  vek::DeleteMethod = vek::DeleteTriplePass;
  for (ui::TRadioButton* button : {Form4->RadioButton5, Form4->RadioButton6, Form4->RadioButton7}) {
    button->SetChecked(false);
  }
  Apply();
  EXPECT_EQ(vek::DeleteMethod, vek::DeleteTriplePass);
  EXPECT_TRUE(Form4->RadioButton7->Checked());

  Form4->Hide();
  Form4->RadioButton5->SetChecked(true);
  vek::DeleteMethod = 0;
  Form4->Show();
  EXPECT_TRUE(Form4->RadioButton5->Checked());
  EXPECT_FALSE(Form4->RadioButton6->Checked() || Form4->RadioButton7->Checked());
}

// The delete confirmation's prompt box is about the prompt only: clicking
// it while the dialog is open leaves "Preserve file attributes" alone.
TEST_F(AppOptionsTest, TheDeletePromptBoxLeavesPreserveAttributesAlone) {
  ASSERT_TRUE(Form4->CheckBox2->Checked());
  vek::Form9->ShowConfirmation();
  for (bool prompt : {false, true}) {
    vek::Form9->CheckBox1->Click();
    ASSERT_EQ(vek::ConfirmDeletes, prompt);
    EXPECT_TRUE(Form4->CheckBox2->Checked());
  }
  vek::Form9->CheckBox1->Click();
  Form4->Button1->Click();
  EXPECT_TRUE(vek::PreserveAttributes);
  EXPECT_FALSE(vek::ConfirmDeletes);
}

// A pause that is no item of the list leaves the list's selection alone.
TEST_F(AppOptionsTest, AnUnlistedHintPauseKeepsTheSelection) {
  Form4->Hide();
  Form4->ComboBox2->SetItemIndex(5);
  vek::HintPause = 750;
  Form4->Show();
  EXPECT_EQ(Form4->ComboBox2->ItemIndex(), 5);
}

TEST_F(AppOptionsTest, TheScreenLockNeedsAPassword) {
  Form4->TabbedNotebook1->ClickTab(4);
  Form4->CheckBox7->Click();
  EXPECT_TRUE(Form4->Edit8->Enabled());
  Form4->Edit8->SetText("");
  Apply();
  EXPECT_FALSE(vek::ScreenLockEnabled);
  EXPECT_FALSE(Form2->Button5->Enabled());
  EXPECT_FALSE(Form4->CheckBox7->Checked());
  EXPECT_FALSE(Form4->Edit8->Enabled());

  Form4->Edit8->SetText("kept");  // typed while the box is unticked
  Apply();
  EXPECT_EQ(vek::ScreenLockPassword.Text(), "kept");
  EXPECT_FALSE(vek::ScreenLockEnabled);

  Form4->CheckBox7->Click();
  Apply();
  EXPECT_TRUE(vek::ScreenLockEnabled);
  EXPECT_TRUE(Form2->Button5->Enabled());
  Form4->CheckBox7->Click();
  EXPECT_FALSE(Form4->Edit8->Enabled());
  EXPECT_EQ(Form4->Edit8->Text(), "kept");
}

TEST_F(AppOptionsTest, ClearAllFieldsChangesNothingUntilApply) {
  vek::OwnerFirstName.Assign("Ann");
  vek::OwnerLocation.Assign("ftp://");
  vek::InfoLine3.Assign("three");
  vek::DeleteMethod = vek::DeleteTriplePass;
  Form4->Hide();
  Form4->Show();
  Form4->Button3->Click();
  EXPECT_EQ(Form4->ComboBox1->Text(), "None");
  EXPECT_TRUE(Form4->RadioButton7->Checked());
  Form4->Button2->Click();
  EXPECT_FALSE(Form4->IsShown());
  EXPECT_TRUE(Form2->IsShown());
  EXPECT_EQ(vek::OwnerFirstName.Text(), "Ann");
  EXPECT_TRUE(vek::TimestampEncryption);

  Form4->Show();
  EXPECT_EQ(Form4->Edit1->Text(), "Ann");
  Form4->Button3->Click();
  Form4->Button1->Click();
  for (auto text : {vek::OwnerFirstName.Text(), vek::OwnerLastName.Text(), vek::OwnerCompany.Text(),
                    vek::OwnerEmail.Text(), vek::InfoLine1.Text(), vek::InfoLine2.Text(),
                    vek::InfoLine3.Text()}) {
    EXPECT_EQ(text, "");
  }
  EXPECT_EQ(vek::OwnerLocation.Text(), "None");
  EXPECT_FALSE(vek::TimestampEncryption || vek::PreserveAttributes || vek::WindowsInformation);
  EXPECT_EQ(vek::DeleteMethod, vek::DeleteTriplePass);
}

TEST_F(AppOptionsTest, ApplySavesAndTheNextStartReadsTheValues) {
  Form4->Edit3->SetText("Velso Ltd");
  Form4->TabbedNotebook1->ClickTab(3);
  Form4->RadioButton5->Click();
  Form4->TabbedNotebook1->ClickTab(4);
  Form4->ComboBox3->SelectItem(1);
  Form4->Button1->Click();
  EXPECT_FALSE(Form4->IsShown());
  EXPECT_TRUE(Form2->IsShown());
  EXPECT_EQ(vek::Form9->Label1->Caption(), "Use normal file system delete method");
  EXPECT_EQ(vek::Form9->Label4->Caption(), "(fastest speed but least protection)");

  RestartProgram();
  StartProgram();
  EXPECT_EQ(vek::StartCount, 2);
  EXPECT_EQ(vek::OwnerCompany.Text(), "Velso Ltd");
  EXPECT_EQ(vek::DeleteMethod, vek::DeleteNormal);
  EXPECT_EQ(vek::HintHidePause, 2000);
}

// Turning hints off silences every hinted control of every window.
TEST_F(AppOptionsTest, HintsOffSilencesEveryListedControl) {
  const std::vector<std::pair<int, std::vector<std::string>>> listed = {
      {2,
       {"BitBtn1", "BitBtn6", "DriveComboBox1", "FileListBox1", "ComboBox1", "StringGrid1",
        "Button5", "GroupBox1", "Label15", "GroupBox2", "BitBtn12", "DirectoryListBox1"}},
      {4, {"Edit1", "Edit8", "ComboBox4", "CheckBox7", "RadioButton7", "Button4", "TrackBar1"}},
      {6, {"Label7", "Button1"}},
      {7,
       {"Edit1", "ComboBox1", "Button1", "Button2", "Button3", "Button18", "Button32", "Button49",
        "Button63"}},
      {9, {"Button1", "Button2", "Button3", "CheckBox1"}},
      {15, {"Button1", "Button2", "Button3", "Button4"}},
      {16, {"Button1"}},
      {18, {"Edit1", "Edit6", "Edit7", "ComboBox1", "CheckBox1", "CheckBox2", "Button7"}},
      {20, {"Button1", "Button2", "Button3"}},
      {21, {"Button1"}},
  };
  const auto expectAll = [&](bool on) {
    for (const auto& [window, names] : listed) {
      const ui::TForm* form = vek::ProgramWindow(window);
      ASSERT_NE(form, nullptr) << window;
      for (const std::string& name : names) {
        const auto* control = form->Find<ui::TControl>(name);
        ASSERT_NE(control, nullptr) << window << " " << name;
        EXPECT_EQ(control->ShowHint(), on) << window << " " << name;
      }
    }
  };
  expectAll(true);
  Form4->CheckBox5->SetChecked(false);
  Form4->Button1->Click();
  expectAll(false);
  for (ui::TControl* control : Form2->AllControls()) {
    if (!control->Hint().empty()) {
      EXPECT_FALSE(control->ShowHint()) << control->Name();
    }
  }
}

// The caller's page stays; the dialog does not choose one.
TEST_F(AppOptionsTest, APageSetByTheCallerSurvivesTheShow) {
  Form4->Hide();
  Form4->TabbedNotebook1->SetPageIndex(3);
  Form4->Show();
  EXPECT_EQ(Form4->TabbedNotebook1->PageIndex(), 3);
  Form4->Hide();
  Form4->Show();
  EXPECT_EQ(Form4->TabbedNotebook1->PageIndex(), 3);
}

// A save would take the key state and the shared buffer away from the run.
TEST_F(AppOptionsTest, ApplyWaitsWhileARunIsInProgress) {
  vek::Form8->Show();
  ASSERT_TRUE(vek::Form8->RunActive());
  const auto settings = vektest::ReadFileBytes(HostPath("VEK 2003.set"));
  const vek::TKeyState key = vek::KeyState;
  Form4->Show();
  Form4->Edit1->SetText("Ann");
  ui::dialogs_for_test::Expect(ui::mrOk, "current processing has finished");
  Form4->Button1->Click();
  EXPECT_EQ(ui::dialogs_for_test::Pending(), 0);
  EXPECT_TRUE(Form4->IsShown());
  EXPECT_TRUE(vek::OwnerFirstName.Empty());
  EXPECT_TRUE(vek::KeyState == key);
  EXPECT_EQ(vektest::ReadFileBytes(HostPath("VEK 2003.set")), settings);
}

// The key entry and a run have hidden the main window to work on its job
// list: leaving the dialog must not bring it back (its show empties the list).
TEST_F(AppOptionsTest, LeavingTheDialogKeepsTheMainWindowHiddenForARun) {
  vek::CurrentFile = {};
  vek::CurrentFile.Name = "a.txt";
  vek::CurrentFile.Folder = "C:\\";
  Form2->AddCurrentFileToJobList();
  Form2->BitBtn1->Click();
  ASSERT_TRUE(vek::Form7->IsShown());
  ASSERT_FALSE(Form2->IsShown());
  for (ui::TButton* leave : {Form4->Button2, Form4->Button1}) {
    Form4->Show();
    leave->Click();
    EXPECT_FALSE(Form4->IsShown());
    EXPECT_FALSE(Form2->IsShown());
  }

  vek::Form7->Hide();
  vek::Form8->Show();
  ASSERT_TRUE(vek::Form8->RunActive());
  Form4->Show();
  Form4->Button2->Click();
  EXPECT_FALSE(Form2->IsShown());
  EXPECT_EQ(vek::JobList.JobCount, 1);
  EXPECT_EQ(vek::JobList.Name[1], "a.txt");
}

TEST_F(AppOptionsTest, CenterAllCentresTheWindowsNow) {
  Form2->SetLeft(1);
  Form4->TabbedNotebook1->ClickTab(4);
  Form4->Button4->Click();
  EXPECT_EQ(Form2->Left(), (ui::Screen->Width() - Form2->Width()) / 2);
}

TEST_F(AppOptionsTest, ScreenshotOfEachPage) {
  for (int page = 0; page < 5; ++page) {
    Form4->TabbedNotebook1->ClickTab(page);
    Screenshot(Form4, "options_page_" + std::to_string(page));
  }
}

}  // namespace
