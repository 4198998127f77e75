// The control base classes and what every widget shares: geometry,
// visibility, colours, fonts, stacking and the widget registry.
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QPointer>

#include <algorithm>
#include <unordered_map>

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/detail/control_style.h"
#include "ui/detail/qt_convert.h"
#include "ui/detail/widgets.h"
#include "ui/form.h"

namespace ui {
namespace detail {
namespace {

std::unordered_map<QWidget*, TControl*>& Registry() {
  static std::unordered_map<QWidget*, TControl*> registry;
  return registry;
}

}  // namespace

void RegisterControl(QWidget* widget, TControl* control) {
  Registry()[widget] = control;
}

void UnregisterControl(QWidget* widget) {
  Registry().erase(widget);
}

TControl* ControlOf(QWidget* widget) {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    if (auto it = Registry().find(widget); it != Registry().end()) return it->second;
  }
  return nullptr;
}

QWidget* ContainerWidget(TForm* form, TWinControl* parent) {
  if (parent != nullptr) return parent->Widget();
  return form != nullptr ? form->Widget() : nullptr;
}

void ApplyColors(QWidget* widget, TColor background, TColor text) {
  QPalette palette;  // resolves nothing: unset roles come from the parent
  if (background != clDefault) palette.setColor(widget->backgroundRole(), ToQColor(background));
  if (text != clDefault) {
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
      for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(group, role, ToQColor(text));
      }
    }
  }
  widget->setPalette(palette);
}

bool IsGraphicControl(const TControl* control) {
  return dynamic_cast<const TLabel*>(control) != nullptr ||
         dynamic_cast<const TImage*>(control) != nullptr;
}

void StackGraphicControls(TWinControl* container) {
  const auto& children = container->Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (IsGraphicControl(*it)) (*it)->Widget()->lower();
    if (auto* inner = dynamic_cast<TWinControl*>(*it)) StackGraphicControls(inner);
  }
}

namespace {

// Raises a graphic control above its graphic siblings but under the
// windowed ones.
void RaiseGraphicControl(QWidget* widget) {
  widget->raise();
  QWidget* parent = widget->parentWidget();
  if (parent == nullptr) return;
  for (QObject* object : parent->children()) {
    auto* sibling = qobject_cast<QWidget*>(object);
    if (sibling == nullptr || sibling == widget) continue;
    TControl* control = ControlOf(sibling);
    if (control != nullptr && control->Widget() == sibling && !IsGraphicControl(control)) {
      widget->stackUnder(sibling);
      return;
    }
  }
}

}  // namespace

void RaiseWindow(QWidget* window) {
  // The offscreen platform (tests) keeps no stacking order and says so at each try.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) window->raise();
  window->activateWindow();
}

namespace {

std::vector<QPointer<QWidget>>& ActivationOrder() {
  static std::vector<QPointer<QWidget>> order;
  return order;
}

}  // namespace

void NoteActivated(QWidget* window) {
  auto& order = ActivationOrder();
  std::erase_if(order, [window](const QPointer<QWidget>& w) { return w.isNull() || w == window; });
  order.emplace_back(window);
}

QWidget* WindowBeneath(QWidget* window) {
  auto& order = ActivationOrder();
  std::erase_if(order, [](const QPointer<QWidget>& w) { return w.isNull(); });
  const bool last = !order.empty() && order.back() == window;
  if (!last && !window->isActiveWindow()) return nullptr;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    QWidget* other = it->data();
    if (other != nullptr && other != window && other->isVisible() && !other->isMinimized())
      return other;
  }
  return nullptr;
}

void FocusFirstControl(QWidget* window) {
  for (QWidget* w = window->nextInFocusChain(); w != nullptr && w != window;
       w = w->nextInFocusChain()) {
    if (w->window() != window || (w->focusPolicy() & Qt::TabFocus) == 0) continue;
    if (!w->isEnabled() || !w->isVisibleTo(window)) continue;
    w->setFocus(Qt::TabFocusReason);
    return;
  }
}

// --- FormWidget -----------------------------------------------------------------

FormWidget::FormWidget() : Clickable<QWidget>(nullptr) {
  setAutoFillBackground(true);
  ApplyWindowStyle();
}

void FormWidget::ApplyWindowStyle() {
  Qt::WindowFlags flags;
  const bool systemMenu = (borderIcons & biSystemMenu) != 0;
  switch (borderStyle) {
    case TBorderStyle::None:
      flags = Qt::Window | Qt::FramelessWindowHint;
      break;
    case TBorderStyle::Dialog:
      flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if (systemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
      break;
    case TBorderStyle::Single:
    case TBorderStyle::Sizeable:
      flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if (systemMenu) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if ((borderIcons & biMinimize) != 0) flags |= Qt::WindowMinimizeButtonHint;
        if ((borderIcons & biMaximize) != 0) flags |= Qt::WindowMaximizeButtonHint;
      }
      break;
  }
  if (formStyle == TFormStyle::StayOnTop) flags |= Qt::WindowStaysOnTopHint;
  const bool wasVisible = isVisible();
  const QPoint position = pos();
  setWindowFlags(flags);
  move(position);
  SetClientSize(width(), height());
  if (wasVisible) show();
}

