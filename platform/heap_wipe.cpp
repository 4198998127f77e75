// Every heap block of the process is overwritten before it goes back to the
// allocator. The key box's text passes through many buffers of the window
// toolkit (its text, undo steps, layout and display copies, each buffer it
// outgrew as the key was typed), all freed by free() and never wiped by
// their owners; wiping in free() itself reaches every one of them.
//
// Linked as objects into each program (never from a static library, which
// would leave them out: nothing in the program calls these by name), so that
// the program's own definitions are the ones every shared library binds to.
// They forward to the C library's allocator under its exported internal
// names; malloc_usable_size stays the C library's. Builds with sanitizers
// leave this out: those bring an allocator of their own.

#include <errno.h>
#include <malloc.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

extern "C" {
void* __libc_malloc(size_t size);
void __libc_free(void* at);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* at, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void* __libc_valloc(size_t size);
void* __libc_pvalloc(size_t size);
}

namespace {

// The allocator's word before each block holds its size and, in bit 1, that
// the block is a mapping of its own: such a block is unmapped when freed
// (or moved as pages by a realloc), so nothing of it stays in the process
// and overwriting it would only fault in pages never used.
constexpr size_t MappedOnItsOwn = 0x2;

inline bool IsOwnMapping(const void* at) {
  return (static_cast<const size_t*>(at)[-1] & MappedOnItsOwn) != 0;
}

inline void WipeBlock(void* at) {
  if (!IsOwnMapping(at)) explicit_bzero(at, malloc_usable_size(at));
}

}  // namespace

extern "C" {

void* malloc(size_t size) noexcept {
  return __libc_malloc(size);
}

void free(void* at) noexcept {
  if (at == nullptr) return;
  WipeBlock(at);
  __libc_free(at);
}

void* calloc(size_t count, size_t size) noexcept {
  return __libc_calloc(count, size);
}

// A block that grows is moved here, so that the old one is overwritten
// before it goes; one that shrinks stays where it is (the allocator never
// moves a shrinking block) with the part cut off overwritten first.
void* realloc(void* at, size_t size) noexcept {
  if (at == nullptr) return __libc_malloc(size);
  if (size == 0) {
    free(at);
    return nullptr;
  }
  if (IsOwnMapping(at)) return __libc_realloc(at, size);
  const size_t had = malloc_usable_size(at);
  if (size <= had) {
    explicit_bzero(static_cast<char*>(at) + size, had - size);
    return __libc_realloc(at, size);
  }
  void* moved = __libc_malloc(size);
  if (moved == nullptr) return nullptr;  // the old block stays the caller's
  memcpy(moved, at, had);
  free(at);
  return moved;
}

void* reallocarray(void* at, size_t count, size_t size) noexcept {
  size_t bytes = 0;
  if (__builtin_mul_overflow(count, size, &bytes)) {
    errno = ENOMEM;
    return nullptr;
  }
  return realloc(at, bytes);
}

void* memalign(size_t alignment, size_t size) noexcept {
  return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) noexcept {
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
  if (alignment == 0 || alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0)
    return EINVAL;
  const int saved = errno;
  void* at = __libc_memalign(alignment, size);
  errno = saved;
  if (at == nullptr) return ENOMEM;
  *out = at;
  return 0;
}

void* valloc(size_t size) noexcept {
  return __libc_valloc(size);
}

void* pvalloc(size_t size) noexcept {
  return __libc_pvalloc(size);
}

}  // extern "C"
