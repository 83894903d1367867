// How the program stands with JACK, in the words the window's title and the
// terminal show.
#pragma once

#include <cstdint>
#include <string>

namespace quillet::standalone {

struct LinkStatus {
  enum class State {
    kLinked,   // the client runs
    kBadRate,  // the client runs at a rate the echo cannot run at: silence
    kWaiting,  // no server (yet, or again): waiting for one
  };
  State state = State::kWaiting;
  std::string clientName;
  uint32_t rate = 0;
  uint32_t periodFrames = 0;
  uint64_t xruns = 0;
};

// "JACK: quillet-k3, 48000 Hz, 256 frames" (and ", 3 xruns" once there are
// any); "JACK: waiting for the server".
std::string describeLink(const LinkStatus& status);

// The window's title: "Quillet K3 - ", what the program adds (its tempo, a
// control learning MIDI; none when empty) and " - ", then the above.
std::string windowTitle(const LinkStatus& status, const std::string& middle = "");

// The xruns of a run, as its closing line gives them: "0 xruns", "1 xrun",
// and, where the server ran without real-time scheduling, why there were
// any (its threads and ours then wait for a core like any other program, so
// a busy moment of the computer, a program starting or another JACK client
// joining, delays them past a period).
std::string xrunCount(uint64_t xruns, bool serverRealtime);

}  // namespace quillet::standalone
