// Edit boxes, memos, list boxes and combo boxes.
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QValidator>

#include <algorithm>

#include "platform/secret_string.h"
#include "ui/controls.h"
#include "ui/detail/control_extras.h"
#include "ui/detail/list_widget.h"
#include "ui/detail/qt_convert.h"
#include "ui/detail/user_targets.h"
#include "ui/detail/virtual_keys.h"
#include "ui/detail/widgets.h"

namespace ui {

namespace detail {

namespace {

// Virtual key codes of the keys that have one here, with their Qt keys
// (letters and digits are the same on both sides).
struct KeyPair {
  int qt;
  uint16_t virtualKey;
};
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, 0x09},    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},   {Qt::Key_Shift, 0x10},  {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},          {Qt::Key_Escape, 0x1B}, {Qt::Key_Space, VK_SPACE},
    {Qt::Key_End, 0x23},          {Qt::Key_Home, 0x24},   {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},           {Qt::Key_Right, 0x27},  {Qt::Key_Down, 0x28},
    {Qt::Key_Delete, 0x2E},       {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22},
};

bool LetterOrDigit(int key) {
  return (key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9);
}

}  // namespace

// Virtual key code of a Qt key, 0 when it has none here.
uint16_t VirtualKeyOf(int key) {
  if (LetterOrDigit(key)) return static_cast<uint16_t>(key);
  for (const KeyPair& pair : kKeys) {
    if (pair.qt == key) return pair.virtualKey;
  }
  return 0;
}

// The Qt key of a virtual key code, Qt::Key_unknown when it has none here.
int QtKeyOf(uint16_t virtualKey) {
  if (LetterOrDigit(virtualKey)) return virtualKey;
  for (const KeyPair& pair : kKeys) {
    if (pair.virtualKey == virtualKey) return pair.qt;
  }
  return Qt::Key_unknown;
}

// The text a key types on its own (letters in lower case), "" for none.
QString TextOfVirtualKey(uint16_t key) {
  if (key >= 'A' && key <= 'Z') return QString(QChar(key - 'A' + 'a'));
  if ((key >= '0' && key <= '9') || key == VK_SPACE) return QString(QChar(key));
  return {};
}

}  // namespace detail

namespace {

using detail::As;
using detail::QtKeyOf;
using detail::TextOfVirtualKey;
using detail::VirtualKeyOf;

// Bytes of the UTF-8 program text that `text` stands for.
qsizetype Utf8Bytes(const QString& text) {
  qsizetype bytes = 0;
  for (const QChar c : text) {
    const char16_t unit = c.unicode();
    bytes += unit < 0x80 ? 1 : unit < 0x800 ? 2 : c.isSurrogate() ? 2 : 3;  // a pair makes 4
  }
  return bytes;
}

// The length limit of typed and pasted text, in bytes of the program text
// the box gives back (UTF-8): a box takes exactly what its field can store,
// and a character that does not fit whole is refused whole. Text the program
// sets is never cut; a text already longer takes no more.
class LengthLimit : public QValidator {
 public:
  explicit LengthLimit(QLineEdit* edit) : QValidator(edit) {
    QObject::connect(edit, &QLineEdit::textChanged,
                     [this](const QString& text) { previousBytes_ = Utf8Bytes(text); });
  }
  int limit = 0;  // 0: none
  bool bypass = false;

  State validate(QString& input, int& pos) const override {
    if (limit <= 0 || bypass) return Acceptable;
    const qsizetype allowed = std::max<qsizetype>(limit, previousBytes_);
    // The text just inserted ends at the cursor: its tail goes, a character
    // at a time.
    while (Utf8Bytes(input) > allowed && pos > 0) {
      const bool pair =
          pos >= 2 && input[pos - 1].isLowSurrogate() && input[pos - 2].isHighSurrogate();
      const int width = pair ? 2 : 1;
      input.remove(pos - width, width);
      pos -= width;
    }
    return Acceptable;
  }

 private:
  qsizetype previousBytes_ = 0;
};

void SetTextUnlimited(QLineEdit* edit, LengthLimit* limit, const QString& text) {
  limit->bypass = true;
  edit->setText(text);
  limit->bypass = false;
}

// The program's own bytes of the text it last set in a box. An 8-bit text
// that is not UTF-8 is shown as Windows-1252; while the box still shows it
// unchanged, the box gives back those bytes, not their UTF-8 form, so that
// a text shown and taken back unedited is the same text (and no longer).
class ProgramTextMemo {
 public:
  ProgramTextMemo() = default;
  ProgramTextMemo(const ProgramTextMemo&) = delete;
  ProgramTextMemo& operator=(const ProgramTextMemo&) = delete;
  // The text may be a key: what it held is overwritten, not only let go.
  ~ProgramTextMemo() { platform::WipeString(bytes_); }
  void Set(QLineEdit* edit, LengthLimit* limit, std::string_view programText) {
    const QString text = detail::ToQString(programText);
    SetTextUnlimited(edit, limit, text);
    shown_ = edit->text();  // a line box drops line breaks
    platform::WipeString(bytes_);
    bytes_ = shown_ == text ? std::string(programText) : detail::FromQString(shown_);
  }
  std::string Text(const QString& shown) const {
    return shown == shown_ ? bytes_ : detail::FromQString(shown);
  }

