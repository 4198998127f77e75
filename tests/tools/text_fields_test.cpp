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

// What is typed (or pasted) into a box of `capacity` bytes and what the box keeps.
struct TTyping {
  std::string Typed;
  std::string Kept;
  bool Pasted = false;
};

// The first and last character of each UTF-8 length. No key types the two
// control characters or the non-character: they come in by pasting alone.
struct TCharacter {
  std::string Utf8;
  bool Typeable;
};
const TCharacter EdgeCharacters[] = {
    {"\x7F", false},             // U+007F
    {"\xC2\x80", false},         // U+0080
    {"\xDF\xBF", true},          // U+07FF
    {"\xE0\xA0\x80", true},      // U+0800
    {"\xEF\xBF\xBF", false},     // U+FFFF
    {"\xF0\x90\x80\x80", true},  // U+10000, a surrogate pair inside the box
};

// Each edge character last, in a text one byte below, at and one byte above
// the capacity: it is kept whole or refused whole, never cut. Typed rows, or
// pasted ones (the whole text in one go).
std::vector<TTyping> LengthsFor(size_t capacity, bool pasted) {
  std::vector<TTyping> rows;
  for (const TCharacter& c : EdgeCharacters) {
    if (!pasted && !c.Typeable) continue;
    const size_t n = c.Utf8.size();
    for (const size_t total : {capacity - 1, capacity, capacity + 1}) {
      const std::string letters = Letters(total - n);
      rows.push_back({letters + c.Utf8, total <= capacity ? letters + c.Utf8 : letters, pasted});
    }
    // First, with the box filled up behind it.
    rows.push_back({c.Utf8 + Letters(capacity), c.Utf8 + Letters(capacity - n), pasted});
  }
  return rows;
}

std::vector<TTyping> TypingsFor(size_t capacity) {
  std::vector<TTyping> rows = {
      // One byte too many: the last letter is refused ("äbcdefghijklmnop" at 16).
      {AUmlaut + Letters(capacity - 1), AUmlaut + Letters(capacity - 2)},
      // Exactly full.
      {AUmlaut + Letters(capacity - 2), AUmlaut + Letters(capacity - 2)},
      // A last character that fits only in part is refused whole.
      {Letters(capacity - 1) + Euro, Letters(capacity - 1)},
      {Letters(capacity - 2) + Euro + "z", Letters(capacity - 2) + "z"},
  };
  for (const TTyping& row : LengthsFor(capacity, false)) rows.push_back(row);
  return rows;
}

// The typed rows and the pasted ones.
std::vector<TTyping> TypingsAndPastesFor(size_t capacity) {
  std::vector<TTyping> rows = TypingsFor(capacity);
  for (const TTyping& row : LengthsFor(capacity, true)) rows.push_back(row);
  return rows;
}

// A text box of either kind, reached as the user reaches it.
struct TBox {
  std::function<void(const TTyping&)> Enter;  // empties the box, then types or pastes
  std::function<std::string()> Text;
};

template <typename TBoxControl>
TBox BoxOf(TBoxControl* box) {
  return {[box](const TTyping& t) {
            box->SetText("");
            if (t.Pasted) {
              box->PasteText(t.Typed);
            } else {
              box->TypeText(t.Typed);
            }
          },
          [box] { return box->Text(); }};
}

// A box, the capacity of its field, how its window is opened and applied,
// and the stored field.
struct TField {
  const char* Name;
  std::function<TBox()> Box;
  size_t Capacity;
  std::function<void()> Open;
  std::function<void()> Apply;
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
};

