#pragma once
// For tests that link vek_test_ui_main: the ui application runs on the
// virtual clock, message boxes answer from a script, and a message box
// nobody scripted fails the test at once.

#include <gtest/gtest.h>

#include <string>

#include "ui/controls.h"
#include "ui/form.h"

namespace vektest {

// Ends the ui application (every form it created goes with it) and starts
// a fresh one in the same test state: for tests that need their own main
// form when the whole executable runs in one process.
void RestartUiApplication();

// Makes every message box nobody scripted fail the test (the state each
// test starts in; for tests that put a handler of their own in between).
void FailOnUnexpectedDialogs();

// The text the form's control `name` shows: a caption, or an edit box's text.
inline std::string TextOf(const ui::TForm* form, const std::string& name) {
  if (auto* c = form->Find<ui::TLabel>(name)) return c->Caption();
  if (auto* c = form->Find<ui::TButton>(name)) return c->Caption();
  if (auto* c = form->Find<ui::TCheckBox>(name)) return c->Caption();
  if (auto* c = form->Find<ui::TGroupBox>(name)) return c->Caption();
  if (auto* c = form->Find<ui::TEdit>(name)) return c->Text();
  ADD_FAILURE() << "no control " << name;
  return {};
}

}  // namespace vektest
