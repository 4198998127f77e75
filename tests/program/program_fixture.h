#pragma once
// A test fixture that runs the whole program's windows: a fresh temporary
// folder mapped as drive C: and made the current folder, a fixed clock
// moment, program-wide state at its start, and every window created (but
// none shown: a test shows the start window or whichever it needs). The
// windows end with the test.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "test_support.h"
#include "ui_doubles.h"

namespace ui {
class TForm;
}

namespace vektest {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // "C:\" + relative (with "\" separators) for a path under the temporary folder.
  static std::string WinPath(std::string_view relative = {});
  // Host path of the same.
  std::filesystem::path HostPath(std::string_view relative = {}) const;
  // Writes a picture of the form to <test output>/<name>.png; fails the test when it can't.
  static void Screenshot(ui::TForm* form, const std::string& name);
  // The moment the platform clock answers (Tuesday 9 December 2003, 15:07:05.250).
  static platform::CalendarTime TestMoment();

  TempDir dir;
};

}  // namespace vektest
