#pragma once
// Modal message boxes. In tests, answers come from a script; a message box
// that the test did not announce fails the test at once (through the
// handler the test support installs) instead of waiting for a user.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

namespace dialogs_for_test {
// Script mode: every MessageDlg takes the next scripted answer. A non-empty
// `textContains` must occur in the dialog's text.
void Expect(int answer, std::string textContains = {});
// Called for a message box nobody scripted; returns the answer to give.
void SetUnexpectedHandler(std::function<int(const std::string& text)> handler);
// Scripted answers not used yet.
int Pending();
// Texts of every message box shown so far, in order.
const std::vector<std::string>& Shown();
void Reset();
// On: message boxes never reach the screen (set by the test support).
void SetScripted(bool on);
}  // namespace dialogs_for_test

}  // namespace ui
