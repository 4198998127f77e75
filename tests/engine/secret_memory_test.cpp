// Secrets are overwritten in memory before the memory goes: read from the
// released memory itself (release_scan.h) and from the live objects, not
// from what the program reports about them.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/cipher.h"
#include "core/keystream.h"
#include "core/state.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "engine_fixture.h"
#include "release_scan.h"

namespace vektest {
namespace {

using Secrets = std::vector<std::vector<uint8_t>>;
constexpr size_t Interval = vek::TKeystreamStore::StateInterval;

std::vector<uint8_t> StateRun(const vek::TKeyState& key) {
  return {key.State, key.State + 16};
}

// What a store under `text` holds after `length` bytes: runs of its start
// state, of the state at each kept interval and where it stopped, and of
// the keystream at its start, middle and end.
Secrets StoreSecrets(const std::string& text, size_t length) {
  vek::TKeyState walk;
  walk.SetKey(text);
  Secrets secrets = {StateRun(walk)};
  std::vector<uint8_t> stream(length, 0);
  for (size_t at = 0; at < length; at += Interval) {
    const size_t count = std::min(Interval, length - at);
    walk.EncipherBlock(stream.data() + at, count);  // of zeros: the keystream
    secrets.push_back(StateRun(walk));
  }
  for (const size_t at : {size_t{0}, Interval + 5, length - 16}) {
    secrets.emplace_back(stream.begin() + static_cast<ptrdiff_t>(at),
                         stream.begin() + static_cast<ptrdiff_t>(at + 16));
  }
  return secrets;
}

TEST(SecretMemoryTest, TheKeystreamStoreOverwritesItsBytesAndStatesBeforeTheyGo) {
  enum class TWay { Wipe, Slices, SliceThenAnotherKey, AnotherKey, Destruction };
  const std::string text = "the key text of the store";
  // Past a few pages, so that a wipe in slices lets go of some on the way.
  const size_t length = 20 * Interval + 300;
  const Secrets secrets = StoreSecrets(text, length);
  for (const TWay way :
       {TWay::Wipe, TWay::Slices, TWay::SliceThenAnotherKey, TWay::AnotherKey, TWay::Destruction}) {
    SCOPED_TRACE(static_cast<int>(way));
    auto store = std::make_unique<vek::TKeystreamStore>(40 * Interval);
    vek::TKeyState key;
    key.SetKey(text);
    std::vector<uint8_t> data(length, 0x5A);
    TReleaseScan scan(secrets);
    store->Begin(key);
    store->Encipher(key, data.data(), data.size());
    ASSERT_EQ(store->Kept(), length);
    switch (way) {
      case TWay::Wipe:
        store->Wipe();
        break;
      case TWay::Slices:
        while (!store->WipeSome(Interval)) {
        }
        break;
      case TWay::SliceThenAnotherKey:
        ASSERT_FALSE(store->WipeSome(Interval));
        [[fallthrough]];
      case TWay::AnotherKey: {
        vek::TKeyState other;
        other.SetKey("some other key text");
        store->Begin(other);
        break;
      }
      case TWay::Destruction:
        store.reset();
        break;
    }
    if (way == TWay::Slices || way == TWay::SliceThenAnotherKey) {
      EXPECT_GT(scan.MappedReleases(), 1);
    } else {
      EXPECT_EQ(scan.MappedReleases(), 1);
    }
    EXPECT_EQ(scan.MappedHits(), 0) << "the released memory still held keystream or a key state";
    if (store) {
      EXPECT_FALSE(HoldsAny(store.get(), sizeof *store, secrets)) << "the store object itself";
    }
    key = {};
  }
}

class SecretMemoryEngineTest : public EngineTest {};

// A key longer than a short string's own room, so that every copy of it in
// a string is a heap block.
constexpr std::string_view LongKey = "a key text well past the room of a short string";

TEST_F(SecretMemoryEngineTest, NoCopyOfTheKeyOrItsStateIsLeftInMemory) {
  const auto content = PatternBytes(3 * Interval, 9);
  vek::TKeyState start;
  start.SetKey(LongKey);
  // The whole key, and a piece from its middle: a box that takes a shorter
  // text keeps its buffer, overwritten only at the front. Each as UTF-8 and
  // as the UTF-16 the window toolkit holds.
  const Secrets secrets = {BytesOf(LongKey), BytesOf(LongKey.substr(8, 16)), Utf16BytesOf(LongKey),
                           Utf16BytesOf(LongKey.substr(8, 16)), StateRun(start)};
  for (const uint8_t mode : {vek::RunEncrypt, vek::RunDecrypt}) {
    SCOPED_TRACE(mode == vek::RunEncrypt ? "encrypt" : "decrypt");
    std::vector<uint8_t> last;
    vek::JobList.JobCount = 0;
    vek::VerifyAfterEncrypt = true;
    if (mode == vek::RunEncrypt) {
      AddPlainJob("f.bin", content);
    } else {
      std::filesystem::remove(HostPath("f.bin"));
      ListFile("f.bin.vek");
    }
    {
      TReleaseScan scan(secrets);
      StartRun(mode, LongKey);
      ASSERT_TRUE(RunUntilIdle());
      EXPECT_EQ(vek::Form8->Label1->Caption(), "Completed.");
      // The state the run ended in, which goes on to every longer file's keystream.
      last = StateRun(vek::KeyState);
      vek::Form8->Button1->Click();
      EXPECT_EQ(scan.HeapHits(), 0) << "a copy of the key text or state was freed unwiped";
      EXPECT_GE(scan.MappedReleases(), 1);
      EXPECT_EQ(scan.MappedHits(), 0);
    }
    EXPECT_FALSE(HoldsAny(&vek::KeyState, sizeof vek::KeyState, secrets));
    EXPECT_FALSE(HoldsAny(&vek::KeyState, sizeof vek::KeyState, {last})) << "the run's last state";
    EXPECT_FALSE(HoldsAny(vek::SharedBuffer.data(), vek::SharedBuffer.size(), secrets));
    EXPECT_FALSE(HoldsAny(vek::SharedBuffer2.data(), vek::SharedBuffer2.size(), secrets));
  }
  // The key window again: the box is emptied, and the user clicks a longer
  // key together on the window's own keys; each text the box gives up goes
  // overwritten.
  TReleaseScan scan(secrets);
  vek::RunMode = vek::RunEncrypt;
  vek::Form7->Show();
  for (int i = 0; i < 80; ++i) vek::Form7->Keys[static_cast<size_t>(i % 10)]->Click();
  EXPECT_EQ(vek::Form7->Edit1->Text().size(), 80u);
  vek::Form7->Button2->Click();
  EXPECT_EQ(scan.HeapHits(), 0) << "the key box let go of the key unwiped";
}

}  // namespace
}  // namespace vektest
