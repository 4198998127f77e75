#pragma once
// For tests that link vek_test_ui_main: the ui application runs on the
// virtual clock, message boxes answer from a script, and a message box
// nobody scripted fails the test at once.

namespace vektest {

// Ends the ui application (every form it created goes with it) and starts
// a fresh one in the same test state: for tests that need their own main
// form when the whole executable runs in one process.
void RestartUiApplication();

// Makes every message box nobody scripted fail the test (the state each
// test starts in; for tests that put a handler of their own in between).
void FailOnUnexpectedDialogs();

}  // namespace vektest
