#pragma once
// Qt widgets behind the controls. They carry no meta-object of their own:
// they only turn Qt's events into the control's callbacks.

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QWidget>

class QGroupBox;

#include <functional>
#include <string>

#include "ui/controls.h"
#include "ui/types.h"

namespace ui {
class TForm;
}

namespace ui::detail {

// The widget of a control, as the kind the control made it.
template <class W>
W* As(const TControl* control) {
  return static_cast<W*>(control->Widget());
}

// Registry from Qt widgets to the controls they stand for (for hints).
void RegisterControl(QWidget* widget, TControl* control);
void UnregisterControl(QWidget* widget);
// The control of the widget or of its nearest registered ancestor.
TControl* ControlOf(QWidget* widget);

// The hint a tooltip over the widget shows, empty for none: a disabled
// control passes the question to its parent; a control without hint text
// shows its parent's; ShowHint off shows nothing.
std::string HintOver(QWidget* widget);

// Where a new control's widget goes: inside its parent control, or the form.
QWidget* ContainerWidget(TForm* form, TWinControl* parent);

// Adds click and double-click callbacks to a widget kind without its own
// click signal. A release after a double click is no second click. The
// widget keeps its left-button clicks: they go no further to its parent.
template <class Base>
class Clickable : public Base {
 public:
  using Base::Base;
  std::function<void()> onClick;
  std::function<void()> onDblClick;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    Base::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) event->accept();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    Base::mouseReleaseEvent(event);
    const bool afterDoubleClick = afterDoubleClick_;
    afterDoubleClick_ = false;
    if (event->button() != Qt::LeftButton) return;
    event->accept();
    if (!afterDoubleClick && this->rect().contains(event->position().toPoint()) && onClick) {
      onClick();
    }
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    Base::mouseDoubleClickEvent(event);
    afterDoubleClick_ = true;
    if (event->button() != Qt::LeftButton) return;
    event->accept();
    if (onDblClick) onDblClick();
  }

 private:
  bool afterDoubleClick_ = false;
};

using PanelWidget = Clickable<QFrame>;

// What a user action needs: the control is enabled and on the screen.
inline bool AcceptsUserAction(const QWidget* widget) {
  return widget->isEnabled() && widget->isVisible();
}

class LabelWidget : public Clickable<QLabel> {
 public:
  using Clickable<QLabel>::Clickable;
  bool autoSize = true;
  std::function<void()> onFontChange;

 protected:
  void changeEvent(QEvent* event) override;
};

// The window of a form: its close box asks the form, which decides.
class FormWidget : public Clickable<QWidget> {
 public:
  FormWidget();
  std::function<void()> onCloseRequest;
  TBorderStyle borderStyle = TBorderStyle::Sizeable;
  TBorderIcons borderIcons = biSystemMenu | biMinimize | biMaximize;
  TFormStyle formStyle = TFormStyle::Normal;

  // Window flags and size constraints from the three settings above.
  void ApplyWindowStyle();
  void SetClientSize(int width, int height);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
};

// Where a group box draws its caption, over its frame's top line (empty
// for a box without one).
inline constexpr int kGroupCaptionLeft = 8;
QRect GroupCaptionRect(const QGroupBox* box);

// Puts a window in front and gives it the focus.
void RaiseWindow(QWidget* window);
// The windows in the order they were last shown or activated: a window
// noted goes to the end. WindowBeneath: when `window` is the active window
// or the one noted last, the other shown window noted last; else null.
void NoteActivated(QWidget* window);
QWidget* WindowBeneath(QWidget* window);
// Gives the focus to the window's first widget in its focus chain that
// takes it from the keyboard, enabled and shown.
void FocusFirstControl(QWidget* window);

// Graphic controls (labels, images) stay beneath the windowed controls of
// their parent, as they are drawn on the parent itself.
bool IsGraphicControl(const TControl* control);
void StackGraphicControls(TWinControl* container);

}  // namespace ui::detail
