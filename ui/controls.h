#pragma once
// The controls a stored form description can hold. Every control has a
// name, a position relative to its parent, visibility, enabled state, a hint
// with its ShowHint switch, font settings and the events its kind raises.
// Events are plain callables; loading a form binds them to the form class's
// handlers by name (form.h).
//
// Methods named after a user's action (Click, TypeText, SelectItem, ...)
// act as the user would: they send the mouse and key events a person at the
// screen would make to the control's window, so the program sees the same
// events in the same order; on a disabled or hidden control they do
// nothing. They are declared here but defined by the tests' library
// (tests/doubles/user_actions.cpp, over Qt's test library), which only
// tests link: the program itself never calls them. It changes controls
// through their setters (SetChecked, SetItemIndex, SetText, ...) and calls
// its handlers directly.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/types.h"

class QWidget;

namespace ui {

class TForm;
class TWinControl;

using TNotifyEvent = std::function<void()>;
using TCloseEvent = std::function<void(TCloseAction&)>;
using TMouseEvent = std::function<void(TMouseButton button, int x, int y)>;
using TKeyEvent = std::function<void(uint16_t& key)>;

// Anything a form owns by name: controls and timers.
class TComponent {
 public:
  explicit TComponent(std::string name);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  friend class TFormLoader;
};

class TControl : public TComponent {
 public:
  ~TControl() override;

  TForm* Form() const { return form_; }
  TWinControl* Parent() const { return parent_; }

  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int v);
  void SetTop(int v);
  void SetWidth(int v);
  void SetHeight(int v);
  void SetBounds(int left, int top, int width, int height);

  // The control's own flag; it shows on screen only when its parents do too.
  bool Visible() const;
  void SetVisible(bool on);
  bool Showing() const;  // visible along with every parent and its form
  bool Enabled() const;
  void SetEnabled(bool on);

  const std::string& Hint() const { return hint_; }
  void SetHint(std::string_view hint);  // CR or CR LF break the tooltip's lines
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool on);

  TColor Color() const;
  void SetColor(TColor c);
  TColor FontColor() const;
  void SetFontColor(TColor c);
  bool FontBold() const;
  void SetFontBold(bool on);

  void Repaint();
  void BringToFront();

  // Gives the control the keyboard focus within its form (the form's
  // active control); nothing when it cannot take it (disabled, hidden, a
  // label or picture). Focused: it is the form's active control.
  void SetFocus();
  bool Focused() const;

  // As the user: a click / double click in the control's middle (a check
  // or radio box on its box), when enabled and showing.
  void Click();
  void DblClick();
  // As the user: a click / double click at a point of the control (control
  // coordinates), on whatever part of it lies there.
  void ClickAt(int x, int y);
  void DblClickAt(int x, int y);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

  // For the library: the Qt widget behind the control.
  QWidget* Widget() const { return widget_; }

 protected:
  TControl(std::string name, TForm* form, TWinControl* parent, QWidget* widget);
  // The control's own events, as its window reports them.
  void FireClick();
  void FireDblClick();

  QWidget* widget_ = nullptr;
  TForm* form_ = nullptr;
  TWinControl* parent_ = nullptr;
  std::string hint_;
  bool showHint_ = false;
  bool visible_ = true;
  TColor color_ = clDefault;
  TColor fontColor_ = clDefault;
  friend class TFormLoader;
};

// A control that holds other controls.
class TWinControl : public TControl {
 public:
  const std::vector<TControl*>& Children() const { return children_; }

 protected:
  using TControl::TControl;
  std::vector<TControl*> children_;
  friend class TFormLoader;
  friend class TControl;
};

class TLabel : public TControl {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption);
  bool Transparent() const;
  void SetTransparent(bool on);
  // AutoSize (the default) makes Width and Height follow the caption.
  bool AutoSize() const;
  void SetAutoSize(bool on);
  TLabel(std::string name, TForm* form, TWinControl* parent);

 private:
  std::string caption_;
};

class TButton : public TControl {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption);
  TButton(std::string name, TForm* form, TWinControl* parent);

 private:
  std::string caption_;
};

// A button with a picture beside (or instead of) its caption.
class TBitBtn : public TButton {
 public:
  // A picture compiled into the program (picture.h); false when it is missing.
  bool SetGlyph(std::string_view pictureName);
  const std::string& Glyph() const { return glyph_; }
  TBitBtn(std::string name, TForm* form, TWinControl* parent);

 private:
  std::string glyph_;
};

class TEdit : public TControl {
 public:
  std::string Text() const;
  void SetText(std::string_view text);  // fires OnChange when the text changes
  int MaxLength() const;                // 0: no limit; counts bytes of Text()
  void SetMaxLength(int n);
  char PasswordChar() const;  // 0: shown in clear
  void SetPasswordChar(char c);
  bool ReadOnly() const;
  void SetReadOnly(bool on);
  void SetFixedPitch(bool on);

