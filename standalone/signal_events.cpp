#include "standalone/signal_events.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace quillet::standalone {

std::unique_ptr<SignalEvents> SignalEvents::create() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, signal);
  if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return nullptr;
  // A closed pipe or socket (the terminal's reader gone, a server that went
  // away) is an error of the write, not the end of the program before it
  // saved the values.
  signal(SIGPIPE, SIG_IGN);
  std::unique_ptr<SignalEvents> events(new SignalEvents());
  events->fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (events->fd < 0) return nullptr;
  return events;
}

SignalEvents::~SignalEvents() {
  if (fd >= 0) ::close(fd);
}

int SignalEvents::take() {
  signalfd_siginfo info;
  for (;;) {
    const ssize_t n = read(fd, &info, sizeof info);
    if (n == static_cast<ssize_t>(sizeof info)) return static_cast<int>(info.ssi_signo);
    if (n < 0 && errno == EINTR) continue;
    return 0;
  }
}

}  // namespace quillet::standalone
