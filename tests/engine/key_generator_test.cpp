// The key window's keyboard against its printed layout, and the generator:
// a fresh seed on every tick and keys drawn from all 94 printable
// characters.

#include <set>
#include <string>

#include "core/state.h"
#include "engine/key_entry_window.h"
#include "key_window_fixture.h"
#include "platform/system.h"
#include "ui/clock.h"

namespace vektest {
namespace {

using vek::Form7;

class EngineKeyGeneratorTest : public KeyWindowTest {
 protected:
  // Starts the generator and lets it run until "Ready !" may be clicked.
  static void RunGeneratorToReady() {
    Form7->Button3->Click();
    ASSERT_TRUE(Form7->Timer1->Enabled());
    ASSERT_TRUE(ui::clock::RunUntil([] { return Form7->Button4->Enabled(); }, 1000));
  }
};

struct TKeyRow {
  int FirstButton;
  std::string Characters;  // caps off
};

TEST_F(EngineKeyGeneratorTest, KeyboardRowsTypeTheirCharacters) {
  const TKeyRow rows[] = {
      {5, "~!@#$%^&*()_+"},
      {19, "`1234567890-="},
      {33, "qwertyuiop{}[]|\\"},
      {50, "asdfghjkl:;\"'"},
      {63, " "},
      {64, "zxcvbnm<,>.?/"},
  };
  std::set<char> typed;
  for (const TKeyRow& row : rows) {
    for (size_t i = 0; i < row.Characters.size(); ++i) {
      const int number = row.FirstButton + static_cast<int>(i);
      Form7->Button18->Click();
      Key(number)->Click();
      EXPECT_EQ(Form7->Edit1->Text(), std::string(1, row.Characters[i])) << "Button" << number;
      typed.insert(row.Characters[i]);
    }
  }
  EXPECT_EQ(typed.size(), 69u);  // 68 keys and the blank
}

// The length list by its entries, and the next showing starts again at 8.
TEST_F(EngineKeyGeneratorTest, EachLengthOfTheListMakesAKeyOfThatLength) {
  const size_t lengths[] = {8, 10, 16, 20, 32, 40, 50, 64, 80, 100, 128};
  ASSERT_EQ(Form7->ComboBox1->ItemCount(), 11);
  for (int index = 0; index < 11; ++index) {
    Form7->ComboBox1->SelectItem(index);
    RunGeneratorToReady();
    Form7->Button4->Click();
    // The list's entry names the length the key gets.
    const std::string entry = Form7->ComboBox1->Item(index);
    EXPECT_TRUE(entry.starts_with(std::to_string(lengths[index]) + " ")) << entry;
    EXPECT_EQ(Form7->Edit1->Text().size(), lengths[index]) << index;
    EXPECT_EQ(Form7->Label5->Caption(), "Chars:" + std::to_string(lengths[index]));
    EXPECT_TRUE(Form7->Button1->Enabled());
  }
  Form7->Hide();
  Form7->Show();
  EXPECT_EQ(Form7->ComboBox1->ItemIndex(), 0);
  EXPECT_EQ(Form7->Edit1->Text(), "");
}

TEST_F(EngineKeyGeneratorTest, EveryTickDrawsANewSeedFromTheLast) {
  Form7->Button3->Click();
  // Through the count to "Ready !" and several flashes of its caption.
  for (int tick = 0; tick < 260; ++tick) {
    const uint32_t before = platform::RandSeed;
    const uint32_t drawn = platform::Random(0x7FFFFFFF);
    platform::RandSeed = before;
    ui::clock::Advance(1);
    ASSERT_EQ(platform::RandSeed, drawn) << "tick " << tick;
  }
  Form7->Button3->Click();  // "Stop generator"
  EXPECT_FALSE(Form7->Timer1->Enabled());
}

TEST_F(EngineKeyGeneratorTest, KeysAreDrawnFromAllPrintableCharacters) {
  Form7->ComboBox1->SelectItem(10);  // 128 characters
  std::set<char> seen;
  for (int run = 0; run < 30; ++run) {
    RunGeneratorToReady();
    ui::clock::Advance(run);  // each run from another seed
    // The key drawn from the seed as it stands at the click.
    const uint32_t seed = platform::RandSeed;
    std::string expected;
    for (int i = 0; i < 128; ++i) expected += static_cast<char>(33 + platform::Random(94));
    platform::RandSeed = seed;
    Form7->Button4->Click();
    const std::string key = Form7->Edit1->Text();
    ASSERT_EQ(key, expected) << "run " << run;
    seen.insert(key.begin(), key.end());
  }
  EXPECT_EQ(seen.size(), 94u);
  EXPECT_EQ(*seen.begin(), '!');
  EXPECT_EQ(*seen.rbegin(), '~');
}

}  // namespace
}  // namespace vektest
