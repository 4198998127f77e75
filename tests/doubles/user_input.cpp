// The user's input as Qt input events (user_input.h).
#include "user_input.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>

#include "ui/detail/list_widget.h"
#include "ui/detail/widgets.h"

namespace ui::detail {

void ClickAt(QWidget* widget, QPoint at) {
  QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
}

void DoubleClickAt(QWidget* widget, QPoint at) {
  QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
}

QWidget* WidgetAt(QWidget* widget, QPoint at, QPoint* local) {
  QWidget* target = widget->childAt(at);
  if (target == nullptr) target = widget;
  *local = target->mapFrom(widget, at);
  return target;
}

QPoint ClickPoint(const QWidget* widget) {
  QStyle::SubElement box = QStyle::SE_CustomBase;
  if (qobject_cast<const QCheckBox*>(widget) != nullptr) box = QStyle::SE_CheckBoxIndicator;
  if (qobject_cast<const QRadioButton*>(widget) != nullptr) box = QStyle::SE_RadioButtonIndicator;
  if (box == QStyle::SE_CustomBase) return widget->rect().center();
  QStyleOptionButton option;
  option.initFrom(widget);
  return widget->style()->subElementRect(box, &option, widget).center();
}

namespace {

bool HasRow(ListWidget* list, int row) {
  return AcceptsUserAction(list) && row >= 0 && row < list->count();
}

}  // namespace

void ClickRow(ListWidget* list, int row) {
  if (HasRow(list, row)) ClickAt(list->viewport(), list->RowPoint(row));
}

void DoubleClickRow(ListWidget* list, int row) {
  if (HasRow(list, row)) DoubleClickAt(list->viewport(), list->RowPoint(row));
}

void ChooseFromList(QComboBox* combo, int index) {
  if (!AcceptsUserAction(combo) || index < 0 || index >= combo->count()) return;
  PressKeyOn(combo, Qt::Key_F4);
  QAbstractItemView* view = combo->view();
  if (!view->isVisible()) return;
  const QModelIndex item =
      combo->model()->index(index, combo->modelColumn(), combo->rootModelIndex());
  view->scrollTo(item);
  ClickAt(view->viewport(), view->visualRect(item).center());
}

void PressKeyOn(QWidget* widget, int qtKey, const QString& text, Qt::KeyboardModifiers modifiers) {
  QTest::sendKeyEvent(QTest::Click, widget, static_cast<Qt::Key>(qtKey), text, modifiers);
}

namespace {

// The key that types a character: letters by their capital, as keyboards name them.
int KeyOfCharacter(char32_t c) {
  if (c < 0x80) return QTest::asciiToKey(static_cast<char>(c));
  if (c <= 0xFFFF) return QChar(static_cast<char16_t>(c)).toUpper().unicode();
  return Qt::Key_unknown;
}

}  // namespace

void TypeCharacters(QWidget* widget, const QString& text) {
  for (char32_t c : text.toUcs4()) PressKeyOn(widget, KeyOfCharacter(c), QString::fromUcs4(&c, 1));
}

void PasteInto(QWidget* widget, const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  PressKeyOn(widget, Qt::Key_V, {}, Qt::ControlModifier);
}

}  // namespace ui::detail
