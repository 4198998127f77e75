// The string grid: cells kept apart from the row count, shown through a
// table view. A fixed first row is the view's column header and a fixed
// first column its row header, so both stay in place while the body scrolls.
#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableView>

#include <algorithm>
#include <unordered_map>

#include "ui/controls.h"
#include "ui/detail/qt_convert.h"
#include "ui/detail/user_targets.h"
#include "ui/detail/widgets.h"

namespace ui {
namespace {

using detail::As;

constexpr int kMaxCells = 65536;

class GridModel : public QAbstractTableModel {
 public:
  explicit GridModel(QObject* parent) : QAbstractTableModel(parent) {}
  int cols = 5;
  int rows = 5;
  int fixedRows = 1;
  int fixedCols = 1;

  const std::string* Find(int col, int row) const {
    auto it = cells_.find(Key(col, row));
    return it != cells_.end() ? &it->second : nullptr;
  }

  void Store(int col, int row, std::string_view text) {
    if (text.empty()) {
      cells_.erase(Key(col, row));
    } else {
      cells_[Key(col, row)] = std::string(text);
    }
    Changed(col, row);
  }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : std::max(0, rows - fixedRows);
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : std::max(0, cols - fixedCols);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return CellText(index.column() + fixedCols, index.row() + fixedRows);
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    return orientation == Qt::Horizontal ? CellText(section + fixedCols, 0)
                                         : CellText(0, section + fixedRows);
  }

  // Fixed counts or columns changed: the view reads the model again (cells stay).
  template <class Change>
  void Reshape(Change change) {
    beginResetModel();
    change();
    endResetModel();
  }

  // Rows come and go at the end, keeping the view's scroll position.
  void SetRows(int n) {
    if (n > rows) {
      beginInsertRows({}, rows - fixedRows, n - fixedRows - 1);
      rows = n;
      endInsertRows();
    } else if (n < rows) {
      beginRemoveRows({}, n - fixedRows, rows - fixedRows - 1);
      rows = n;
      endRemoveRows();
    }
  }

 private:
  static uint32_t Key(int col, int row) {
    return (static_cast<uint32_t>(col) << 16) | static_cast<uint32_t>(row);
  }

  QVariant CellText(int col, int row) const {
    const std::string* text = Find(col, row);
    return text != nullptr ? QVariant(detail::ToQString(*text)) : QVariant();
  }

  void Changed(int col, int row) {
    if (col >= cols || row >= rows) return;
    const bool fixedRow = row < fixedRows;
    const bool fixedCol = col < fixedCols;
    if (fixedRow && !fixedCol)
      emit headerDataChanged(Qt::Horizontal, col - fixedCols, col - fixedCols);
    if (fixedCol && !fixedRow)
      emit headerDataChanged(Qt::Vertical, row - fixedRows, row - fixedRows);
    if (!fixedRow && !fixedCol) {
      const QModelIndex at = index(row - fixedRows, col - fixedCols);
      emit dataChanged(at, at, {Qt::DisplayRole});
    }
  }

  std::unordered_map<uint32_t, std::string> cells_;
};

class GridView : public QTableView {
 public:
  explicit GridView(QWidget* parent) : QTableView(parent) {
    setModel(table);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
      header->setSectionResizeMode(QHeaderView::Fixed);
      header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      header->setHighlightSections(false);
      header->setMinimumSectionSize(1);
      header->setSectionsClickable(false);  // a fixed cell selects nothing
      header->viewport()->installEventFilter(this);
    }
    setCornerButtonEnabled(false);
    if (auto* corner = findChild<QAbstractButton*>()) corner->installEventFilter(this);
    SetDefaultRowHeight(24);
    ApplyHeaders();
    // The highlight follows the user's clicks and keys; rows the program
    // adds or removes move it without a report.
    QObject::connect(selectionModel(), &QItemSelectionModel::currentRowChanged,
                     [this](const QModelIndex& current, const QModelIndex& previous) {
                       if (userInput_ > 0 && current.row() != previous.row() && onSelectCell)
                         onSelectCell();
                     });
  }

  GridModel* table = new GridModel(this);  // a child, so it outlives the view's teardown
  std::vector<int> colWidths = std::vector<int>(5, 64);
  int defaultRowHeight = 24;
  std::function<void(TMouseButton, int, int)> onMouseUp;
  std::function<void()> onDblClick;
  std::function<void()> onSelectCell;

