// The options dialog carries every option both ways: into its control when
// it shows, back into the option on "&Apply changes", each time from a state
// where control and option differ.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app_fixture.h"
#include "engine/delete_confirmation.h"
#include "ui/application.h"

namespace {

using vek::Form4;

class AppOptionsBehaviourTest : public apptest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartProgram();
    vek::Form1->Hide();
    vek::Form2->Show();
  }
  static void Type(ui::TEdit* edit, const std::string& text) {
    edit->SetText("");
    edit->TypeText(text);
  }
  // Ticks or unticks a box with a click, as the user would.
  static void Tick(ui::TCheckBox* box, bool on) {
    if (box->Checked() != on) box->Click();
  }
};

// One option with two values (0 and 1) on a page of the dialog: how to put value v into the option,
// whether the option holds it, how the user puts it into the control, and
// whether the control shows it.
struct OptionCase {
  int Page;
  const char* Name;
  std::function<void(int)> SetOption;
  std::function<bool(int)> OptionIs;
  std::function<void(int)> Operate;
  std::function<bool(int)> ControlIs;
};

TEST_F(AppOptionsBehaviourTest, EveryOptionIsCarriedBothWays) {
  auto text = [](int page, const char* name, ui::TEdit* vek::TForm4::*edit, auto& option) {
    return OptionCase{
        page,
        name,
        [&option, name](int v) { option.Assign(std::string(name) + std::to_string(v)); },
        [&option, name](int v) { return option.Text() == std::string(name) + std::to_string(v); },
        [edit, name](int v) { Type(Form4->*edit, std::string(name) + std::to_string(v)); },
        [edit, name](int v) {
          return (Form4->*edit)->Text() == std::string(name) + std::to_string(v);
        }};
  };
  auto box = [](int page, const char* name, ui::TCheckBox* vek::TForm4::*control, bool& option) {
    return OptionCase{page,
                      name,
                      [&option](int v) { option = v != 0; },
                      [&option](int v) { return option == (v != 0); },
                      [control](int v) { Tick(Form4->*control, v != 0); },
                      [control](int v) { return (Form4->*control)->Checked() == (v != 0); }};
  };
  // A pair of radio buttons: button `on` checked for true, `off` for false.
  auto pair = [](int page, const char* name, ui::TRadioButton* vek::TForm4::*off,
                 ui::TRadioButton* vek::TForm4::*on, bool& option) {
    return OptionCase{page,
                      name,
                      [&option](int v) { option = v != 0; },
                      [&option](int v) { return option == (v != 0); },
                      [off, on](int v) { (Form4->*(v ? on : off))->Click(); },
                      [off, on](int v) {
                        return (Form4->*on)->Checked() == (v != 0) &&
                               (Form4->*off)->Checked() == (v == 0);
                      }};
  };
  // A list: item items[v != 0] stands for the option value values[v != 0].
  auto list = [](int page, const char* name, ui::TComboBox* vek::TForm4::*combo, auto& option,
                 std::array<int, 2> items, std::array<int, 2> values) {
    using T = std::remove_reference_t<decltype(option)>;
    return OptionCase{
        page,
        name,
        [&option, values](int v) { option = static_cast<T>(values[v != 0]); },
        [&option, values](int v) { return option == values[v != 0]; },
        [combo, items](int v) { (Form4->*combo)->SelectItem(items[v != 0]); },
        [combo, items](int v) { return (Form4->*combo)->ItemIndex() == items[v != 0]; }};
  };
  const std::vector<OptionCase> cases = {
      text(0, "first", &vek::TForm4::Edit1, vek::OwnerFirstName),
      text(0, "last", &vek::TForm4::Edit2, vek::OwnerLastName),
      text(0, "company", &vek::TForm4::Edit3, vek::OwnerCompany),
      {0, "location", [](int v) { vek::OwnerLocation.Assign("C:\\dl" + std::to_string(v)); },
       [](int v) { return vek::OwnerLocation.Text() == "C:\\dl" + std::to_string(v); },
       [](int v) {
         Form4->ComboBox1->SetText("");
         Form4->ComboBox1->TypeText("C:\\dl" + std::to_string(v));
       },
       [](int v) { return Form4->ComboBox1->Text() == "C:\\dl" + std::to_string(v); }},
      text(0, "mail", &vek::TForm4::Edit4, vek::OwnerEmail),
      text(0, "line1", &vek::TForm4::Edit5, vek::InfoLine1),
      text(0, "line2", &vek::TForm4::Edit6, vek::InfoLine2),
      text(0, "line3", &vek::TForm4::Edit7, vek::InfoLine3),
      box(0, "timestamp", &vek::TForm4::CheckBox1, vek::TimestampEncryption),
      box(0, "attributes", &vek::TForm4::CheckBox2, vek::PreserveAttributes),
      box(0, "windows", &vek::TForm4::CheckBox3, vek::WindowsInformation),
      pair(1, "plaintext", &vek::TForm4::RadioButton1, &vek::TForm4::RadioButton2,
           vek::DeletePlaintextAfterEncrypt),
      box(1, "verify", &vek::TForm4::CheckBox4, vek::VerifyAfterEncrypt),
      pair(2, "encrypted", &vek::TForm4::RadioButton3, &vek::TForm4::RadioButton4,
           vek::DeleteEncryptedAfterDecrypt),
      {3, "method",
       [](int v) { vek::DeleteMethod = v ? vek::DeleteTriplePass : vek::DeleteNormal; },
       [](int v) { return vek::DeleteMethod == (v ? vek::DeleteTriplePass : vek::DeleteNormal); },
       [](int v) { (v ? Form4->RadioButton7 : Form4->RadioButton5)->Click(); },
       [](int v) {
         return Form4->RadioButton7->Checked() == (v != 0) &&
                Form4->RadioButton5->Checked() == (v == 0) && !Form4->RadioButton6->Checked();
       }},
      box(4, "hints", &vek::TForm4::CheckBox5, vek::ShowHints),
      list(4, "pause", &vek::TForm4::ComboBox2, vek::HintPause, {0, 6}, {100, 6400}),
      list(4, "hide pause", &vek::TForm4::ComboBox3, vek::HintHidePause, {0, 15}, {1000, 16000}),
      box(4, "layout", &vek::TForm4::CheckBox6, vek::SaveWindowLayout),
      {4, "lock", [](int v) { vek::ScreenLockEnabled = v == 0; },
       [](int v) { return vek::ScreenLockEnabled == (v == 0); },
       [](int v) { Tick(Form4->CheckBox7, v == 0); },
       [](int v) {
         return Form4->CheckBox7->Checked() == (v == 0) && Form4->Edit8->Enabled() == (v == 0);
       }},
      {4, "password", [](int v) { vek::ScreenLockPassword.Assign("pw" + std::to_string(v)); },
       [](int v) { return vek::ScreenLockPassword.Text() == "pw" + std::to_string(v); },
       [](int v) {  // the box is ticked for the typing, then put back
         const bool ticked = Form4->CheckBox7->Checked();
         Tick(Form4->CheckBox7, true);
         Type(Form4->Edit8, "pw" + std::to_string(v));
         Tick(Form4->CheckBox7, ticked);
       },
       [](int v) { return Form4->Edit8->Text() == "pw" + std::to_string(v); }},
      {4, "speed", [](int v) { vek::LockWindowSpeed = static_cast<uint8_t>(v ? 5 : 2); },
       [](int v) { return vek::LockWindowSpeed == (v ? 5 : 2); },
       [](int v) { Form4->TrackBar1->SetPosition(v ? 5 : 2); },
       [](int v) { return Form4->TrackBar1->Position() == (v ? 5 : 2); }},
      list(2, "insane", &vek::TForm4::ComboBox4, vek::InsaneModeThreshold, {3, 21}, {3, 21}),
  };
  // Each value twice: the second time the control still holds the other
  // value, applied just before.
  for (int v : {0, 0, 1, 1}) {
    Form4->Hide();
    for (const OptionCase& c : cases) c.SetOption(v);
    Form4->Show();
    for (const OptionCase& c : cases) EXPECT_TRUE(c.ControlIs(v)) << c.Name << " shown as " << v;
    for (const OptionCase& c : cases) {
      Form4->TabbedNotebook1->SetPageIndex(c.Page);
      c.Operate(1 - v);
    }
    Form4->Button1->Click();
    for (const OptionCase& c : cases)
      EXPECT_TRUE(c.OptionIs(1 - v)) << c.Name << " applied " << 1 - v;
  }
}

