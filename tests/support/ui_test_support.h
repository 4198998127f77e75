#pragma once
// For tests that link vek_test_ui_main: the ui application runs on the
// virtual clock, message boxes answer from a script, and a message box
// nobody scripted fails the test at once.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "test_support.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui_doubles.h"

namespace vektest {

// Ends the ui application (every form it created goes with it) and starts
// a fresh one in the same test state: for tests that need their own main
// form when the whole executable runs in one process.
void RestartUiApplication();

// Makes every message box nobody scripted fail the test (the state each
// test starts in; for tests that put a handler of their own in between).
void FailOnUnexpectedDialogs();

// Writes a picture of the form to <test output>/<name>.png; fails the test
// when it can't.
inline void Screenshot(ui::TForm* form, const std::string& name) {
  ASSERT_NE(form, nullptr);
  const auto path = OutputDir() / (name + ".png");
  EXPECT_TRUE(form->SaveScreenshot(path.string())) << path;
}

// The caption of a control that has one (label, button, check box, radio
// button, group box); nothing for one that has none.
inline std::optional<std::string> CaptionOf(const ui::TControl* c) {
  if (const auto* x = dynamic_cast<const ui::TLabel*>(c)) return x->Caption();
  if (const auto* x = dynamic_cast<const ui::TButton*>(c)) return x->Caption();
  if (const auto* x = dynamic_cast<const ui::TCheckBox*>(c)) return x->Caption();
  if (const auto* x = dynamic_cast<const ui::TRadioButton*>(c)) return x->Caption();
  if (const auto* x = dynamic_cast<const ui::TGroupBox*>(c)) return x->Caption();
  return std::nullopt;
}

// The text the form's control `name` shows: a caption, or an edit box's text.
inline std::string TextOf(const ui::TForm* form, const std::string& name) {
  const ui::TControl* c = form->FindControl(name);
  if (const auto* edit = dynamic_cast<const ui::TEdit*>(c)) return edit->Text();
  if (std::optional<std::string> caption = CaptionOf(c)) return *caption;
  ADD_FAILURE() << "no control with a text named " << name;
  return {};
}

}  // namespace vektest
