// Every text box of fixed capacity, as the user types into it: the box takes
// exactly what its field stores (counted in bytes, never half a character),
// what it took is stored, shown again and compared.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "core/state.h"
#include "engine/key_entry_window.h"
#include "program_fixture.h"
#include "tools/editor_window.h"
#include "tools/screen_lock_window.h"
#include "ui/clock.h"

namespace {

using vek::Form17;
using vek::Form18;
using vek::Form4;

const std::string AUmlaut = "\xC3\xA4";   // "ä", two bytes
const std::string Euro = "\xE2\x82\xAC";  // "€", three bytes

std::string Letters(size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += static_cast<char>('b' + i % 25);
  return text;
}

// What is typed into a box of `capacity` bytes and what the box keeps.
struct TTyping {
  std::string Typed;
  std::string Kept;
};

std::vector<TTyping> TypingsFor(size_t capacity) {
  return {
      // One byte too many: the last letter is refused ("äbcdefghijklmnop" at 16).
      {AUmlaut + Letters(capacity - 1), AUmlaut + Letters(capacity - 2)},
      // Exactly full.
      {AUmlaut + Letters(capacity - 2), AUmlaut + Letters(capacity - 2)},
      // A last character that fits only in part is refused whole.
      {Letters(capacity - 1) + Euro, Letters(capacity - 1)},
      {Letters(capacity - 2) + Euro + "z", Letters(capacity - 2) + "z"},
  };
}

// A text box of either kind, reached as the user reaches it.
struct TBox {
  std::function<void(const std::string&)> Type;  // empties the box, then types
  std::function<std::string()> Text;
};

TBox BoxOf(ui::TEdit* edit) {
  return {[edit](const std::string& text) {
            edit->SetText("");
            edit->TypeText(text);
          },
          [edit] { return edit->Text(); }};
}

TBox BoxOf(ui::TComboBox* combo) {
  return {[combo](const std::string& text) {
            combo->SetText("");
            combo->TypeText(text);
          },
          [combo] { return combo->Text(); }};
}

struct TField {
  const char* Name;
  std::function<TBox()> Box;
  size_t Capacity;
  std::function<std::string_view()> Stored;
};

class ToolsTextFieldsTest : public vektest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    vek::Form2->Show();
    vek::JobList.JobCount = 1;
    vek::JobList.Name[1] = "a.txt";
    vek::JobList.Folder[1] = "C:\\docs\\";
  }
  static void OpenOptions(int page) {
    Form4->TabbedNotebook1->SetPageIndex(page);
    Form4->Show();
    if (page == 4 && !Form4->CheckBox7->Checked()) Form4->CheckBox7->Click();
  }
  static void OpenEditor() {
    vek::EditedEntry = {};
    vek::EditedEntry.Name = vek::JobList.Name[1];
    vek::EditedEntry.Owner = vek::JobList.Owner[1];
    vek::JobList.SelectedRow = 1;
    Form18->Show();
  }
  // Types each text into the box, checks what it keeps, applies, and checks
  // what was stored and what the window shows again.
  static void Check(const TField& field, const std::function<void()>& open,
                    const std::function<void()>& apply) {
    for (const TTyping& t : TypingsFor(field.Capacity)) {
      SCOPED_TRACE(std::string(field.Name) + " typed " + t.Typed);
      open();
      const TBox box = field.Box();
      box.Type(t.Typed);
      EXPECT_EQ(box.Text(), t.Kept);
      apply();
      EXPECT_EQ(field.Stored(), t.Kept);
      open();
      EXPECT_EQ(box.Text(), t.Kept);
    }
  }
};

TEST_F(ToolsTextFieldsTest, OptionsBoxesTakeWhatTheirFieldsStore) {
  using vek::TForm4;
  const auto edit = [](ui::TEdit* TForm4::*member) {
    return [member] { return BoxOf(Form4->*member); };
  };
  const TField fields[] = {
      {"first name", edit(&TForm4::Edit1), 16, [] { return vek::OwnerFirstName.Text(); }},
      {"last name", edit(&TForm4::Edit2), 16, [] { return vek::OwnerLastName.Text(); }},
      {"company", edit(&TForm4::Edit3), 32, [] { return vek::OwnerCompany.Text(); }},
      {"location", [] { return BoxOf(Form4->ComboBox1); }, 64,
       [] { return vek::OwnerLocation.Text(); }},
      {"e-mail", edit(&TForm4::Edit4), 64, [] { return vek::OwnerEmail.Text(); }},
      {"line 1", edit(&TForm4::Edit5), 64, [] { return vek::InfoLine1.Text(); }},
      {"line 2", edit(&TForm4::Edit6), 64, [] { return vek::InfoLine2.Text(); }},
      {"line 3", edit(&TForm4::Edit7), 64, [] { return vek::InfoLine3.Text(); }},
  };
  for (const TField& field : fields) {
    Check(
        field, [] { OpenOptions(0); }, [] { Form4->Button1->Click(); });
  }
  Check(
      {"lock password", edit(&TForm4::Edit8), 16, [] { return vek::ScreenLockPassword.Text(); }},
      [] { OpenOptions(4); }, [] { Form4->Button1->Click(); });
}

