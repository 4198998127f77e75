#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/options_dialog.h"
#include "core/state.h"
#include "engine/delete_confirmation.h"
#include "platform/system.h"
#include "program_fixture.h"
#include "tools/drive_info_window.h"
#include "tools/screen_lock_window.h"
#include "ui/application.h"
#include "ui/clock.h"
#include "ui/dialogs.h"
#include "ui_doubles.h"

namespace {

using vek::Form17;

constexpr int kTickMs = 100;

class ToolsScreenLockTest : public vektest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    vek::ScreenLockEnabled = true;
    vek::ScreenLockPassword.Assign("Secret1");
    vek::LockWindowSpeed = 1;
    platform::RandSeed = 12345;
    vek::StartLockWindow();
  }
  // What the main window's lock button does.
  static void Lock() {
    vek::Form2->Hide();
    Form17->Show();
  }
  static void TypePassword(const std::string& text) {
    Form17->Edit1->TypeText(text);
    Form17->Button1->Click();
  }
  // The next values Random(8) will give, leaving the generator as it was.
  static std::vector<int32_t> NextRandomSteps(int count) {
    const uint32_t seed = platform::RandSeed;
    std::vector<int32_t> steps;
    for (int i = 0; i < count; ++i) steps.push_back(static_cast<int32_t>(platform::Random(8)));
    platform::RandSeed = seed;
    return steps;
  }
  static void ExpectPrompting() {
    EXPECT_EQ(Form17->Label1->Caption(), "Enter screen lock password :");
    EXPECT_TRUE(Form17->Edit1->Enabled());
    EXPECT_TRUE(Form17->Button1->Enabled());
  }
};

TEST_F(ToolsScreenLockTest, StartPlacesTheLockTopLeftWithRandomSteps) {
  Form17->SetLeft(50);
  const std::vector<int32_t> steps = NextRandomSteps(2);
  vek::StartLockWindow();
  EXPECT_EQ(Form17->Left(), 0);
  EXPECT_EQ(Form17->Top(), 0);
  EXPECT_EQ(vek::LockStepX, steps[0]);
  EXPECT_EQ(vek::LockStepY, steps[1]);
}

