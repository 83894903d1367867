// Waiting in tests for what they check: a condition, looked at again and
// again within a generous limit, never a fixed time. A loaded machine may
// take many times longer than an idle one; only a failing test waits the
// whole limit.
#pragma once

#include <chrono>
#include <thread>

namespace quillet::test {

// Long enough for a machine running two test suites at once, or valgrind.
constexpr std::chrono::milliseconds kGenerousLimit{30000};

// Runs `step` (an idle, a turn of a host's loop) and then asks `done`, until
// `done` holds; false when it still does not after `limit`. Between turns it
// pauses a few milliseconds, as a host's idle timer would, so that it does
// not take the processor from what it waits for.
template <typename Step, typename Done>
bool stepUntil(Step&& step, Done&& done, std::chrono::milliseconds limit = kGenerousLimit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    step();
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// The same without a step: for what another thread or process does.
template <typename Done>
bool waitUntil(Done&& done, std::chrono::milliseconds limit = kGenerousLimit) {
  return stepUntil([] {}, done, limit);
}

}  // namespace quillet::test
