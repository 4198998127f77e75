// Labels, buttons, check and radio boxes, group boxes, panels, pictures,
// track and progress bars, and the tabbed notebook.
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QIcon>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QSlider>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

#include "ui/controls.h"
#include "ui/detail/control_extras.h"
#include "ui/detail/picture_cache.h"
#include "ui/detail/qt_convert.h"
#include "ui/detail/widgets.h"
#include "ui/form.h"
#include "ui/text.h"

namespace ui {
namespace {

using detail::As;

// A picture drawn as it is, stretched, or stretched keeping its proportions.
class ImageWidget : public detail::Clickable<QWidget> {
 public:
  using Clickable<QWidget>::Clickable;
  QImage image;
  bool stretch = false;
  bool proportional = false;
  bool center = false;
  bool autoSize = false;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (image.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QSize size = image.size();
    if (stretch)
      size = proportional ? size.scaled(this->size(), Qt::KeepAspectRatio) : this->size();
    QPoint origin(0, 0);
    if (center) origin = QPoint((width() - size.width()) / 2, (height() - size.height()) / 2);
    painter.drawImage(QRect(origin, size), image);
  }
};

class NotebookWidget : public QTabWidget {
 public:
  using QTabWidget::QTabWidget;
  using QTabWidget::tabBar;
  std::vector<TWinControl*> pages;
  std::vector<std::string> captions;
};

class NotebookPage : public TWinControl {
 public:
  NotebookPage(TForm* form, TTabbedNotebook* notebook, QWidget* widget)
      : TWinControl(std::string(), form, notebook, widget) {}
};

// An accelerator (Alt and the underlined letter) clicks the button at
// once, as a click of the mouse does, without the pressed look played out
// on a timer first.
template <class Button>
class AcceleratedButton : public Button {
 public:
  using Button::Button;

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
      this->click();
      return true;
    }
    return Button::event(event);
  }
};

QString LabelText(std::string_view caption) {
  QString text = detail::ToQString(StripMnemonic(caption));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

// Width and height follow the caption (the height only, for wrapped
// text); the edge the text is aligned to stays where it is.
void AdjustLabelSize(detail::LabelWidget* label) {
  if (!label->autoSize) return;
  const QRect before = label->geometry();
  QSize size = label->sizeHint();
  if (label->wordWrap()) size = QSize(before.width(), label->heightForWidth(before.width()));
  int left = before.left();
  if (label->alignment() & Qt::AlignRight) left = before.right() + 1 - size.width();
  if (label->alignment() & Qt::AlignHCenter)
    left = before.left() + (before.width() - size.width()) / 2;
  label->setGeometry(left, before.top(), size.width(), size.height());
}

}  // namespace

// --- fonts (every control) ---------------------------------------------------------

namespace detail {

namespace {
template <class Change>
void ChangeFont(TControl& control, Change change) {
  QFont font = control.Widget()->font();
  change(font);
  control.Widget()->setFont(font);
}
}  // namespace

void SetFontItalic(TControl& control, bool on) {
  ChangeFont(control, [on](QFont& f) { f.setItalic(on); });
}
void SetFontUnderline(TControl& control, bool on) {
  ChangeFont(control, [on](QFont& f) { f.setUnderline(on); });
}
void SetFontSize(TControl& control, int pixels) {
  ChangeFont(control, [pixels](QFont& f) { f.setPixelSize(std::max(1, pixels)); });
}
void SetFontName(TControl& control, std::string_view family) {
  ChangeFont(control, [family](QFont& f) { f.setFamily(ToQString(family)); });
}

void SetFixedPitch(TControl& control, bool on) {
  ChangeFont(control, [on](QFont& f) {
    f.setFamily(on ? QFontDatabase::systemFont(QFontDatabase::FixedFont).family()
                   : QApplication::font().family());
    f.setFixedPitch(on);
    f.setStyleHint(on ? QFont::Monospace : QFont::AnyStyle);
  });
}

}  // namespace detail

// --- TLabel ---------------------------------------------------------------------------

TLabel::TLabel(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new detail::LabelWidget(detail::ContainerWidget(form, parent))) {
  auto* label = As<detail::LabelWidget>(this);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setAutoFillBackground(true);
  label->onClick = [this] { FireClick(); };
  label->onDblClick = [this] { FireDblClick(); };
  label->onFontChange = [label] { AdjustLabelSize(label); };
}

