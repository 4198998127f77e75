// The run's keystream store against the plain cipher: the same bytes and
// the same key state after every piece, whatever the store keeps, and each
// keystream byte computed once.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/cipher.h"
#include "core/keystream.h"
#include "lock_limit.h"

namespace vek {
namespace {

constexpr size_t Interval = TKeystreamStore::StateInterval;

TKeyState Keyed(const std::string& text) {
  TKeyState key;
  key.SetKey(text);
  return key;
}

std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t size) {
  std::vector<uint8_t> data(size);
  for (uint8_t& b : data) b = static_cast<uint8_t>(random());
  return data;
}

// One piece through the store in slices of `slice` keystream bytes, as a
// caller that yields between them would. Returns the keystream bytes
// computed.
size_t ApplyInSlices(TKeystreamStore& store, TKeyState& key, uint8_t* data, size_t count,
                     size_t slice, bool decipher) {
  size_t work = 0;
  size_t done = 0;
  for (size_t calls = 0; calls <= count + 2 * Interval; ++calls) {
    size_t budget = slice;
    done += decipher ? store.DecipherSome(key, data + done, count - done, budget)
                     : store.EncipherSome(key, data + done, count - done, budget);
    const bool synced = done == count && store.SyncKey(key, budget);
    work += slice - budget;
    if (synced) return work;
    // A slice stops short only when its budget is spent.
    EXPECT_EQ(budget, 0u) << "after " << done << " of " << count;
  }
  ADD_FAILURE() << "the slices never finished the piece";
  return work;
}

// One file of a run: `length` bytes in pieces of at most `piece`, through
// the store and through the plain cipher side by side; with `slice` each
// piece goes through in slices of that many keystream bytes. Returns the
// keystream bytes the store computed.
size_t RunFile(TKeystreamStore& store, const std::string& text, size_t length, size_t piece,
               bool decipher, std::mt19937& random, size_t slice = 0) {
  TKeyState viaStore = Keyed(text);
  TKeyState plain = viaStore;
  store.Begin(viaStore);
  size_t work = 0;
  for (size_t at = 0; at < length;) {
    const size_t count = std::min(piece, length - at);
    std::vector<uint8_t> a = RandomBytes(random, count);
    std::vector<uint8_t> b = a;
    if (slice > 0) {
      work += ApplyInSlices(store, viaStore, a.data(), count, slice, decipher);
    } else {
      work += decipher ? store.Decipher(viaStore, a.data(), count)
                       : store.Encipher(viaStore, a.data(), count);
    }
    decipher ? plain.DecipherBlock(b.data(), count) : plain.EncipherBlock(b.data(), count);
    EXPECT_EQ(a, b) << "at " << at;
    EXPECT_EQ(viaStore, plain) << "the key state after " << at + count << " bytes";
    at += count;
  }
  return work;
}

TEST(KeystreamStoreTest, MatchesThePlainCipherAcrossFilesKeysAndTheBound) {
  std::mt19937 random(20031210);
  // A small bound, so that runs go past it.
  TKeystreamStore store(3 * Interval + 100);
  struct TFile {
    std::string Key;
    size_t Length;
    size_t Piece;
  };
  const TFile files[] = {
      {"first key text", 2 * Interval + 17, Interval},  // computes what it needs
      {"first key text", 2 * Interval + 17, Interval},  // the same again (verification)
      {"first key text", Interval + 5, Interval},       // shorter: ends between kept states
      {"first key text", 5 * Interval + 3, Interval},   // past the bound
      {"first key text", 777, 100},                     // small pieces
      {"another key", 4 * Interval, 3000},              // another key: the store starts anew
      {"first key text", Interval, Interval},
  };
  for (const TFile& f : files) {
    for (bool decipher : {false, true}) {
      SCOPED_TRACE(f.Key + ", " + std::to_string(f.Length) + (decipher ? ", decipher" : ""));
      RunFile(store, f.Key, f.Length, f.Piece, decipher, random);
    }
  }
}

// In slices the store gives the same bytes and key state as in whole
// calls, and computes exactly as much: past the bound, behind what is kept
// (stirring from a kept state), under a new key, slices of one byte to more
// than an interval.
TEST(KeystreamStoreTest, InSlicesTheSameBytesStateAndWorkAsInWholeCalls) {
  struct TFile {
    std::string Key;
    size_t Length;
    size_t Piece;
  };
  const TFile files[] = {
      {"first key text", 2 * Interval + 17, Interval},
      {"first key text", 2 * Interval + 17, Interval},
      {"first key text", Interval + 5, Interval},      // ends between kept states
      {"first key text", 2 * Interval - 1, Interval},  // farther from the kept state
      {"first key text", 5 * Interval + 3, Interval},  // past the bound
      {"first key text", 777, 100},
      {"another key", 4 * Interval, 3000},
  };
  for (const size_t slice : {size_t{1}, size_t{100}, Interval / 2 + 1, Interval + 1}) {
    TKeystreamStore whole(3 * Interval + 100);
    TKeystreamStore sliced(3 * Interval + 100);
    std::mt19937 randomWhole(5);
    std::mt19937 randomSliced(5);
    for (const TFile& f : files) {
      for (bool decipher : {false, true}) {
        SCOPED_TRACE(f.Key + ", " + std::to_string(f.Length) + (decipher ? ", decipher" : "") +
                     ", slices of " + std::to_string(slice));
        const size_t workWhole = RunFile(whole, f.Key, f.Length, f.Piece, decipher, randomWhole);
        EXPECT_EQ(RunFile(sliced, f.Key, f.Length, f.Piece, decipher, randomSliced, slice),
                  workWhole);
      }
    }
  }
}

TEST(KeystreamStoreTest, EachKeystreamByteIsComputedOncePerRun) {
  std::mt19937 random(7);
  TKeystreamStore store(8 * Interval);
  const std::string key = "one key for the run";
  const size_t length = 3 * Interval + 1000;
  EXPECT_EQ(RunFile(store, key, length, Interval, false, random), length);
  EXPECT_EQ(store.Kept(), length);
  // The verification and later files no longer than what is kept.
  EXPECT_EQ(RunFile(store, key, length, Interval, false, random), 0u);
  EXPECT_EQ(RunFile(store, key, 2 * Interval, Interval, true, random), 0u);
  // A longer one computes only what is new.
  EXPECT_EQ(RunFile(store, key, length + 500, Interval, false, random), 500u);
  // One that ends between kept states costs at most that bit of stirring.
  EXPECT_LE(RunFile(store, key, Interval + 10, Interval, false, random), 10u);
  // Past the bound the cipher runs as it would without the store.
  EXPECT_EQ(RunFile(store, key, 9 * Interval, Interval, false, random),
            9 * Interval - (length + 500));
}

// Many small files under one key: the key state where a file ended is
// kept, so a later file of that length needs no stirring for its key-check
// block, and one a little longer only the difference.
TEST(KeystreamStoreTest, TheStateWhereAFileEndedServesTheNextFiles) {
  std::mt19937 random(13);
  TKeystreamStore store(8 * Interval);
  const std::string key = "many small files";
  struct TFile {
    size_t Length;
    size_t Work;
  };
  const TFile files[] = {
      {4000, 4000},  // computes the keystream, and ends where it stops
      {3000, 3000},  // from the start of the keystream
      {3000, 0},
      {3010, 10},
      {2990, 2990},
      {2995, 5},
      {3000, 0},
      {Interval + 300, Interval + 300 - 4000},  // on past what is kept
      {Interval + 310, 10},
  };
  for (const TFile& f : files) {
    SCOPED_TRACE(f.Length);
    EXPECT_EQ(RunFile(store, key, f.Length, Interval, false, random), f.Work);
  }
}

TEST(KeystreamStoreTest, WipeLeavesNothingAndTheNextRunStartsAfresh) {
  std::mt19937 random(11);
  TKeystreamStore store(4 * Interval);
  const std::string key = "wiped at the end of the run";
  RunFile(store, key, 2 * Interval, Interval, false, random);
  ASSERT_EQ(store.Kept(), 2 * Interval);
  store.Wipe();
  EXPECT_EQ(store.Kept(), 0u);
  EXPECT_FALSE(store.Locked());
  // Without a Begin the store is not used at all.
  TKeyState plain = Keyed(key);
  TKeyState viaStore = plain;
  std::vector<uint8_t> a(100, 1), b(100, 1);
  EXPECT_EQ(store.Encipher(viaStore, a.data(), a.size()), a.size());
  plain.EncipherBlock(b.data(), b.size());
  EXPECT_EQ(a, b);
  EXPECT_EQ(viaStore, plain);
  EXPECT_EQ(store.Kept(), 0u);
  EXPECT_EQ(RunFile(store, key, Interval, Interval, false, random), Interval);
}

TEST(KeystreamStoreTest, AWipeInSlicesPutsTheStoreOutOfUseAtOnceAndEndsEmpty) {
  // How the wipe is finished after its first slice.
  enum class TFinish { Slices, Wipe, NextRun };
  const std::string key = "wiped a slice at a time";
  const size_t length = 2 * Interval + 300;
  for (const TFinish finish : {TFinish::Slices, TFinish::Wipe, TFinish::NextRun}) {
    SCOPED_TRACE(static_cast<int>(finish));
    std::mt19937 random(12);
    TKeystreamStore store(4 * Interval);
    RunFile(store, key, length, Interval, false, random);
    ASSERT_EQ(store.Kept(), length);
    EXPECT_FALSE(store.WipeSome(Interval));
    EXPECT_EQ(store.Kept(), length - Interval);
    // What is still to be overwritten serves nothing: the cipher runs on the key.
    TKeyState plain = Keyed(key);
    TKeyState viaStore = plain;
    std::vector<uint8_t> a(Interval + 7, 3), b = a;
    EXPECT_EQ(store.Encipher(viaStore, a.data(), a.size()), a.size());
    plain.EncipherBlock(b.data(), b.size());
    EXPECT_EQ(a, b);
    EXPECT_EQ(viaStore, plain);
    switch (finish) {
      case TFinish::Slices:
        EXPECT_FALSE(store.WipeSome(Interval));
        EXPECT_EQ(store.Kept(), 300u);
        EXPECT_TRUE(store.WipeSome(Interval));
        EXPECT_TRUE(store.WipeSome(Interval)) << "nothing left, nothing to do";
        break;
      case TFinish::Wipe:
        store.Wipe();
        break;
      case TFinish::NextRun:
        break;
    }
    if (finish != TFinish::NextRun) {
      EXPECT_EQ(store.Kept(), 0u);
      EXPECT_FALSE(store.Locked());
    }
    // The next run computes its keystream afresh, and right.
    EXPECT_EQ(RunFile(store, key, length, Interval, false, random), length);
    EXPECT_EQ(store.Kept(), length);
  }
}

// Locked memory of this process, in bytes (VmLck).
size_t LockedBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmLck:", 0) == 0) return std::stoul(line.substr(6)) * 1024;
  }
  return 0;
}