  // The grid row of the current cell, -1 when none.
  int CurrentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + table->fixedRows : -1;
  }

  void SetDefaultRowHeight(int height) {
    defaultRowHeight = std::max(1, height);
    verticalHeader()->setDefaultSectionSize(defaultRowHeight);
    horizontalHeader()->setFixedHeight(defaultRowHeight);
  }

  // Header visibility and column widths after a change of the counts.
  void ApplyHeaders() {
    horizontalHeader()->setVisible(table->fixedRows > 0);
    verticalHeader()->setVisible(table->fixedCols > 0);
    if (table->fixedCols > 0) verticalHeader()->setFixedWidth(colWidths[0]);
    for (int col = table->fixedCols; col < table->cols; ++col) {
      setColumnWidth(col - table->fixedCols, colWidths[static_cast<size_t>(col)]);
    }
  }

  void Layout() {
    updateGeometries();
    executeDelayedItemsLayout();
  }

  // The grid cell at a point of the control, or false.
  bool CellAt(QPoint point, int* col, int* row) {
    Layout();
    const QHeaderView* top = horizontalHeader();
    const QHeaderView* side = verticalHeader();
    const QRect viewportRect = viewport()->geometry();
    int c = -1, r = -1;
    if (top->isVisible() && top->geometry().contains(point)) {
      r = 0;
      c = top->logicalIndexAt(point.x() - top->x());
      c = c < 0 ? -1 : c + table->fixedCols;
    } else if (side->isVisible() && side->geometry().contains(point)) {
      c = 0;
      r = side->logicalIndexAt(point.y() - side->y());
      r = r < 0 ? -1 : r + table->fixedRows;
    } else if (viewportRect.contains(point)) {
      const QPoint inside = point - viewportRect.topLeft();
      c = columnAt(inside.x());
      r = rowAt(inside.y());
      if (c >= 0 && r >= 0) {
        c += table->fixedCols;
        r += table->fixedRows;
      }
    } else if (top->isVisible() && side->isVisible() && point.x() < side->geometry().right() &&
               point.y() < top->geometry().bottom()) {
      c = r = 0;  // the corner cell
    }
    if (c < 0 || r < 0) c = r = -1;
    *col = c;
    *row = r;
    return c >= 0;
  }

  QPoint CellCenter(int col, int row) {
    Layout();
    const QHeaderView* top = horizontalHeader();
    const QHeaderView* side = verticalHeader();
    const int bodyCol = col - table->fixedCols;
    const int bodyRow = row - table->fixedRows;
    if (row < table->fixedRows && bodyCol >= 0) {
      return {top->x() + top->sectionViewportPosition(bodyCol) + top->sectionSize(bodyCol) / 2,
              top->y() + top->height() / 2};
    }
    if (col < table->fixedCols && bodyRow >= 0) {
      return {side->x() + side->width() / 2,
              side->y() + side->sectionViewportPosition(bodyRow) + side->sectionSize(bodyRow) / 2};
    }
    if (bodyCol < 0 || bodyRow < 0) return {side->width() / 2, top->height() / 2};
    return visualRect(table->index(bodyRow, bodyCol)).center() + viewport()->geometry().topLeft();
  }

  void ScrollToCell(int col, int row) {
    if (col >= table->fixedCols && row >= table->fixedRows && col < table->cols &&
        row < table->rows) {
      scrollTo(table->index(row - table->fixedRows, col - table->fixedCols));
    }
  }

 protected:
  // Home and End go to the first and last row, as in a list.
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
    if (action == MoveHome || action == MoveEnd) modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(action, modifiers);
  }
  void mousePressEvent(QMouseEvent* event) override {
    ++userInput_;
    QTableView::mousePressEvent(event);
    --userInput_;
  }
  void keyPressEvent(QKeyEvent* event) override {
    ++userInput_;
    QTableView::keyPressEvent(event);
    --userInput_;
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    QTableView::mouseReleaseEvent(event);
    MouseUp(event, viewport());
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    QTableView::mouseDoubleClickEvent(event);
    if (onDblClick) onDblClick();
  }
  // The fixed cells: the headers and the corner between them.
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool fixedCells = widget != nullptr && (widget == horizontalHeader()->viewport() ||
                                                  widget == verticalHeader()->viewport() ||
                                                  qobject_cast<QAbstractButton*>(widget));
    if (fixedCells) {
      if (event->type() == QEvent::MouseButtonRelease) {
        MouseUp(static_cast<QMouseEvent*>(event), widget);
      } else if (event->type() == QEvent::MouseButtonDblClick && onDblClick) {
        onDblClick();
      }
    }
    return QTableView::eventFilter(watched, event);
  }

 private:
  int userInput_ = 0;

  void MouseUp(const QMouseEvent* event, const QWidget* source) {
    if (!onMouseUp) return;
    const QPoint at = source->mapTo(this, event->position().toPoint());
    TMouseButton button = TMouseButton::Left;
    if (event->button() == Qt::RightButton) button = TMouseButton::Right;
    if (event->button() == Qt::MiddleButton) button = TMouseButton::Middle;
    onMouseUp(button, at.x(), at.y());
  }
};