void TLabel::SetCaption(std::string_view caption) {
  caption_ = std::string(caption);
  auto* label = As<detail::LabelWidget>(this);
  label->setText(LabelText(caption_));
  AdjustLabelSize(label);
}

bool TLabel::Transparent() const {
  return !widget_->autoFillBackground();
}
void TLabel::SetTransparent(bool on) {
  widget_->setAutoFillBackground(!on);
}
bool TLabel::AutoSize() const {
  return As<detail::LabelWidget>(this)->autoSize;
}

void TLabel::SetAutoSize(bool on) {
  auto* label = As<detail::LabelWidget>(this);
  label->autoSize = on;
  AdjustLabelSize(label);
}

namespace detail {

void SetLabelWordWrap(TLabel& label, bool on) {
  auto* widget = As<LabelWidget>(&label);
  widget->setWordWrap(on);
  AdjustLabelSize(widget);
}

void SetLabelAlignment(TLabel& label, TextAlignment alignment) {
  Qt::Alignment horizontal = Qt::AlignLeft;
  if (alignment == TextAlignment::Right) horizontal = Qt::AlignRight;
  if (alignment == TextAlignment::Center) horizontal = Qt::AlignHCenter;
  As<LabelWidget>(&label)->setAlignment(horizontal | Qt::AlignTop);
}

}  // namespace detail

// --- TButton, TBitBtn -----------------------------------------------------------------

TButton::TButton(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new AcceleratedButton<QPushButton>(detail::ContainerWidget(form, parent))) {
  auto* button = As<QPushButton>(this);
  // Enter presses the button that has the focus, as Space does.
  button->setAutoDefault(true);
  QObject::connect(button, &QPushButton::clicked, [this] { FireClick(); });
}

void TButton::SetCaption(std::string_view caption) {
  caption_ = std::string(caption);
  As<QPushButton>(this)->setText(detail::ToQString(caption_));
}

TBitBtn::TBitBtn(std::string name, TForm* form, TWinControl* parent)
    : TButton(std::move(name), form, parent) {}

bool TBitBtn::SetGlyph(std::string_view pictureName) {
  const auto image = detail::PictureImage(pictureName);
  if (!image) return false;
  glyph_ = std::string(pictureName);
  auto* button = As<QPushButton>(this);
  button->setIcon(QIcon(QPixmap::fromImage(*image)));
  button->setIconSize(image->size());
  return true;
}

// --- TCheckBox ------------------------------------------------------------------------

TCheckBox::TCheckBox(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new AcceleratedButton<QCheckBox>(detail::ContainerWidget(form, parent))) {
  QObject::connect(As<QCheckBox>(this), &QCheckBox::clicked, [this](bool checked) {
    checked_ = checked;
    FireClick();
  });
}

void TCheckBox::SetCaption(std::string_view caption) {
  caption_ = std::string(caption);
  As<QCheckBox>(this)->setText(detail::ToQString(caption_));
}

bool TCheckBox::Checked() const {
  return checked_;
}

void TCheckBox::SetChecked(bool on) {
  if (on == checked_) return;
  checked_ = on;
  As<QCheckBox>(this)->setChecked(on);
  FireClick();
}

// --- TRadioButton ---------------------------------------------------------------------

TRadioButton::TRadioButton(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new AcceleratedButton<QRadioButton>(detail::ContainerWidget(form, parent))) {
  auto* radio = As<QRadioButton>(this);
  // Grouping follows the parent control, so the library does it itself.
  radio->setAutoExclusive(false);
  QObject::connect(radio, &QRadioButton::clicked, [this, radio](bool checked) {
    if (!checked) {
      radio->setChecked(true);  // a click never clears a radio button
      return;
    }
    SetChecked(true);
  });
}

void TRadioButton::SetCaption(std::string_view caption) {
  caption_ = std::string(caption);
  As<QRadioButton>(this)->setText(detail::ToQString(caption_));
}

bool TRadioButton::Checked() const {
  return checked_;
}