TEST_F(ToolsTextFieldsTest, EditorBoxesTakeWhatTheEntryStores) {
  using vek::TForm18;
  const vek::TEmbeddedData& owner = vek::JobList.Owner[1];
  const auto edit = [](ui::TEdit* TForm18::*member) {
    return [member] { return BoxOf(Form18->*member); };
  };
  const TField fields[] = {
      {"first name", edit(&TForm18::Edit1), 16, [&] { return owner.OwnerFirstName.Text(); }},
      {"last name", edit(&TForm18::Edit2), 16, [&] { return owner.OwnerLastName.Text(); }},
      {"company", edit(&TForm18::Edit3), 32, [&] { return owner.OwnerCompany.Text(); }},
      {"location", [] { return BoxOf(Form18->ComboBox1); }, 64,
       [&] { return owner.OwnerLocation.Text(); }},
      {"e-mail", edit(&TForm18::Edit4), 64, [&] { return owner.OwnerEmail.Text(); }},
      {"line 1", edit(&TForm18::Edit5), 64, [&] { return owner.InfoLines[0].Text(); }},
      {"line 2", edit(&TForm18::Edit6), 64, [&] { return owner.InfoLines[1].Text(); }},
      {"line 3", edit(&TForm18::Edit7), 64, [&] { return owner.InfoLines[2].Text(); }},
  };
  for (const TField& field : fields) Check(field, OpenEditor, [] { Form18->Button6->Click(); });
}

// The password the options took is the one the lock takes and accepts.
TEST_F(ToolsTextFieldsTest, APasswordTheOptionsTookUnlocks) {
  for (const TTyping& t : TypingsFor(16)) {
    SCOPED_TRACE(t.Typed);
    OpenOptions(4);
    Form4->Edit8->SetText("");
    Form4->Edit8->TypeText(t.Typed);
    Form4->Button1->Click();
    ASSERT_TRUE(vek::ScreenLockEnabled);
    ASSERT_TRUE(vek::Form2->Button5->Enabled());

    vek::Form2->Button5->Click();
    ASSERT_TRUE(Form17->IsShown());
    Form17->Edit1->TypeText(t.Typed);
    EXPECT_EQ(Form17->Edit1->Text(), t.Kept);
    Form17->Button1->Click();
    EXPECT_FALSE(Form17->IsShown());
    EXPECT_TRUE(vek::Form2->IsShown());
  }
}

// Texts kept as 8-bit Windows-1252 (a settings file from elsewhere) show as
// their characters; applied unedited they stay as they were, and such a
// password unlocks when its characters are typed.
TEST_F(ToolsTextFieldsTest, EightBitTextsStayAsTheyWere) {
  const std::string name = "J\xF6rg M\xFCller-Sch\xF6";                  // 16 bytes, 19 in UTF-8
  const std::string password = std::string("\xE4") + "bcdefghijklmnop";  // 16 bytes
  vek::OwnerFirstName.Assign(name);
  vek::ScreenLockPassword.Assign(password);
  vek::ScreenLockEnabled = true;
  vek::Form2->Hide();
  vek::Form2->Show();
  vek::Form2->Button5->Click();
  Form17->Edit1->TypeText(AUmlaut + "bcdefghijklmnop");
  Form17->Button1->Click();
  EXPECT_FALSE(Form17->IsShown());

  OpenOptions(4);
  EXPECT_EQ(Form4->Edit8->Text(), password);
  Form4->Button1->Click();
  EXPECT_EQ(vek::OwnerFirstName.Text(), name);
  EXPECT_EQ(vek::ScreenLockPassword.Text(), password);
}

// The key box holds the 128 bytes the cipher uses, and the on-screen
// keyboard adds nothing to a full box.
TEST_F(ToolsTextFieldsTest, TheKeyBoxTakesWhatTheCipherUses) {
  vek::RunMode = vek::RunEncrypt;
  for (const TTyping& t : TypingsFor(vek::KeyTextMaxLength)) {
    SCOPED_TRACE(t.Typed);
    vek::Form7->Show();
    vek::Form7->Edit1->TypeText(t.Typed);
    EXPECT_EQ(vek::Form7->Edit1->Text(), t.Kept);
    vek::Form7->Hide();
  }
  vek::Form7->Show();
  vek::Form7->Edit1->TypeText(AUmlaut + Letters(126));
  vek::Form7->Find<ui::TButton>("Button33")->Click();  // "Q"
  EXPECT_EQ(vek::Form7->Edit1->Text(), AUmlaut + Letters(126));
  EXPECT_EQ(vek::Form7->Label5->Caption(), "Chars:127");
}

}  // namespace
