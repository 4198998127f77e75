#include <gtest/gtest.h>

#include "app/about_window.h"
#include "app/main_window.h"
#include "app_fixture.h"
#include "ui/clock.h"

namespace {

using vek::Form6;

class AppAboutTest : public apptest::AppTest {};

// The key turns a frame every 100 ms, rests a second after a full turn,
// stands still while the window is hidden and starts upright again.
TEST_F(AppAboutTest, TheKeyTurnsWhileTheWindowShows) {
  vek::Form2->Show();
  vek::Form2->BitBtn9->Click();
  ASSERT_TRUE(Form6->IsShown());
  EXPECT_EQ(Form6->Frame(), 1);
  EXPECT_EQ(Form6->Image2->Picture(), "about_key_01.jpg");
  ui::clock::Advance(300);
  EXPECT_EQ(Form6->Frame(), 4);
  EXPECT_EQ(Form6->Image2->Picture(), "about_key_04.jpg");
  ui::clock::Advance(500);  // back at frame 1, resting
  EXPECT_EQ(Form6->Frame(), 1);
  ui::clock::Advance(1000);
  EXPECT_EQ(Form6->Frame(), 1);
  ui::clock::Advance(100);
  EXPECT_EQ(Form6->Frame(), 2);
  Screenshot(Form6, "about_window");

  Form6->Button1->Click();
  EXPECT_FALSE(Form6->IsShown());
  ui::clock::Advance(1000);
  EXPECT_EQ(Form6->Frame(), 2);
  Form6->Show();
  EXPECT_EQ(Form6->Frame(), 1);
}

}  // namespace
