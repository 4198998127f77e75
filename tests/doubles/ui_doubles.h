#pragma once
// Stand-ins that tests put in the ui layer's place through its seams
// (ui/dialogs.h, ui/picture.h). The programs carry none of this.

#include <functional>
#include <string>
#include <vector>

#include "ui/dialogs.h"

namespace ui {

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

// On: pictures are quantised whatever the display.
void ForceQuantizeForTest(bool on);

}  // namespace ui