  // As the user: types each character at the end (the limit holds, as it does
  // for pasting), firing OnChange and OnKeyUp per character.
  void TypeText(std::string_view utf8);
  // As the user: pastes the text at the end (Ctrl+V), cut to the limit.
  void PasteText(std::string_view utf8);
  // As the user: presses and releases one key (VK_BACK deletes the last
  // character). OnKeyUp reports every key released, 0 for a key without a code.
  void PressKey(uint16_t key);

  TNotifyEvent OnChange;
  TKeyEvent OnKeyUp;
  TEdit(std::string name, TForm* form, TWinControl* parent);
};

class TMemo : public TControl {
 public:
  int LineCount() const;
  std::string Line(int index) const;               // "" beyond the last line
  void SetLine(int index, std::string_view text);  // adds empty lines up to index
  void AddLine(std::string_view text);
  void ClearLines();
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
  bool ReadOnly() const;
  void SetReadOnly(bool on);
  TMemo(std::string name, TForm* form, TWinControl* parent);
};

class TListBox : public TControl {
 public:
  int Count() const;
  std::string Item(int index) const;
  void AddItem(std::string_view text);
  void Clear();
  std::vector<std::string> Items() const;
  int ItemIndex() const;  // -1: none
  void SetItemIndex(int index);
  TListBox(std::string name, TForm* form, TWinControl* parent);
};

class TCheckBox : public TControl {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption);
  bool Checked() const;
  // Fires OnClick when the state changes, as a click would.
  void SetChecked(bool on);
  TCheckBox(std::string name, TForm* form, TWinControl* parent);

 private:
  std::string caption_;
  bool checked_ = false;
};

// Radio buttons form one group per parent control.
class TRadioButton : public TControl {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption);
  bool Checked() const;
  // Checking one clears the others of its group; fires OnClick when it becomes
  // checked. A click checks it.
  void SetChecked(bool on);
  TRadioButton(std::string name, TForm* form, TWinControl* parent);

 private:
  std::string caption_;
  bool checked_ = false;
};

class TGroupBox : public TWinControl {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption);
  TGroupBox(std::string name, TForm* form, TWinControl* parent);

 private:
  std::string caption_;
};

class TPanel : public TWinControl {
 public:
  TPanel(std::string name, TForm* form, TWinControl* parent);
};

enum class TComboStyle { DropDown, DropDownList };

class TComboBox : public TControl {
 public:
  TComboStyle Style() const;
  void SetStyle(TComboStyle s);
  int ItemCount() const;
  std::string Item(int index) const;
  void AddItem(std::string_view text);
  void ClearItems();
  void SetItems(const std::vector<std::string>& items);
  int ItemIndex() const;                // -1: no selection
  void SetItemIndex(int index);         // -1 clears; out of range clears; does not fire OnChange
  std::string Text() const;             // the edit text, or the selected item of a list
  void SetText(std::string_view text);  // editable style; selects an equal item in a list
  int MaxLength() const;
  void SetMaxLength(int n);
  int DropDownCount() const;
  void SetDropDownCount(int n);

  // As the user: choose an item (fires OnChange), or type or paste (Ctrl+V)
  // into an editable box.
  void SelectItem(int index);
  void TypeText(std::string_view utf8);
  void PasteText(std::string_view utf8);

  TNotifyEvent OnChange;
  TComboBox(std::string name, TForm* form, TWinControl* parent);
};

// A grid of text cells. Cells are kept apart from the row count: a cell can
// be read and written at any row and column below 65536, and rows added later
// show what their cells hold.
class TStringGrid : public TControl {
 public:
  int ColCount() const;
  void SetColCount(int n);
  int RowCount() const;
  void SetRowCount(int n);
  int FixedRows() const;
  void SetFixedRows(int n);
  int FixedCols() const;
  void SetFixedCols(int n);
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  int DefaultRowHeight() const;
  void SetDefaultRowHeight(int h);
  std::string Cell(int col, int row) const;
  void SetCell(int col, int row, std::string_view text);
  // The cell under the point (control coordinates): false and -1, -1 when none.
  bool MouseToCell(int x, int y, int* col, int* row) const;
  // The centre of a cell in control coordinates (for tests).
  void CellCenter(int col, int row, int* x, int* y) const;
  int TopRow() const;
  // The row of the highlighted cell (the current row), -1 when none.
  int Row() const;

  // As the user: click a cell (scrolled into view first), or double-click it.
  void ClickCell(int col, int row);
  void DblClickCell(int col, int row);
  // As the user: click at a point that may lie outside every cell.
  void MouseUpAt(int x, int y);

  TMouseEvent OnMouseUp;
  // The user moved the highlight to another row (a click, the arrow and
  // page keys, Home and End); Row() is the new one.
  TNotifyEvent OnSelectCell;
  TStringGrid(std::string name, TForm* form, TWinControl* parent);
};