void TRadioButton::SetChecked(bool on) {
  if (on == checked_) return;
  checked_ = on;
  As<QRadioButton>(this)->setChecked(on);
  if (!on) return;
  if (parent_ != nullptr) {
    for (TControl* sibling : parent_->Children()) {
      auto* radio = dynamic_cast<TRadioButton*>(sibling);
      if (radio == nullptr || radio == this || !radio->checked_) continue;
      radio->checked_ = false;
      As<QRadioButton>(radio)->setChecked(false);
    }
  }
  FireClick();
}

// --- TGroupBox, TPanel ----------------------------------------------------------------

namespace detail {

QRect GroupCaptionRect(const QGroupBox* box) {
  const QFontMetrics metrics(box->font());
  const QString text = ToQString(StripMnemonic(FromQString(box->title())));
  if (text.isEmpty()) return {};
  return {kGroupCaptionLeft, 0, metrics.horizontalAdvance(text) + 2, metrics.height()};
}

}  // namespace detail

namespace {

// The frame's top line runs through the middle of the caption, which is
// drawn over it on the box's own background; the controls inside are
// placed from the box's top left corner, not below the caption.
class GroupBoxWidget : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const int top = QFontMetrics(font()).height() / 2;
    const QRect frame = rect().adjusted(0, top, -2, -2);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(frame);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.translated(1, 1));
    const QRect caption = detail::GroupCaptionRect(this);
    if (caption.isEmpty()) return;
    painter.fillRect(caption, palette().color(backgroundRole()));
    style()->drawItemText(&painter, caption.adjusted(1, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
  }
};

}  // namespace

TGroupBox::TGroupBox(std::string name, TForm* form, TWinControl* parent)
    : TWinControl(std::move(name), form, parent,
                  new GroupBoxWidget(detail::ContainerWidget(form, parent))) {
  widget_->setAutoFillBackground(true);
}

void TGroupBox::SetCaption(std::string_view caption) {
  caption_ = std::string(caption);
  As<QGroupBox>(this)->setTitle(detail::ToQString(caption_));
}

TPanel::TPanel(std::string name, TForm* form, TWinControl* parent)
    : TWinControl(std::move(name), form, parent,
                  new detail::PanelWidget(detail::ContainerWidget(form, parent))) {
  auto* panel = As<detail::PanelWidget>(this);
  panel->setAutoFillBackground(true);
  panel->onClick = [this] { FireClick(); };
  panel->onDblClick = [this] { FireDblClick(); };
  detail::SetPanelBevel(*this, detail::Bevel::Raised);
}

void detail::SetPanelBevel(TPanel& panel, Bevel bevel) {
  auto* frame = As<PanelWidget>(&panel);
  switch (bevel) {
    case Bevel::None:
      frame->setFrameStyle(QFrame::NoFrame);
      break;
    case Bevel::Raised:
      frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
      break;
    case Bevel::Lowered:
      frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      break;
  }
  frame->setLineWidth(1);
}

// --- TImage -----------------------------------------------------------------------------

TImage::TImage(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new ImageWidget(detail::ContainerWidget(form, parent))) {
  auto* image = As<ImageWidget>(this);
  image->onClick = [this] { FireClick(); };
  image->onDblClick = [this] { FireDblClick(); };
}

bool TImage::LoadPicture(std::string_view pictureName) {
  const auto picture = detail::PictureImage(pictureName);
  if (!picture) return false;
  picture_ = std::string(pictureName);
  auto* image = As<ImageWidget>(this);
  image->image = *picture;
  if (image->autoSize) image->resize(picture->size());
  image->update();
  return true;
}

bool TImage::HasPicture() const {
  return !As<ImageWidget>(this)->image.isNull();
}

void TImage::SetStretch(bool on) {
  As<ImageWidget>(this)->stretch = on;
  widget_->update();
}

void TImage::SetProportional(bool on) {
  As<ImageWidget>(this)->proportional = on;
  widget_->update();
}

// A JPEG has no transparent pixels, and the control never paints beside its
// picture, so there is nothing to change.
void TImage::SetTransparent(bool) {}

void detail::SetImageCenter(TImage& image, bool on) {
  As<ImageWidget>(&image)->center = on;
  image.Widget()->update();
}

void detail::SetImageAutoSize(TImage& image, bool on) {
  auto* widget = As<ImageWidget>(&image);
  widget->autoSize = on;
  if (on && !widget->image.isNull()) widget->resize(widget->image.size());
}

