#include "core/cipher_reference.h"

namespace vek::reference {

void StirKeyState(TKeyState& key) {
  for (size_t p = 0; p < KeyStateSize; ++p) {
    key.Accumulator = static_cast<uint8_t>(key.Accumulator + key.State[p]);
    const unsigned n = key.Accumulator;
    for (unsigned c = 1; c <= n; ++c) {
      key.Accumulator = static_cast<uint8_t>(key.State[key.Index] + key.Accumulator + c);
      key.Index = static_cast<uint8_t>((key.Index + 1) % KeyStateSize);
    }
    key.State[p] = key.Accumulator;
  }
}

uint8_t EncipherByte(TKeyState& key, uint8_t value) {
  StirKeyState(key);
  return static_cast<uint8_t>(value + key.State[key.Index]);
}

uint8_t DecipherByte(TKeyState& key, uint8_t value) {
  StirKeyState(key);
  return static_cast<uint8_t>(value - key.State[key.Index]);
}

void PremixKeyState(TKeyState& key) {
  for (size_t p = 0; p < KeyStateSize; ++p) {
    const uint8_t previous = key.State[p];
    key.State[p] = EncipherByte(key, previous);
  }
}

void SetKey(TKeyState& key, std::string_view text) {
  for (uint8_t& b : key.State) b = 0;
  size_t j = 0;
  for (size_t i = 0; i < KeyStateSize; ++i) {
    key.State[i] = static_cast<uint8_t>(text[j]);
    j = j + 1 == text.size() ? 0 : j + 1;
  }
  key.Index = 0;
  key.Accumulator = key.State[0];
  PremixKeyState(key);
}

void EncipherBlock(TKeyState& key, uint8_t* data, size_t length) {
  for (size_t i = 0; i < length; ++i) data[i] = EncipherByte(key, data[i]);
}

void DecipherBlock(TKeyState& key, uint8_t* data, size_t length) {
  for (size_t i = 0; i < length; ++i) data[i] = DecipherByte(key, data[i]);
}

}  // namespace vek::reference
