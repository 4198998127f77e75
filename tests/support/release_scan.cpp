#include "release_scan.h"

#include <malloc.h>
#include <string.h>
#include <sys/mman.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/system.h"

namespace vektest {
namespace {

constexpr size_t MaxSecrets = 32;
constexpr size_t MaxSecretLength = 128;

struct TWatch {
  std::atomic<bool> Active{false};
  size_t Count = 0;
  uint8_t Bytes[MaxSecrets][MaxSecretLength] = {};
  size_t Lengths[MaxSecrets] = {};
  std::atomic<int> MappedReleases{0};
  std::atomic<int> MappedHits{0};
  std::atomic<int> HeapHits{0};
};

// Plain storage, usable before and after every other static object.
TWatch& Watch() {
  static TWatch watch;
  return watch;
}

bool Found(const void* at, size_t size) {
  const TWatch& w = Watch();
  for (size_t i = 0; i < w.Count; ++i) {
    if (::memmem(at, size, w.Bytes[i], w.Lengths[i]) != nullptr) return true;
  }
  return false;
}

void ScanHeapBlock(void* at) {
  if (at == nullptr || !Watch().Active.load(std::memory_order_acquire)) return;
  if (Found(at, ::malloc_usable_size(at))) ++Watch().HeapHits;
}

void* Allocate(size_t size) {
  void* at = std::malloc(size == 0 ? 1 : size);
  if (at == nullptr) throw std::bad_alloc();
  return at;
}

void* AllocateAligned(size_t size, std::align_val_t align) {
  const auto a = static_cast<size_t>(align);
  void* at = std::aligned_alloc(a, (size + a - 1) / a * a);
  if (at == nullptr) throw std::bad_alloc();
  return at;
}

void Release(void* at) noexcept {
  ScanHeapBlock(at);
  std::free(at);
}

}  // namespace

TReleaseScan::TReleaseScan(const std::vector<std::vector<uint8_t>>& secrets) {
  TWatch& w = Watch();
  w.Active = false;
  w.Count = 0;
  for (const auto& s : secrets) {
    if (w.Count == MaxSecrets || s.size() < 8 || s.size() > MaxSecretLength) std::abort();
    memcpy(w.Bytes[w.Count], s.data(), s.size());
    w.Lengths[w.Count] = s.size();
    ++w.Count;
  }
  w.MappedReleases = 0;
  w.MappedHits = 0;
  w.HeapHits = 0;
  w.Active.store(true, std::memory_order_release);
}

TReleaseScan::~TReleaseScan() {
  Watch().Active = false;
}

int TReleaseScan::MappedReleases() const {
  return Watch().MappedReleases;
}
int TReleaseScan::MappedHits() const {
  return Watch().MappedHits;
}
int TReleaseScan::HeapHits() const {
  return Watch().HeapHits;
}

std::vector<uint8_t> BytesOf(std::string_view text) {
  return {text.begin(), text.end()};
}

std::vector<uint8_t> Utf16BytesOf(std::string_view utf8) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    i += length;
    auto put = [&bytes](char32_t unit) {
      bytes.push_back(static_cast<uint8_t>(unit));
      bytes.push_back(static_cast<uint8_t>(unit >> 8));
    };
    if (c < 0x10000) {
      put(c);
    } else {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return bytes;
}

bool HoldsAny(const void* at, size_t size, const std::vector<std::vector<uint8_t>>& secrets) {
  for (const auto& s : secrets) {
    if (::memmem(at, size, s.data(), s.size()) != nullptr) return true;
  }
  return false;
}

}  // namespace vektest

// In place of the host layer's own release.
namespace platform {
void VirtualFree(void* at, size_t size) {
  if (at == nullptr) return;
  vektest::TWatch& w = vektest::Watch();
  if (w.Active.load(std::memory_order_acquire)) {
    ++w.MappedReleases;
    if (vektest::Found(at, size)) ++w.MappedHits;
  }
  ::munmap(at, size);
}
}  // namespace platform

// Every heap block goes through these, so that each is read before it goes.
void* operator new(size_t size) {
  return vektest::Allocate(size);
}
void* operator new[](size_t size) {
  return vektest::Allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new(size_t size, std::align_val_t align) {
  return vektest::AllocateAligned(size, align);
}
void* operator new[](size_t size, std::align_val_t align) {
  return vektest::AllocateAligned(size, align);
}
void operator delete(void* at) noexcept {
  vektest::Release(at);
}
void operator delete[](void* at) noexcept {
  vektest::Release(at);
}
void operator delete(void* at, size_t) noexcept {
  vektest::Release(at);
}
void operator delete[](void* at, size_t) noexcept {
  vektest::Release(at);
}
void operator delete(void* at, const std::nothrow_t&) noexcept {
  vektest::Release(at);
}
void operator delete[](void* at, const std::nothrow_t&) noexcept {
  vektest::Release(at);
}
void operator delete(void* at, std::align_val_t) noexcept {
  vektest::Release(at);
}
void operator delete[](void* at, std::align_val_t) noexcept {
  vektest::Release(at);
}
void operator delete(void* at, size_t, std::align_val_t) noexcept {
  vektest::Release(at);
}
void operator delete[](void* at, size_t, std::align_val_t) noexcept {
  vektest::Release(at);
}
