#include "memory_scan.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vektest {
namespace {

constexpr size_t AreaSize = size_t{8} << 20;
constexpr size_t ReadSize = size_t{4} << 20;  // the read buffer, at the area's end
constexpr size_t MaxSecret = 512;
constexpr size_t HashBits = 16;

uint32_t HashOf(uint64_t word) {
  return static_cast<uint32_t>((word * 0x9E3779B97F4A7C15ull) >> (64 - HashBits));
}

uint64_t WordAt(const uint8_t* at) {
  uint64_t word = 0;
  memcpy(&word, at, sizeof word);
  return word;
}

}  // namespace

TMemoryScan::TMemoryScan()
    : buckets_(size_t{1} << HashBits), filter_((size_t{1} << HashBits) / 64) {
  void* at = ::mmap(nullptr, AreaSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (at == MAP_FAILED) std::abort();
  area_ = static_cast<uint8_t*>(at);
}

TMemoryScan::~TMemoryScan() {
  explicit_bzero(area_, AreaSize);
  ::munmap(area_, AreaSize);
}

uint8_t* TMemoryScan::Room(size_t size) {
  if (used_ + size > AreaSize - ReadSize) std::abort();
  uint8_t* at = area_ + used_;
  used_ += size;
  return at;
}

void TMemoryScan::Add(const uint8_t* bytes, size_t size, std::string what) {
  if (size < 8 || size > MaxSecret || bytes < area_ || bytes + size > area_ + used_) std::abort();
  const uint32_t h = HashOf(WordAt(bytes));
  buckets_[h].push_back(static_cast<uint32_t>(secrets_.size()));
  filter_[h / 64] |= uint64_t{1} << (h % 64);
  secrets_.push_back({bytes, size, std::move(what)});
}

std::vector<TMemoryFinding> TMemoryScan::Scan(pid_t pid, std::string* error) const {
  const std::string proc = pid == 0 ? "/proc/self" : "/proc/" + std::to_string(pid);
  std::vector<TMemoryFinding> findings;
  const int mem = ::open((proc + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
  if (mem < 0) {
    if (error != nullptr) *error = proc + "/mem: " + strerror(errno);
    return findings;
  }
  std::ifstream maps(proc + "/maps");
  std::string line;
  uint8_t* const buffer = area_ + AreaSize - ReadSize;
  const auto areaStart = reinterpret_cast<uintptr_t>(area_);
  while (std::getline(maps, line)) {
    uintptr_t start = 0;
    uintptr_t end = 0;
    char perms[8] = {};
    if (std::sscanf(line.c_str(), "%lx-%lx %7s", &start, &end, perms) != 3) continue;
    if (perms[1] != 'w') continue;
    // The name past the permissions, offset, device and inode.
    std::istringstream fields(line);
    std::string skip;
    for (int i = 0; i < 5; ++i) fields >> skip;
    std::string name;
    std::getline(fields >> std::ws, name);
    const std::string mapping = std::string(perms) + " " + (name.empty() ? "(anonymous)" : name);
    // The scan's own area may share its mapping with a neighbour: only the
    // area is left out.
    std::vector<std::pair<uintptr_t, uintptr_t>> ranges = {{start, end}};
    if (pid == 0 && start < areaStart + AreaSize && areaStart < end) {
      ranges = {{start, std::max(start, areaStart)}, {std::min(end, areaStart + AreaSize), end}};
    }
    for (const auto& [from, to] : ranges) ScanRange(mem, from, to, mapping, buffer, findings);
  }
  explicit_bzero(buffer, ReadSize);
  ::close(mem);
  return findings;
}

void TMemoryScan::ScanRange(int mem, uintptr_t start, uintptr_t end, const std::string& mapping,
                            uint8_t* buffer, std::vector<TMemoryFinding>& findings) const {
  for (uintptr_t at = start; at < end;) {
    const size_t want = std::min<uintptr_t>(ReadSize, end - at);
    const ssize_t got = ::pread(mem, buffer, want, static_cast<off_t>(at));
    if (got <= 0) {
      at += 4096;  // a page that cannot be read
      continue;
    }
    const auto n = static_cast<size_t>(got);
    for (size_t i = 0; i + 8 <= n; ++i) {
      const uint32_t h = HashOf(WordAt(buffer + i));
      if ((filter_[h / 64] & (uint64_t{1} << (h % 64))) == 0) continue;
      for (const uint32_t s : buckets_[h]) {
        const TSecret& secret = secrets_[s];
        if (i + secret.Size <= n && memcmp(buffer + i, secret.Bytes, secret.Size) == 0) {
          findings.push_back({mapping, at + i, secret.What});
        }
      }
    }
    // The next read starts early enough to see a secret cut at this one's end.
    at += n < want || n <= MaxSecret ? n : n - MaxSecret + 1;
  }
}

bool FreedBlocksAreOverwritten() {
  Dl_info freeIn{};
  Dl_info here{};
  void* const free = dlsym(RTLD_DEFAULT, "free");
  return dladdr(free, &freeIn) != 0 &&
         dladdr(reinterpret_cast<void*>(&FreedBlocksAreOverwritten), &here) != 0 &&
         freeIn.dli_fbase == here.dli_fbase;
}

std::string Describe(const std::vector<TMemoryFinding>& findings, size_t most) {
  // Overlapping runs of one copy come one after another: a line a copy.
  std::ostringstream text;
  size_t lines = 0;
  for (size_t i = 0; i < findings.size();) {
    size_t last = i;
    while (last + 1 < findings.size() && findings[last + 1].Mapping == findings[i].Mapping &&
           findings[last + 1].Address - findings[last].Address < 64) {
      ++last;
    }
    if (lines++ < most) {
      text << "  " << findings[i].What << " at 0x" << std::hex << findings[i].Address << std::dec
           << " in " << findings[i].Mapping;
      if (last > i)
        text << " (and " << last - i << " more runs up to " << findings[last].What << ")";
      text << "\n";
    }
    i = last + 1;
  }
  if (lines > most) text << "  ... " << lines - most << " more copies\n";
  return text.str();
}

}  // namespace vektest
