#pragma once
// Overwrites that the compiler may not drop: the exit wipe's tools for
// texts, fixed-capacity strings and plain values.

#include <string.h>  // explicit_bzero

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "core/short_string.h"

namespace vek {

// Every byte of the text's buffer, spare capacity included, overwritten
// with NULs where it lies; the text keeps that many NULs.
inline void OverwriteInPlace(std::string& text) {
  text.resize(text.capacity());
  explicit_bzero(text.data(), text.size());
}

// Overwritten in place, then n NUL characters.
inline void ReplaceWithNul(std::string& text, size_t n) {
  OverwriteInPlace(text);
  text.assign(n, '\0');
}

// Filled with NULs up to its capacity.
template <size_t N>
void FillWithNul(TShortString<N>& text) {
  explicit_bzero(text.Chars, N);
  text.Length = static_cast<uint8_t>(N);
}

// A number, flag, date-time record or byte array: every byte 0.
template <class T>
void ZeroInPlace(T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  explicit_bzero(&value, sizeof value);
}

}  // namespace vek
