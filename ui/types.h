#pragma once
// Basic types of the window library.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ui {

// Colours as 0xRRGGBB.
using TColor = uint32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNavy = 0x000080;
inline constexpr TColor clBlue = 0x0000FF;
inline constexpr TColor clRed = 0xFF0000;
inline constexpr TColor clMaroon = 0x800000;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clYellow = 0xFFFF00;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clBtnFace = 0xD4D0C8;
inline constexpr TColor clWindowText = 0x000000;
// "Use the style's own colour" (the default of every control).
inline constexpr TColor clDefault = 0xFF000000;

enum class TBorderStyle { None, Single, Dialog, Sizeable };

// Border icons, combinable.
using TBorderIcons = unsigned;
inline constexpr TBorderIcons biSystemMenu = 1;
inline constexpr TBorderIcons biMinimize = 2;
inline constexpr TBorderIcons biMaximize = 4;

enum class TFormStyle { Normal, StayOnTop };

// What a close handler decides: None refuses the close.
enum class TCloseAction { None, Hide, Free, Minimize };

enum class TMouseButton { Left, Right, Middle };

// Window system commands understood by TForm::SendSysCommand.
inline constexpr uint32_t SC_MINIMIZE = 0xF020;
inline constexpr uint32_t SC_RESTORE = 0xF120;

// Key codes passed to key handlers (the values of the virtual key codes).
inline constexpr uint16_t VK_BACK = 0x08;
inline constexpr uint16_t VK_TAB = 0x09;
inline constexpr uint16_t VK_RETURN = 0x0D;
inline constexpr uint16_t VK_ESCAPE = 0x1B;
inline constexpr uint16_t VK_SPACE = 0x20;
inline constexpr uint16_t VK_PRIOR = 0x21;  // Page Up
inline constexpr uint16_t VK_NEXT = 0x22;   // Page Down
inline constexpr uint16_t VK_END = 0x23;
inline constexpr uint16_t VK_HOME = 0x24;
inline constexpr uint16_t VK_LEFT = 0x25;
inline constexpr uint16_t VK_UP = 0x26;
inline constexpr uint16_t VK_RIGHT = 0x27;
inline constexpr uint16_t VK_DOWN = 0x28;

// Modifier keys held with a key, combinable.
using TShiftState = unsigned;
inline constexpr TShiftState ssNone = 0;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;

// A form description that does not match its form class, or cannot be read.
class FormError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace ui
