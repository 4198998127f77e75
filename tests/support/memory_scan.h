#pragma once
// Reads every writable mapping of a process (heap, anonymous mappings, the
// threads' stacks, the programs' data) for secrets, through
// /proc/<pid>/mem. The secrets looked for, and the buffer the memory is read
// into, live in a mapping of their own that the scan of this process skips,
// so the test's own reference copy is never what it finds.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vektest {

struct TMemoryFinding {
  std::string Mapping;  // its line in the maps file, past the offset fields
  uintptr_t Address = 0;
  std::string What;  // the label given with the secret
};

class TMemoryScan {
 public:
  TMemoryScan();
  ~TMemoryScan();
  TMemoryScan(const TMemoryScan&) = delete;
  TMemoryScan& operator=(const TMemoryScan&) = delete;

  // Room for `size` bytes inside the skipped mapping, to build a secret in
  // (it stays there until the scan goes, overwritten then).
  uint8_t* Room(size_t size);
  // Looks for these bytes (8 to 512 of them, already in Room()).
  void Add(const uint8_t* bytes, size_t size, std::string what);

  // Every place a secret was found in process `pid` (0: this one). Where
  // mapping cannot be read, `error` says why.
  std::vector<TMemoryFinding> Scan(pid_t pid, std::string* error = nullptr) const;

 private:
  struct TSecret {
    const uint8_t* Bytes;
    size_t Size;
    std::string What;
  };
  void ScanRange(int mem, uintptr_t start, uintptr_t end, const std::string& mapping,
                 uint8_t* buffer, std::vector<TMemoryFinding>& findings) const;

  uint8_t* area_ = nullptr;
  size_t used_ = 0;
  std::vector<TSecret> secrets_;
  std::vector<std::vector<uint32_t>> buckets_;  // by a hash of the first 8 bytes
  std::vector<uint64_t> filter_;                // which buckets hold any
};

// Whether free() of this process is the programs' own, which overwrites
// each block (sanitizer builds bring their allocator in its place).
bool FreedBlocksAreOverwritten();

// Readable lines of findings, one a line, for a failure message.
std::string Describe(const std::vector<TMemoryFinding>& findings, size_t most = 40);

}  // namespace vektest
