#include "host/validate/allocation_trap.h"

#if defined(__GLIBC__) && !defined(_WIN32) && !defined(QUILLET_NO_ALLOCATION_TRAP)

#include <cerrno>
#include <cstdlib>

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
// Plain thread-locals of the executable: reading them allocates nothing.
thread_local bool armed = false;
thread_local size_t seen = 0;

inline void note() {
  if (armed) ++seen;
}
}  // namespace

// Exported from the program, so the C library and every plug-in bind to them.
#define TRAP_EXPORT __attribute__((visibility("default")))

extern "C" {

TRAP_EXPORT void* malloc(size_t size) {
  note();
  return __libc_malloc(size);
}

TRAP_EXPORT void* calloc(size_t count, size_t size) {
  note();
  return __libc_calloc(count, size);
}

TRAP_EXPORT void* realloc(void* ptr, size_t size) {
  note();
  return __libc_realloc(ptr, size);
}

TRAP_EXPORT void free(void* ptr) {
  if (ptr) note();
  __libc_free(ptr);
}

TRAP_EXPORT void* memalign(size_t alignment, size_t size) {
  note();
  return __libc_memalign(alignment, size);
}

TRAP_EXPORT void* aligned_alloc(size_t alignment, size_t size) {
  note();
  return __libc_memalign(alignment, size);
}

TRAP_EXPORT int posix_memalign(void** out, size_t alignment, size_t size) {
  note();
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
  void* p = __libc_memalign(alignment, size);
  if (!p) return ENOMEM;
  *out = p;
  return 0;
}

}  // extern "C"

namespace quillet::host::allocation_trap {

void arm() {
  seen = 0;
  armed = true;
}

size_t disarm() {
  armed = false;
  return seen;
}

bool available() { return true; }

}  // namespace quillet::host::allocation_trap

#else

namespace quillet::host::allocation_trap {
void arm() {}
size_t disarm() { return 0; }
bool available() { return false; }
}  // namespace quillet::host::allocation_trap

#endif
