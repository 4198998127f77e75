// The key entry window: the on-screen keyboard, the counter and its
// buttons, CAPS LOCK, the generator, and the way on to the engine or back.

#include <string>

#include "app/main_window.h"
#include "core/state.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "key_window_fixture.h"
#include "platform/system.h"
#include "ui/clock.h"

namespace vektest {
namespace {

using vek::Form7;

class EngineKeyEntryTest : public KeyWindowTest {
 protected:
  static void PressKeys(int number, int times) {
    for (int i = 0; i < times; ++i) Key(number)->Click();
  }
  static std::string KeyText() { return Form7->Edit1->Text(); }
};

TEST_F(EngineKeyEntryTest, ProceedNeedsEightCharacters) {
  PressKeys(20, 7);  // "1"
  EXPECT_EQ(Form7->Label5->Caption(), "Chars:7");
  EXPECT_FALSE(Form7->Button1->Enabled());
  PressKeys(21, 1);
  EXPECT_EQ(KeyText(), "11111112");
  EXPECT_EQ(Form7->Label5->Caption(), "Chars:8");
  EXPECT_EQ(vek::KeyLength, 8);
  EXPECT_TRUE(Form7->Button1->Enabled());
}

// On the on-screen keyboard, typed and pasted alike.
TEST_F(EngineKeyEntryTest, The129thKeyIsIgnored) {
  PressKeys(63, 128);
  PressKeys(33, 1);
  EXPECT_EQ(KeyText(), std::string(128, ' '));
  EXPECT_EQ(Form7->Label5->Caption(), "Chars:128");
  Form7->Button18->Click();
  Form7->Edit1->TypeText(std::string(130, 'k'));
  EXPECT_EQ(KeyText(), std::string(128, 'k'));
  EXPECT_EQ(Form7->Label5->Caption(), "Chars:128");
  Form7->Button18->Click();
  Form7->Edit1->PasteText(std::string(127, 'p') + "qr");
  EXPECT_EQ(KeyText(), std::string(127, 'p') + "q");
  EXPECT_TRUE(Form7->Button1->Enabled());
}

// The key box has the keys whenever the window shows, also after a click
// on an on-screen key and when the window comes back after Cancel; a key
// held with Alt or Ctrl types nothing into it.
TEST_F(EngineKeyEntryTest, TheKeyBoxHasTheKeys) {
  EXPECT_TRUE(Form7->Active());
  EXPECT_TRUE(Form7->Edit1->Focused());
  Form7->PressKey('K');
  PressKeys(20, 1);  // "1"
  Form7->PressKey('L');
  for (int i = 0; i < 4; ++i) Form7->PressKey(ui::VK_SPACE);
  EXPECT_EQ(KeyText(), "k1l    ");
  const struct {
    uint16_t key;
    ui::TShiftState shift;
  } commandKeys[] = {{'P', ui::ssAlt}, {'P', ui::ssAlt | ui::ssShift}, {'K', ui::ssCtrl}};
  for (const auto& c : commandKeys) Form7->PressKey(c.key, c.shift);
  EXPECT_EQ(KeyText(), "k1l    ");
  EXPECT_FALSE(Form7->Button1->Enabled());
  EXPECT_EQ(Form7->Label5->Caption(), "Chars:7");

  Form7->Button2->Click();  // Cancel
  EXPECT_TRUE(vek::Form2->Active());
  Form7->Show();
  EXPECT_TRUE(Form7->Active());
  EXPECT_TRUE(Form7->Edit1->Focused());
  Form7->PressKey('Z');
  EXPECT_EQ(KeyText(), "z");
}

TEST_F(EngineKeyEntryTest, BackspaceAndClearFollowTheLength) {
  EXPECT_FALSE(Form7->Button32->Enabled());
  EXPECT_FALSE(Form7->Button18->Enabled());
  PressKeys(50, 2);
  EXPECT_TRUE(Form7->Button32->Enabled());
  EXPECT_TRUE(Form7->Button18->Enabled());
  Form7->Button32->Click();
  EXPECT_EQ(KeyText(), "a");
  Form7->Button32->Click();
  EXPECT_EQ(KeyText(), "");
  EXPECT_FALSE(Form7->Button32->Enabled());
  EXPECT_FALSE(Form7->Button18->Enabled());
  Form7->Edit1->TypeText("typed by hand, then cleared");
  EXPECT_TRUE(Form7->Button1->Enabled());
  Form7->Button18->Click();
  EXPECT_EQ(KeyText(), "");
  EXPECT_EQ(Form7->Label5->Caption(), "Chars:0");
  EXPECT_FALSE(Form7->Button1->Enabled());
}

TEST_F(EngineKeyEntryTest, BackspaceDropsAWholeCharacter) {
  Form7->Edit1->SetText("ab\xC3\xA9");  // "abé"
  EXPECT_EQ(Form7->Label5->Caption(), "Chars:3");
  Form7->Button32->Click();
  EXPECT_EQ(KeyText(), "ab");
}

TEST_F(EngineKeyEntryTest, EveryKeyTypesItsCharacterInTheCapsState) {
  for (const bool caps : {false, true}) {
    if (caps) Form7->Button49->Click();
    for (const vek::TKeyButton& key : vek::KeyButtons) {
      Form7->Button18->Click();
      Key(key.Number)->Click();
      char expected = key.Character;
      if (!caps && expected >= 'A' && expected <= 'Z')
        expected = static_cast<char>(expected - 'A' + 'a');
      EXPECT_EQ(KeyText(), std::string(1, expected)) << "Button" << int{key.Number};
    }
  }
}

TEST_F(EngineKeyEntryTest, CapsLockCaptions) {
  EXPECT_EQ(Form7->Button49->Caption(), "caps lock");
  EXPECT_EQ(Key(33)->Caption(), "q");
  Form7->Button49->Click();
  EXPECT_TRUE(vek::CapsOn);
  EXPECT_EQ(Form7->Button49->Caption(), "CAPS LOCK");
  EXPECT_EQ(Key(33)->Caption(), "Q");
  EXPECT_EQ(Key(76)->Caption(), "/");
  EXPECT_EQ(Key(12)->Caption(), "&&");
  EXPECT_EQ(Key(63)->Caption(), "Space");
  // The next showing takes the caps state from the key's caption.
  Form7->Hide();
  Form7->Show();
  EXPECT_TRUE(vek::CapsOn);
  EXPECT_EQ(Key(70)->Caption(), "M");
  Form7->Button49->Click();
  EXPECT_FALSE(vek::CapsOn);
  EXPECT_EQ(Key(70)->Caption(), "m");
}

TEST_F(EngineKeyEntryTest, AKeyThatTrimsToNothingCannotProceed) {
  Form7->Edit1->SetText("        \t ");
  EXPECT_EQ(Form7->Label5->Caption(), "Chars:10");
  EXPECT_FALSE(Form7->Button1->Enabled());
  Form7->Edit1->SetText("   x    ");
  EXPECT_TRUE(Form7->Button1->Enabled());
  EXPECT_EQ(vek::TrimKeyText("  x y \t"), "x y");
}

TEST_F(EngineKeyEntryTest, GeneratorMakesKeysOfEveryLength) {
  for (int index = 0; index < Form7->ComboBox1->ItemCount(); ++index) {
    Form7->ComboBox1->SelectItem(index);
    Form7->Button3->Click();
    EXPECT_EQ(Form7->Button3->Caption(), "Stop generator");
    EXPECT_FALSE(Form7->Button4->Enabled());
    ui::clock::Advance(101);
    ASSERT_TRUE(Form7->Button4->Enabled());
    Form7->Button4->Click();
    const std::string key = KeyText();
    ASSERT_EQ(key.size(), vek::KeyLengthChoices[static_cast<size_t>(index)]);
    for (const char c : key) {
      EXPECT_GE(static_cast<unsigned char>(c), 33);
      EXPECT_LE(static_cast<unsigned char>(c), 126);
    }
    EXPECT_EQ(vek::KeyGenBuffer.Text(), std::string(128, 'X'));
    EXPECT_FALSE(Form7->Timer1->Enabled());
    EXPECT_EQ(Form7->Button3->Caption(), "Start generator");
  }
}

TEST_F(EngineKeyEntryTest, GeneratorSeedAndReadyButtonFlashes) {
  Form7->Button3->Click();
  // Tuesday 9 December 2003, 250 ms past the second.
  const int64_t days = (2003 - 2002) * 372 + 12 * 31 + 9;
  EXPECT_EQ(platform::RandSeed, static_cast<uint32_t>(days * 86400 * 1000 + 250));
  EXPECT_EQ(vek::KeyGenState, 1);
  // The first tick leaves state 1; the next 100 count to "Ready !", and
  // from then on its caption changes every 50 ticks.
  struct TTick {
    int64_t Tick;
    bool Enabled;
    std::string Caption;
  };
  const TTick ticks[] = {
      {100, false, "Ready !"},        {101, true, "Ready !"},         {150, true, "Ready !"},
      {151, true, "Wait then click"}, {200, true, "Wait then click"}, {201, true, "Ready !"},
      {251, true, "Wait then click"},
  };
  const int64_t start = ui::clock::NowMs();
  for (const TTick& t : ticks) {
    ui::clock::Advance(start + t.Tick - ui::clock::NowMs());
    EXPECT_EQ(Form7->Button4->Enabled(), t.Enabled) << "tick " << t.Tick;
    EXPECT_EQ(Form7->Button4->Caption(), t.Caption) << "tick " << t.Tick;
  }
  // Stopped while it reads "Wait then click": the next start begins afresh.
  Form7->Button3->Click();  // "Stop generator"
  EXPECT_FALSE(Form7->Timer1->Enabled());
  EXPECT_FALSE(Form7->Button4->Enabled());
  EXPECT_EQ(Form7->Button4->Caption(), "Ready !");
  Form7->Button3->Click();
  ui::clock::Advance(101);
  EXPECT_TRUE(Form7->Button4->Enabled());
  EXPECT_EQ(Form7->Button4->Caption(), "Ready !");
}

TEST_F(EngineKeyEntryTest, PromptFollowsTheRunKind) {
  EXPECT_EQ(Form7->Label1->Caption(), "Enter the KEY to encrypt the files in the job list :");
  Form7->Hide();
  vek::RunMode = vek::RunDecrypt;
  Form7->Edit1->SetText("left from before");
  Form7->Show();
  EXPECT_EQ(Form7->Label1->Caption(), "Enter the KEY to decrypt the files in the job list :");
  EXPECT_EQ(KeyText(), "");
  EXPECT_EQ(Form7->Label5->Caption(), "Chars: 0");
  EXPECT_FALSE(Form7->Button1->Enabled());
}

// "Cancel" and the window system's close alike.
TEST_F(EngineKeyEntryTest, CancelGoesBackAndStopsTheGenerator) {
  for (const bool close : {false, true}) {
    Form7->Show();
    Form7->Button3->Click();
    ASSERT_TRUE(Form7->Timer1->Enabled());
    if (close) {
      Form7->RequestClose();
    } else {
      Form7->Button2->Click();
    }
    EXPECT_FALSE(Form7->IsShown()) << close;
    EXPECT_TRUE(vek::Form2->IsShown()) << close;
    EXPECT_FALSE(Form7->Timer1->Enabled()) << close;
    EXPECT_FALSE(vek::Form8->IsShown()) << close;
  }
}

TEST_F(EngineKeyEntryTest, ProceedShowsTheProcessingWindow) {
  Form7->Button3->Click();  // the generator running, its key not taken
  Form7->Edit1->SetText(std::string(TestKey));
  Form7->Button1->Click();
  EXPECT_FALSE(Form7->IsShown());
  EXPECT_TRUE(vek::Form8->IsShown());
  EXPECT_TRUE(vek::Form8->RunActive());
  EXPECT_EQ(Form7->Edit1->Text(), TestKey);  // the engine reads it from here
  EXPECT_FALSE(Form7->Timer1->Enabled());
  EXPECT_EQ(Form7->Button3->Caption(), "Start generator");
}

TEST_F(EngineKeyEntryTest, Screenshot) {
  Form7->Edit1->SetText("An example key text");
  Screenshot(Form7, "engine_key_entry");
}

}  // namespace
}  // namespace vektest
