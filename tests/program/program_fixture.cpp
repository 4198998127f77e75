#include "program_fixture.h"

#include <unistd.h>

#include "app/program.h"
#include "core/state.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "ui/form.h"
#include "ui_test_support.h"

namespace vektest {

platform::CalendarTime ProgramTest::TestMoment() {
  platform::CalendarTime t;
  t.Year = 2003;
  t.Month = 12;
  t.Day = 9;
  t.DayOfWeek = 2;  // Tuesday
  t.Hour = 15;
  t.Minute = 7;
  t.Second = 5;
  t.Millisecond = 250;
  return t;
}

void ProgramTest::SetUp() {
  // A fresh application: a test before may have ended the program, and the
  // windows of an earlier test (and their timers) go with its application.
  RestartUiApplication();
  platform::SetDriveMap({{'C', dir.path().string()}});
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  platform::SetLocalNowForTest(TestMoment());
  platform::ClearFakeDrives();
  platform::faults::Reset();
  vek::ResetProgramState();
  vek::CreateProgramWindows();
}

void ProgramTest::TearDown() {
  vek::DestroyProgramWindows();
  platform::faults::Reset();
  platform::SetLocalNowForTest(std::nullopt);
}

std::string ProgramTest::WinPath(std::string_view relative) {
  return "C:\\" + std::string(relative);
}

std::filesystem::path ProgramTest::HostPath(std::string_view relative) const {
  return HostPathBelow(dir.path(), relative);
}

void ProgramTest::Screenshot(ui::TForm* form, const std::string& name) {
  vektest::Screenshot(form, name);
}

}  // namespace vektest
