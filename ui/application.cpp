#include "ui/application.h"

#include <QApplication>
#include <QEventLoop>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolTip>

#include <cstdlib>

#include "platform/system.h"
#include "ui/detail/clock_internal.h"
#include "ui/detail/platform_choice.h"
#include "ui/detail/qt_convert.h"
#include "ui/detail/widgets.h"

namespace ui {

TApplication* Application = nullptr;

namespace {

TScreen screen;
QApplication* qtApplication = nullptr;
QEventLoop* runningLoop = nullptr;

// The application's hint pause is the wait before any tooltip shows; the
// tabs and grid titles are as tight as the windows were laid out for.
class ProgramStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_ToolTip_WakeUpDelay && Application != nullptr) return Application->HintPause();
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_TabBarTabHSpace) return 11;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
  // A grid's title starts 2 pixels in and runs up to the line at its
  // column's edge.
  QRect subElementRect(SubElement element, const QStyleOption* option,
                       const QWidget* widget) const override {
    QRect rect = QProxyStyle::subElementRect(element, option, widget);
    if (element == SE_HeaderLabel) {
      rect.setLeft(option->rect.left() + 2);
      rect.setRight(option->rect.right() - 1);
    }
    return rect;
  }
};

}  // namespace

std::string detail::HintOver(QWidget* widget) {
  TControl* control = detail::ControlOf(widget);
  while (control != nullptr && !control->Widget()->isEnabled()) control = control->Parent();
  if (control == nullptr || !control->ShowHint()) return {};
  for (const TControl* c = control; c != nullptr; c = c->Parent()) {
    if (!c->Hint().empty()) return c->Hint();
  }
  return {};
}

namespace {

// Every tooltip of the program comes from a control's hint, shown for the
// application's hint hide pause.
class HintFilter : public QObject {
 public:
  using QObject::QObject;

  // A tooltip of marked-up text wraps its lines to a width of its own
  // choosing (a long path breaks at its drive letter); a hint's lines break
  // only where the hint breaks them.
  static void KeepLinesWhole() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* tip = qobject_cast<QLabel*>(window);
      if (tip == nullptr || window->objectName() != QLatin1String("qtooltip_label")) continue;
      if (!tip->wordWrap()) continue;
      tip->setWordWrap(false);
      tip->resize(tip->sizeHint());
    }
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (detail::ControlOf(widget) == nullptr) return false;
    const std::string hint = detail::HintOver(widget);
    const auto* help = static_cast<QHelpEvent*>(event);
    if (hint.empty()) {
      QToolTip::hideText();
    } else {
      const int showFor = Application != nullptr ? Application->HintHidePause() : -1;
      QToolTip::showText(help->globalPos(), detail::HintMarkup(hint), widget, QRect(), showFor);
      KeepLinesWhole();
    }
    return true;
  }
};

// A key held with Alt or Ctrl never types into a text box: Alt+letter is
// an accelerator, or nothing when none takes it, and Ctrl+key is an edit
// command (copy, paste, select all, ...) or nothing. The box still gets
// the key, without its text, so its own commands keep working.
class ModifiedKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    constexpr Qt::KeyboardModifiers commandKeys =
        Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier;
    if ((key->modifiers() & commandKeys) == 0 || key->text().isEmpty()) return false;
    if (qobject_cast<QLineEdit*>(watched) == nullptr &&
        qobject_cast<QPlainTextEdit*>(watched) == nullptr) {
      return false;
    }
    QKeyEvent withoutText(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                          key->nativeVirtualKey(), key->nativeModifiers(), QString(),
                          key->isAutoRepeat(), static_cast<quint16>(key->count()));
    QCoreApplication::sendEvent(watched, &withoutText);
    key->setAccepted(withoutText.isAccepted());
    return true;
  }
};

void PreferX11() {
  const std::string platform =
      detail::PreferredQtPlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"));
  if (!platform.empty()) setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
}

}  // namespace

