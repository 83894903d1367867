#include "standalone/jack_link.h"

#include <jack/midiport.h>
#include <jack/transport.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>

namespace quillet::standalone {

namespace {

constexpr const char* kClientName = "quillet-k3";
constexpr const char* kInputNames[2] = {"in_1", "in_2"};
constexpr const char* kOutputNames[2] = {"out_1", "out_2"};
constexpr const char* kMidiInputName = "midi_in";

// libjack's own messages (a missing server, a broken socket) would bury the
// program's one line; what matters is said by the program.
void quiet(const char*) {}

}  // namespace

bool JackLink::open(std::string* error) {
  close();
  jack_set_error_function(&quiet);
  jack_set_info_function(&quiet);
  jack_status_t status{};
  client = jack_client_open(kClientName, JackNoStartServer, &status);
  if (!client) {
    *error = (status & JackServerFailed) || (status & JackServerError)
                 ? "no JACK server is running"
                 : "the JACK server refused the client " + std::string(kClientName);
    return false;
  }
  name = jack_get_client_name(client);
  realtime = jack_is_realtime(client) != 0;
  for (int c = 0; c < 2; ++c) {
    inputs[c] =
        jack_port_register(client, kInputNames[c], JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    outputs[c] =
        jack_port_register(client, kOutputNames[c], JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (!inputs[c] || !outputs[c]) {
      *error = "the JACK server refused the ports of " + name;
      close();
      return false;
    }
  }
  midiIn = jack_port_register(client, kMidiInputName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  if (!midiIn) {
    *error = "the JACK server refused the MIDI input of " + name;
    close();
    return false;
  }
  // A new server's clock, a new controller: MIDI starts afresh.
  midi.reset();
  jack_set_process_callback(client, &JackLink::onProcess, this);
  jack_set_sample_rate_callback(client, &JackLink::onSampleRate, this);
  jack_set_buffer_size_callback(client, &JackLink::onBufferSize, this);
  jack_set_xrun_callback(client, &JackLink::onXrun, this);
  jack_on_info_shutdown(client, &JackLink::onShutdown, this);
  serverGone.store(false);
  rateChanged.store(false);
  rate.store(jack_get_sample_rate(client), std::memory_order_relaxed);
  period.store(jack_get_buffer_size(client), std::memory_order_relaxed);
  // A fresh start at the server's rate before the first block.
  runner.startAt(rate.load(std::memory_order_relaxed));
  return true;
}

bool JackLink::activate(std::string* error) {
  if (!client) {
    *error = "no JACK server is running";
    return false;
  }
  if (jack_activate(client) != 0) {
    *error = "the JACK server did not activate " + name;
    close();
    return false;
  }
  return true;
}

void JackLink::connectSystemPorts(std::string* report) {
  report->clear();
  if (!client) return;
  auto join = [&](const char* from, const char* to) {
    const int result = jack_connect(client, from, to);
    if (!report->empty()) *report += ", ";
    *report +=
        std::string(from) + " -> " + to + (result == 0 || result == EEXIST ? "" : " (failed)");
  };
  const char** capture = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                        JackPortIsPhysical | JackPortIsOutput);
  if (capture && capture[0]) {
    join(capture[0], jack_port_name(inputs[0]));
    // A single capture port (a guitar's input) feeds both sides of the echo.
    join(capture[1] ? capture[1] : capture[0], jack_port_name(inputs[1]));
  }
  const char** playback = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                         JackPortIsPhysical | JackPortIsInput);
  if (playback && playback[0]) {
    join(jack_port_name(outputs[0]), playback[0]);
    if (playback[1]) join(jack_port_name(outputs[1]), playback[1]);
  }
  if (capture) jack_free(capture);
  if (playback) jack_free(playback);
  if (report->empty()) *report = "no system ports to join";
}

JackLink::MidiJoin JackLink::connectMidi(const std::string& port, std::string* report) {
  report->clear();
  if (!client) return MidiJoin::kNoSource;
  std::string from = port;
  if (from.empty()) {
    const char** sources = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                          JackPortIsPhysical | JackPortIsOutput);
    if (sources && sources[0]) from = sources[0];
    if (sources) jack_free(sources);
    if (from.empty()) {
      *report = "no hardware MIDI source to join to " + std::string(jack_port_name(midiIn));
      return MidiJoin::kNoSource;
    }
  }
  const int result = jack_connect(client, from.c_str(), jack_port_name(midiIn));
  if (result != 0 && result != EEXIST) {
    *report = "could not join " + from + " to " + jack_port_name(midiIn) +
              " (no such MIDI output? jack_lsp -t lists the ports)";
    return MidiJoin::kFailed;
  }
  *report = from + " -> " + jack_port_name(midiIn);
  return MidiJoin::kJoined;
}

std::string JackLink::midiInputName() const {
  return midiIn ? jack_port_name(midiIn) : name + ":" + kMidiInputName;
}

void JackLink::close() {
  if (!client) return;
  jack_deactivate(client);
  jack_client_close(client);
  client = nullptr;
  for (int c = 0; c < 2; ++c) inputs[c] = outputs[c] = nullptr;
  midiIn = nullptr;
}

bool JackLink::takeRateChange(double* newRate) {
  if (!rateChanged.exchange(false)) return false;
  *newRate = rate.load(std::memory_order_relaxed);
  return true;
}

double JackLink::transportTempo(void* self) { return static_cast<JackLink*>(self)->tempo(); }

double JackLink::tempo() const {
  // Real-time safe (JACK's own words): the audio thread asks it too.
  if (!client) return 0.0;
  jack_position_t position{};
  jack_transport_query(client, &position);
  if (!(position.valid & JackPositionBBT)) return 0.0;
  const double bpm = position.beats_per_minute;
  return std::isfinite(bpm) && bpm > 0.0 ? bpm : 0.0;
}

void JackLink::wake() {
  const char byte = 1;
  // A full pipe already wakes the main loop.
  [[maybe_unused]] const ssize_t n = write(wakeFd, &byte, 1);
}

int JackLink::onProcess(jack_nframes_t frames, void* self) {
  auto* link = static_cast<JackLink*>(self);
  const float* in[2];
  float* out[2];
  for (int c = 0; c < 2; ++c) {
    in[c] = static_cast<const float*>(jack_port_get_buffer(link->inputs[c], frames));
    out[c] = static_cast<float*>(jack_port_get_buffer(link->outputs[c], frames));
  }
  link->changes.clear();
  void* midiBuffer = jack_port_get_buffer(link->midiIn, frames);
  const uint32_t events = midiBuffer ? jack_midi_get_event_count(midiBuffer) : 0;
  link->midi.beginBlock(&link->changes, jack_last_frame_time(link->client),
                        link->rate.load(std::memory_order_relaxed), &JackLink::transportTempo,
                        link);
  for (uint32_t i = 0; i < events; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, midiBuffer, i) == 0 && event.buffer)
      link->midi.event(event.time, event.buffer, event.size);
  }
  link->runner.process(in, out, frames, link->changes);
  return 0;
}

int JackLink::onSampleRate(jack_nframes_t newRate, void* self) {
  auto* link = static_cast<JackLink*>(self);
  // The main loop starts the echo afresh at the new rate (not here: this
  // may be a thread the server wants back at once).
  if (link->rate.exchange(newRate, std::memory_order_relaxed) != newRate) {
    link->rateChanged.store(true);
    link->wake();
  }
  return 0;
}

int JackLink::onBufferSize(jack_nframes_t frames, void* self) {
  auto* link = static_cast<JackLink*>(self);
  // The echo takes blocks of any length; only the title shows it.
  if (link->period.exchange(frames, std::memory_order_relaxed) != frames) link->wake();
  return 0;
}

int JackLink::onXrun(void* self) {
  auto* link = static_cast<JackLink*>(self);
  link->xrunCount.fetch_add(1, std::memory_order_relaxed);
  link->wake();
  return 0;
}

void JackLink::onShutdown(jack_status_t, const char*, void* self) {
  auto* link = static_cast<JackLink*>(self);
  link->serverGone.store(true);
  link->wake();
}

}  // namespace quillet::standalone
