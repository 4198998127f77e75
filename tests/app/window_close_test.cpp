// A close from the window system (the close box, Alt+F4, the window
// manager's close message) can reach any window, whatever its border asked
// for. Each window answers it the way its own controls lead out, and no
// close leaves the program without a window on the screen.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app_fixture.h"
#include "core/settings.h"
#include "tools/exit_wipe_window.h"
#include "tools/screen_lock_window.h"
#include "tools/update_window.h"
#include "ui/application.h"
#include "ui/clock.h"

namespace {

using vek::Form1;
using vek::Form17;
using vek::Form19;
using vek::Form2;
using vek::Form22;
using vek::Form4;

// The windows of each test are the only ones: the exit wipe some closes
// start must not run on into other tests.
class AppWindowCloseTest : public apptest::AppTest {
 protected:
  void SetUp() override {
    vektest::RestartUiApplication();
    AppTest::SetUp();
    StartProgram();
  }
  void TearDown() override {
    AppTest::TearDown();
    vektest::RestartUiApplication();
  }

  static std::vector<std::string> ShownCaptions() {
    std::vector<std::string> shown;
    for (const ui::TForm* form : ui::Application->Forms()) {
      if (form->IsShown()) shown.push_back(form->ClassName() + " \"" + form->Caption() + "\"");
    }
    return shown;
  }

  // "I &ACCEPT" on the start window, which shows the update check.
  static void Accept() {
    Form1->Button1->Click();
    ASSERT_TRUE(Form22->IsShown());
  }
};

TEST_F(AppWindowCloseTest, TheStartWindowsCloseQuitsThroughTheExitWipe) {
  Form1->RequestClose();
  EXPECT_FALSE(Form1->IsShown());
  EXPECT_TRUE(Form19->IsShown());
  EXPECT_FALSE(ui::Application->Terminated());
}

// At any moment of the check the close leads on as the window's own close
// does: to the options on the first start, to the main window later; and the
// check stops with it, so nothing shows a second time.
TEST_F(AppWindowCloseTest, TheUpdateWindowsCloseLeadsOnAndEndsTheCheck) {
  for (const int startCount : {1, 2}) {
    for (const int closeAfterMs : {0, 500, 2000}) {
      SCOPED_TRACE("start " + std::to_string(startCount) + ", " + std::to_string(closeAfterMs) +
                   " ms");
      Form1->Show();
      vek::StartCount = startCount;
      ASSERT_NO_FATAL_FAILURE(Accept());
      ui::clock::Advance(closeAfterMs);
      Form22->RequestClose();
      EXPECT_FALSE(Form22->IsShown());
      ui::TForm* next = startCount == 1 ? static_cast<ui::TForm*>(Form4) : Form2;
      EXPECT_TRUE(next->IsShown());
      next->Hide();
      ui::clock::Advance(20000);
      EXPECT_FALSE(next->IsShown());
      EXPECT_FALSE(Form22->IsShown());
    }
  }
}

TEST_F(AppWindowCloseTest, TheOptionsCloseCancelsTheChanges) {
  vek::StartCount = 1;
  ASSERT_NO_FATAL_FAILURE(Accept());
  Form22->RequestClose();
  ASSERT_TRUE(Form4->IsShown());
  Form4->Edit1->SetText("Changed");
  Form4->RequestClose();
  EXPECT_FALSE(Form4->IsShown());
  EXPECT_TRUE(Form2->IsShown());
  EXPECT_EQ(vek::OwnerFirstName.Text(), "");
}

TEST_F(AppWindowCloseTest, TheScreenLockRefusesTheClose) {
  Form1->Hide();
  Form2->Show();
  Form2->Button5->SetEnabled(true);
  Form2->Button5->Click();
  ASSERT_TRUE(Form17->IsShown());
  ASSERT_FALSE(Form2->IsShown());
  Form17->RequestClose();
  EXPECT_TRUE(Form17->IsShown());
  EXPECT_FALSE(Form2->IsShown());
}

// Every window shown as the program shows it, over the main window: a close
// never leaves the screen empty. A window whose border offers no close box,
// and which names no way out of its own for the close, stays as it is.
TEST_F(AppWindowCloseTest, NoCloseLeavesTheProgramWithoutAWindow) {
  vek::ExitRequested = false;
  for (ui::TForm* form : ui::Application->Forms()) {
    // The windows of a run answer the close as the run's controls do; the
    // run itself keeps its window (processing_window tests).
    const std::string name = form->ClassName();
    if (name == "TForm8" || name == "TForm15" || name == "TForm20") continue;
    SCOPED_TRACE(name);
    for (ui::TForm* other : ui::Application->Forms()) other->Hide();
    Form2->Show();
    form->Show();
    form->RequestClose();
    EXPECT_FALSE(ShownCaptions().empty()) << "no window after the close";
    if (!form->HasCloseBox() && !form->OnCloseRequest) {
      EXPECT_TRUE(form->IsShown());
    }
  }
  EXPECT_FALSE(ui::Application->Terminated());
}

}  // namespace
