#pragma once
// Modal message boxes.

#include <optional>
#include <string>
#include <string_view>

namespace ui {

enum class TMsgDlgType { Warning, Error, Information, Confirmation, Custom };

using TMsgDlgButtons = unsigned;
inline constexpr TMsgDlgButtons mbYes = 0x01;
inline constexpr TMsgDlgButtons mbNo = 0x02;
inline constexpr TMsgDlgButtons mbOK = 0x04;
inline constexpr TMsgDlgButtons mbCancel = 0x08;
inline constexpr TMsgDlgButtons mbAbort = 0x10;
inline constexpr TMsgDlgButtons mbRetry = 0x20;
inline constexpr TMsgDlgButtons mbIgnore = 0x40;

// Modal results.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrAbort = 3;
inline constexpr int mrRetry = 4;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;

// Shows the message box and returns the button pressed.
int MessageDlg(std::string_view text, TMsgDlgType type, TMsgDlgButtons buttons);

namespace seam {
// A seam for code outside the program (the tests' scripted answers): when
// set, it is asked first with the text of every message box. An answer it
// gives stands for the button pressed and nothing is shown; nothing shows
// the box.
inline std::optional<int> (*MessageDlgAnswer)(const std::string& text) = nullptr;
}  // namespace seam

}  // namespace ui
