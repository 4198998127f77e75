#pragma once
// Settings that only form descriptions make (fonts beyond bold, label
// layout, scroll bars, bevels, ...). The program itself never changes them,
// so they stay out of the public control classes.

#include <memory>
#include <string_view>

#include "ui/controls.h"

namespace ui::detail {

enum class ScrollBars { None, Horizontal, Vertical, Both };
enum class TextAlignment { Left, Right, Center };
enum class Bevel { None, Raised, Lowered };

void SetFontItalic(TControl& control, bool on);
void SetFontUnderline(TControl& control, bool on);
void SetFontSize(TControl& control, int pixels);
void SetFontName(TControl& control, std::string_view family);

void SetLabelWordWrap(TLabel& label, bool on);
void SetLabelAlignment(TLabel& label, TextAlignment alignment);

void SetMemoScrollBars(TMemo& memo, ScrollBars bars);
void SetMemoWordWrap(TMemo& memo, bool on);
void SetGridScrollBars(TStringGrid& grid, ScrollBars bars);
// Text in the fixed-pitch family (edit boxes, memos, list boxes).
void SetFixedPitch(TControl& control, bool on);

void SetPanelBevel(TPanel& panel, Bevel bevel);
void SetTrackBarFrequency(TTrackBar& bar, int frequency);
void SetImageCenter(TImage& image, bool on);
void SetImageAutoSize(TImage& image, bool on);
void SetDriveTextUpperCase(TDriveComboBox& drives, bool upper);

// A new page of the notebook; the caller owns it, like every control.
std::unique_ptr<TWinControl> AddNotebookPage(TTabbedNotebook& notebook, std::string_view caption);

}  // namespace ui::detail
