// Nothing of the key is left anywhere in the process once it is used: a key
// typed into the key window key by key, an encrypt and a decrypt run with
// it, and then every writable mapping of the process (heap, anonymous
// mappings, stacks, data) is read for the key text and its start state.

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "core/cipher.h"
#include "core/constants.h"
#include "core/state.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "engine_fixture.h"
#include "memory_scan.h"
#include "platform/secret_string.h"
#include "platform/system.h"
#include "tools/exit_wipe_window.h"
#include "ui/clock.h"

namespace vektest {
namespace {

// The key, kept only masked here so that no plain copy of it comes from the
// test itself: Latin-1 letters and signs beside ASCII, so that its 8-bit,
// UTF-8 and UTF-16 forms all differ.
constexpr char32_t KeyMask = 0x2B5A;
struct TMaskedKey {
  char32_t Chars[64] = {};
  size_t Length = 0;
};
consteval TMaskedKey MaskKey(std::u32string_view text) {
  TMaskedKey key;
  for (const char32_t c : text) key.Chars[key.Length++] = c ^ KeyMask;
  return key;
}
constexpr TMaskedKey Masked = MaskKey(
    U"Schl\u00FCssel f\u00FCr Gr\u00FC\u00DFe: na\u00EFve Fa\u00E7ade \u00BD \u00D7 "
    U"\u00D8rsted \u00BFd\u00F3nde?");
char32_t KeyChar(size_t i) {
  return Masked.Chars[i] ^ KeyMask;
}

// A run of this many key characters anywhere counts as the key found.
constexpr size_t RunFound = 8;

size_t PutUtf8(char32_t c, uint8_t* out) {
  if (c < 0x80) {
    out[0] = static_cast<uint8_t>(c);
    return 1;
  }
  out[0] = static_cast<uint8_t>(0xC0 | (c >> 6));
  out[1] = static_cast<uint8_t>(0x80 | (c & 0x3F));
  return 2;  // the key holds nothing past U+07FF
}

enum class TForm { Latin1, Utf8, Utf16 };

size_t PutChar(TForm form, char32_t c, uint8_t* out) {
  switch (form) {
    case TForm::Latin1:
      out[0] = static_cast<uint8_t>(c);
      return 1;
    case TForm::Utf8:
      return PutUtf8(c, out);
    case TForm::Utf16:
      out[0] = static_cast<uint8_t>(c);
      out[1] = static_cast<uint8_t>(c >> 8);
      return 2;
  }
  return 0;
}

class MemoryScanTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (!FreedBlocksAreOverwritten()) {
      GTEST_SKIP() << "this build's allocator is not the program's own (a sanitizer's): freed "
                      "blocks are not overwritten";
    }
    for (const TForm form : {TForm::Latin1, TForm::Utf8, TForm::Utf16}) {
      const char* name = form == TForm::Latin1 ? "8-bit" : form == TForm::Utf8 ? "UTF-8" : "UTF-16";
      uint8_t* const text = scan_.Room(4 * Masked.Length);
      std::vector<size_t> at = {0};
      for (size_t i = 0; i < Masked.Length; ++i) {
        at.push_back(at.back() + PutChar(form, KeyChar(i), text + at.back()));
      }
      if (form == TForm::Utf8) utf8_ = {reinterpret_cast<const char*>(text), at.back()};
      for (size_t i = 0; i + RunFound <= Masked.Length; ++i) {
        scan_.Add(text + at[i], at[i + RunFound] - at[i],
                  std::string(name) + " key characters " + std::to_string(i) + "-" +
                      std::to_string(i + RunFound - 1));
      }
    }
    auto* start = new (scan_.Room(sizeof(vek::TKeyState))) vek::TKeyState;
    start->SetKey(utf8_);
    AddState(*start, "start state", vek::KeyStateSize);
    platform::WipeStackBelow();  // what setting the test's own key left there
  }

  // The key window for `mode`, the key typed into its box a key at a time,
  // the run to its finish and OK.
  void RunWithTypedKey(uint8_t mode) {
    vek::RunMode = mode;
    vek::Form7->Show();
    for (size_t i = 0; i < Masked.Length; ++i) {
      uint8_t one[4];
      const size_t n = PutUtf8(KeyChar(i), one);
      vek::Form7->Edit1->TypeText({reinterpret_cast<const char*>(one), n});
    }
    {
      const platform::SecretString typed(vek::Form7->Edit1->Text());
      ASSERT_TRUE(typed.Text() == utf8_) << "the key box holds another text than was typed";
    }
    ASSERT_TRUE(vek::Form7->Button1->Enabled());
    vek::Form7->Button1->Click();
    ASSERT_TRUE(RunUntilIdle());
    ASSERT_EQ(vek::Form8->Label1->Caption(), "Completed.");
    vek::Form8->Button1->Click();
  }

  // A key state's bytes, and its table of prefix sums as the cipher keeps
  // it on the stack (the state follows from it), its first `tableLength`
  // entries: 16-byte runs of each. (Not the state a run ends in: that is
  // the key-check block, written into the file for anyone to read.)
  void AddState(const vek::TKeyState& state, const std::string& what, size_t tableLength) {
    for (size_t i = 0; i < vek::KeyStateSize; i += 16) {
      scan_.Add(state.State + i, 16,
                what + " bytes " + std::to_string(i) + "-" + std::to_string(i + 15));
    }
    uint8_t* const sums = scan_.Room(tableLength);
    uint8_t sum = 0;
    for (size_t k = 0; k < tableLength; ++k) {
      sums[k] = sum;
      sum = static_cast<uint8_t>(sum + state.State[k % vek::KeyStateSize]);
    }
    for (size_t i = 0; i + 16 <= tableLength; i += 16) {
      scan_.Add(sums + i, 16,
                what + "'s prefix sums " + std::to_string(i) + "-" + std::to_string(i + 15));
    }
  }

  TMemoryScan scan_;
  std::string_view utf8_;  // the key's UTF-8 form, inside the scan's own mapping
};

TEST_F(MemoryScanTest, NoCopyOfTheKeyIsLeftAfterTheRunsOrTheExitWipe) {
  const auto content = PatternBytes(3000, 5);
  AddPlainJob("f.bin", content);
  vek::VerifyAfterEncrypt = true;
  RunWithTypedKey(vek::RunEncrypt);
  vek::JobList.JobCount = 0;
  std::filesystem::remove(HostPath("f.bin"));
  ListFile("f.bin.vek");
  RunWithTypedKey(vek::RunDecrypt);
  ASSERT_EQ(ReadFileBytes(HostPath("f.bin")), content);

  std::string error;
  const auto afterOk = scan_.Scan(0, &error);
  ASSERT_EQ(error, "");
  EXPECT_TRUE(afterOk.empty()) << "after the run's OK, the key is still in memory:\n"
                               << Describe(afterOk);

  vek::SaveWindowLayout = false;
  vek::ExitRequested = true;
  vek::Form19->Show();
  for (int tick = 0; tick < vek::JobListCapacityMax; ++tick) ui::clock::Advance(5);
  const auto afterExit = scan_.Scan(0, &error);
  ASSERT_EQ(error, "");
  EXPECT_TRUE(afterExit.empty()) << "after the exit wipe, the key is still in memory:\n"
                                 << Describe(afterExit);
}

}  // namespace
}  // namespace vektest
