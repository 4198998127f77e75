// The reader of the program's own ELF file: any bytes as that file give an
// end or nothing, never a read outside the file's bytes; a file that is no
// 64-bit little-endian ELF image gives nothing.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "fuzz_support.h"
#include "platform/system.h"

using vekfuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vekfuzz::Drive().Place("image", std::span<const uint8_t>(data, size));
  const auto end = platform::ElfImageEnd(vekfuzz::Drive().HostPath("image").string());
  if (size < 4 || std::memcmp(data,
                              "\x7F"
                              "ELF",
                              4) != 0) {
    Check(!end.has_value(), "a file without the ELF mark has no image end");
  }
  return 0;
}
