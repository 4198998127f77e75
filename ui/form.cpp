#include "ui/form.h"

#include <QApplication>
#include <QFile>

#include "ui/application.h"
#include "ui/detail/form_loader.h"
#include "ui/detail/qt_convert.h"
#include "ui/detail/virtual_keys.h"
#include "ui/detail/widgets.h"

namespace ui {
namespace {

detail::FormWidget* Window(const TForm* form) {
  return static_cast<detail::FormWidget*>(form->Widget());
}

}  // namespace

TForm::TForm() : TWinControl(std::string(), this, nullptr, new detail::FormWidget) {
  Window(this)->onCloseRequest = [this] {
    if (OnCloseRequest) {
      OnCloseRequest();
    } else if (HasCloseBox()) {
      Close();
    }
  };
  Window(this)->onClick = [this] { FireClick(); };
  Window(this)->onDblClick = [this] { FireDblClick(); };
}

// Controls go before the window, the ones created last first, so no
// control outlives the widget it sits in.
TForm::~TForm() {
  while (!timers_.empty()) timers_.pop_back();
  while (!owned_.empty()) owned_.pop_back();
}

std::string TForm::Caption() const {
  return detail::FromQString(widget_->windowTitle());
}
void TForm::SetCaption(std::string_view caption) {
  widget_->setWindowTitle(detail::ToQString(caption));
}

int TForm::ClientWidth() const {
  return widget_->width();
}
int TForm::ClientHeight() const {
  return widget_->height();
}
void TForm::SetClientSize(int width, int height) {
  Window(this)->SetClientSize(width, height);
}

TBorderStyle TForm::BorderStyle() const {
  return Window(this)->borderStyle;
}

void TForm::SetBorderStyle(TBorderStyle s) {
  Window(this)->borderStyle = s;
  Window(this)->ApplyWindowStyle();
}

TBorderIcons TForm::BorderIcons() const {
  return Window(this)->borderIcons;
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  Window(this)->borderIcons = icons;
  Window(this)->ApplyWindowStyle();
}

TFormStyle TForm::FormStyle() const {
  return Window(this)->formStyle;
}

void TForm::SetFormStyle(TFormStyle s) {
  Window(this)->formStyle = s;
  Window(this)->ApplyWindowStyle();
}

void TForm::Show() {
  if (shown_) return;
  shown_ = true;
  widget_->show();
  detail::NoteActivated(widget_);
  if (OnShow) OnShow();
  // The handler may have hidden it again, or enabled what takes the focus.
  if (!shown_) return;
  detail::FocusFirstControl(widget_);
  detail::RaiseWindow(widget_);
}

void TForm::Hide() {
  if (!shown_) return;
  shown_ = false;
  QWidget* beneath = detail::WindowBeneath(widget_);
  widget_->hide();
  if (beneath != nullptr) detail::RaiseWindow(beneath);
  if (OnHide) OnHide();
}

namespace {

// What the window system has reported by now (an activation asked for
// comes back as such a report) reaches the windows.
void TakeWindowSystemReports() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

bool TForm::Active() const {
  TakeWindowSystemReports();
  return widget_->isActiveWindow();
}

TControl* TForm::ActiveControl() const {
  QWidget* focus = widget_->focusWidget();
  if (focus == nullptr) return nullptr;
  TControl* control = detail::ControlOf(focus);
  return control != this ? control : nullptr;
}

bool TForm::Close() {
  TCloseAction action = TCloseAction::Hide;
  if (OnClose) OnClose(action);
  if (action == TCloseAction::None) return false;
  if (Application != nullptr && Application->MainForm() == this) {
    Application->Terminate();
    return true;
  }
  if (action == TCloseAction::Minimize) {
    SendSysCommand(SC_MINIMIZE);
    return false;
  }
  Hide();
  return true;
}

void TForm::RequestClose() {
  widget_->close();
}

bool TForm::HasCloseBox() const {
  return BorderStyle() != TBorderStyle::None && (BorderIcons() & biSystemMenu) != 0;
}

void TForm::BringToFront() {
  detail::RaiseWindow(widget_);
}

void TForm::CenterOnScreen() {
  SetLeft((Screen->Width() - Width()) / 2);
  SetTop((Screen->Height() - Height()) / 2);
}

void TForm::SendSysCommand(uint32_t command) {
  Qt::WindowStates state = widget_->windowState();
  if (command == SC_MINIMIZE) state |= Qt::WindowMinimized;
  if (command == SC_RESTORE) state &= ~Qt::WindowMinimized;
  widget_->setWindowState(state);
}

bool TForm::Minimized() const {
  return (widget_->windowState() & Qt::WindowMinimized) != 0;
}

bool TForm::SaveScreenshot(const std::string& hostPath) {
  widget_->ensurePolished();
  return widget_->grab().save(QString::fromStdString(hostPath), "PNG");
}

TControl* TForm::FindControl(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const auto& component : owned_) {
    if (component->Name() == name) return dynamic_cast<TControl*>(component.get());
  }
  return nullptr;
}

std::vector<TControl*> TForm::AllControls() const {
  std::vector<TControl*> controls;
  for (const auto& component : owned_) {
    auto* control = dynamic_cast<TControl*>(component.get());
    if (control != nullptr && !control->Name().empty()) controls.push_back(control);
  }
  return controls;
}

TTimer* TForm::FindTimer(std::string_view name) const {
  for (const auto& timer : timers_) {
    if (timer->Name() == name) return timer.get();
  }
  return nullptr;
}

void TForm::Load(std::string_view resourceName) {
  const QString path =
      QStringLiteral(":/forms/") +
      QString::fromUtf8(resourceName.data(), static_cast<qsizetype>(resourceName.size())) +
      QStringLiteral(".form");
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw FormError(detail::FromQString(path) + ": no such form description");
  }
  const QByteArray text = file.readAll();
  LoadFromText(std::string_view(text.constData(), static_cast<size_t>(text.size())),
               detail::FromQString(path));
}

void TForm::LoadFromText(std::string_view text, std::string_view sourceName) {
  TFormLoader::Load(*this, text, sourceName);
}

}  // namespace ui