 private:
  std::string bytes_;
  QString shown_;
};

// Reports a change of the text once: a character the limit refused
// leaves the text as it was.
class ChangeFilter {
 public:
  bool Changed(const QString& text) {
    if (text == last_) return false;
    last_ = text;
    return true;
  }

 private:
  QString last_;
};

class LineEdit : public QLineEdit {
 public:
  explicit LineEdit(QWidget* parent) : QLineEdit(parent), limit(new LengthLimit(this)) {
    setValidator(limit);
  }
  LengthLimit* limit;
  ProgramTextMemo programText;
  ChangeFilter changes;
  char passwordChar = 0;
  std::function<void(uint16_t)> onKeyUp;

 protected:
  // Every key's release, 0 for a key without a code here.
  void keyReleaseEvent(QKeyEvent* event) override {
    QLineEdit::keyReleaseEvent(event);
    if (!event->isAutoRepeat() && onKeyUp) onKeyUp(VirtualKeyOf(event->key()));
  }
};

}  // namespace

// --- TEdit ------------------------------------------------------------------------------

TEdit::TEdit(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent, new LineEdit(detail::ContainerWidget(form, parent))) {
  auto* edit = As<LineEdit>(this);
  QObject::connect(edit, &QLineEdit::textChanged, [this, edit](const QString& text) {
    if (edit->changes.Changed(text) && OnChange) OnChange();
  });
  edit->onKeyUp = [this](uint16_t key) {
    if (OnKeyUp) OnKeyUp(key);
  };
}

std::string TEdit::Text() const {
  auto* edit = As<LineEdit>(this);
  return edit->programText.Text(edit->text());
}

void TEdit::SetText(std::string_view text) {
  auto* edit = As<LineEdit>(this);
  edit->programText.Set(edit, edit->limit, text);
}

int TEdit::MaxLength() const {
  return As<LineEdit>(this)->limit->limit;
}
void TEdit::SetMaxLength(int n) {
  As<LineEdit>(this)->limit->limit = std::max(0, n);
}
char TEdit::PasswordChar() const {
  return As<LineEdit>(this)->passwordChar;
}

void TEdit::SetPasswordChar(char c) {
  auto* edit = As<LineEdit>(this);
  edit->passwordChar = c;
  if (c == 0) {
    edit->setEchoMode(QLineEdit::Normal);
    edit->setStyleSheet(QString());
    return;
  }
  edit->setEchoMode(QLineEdit::Password);
  edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: %1; }")
                          .arg(static_cast<unsigned char>(c)));
}

bool TEdit::ReadOnly() const {
  return As<LineEdit>(this)->isReadOnly();
}
void TEdit::SetReadOnly(bool on) {
  As<LineEdit>(this)->setReadOnly(on);
}

void TEdit::SetFixedPitch(bool on) {
  detail::SetFixedPitch(*this, on);
}

// --- TMemo ------------------------------------------------------------------------------

namespace {

// The program's lines are kept as given (bytes and all); the document shows
// them. What the user types replaces them.
class MemoWidget : public QPlainTextEdit {
 public:
  explicit MemoWidget(QWidget* parent) : QPlainTextEdit(parent) {
    QObject::connect(this, &QPlainTextEdit::textChanged, [this] {
      if (!programmatic) ReadLinesFromDocument();
    });
  }
  std::vector<std::string> lines;
  bool programmatic = false;

  static QString Shown(std::string_view line) {
    QString text = detail::ToQString(line);
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
  }

  template <class Change>
  void Program(Change change) {
    programmatic = true;
    change();
    programmatic = false;
  }

 private:
  void ReadLinesFromDocument() {
    lines.clear();
    const QString text = toPlainText();
    if (text.isEmpty()) return;
    for (const QString& line : text.split(QLatin1Char('\n')))
      lines.push_back(detail::FromQString(line));
  }
};

}  // namespace

TMemo::TMemo(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new MemoWidget(detail::ContainerWidget(form, parent))) {}

int TMemo::LineCount() const {
  return static_cast<int>(As<MemoWidget>(this)->lines.size());
}

std::string TMemo::Line(int index) const {
  const auto& lines = As<MemoWidget>(this)->lines;
  if (index < 0 || static_cast<size_t>(index) >= lines.size()) return {};
  return lines[static_cast<size_t>(index)];
}

