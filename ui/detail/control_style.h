#pragma once
// Colours and fonts of a control's widget.

#include <QWidget>

#include "ui/types.h"

namespace ui::detail {

// Background in the widget's own background role, text in every text role
// (except the disabled ones, which keep the style's grey). clDefault takes
// the parent's colours.
void ApplyColors(QWidget* widget, TColor background, TColor text);

}  // namespace ui::detail
