#pragma once
// Fixed-capacity texts: owner data, option texts and the like are stored cut
// to their field's width, never longer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vek {

// How many leading bytes of `text` fit into `width`: all of them when the
// text is short enough, else `width`, moved back to the start of a
// character when the text is valid UTF-8 so that no character is split.
// Other 8-bit texts are cut at exactly `width` bytes.
size_t CutLength(std::string_view text, size_t width);
// `text` cut to at most `width` bytes (see CutLength).
std::string CutToWidth(std::string_view text, size_t width);

// A length-prefixed text of at most N bytes kept in place (no allocation).
template <size_t N>
struct TShortString {
  static_assert(N > 0 && N <= 255, "the length is one byte");
  static constexpr size_t Capacity = N;

  uint8_t Length = 0;
  char Chars[N] = {};

  // Stores `text`, cut to the capacity. The bytes after the text keep what
  // they held; Text() never shows them.
  void Assign(std::string_view text) {
    const size_t length = CutLength(text, N);
    std::memmove(Chars, text.data(), length);  // the text may be our own
    Length = static_cast<uint8_t>(length);
  }
  std::string_view Text() const { return {Chars, Length}; }
  bool Empty() const { return Length == 0; }
  // Length 0 and every byte 0.
  void Clear() { *this = TShortString{}; }
  // The wipe: the whole capacity overwritten with NUL characters, which are
  // then the text (N of them).
  void FillNul() {
    std::memset(Chars, 0, N);
    Length = static_cast<uint8_t>(N);
  }

  friend bool operator==(const TShortString& a, const TShortString& b) {
    return a.Text() == b.Text();
  }
};

}  // namespace vek
