// The program's link to the JACK server: the client quillet-k3 with its
// ports in_1, in_2, out_1, out_2 and midi_in, the process callback that
// reads the MIDI input and runs the echo, and what the server tells (its rate, its period, xruns,
// that it went away). JACK's own threads only set flags here and write one byte to the wake-up pipe
// (as async-signal-safe as the shutdown callback must be); the main loop reads them with the take*
// calls.
//
// Threads: everything but the callbacks on the main thread.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "core/block_changes.h"
#include "standalone/echo_runner.h"
#include "standalone/midi/midi_input.h"

namespace quillet::standalone {

class JackLink {
 public:
  // `wakeFd`: the write end of a non-blocking pipe the main loop polls.
  JackLink(EchoRunner& runner, MidiInput& midi, int wakeFd)
      : runner(runner), midi(midi), wakeFd(wakeFd) {}
  ~JackLink() { close(); }
  JackLink(const JackLink&) = delete;
  JackLink& operator=(const JackLink&) = delete;

  // Opens the client (never starting a server), registers the ports and
  // callbacks and starts the echo at the server's rate (its memory taken and
  // cleared here), not yet running. False, with a one-line reason, when there
  // is no server or it refuses us.
  bool open(std::string* error);
  // The server starts calling the echo. What is busy at the start (the
  // panel's opening) goes before: a server without real-time scheduling
  // runs its threads and ours as ordinary ones, and a process start or a
  // window opening that keeps both cores busy for a moment then delays them
  // past a period (xruns). False, with a one-line reason, when the server
  // refuses; the client is then closed.
  bool activate(std::string* error);
  // Joins the system's first two capture ports to in_1 and in_2 (a single
  // capture port feeds both) and out_1, out_2 to its first two playback
  // ports; what it joined (or could not) goes into *report.
  void connectSystemPorts(std::string* report);
  // Joins `port` (a MIDI output, such as a2j's or system:midi_capture_1) to
  // midi_in; empty `port`: the system's first hardware MIDI source, if any.
  // What it joined, or why not, goes into *report.
  enum class MidiJoin { kJoined, kNoSource, kFailed };
  MidiJoin connectMidi(const std::string& port, std::string* report);
  // Deactivates and closes the client; nothing of it runs afterwards.
  void close();
  bool isOpen() const { return client != nullptr; }

  // Since the last call: the server went away (the client is then useless:
  // close it).
  bool takeServerGone() { return serverGone.exchange(false); }
  // Since the last call: the server's rate changed (to *rate).
  bool takeRateChange(double* rate);

  // Xruns the server reported, over every connection.
  uint64_t xruns() const { return xrunCount.load(std::memory_order_relaxed); }
  // Whether the last server connected to runs with real-time scheduling.
  bool serverRealtime() const { return realtime; }
  // The client's name (quillet-k3, or the name the server gave in its place).
  const std::string& clientName() const { return name; }
  uint32_t periodFrames() const { return period.load(std::memory_order_relaxed); }
  uint32_t serverRate() const { return rate.load(std::memory_order_relaxed); }
  // The transport's tempo when a timebase master gives one; 0 otherwise.
  double tempo() const;
  // The full name of the MIDI input ("quillet-k3:midi_in").
  std::string midiInputName() const;

 private:
  static int onProcess(jack_nframes_t frames, void* self);
  static int onSampleRate(jack_nframes_t rate, void* self);
  static int onBufferSize(jack_nframes_t frames, void* self);
  static int onXrun(void* self);
  static void onShutdown(jack_status_t code, const char* reason, void* self);
  static double transportTempo(void* self);  // for the MIDI input, on the audio thread
  void wake();

  EchoRunner& runner;
  MidiInput& midi;
  const int wakeFd;
  jack_client_t* client = nullptr;
  jack_port_t* inputs[2] = {};
  jack_port_t* outputs[2] = {};
  jack_port_t* midiIn = nullptr;
  // The audio thread's: the changes of the block it runs.
  quillet::core::BlockChanges changes;
  std::string name;
  bool realtime = true;
  std::atomic<bool> serverGone{false};
  std::atomic<bool> rateChanged{false};
  std::atomic<uint32_t> rate{0};
  std::atomic<uint32_t> period{0};
  std::atomic<uint64_t> xrunCount{0};
};

}  // namespace quillet::standalone
