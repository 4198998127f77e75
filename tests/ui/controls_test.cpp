// The controls as the program and the user drive them.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include <memory>
#include <string>

#include "platform/system.h"
#include "sample_form.h"
#include "test_support.h"
#include "ui/application.h"
#include "ui/detail/platform_choice.h"
#include "ui/detail/widgets.h"

namespace {

class UiControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_->Load("sample");
    form_->Show();
    form_->calls.clear();
  }
  vektest::TSampleForm& form() { return *form_; }

 private:
  std::unique_ptr<vektest::TSampleForm> form_ = std::make_unique<vektest::TSampleForm>();
};

TEST_F(UiControlsTest, EditLimitsTypingAndPastingButNotTheProgram) {
  ui::TEdit& edit = *form().Edit1;
  edit.TypeText("abcdefg");
  EXPECT_EQ(edit.Text(), "abcde");
  EXPECT_EQ(form().editTexts, (std::vector<std::string>{"a", "ab", "abc", "abcd", "abcde"}));
  EXPECT_EQ(form().keysUp, (std::vector<uint16_t>{'A', 'B', 'C', 'D', 'E', 'F', 'G'}));

  edit.PressKey(ui::VK_BACK);
  edit.PressKey(ui::VK_BACK);
  edit.PasteText("XYZW");
  EXPECT_EQ(edit.Text(), "abcXY");
  edit.PasteText("Q");
  EXPECT_EQ(edit.Text(), "abcXY");

  edit.SetText("a longer text from the program");
  EXPECT_EQ(edit.Text(), "a longer text from the program");
  form().editTexts.clear();
  edit.SetText("a longer text from the program");
  EXPECT_TRUE(form().editTexts.empty());  // no change, no event
  edit.TypeText("z");
  EXPECT_EQ(edit.Text(), "a longer text from the program");

  // The limit counts the bytes of the text given back, and a character that
  // does not fit whole is refused whole.
  const struct {
    std::string Typed;
    std::string Kept;
  } multiByte[] = {
      {"\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9\xC3\xA9"},            // "ééé": 6 bytes
      {"abcd\xC3\xA9", "abcd"},                                    // "é" needs 2 of 1
      {"\xE2\x82\xAC\xE2\x82\xAC", "\xE2\x82\xAC"},                // "€€"
      {"a\xF0\x9F\x98\x80\xF0\x9F\x98\x80", "a\xF0\x9F\x98\x80"},  // a pair is 4 bytes
  };
  for (const auto& c : multiByte) {
    edit.SetText("");
    edit.TypeText(c.Typed);
    EXPECT_EQ(edit.Text(), c.Kept) << c.Typed;
    edit.SetText("");
    edit.PasteText(c.Typed);
    EXPECT_EQ(edit.Text(), c.Kept) << c.Typed;
  }
  edit.SetText("abcd");
  edit.TypeText("\xC3\xA9x");  // the last byte takes "x", not "é"
  EXPECT_EQ(edit.Text(), "abcdx");
}

TEST_F(UiControlsTest, EditOnlyTypesWhenTheUserCould) {
  ui::TEdit& edit = *form().Edit1;
  edit.SetEnabled(false);
  edit.TypeText("a");
  edit.PressKey(ui::VK_RETURN);
  EXPECT_EQ(edit.Text(), "");
  EXPECT_TRUE(form().keysUp.empty());
  edit.SetEnabled(true);
  edit.SetReadOnly(true);
  edit.TypeText("a");
  EXPECT_EQ(edit.Text(), "");
  EXPECT_EQ(form().keysUp, std::vector<uint16_t>{'A'});
  EXPECT_FALSE(form().Edit2->Showing());  // on the page behind
  form().Edit2->TypeText("x");
  EXPECT_EQ(form().Edit2->Text(), "");
  edit.SetPasswordChar('*');
  EXPECT_EQ(edit.PasswordChar(), '*');
}

