#pragma once
// The keystream cipher written out literally, step by step, with no
// shortcut. Slow (about 16,000 inner steps a byte); it exists only as the
// oracle that the tests and the benchmark hold the production cipher
// (core/cipher.h) against. The program never links it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/cipher.h"

namespace vek::reference {

void StirKeyState(TKeyState& key);
uint8_t EncipherByte(TKeyState& key, uint8_t value);
uint8_t DecipherByte(TKeyState& key, uint8_t value);
void PremixKeyState(TKeyState& key);
void SetKey(TKeyState& key, std::string_view text);
void EncipherBlock(TKeyState& key, uint8_t* data, size_t length);
void DecipherBlock(TKeyState& key, uint8_t* data, size_t length);

}  // namespace vek::reference
