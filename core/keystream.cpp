#include "core/keystream.h"

#include <string.h>  // explicit_bzero

#include <algorithm>
#include <cstring>

#include "platform/system.h"

namespace vek {

namespace {

// Memory is locked in steps of this size as the store grows, and released
// in them as a wipe in slices goes (a multiple of any page size).
constexpr size_t LockStep = size_t{64} << 10;

size_t StateCount(size_t capacity) {
  return capacity / TKeystreamStore::StateInterval + 1;
}

}  // namespace

// The memory holds the key states first (the state after i intervals at
// index i), then the keystream bytes.

TKeystreamStore::TKeystreamStore(size_t capacity) : capacity_(capacity) {}

TKeystreamStore::~TKeystreamStore() {
  Wipe();
}

void TKeystreamStore::PutState(size_t interval, const TKeyState& key) {
  std::memcpy(memory_ + interval * sizeof(TKeyState), &key, sizeof key);
}

void TKeystreamStore::GetState(size_t interval, TKeyState& key) const {
  std::memcpy(&key, memory_ + interval * sizeof(TKeyState), sizeof key);
}

size_t TKeystreamStore::Touched() const {
  return memory_ == nullptr ? 0 : StateCount(capacity_) * sizeof(TKeyState) + kept_;
}

bool TKeystreamStore::Reserve() {
  if (memory_ != nullptr) return true;
  if (capacity_ == 0 || lockRefused_) return false;
  const size_t states = StateCount(capacity_) * sizeof(TKeyState);
  const size_t size = states + capacity_;
  memory_ = static_cast<uint8_t*>(platform::VirtualAlloc(size));
  if (memory_ == nullptr) return false;
  mapped_ = size;
  locked_ = 0;
  // Nothing secret goes into memory the host may swap out: without room
  // for the key states nothing is kept at all.
  LockFor(0);
  if (locked_ < states) {
    platform::VirtualFree(memory_, mapped_);
    memory_ = nullptr;
    mapped_ = 0;
    locked_ = 0;
    return false;
  }
  PutState(0, start_);
  return true;
}

size_t TKeystreamStore::LockFor(size_t end) {
  const size_t states = StateCount(capacity_) * sizeof(TKeyState);
  const size_t need = std::min(mapped_, states + end);
  while (!lockRefused_ && locked_ < need) {
    const size_t upTo = std::min(mapped_, locked_ + LockStep);
    if (!platform::VirtualLock(memory_ + locked_, upTo - locked_)) {
      lockRefused_ = true;
      break;
    }
    locked_ = upTo;
  }
  return locked_ > states ? locked_ - states : 0;
}

void TKeystreamStore::Begin(const TKeyState& key) {
  if (active_ && key == start_) {
    position_ = 0;
    return;
  }
  Wipe();
  active_ = true;
  start_ = key;
  frontier_ = key;
}

size_t TKeystreamStore::Extend(size_t end) {
  end = std::min(end, capacity_);
  if (end <= kept_ || !Reserve()) return 0;
  // Keystream is kept only in locked memory; beyond it the cipher runs on.
  end = std::min(end, LockFor(end));
  if (end <= kept_) return 0;
  const size_t from = kept_;
  uint8_t* bytes = memory_ + StateCount(capacity_) * sizeof(TKeyState);
  while (kept_ < end) {
    // Up to the next interval, whose state is kept.
    const size_t stop = std::min(end, (kept_ / StateInterval + 1) * StateInterval);
    std::memset(bytes + kept_, 0, stop - kept_);
    frontier_.EncipherBlock(bytes + kept_, stop - kept_);  // of zeros: the keystream
    kept_ = stop;
    if (kept_ % StateInterval == 0) PutState(kept_ / StateInterval, frontier_);
  }
  return kept_ - from;
}

// A state it has to stir for is kept as a mark, so the next file of that
// length needs none.
bool TKeystreamStore::SyncKey(TKeyState& key, size_t& budget) {
  // Past what is kept the cipher has run on `key` itself.
  if (!active_ || position_ > kept_) return true;
  if (position_ == kept_) {
    key = frontier_;
    return true;
  }
  size_t from = position_ / StateInterval * StateInterval;
  GetState(position_ / StateInterval, key);
  // The state at the end of an earlier file between the checkpoint and
  // the position shortens the way (or is the state wanted), and so does
  // where an earlier call stopped.
  const auto next = std::upper_bound(marks_.begin(), marks_.end(), position_,
                                     [](size_t at, const TMark& m) { return at < m.Position; });
  if (next != marks_.begin() && std::prev(next)->Position >= from) {
    from = std::prev(next)->Position;
    key = std::prev(next)->State;
  }
  if (pending_.Position != NoPosition && pending_.Position >= from &&
      pending_.Position <= position_) {
    from = pending_.Position;
    key = pending_.State;
  }
  const size_t rest = position_ - from;
  if (rest == 0) return true;
  // Stirring on from there: the cipher over zeros moves the state the same way.
  const size_t now = std::min(rest, budget);
  uint8_t zeros[512];
  for (size_t done = 0; done < now;) {
    const size_t n = std::min(now - done, sizeof zeros);
    std::memset(zeros, 0, n);
    key.EncipherBlock(zeros, n);
    done += n;
  }
  explicit_bzero(zeros, sizeof zeros);
  budget -= now;
  if (now < rest) {
    pending_ = TMark{from + now, key};
    return false;
  }
  explicit_bzero(&pending_.State, sizeof pending_.State);
  pending_.Position = NoPosition;
  if (marks_.size() < MarkCapacity) {
    const auto at = next - marks_.begin();
    // Reserved once, so that no copy of a state is left behind by a move.
    if (marks_.capacity() < MarkCapacity) marks_.reserve(MarkCapacity);
    marks_.insert(marks_.begin() + at, TMark{position_, key});
  }
  return true;
}

template <bool Decipher>
size_t TKeystreamStore::Apply(TKeyState& key, uint8_t* data, size_t length, size_t& budget) {
  const auto direct = [&](size_t done) {
    const size_t count = std::min(length - done, budget);
    Decipher ? key.DecipherBlock(data + done, count) : key.EncipherBlock(data + done, count);
    budget -= count;
    position_ += count;
    return count;
  };
  size_t done = 0;
  while (done < length) {
    if (!active_ || position_ > kept_) {
      // Past what can be kept: the key state is that of position_ already.
      const size_t count = direct(done);
      if (count == 0) break;
      done += count;
    } else if (position_ < kept_) {
      const size_t count = std::min(kept_ - position_, length - done);
      const uint8_t* stream = memory_ + StateCount(capacity_) * sizeof(TKeyState) + position_;
      uint8_t* at = data + done;
      for (size_t i = 0; i < count; ++i) {
        at[i] = static_cast<uint8_t>(Decipher ? at[i] - stream[i] : at[i] + stream[i]);
      }
      position_ += count;
      done += count;
    } else if (budget == 0) {
      break;
    } else if (const size_t grown = Extend(position_ + std::min(length - done, budget));
               grown > 0) {
      budget -= grown;
    } else {
      // The store is full (or could not be had): on from its end directly.
      key = frontier_;
      done += direct(done);
    }
  }
  return done;
}

size_t TKeystreamStore::Encipher(TKeyState& key, uint8_t* data, size_t length) {
  size_t budget = NoPosition;
  Apply<false>(key, data, length, budget);
  SyncKey(key, budget);
  return NoPosition - budget;
}

size_t TKeystreamStore::Decipher(TKeyState& key, uint8_t* data, size_t length) {
  size_t budget = NoPosition;
  Apply<true>(key, data, length, budget);
  SyncKey(key, budget);
  return NoPosition - budget;
}

size_t TKeystreamStore::EncipherSome(TKeyState& key, uint8_t* data, size_t length, size_t& budget) {
  return Apply<false>(key, data, length, budget);
}

size_t TKeystreamStore::DecipherSome(TKeyState& key, uint8_t* data, size_t length, size_t& budget) {
  return Apply<true>(key, data, length, budget);
}

void TKeystreamStore::WipeStates() {
  // What was written: the states up to the last interval reached.
  if (memory_ != nullptr && !statesWiped_) {
    const size_t states = StateCount(capacity_) * sizeof(TKeyState);
    explicit_bzero(memory_, std::min(states, (kept_ / StateInterval + 1) * sizeof(TKeyState)));
  }
  statesWiped_ = true;
  if (marks_.capacity() > 0) explicit_bzero(marks_.data(), marks_.capacity() * sizeof(TMark));
  std::vector<TMark>().swap(marks_);
  explicit_bzero(&start_, sizeof start_);
  explicit_bzero(&frontier_, sizeof frontier_);
  explicit_bzero(&pending_.State, sizeof pending_.State);
  pending_.Position = NoPosition;
  position_ = 0;
  active_ = false;
}

bool TKeystreamStore::WipeSome(size_t bytes) {
  if (memory_ == nullptr || kept_ <= bytes) {
    Wipe();
    return true;
  }
  WipeStates();
  const size_t states = StateCount(capacity_) * sizeof(TKeyState);
  explicit_bzero(memory_ + states + kept_ - bytes, bytes);
  kept_ -= bytes;
  // Letting go of a large locked block takes about as long as overwriting
  // it: the pages past what is left go now.
  const size_t keep = (states + kept_ + LockStep - 1) / LockStep * LockStep;
  if (keep < mapped_) {
    platform::VirtualFree(memory_ + keep, mapped_ - keep);
    mapped_ = keep;
    locked_ = std::min(locked_, keep);
  }
  return false;
}

void TKeystreamStore::Wipe() {
  WipeStates();
  if (memory_ != nullptr) {
    // And the keystream bytes (what a WipeSome has not had yet).
    const size_t states = StateCount(capacity_) * sizeof(TKeyState);
    explicit_bzero(memory_ + states, kept_);
    platform::VirtualFree(memory_, mapped_);
    memory_ = nullptr;
  }
  statesWiped_ = false;
  mapped_ = 0;
  locked_ = 0;
  lockRefused_ = false;
  kept_ = 0;
}

}  // namespace vek
