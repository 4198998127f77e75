// What overwriting every freed heap block costs: the allocation pattern of
// a text toolkit (many small blocks of mixed sizes, strings that grow a
// character at a time through realloc, a few large buffers), timed on the
// real clock. Built twice, with the programs' allocator entries
// (vek_bench_heap) and with the C library's alone (vek_bench_heap_plain):
// compare the two on the same machine at the same time.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace {

void Touch(void* at) {
  asm volatile("" : : "r"(at) : "memory");
}

double Seconds(void (*work)()) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// 2 million blocks of 16 to 272 bytes, 64 alive at a time, each written.
void SmallBlocks() {
  void* live[64] = {};
  uint32_t seed = 1;
  for (int i = 0; i < 2000000; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const size_t slot = seed >> 26;
    free(live[slot]);
    const size_t size = 16 + ((seed >> 8) & 0xFF);
    live[slot] = malloc(size);
    memset(live[slot], 0x5A, size);
    Touch(live[slot]);
  }
  for (void* at : live) free(at);
}

// 20,000 texts grown from 1 to 128 UTF-16 units a unit at a time, by
// doubling (as the toolkit's strings grow) and by one unit.
void GrowingTexts() {
  for (int text = 0; text < 20000; ++text) {
    char16_t* units = nullptr;
    size_t room = 0;
    for (size_t length = 1; length <= 128; ++length) {
      const size_t want =
          text % 2 == 0 ? length : (length > room ? std::max<size_t>(8, 2 * room) : room);
      if (want != room) {
        units = static_cast<char16_t*>(realloc(units, want * sizeof(char16_t)));
        room = want;
      }
      units[length - 1] = static_cast<char16_t>(u'a' + length % 26);
      Touch(units);
    }
    free(units);
  }
}

// 2,000 buffers of 64 KiB, written and freed (below the mapping threshold).
void MediumBuffers() {
  for (int i = 0; i < 2000; ++i) {
    void* at = malloc(size_t{64} << 10);
    memset(at, 1, size_t{64} << 10);
    Touch(at);
    free(at);
  }
}

}  // namespace

int main() {
  struct TCase {
    const char* Name;
    void (*Work)();
  };
  for (const TCase& c : {TCase{"2,000,000 small blocks", SmallBlocks},
                         TCase{"20,000 texts grown to 128 units", GrowingTexts},
                         TCase{"2,000 buffers of 64 KiB", MediumBuffers}}) {
    double best = 1e9;
    for (int run = 0; run < 5; ++run) best = std::min(best, Seconds(c.Work));
    printf("%-34s best of 5: %.4f s\n", c.Name, best);
  }
  return 0;
}
