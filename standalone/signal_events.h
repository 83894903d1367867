// SIGTERM, SIGINT and SIGHUP as events the main loop reads from a file
// descriptor (signalfd): no handler runs at all, so nothing unsafe can run
// inside one. The signals are blocked in every thread, which is why this is
// made first, before JACK or X start threads of their own (they inherit the
// mask). SIGPIPE is ignored.
#pragma once

#include <memory>

namespace quillet::standalone {

class SignalEvents {
 public:
  // Null when the signals cannot be taken over.
  static std::unique_ptr<SignalEvents> create();
  ~SignalEvents();
  SignalEvents(const SignalEvents&) = delete;
  SignalEvents& operator=(const SignalEvents&) = delete;

  // Readable when a signal waits.
  int fileDescriptor() const { return fd; }
  // The next waiting signal's number; 0 when none waits.
  int take();

 private:
  SignalEvents() = default;
  int fd = -1;
};

}  // namespace quillet::standalone
