// Where the system tests click in the program's windows, and the window
// titles they wait for.
#pragma once

#include <string_view>

namespace vektest {

inline constexpr std::string_view MainWindowTitle =
    "VEK 2003 - 1024 Bit Key Strength File Protection";

// Centres of the controls the tests click, inside their window, from the
// form files (a control inside a group box adds the box's position).
struct TSpot {
  int X;
  int Y;
};
inline constexpr TSpot AcceptButton{40 + 72, 240 + 113 + 12};  // Form1: GroupBox1, Button1
inline constexpr TSpot QuitButton{212 + 72, 240 + 113 + 12};   // Form1: GroupBox1, Button2
inline constexpr TSpot JobListRow1{2 + 60,
                                   312 + 16 + 8};      // Form2: StringGrid1, below its title row
inline constexpr TSpot ExitButton{272 + 27, 2 + 24};   // Form2: BitBtn12
inline constexpr TSpot EncryptButton{2 + 27, 2 + 24};  // Form2: BitBtn1
inline constexpr TSpot ProceedButton{372 + 90, 366 + 14};     // Form7: Button1
inline constexpr TSpot RunOkButton{8 + 45, 262 + 14};         // Form8: Button1
inline constexpr TSpot CancelEditButton{130 + 60, 388 + 12};  // Form18: Button7
inline constexpr TSpot ScreenLockButton{556 + 36, 236 + 12};  // Form2: Button5
inline constexpr TSpot UnlockButton{60 + 37, 104 + 12};       // Form17: GroupBox1, Button1
inline constexpr TSpot DecryptButton{56 + 27, 2 + 24};        // Form2: BitBtn2
inline constexpr TSpot DeleteButton{438 + 59, 261 + 12};      // Form2: BitBtn6
inline constexpr TSpot DeleteYesButton{8 + 40, 176 + 14};     // Form9: Button1
inline constexpr TSpot ContinueButton{10 + 50, 130 + 14};     // Form20: Button1
inline constexpr TSpot ViewLogButton{406 + 53, 262 + 14};     // Form8: Button4
inline constexpr TSpot SaveLogButton{8 + 120, 362 + 15};      // Form21: Button2

}  // namespace vektest
