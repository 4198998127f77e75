// The keyboard: which window and control get the keys when a window shows
// and hides, what a key held with Alt or Ctrl does in a text box, and the
// grid row the highlight keys move to.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QListWidget>
#include <QScrollBar>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/form.h"

namespace {

class TKeyForm : public ui::TForm {
 public:
  ui::TEdit* Edit1 = nullptr;
  ui::TMemo* Memo1 = nullptr;
  ui::TButton* Proceed = nullptr;
  ui::TButton* Cancel = nullptr;
  ui::TStringGrid* Grid = nullptr;
  std::vector<std::string> calls;

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override {
    binder.Control("Edit1", Edit1);
    binder.Control("Memo1", Memo1);
    binder.Control("Proceed", Proceed);
    binder.Control("Cancel", Cancel);
    binder.Control("Grid", Grid);
    binder.Handler("ProceedClick", this, &TKeyForm::ProceedClick);
    binder.Handler("CancelClick", this, &TKeyForm::CancelClick);
    binder.Handler("GridSelectCell", this, &TKeyForm::GridSelectCell);
  }

 private:
  void ProceedClick() { calls.push_back("Proceed"); }
  void CancelClick() { calls.push_back("Cancel"); }
  void GridSelectCell() { calls.push_back("row " + std::to_string(Grid->Row())); }
};

// A label and a picture come first; neither takes the focus.
constexpr const char* kKeyForm = R"(form KeyForm : TKeyForm
  ClientSize = 320 300
  control Label1 : TLabel
    Left = 8
    Top = 8
    Caption = "&Key :"
  control Edit1 : TEdit
    Bounds = 8 24 200 21
  control Memo1 : TMemo
    Bounds = 8 50 200 40
  control Proceed : TButton
    Bounds = 8 96 90 25
    Caption = "&Proceed"
    Enabled = false
    OnClick = ProceedClick
  control Cancel : TButton
    Bounds = 104 96 90 25
    Caption = "C&ancel"
    OnClick = CancelClick
  control Grid : TStringGrid
    Bounds = 8 130 300 110
    ColCount = 2
    RowCount = 30
    FixedCols = 0
    DefaultRowHeight = 16
    ColWidths = [140, 140]
    OnSelectCell = GridSelectCell
)";

class UiKeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    beneath_->LoadFromText(kKeyForm, "beneath.form");
    form_->LoadFromText(kKeyForm, "key.form");
    beneath_->Show();
  }
  TKeyForm& form() { return *form_; }
  TKeyForm& beneath() { return *beneath_; }

 private:
  std::unique_ptr<TKeyForm> beneath_ = std::make_unique<TKeyForm>();
  std::unique_ptr<TKeyForm> form_ = std::make_unique<TKeyForm>();
};

TEST_F(UiKeyboardTest, AShownWindowHasTheKeysOnItsFirstControlAndHandsThemBackWhenHidden) {
  form().Show();
  ASSERT_TRUE(form().Active());
  EXPECT_FALSE(beneath().Active());
  EXPECT_EQ(form().ActiveControl(), form().Edit1);
  form().PressKey('K');
  EXPECT_EQ(form().Edit1->Text(), "k");

  // The focus moves on; shown again, the window starts at its first control.
  form().Cancel->Click();
  EXPECT_TRUE(form().Cancel->Focused());
  form().PressKey(ui::VK_SPACE);
  EXPECT_EQ(form().calls, (std::vector<std::string>{"Cancel", "Cancel"}));
  form().Hide();
  EXPECT_TRUE(beneath().Active());
  beneath().PressKey('B');
  EXPECT_EQ(beneath().Edit1->Text(), "b");
  form().Show();
  EXPECT_TRUE(form().Active());
  EXPECT_TRUE(form().Edit1->Focused());

  // The first control that takes the focus: a disabled one is passed over.
  form().Hide();
  form().Edit1->SetEnabled(false);
  form().Memo1->SetEnabled(false);
  form().Show();
  EXPECT_EQ(form().ActiveControl(), form().Cancel);
  form().PressKey(ui::VK_RETURN);
  EXPECT_EQ(form().calls.size(), 3u);

  // The program puts the focus where the next key belongs.
  form().Edit1->SetEnabled(true);
  form().Edit1->SetFocus();
  form().PressKey('Z');
  EXPECT_EQ(form().Edit1->Text(), "kz");
}