// Runs `check` in a child process whose locked memory is limited to
// `limit` bytes, as an ordinary user's is (a privileged user loses the
// right to lock past it); the child's exit code is what `check` returns.
template <typename F>
int WithLockLimit(size_t limit, F check) {
  const pid_t child = ::fork();
  if (child == 0) {
    const vektest::TLockLimit lowered(limit);
    ::_exit(lowered.Lowered() ? check() : 100);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

TEST(KeystreamStoreTest, KeepsKeystreamOnlyInMemoryTheHostLocked) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer answers every lock of memory with success";
#endif
  constexpr size_t Capacity = size_t{64} << 10;
  constexpr size_t Length = 80 << 10;
  // Limit -> the bytes kept at most (the key states take the rest).
  const size_t states = (Capacity / Interval + 1) * sizeof(TKeyState);
  const size_t limits[] = {0, 64 << 10};
  for (const size_t limit : limits) {
    SCOPED_TRACE("locked memory limit " + std::to_string(limit));
    const int result = WithLockLimit(limit, [&] {
      std::vector<uint8_t> viaStore(Length, 0x5A), plain(Length, 0x5A);
      TKeystreamStore store(Capacity);
      TKeyState key = Keyed("a key under a lock limit");
      TKeyState direct = key;
      store.Begin(key);
      store.Encipher(key, viaStore.data(), Length);
      direct.EncipherBlock(plain.data(), Length);
      int faults = 0;
      if (viaStore != plain || !(key == direct)) faults |= 1;
      if (!store.LockRefused()) faults |= 2;
      if (store.Kept() > 0 && (!store.Locked() || LockedBytes() < states + store.Kept()))
        faults |= 4;
      if (store.Kept() > 0 && store.Kept() + states > limit) faults |= 8;
      if (limit > states + Interval && store.Kept() == 0) faults |= 16;
      return faults;
    });
    EXPECT_EQ(result, 0) << "1: wrong bytes, 2: refusal not reported, 4: kept bytes not locked, "
                            "8: more kept than could be locked, 16: nothing kept";
  }
}

}  // namespace
}  // namespace vek
