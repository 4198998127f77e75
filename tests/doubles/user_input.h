#pragma once
// A user's mouse and keyboard input, sent as real Qt input events (through
// Qt's test library) to the widget under the pointer or holding the
// keyboard. The controls' methods named after a user's action
// (user_actions.cpp) go through here, so they reach the program by the same
// path as a person at the screen.

#include <QPoint>
#include <QString>
#include <QWidget>

class QComboBox;

namespace ui::detail {

class ListWidget;

// Left button pressed and released at a point of the widget.
void ClickAt(QWidget* widget, QPoint at);
// A double click as the window system reports it: press, release, the
// double click, release.
void DoubleClickAt(QWidget* widget, QPoint at);
// The widget under a point of `widget` (it or one of its children), with
// the point in that widget's coordinates.
QWidget* WidgetAt(QWidget* widget, QPoint at, QPoint* local);
// Where a user clicks a control: a check or radio box on its box, anything
// else in its middle.
QPoint ClickPoint(const QWidget* widget);

// The row of a list clicked or double-clicked, scrolled into view first
// as the user would; nothing when the list is disabled or hidden or has no
// such row.
void ClickRow(ListWidget* list, int row);
void DoubleClickRow(ListWidget* list, int row);

// The combo box's list opened (F4) and the item clicked in it; nothing when
// the box is disabled or hidden or has no such item.
void ChooseFromList(QComboBox* combo, int index);

// One key pressed and released; `text` is what the key types ("" for none).
void PressKeyOn(QWidget* widget, int qtKey, const QString& text = {},
                Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Each character typed with its own key.
void TypeCharacters(QWidget* widget, const QString& text);
// The text put on the clipboard and pasted with Ctrl+V.
void PasteInto(QWidget* widget, const QString& text);

}  // namespace ui::detail
