#pragma once
// The list behind list boxes and the browser's lists.

#include <QListWidget>

namespace ui::detail {

// A single-selection list whose selection the program can change without it
// counting as the user's click.
class ListWidget : public QListWidget {
 public:
  explicit ListWidget(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
  }
  bool programmatic = false;  // a change of the program is under way

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
};

}  // namespace ui::detail