TEST_F(ToolsScreenLockTest, OnlyTheExactPasswordUnlocks) {
  struct Case {
    std::string typed;
    bool unlocks;
  };
  const std::vector<Case> cases = {{"Secret1", true},   {"secret1", false},  {"Secret", false},
                                   {"Secret12", false}, {" Secret1", false}, {"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Lock();
    TypePassword(c.typed);
    EXPECT_EQ(Form17->IsShown(), !c.unlocks);
    EXPECT_EQ(vek::Form2->IsShown(), c.unlocks);
    if (!c.unlocks) {
      ui::clock::Advance(50 * kTickMs);  // the penalty runs out
      Form17->Hide();
    }
  }
}

TEST_F(ToolsScreenLockTest, AnEmptyPasswordNeverUnlocks) {
  vek::ScreenLockPassword.Assign("");
  Lock();
  TypePassword("");
  EXPECT_TRUE(Form17->IsShown());
  EXPECT_EQ(Form17->Label1->Caption(), "Incorrect password!");
}

TEST_F(ToolsScreenLockTest, AWrongPasswordDisablesTheControlsFor50Ticks) {
  Lock();
  ExpectPrompting();
  TypePassword("wrong");
  EXPECT_EQ(Form17->Label1->Caption(), "Incorrect password!");
  EXPECT_EQ(Form17->Edit1->Text(), "");
  EXPECT_FALSE(Form17->Edit1->Enabled());
  EXPECT_FALSE(Form17->Button1->Enabled());
  EXPECT_EQ(vek::LockPenaltyTicks, 50);
  Screenshot(Form17, "tools_screen_lock_penalty");

  ui::clock::Advance(49 * kTickMs);
  EXPECT_FALSE(Form17->Button1->Enabled());
  TypePassword("Secret1");  // ignored while disabled
  EXPECT_TRUE(Form17->IsShown());

  ui::clock::Advance(kTickMs);
  ExpectPrompting();
  TypePassword("Secret1");
  EXPECT_FALSE(Form17->IsShown());
}

// After the penalty the password box has the keys again, and a key held
// with Alt adds no unseen letter to the password.
TEST_F(ToolsScreenLockTest, ThePasswordBoxHasTheKeysAgainAfterThePenalty) {
  Lock();
  EXPECT_TRUE(Form17->Active());
  EXPECT_TRUE(Form17->Edit1->Focused());
  TypePassword("wrong");
  ui::clock::Advance(50 * kTickMs);
  ExpectPrompting();
  EXPECT_TRUE(Form17->Edit1->Focused());
  Form17->PressKey('S', ui::ssShift);
  for (char c : std::string("ECRET1")) Form17->PressKey(static_cast<uint16_t>(c));
  Form17->PressKey('X', ui::ssAlt);
  Form17->PressKey('U', ui::ssAlt);  // "&Unlock"
  EXPECT_FALSE(Form17->IsShown());
}

TEST_F(ToolsScreenLockTest, UnlockingShowsTheMainWindowAndStopsTheTimer) {
  Lock();
  EXPECT_TRUE(Form17->Timer1->Enabled());
  EXPECT_EQ(Form17->Edit1->Text(), "");
  Screenshot(Form17, "tools_screen_lock");
  TypePassword("Secret1");
  EXPECT_FALSE(Form17->Timer1->Enabled());
  EXPECT_TRUE(vek::Form2->IsShown());
}

TEST_F(ToolsScreenLockTest, EveryOtherWindowIsHiddenWhileLocked) {
  vek::Form2->Show();
  vek::Form4->Show();
  vek::Form14->Show();
  Lock();
  EXPECT_FALSE(vek::Form4->IsShown());
  EXPECT_FALSE(vek::Form14->IsShown());

  // Something shows the main window behind the lock: the next tick hides it.
  vek::Form2->Show();
  ui::clock::Advance(kTickMs);
  EXPECT_FALSE(vek::Form2->IsShown());
  std::vector<ui::TForm*> shown;
  for (ui::TForm* form : ui::Application->Forms()) {
    if (form->IsShown()) shown.push_back(form);
  }
  EXPECT_EQ(shown, std::vector<ui::TForm*>{Form17});

  TypePassword("Secret1");
  EXPECT_TRUE(vek::Form2->IsShown());
  EXPECT_TRUE(vek::Form4->IsShown());
  EXPECT_TRUE(vek::Form14->IsShown());
}

// The main window's show empties the job list when the lock ends. A delete
// question about the job list, hidden by the lock, must come back asking
// about the list it named, so that its answer finds the list changed and
// deletes nothing.
TEST_F(ToolsScreenLockTest, AQuestionHiddenByTheLockKeepsWhatItAsked) {
  vek::Form2->Show();
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    const uint16_t i = ++vek::JobList.JobCount;
    vek::JobList.Name[i] = name;
    vek::JobList.Folder[i] = "C:\\docs\\";
  }
  vek::Form2->BitBtn6->SetCaption("&Delete job list files");
  vek::Form9->ShowConfirmation();
  Lock();
  EXPECT_FALSE(vek::Form9->IsShown());
  TypePassword("Secret1");
  ASSERT_TRUE(vek::Form9->IsShown());
  EXPECT_EQ(vek::JobList.JobCount, 0);

  ui::dialogs_for_test::Expect(ui::mrOk, "job list has changed");
  vek::Form9->Button1->Click();
  EXPECT_EQ(ui::dialogs_for_test::Pending(), 0);
  EXPECT_EQ(vek::RunMode, 0);
}

