// Where the ELF image inside an executable file ends, read from its headers.
// Anything appended after that end (the installer's payload) is not part of it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/system.h"

namespace platform {
namespace {

constexpr uint32_t kSectionNoBits = 8;  // SHT_NOBITS: occupies no file space
constexpr uint32_t kSectionNull = 0;
constexpr uint32_t kSegmentLoad = 1;  // PT_LOAD

// Reads little-endian fields at fixed offsets of an open file.
class ElfReader {
 public:
  explicit ElfReader(int fd) : fd_(fd) {}
  bool Read(uint64_t offset, void* out, size_t size) const {
    return ::pread(fd_, out, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
  }
  std::optional<uint64_t> Field(uint64_t offset, size_t size) const {
    unsigned char bytes[8] = {};
    if (size > sizeof bytes || !Read(offset, bytes, size)) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = size; i-- > 0;) value = (value << 8) | bytes[i];
    return value;
  }

 private:
  int fd_;
};

// Field offsets and sizes of the two ELF classes.
struct ElfLayout {
  uint64_t HeaderSize;
  uint64_t PhOff, ShOff, PhEntSize, PhNum, ShEntSize, ShNum;
  size_t AddressSize;
  uint64_t PType, POffset, PFileSize;
  uint64_t ShType, ShOffset, ShSize;
  uint64_t PhEntMin, ShEntMin;  // the size of a whole entry
};

constexpr ElfLayout kElf32{52, 28, 32, 42, 44, 46, 48, 4, 0, 4, 16, 4, 16, 20, 32, 40};
constexpr ElfLayout kElf64{64, 32, 40, 54, 56, 58, 60, 8, 0, 8, 32, 4, 24, 32, 56, 64};

// A table of `count` entries must hold whole entries and lie inside the
// file: a crafted count (the extended section count is a full word) would
// otherwise be read entry by entry for ever.
bool TableFits(uint64_t offset, uint64_t entrySize, uint64_t minEntry, uint64_t count,
               uint64_t fileSize) {
  uint64_t bytes = 0;
  uint64_t end = 0;
  return count == 0 ||
         (entrySize >= minEntry && !__builtin_mul_overflow(entrySize, count, &bytes) &&
          !__builtin_add_overflow(offset, bytes, &end) && end <= fileSize);
}

struct Extent {
  uint64_t End = 0;
  bool Valid = true;
  void Add(std::optional<uint64_t> offset, std::optional<uint64_t> size) {
    uint64_t end = 0;
    if (!offset || !size || __builtin_add_overflow(*offset, *size, &end)) {
      Valid = false;
      return;
    }
    End = std::max(End, end);
  }
};

std::optional<uint64_t> ImageEnd(const ElfReader& elf, const ElfLayout& l, uint64_t fileSize) {
  const auto phOff = elf.Field(l.PhOff, l.AddressSize);
  const auto shOff = elf.Field(l.ShOff, l.AddressSize);
  const auto phEntSize = elf.Field(l.PhEntSize, 2);
  const auto phNum = elf.Field(l.PhNum, 2);
  const auto shEntSize = elf.Field(l.ShEntSize, 2);
  auto shNum = elf.Field(l.ShNum, 2);
  if (!phOff || !shOff || !phEntSize || !phNum || !shEntSize || !shNum) return std::nullopt;
  // With very many sections the count lives in the first section header's size.
  if (*shNum == 0 && *shOff != 0) shNum = elf.Field(*shOff + l.ShSize, l.AddressSize);
  if (!shNum) return std::nullopt;
  if (!TableFits(*phOff, *phEntSize, l.PhEntMin, *phNum, fileSize) ||
      (*shOff != 0 && !TableFits(*shOff, *shEntSize, l.ShEntMin, *shNum, fileSize))) {
    return std::nullopt;
  }

  Extent extent;
  extent.End = l.HeaderSize;
  for (uint64_t i = 0; i < *phNum; ++i) {
    const uint64_t entry = *phOff + i * *phEntSize;
    const auto type = elf.Field(entry + l.PType, 4);
    if (!type) return std::nullopt;
    if (*type == kSegmentLoad) {
      extent.Add(elf.Field(entry + l.POffset, l.AddressSize),
                 elf.Field(entry + l.PFileSize, l.AddressSize));
    }
  }
  if (*shOff != 0) {
    uint64_t tableBytes = 0;
    if (__builtin_mul_overflow(*shEntSize, *shNum, &tableBytes)) return std::nullopt;
    extent.Add(*shOff, tableBytes);
    for (uint64_t i = 0; i < *shNum; ++i) {
      const uint64_t entry = *shOff + i * *shEntSize;
      const auto type = elf.Field(entry + l.ShType, 4);
      if (!type) return std::nullopt;
      if (*type != kSectionNoBits && *type != kSectionNull) {
        extent.Add(elf.Field(entry + l.ShOffset, l.AddressSize),
                   elf.Field(entry + l.ShSize, l.AddressSize));
      }
    }
  }
  if (!extent.Valid) return std::nullopt;
  return extent.End;
}

}  // namespace

std::optional<uint64_t> ElfImageEnd(std::string_view hostPath) {
  const int fd = ::open(std::string(hostPath).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  const ElfReader elf(fd);
  unsigned char ident[6] = {};
  std::optional<uint64_t> end;
  const bool isElf = elf.Read(0, ident, sizeof ident) && std::memcmp(ident,
                                                                     "\x7f"
                                                                     "ELF",
                                                                     4) == 0;
  constexpr unsigned char kLittleEndian = 1;
  struct stat st {};
  const bool sized = ::fstat(fd, &st) == 0;
  if (sized && isElf && ident[5] == kLittleEndian && (ident[4] == 1 || ident[4] == 2)) {
    end = ImageEnd(elf, ident[4] == 1 ? kElf32 : kElf64, static_cast<uint64_t>(st.st_size));
  }
  if (end && *end > static_cast<uint64_t>(st.st_size)) end.reset();
  ::close(fd);
  return end;
}

}  // namespace platform
