#include "core/shared_buffer.h"

#include <algorithm>
#include <string>

#include "core/short_string.h"
#include "core/state.h"

namespace vek {

namespace {

constexpr size_t MaxStringLength = 255;

TBufferView Shared() {
  return TBufferView(SharedBuffer);
}

}  // namespace

// --- Reading ---------------------------------------------------------------------

size_t TBufferReader::IndexOf(int position, int count) const {
  // Position first, so that position + count cannot overflow.
  if (position < 1 || position > Size() || count > Size() - position + 1) {
    throw RangeError("buffer position " + std::to_string(position) + " (" + std::to_string(count) +
                     " bytes) outside 1.." + std::to_string(Size()));
  }
  return static_cast<size_t>(position - 1);
}

uint8_t TBufferReader::GetByte(int position) const {
  return bytes_[IndexOf(position, 1)];
}

bool TBufferReader::GetBool(int position) const {
  return GetByte(position) != 0;
}

uint16_t TBufferReader::GetWord(int position) const {
  const size_t i = IndexOf(position, 2);
  return static_cast<uint16_t>(bytes_[i] << 8 | bytes_[i + 1]);
}

int32_t TBufferReader::GetDWord(int position) const {
  IndexOf(position, 4);
  const uint32_t value = uint32_t{GetWord(position)} << 16 | GetWord(position + 2);
  return static_cast<int32_t>(value);
}

int64_t TBufferReader::GetQWord(int position) const {
  IndexOf(position, 8);
  const auto high = static_cast<uint64_t>(static_cast<uint32_t>(GetDWord(position)));
  const auto low = static_cast<uint64_t>(static_cast<uint32_t>(GetDWord(position + 4)));
  return static_cast<int64_t>(high << 32 | low);
}

std::string TBufferReader::GetString(int position) const {
  const uint8_t length = GetByte(position);
  if (length == 0) return {};
  const size_t first = IndexOf(position + 1, length);  // position + 1 is at most Size() + 1
  return std::string(reinterpret_cast<const char*>(bytes_.data() + first), length);
}

// --- Writing ---------------------------------------------------------------------

void TBufferView::PutByte(int position, uint8_t value) {
  bytes_[IndexOf(position, 1)] = value;
}

void TBufferView::PutBool(int position, bool value) {
  PutByte(position, value ? 0xFF : 0x00);
}

void TBufferView::PutWord(int position, uint16_t value) {
  const size_t i = IndexOf(position, 2);
  bytes_[i] = static_cast<uint8_t>(value >> 8);
  bytes_[i + 1] = static_cast<uint8_t>(value);
}

void TBufferView::PutDWord(int position, int32_t value) {
  IndexOf(position, 4);
  const auto bits = static_cast<uint32_t>(value);
  PutWord(position, static_cast<uint16_t>(bits >> 16));
  PutWord(position + 2, static_cast<uint16_t>(bits));
}

void TBufferView::PutString(int position, std::string_view text) {
  const size_t length = CutLength(text, MaxStringLength);
  const size_t i = IndexOf(position, static_cast<int>(length) + 1);
  bytes_[i] = static_cast<uint8_t>(length);
  std::copy_n(text.begin(), length, bytes_.begin() + static_cast<std::ptrdiff_t>(i + 1));
}

// --- SharedBuffer ----------------------------------------------------------------

void PutByte(int position, uint8_t value) {
  Shared().PutByte(position, value);
}
void PutBool(int position, bool value) {
  Shared().PutBool(position, value);
}
void PutWord(int position, uint16_t value) {
  Shared().PutWord(position, value);
}
void PutDWord(int position, int32_t value) {
  Shared().PutDWord(position, value);
}
void PutString(int position, std::string_view text) {
  Shared().PutString(position, text);
}
uint8_t GetByte(int position) {
  return Shared().GetByte(position);
}
bool GetBool(int position) {
  return Shared().GetBool(position);
}
uint16_t GetWord(int position) {
  return Shared().GetWord(position);
}
int32_t GetDWord(int position) {
  return Shared().GetDWord(position);
}
int64_t GetQWord(int position) {
  return Shared().GetQWord(position);
}
std::string GetString(int position) {
  return Shared().GetString(position);
}

}  // namespace vek