bool InCellRange(int col, int row) {
  return col >= 0 && row >= 0 && col < kMaxCells && row < kMaxCells;
}

}  // namespace

TStringGrid::TStringGrid(std::string name, TForm* form, TWinControl* parent)
    : TControl(std::move(name), form, parent, new GridView(detail::ContainerWidget(form, parent))) {
  auto* view = As<GridView>(this);
  view->onMouseUp = [this](TMouseButton button, int x, int y) {
    if (OnMouseUp) OnMouseUp(button, x, y);
  };
  view->onDblClick = [this] {
    if (OnDblClick) OnDblClick();
  };
  view->onSelectCell = [this] {
    if (OnSelectCell) OnSelectCell();
  };
}

int TStringGrid::ColCount() const {
  return As<GridView>(this)->table->cols;
}

void TStringGrid::SetColCount(int n) {
  auto* view = As<GridView>(this);
  GridModel* table = view->table;
  n = std::clamp(n, table->fixedCols + 1, kMaxCells);
  table->Reshape([&] { table->cols = n; });
  view->colWidths.resize(static_cast<size_t>(n), 64);
  view->ApplyHeaders();
}

int TStringGrid::RowCount() const {
  return As<GridView>(this)->table->rows;
}

void TStringGrid::SetRowCount(int n) {
  auto* view = As<GridView>(this);
  GridModel* table = view->table;
  n = std::clamp(n, table->fixedRows + 1, kMaxCells);
  table->SetRows(n);
}

int TStringGrid::FixedRows() const {
  return As<GridView>(this)->table->fixedRows;
}

// The view shows at most one fixed row and one fixed column (its headers).
void TStringGrid::SetFixedRows(int n) {
  auto* view = As<GridView>(this);
  GridModel* table = view->table;
  table->Reshape([&] {
    table->fixedRows = std::clamp(n, 0, 1);
    table->rows = std::max(table->rows, table->fixedRows + 1);
  });
  view->ApplyHeaders();
}

int TStringGrid::FixedCols() const {
  return As<GridView>(this)->table->fixedCols;
}

void TStringGrid::SetFixedCols(int n) {
  auto* view = As<GridView>(this);
  GridModel* table = view->table;
  table->Reshape([&] {
    table->fixedCols = std::clamp(n, 0, 1);
    table->cols = std::max(table->cols, table->fixedCols + 1);
  });
  view->colWidths.resize(static_cast<size_t>(table->cols), 64);
  view->ApplyHeaders();
}

int TStringGrid::ColWidth(int col) const {
  const auto& widths = As<GridView>(this)->colWidths;
  if (col < 0 || static_cast<size_t>(col) >= widths.size()) return 0;
  return widths[static_cast<size_t>(col)];
}

void TStringGrid::SetColWidth(int col, int width) {
  auto* view = As<GridView>(this);
  if (col < 0 || col >= view->table->cols) return;
  view->colWidths[static_cast<size_t>(col)] = std::max(0, width);
  view->ApplyHeaders();
}

int TStringGrid::DefaultRowHeight() const {
  return As<GridView>(this)->defaultRowHeight;
}
void TStringGrid::SetDefaultRowHeight(int h) {
  As<GridView>(this)->SetDefaultRowHeight(h);
}

std::string TStringGrid::Cell(int col, int row) const {
  if (!InCellRange(col, row)) return {};
  const std::string* text = As<GridView>(this)->table->Find(col, row);
  return text != nullptr ? *text : std::string();
}

void TStringGrid::SetCell(int col, int row, std::string_view text) {
  if (InCellRange(col, row)) As<GridView>(this)->table->Store(col, row, text);
}

bool TStringGrid::MouseToCell(int x, int y, int* col, int* row) const {
  return As<GridView>(this)->CellAt(QPoint(x, y), col, row);
}

void TStringGrid::CellCenter(int col, int row, int* x, int* y) const {
  const QPoint center = As<GridView>(this)->CellCenter(col, row);
  *x = center.x();
  *y = center.y();
}

int TStringGrid::TopRow() const {
  auto* view = As<GridView>(this);
  view->Layout();
  return std::max(0, view->rowAt(0)) + view->table->fixedRows;
}

int TStringGrid::Row() const {
  return As<GridView>(this)->CurrentRow();
}

void detail::ScrollGridToCell(TStringGrid& grid, int col, int row) {
  As<GridView>(&grid)->ScrollToCell(col, row);
}

void detail::LayOutGrid(TStringGrid& grid) {
  As<GridView>(&grid)->Layout();
}

}  // namespace ui
