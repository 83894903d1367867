#include "host/render/fixed_clock.h"

#include <atomic>

#if defined(__GLIBC__) && !defined(_WIN32)
#include <dlfcn.h>
#include <sys/time.h>
#include <time.h>
#define HAVE_OWN_CLOCK 1
#else
#include <chrono>
#endif

namespace quillet::host {

namespace {
std::atomic<bool> fixedOn{false};
std::atomic<uint64_t> fixedNanoseconds{0};
// 2001-01-01 00:00:00 UTC: any constant does; this one is plainly not "now".
constexpr uint64_t kFixedEpochSeconds = 978307200;
}  // namespace

void startFixedClock() {
  fixedNanoseconds.store(0);
  fixedOn.store(true);
}
void stopFixedClock() { fixedOn.store(false); }
void advanceFixedClock(uint64_t nanoseconds) { fixedNanoseconds.store(nanoseconds); }

#ifdef HAVE_OWN_CLOCK

namespace {

using ClockGettime = int (*)(clockid_t, timespec*);
using GetTimeOfDay = int (*)(timeval*, void*);
using Time = time_t (*)(time_t*);

// The C library's own functions, found once past this program's.
template <typename Function>
Function next(const char* name) {
  static_assert(sizeof(Function) == sizeof(void*));
  void* found = dlsym(RTLD_NEXT, name);
  Function f;
  __builtin_memcpy(&f, &found, sizeof(f));
  return f;
}

ClockGettime realClockGettime() {
  static const ClockGettime f = next<ClockGettime>("clock_gettime");
  return f;
}

void fixedTime(clockid_t clock, timespec* t) {
  const uint64_t ns = fixedNanoseconds.load();
  const bool wall = clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE || clock == CLOCK_TAI;
  t->tv_sec = static_cast<time_t>(ns / 1000000000u + (wall ? kFixedEpochSeconds : 1000u));
  t->tv_nsec = static_cast<long>(ns % 1000000000u);
}

}  // namespace

bool fixedClockAvailable() { return true; }

double realSeconds() {
  timespec t{};
  realClockGettime()(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace quillet::host

// Exported from the program: the C library's own callers and every loaded
// plug-in bind here first.
#define CLOCK_EXPORT __attribute__((visibility("default")))

extern "C" {

CLOCK_EXPORT int clock_gettime(clockid_t clock, timespec* t) {
  if (!quillet::host::fixedOn.load(std::memory_order_relaxed))
    return quillet::host::realClockGettime()(clock, t);
  quillet::host::fixedTime(clock, t);
  return 0;
}

CLOCK_EXPORT int gettimeofday(timeval* tv, void* zone) {
  if (!quillet::host::fixedOn.load(std::memory_order_relaxed)) {
    static const quillet::host::GetTimeOfDay real =
        quillet::host::next<quillet::host::GetTimeOfDay>("gettimeofday");
    return real(tv, zone);
  }
  timespec t;
  quillet::host::fixedTime(CLOCK_REALTIME, &t);
  tv->tv_sec = t.tv_sec;
  tv->tv_usec = static_cast<suseconds_t>(t.tv_nsec / 1000);
  return 0;
}

CLOCK_EXPORT time_t time(time_t* out) {
  if (!quillet::host::fixedOn.load(std::memory_order_relaxed)) {
    static const quillet::host::Time real = quillet::host::next<quillet::host::Time>("time");
    return real(out);
  }
  timespec t;
  quillet::host::fixedTime(CLOCK_REALTIME, &t);
  if (out) *out = t.tv_sec;
  return t.tv_sec;
}

}  // extern "C"

#else

bool fixedClockAvailable() { return false; }

double realSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace quillet::host

#endif
