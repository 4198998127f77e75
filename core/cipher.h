#pragma once
// The program's byte-wise keystream cipher over a 128-byte key state.
//
// A key text fills the state (repeated to 128 bytes) and premixes it; every
// data byte then costs one stirring pass over the whole state, after which
// the byte is enciphered by adding (or deciphered by subtracting) the state
// byte under the index. The keystream does not depend on the data, so after
// n bytes the state depends only on the key text and n: the state after the
// last data byte doubles as the key-check block of an encrypted file.
//
// There is one program-wide instance, `KeyState` (core/state.h). A caller
// sets the key right before its run of bytes; no two runs interleave.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vek {

inline constexpr size_t KeyStateSize = 128;

struct TKeyState {
  uint8_t State[KeyStateSize] = {};
  uint8_t Accumulator = 0;
  uint8_t Index = 0;  // always 0..127

  // State bytes := 0; accumulator and index stay.
  void ClearKeyState();
  // Index := 0, accumulator := state byte 0.
  void ResetKeyStream();
  // One stirring pass; runs before every data byte.
  void StirKeyState();
  uint8_t EncipherByte(uint8_t value);
  uint8_t DecipherByte(uint8_t value);
  // Replaces every state byte, in order, by the encipherment of itself.
  void PremixKeyState();
  // The same for the state bytes from..to-1 only: the premix in slices.
  void PremixKeyState(size_t from, size_t to);
  // Clear, fill from the key text (8-bit characters, repeated to 128 bytes;
  // characters after the 128th are unused), reset, premix. The text must not
  // be empty.
  void SetKey(std::string_view key);
  // SetKey without its premix, for a caller that premixes in slices.
  void FillKey(std::string_view key);
  // EncipherByte / DecipherByte over a buffer, in place, in buffer order.
  void EncipherBlock(uint8_t* data, size_t length);
  void DecipherBlock(uint8_t* data, size_t length);

  friend bool operator==(const TKeyState&, const TKeyState&) = default;
};

}  // namespace vek
