#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

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

  // Closed by its button in the middle of a turn, or by the window system
  // while the key rests: hidden, the key stands still; shown again, it
  // starts upright and turns at once.
  const struct {
    std::function<void()> Close;
    int64_t TurnMs;  // from frame 2
  } cases[] = {{[] { Form6->Button1->Click(); }, 300}, {[] { Form6->RequestClose(); }, 800}};
  for (const auto& c : cases) {
    ui::clock::Advance(c.TurnMs);
    const uint8_t frame = Form6->Frame();
    c.Close();
    EXPECT_FALSE(Form6->IsShown());
    EXPECT_TRUE(vek::Form2->IsShown());
    ui::clock::Advance(1000);
    EXPECT_EQ(Form6->Frame(), frame);
    vek::Form2->BitBtn9->Click();
    ASSERT_TRUE(Form6->IsShown());
    EXPECT_EQ(Form6->Frame(), 1);
    EXPECT_EQ(Form6->Image2->Picture(), "about_key_01.jpg");
    ui::clock::Advance(100);
    EXPECT_EQ(Form6->Frame(), 2);
  }
}

}  // namespace
