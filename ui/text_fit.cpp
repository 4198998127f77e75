#include "ui/text_fit.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

#include <algorithm>

#include "ui/detail/qt_convert.h"
#include "ui/detail/widgets.h"
#include "ui/form.h"
#include "ui/text.h"

namespace ui {
namespace {

// The widest line of a caption as drawn, mnemonic marks taken out.
int TextWidth(const QWidget* widget, std::string_view caption) {
  const QFontMetrics metrics(widget->font());
  int widest = 0;
  for (const QString& line : detail::ToQString(StripMnemonic(caption)).split(QLatin1Char('\n'))) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  return widest;
}

// The width of a control's parent. A notebook page gets the notebook's page
// area only once the notebook is shown; the style tells that area before.
int Room(const QWidget* parent) {
  if (auto* stack = qobject_cast<QStackedWidget*>(parent->parentWidget())) {
    if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget())) {
      QStyleOptionTabWidgetFrame option;
      option.initFrom(tabs);
      option.shape = tabs->tabBar()->shape();
      option.tabBarSize = tabs->tabBar()->sizeHint();
      option.lineWidth = tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tabs);
      return tabs->style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, tabs).width();
    }
  }
  return parent->width();
}

class Checker {
 public:
  std::vector<std::string> unfit;

  void Need(const TControl& control, const std::string& what, std::string_view text, int need,
            int room) {
    if (need <= room) return;
    unfit.push_back(control.Name() + " " + what + " \"" + std::string(text) + "\": needs " +
                    std::to_string(need) + " pixels, has " + std::to_string(room));
  }

  void Label(const TLabel& label) {
    const auto* widget = static_cast<const QLabel*>(label.Widget());
    const std::string& caption = label.Caption();
    if (caption.empty()) return;
    if (widget->wordWrap()) {
      const QRect bounds =
          QFontMetrics(widget->font())
              .boundingRect(QRect(0, 0, widget->width(), 100000), Qt::TextWordWrap, widget->text());
      Need(label, "caption lines", caption, bounds.height(), widget->height());
    } else {
      Need(label, "caption", caption, TextWidth(widget, caption), widget->width());
    }
    // A label is drawn on its parent: what lies beyond the parent's edge is cut.
    const QWidget* parent = widget->parentWidget();
    if (parent != nullptr && widget->x() < Room(parent)) {
      Need(label, "caption within its parent", caption, widget->x() + widget->width(),
           Room(parent));
    }
  }

  void Button(const TButton& button) {
    const auto* widget = static_cast<const QPushButton*>(button.Widget());
    if (button.Caption().empty()) return;
    const QStyle* style = widget->style();
    int need = TextWidth(widget, button.Caption()) +
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget);
    if (!widget->icon().isNull()) need += widget->iconSize().width() + 4;
    Need(button, "caption", button.Caption(), need, widget->width());
  }

  void Check(const TControl& control, const std::string& caption, QStyle::PixelMetric indicator) {
    const QWidget* widget = control.Widget();
    const QStyle* style = widget->style();
    const int need = style->pixelMetric(indicator, nullptr, widget) +
                     style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, widget) +
                     TextWidth(widget, caption);
    Need(control, "caption", caption, need, widget->width());
  }

  void GroupBox(const TGroupBox& box) {
    const auto* widget = static_cast<const QGroupBox*>(box.Widget());
    if (box.Caption().empty()) return;
    const int need = detail::GroupCaptionRect(widget).right() + 1;
    Need(box, "caption", box.Caption(), need, widget->width());
  }

  // All tabs in one row, without scroll arrows.
  void Notebook(const TTabbedNotebook& notebook) {
    const auto* tabs = static_cast<const QTabWidget*>(notebook.Widget());
    std::string captions;
    for (int i = 0; i < tabs->count(); ++i) {
      captions += (i > 0 ? " | " : "") + notebook.PageCaption(i);
    }
    Need(notebook, "tabs", captions, tabs->tabBar()->sizeHint().width(), tabs->width());
  }

  // Titles and cells as the grid's view draws them: a title in its label
  // area, a cell inside the item's text margins and its grid line. Rows beyond the row count are
  // not shown.
  void Grid(const TStringGrid& grid) {
    const auto* view = static_cast<const QTableView*>(grid.Widget());
    const QHeaderView* header = view->horizontalHeader();
    for (int col = grid.FixedCols(); col < grid.ColCount(); ++col) {
      const std::string title = grid.FixedRows() > 0 ? grid.Cell(col, 0) : std::string();
      if (!title.empty()) {
        QStyleOptionHeader option;
        option.initFrom(header);
        option.rect = QRect(0, 0, grid.ColWidth(col), grid.DefaultRowHeight());
        option.text = detail::ToQString(title);
        const QRect label =
            header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
        Need(grid, "column title", title, TextWidth(header, title), label.width());
      }
      const int margin =
          view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
      const int room = grid.ColWidth(col) - (view->showGrid() ? 1 : 0) - 2 * margin;
      for (int row = grid.FixedRows(); row < grid.RowCount(); ++row) {
        const std::string cell = grid.Cell(col, row);
        if (cell.empty()) continue;
        Need(grid, "cell " + std::to_string(col) + "," + std::to_string(row), cell,
             TextWidth(view, cell), room);
      }
    }
  }
};

}  // namespace

std::vector<std::string> UnfitTexts(const TForm& form) {
  Checker checker;
  for (const TControl* control : form.AllControls()) {
    control->Widget()->ensurePolished();
    if (const auto* label = dynamic_cast<const TLabel*>(control)) {
      checker.Label(*label);
    } else if (const auto* button = dynamic_cast<const TButton*>(control)) {
      checker.Button(*button);
    } else if (const auto* check = dynamic_cast<const TCheckBox*>(control)) {
      checker.Check(*check, check->Caption(), QStyle::PM_IndicatorWidth);
    } else if (const auto* radio = dynamic_cast<const TRadioButton*>(control)) {
      checker.Check(*radio, radio->Caption(), QStyle::PM_ExclusiveIndicatorWidth);
    } else if (const auto* box = dynamic_cast<const TGroupBox*>(control)) {
      checker.GroupBox(*box);
    } else if (const auto* notebook = dynamic_cast<const TTabbedNotebook*>(control)) {
      checker.Notebook(*notebook);
    } else if (const auto* grid = dynamic_cast<const TStringGrid*>(control)) {
      checker.Grid(*grid);
    }
  }
  return checker.unfit;
}

std::vector<std::string> ControlsInAnotherFace(const TForm& form) {
  const QFont face = QApplication::font();
  std::vector<std::string> others;
  for (const TControl* control : form.AllControls()) {
    const QFont font = control->Widget()->font();
    if (font.family() == face.family() && font.pixelSize() == face.pixelSize()) continue;
    if (font.fixedPitch()) continue;  // the boxes set to the fixed-pitch face
    others.push_back(control->Name() + ": " + detail::FromQString(font.family()) + " " +
                     std::to_string(font.pixelSize()) + " px");
  }
  return others;
}

std::string FaceInUse() {
  return detail::FromQString(QFontInfo(QApplication::font()).family());
}

}  // namespace ui
