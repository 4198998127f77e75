// The controls' methods named after a user's action (ui/controls.h). They
// live with the tests, not in the ui library: they send their mouse and key
// events through Qt's test library (user_input.h), which the programs never
// load, and only tests play a user.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <cctype>

#include "ui/controls.h"
#include "ui/detail/list_widget.h"
#include "ui/detail/user_targets.h"
#include "ui/detail/widgets.h"
#include "ui/form.h"
#include "user_input.h"

namespace ui {

using detail::AcceptsUserAction;
using detail::As;

namespace {

QString QStringFromUtf8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The user clicks into the box after its text, then types, pastes or
// presses a key: the box to send to, or null when it takes no input.
QLineEdit* EndOfText(QLineEdit* edit) {
  if (!AcceptsUserAction(edit)) return nullptr;
  edit->end(false);
  return edit;
}

}  // namespace

// --- Every control ----------------------------------------------------------------------

void TControl::Click() {
  QWidget* widget = Widget();
  if (AcceptsUserAction(widget)) detail::ClickAt(widget, detail::ClickPoint(widget));
}

void TControl::DblClick() {
  QWidget* widget = Widget();
  if (AcceptsUserAction(widget)) detail::DoubleClickAt(widget, detail::ClickPoint(widget));
}

void TControl::ClickAt(int x, int y) {
  if (!AcceptsUserAction(Widget())) return;
  QPoint local;
  QWidget* target = detail::WidgetAt(Widget(), QPoint(x, y), &local);
  detail::ClickAt(target, local);
}

void TControl::DblClickAt(int x, int y) {
  if (!AcceptsUserAction(Widget())) return;
  QPoint local;
  QWidget* target = detail::WidgetAt(Widget(), QPoint(x, y), &local);
  detail::DoubleClickAt(target, local);
}

// --- Text ---------------------------------------------------------------------------------

void TEdit::TypeText(std::string_view utf8) {
  if (QLineEdit* edit = EndOfText(As<QLineEdit>(this)))
    detail::TypeCharacters(edit, QStringFromUtf8(utf8));
}

void TEdit::PasteText(std::string_view utf8) {
  if (QLineEdit* edit = EndOfText(As<QLineEdit>(this)))
    detail::PasteInto(edit, QStringFromUtf8(utf8));
}

void TEdit::PressKey(uint16_t key) {
  if (QLineEdit* edit = EndOfText(As<QLineEdit>(this)))
    detail::PressKeyOn(edit, detail::QtKeyOf(key), detail::TextOfVirtualKey(key));
}

void TComboBox::SelectItem(int index) {
  detail::ChooseFromList(As<QComboBox>(this), index);
}

void TComboBox::TypeText(std::string_view utf8) {
  auto* combo = As<QComboBox>(this);
  if (!AcceptsUserAction(combo) || !combo->isEditable()) return;
  QLineEdit* edit = combo->lineEdit();
  edit->end(false);
  detail::TypeCharacters(edit, QStringFromUtf8(utf8));
}

void TComboBox::PasteText(std::string_view utf8) {
  auto* combo = As<QComboBox>(this);
  if (!AcceptsUserAction(combo) || !combo->isEditable()) return;
  QLineEdit* edit = combo->lineEdit();
  edit->end(false);
  detail::PasteInto(edit, QStringFromUtf8(utf8));
}

// --- Grid, notebook, track bar ------------------------------------------------------------

namespace {

// The cell scrolled into view, and its middle; false when the grid takes no input.
bool CellToClick(TStringGrid& grid, int col, int row, int* x, int* y) {
  if (!AcceptsUserAction(grid.Widget())) return false;
  detail::ScrollGridToCell(grid, col, row);
  grid.CellCenter(col, row, x, y);
  return true;
}

}  // namespace

void TStringGrid::ClickCell(int col, int row) {
  int x = 0, y = 0;
  if (CellToClick(*this, col, row, &x, &y)) MouseUpAt(x, y);
}

void TStringGrid::DblClickCell(int col, int row) {
  int x = 0, y = 0;
  if (CellToClick(*this, col, row, &x, &y)) DblClickAt(x, y);
}

void TStringGrid::MouseUpAt(int x, int y) {
  detail::LayOutGrid(*this);
  ClickAt(x, y);
}

void TTabbedNotebook::ClickTab(int index) {
  auto* tabs = As<QTabWidget>(this);
  if (!AcceptsUserAction(tabs) || index < 0 || index >= PageCount()) return;
  QTabBar* bar = tabs->tabBar();
  detail::ClickAt(bar, bar->tabRect(index).center());
}

void TTrackBar::SlideTo(int pos) {
  auto* slider = As<QSlider>(this);
  if (!AcceptsUserAction(slider)) return;
  pos = std::clamp(pos, Min(), Max());
  while (slider->value() != pos) {
    const int before = slider->value();
    detail::PressKeyOn(slider, pos > before ? Qt::Key_Right : Qt::Key_Left);
    if (slider->value() == before) return;  // the key moved nothing
  }
}

// --- The file browser ---------------------------------------------------------------------

void TDriveComboBox::SelectDrive(char letter) {
  const std::vector<char> drives = Drives();
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  const auto found = std::find(drives.begin(), drives.end(), upper);
  if (found == drives.end()) return;
  detail::ChooseFromList(As<QComboBox>(this), static_cast<int>(found - drives.begin()));
}

void TDirectoryListBox::ClickItem(int index) {
  detail::ClickRow(As<detail::ListWidget>(this), index);
}

void TDirectoryListBox::DblClickItem(int index) {
  detail::DoubleClickRow(As<detail::ListWidget>(this), index);
}

void TFileListBox::ClickItem(int index) {
  detail::ClickRow(As<detail::ListWidget>(this), index);
}

void TFileListBox::DblClickItem(int index) {
  detail::DoubleClickRow(As<detail::ListWidget>(this), index);
}

bool TFileListBox::ClickFile(std::string_view name) {
  if (!AcceptsUserAction(Widget())) return false;
  for (int i = 0; i < ItemCount(); ++i) {
    if (Item(i) == name) {
      ClickItem(i);
      return true;
    }
  }
  return false;
}

// --- Form ------------------------------------------------------------------------------

void TForm::PressKey(uint16_t key, TShiftState shift) {
  if (!Active()) return;  // the window system's reports first, as a user waits for the window
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr || target->window() != widget_) target = widget_;
  Qt::KeyboardModifiers modifiers;
  if ((shift & ssShift) != 0) modifiers |= Qt::ShiftModifier;
  if ((shift & ssAlt) != 0) modifiers |= Qt::AltModifier;
  if ((shift & ssCtrl) != 0) modifiers |= Qt::ControlModifier;
  // What the key types as the window system reports it: a capital with
  // Shift, a control character with Ctrl, the letter itself with Alt.
  QString text = detail::TextOfVirtualKey(key);
  if (key >= 'A' && key <= 'Z') {
    if ((shift & ssShift) != 0) text = QString(QChar(key));
    if ((shift & ssCtrl) != 0) text = QString(QChar(key - 'A' + 1));
  }
  if (key == VK_RETURN) text = QStringLiteral("\r");
  detail::PressKeyOn(target, detail::QtKeyOf(key), text, modifiers);
}

}  // namespace ui