TEST_F(UiKeyboardTest, AKeyWithAltOrCtrlNeverTypesIntoATextBox) {
  form().Show();
  QGuiApplication::clipboard()->setText(QStringLiteral("12"));
  const struct {
    uint16_t key;
    ui::TShiftState shift;
    const char* text;   // in the box afterwards, which starts as "x"
    const char* click;  // the button the key clicked, "" for none
  } cases[] = {
      {'P', ui::ssAlt, "x", ""},  // the accelerator of a disabled button
      {'A', ui::ssAlt, "x", "Cancel"},
      {'Q', ui::ssAlt, "x", ""},  // no accelerator at all
      {'Q', ui::ssAlt | ui::ssShift, "x", ""},
      {'P', ui::ssCtrl, "x", ""},
      {'V', ui::ssCtrl, "x12", ""},  // the edit commands still work
      {'Q', ui::ssShift, "xQ", ""},
      {'Q', ui::ssNone, "xq", ""},
  };
  for (const auto& c : cases) {
    for (ui::TControl* box :
         {static_cast<ui::TControl*>(form().Edit1), static_cast<ui::TControl*>(form().Memo1)}) {
      form().Edit1->SetText("x");
      form().Memo1->SetLines({"x"});
      form().calls.clear();
      box->Click();
      form().PressKey(ui::VK_END, ui::ssCtrl);
      form().PressKey(c.key, c.shift);
      const std::string text = box == form().Edit1 ? form().Edit1->Text() : form().Memo1->Line(0);
      EXPECT_EQ(text, c.text) << box->Name() << " key " << char(c.key) << " shift " << c.shift;
      EXPECT_EQ(form().calls, std::string(c.click).empty() ? std::vector<std::string>{}
                                                           : std::vector<std::string>{c.click})
          << box->Name() << " key " << char(c.key) << " shift " << c.shift;
    }
  }
}

TEST_F(UiKeyboardTest, TheHighlightKeysMoveTheGridRowAsAClickDoes) {
  form().Show();
  ui::TStringGrid& grid = *form().Grid;
  grid.ClickCell(0, 2);
  EXPECT_EQ(grid.Row(), 2);
  const struct {
    uint16_t key;
    int row;
  } moves[] = {{ui::VK_DOWN, 3},   {ui::VK_UP, 2},   {ui::VK_NEXT, -1}, {ui::VK_END, 29},
               {ui::VK_PRIOR, -1}, {ui::VK_HOME, 1}, {ui::VK_UP, 1}};
  form().calls.clear();
  std::vector<std::string> expected;
  int row = grid.Row();
  for (const auto& m : moves) {
    form().PressKey(m.key);
    if (m.row > 0) {
      EXPECT_EQ(grid.Row(), m.row) << m.key;
    } else {
      EXPECT_NE(grid.Row(), row) << m.key;  // a page away, however tall a page is
    }
    if (grid.Row() != row) expected.push_back("row " + std::to_string(grid.Row()));
    row = grid.Row();
  }
  EXPECT_EQ(form().calls, expected);

  // Rows the program takes away move the highlight without a report.
  form().calls.clear();
  grid.ClickCell(0, 3);
  grid.SetRowCount(3);
  EXPECT_EQ(form().calls, std::vector<std::string>{"row 3"});
}

// The frame's top line runs through the middle of the caption: a control
// placed at the box's top, as the forms do, stays clear of the line.
TEST(UiGroupBoxTest, TheFrameLineRunsThroughTheMiddleOfTheCaption) {
  class TBoxForm : public ui::TForm {
    void DeclareBindings(ui::TFormBinder&) override {}
  } form;
  form.LoadFromText(
      "form Box : TBoxForm\n"
      "  ClientSize = 200 100\n"
      "  Color = clWhite\n"
      "  control GroupBox1 : TGroupBox\n"
      "    Bounds = 10 10 180 80\n"
      "    Caption = \" Type : \"\n");
  form.Show();
  const QImage picture = form.Widget()->grab().toImage();
  const QColor background = picture.pixelColor(2, 2);
  int topLine = -1;  // the first row of the frame left of the caption
  for (int y = 10; y < 90 && topLine < 0; ++y) {
    if (picture.pixelColor(13, y) != background) topLine = y - 10;
  }
  const int captionHeight = QFontMetrics(form.Widget()->font()).height();
  EXPECT_EQ(topLine, captionHeight / 2);
}

// A line wider than the list can be scrolled to its end.
TEST(UiListBoxTest, ALongLineCanBeScrolledToItsEnd) {
  class TListForm : public ui::TForm {
    void DeclareBindings(ui::TFormBinder&) override {}
  } form;
  form.LoadFromText(
      "form List : TListForm\n"
      "  ClientSize = 200 100\n"
      "  control ListBox1 : TListBox\n"
      "    Bounds = 0 0 200 100\n"
      "    FixedPitch = true\n");
  form.Show();
  auto* list = form.Find<ui::TListBox>("ListBox1");
  list->AddItem("short");
  const std::string longLine = "WARNING: " + std::string(80, 'x') + " end";
  list->AddItem(longLine);
  auto* widget = static_cast<QListWidget*>(list->Widget());
  ui::Application->ProcessMessages();
  const int textWidth = widget->fontMetrics().horizontalAdvance(QString::fromStdString(longLine));
  EXPECT_GE(widget->horizontalScrollBar()->maximum() + widget->viewport()->width(), textWidth);
  EXPECT_EQ(widget->textElideMode(), Qt::ElideNone);
}

}  // namespace
