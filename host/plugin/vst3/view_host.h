// The host's side of a VST3 plug-in's view: the frame it is given
// (IPlugFrame) and, on Linux, the run loop a DAW lends with it (IRunLoop):
// file descriptors the view wants watched and timers it wants called, all
// run on the thread that calls run(). On Windows the view's window gets its
// events from the thread's message queue, which run() pumps.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "vst3/interface/view.h"

namespace quillet::host::vst3 {

using namespace quillet::vst3;

class ViewHost final : public IPlugFrame, public IRunLoop {
 public:
  ViewHost() = default;
  ViewHost(const ViewHost&) = delete;
  ViewHost& operator=(const ViewHost&) = delete;
  ~ViewHost();

  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override;
  uint32 QUILLET_VST3_CALL addRef() override { return ++refs; }
  uint32 QUILLET_VST3_CALL release() override { return --refs; }

  // IPlugFrame: size requests are recorded and granted.
  tresult QUILLET_VST3_CALL resizeView(IPlugView* view, ViewRect* newSize) override;

  // IRunLoop
  tresult QUILLET_VST3_CALL registerEventHandler(IEventHandler* handler,
                                                 FileDescriptor fd) override;
  tresult QUILLET_VST3_CALL unregisterEventHandler(IEventHandler* handler) override;
  tresult QUILLET_VST3_CALL registerTimer(ITimerHandler* handler,
                                          TimerInterval milliseconds) override;
  tresult QUILLET_VST3_CALL unregisterTimer(ITimerHandler* handler) override;

  // Runs the loop for about `milliseconds`: handlers whose descriptor is
  // readable, and timers that are due; `pump` (the host window's own events)
  // between turns.
  template <class Pump>
  void run(int milliseconds, Pump pump) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    do {
      turn(end);
      pump();
    } while (Clock::now() < end);
  }

  size_t handlerCount() const { return handlers.size(); }
  size_t timerCount() const { return timers.size(); }
  int resizeRequests() const { return resizes; }
  // Calls of any timer so far: one more means a timer has run since.
  int timerCalls() const { return timerTicks; }
  uint32 references() const { return refs; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Handler {
    IEventHandler* handler;
    int fd;
  };
  struct Timer {
    ITimerHandler* handler;
    std::chrono::milliseconds interval;
    Clock::time_point due;
  };
  // Waits for a descriptor or the next timer, at most until `end`, and
  // calls what is ready.
  void turn(Clock::time_point end);

  uint32 refs = 0;
  int resizes = 0;
  int timerTicks = 0;
  std::vector<Handler> handlers;
  std::vector<Timer> timers;
};

}  // namespace quillet::host::vst3