TEST_F(ToolsScreenLockTest, TheLockTurnsAtTheEdgesWithFreshSteps) {
  vek::LockWindowSpeed = 5;
  Lock();
  const int maxLeft = vek::LockMaxLeft;
  const int maxTop = vek::LockMaxTop;
  ASSERT_GT(maxLeft, 40);
  ASSERT_GT(maxTop, 40);

  // Past the right and bottom edges: new steps towards the top left.
  Form17->SetLeft(maxLeft + 1);
  Form17->SetTop(maxTop + 3);
  std::vector<int32_t> steps = NextRandomSteps(2);
  ui::clock::Advance(kTickMs);
  EXPECT_EQ(vek::LockStepX, -steps[0]);
  EXPECT_EQ(vek::LockStepY, -steps[1]);
  EXPECT_EQ(Form17->Left(), maxLeft + 1 - 5 * steps[0]);
  EXPECT_EQ(Form17->Top(), maxTop + 3 - 5 * steps[1]);

  // In the middle the steps stay, at five times their pixels.
  Form17->SetLeft(100);
  Form17->SetTop(100);
  vek::LockStepX = 7;
  vek::LockStepY = -7;
  ui::clock::Advance(kTickMs);
  EXPECT_EQ(Form17->Left(), 135);
  EXPECT_EQ(Form17->Top(), 65);

  // At the top left edge (or past it): new steps away from it.
  Form17->SetLeft(0);
  Form17->SetTop(-4);
  steps = NextRandomSteps(2);
  ui::clock::Advance(kTickMs);
  EXPECT_EQ(vek::LockStepX, steps[0]);
  EXPECT_EQ(vek::LockStepY, steps[1]);
  EXPECT_EQ(Form17->Left(), 5 * steps[0]);
  EXPECT_EQ(Form17->Top(), -4 + 5 * steps[1]);
}

TEST_F(ToolsScreenLockTest, ALockLeftOffTheScreenStartsAgainTopLeft) {
  Lock();
  TypePassword("Secret1");
  for (const auto& [left, top] :
       std::vector<std::pair<int, int>>{{vek::LockMaxLeft + 10, 0}, {0, vek::LockMaxTop + 10}}) {
    Form17->SetLeft(left);
    Form17->SetTop(top);
    const std::vector<int32_t> steps = NextRandomSteps(2);
    Lock();
    EXPECT_EQ(Form17->Left(), 0);
    EXPECT_EQ(Form17->Top(), 0);
    EXPECT_EQ(vek::LockStepX, steps[0]);
    EXPECT_EQ(vek::LockStepY, steps[1]);
    TypePassword("Secret1");
  }
  // A lock on the screen, or one that overshot the top left edge, stays
  // where it is, with the steps it had.
  for (const auto& [left, top] :
       std::vector<std::pair<int, int>>{{20, 30}, {-30, 5}, {vek::LockMaxLeft, -35}}) {
    Form17->SetLeft(left);
    Form17->SetTop(top);
    vek::LockStepX = -3;
    vek::LockStepY = 4;
    Lock();
    EXPECT_EQ(Form17->Left(), left);
    EXPECT_EQ(Form17->Top(), top);
    EXPECT_EQ(vek::LockStepX, -3);
    EXPECT_EQ(vek::LockStepY, 4);
    TypePassword("Secret1");
  }
}

// Each edge on its own: at or past the top or left edge the step turns
// away; exactly at the right or bottom limit it does not turn yet.
TEST_F(ToolsScreenLockTest, EachEdgeTurnsItsOwnStep) {
  Lock();
  struct Case {
    int Left, Top;
    int StepX, StepY;  // after the tick; 99: a fresh step away from the edge
  };
  const Case cases[] = {
      {-2, 50, 99, -3},
      {50, 0, -3, 99},
      {vek::LockMaxLeft, 50, -3, -3},
      {50, vek::LockMaxTop, -3, -3},
  };
  for (const Case& c : cases) {
    Form17->SetLeft(c.Left);
    Form17->SetTop(c.Top);
    vek::LockStepX = -3;
    vek::LockStepY = -3;
    const std::vector<int32_t> steps = NextRandomSteps(1);
    ui::clock::Advance(kTickMs);
    EXPECT_EQ(vek::LockStepX, c.StepX == 99 ? steps[0] : c.StepX) << c.Left << "," << c.Top;
    EXPECT_EQ(vek::LockStepY, c.StepY == 99 ? steps[0] : c.StepY) << c.Left << "," << c.Top;
  }
}

}  // namespace