void TMemo::SetLine(int index, std::string_view text) {
  if (index < 0) return;
  auto* memo = As<MemoWidget>(this);
  while (memo->lines.size() <= static_cast<size_t>(index)) AddLine("");
  memo->lines[static_cast<size_t>(index)] = std::string(text);
  memo->Program([&] {
    QTextCursor cursor(memo->document()->findBlockByNumber(index));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(MemoWidget::Shown(text));
  });
}

void TMemo::AddLine(std::string_view text) {
  auto* memo = As<MemoWidget>(this);
  const bool first = memo->lines.empty();
  memo->lines.emplace_back(text);
  memo->Program([&] {
    if (first) {
      memo->setPlainText(MemoWidget::Shown(text));
      return;
    }
    QTextCursor cursor(memo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock();
    cursor.insertText(MemoWidget::Shown(text));
  });
}

void TMemo::ClearLines() {
  auto* memo = As<MemoWidget>(this);
  memo->lines.clear();
  memo->Program([memo] { memo->clear(); });
}

std::vector<std::string> TMemo::Lines() const {
  return As<MemoWidget>(this)->lines;
}

void TMemo::SetLines(const std::vector<std::string>& lines) {
  auto* memo = As<MemoWidget>(this);
  memo->lines = lines;
  QStringList shown;
  for (const std::string& line : lines) shown.push_back(MemoWidget::Shown(line));
  memo->Program([&] { memo->setPlainText(shown.join(QLatin1Char('\n'))); });
}

bool TMemo::ReadOnly() const {
  return As<MemoWidget>(this)->isReadOnly();
}
void TMemo::SetReadOnly(bool on) {
  As<MemoWidget>(this)->setReadOnly(on);
}

namespace detail {

namespace {
void ApplyScrollBars(QAbstractScrollArea* area, ScrollBars bars, Qt::ScrollBarPolicy shown) {
  const bool horizontal = bars == ScrollBars::Horizontal || bars == ScrollBars::Both;
  const bool vertical = bars == ScrollBars::Vertical || bars == ScrollBars::Both;
  area->setHorizontalScrollBarPolicy(horizontal ? shown : Qt::ScrollBarAlwaysOff);
  area->setVerticalScrollBarPolicy(vertical ? shown : Qt::ScrollBarAlwaysOff);
}
}  // namespace

// A memo's scroll bars stand whether needed or not; a grid's come when needed.
void SetMemoScrollBars(TMemo& memo, ScrollBars bars) {
  ApplyScrollBars(As<MemoWidget>(&memo), bars, Qt::ScrollBarAlwaysOn);
}

void SetGridScrollBars(TStringGrid& grid, ScrollBars bars) {
  ApplyScrollBars(static_cast<QAbstractScrollArea*>(grid.Widget()), bars, Qt::ScrollBarAsNeeded);
}

void SetMemoWordWrap(TMemo& memo, bool on) {
  As<MemoWidget>(&memo)->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

}  // namespace detail

// --- TListBox ---------------------------------------------------------------------------

namespace {

// List and combo box items keep the program's text as given, bytes and all,
// under this role; what they show is its display form.
constexpr int kProgramTextRole = Qt::UserRole;

QByteArray ProgramBytes(std::string_view text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ProgramText(const QVariant& data) {
  const QByteArray bytes = data.toByteArray();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QListWidgetItem* ProgramItem(std::string_view text) {
  auto* item = new QListWidgetItem(detail::ToQString(text));
  item->setData(kProgramTextRole, ProgramBytes(text));
  return item;
}

}  // namespace

TListBox::TListBox(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new detail::ListWidget(detail::ContainerWidget(form, parent))) {
  auto* list = As<detail::ListWidget>(this);
  // Lines of any length are shown whole: the list scrolls sideways to the
  // widest of them.
  list->setUniformItemSizes(false);
  list->setTextElideMode(Qt::ElideNone);
  list->onClick = [this] { FireClick(); };
  QObject::connect(list, &QListWidget::itemDoubleClicked, [this] { FireDblClick(); });
}

int TListBox::Count() const {
  return As<detail::ListWidget>(this)->count();
}

std::string TListBox::Item(int index) const {
  const QListWidgetItem* item = As<detail::ListWidget>(this)->item(index);
  return item != nullptr ? ProgramText(item->data(kProgramTextRole)) : std::string();
}

void TListBox::AddItem(std::string_view text) {
  auto* list = As<detail::ListWidget>(this);
  list->Program([&] { list->addItem(ProgramItem(text)); });
}

void TListBox::Clear() {
  auto* list = As<detail::ListWidget>(this);
  list->Program([list] { list->clear(); });
}

std::vector<std::string> TListBox::Items() const {
  std::vector<std::string> items;
  for (int i = 0; i < Count(); ++i) items.push_back(Item(i));
  return items;
}

int TListBox::ItemIndex() const {
  return As<detail::ListWidget>(this)->currentRow();
}
void TListBox::SetItemIndex(int index) {
  As<detail::ListWidget>(this)->SelectRow(index);
}

// --- TComboBox --------------------------------------------------------------------------

namespace {

class ComboWidget : public QComboBox {
 public:
  using QComboBox::QComboBox;
  int maxLength = 0;
  LengthLimit* limit = nullptr;  // of the edit box, while the style has one
  ProgramTextMemo programText;   // of the edit box
  ChangeFilter changes;

  // Adding to the list never selects anything by itself.
  template <class Change>
  void KeepSelection(Change change) {
    const int index = currentIndex();
    const QString text = currentText();
    change();
    if (currentIndex() == index) return;
    setCurrentIndex(index);
    if (isEditable()) SetEditText(text);
  }

  void SetEditText(const QString& text) {
    if (limit != nullptr) SetTextUnlimited(lineEdit(), limit, text);
  }
};

}  // namespace

TComboBox::TComboBox(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new ComboWidget(detail::ContainerWidget(form, parent))) {
  auto* combo = As<ComboWidget>(this);
  combo->setInsertPolicy(QComboBox::NoInsert);
  QObject::connect(combo, &QComboBox::activated, [this] {
    FireClick();
    if (OnChange) OnChange();
  });
  SetStyle(TComboStyle::DropDown);
}

TComboStyle TComboBox::Style() const {
  return As<ComboWidget>(this)->isEditable() ? TComboStyle::DropDown : TComboStyle::DropDownList;
}

void TComboBox::SetStyle(TComboStyle s) {
  auto* combo = As<ComboWidget>(this);
  const bool editable = s == TComboStyle::DropDown;
  if (editable == (combo->limit != nullptr)) return;
  combo->setEditable(editable);
  combo->limit = nullptr;
  if (!editable) return;
  QLineEdit* edit = combo->lineEdit();
  combo->limit = new LengthLimit(edit);
  combo->limit->limit = combo->maxLength;
  edit->setValidator(combo->limit);
  combo->setCompleter(nullptr);
  QObject::connect(edit, &QLineEdit::textChanged,
                   [combo](const QString& text) { combo->changes.Changed(text); });
  QObject::connect(edit, &QLineEdit::textEdited, [this, combo](const QString& text) {
    if (combo->changes.Changed(text) && OnChange) OnChange();
  });
}

int TComboBox::ItemCount() const {
  return As<ComboWidget>(this)->count();
}

std::string TComboBox::Item(int index) const {
  auto* combo = As<ComboWidget>(this);
  if (index < 0 || index >= combo->count()) return {};
  return ProgramText(combo->itemData(index, kProgramTextRole));
}

void TComboBox::AddItem(std::string_view text) {
  auto* combo = As<ComboWidget>(this);
  combo->KeepSelection([&] { combo->addItem(detail::ToQString(text), ProgramBytes(text)); });
}

void TComboBox::ClearItems() {
  auto* combo = As<ComboWidget>(this);
  combo->clear();
  combo->SetEditText(QString());
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
  ClearItems();
  for (const std::string& item : items) AddItem(item);
  SetItemIndex(-1);
}

int TComboBox::ItemIndex() const {
  return As<ComboWidget>(this)->currentIndex();
}

void TComboBox::SetItemIndex(int index) {
  auto* combo = As<ComboWidget>(this);
  if (index < 0 || index >= combo->count()) index = -1;
  combo->setCurrentIndex(index);
  if (index < 0 && combo->isEditable()) combo->SetEditText(QString());
}

std::string TComboBox::Text() const {
  auto* combo = As<ComboWidget>(this);
  if (combo->isEditable()) return combo->programText.Text(combo->currentText());
  return Item(combo->currentIndex());
}

void TComboBox::SetText(std::string_view text) {
  auto* combo = As<ComboWidget>(this);
  if (combo->isEditable()) {
    combo->programText.Set(combo->lineEdit(), combo->limit, text);
    return;
  }
  for (int i = 0; i < combo->count(); ++i) {
    if (Item(i) == text) {
      combo->setCurrentIndex(i);
      return;
    }
  }
}

int TComboBox::MaxLength() const {
  return As<ComboWidget>(this)->maxLength;
}

void TComboBox::SetMaxLength(int n) {
  auto* combo = As<ComboWidget>(this);
  combo->maxLength = std::max(0, n);
  if (combo->limit != nullptr) combo->limit->limit = combo->maxLength;
}

int TComboBox::DropDownCount() const {
  return As<ComboWidget>(this)->maxVisibleItems();
}
void TComboBox::SetDropDownCount(int n) {
  As<ComboWidget>(this)->setMaxVisibleItems(std::max(1, n));
}

}  // namespace ui
