#include "host/plugin/vst3/view_host.h"

#include <algorithm>
#include <thread>

#ifndef _WIN32
#include <poll.h>
#endif

namespace quillet::host::vst3 {

ViewHost::~ViewHost() {
  // A view that did not unregister is the plug-in's fault; let go anyway.
  for (Handler& h : handlers) h.handler->release();
  for (Timer& t : timers) t.handler->release();
}

tresult ViewHost::queryInterface(const char8* iidBytes, void** obj) {
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!iidBytes) return kInvalidArgument;
  if (FUnknown::iid.equals(iidBytes) || IPlugFrame::iid.equals(iidBytes)) {
    *obj = static_cast<IPlugFrame*>(this);
#ifndef _WIN32
  } else if (IRunLoop::iid.equals(iidBytes)) {
    *obj = static_cast<IRunLoop*>(this);
#endif
  } else {
    return kNoInterface;
  }
  addRef();
  return kResultOk;
}

tresult ViewHost::resizeView(IPlugView* view, ViewRect* newSize) {
  if (!view || !newSize) return kInvalidArgument;
  ++resizes;
  return view->onSize(newSize) == kResultOk ? kResultOk : kResultFalse;
}

tresult ViewHost::registerEventHandler(IEventHandler* handler, FileDescriptor fd) {
  if (!handler || fd < 0) return kInvalidArgument;
  handler->addRef();
  handlers.push_back({handler, fd});
  return kResultOk;
}

tresult ViewHost::unregisterEventHandler(IEventHandler* handler) {
  const auto found = std::find_if(handlers.begin(), handlers.end(),
                                  [handler](const Handler& h) { return h.handler == handler; });
  if (found == handlers.end()) return kInvalidArgument;
  found->handler->release();
  handlers.erase(found);
  return kResultOk;
}

tresult ViewHost::registerTimer(ITimerHandler* handler, TimerInterval milliseconds) {
  if (!handler || milliseconds == 0) return kInvalidArgument;
  handler->addRef();
  const std::chrono::milliseconds interval(milliseconds);
  timers.push_back({handler, interval, Clock::now() + interval});
  return kResultOk;
}

tresult ViewHost::unregisterTimer(ITimerHandler* handler) {
  const auto found = std::find_if(timers.begin(), timers.end(),
                                  [handler](const Timer& t) { return t.handler == handler; });
  if (found == timers.end()) return kInvalidArgument;
  found->handler->release();
  timers.erase(found);
  return kResultOk;
}

void ViewHost::turn(Clock::time_point end) {
  Clock::time_point wake = end;
  for (const Timer& t : timers) wake = std::min(wake, t.due);
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now());
  const int waitMs = static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(wait.count(), 10)));
#ifndef _WIN32
  std::vector<pollfd> fds;
  for (const Handler& h : handlers) fds.push_back({h.fd, POLLIN, 0});
  if (poll(fds.data(), fds.size(), waitMs) > 0) {
    // A handler may unregister others (or itself) when called: each is
    // looked up again before its call.
    for (const pollfd& p : fds) {
      if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
      for (const Handler& h : handlers) {
        if (h.fd != p.fd) continue;
        h.handler->onFDIsSet(h.fd);
        break;
      }
    }
  }
#else
  std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
#endif
  const Clock::time_point now = Clock::now();
  for (size_t i = 0; i < timers.size(); ++i) {
    if (timers[i].due > now) continue;
    timers[i].due = now + timers[i].interval;
    ITimerHandler* handler = timers[i].handler;
    ++timerTicks;
    handler->onTimer();
  }
}

}  // namespace quillet::host::vst3
