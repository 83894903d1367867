// A repeating timer on the user-interface thread, for systems whose windows
// get their events from the system (Windows: a window timer, delivered by
// the host's own message loop). Linux hosts lend their run loop instead
// (IRunLoop), so there start() answers false.
#pragma once

#include <cstdint>
#include <functional>

namespace quillet::vst3 {

class WindowTimer {
 public:
  WindowTimer() = default;
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;
  ~WindowTimer() { stop(); }

  // Calls tick every `milliseconds` while `window` lives; false when no
  // timer could be set.
  bool start(uintptr_t window, uint32_t milliseconds, std::function<void()> tick);
  void stop();

 private:
#if defined(_WIN32)
  uintptr_t window = 0;
  std::function<void()> tick;
#endif
};

}  // namespace quillet::vst3
