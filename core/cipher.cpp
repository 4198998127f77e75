#include "core/cipher.h"

#include <algorithm>
#include <array>

namespace vek {

namespace {

constexpr unsigned StateSize = KeyStateSize;
constexpr unsigned IndexMask = StateSize - 1;
// The prefix table runs over the state three times: a run of up to 255
// steps from an index below 128 ends before position 383.
constexpr unsigned TableLength = 3 * StateSize;

constexpr uint8_t Byte(unsigned value) {
  return static_cast<uint8_t>(value);
}

// 1 + 2 + ... + n, modulo 256.
constexpr std::array<uint8_t, 256> MakeTriangles() {
  std::array<uint8_t, 256> t{};
  for (unsigned n = 0; n < 256; ++n) t[n] = Byte(n * (n + 1) / 2);
  return t;
}
constexpr std::array<uint8_t, 256> Triangles = MakeTriangles();

// sums[k] := the sum of the state bytes at positions 0 .. k - 1, taken
// circularly (position j is State[j mod 128]), k = 0 .. 383, modulo 256.
void SumPrefixes(const TKeyState& key, uint8_t* sums) {
  unsigned sum = 0;
  for (unsigned k = 0; k < TableLength; ++k) {
    sums[k] = Byte(sum);
    sum += key.State[k & IndexMask];
  }
}

// One stirring pass.
//
// The pass, written out plainly, is: for each position p, add S[p] to the
// accumulator A, take n := A, then n times do A := S[I] + A + c with c
// counting 1, 2, ..., n while I steps on circularly; finally S[p] := A.
// That is about 16,000 inner steps per byte. The state does not change
// during the inner loop, so the n steps together add the sum of the n
// state bytes from I on (wrapping at 128) plus 1 + 2 + ... + n, and move I
// on by n. With the prefix table over three lengths of the state that sum
// is sums[I + n] - sums[I]: no wrap to handle.
//
// The table must follow the state as the pass rewrites it, yet updating
// every entry after each rewritten byte would cost more than it saves. So
// the table holds the sums from the start of the pass, and `shift`, the
// change of the bytes rewritten so far, is added beside the load: an entry
// k counts ((k + 128 - p) >> 7) times the rewritten part of the state (the
// number of times the prefix up to k passes over position p). Only the
// entries of position p itself are brought up to date as it is rewritten,
// which keeps that count right for the positions behind p. After the pass
// the second and third copies take the whole change once and twice, and
// the table is current for the next pass. All sums are modulo 256;
// unsigned wrap-around keeps that.
void Stir(TKeyState& key, uint8_t* sums) {
  unsigned a = key.Accumulator;
  unsigned index = key.Index;
  unsigned shift = 0;
  for (unsigned p = 0; p < StateSize; ++p) {
    const unsigned before = key.State[p];
    const unsigned n = Byte(a + before);
    const unsigned end = index + n;
    // Everything but the load at `end` is ready early; the dependency from
    // one position to the next is add, load, add.
    const unsigned side = n + Triangles[n] - sums[index] - ((index + StateSize - p) >> 7) * shift;
    const unsigned correction = ((end + StateSize - p) >> 7) * shift;
    a = sums[end] + (side + correction);
    index = end & IndexMask;
    key.State[p] = Byte(a);
    for (unsigned copy = 0; copy < TableLength; copy += StateSize) {
      sums[p + copy] = Byte(sums[p + copy] + shift);
    }
    shift += a - before;
  }
  for (unsigned k = StateSize; k < 2 * StateSize; ++k) sums[k] = Byte(sums[k] + shift);
  for (unsigned k = 2 * StateSize; k < TableLength; ++k) sums[k] = Byte(sums[k] + 2 * shift);
  key.Accumulator = Byte(a);
  key.Index = Byte(index);
}

// Every form of the cipher: before each byte a stirring pass, then the state
// byte under the index added to it (or, deciphering, subtracted). The prefix
// table is carried from one pass to the next.
template <bool Decipher>
void CipherBytes(TKeyState& key, uint8_t* data, size_t length) {
  uint8_t sums[TableLength];
  SumPrefixes(key, sums);
  for (size_t i = 0; i < length; ++i) {
    Stir(key, sums);
    const uint8_t stream = key.State[key.Index];
    data[i] = Decipher ? Byte(data[i] - stream) : Byte(data[i] + stream);
  }
}

}  // namespace

void TKeyState::ClearKeyState() {
  for (uint8_t& b : State) b = 0;
}

void TKeyState::ResetKeyStream() {
  Index = 0;
  Accumulator = State[0];
}

void TKeyState::StirKeyState() {
  uint8_t sums[TableLength];
  SumPrefixes(*this, sums);
  Stir(*this, sums);
}

uint8_t TKeyState::EncipherByte(uint8_t value) {
  CipherBytes<false>(*this, &value, 1);
  return value;
}

uint8_t TKeyState::DecipherByte(uint8_t value) {
  CipherBytes<true>(*this, &value, 1);
  return value;
}

void TKeyState::PremixKeyState() {
  PremixKeyState(0, KeyStateSize);
}

void TKeyState::PremixKeyState(size_t from, size_t to) {
  for (size_t p = from; p < std::min(to, KeyStateSize); ++p) {
    const uint8_t previous = State[p];
    State[p] = EncipherByte(previous);
  }
}

void TKeyState::SetKey(std::string_view key) {
  FillKey(key);
  PremixKeyState();
}

void TKeyState::FillKey(std::string_view key) {
  ClearKeyState();
  // Callers never pass an empty text; should one arrive, the state stays clear.
  if (!key.empty()) {
    for (size_t i = 0; i < KeyStateSize; ++i) State[i] = static_cast<uint8_t>(key[i % key.size()]);
  }
  ResetKeyStream();
}

void TKeyState::EncipherBlock(uint8_t* data, size_t length) {
  CipherBytes<false>(*this, data, length);
}

void TKeyState::DecipherBlock(uint8_t* data, size_t length) {
  CipherBytes<true>(*this, data, length);
}

}  // namespace vek
