#pragma once
// The list behind list boxes and the browser's lists.

#include <QListWidget>
#include <QMouseEvent>

#include <functional>

namespace ui::detail {

// A single-selection list whose selection the program can change without it
// counting as the user's click. Every click on an item is a click, even on
// the item already chosen; so is each move of the choice by the keyboard.
// A click beside the items changes nothing.
class ListWidget : public QListWidget {
 public:
  explicit ListWidget(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    QObject::connect(this, &QListWidget::currentRowChanged, [this] {
      if (!programmatic && !buttonDown_ && onClick) onClick();
    });
  }
  bool programmatic = false;  // a change of the program is under way
  std::function<void()> onClick;

  template <class Change>
  void Program(Change change) {
    const bool outer = programmatic;
    programmatic = true;
    change();
    programmatic = outer;
  }

  // Selects the row; any other number clears the selection.
  void SelectRow(int row) {
    Program([&] {
      if (row >= 0 && row < count()) {
        setCurrentRow(row);
      } else {
        setCurrentRow(-1);
        clearSelection();
      }
    });
  }

  // The middle of the row in the viewport's coordinates, scrolled into view.
  QPoint RowPoint(int row) {
    executeDelayedItemsLayout();
    QListWidgetItem* entry = item(row);
    scrollToItem(entry);
    return visualItemRect(entry).center();
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (itemAt(event->position().toPoint()) == nullptr) {
      event->accept();
      return;
    }
    buttonDown_ = event->button() == Qt::LeftButton;
    QListWidget::mousePressEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    QListWidget::mouseReleaseEvent(event);
    const bool clicked = buttonDown_ && !afterDoubleClick_ && event->button() == Qt::LeftButton;
    buttonDown_ = false;
    afterDoubleClick_ = false;
    if (clicked && onClick) onClick();
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    afterDoubleClick_ = true;
    QListWidget::mouseDoubleClickEvent(event);
  }

 private:
  bool buttonDown_ = false;        // pressed on an item, not released yet
  bool afterDoubleClick_ = false;  // the release ends a double click
};

}  // namespace ui::detail