TEST_F(UiControlsTest, ADisabledLabelTakesNoClickAndShowsNoHint) {
  ui::TLabel& disabled = *form().Label2;
  disabled.Click();
  EXPECT_EQ(form().Count("Label2Click"), 0);
  EXPECT_EQ(ui::detail::HintOver(disabled.Widget()), "");  // nor its form's: none
  disabled.SetEnabled(true);
  disabled.Click();
  EXPECT_EQ(form().Count("Label2Click"), 1);
  EXPECT_EQ(ui::detail::HintOver(disabled.Widget()), "never shown");
}

TEST_F(UiControlsTest, AHintShowsAsATooltipWithItsLineBreaks) {
  ui::TLabel& label = *form().Label1;
  QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), label.Widget()->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(label.Widget(), &event);
  ASSERT_TRUE(QToolTip::isVisible());
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("<br>")));
  EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("second")));
  label.SetShowHint(false);
  EXPECT_EQ(ui::detail::HintOver(label.Widget()), "");
  // A control without a hint of its own shows its parent's.
  form().SetHint("the form's hint");
  form().SetShowHint(true);
  form().Button1->SetShowHint(true);
  EXPECT_EQ(ui::detail::HintOver(form().Button1->Widget()), "the form's hint");
}

// A hint line is shown whole on one line, a path in it included.
TEST_F(UiControlsTest, AHintLineIsNeverWrapped) {
  ui::TButton& button = *form().Button1;
  button.SetHint("Save activity log as \"C:\\VEK 2003 Log 2026-12-11 03-24-00 of a long run.txt\"");
  button.SetShowHint(true);
  QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), button.Widget()->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(button.Widget(), &event);
  ASSERT_TRUE(QToolTip::isVisible());
  const QWidget* tip = nullptr;
  for (const QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == QStringLiteral("qtooltip_label") && w->isVisible()) tip = w;
  }
  ASSERT_NE(tip, nullptr);
  EXPECT_LT(tip->height(), 2 * tip->fontMetrics().lineSpacing()) << tip->width();
  QToolTip::hideText();
}

TEST_F(UiControlsTest, HintTimingComesFromTheApplication) {
  ui::Application->SetHintPause(800);
  EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 800);
  ui::Application->SetHintPause(500);
}

TEST_F(UiControlsTest, LabelsSizeToTheirCaptionWithoutTheMnemonic) {
  ui::TLabel& label = *form().Label1;
  EXPECT_EQ(label.Caption(), "&Name:");
  const int width = label.Width();
  label.SetCaption("&Name: and much more text");
  EXPECT_GT(label.Width(), width);
  label.SetAutoSize(false);
  label.SetWidth(20);
  label.SetCaption("&Name:");
  EXPECT_EQ(label.Width(), 20);
}

TEST_F(UiControlsTest, SettingCheckedClicksAsTheUserWould) {
  ui::TCheckBox& box = *form().CheckBox1;
  box.SetChecked(true);
  box.SetChecked(true);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(form().Count("CheckBox1Click"), 1);
  box.Click();
  EXPECT_FALSE(box.Checked());
  EXPECT_EQ(form().Count("CheckBox1Click"), 2);
}

TEST_F(UiControlsTest, RadioButtonsGroupByParent) {
  EXPECT_TRUE(form().RadioButton1->Checked());
  EXPECT_TRUE(form().RadioButton3->Checked());
  form().RadioButton2->Click();
  EXPECT_FALSE(form().RadioButton1->Checked());
  EXPECT_TRUE(form().RadioButton2->Checked());
  EXPECT_TRUE(form().RadioButton3->Checked());  // another parent, another group
  form().RadioButton2->Click();                 // already checked: nothing
  form().RadioButton2->SetChecked(false);       // clearing raises no click
  EXPECT_EQ(form().Count("RadioClick"), 1);
  form().RadioButton1->SetChecked(true);
  EXPECT_EQ(form().Count("RadioClick"), 2);
}