// Pages with tabs; each page holds controls.
class TTabbedNotebook : public TWinControl {
 public:
  int PageCount() const;
  std::string PageCaption(int index) const;
  int PageIndex() const;
  void SetPageIndex(int index);
  TWinControl* Page(int index) const;
  // As the user: clicks the page's tab.
  void ClickTab(int index);
  TTabbedNotebook(std::string name, TForm* form, TWinControl* parent);
};

class TTrackBar : public TControl {
 public:
  int Min() const;
  int Max() const;
  void SetRange(int min, int max);
  int Position() const;
  void SetPosition(int pos);  // clamped to the range
  // As the user: moves the slider to the position (clamped) with the arrow
  // keys, one step a key, each step an OnChange.
  void SlideTo(int pos);
  TNotifyEvent OnChange;
  TTrackBar(std::string name, TForm* form, TWinControl* parent);
};

class TProgressBar : public TControl {
 public:
  int Min() const;
  int Max() const;
  void SetRange(int min, int max);
  int Position() const;
  void SetPosition(int64_t pos);  // clamped to the range
  TProgressBar(std::string name, TForm* form, TWinControl* parent);
};

class TDirectoryListBox;
class TFileListBox;

// The drives of the drive map, as "C: [LABEL]"; choosing one points the
// linked directory list (and through it the file list) at the drive's
// current folder.
class TDriveComboBox : public TControl {
 public:
  char Drive() const;  // upper-case letter, 0 when there is none
  // Selects the drive (fires OnChange when it changes) and updates the directory list.
  void SetDrive(char letter);
  std::string Text() const;  // the selected entry as shown
  std::vector<char> Drives() const;
  void SetDirList(TDirectoryListBox* list);
  // Re-reads the drive map.
  void Refresh();

  // As the user: open the box (OnClick) and choose a drive (OnChange).
  void SelectDrive(char letter);

  TNotifyEvent OnChange;
  TDriveComboBox(std::string name, TForm* form, TWinControl* parent);
};

// The folder tree from the drive root down to the current folder, then the
// current folder's sub-folders.
class TDirectoryListBox : public TControl {
 public:
  std::string Directory() const;             // Windows path, no trailing "\" except at a root
  void SetDirectory(std::string_view path);  // updates the linked file list
  char Drive() const;
  int ItemCount() const;
  std::string ItemText(int index) const;  // the folder's own name ("C:\" for the root)
  std::string ItemPath(int index) const;  // the folder's full path
  int ItemIndex() const;
  void SetItemIndex(int index);
  void SetFileList(TFileListBox* list);
  void Refresh();

  // As the user: select an item (OnClick); double-click opens it (Directory changes, OnDblClick).
  void ClickItem(int index);
  void DblClickItem(int index);

  TNotifyEvent OnChange;  // Directory changed
  TDirectoryListBox(std::string name, TForm* form, TWinControl* parent);
};

// The files of one folder that match a mask and an attribute filter.
class TFileListBox : public TControl {
 public:
  std::string Directory() const;  // as the directory list gives it
  void SetDirectory(std::string_view path);
  std::string Mask() const;  // "*.*" at first
  void SetMask(std::string_view mask);
  uint32_t FileType() const;  // attribute filter (platform attr bits)
  void SetFileType(uint32_t attrs);
  int ItemCount() const;
  std::string Item(int index) const;
  int ItemIndex() const;
  void SetItemIndex(int index);
  // Directory + "\" + the selected name, or "" when nothing is selected.
  std::string FileName() const;
  // Reads the folder again.
  void Update();

  // As the user: select an item (OnClick) or double-click it (OnDblClick).
  void ClickItem(int index);
  void DblClickItem(int index);
  // Selects the item of that name, as a click; false when it is not listed.
  bool ClickFile(std::string_view name);

  TFileListBox(std::string name, TForm* form, TWinControl* parent);
};

class TImage : public TControl {
 public:
  bool LoadPicture(std::string_view pictureName);  // a picture compiled into the program
  const std::string& Picture() const { return picture_; }
  bool HasPicture() const;
  void SetStretch(bool on);
  void SetProportional(bool on);
  void SetTransparent(bool on);
  TImage(std::string name, TForm* form, TWinControl* parent);

 private:
  std::string picture_;
};

// Not a visible control: a timer on the library's clock (clock.h). It keeps
// running while its form is hidden.
class TTimer : public TComponent {
 public:
  explicit TTimer(std::string name);
  ~TTimer() override;
  int Interval() const { return interval_; }
  void SetInterval(int ms);  // restarts the count when enabled
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);  // enabling starts a fresh interval
  TNotifyEvent OnTimer;

  // For the clock.
  int64_t DueAt() const { return dueAt_; }
  uint64_t Sequence() const { return sequence_; }
  void Fire();

 private:
  int interval_ = 1000;
  bool enabled_ = true;
  int64_t dueAt_ = 0;
  uint64_t sequence_ = 0;
  bool firing_ = false;     // its handler is running (nested message loops skip it)
  bool restarted_ = false;  // the handler re-armed it, so Fire leaves the new due time
};

}  // namespace ui
