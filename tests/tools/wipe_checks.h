#pragma once
// What the exit wipe leaves: texts of NULs, fixed-capacity strings filled
// with NULs, plain values zero in every byte.

#include <algorithm>
#include <string>
#include <type_traits>

#include "core/state.h"

namespace wipetest {

inline bool IsNul(const std::string& text, size_t length) {
  return text == std::string(length, '\0');
}
template <size_t N>
bool IsNul(const vek::TShortString<N>& text) {
  return text.Length == N && std::all_of(text.Chars, text.Chars + N, [](char c) { return c == 0; });
}
inline bool IsNul(const vek::TEmbeddedData& o) {
  return IsNul(o.OwnerFirstName) && IsNul(o.OwnerLastName) && IsNul(o.OwnerCompany) &&
         IsNul(o.OwnerLocation) && IsNul(o.OwnerEmail) && IsNul(o.InfoLines[0]) &&
         IsNul(o.InfoLines[1]) && IsNul(o.InfoLines[2]);
}
template <class T>
bool IsZero(const T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
  return std::all_of(bytes, bytes + sizeof value, [](unsigned char b) { return b == 0; });
}
// A job entry's field as the wipe leaves it.
template <class T>
bool IsWiped(const T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    return IsNul(value, 255);
  } else if constexpr (std::is_same_v<T, vek::TEmbeddedData>) {
    return IsNul(value);
  } else {
    return IsZero(value);
  }
}

}  // namespace wipetest