// Apply also sets what other windows take from the options at once.
TEST_F(AppOptionsBehaviourTest, ApplyPassesTheOptionsOn) {
  struct Case {
    bool Lock;
    int MethodButton;
    const char* Name;
    const char* Description;
    int PauseItem, HideItem;
    int Pause, Hide;
  } cases[] = {
      {true, 5, "Use normal file system delete method", "(fastest speed but least protection)", 1,
       2, 200, 3000},
      {false, 6, "Use single pass overwriting method", "(faster speed and more protection)", 5, 9,
       3200, 10000},
      {true, 7, "Use triple pass overwriting method", "(fast speed and the best protection)", 2, 0,
       400, 1000},
  };
  for (const Case& c : cases) {
    vek::Form2->Button5->SetEnabled(!c.Lock);
    Form4->Show();
    Form4->TabbedNotebook1->SetPageIndex(4);
    Tick(Form4->CheckBox7, true);
    Type(Form4->Edit8, "secret");
    Tick(Form4->CheckBox7, c.Lock);
    Form4->ComboBox2->SelectItem(c.PauseItem);
    Form4->ComboBox3->SelectItem(c.HideItem);
    Form4->TabbedNotebook1->SetPageIndex(3);
    (c.MethodButton == 5   ? Form4->RadioButton5
     : c.MethodButton == 6 ? Form4->RadioButton6
                           : Form4->RadioButton7)
        ->Click();
    Form4->Button1->Click();
    EXPECT_EQ(vek::Form2->Button5->Enabled(), c.Lock);
    EXPECT_EQ(vek::Form9->Label1->Caption(), c.Name);
    EXPECT_EQ(vek::Form9->Label4->Caption(), c.Description);
    EXPECT_EQ(ui::Application->HintPause(), c.Pause);
    EXPECT_EQ(ui::Application->HintHidePause(), c.Hide);
    EXPECT_FALSE(Form4->IsShown());
    EXPECT_TRUE(vek::Form2->IsShown());
  }
}

