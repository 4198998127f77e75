// What the programs let go of is overwritten: every heap block as it is
// freed (the allocator entries of heap_wipe.cpp, linked into this test as
// into the programs), and the stack below a caller on request. Read from the
// process's own memory, not from what the code reports.

#include <gtest/gtest.h>
#include <malloc.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "memory_scan.h"
#include "platform/system.h"

namespace vektest {
namespace {

constexpr size_t MarkerSize = 32;

// Keeps the compiler from dropping stores to memory that is freed next.
void Touch(void* at) {
  asm volatile("" : : "r"(at) : "memory");
}

class MemoryWipeTest : public ::testing::Test {
 protected:
  // A marker, distinct per number, in the scan's own mapping.
  const uint8_t* Marker(int number) {
    uint8_t* const at = scan_.Room(MarkerSize);
    for (size_t i = 0; i < MarkerSize; ++i) {
      at[i] = static_cast<uint8_t>(0xA5u ^ (i * 37u) ^ (static_cast<unsigned>(number) * 101u));
    }
    scan_.Add(at, MarkerSize, "marker " + std::to_string(number));
    return at;
  }
  // Copies of the marker: `count` of them, from `at` on.
  static void Fill(void* at, const uint8_t* marker, size_t count) {
    for (size_t i = 0; i < count; ++i)
      memcpy(static_cast<uint8_t*>(at) + i * MarkerSize, marker, MarkerSize);
    Touch(at);
  }
  size_t Found() {
    std::string error;
    const size_t found = scan_.Scan(0, &error).size();
    EXPECT_EQ(error, "");
    return found;
  }

  TMemoryScan scan_;
};

TEST_F(MemoryWipeTest, EveryFreedBlockIsOverwritten) {
  if (!FreedBlocksAreOverwritten()) GTEST_SKIP() << "a sanitizer's allocator: blocks go unwiped";
  struct TWay {
    const char* What;
    std::function<void*(size_t)> Allocate;
  };
  const std::vector<TWay> ways = {
      {"malloc", [](size_t n) { return malloc(n); }},
      {"calloc", [](size_t n) { return calloc(n, 1); }},
      {"memalign", [](size_t n) { return memalign(64, n); }},
      {"aligned_alloc", [](size_t n) { return aligned_alloc(256, n); }},
      {"posix_memalign",
       [](size_t n) {
         void* at = nullptr;
         return posix_memalign(&at, 128, n) == 0 ? at : nullptr;
       }},
      {"valloc", [](size_t n) { return valloc(n); }},
      {"pvalloc", [](size_t n) { return pvalloc(n); }},
      {"operator new", [](size_t n) { return static_cast<void*>(new char[n]); }},
  };
  int number = 0;
  // A small block, one of a size class that is reused at once, and one past
  // the allocator's own mapping threshold (unmapped when freed).
  for (const size_t size : {size_t{40}, size_t{4000}, size_t{1} << 20}) {
    for (const TWay& way : ways) {
      SCOPED_TRACE(std::string(way.What) + " of " + std::to_string(size));
      const uint8_t* marker = Marker(++number);
      void* at = way.Allocate(size);
      ASSERT_NE(at, nullptr);
      Fill(at, marker, size / MarkerSize);
      ASSERT_GT(Found(), 0u) << "the marker is not seen in a live block";
      if (std::string(way.What) == "operator new") {
        delete[] static_cast<char*>(at);
      } else {
        free(at);
      }
      platform::WipeStackBelow();  // the copying's own leftovers, not the heap's matter
      EXPECT_EQ(Found(), 0u) << "the freed block still holds it";
    }
  }
}

// A block that grows leaves its old place overwritten; one that shrinks
// keeps its head and loses its tail; both keep what they held.
TEST_F(MemoryWipeTest, ReallocLeavesNoCopyBehind) {
  if (!FreedBlocksAreOverwritten()) GTEST_SKIP() << "a sanitizer's allocator: blocks go unwiped";
  struct TCase {
    size_t From;
    size_t To;
    bool ByArray;
  };
  int number = 100;
  for (const TCase& c :
       {TCase{64, 100000, false}, TCase{3000, 3100, false}, TCase{3000, 96, false},
        TCase{200000, 400000, false}, TCase{200000, 64, false}, TCase{64, 4096, true}}) {
    SCOPED_TRACE(std::to_string(c.From) + " -> " + std::to_string(c.To));
    const uint8_t* head = Marker(++number);
    const uint8_t* tail = Marker(++number);
    auto* at = static_cast<uint8_t*>(malloc(c.From));
    ASSERT_NE(at, nullptr);
    Fill(at, head, 1);
    Fill(at + c.From - MarkerSize, tail, 1);
    auto* moved =
        static_cast<uint8_t*>(c.ByArray ? reallocarray(at, c.To / 4, 4) : realloc(at, c.To));
    ASSERT_NE(moved, nullptr);
    Touch(moved);
    EXPECT_EQ(memcmp(moved, head, MarkerSize), 0) << "the head is kept";
    const size_t expected = c.To >= c.From ? 2 : 1;  // a shrink cuts off the tail
    platform::WipeStackBelow();
    EXPECT_EQ(Found(), expected) << "a copy was left behind, or the tail was kept";
    free(moved);
    platform::WipeStackBelow();
    EXPECT_EQ(Found(), 0u);
  }
  EXPECT_EQ(realloc(malloc(16), 0), nullptr) << "a realloc to nothing frees";
}

// Deep calls leave their locals below the caller's frame; the wipe
// overwrites them, and stays inside the stack of whatever thread calls it.
__attribute__((noinline)) void LeaveOnTheStack(const uint8_t* marker) {
  // Far below the caller, out of reach of the scan's own calls.
  uint8_t locals[64 << 10];
  memcpy(locals, marker, MarkerSize);
  Touch(locals);
}

TEST_F(MemoryWipeTest, TheStackBelowTheCallerIsOverwritten) {
  // A sanitizer build keeps locals in frames of its own and reserves
  // terabytes of shadow memory, too much for the scan to read through.
  if (!FreedBlocksAreOverwritten()) GTEST_SKIP() << "a sanitizer build: its memory is not scanned";
  LeaveOnTheStack(Marker(1));
  ASSERT_GT(Found(), 0u) << "the marker never reached the stack";
  platform::WipeStackBelow();
  EXPECT_EQ(Found(), 0u) << "the stack still holds what a deeper call left";
}

TEST_F(MemoryWipeTest, TheStackWipeStaysInsideASmallThreadStack) {
  for (const size_t stack :
       {static_cast<size_t>(PTHREAD_STACK_MIN), size_t{64} << 10, size_t{300} << 10}) {
    SCOPED_TRACE(stack);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, stack), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(
                  &thread, &attributes,
                  [](void*) -> void* {
                    platform::WipeStackBelow();
                    return nullptr;
                  },
                  nullptr),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
  }
}

}  // namespace
}  // namespace vektest