// Types each text into the box, checks what it keeps, applies, and checks
// what was stored and what the window shows again.
TEST_F(ToolsTextFieldsTest, BoxesTakeWhatTheirFieldsStore) {
  using vek::TForm18;
  using vek::TForm4;
  const auto options = [](ui::TEdit* TForm4::*member) {
    return [member] { return BoxOf(Form4->*member); };
  };
  const auto editor = [](ui::TEdit* TForm18::*member) {
    return [member] { return BoxOf(Form18->*member); };
  };
  const auto page0 = [] { OpenOptions(0); };
  const auto page4 = [] { OpenOptions(4); };
  const auto applyOptions = [] { Form4->Button1->Click(); };
  const auto applyEditor = [] { Form18->Button6->Click(); };
  const vek::TEmbeddedData& owner = vek::JobList.Owner[1];
  const TField fields[] = {
      {"options first name", options(&TForm4::Edit1), 16, page0, applyOptions,
       [] { return vek::OwnerFirstName.Text(); }},
      {"options last name", options(&TForm4::Edit2), 16, page0, applyOptions,
       [] { return vek::OwnerLastName.Text(); }},
      {"options company", options(&TForm4::Edit3), 32, page0, applyOptions,
       [] { return vek::OwnerCompany.Text(); }},
      {"options location", [] { return BoxOf(Form4->ComboBox1); }, 64, page0, applyOptions,
       [] { return vek::OwnerLocation.Text(); }},
      {"options e-mail", options(&TForm4::Edit4), 64, page0, applyOptions,
       [] { return vek::OwnerEmail.Text(); }},
      {"options line 1", options(&TForm4::Edit5), 64, page0, applyOptions,
       [] { return vek::InfoLine1.Text(); }},
      {"options line 2", options(&TForm4::Edit6), 64, page0, applyOptions,
       [] { return vek::InfoLine2.Text(); }},
      {"options line 3", options(&TForm4::Edit7), 64, page0, applyOptions,
       [] { return vek::InfoLine3.Text(); }},
      {"lock password", options(&TForm4::Edit8), 16, page4, applyOptions,
       [] { return vek::ScreenLockPassword.Text(); }},
      {"entry first name", editor(&TForm18::Edit1), 16, OpenEditor, applyEditor,
       [&] { return owner.OwnerFirstName.Text(); }},
      {"entry last name", editor(&TForm18::Edit2), 16, OpenEditor, applyEditor,
       [&] { return owner.OwnerLastName.Text(); }},
      {"entry company", editor(&TForm18::Edit3), 32, OpenEditor, applyEditor,
       [&] { return owner.OwnerCompany.Text(); }},
      {"entry location", [] { return BoxOf(Form18->ComboBox1); }, 64, OpenEditor, applyEditor,
       [&] { return owner.OwnerLocation.Text(); }},
      {"entry e-mail", editor(&TForm18::Edit4), 64, OpenEditor, applyEditor,
       [&] { return owner.OwnerEmail.Text(); }},
      {"entry line 1", editor(&TForm18::Edit5), 64, OpenEditor, applyEditor,
       [&] { return owner.InfoLines[0].Text(); }},
      {"entry line 2", editor(&TForm18::Edit6), 64, OpenEditor, applyEditor,
       [&] { return owner.InfoLines[1].Text(); }},
      {"entry line 3", editor(&TForm18::Edit7), 64, OpenEditor, applyEditor,
       [&] { return owner.InfoLines[2].Text(); }},
  };
  for (const TField& field : fields) {
    for (const TTyping& t : TypingsAndPastesFor(field.Capacity)) {
      SCOPED_TRACE(std::string(field.Name) + (t.Pasted ? " pasted " : " typed ") + t.Typed);
      field.Open();
      const TBox box = field.Box();
      box.Enter(t);
      EXPECT_EQ(box.Text(), t.Kept);
      field.Apply();
      EXPECT_EQ(field.Stored(), t.Kept);
      field.Open();
      EXPECT_EQ(box.Text(), t.Kept);
    }
  }
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

  // Shown, the name is longer than its field: the box takes nothing more
  // and keeps what it shows.
  OpenOptions(0);
  Form4->Edit1->TypeText("x");
  Form4->Edit1->PasteText("yz");
  EXPECT_EQ(Form4->Edit1->Text(), name);
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