// "&Clear all fields" empties every field of the first page, chooses "None"
// and unticks its three boxes; no other control and no option changes.
TEST_F(AppOptionsBehaviourTest, ClearAllFieldsEmptiesTheWholeFirstPage) {
  ui::TEdit* const edits[] = {Form4->Edit1, Form4->Edit2, Form4->Edit3, Form4->Edit4,
                              Form4->Edit5, Form4->Edit6, Form4->Edit7};
  for (auto* option :
       {&vek::OwnerLocation, &vek::OwnerEmail, &vek::InfoLine1, &vek::InfoLine2, &vek::InfoLine3}) {
    option->Assign("kept");
  }
  vek::OwnerFirstName.Assign("kept");
  vek::OwnerLastName.Assign("kept");
  vek::OwnerCompany.Assign("kept");
  vek::ScreenLockPassword.Assign("pw");
  vek::VerifyAfterEncrypt = true;
  vek::HintPause = 3200;
  Form4->Show();
  Form4->TabbedNotebook1->SetPageIndex(0);
  Form4->Button3->Click();
  for (ui::TEdit* edit : edits) EXPECT_EQ(edit->Text(), "") << edit->Name();
  EXPECT_EQ(Form4->ComboBox1->Text(), "None");
  for (ui::TCheckBox* box : {Form4->CheckBox1, Form4->CheckBox2, Form4->CheckBox3}) {
    EXPECT_FALSE(box->Checked()) << box->Name();
  }
  EXPECT_EQ(Form4->Edit8->Text(), "pw");
  EXPECT_TRUE(Form4->CheckBox4->Checked());
  EXPECT_EQ(Form4->ComboBox2->Text(), "3.2 seconds");
  EXPECT_EQ(vek::InfoLine2.Text(), "kept");
  EXPECT_TRUE(vek::TimestampEncryption);
}

}  // namespace
