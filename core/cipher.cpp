#include "core/cipher.h"

namespace vek {

namespace {

constexpr unsigned IndexMask = KeyStateSize - 1;

uint8_t Byte(unsigned value) {
  return static_cast<uint8_t>(value);
}

// sums[k] := State[0] + ... + State[k - 1], k = 0..128 (mod 256).
void SumPrefixes(const TKeyState& key, uint8_t* sums) {
  sums[0] = 0;
  for (unsigned k = 0; k < KeyStateSize; ++k) sums[k + 1] = Byte(sums[k] + key.State[k]);
}

// One stirring pass.
//
// The pass, written out plainly, is: for each position p, add S[p] to the
// accumulator A, take n := A, then n times do A := S[I] + A + c with c
// counting 1, 2, ..., n while I steps on circularly; finally S[p] := A.
// That is about 16,000 inner steps per byte. The state does not change
// during the inner loop, so the n steps together add the sum of the n
// state bytes from I on (wrapping at 128) plus 1 + 2 + ... + n = n(n+1)/2,
// and move I on by n. With prefix sums of the state each position costs a
// few operations.
//
// The prefix sums must follow the state as the pass rewrites it: positions
// below p already hold their new values, the rest still hold the values
// from the start of the pass. `sums` is kept in place: entries 0..p are the
// sums over the rewritten state, entries above p the sums from the start
// of the pass, which differ from the current ones by `shift`, the change of
// the rewritten bytes. When the pass ends every entry is current, ready for
// the next pass. All sums are modulo 256; unsigned wrap-around keeps that.
void Stir(TKeyState& key, uint8_t* sums) {
  unsigned a = key.Accumulator;
  unsigned index = key.Index;
  unsigned shift = 0;
  for (unsigned p = 0; p < KeyStateSize; ++p) {
    // Current sum of the first k bytes, k = 0..128. No branch: which side
    // of p a position lies on is random.
    const auto prefix = [&](unsigned k) -> unsigned {
      return sums[k] + (shift & (0u - static_cast<unsigned>(k > p)));
    };
    const unsigned total = prefix(KeyStateSize);

    a = Byte(a + key.State[p]);
    const unsigned n = a;
    // The run covers positions index .. index + n - 1 (n <= 255): it wraps
    // past 127 (end >> 7) times and stops just before the new index.
    const unsigned end = index + n;
    const unsigned next = end & IndexMask;
    const unsigned run = (end >> 7) * total + prefix(next) - prefix(index);
    a = Byte(n + run + ((n * (n + 1)) >> 1));
    index = next;

    key.State[p] = Byte(a);
    const unsigned rewritten = Byte(sums[p] + a);
    shift = rewritten - sums[p + 1];
    sums[p + 1] = Byte(rewritten);
  }
  key.Accumulator = Byte(a);
  key.Index = Byte(index);
}

// Every form of the cipher: before each byte a stirring pass, then the state
// byte under the index added to it (or, deciphering, subtracted). The prefix
// sums are carried from one pass to the next.
template <bool Decipher>
void CipherBytes(TKeyState& key, uint8_t* data, size_t length) {
  uint8_t sums[KeyStateSize + 1];
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
  uint8_t sums[KeyStateSize + 1];
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
  for (size_t p = 0; p < KeyStateSize; ++p) {
    const uint8_t previous = State[p];
    State[p] = EncipherByte(previous);
  }
}

void TKeyState::SetKey(std::string_view key) {
  ClearKeyState();
  // Callers never pass an empty text; should one arrive, the state stays clear.
  if (!key.empty()) {
    for (size_t i = 0; i < KeyStateSize; ++i) State[i] = static_cast<uint8_t>(key[i % key.size()]);
  }
  ResetKeyStream();
  PremixKeyState();
}

void TKeyState::EncipherBlock(uint8_t* data, size_t length) {
  CipherBytes<false>(*this, data, length);
}

void TKeyState::DecipherBlock(uint8_t* data, size_t length) {
  CipherBytes<true>(*this, data, length);
}

}  // namespace vek
