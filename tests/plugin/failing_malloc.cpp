#include "tests/plugin/failing_malloc.h"

#include <cerrno>

// The C library's own entry points, under the names glibc exports for
// allocators that wrap it.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* ptr, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* ptr);
}

namespace {

thread_local bool armed = false;
thread_local long next = 0;
thread_local long failAt = -1;
thread_local quillet::test::Seen seen = {0, 0, false};

// True when this allocation is to fail; counts it otherwise.
bool refuse() {
  if (!armed) return false;
  if (next++ == failAt) {
    seen.failed = true;
    return true;
  }
  return false;
}

void counted(const void* p) {
  if (armed && p) ++seen.allocations;
}

}  // namespace

#define EXPORTED __attribute__((visibility("default")))

extern "C" {

EXPORTED void* malloc(size_t size) {
  if (refuse()) return nullptr;
  void* p = __libc_malloc(size);
  counted(p);
  return p;
}

EXPORTED void* calloc(size_t count, size_t size) {
  if (refuse()) return nullptr;
  void* p = __libc_calloc(count, size);
  counted(p);
  return p;
}

EXPORTED void* realloc(void* ptr, size_t size) {
  if (refuse()) return nullptr;
  void* p = __libc_realloc(ptr, size);
  // A move is one release and one allocation; growing in place is neither.
  if (armed && p && p != ptr) {
    ++seen.allocations;
    if (ptr) ++seen.releases;
  }
  return p;
}

EXPORTED void free(void* ptr) {
  if (armed && ptr) ++seen.releases;
  __libc_free(ptr);
}

EXPORTED void* memalign(size_t alignment, size_t size) {
  if (refuse()) return nullptr;
  void* p = __libc_memalign(alignment, size);
  counted(p);
  return p;
}

EXPORTED void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }

EXPORTED int posix_memalign(void** out, size_t alignment, size_t size) {
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
  void* p = memalign(alignment, size);
  if (!p) return ENOMEM;
  *out = p;
  return 0;
}

}  // extern "C"

namespace quillet::test {

void arm(long failAllocation) {
  seen = {0, 0, false};
  next = 0;
  failAt = failAllocation;
  armed = true;
}

Seen disarm() {
  armed = false;
  return seen;
}

}  // namespace quillet::test