void FormWidget::SetClientSize(int width, int height) {
  if (borderStyle == TBorderStyle::Sizeable) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(width, height);
  } else {
    setFixedSize(width, height);
  }
}

void LabelWidget::changeEvent(QEvent* event) {
  Clickable<QLabel>::changeEvent(event);
  if (event->type() == QEvent::FontChange && onFontChange) onFontChange();
}

void FormWidget::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (onCloseRequest) onCloseRequest();
}

// A window the user activates (a click into it, the window manager's
// switch) is the newest in the activation order.
bool FormWidget::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) NoteActivated(this);
  return Clickable<QWidget>::event(event);
}

}  // namespace detail

// --- TComponent ------------------------------------------------------------------

TComponent::TComponent(std::string name) : name_(std::move(name)) {}
TComponent::~TComponent() = default;

// --- TControl --------------------------------------------------------------------

TControl::TControl(std::string name, TForm* form, TWinControl* parent, QWidget* widget)
    : TComponent(std::move(name)), widget_(widget), form_(form), parent_(parent) {
  if (parent_ != nullptr) parent_->children_.push_back(this);
  detail::RegisterControl(widget_, this);
}

TControl::~TControl() {
  detail::UnregisterControl(widget_);
  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  delete widget_;
}

namespace {

bool IsFormItself(const TControl* control) {
  return static_cast<const TControl*>(control->Form()) == control;
}

// The frame's extra width and height around a window's client area.
QSize FrameExtra(const QWidget* window) {
  return window->frameGeometry().size() - window->geometry().size();
}

}  // namespace

int TControl::Left() const {
  return widget_->x();
}
int TControl::Top() const {
  return widget_->y();
}

int TControl::Width() const {
  return IsFormItself(this) ? widget_->frameGeometry().width() : widget_->width();
}

int TControl::Height() const {
  return IsFormItself(this) ? widget_->frameGeometry().height() : widget_->height();
}

void TControl::SetLeft(int v) {
  widget_->move(v, widget_->y());
}
void TControl::SetTop(int v) {
  widget_->move(widget_->x(), v);
}
void TControl::SetWidth(int v) {
  SetBounds(Left(), Top(), v, Height());
}
void TControl::SetHeight(int v) {
  SetBounds(Left(), Top(), Width(), v);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  widget_->move(left, top);
  if (IsFormItself(this)) {
    const QSize extra = FrameExtra(widget_);
    form_->SetClientSize(width - extra.width(), height - extra.height());
  } else {
    widget_->resize(std::max(0, width), std::max(0, height));
  }
}

bool TControl::Visible() const {
  return IsFormItself(this) ? form_->IsShown() : visible_;
}

void TControl::SetVisible(bool on) {
  if (IsFormItself(this)) {
    on ? form_->Show() : form_->Hide();
    return;
  }
  visible_ = on;
  widget_->setVisible(on);
}

bool TControl::Showing() const {
  return widget_->isVisible();
}

bool TControl::Enabled() const {
  return !widget_->testAttribute(Qt::WA_ForceDisabled);
}
void TControl::SetEnabled(bool on) {
  widget_->setEnabled(on);
}

void TControl::SetHint(std::string_view hint) {
  hint_ = std::string(hint);
}
void TControl::SetShowHint(bool on) {
  showHint_ = on;
}

TColor TControl::Color() const {
  return color_;
}

void TControl::SetColor(TColor c) {
  color_ = c;
  detail::ApplyColors(widget_, color_, fontColor_);
}

TColor TControl::FontColor() const {
  return fontColor_;
}

void TControl::SetFontColor(TColor c) {
  fontColor_ = c;
  detail::ApplyColors(widget_, color_, fontColor_);
}

bool TControl::FontBold() const {
  return widget_->font().bold();
}

void TControl::SetFontBold(bool on) {
  QFont font = widget_->font();
  font.setBold(on);
  widget_->setFont(font);
}

void TControl::Repaint() {
  widget_->repaint();
}

void TControl::BringToFront() {
  if (detail::IsGraphicControl(this)) {
    detail::RaiseGraphicControl(widget_);
    return;
  }
  if (widget_->isWindow()) {
    detail::RaiseWindow(widget_);
  } else {
    widget_->raise();
  }
}

void TControl::SetFocus() {
  if ((widget_->focusPolicy() & Qt::TabFocus) == 0 || !widget_->isEnabled()) return;
  if (!widget_->isVisibleTo(widget_->window())) return;
  widget_->setFocus(Qt::OtherFocusReason);
}

bool TControl::Focused() const {
  return form_ != nullptr && form_->ActiveControl() == this;
}

void TControl::FireClick() {
  if (OnClick) OnClick();
}

void TControl::FireDblClick() {
  if (OnDblClick) OnDblClick();
}

}  // namespace ui