// --- TTrackBar ---------------------------------------------------------------------------

TTrackBar::TTrackBar(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new QSlider(Qt::Horizontal, detail::ContainerWidget(form, parent))) {
  auto* slider = As<QSlider>(this);
  slider->setRange(0, 10);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTickInterval(1);
  slider->setPageStep(1);
  QObject::connect(slider, &QSlider::valueChanged, [this] {
    if (OnChange) OnChange();
  });
}

int TTrackBar::Min() const {
  return As<QSlider>(this)->minimum();
}
int TTrackBar::Max() const {
  return As<QSlider>(this)->maximum();
}
void TTrackBar::SetRange(int min, int max) {
  As<QSlider>(this)->setRange(min, std::max(min, max));
}
int TTrackBar::Position() const {
  return As<QSlider>(this)->value();
}
void TTrackBar::SetPosition(int pos) {
  As<QSlider>(this)->setValue(std::clamp(pos, Min(), Max()));
}

void detail::SetTrackBarFrequency(TTrackBar& bar, int frequency) {
  As<QSlider>(&bar)->setTickInterval(std::max(1, frequency));
}

// --- TProgressBar ------------------------------------------------------------------------

TProgressBar::TProgressBar(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent,
               new QProgressBar(detail::ContainerWidget(form, parent))) {
  auto* bar = As<QProgressBar>(this);
  bar->setTextVisible(false);
  bar->setRange(0, 100);
  bar->setValue(0);
}

int TProgressBar::Min() const {
  return As<QProgressBar>(this)->minimum();
}
int TProgressBar::Max() const {
  return As<QProgressBar>(this)->maximum();
}

void TProgressBar::SetRange(int min, int max) {
  auto* bar = As<QProgressBar>(this);
  const int position = std::max(bar->value(), min);
  bar->setRange(min, std::max(min, max));
  bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
}

int TProgressBar::Position() const {
  return As<QProgressBar>(this)->value();
}

// A new position asks for the bar to be painted with the rest of its window
// at the next turn of the message loop, instead of painting it at once.
void TProgressBar::SetPosition(int64_t pos) {
  auto* bar = As<QProgressBar>(this);
  const int value = static_cast<int>(std::clamp<int64_t>(pos, bar->minimum(), bar->maximum()));
  if (value == bar->value()) return;
  if (!bar->updatesEnabled()) {
    bar->setValue(value);
    return;
  }
  bar->setUpdatesEnabled(false);
  bar->setValue(value);
  bar->setUpdatesEnabled(true);  // requests the paint
}

// --- TTabbedNotebook ---------------------------------------------------------------------

TTabbedNotebook::TTabbedNotebook(std::string name, TForm* form, TWinControl* parent)
    : TWinControl(std::move(name), form, parent,
                  new NotebookWidget(detail::ContainerWidget(form, parent))) {}

int TTabbedNotebook::PageCount() const {
  return static_cast<int>(As<NotebookWidget>(this)->pages.size());
}

std::string TTabbedNotebook::PageCaption(int index) const {
  const auto& captions = As<NotebookWidget>(this)->captions;
  if (index < 0 || index >= PageCount()) return {};
  return captions[static_cast<size_t>(index)];
}

int TTabbedNotebook::PageIndex() const {
  return As<NotebookWidget>(this)->currentIndex();
}

void TTabbedNotebook::SetPageIndex(int index) {
  if (index >= 0 && index < PageCount()) As<NotebookWidget>(this)->setCurrentIndex(index);
}

TWinControl* TTabbedNotebook::Page(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return As<NotebookWidget>(this)->pages[static_cast<size_t>(index)];
}

std::unique_ptr<TWinControl> detail::AddNotebookPage(TTabbedNotebook& notebook,
                                                     std::string_view caption) {
  auto* tabs = As<NotebookWidget>(&notebook);
  auto* widget = new QWidget;
  widget->setAutoFillBackground(true);
  auto page = std::make_unique<NotebookPage>(notebook.Form(), &notebook, widget);
  tabs->addTab(widget, ToQString(caption));
  tabs->pages.push_back(page.get());
  tabs->captions.emplace_back(caption);
  return page;
}

}  // namespace ui
