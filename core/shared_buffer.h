#pragma once
// Position-addressed access to the work buffers: the settings record is
// built and taken apart through these, and the file examination reads an
// encrypted file's header fields with them.
//
// Positions count from 1. Numbers are stored high byte first; a boolean is
// 0xFF or 0x00 and any non-zero byte reads as true; a string is a length
// byte followed by that many characters, with no padding (the bytes after
// it keep whatever they held).
//
// Every access is bound-checked: a position outside the buffer raises
// RangeError, for reads and writes alike, and a write that does not fit
// changes nothing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vek {

// A position outside the buffer.
class RangeError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

// Reads values out of a run of bytes, positions 1..Size().
class TBufferReader {
 public:
  explicit TBufferReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  int Size() const { return static_cast<int>(bytes_.size()); }

  uint8_t GetByte(int position) const;
  bool GetBool(int position) const;
  uint16_t GetWord(int position) const;
  int32_t GetDWord(int position) const;
  // High dword times 2^32 plus the low dword taken unsigned.
  int64_t GetQWord(int position) const;
  // The length byte at `position`, then that many characters.
  std::string GetString(int position) const;

 protected:
  // Index of `position` in the bytes, after checking that `count` bytes
  // from there lie inside them.
  size_t IndexOf(int position, int count) const;

 private:
  std::span<const uint8_t> bytes_;
};

// Reads and writes a run of bytes, positions 1..Size().
class TBufferView : public TBufferReader {
 public:
  explicit TBufferView(std::span<uint8_t> bytes) : TBufferReader(bytes), bytes_(bytes) {}

  void PutByte(int position, uint8_t value);
  void PutBool(int position, bool value);
  void PutWord(int position, uint16_t value);
  void PutDWord(int position, int32_t value);
  // Length byte, then the characters; a text longer than 255 bytes is cut
  // to 255 (see CutLength).
  void PutString(int position, std::string_view text);

 private:
  std::span<uint8_t> bytes_;
};

// The same operations on SharedBuffer (core/state.h), positions 1..8192.
void PutByte(int position, uint8_t value);
void PutBool(int position, bool value);
void PutWord(int position, uint16_t value);
void PutDWord(int position, int32_t value);
void PutString(int position, std::string_view text);
uint8_t GetByte(int position);
bool GetBool(int position);
uint16_t GetWord(int position);
int32_t GetDWord(int position);
int64_t GetQWord(int position);
std::string GetString(int position);

}  // namespace vek