TEST_F(UiControlsTest, ComboIndexMinusOneMeansNoneAndOnlyTheUserRaisesChange) {
  ui::TComboBox& combo = *form().ComboBox1;
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "");
  combo.SetItemIndex(1);
  EXPECT_EQ(combo.Text(), "*.c   - C Source");
  combo.SetItemIndex(7);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(form().Count("ComboBox1Change"), 0);
  combo.SelectItem(2);
  EXPECT_EQ(combo.ItemIndex(), 2);
  EXPECT_EQ(form().Count("ComboBox1Change"), 1);
  EXPECT_FALSE(static_cast<QComboBox*>(combo.Widget())->view()->isVisible());  // list closed
  combo.SetText("*.* - All file types");
  EXPECT_EQ(combo.ItemIndex(), 0);

  combo.SetItems({});
  combo.AddItem("first");
  EXPECT_EQ(combo.ItemIndex(), -1);  // adding selects nothing

  combo.SetStyle(ui::TComboStyle::DropDown);
  combo.SetMaxLength(4);
  combo.TypeText("\xC3\xBC:http://");  // "ü" takes two of the four bytes
  EXPECT_EQ(combo.Text(), "\xC3\xBC:h");
  EXPECT_EQ(form().Count("ComboBox1Change"), 4);
  combo.SetText("set by the program");
  EXPECT_EQ(combo.Text(), "set by the program");
}

TEST_F(UiControlsTest, BarsClampToTheirRange) {
  ui::TTrackBar& track = *form().TrackBar1;
  EXPECT_EQ(track.Min(), 1);
  EXPECT_EQ(track.Max(), 5);
  track.SetPosition(9);
  EXPECT_EQ(track.Position(), 5);
  track.SetPosition(-2);
  EXPECT_EQ(track.Position(), 1);
  int changes = 0;
  track.OnChange = [&changes] { ++changes; };
  track.SlideTo(4);
  track.SlideTo(9);
  EXPECT_EQ(track.Position(), 5);
  EXPECT_EQ(changes, 4);  // a step a key

  ui::TProgressBar& progress = *form().ProgressBar1;
  EXPECT_EQ(progress.Position(), 0);
  progress.SetPosition(int64_t{1} << 40);
  EXPECT_EQ(progress.Position(), 400);
  progress.SetPosition(-5);
  EXPECT_EQ(progress.Position(), 0);
  progress.SetPosition(150);
  progress.SetRange(0, 100);
  EXPECT_EQ(progress.Position(), 100);
}

TEST_F(UiControlsTest, GridCellsLiveApartFromTheRowCount) {
  ui::TStringGrid& grid = *form().StringGrid1;
  EXPECT_EQ(grid.RowCount(), 2);
  for (int row = 0; row < 1024; ++row) {
    for (int col = 0; col < 5; ++col) grid.SetCell(col, row, "r" + std::to_string(row));
  }
  EXPECT_EQ(grid.Cell(4, 1023), "r1023");
  EXPECT_EQ(grid.Cell(0, 5000), "");
  grid.SetCell(2, 65535, "far");
  EXPECT_EQ(grid.Cell(2, 65535), "far");
  grid.SetRowCount(1025);
  EXPECT_EQ(grid.Cell(1, 1024), "");
  EXPECT_EQ(grid.Cell(1, 1000), "r1000");
}

