#pragma once
// The installer file: the installer's own program image, then the payload
// files back to back with nothing between them, then a 4-byte trailer that
// holds the signed 32-bit sum of every byte before it, low byte first.
//
// Names and sizes of the payload files are known only from the table
// compiled into the installer; the build appends exactly those files.
// Shared by the installer and the build tool that packs it (no windows here).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vek::installer {

inline constexpr size_t PayloadFileCount = 3;
inline constexpr size_t PayloadNameCapacity = 12;
inline constexpr size_t TrailerSize = 4;
// Bytes read (and copied) at a time, so that the pages repaint between chunks.
inline constexpr size_t ChunkSize = 1024;

// The names the installed files go by (payload files 1 to 3).
inline constexpr std::string_view ProgramFileName = "VEK 2003.exe";
inline constexpr std::string_view ReadmeFileName = "README.txt";
inline constexpr std::string_view IconFileName = "VEK 2003.ico";

struct TPayloadEntry {
  std::string_view Name;  // at most PayloadNameCapacity characters
  int32_t Size = 0;
};
using TPayloadTable = std::array<TPayloadEntry, PayloadFileCount>;
using TTrailer = std::array<uint8_t, TrailerSize>;

// The table the build compiled in, sized from the very files it appends.
const TPayloadTable& ShippedPayloadTable();

// The sum of the table's sizes, or nothing when it leaves the signed 32-bit range.
constexpr std::optional<int32_t> PayloadTableTotal(const TPayloadTable& table) {
  int32_t total = 0;
  for (const TPayloadEntry& entry : table) {
    if (__builtin_add_overflow(total, entry.Size, &total)) return std::nullopt;
  }
  return total;
}

// Adds every byte (0..255) to `sum`. False when the sum would leave the
// signed 32-bit range; `sum` then holds what was added before that byte.
bool AddByteSum(int32_t& sum, const uint8_t* bytes, size_t count);

// The trailer read as a signed little-endian value (a top byte of 0x80 or
// more gives a negative value), and the trailer that stores `sum`.
int32_t TrailerValue(const TTrailer& trailer);
TTrailer TrailerOf(int32_t sum);

}  // namespace vek::installer
