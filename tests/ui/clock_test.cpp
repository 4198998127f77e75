// Timers on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "sample_form.h"
#include "ui/clock.h"

namespace {

// Timers made by hand, each logging "<name>@<time>" when it fires.
class UiClockTest : public ::testing::Test {
 protected:
  ui::TTimer* AddTimer(const std::string& name, int interval) {
    timers_.push_back(std::make_unique<ui::TTimer>(name));
    ui::TTimer* timer = timers_.back().get();
    timer->SetInterval(interval);
    timer->OnTimer = [this, name] { log.push_back(name + "@" + std::to_string(Elapsed())); };
    return timer;
  }
  int64_t Elapsed() const { return ui::clock::NowMs() - start_; }

  std::vector<std::string> log;

 private:
  int64_t start_ = ui::clock::NowMs();
  std::vector<std::unique_ptr<ui::TTimer>> timers_;
};

TEST_F(UiClockTest, TimersFireInOrderOfDueTimeThenOfCreation) {
  ASSERT_EQ(ui::clock::Mode(), ui::ClockMode::Virtual);
  AddTimer("slow", 30);
  AddTimer("b", 10);
  AddTimer("a", 10);
  const int64_t eventsBefore = ui::clock::TimerEvents();
  ui::clock::Advance(30);
  EXPECT_EQ(log,
            (std::vector<std::string>{"b@10", "a@10", "b@20", "a@20", "slow@30", "b@30", "a@30"}));
  EXPECT_EQ(ui::clock::TimerEvents() - eventsBefore, 7);
}

TEST_F(UiClockTest, ATimerDisabledInItsOwnHandlerStopsAndReEnablingStartsAFreshInterval) {
  ui::TTimer* once = AddTimer("once", 5);
  once->OnTimer = [&] {
    log.push_back("once@" + std::to_string(Elapsed()));
    once->SetEnabled(false);
  };
  ui::clock::Advance(20);
  EXPECT_EQ(log, std::vector<std::string>{"once@5"});
  once->SetEnabled(true);  // at 20
  ui::clock::Advance(7);
  EXPECT_EQ(log, (std::vector<std::string>{"once@5", "once@25"}));
}

TEST_F(UiClockTest, AHandlerCanRearmItsTimerWithAnotherInterval) {
  ui::TTimer* timer = AddTimer("t", 10);
  timer->OnTimer = [&] {
    log.push_back("t@" + std::to_string(Elapsed()));
    timer->SetInterval(3);
  };
  ui::clock::Advance(16);
  EXPECT_EQ(log, (std::vector<std::string>{"t@10", "t@13", "t@16"}));
}

TEST_F(UiClockTest, ATimerEnabledByAnotherHandlerWaitsItsWholeInterval) {
  ui::TTimer* second = AddTimer("second", 4);
  second->SetEnabled(false);
  ui::TTimer* first = AddTimer("first", 10);
  first->OnTimer = [&] {
    log.push_back("first@" + std::to_string(Elapsed()));
    first->SetEnabled(false);
    second->SetEnabled(true);
  };
  ui::clock::Advance(18);
  EXPECT_EQ(log, (std::vector<std::string>{"first@10", "second@14", "second@18"}));
}

// What a handler does to another timer holds at once, even for a timer due
// at the same moment (stopped, or re-armed for later); enabling a running
// timer again keeps its schedule.
TEST_F(UiClockTest, AHandlerStopsOrReArmsAnotherTimerDueWithItAndEnablingARunningOneKeepsItsTime) {
  ui::TTimer* stopper = AddTimer("stopper", 10);
  ui::TTimer* stopped = AddTimer("stopped", 10);
  ui::TTimer* rearmed = AddTimer("rearmed", 10);
  stopper->OnTimer = [&] {
    log.push_back("stopper@" + std::to_string(Elapsed()));
    stopper->SetEnabled(false);
    stopped->SetEnabled(false);
    rearmed->SetInterval(5);
  };
  ui::TTimer* steady = AddTimer("steady", 4);
  ui::clock::Advance(2);
  steady->SetEnabled(true);
  ui::clock::Advance(13);
  EXPECT_EQ(log, (std::vector<std::string>{"steady@4", "steady@8", "stopper@10", "steady@12",
                                           "rearmed@15"}));
}

// A handler that runs the clock itself, as the message loop of a modal
// message box does, is not entered again by its own timer meanwhile.
TEST_F(UiClockTest, AHandlerThatRunsTheClockIsNotEnteredAgain) {
  ui::TTimer* timer = AddTimer("t", 2);
  int depth = 0;
  int deepest = 0;
  timer->OnTimer = [&] {
    deepest = std::max(deepest, ++depth);
    log.push_back("t@" + std::to_string(Elapsed()));
    if (log.size() == 1) ui::clock::Advance(5);
    --depth;
  };
  ui::clock::Advance(10);
  EXPECT_EQ(deepest, 1);
  EXPECT_GT(log.size(), 1u);  // and it runs on afterwards
}

TEST_F(UiClockTest, RunUntilChecksBeforeEachStep) {
  AddTimer("t", 7);
  EXPECT_TRUE(ui::clock::RunUntil([&] { return log.size() == 2; }, 100));
  EXPECT_EQ(Elapsed(), 14);
  EXPECT_FALSE(ui::clock::RunUntil([] { return false; }, 5));
  EXPECT_EQ(Elapsed(), 19);
}

TEST(UiFormTimers, KeepRunningWhileTheirFormIsHidden) {
  vektest::TSampleForm form;
  form.Load("sample");
  form.Show();
  form.Hide();
  form.Timer2->SetEnabled(true);
  ui::clock::Advance(200);
  EXPECT_EQ(form.Count("Timer1Timer"), 2);
  EXPECT_EQ(form.Count("Timer2Timer"), 2);
}

}  // namespace