std::string detail::PreferredQtPlatform(const char* qpaPlatform, const char* display) {
  const auto set = [](const char* value) { return value != nullptr && *value != '\0'; };
  return !set(qpaPlatform) && set(display) ? "xcb" : "";
}

TScreen* Screen = &screen;

TApplication* TApplication::Initialize(int& argc, char** argv, ClockMode mode) {
  if (Application != nullptr) return Application;
  PreferX11();
  qtApplication = new QApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setStyle(new ProgramStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
  // The windows were laid out for an 8-point sans serif face at 96 dots per
  // inch: 11 pixels to the em, in a face of the widths they were measured in.
  QFont font(QStringLiteral("Liberation Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  QApplication::setFont(font);
  qtApplication->installEventFilter(new HintFilter(qtApplication));
  qtApplication->installEventFilter(new ModifiedKeyFilter(qtApplication));
  detail::SetClockMode(mode);
  Application = new TApplication();
  return Application;
}

void TApplication::Shutdown() {
  delete Application;
  Application = nullptr;
  detail::StopClock();
  delete qtApplication;
  qtApplication = nullptr;
}

TApplication::~TApplication() {
  DestroyForms();
}

void TApplication::DestroyForms() {
  formOrder_.clear();
  mainForm_ = nullptr;
  while (!forms_.empty()) forms_.pop_back();
  terminated_ = false;
}

void TApplication::SetTitle(std::string_view title) {
  title_ = std::string(title);
  QApplication::setApplicationName(detail::ToQString(title_));
}

std::string TApplication::DesktopFileName() const {
  return QGuiApplication::desktopFileName().toStdString();
}

void TApplication::SetDesktopFileName(std::string_view name) {
  QGuiApplication::setDesktopFileName(QString::fromStdString(std::string(name)));
}

void TApplication::Adopt(std::unique_ptr<TForm> form, std::string_view resourceName) {
  TForm* raw = form.get();
  forms_.push_back(std::move(form));
  formOrder_.push_back(raw);
  if (mainForm_ == nullptr) mainForm_ = raw;
  try {
    raw->Load(resourceName);
  } catch (...) {
    if (mainForm_ == raw) mainForm_ = nullptr;
    formOrder_.pop_back();
    forms_.pop_back();
    throw;
  }
}

bool TApplication::Run(int64_t virtualLimitMs) {
  if (mainForm_ != nullptr && !terminated_) mainForm_->Show();
  if (clock::Mode() == ClockMode::Virtual) {
    for (int64_t ms = 0; ms < virtualLimitMs && !terminated_; ++ms) {
      ProcessMessages();
      clock::Advance(1);
    }
    ProcessMessages();
    return terminated_;
  }
  if (!terminated_) {
    QEventLoop loop;
    runningLoop = &loop;
    loop.exec();
    runningLoop = nullptr;
  }
  return true;
}

void TApplication::ProcessMessages() {
  QApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::WaitMessage() {
  QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TApplication::Terminate() {
  terminated_ = true;
  if (runningLoop != nullptr) runningLoop->quit();
}

void TApplication::SetHintPause(int ms) {
  hintPause_ = ms;
}
void TApplication::SetHintHidePause(int ms) {
  hintHidePause_ = ms;
}

namespace {
const QScreen* PrimaryScreen() {
  return qtApplication != nullptr ? QGuiApplication::primaryScreen() : nullptr;
}
}  // namespace

int TScreen::Width() const {
  const QScreen* primary = PrimaryScreen();
  return primary != nullptr ? primary->geometry().width() : 0;
}

int TScreen::Height() const {
  const QScreen* primary = PrimaryScreen();
  return primary != nullptr ? primary->geometry().height() : 0;
}

int TScreen::ColorDepth() const {
  const QScreen* primary = PrimaryScreen();
  return primary != nullptr ? primary->depth() : 0;
}

void MessageBeep() {
  platform::MessageBeep();
}

}  // namespace ui