TEST_F(UiControlsTest, GridFindsTheCellUnderThePointAndReportsTheMouse) {
  ui::TStringGrid& grid = *form().StringGrid1;
  grid.SetRowCount(4);
  grid.SetCell(0, 0, "Name");
  for (const auto& [col, row] : {std::pair{0, 0}, {2, 0}, {1, 1}, {2, 3}}) {
    int x = 0, y = 0, foundCol = -1, foundRow = -1;
    grid.CellCenter(col, row, &x, &y);
    EXPECT_TRUE(grid.MouseToCell(x, y, &foundCol, &foundRow)) << col << "," << row;
    EXPECT_EQ(foundCol, col);
    EXPECT_EQ(foundRow, row);
  }
  int col = 0, row = 0;
  EXPECT_FALSE(grid.MouseToCell(grid.Width() - 3, grid.Height() - 3, &col, &row));
  EXPECT_EQ(col, -1);
  EXPECT_EQ(row, -1);

  int x = 0, y = 0;
  for (const auto& [c, r] : {std::pair{0, 0}, {2, 0}, {0, 1}, {1, 2}}) {  // fixed cells too
    grid.CellCenter(c, r, &x, &y);
    grid.ClickCell(c, r);
    EXPECT_EQ(form().mouseUpX, x) << c << "," << r;
    EXPECT_EQ(form().mouseUpY, y) << c << "," << r;
  }
  form().calls.clear();
  grid.DblClickCell(1, 2);
  EXPECT_EQ(form().calls, (std::vector<std::string>{"StringGrid1MouseUp", "StringGrid1DblClick",
                                                    "StringGrid1MouseUp"}));
  EXPECT_EQ(grid.TopRow(), 1);
}

TEST_F(UiControlsTest, NotebookPagesAndMemoLines) {
  ui::TTabbedNotebook& notebook = *form().TabbedNotebook1;
  EXPECT_EQ(notebook.PageIndex(), 0);
  EXPECT_TRUE(form().Memo1->Showing());
  notebook.ClickTab(1);
  EXPECT_TRUE(form().Edit2->Showing());
  EXPECT_FALSE(form().Memo1->Showing());
  notebook.SetPageIndex(5);
  EXPECT_EQ(notebook.PageIndex(), 1);
  notebook.SetPageIndex(0);
  EXPECT_TRUE(form().Memo1->Showing());

  ui::TMemo& memo = *form().Memo1;
  memo.SetLine(5, "six");
  EXPECT_EQ(memo.LineCount(), 6);
  EXPECT_EQ(memo.Line(4), "");
  EXPECT_EQ(memo.Line(5), "six");
  EXPECT_EQ(memo.Line(9), "");
  memo.ClearLines();
  EXPECT_EQ(memo.LineCount(), 0);
  memo.AddLine("");
  EXPECT_EQ(memo.LineCount(), 1);
}

TEST_F(UiControlsTest, ButtonsClickOnlyWhenEnabledAndShowing) {
  form().Button1->Click();
  form().Button1->SetEnabled(false);
  form().Button1->Click();
  form().Button1->SetEnabled(true);
  form().Button1->SetVisible(false);
  form().Button1->Click();
  EXPECT_FALSE(form().Button1->Visible());
  EXPECT_EQ(form().Count("Button1Click"), 1);
}

TEST_F(UiControlsTest, AScreenshotIsAPngFile) {
  const auto path = vektest::OutputDir() / "ui_sample_form.png";
  std::filesystem::remove(path);
  ASSERT_TRUE(form().SaveScreenshot(path.string()));
  const auto bytes = vektest::ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
            (std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
}

TEST(UiScreen, ReportsThePrimaryScreenAndBeeps) {
  EXPECT_GT(ui::Screen->Width(), 0);
  EXPECT_GT(ui::Screen->Height(), 0);
  EXPECT_GT(ui::Screen->ColorDepth(), 8);
  const int beeps = platform::BeepCount();
  ui::MessageBeep();
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
}

TEST(UiScreen, PrefersX11WhereADisplayOffersItAndNothingIsNamed) {
  struct Case {
    const char* Platform;
    const char* Display;
    const char* Chosen;
  };
  const Case cases[] = {
      {nullptr, ":0", "xcb"},  {"", ":1", "xcb"},     {nullptr, nullptr, ""},     {nullptr, "", ""},
      {"offscreen", ":0", ""}, {"wayland", ":0", ""}, {"offscreen", nullptr, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::detail::PreferredQtPlatform(c.Platform, c.Display), c.Chosen)
        << (c.Platform ? c.Platform : "(unset)") << " / " << (c.Display ? c.Display : "(unset)");
  }
}

}  // namespace
