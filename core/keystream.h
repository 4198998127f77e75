#pragma once
// The keystream of a run, kept so that each byte of it is computed once.
//
// The keystream depends only on the key text and the position, so every
// file of a run under one key uses the same bytes from the same start. A run keeps what it has
// computed: the bytes, up to a bound, in memory locked where the host allows it, and the key state
// at every block boundary, where the last computing stopped and where earlier files ended, so that
// the state after any n bytes (a key-check block) costs at most one block of stirring and usually
// none. Beyond the bound the cipher runs on the key state directly, as it would without any of
// this.
//
// Only memory the host has locked holds any of it: when the host locks less
// than the bound (a limit on locked memory), the store keeps no more than it
// locked and says so (LockRefused); the rest is computed as it is needed.
//
// What is kept is secret: the owner wipes it at the end of every run, on
// every way out of one, and at the exit.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/cipher.h"

namespace vek {

class TKeystreamStore {
 public:
  static constexpr size_t DefaultCapacity = size_t{64} << 20;
  // The key state is kept at every multiple of this many bytes.
  static constexpr size_t StateInterval = 8192;

  explicit TKeystreamStore(size_t capacity = DefaultCapacity);
  ~TKeystreamStore();
  TKeystreamStore(const TKeystreamStore&) = delete;
  TKeystreamStore& operator=(const TKeystreamStore&) = delete;

  // A run of bytes starts at position 0 of the keystream of `key`, the
  // state that SetKey has just made. What is kept for another key is wiped
  // first; what is kept for this one is used again.
  void Begin(const TKeyState& key);
  // The next `length` bytes of the run enciphered (deciphered) in place;
  // `key` is left as the cipher would leave it, in the state after them.
  // Returns how many keystream bytes had to be computed (a stirring pass
  // each); the rest came from the store. Without a Begin since the last
  // Wipe the cipher simply runs on `key`.
  size_t Encipher(TKeyState& key, uint8_t* data, size_t length);
  size_t Decipher(TKeyState& key, uint8_t* data, size_t length);
  // The same a slice at a time. Goes on with the run: enciphers (deciphers)
  // the first bytes of `data` computing at most `budget` keystream bytes,
  // takes what it computed off `budget`, and returns how many of the
  // `length` bytes are done; the caller passes the rest on a later call.
  // Between the calls `key` is left as it is. Once all are done, SyncKey
  // brings `key` to the state after them.
  size_t EncipherSome(TKeyState& key, uint8_t* data, size_t length, size_t& budget);
  size_t DecipherSome(TKeyState& key, uint8_t* data, size_t length, size_t& budget);
  // Brings `key` to the state where the run stands, computing at most
  // `budget` keystream bytes (taken off it); true once it is there. A call
  // that runs out goes on at the next where this one stopped.
  bool SyncKey(TKeyState& key, size_t& budget);
  // Everything kept is overwritten and released.
  void Wipe();
  // The same wipe in pieces: each call overwrites at most `bytes` of the
  // keystream kept (the first one the key states too), from its end, and
  // releases the memory it no longer needs. True once nothing is left. From the first call on the
  // store is out of use (what is enciphered meanwhile runs on the key directly); a Wipe or a Begin
  // finishes what is left at once.
  bool WipeSome(size_t bytes);

  // Keystream bytes kept (0 after a Wipe).
  size_t Kept() const { return kept_; }
  // Whether the kept memory is locked (false too when nothing is kept).
  bool Locked() const { return locked_ > 0 && locked_ >= Touched(); }
  // The host refused to lock memory that this run wanted to keep keystream
  // in (until the next Wipe): less, or nothing, is kept.
  bool LockRefused() const { return lockRefused_; }

 private:
  template <bool Decipher>
  size_t Apply(TKeyState& key, uint8_t* data, size_t length, size_t& budget);
  bool Reserve();
  // Computes keystream until `end` (at most the capacity) is kept.
  size_t Extend(size_t end);
  void PutState(size_t interval, const TKeyState& key);
  void GetState(size_t interval, TKeyState& key) const;
  size_t Touched() const;
  // Locks the memory for the states and `end` keystream bytes, as far as
  // the host allows; returns how many keystream bytes locked memory holds.
  size_t LockFor(size_t end);
  // Overwrites the key states and the marks and puts the store out of use.
  void WipeStates();

  size_t capacity_;
  uint8_t* memory_ = nullptr;  // keystream bytes, then the key states
  size_t mapped_ = 0;
  size_t locked_ = 0;  // bytes of memory_ locked, from its start
  bool lockRefused_ = false;
  bool active_ = false;       // a Begin since the last Wipe
  bool statesWiped_ = false;  // by a WipeSome, before the memory goes
  TKeyState start_{};         // the state at position 0: which key is kept
  TKeyState frontier_{};      // the state at position kept_
  size_t kept_ = 0;
  size_t position_ = 0;  // of the current run
  // Key states where earlier runs of bytes ended, by position, up to a bound.
  struct TMark {
    size_t Position;
    TKeyState State;
  };
  static constexpr size_t MarkCapacity = 4096;
  std::vector<TMark> marks_;
  // Where a SyncKey that ran out of budget stopped (Position: none).
  static constexpr size_t NoPosition = static_cast<size_t>(-1);
  TMark pending_{NoPosition, {}};
};

}  // namespace vek
