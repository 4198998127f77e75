#pragma once
// What the code that plays a user's input needs to know of the controls
// beyond their public face: which Qt key a virtual key code stands for, and
// how a grid brings a cell into view before a click on it.

#include <QString>

#include <cstdint>

#include "ui/controls.h"
#include "ui/detail/virtual_keys.h"

namespace ui::detail {

// Scrolls the grid so that the body cell shows (fixed cells always do).
void ScrollGridToCell(TStringGrid& grid, int col, int row);
// Lays the grid out now, so that points of it find the cells drawn there.
void LayOutGrid(TStringGrid& grid);

}  // namespace ui::detail
