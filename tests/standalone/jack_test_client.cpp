// A JACK client for the standalone program's tests:
//   make-input OUT.wav SECONDS RATE
//       a stereo float WAV that sounds from its very first frame (plucks,
//       clicks and noise bursts, the two sides different);
//   play-record IN.wav OUT.wav SECONDS-AFTER [--one-client] [--midi EVENTS]
//       plays IN.wav into quillet-k3:in_1/in_2 from the start of a period and
//       records quillet-k3:out_1/out_2 from that same frame on, for the
//       file's length and SECONDS-AFTER more, with the server freewheeling
//       (every client runs every period, however busy the machine); prints
//       the frames between the first sound played and the first sound heard
//       ("latency: N frames"). With --midi, also plays EVENTS into
//       quillet-k3:midi_in: a text file of one JACK MIDI event a line, its
//       frame (counted from the first frame played) and its bytes in hex
//       ("1000 b0 0b 5a"), in the order the lines give at one frame.
//       The player and the recorder are two clients (player -> quillet-k3 ->
//       recorder, all in one period), or one with --one-client (a loop, as a
//       sound card's round trip is: JACK breaks it with a period);
//   send-midi EVENTS
//       plays EVENTS (as for play-record's --midi) into quillet-k3:midi_in,
//       the first line's frame counted from the first period it runs in with
//       the server freewheeling, and ends a few periods after the last one;
//   timebase BPM
//       the transport's timebase master at BPM, rolling, until SIGTERM;
//   watch
//       an idle client, until SIGTERM, printing about every 10 ms a line of
//       the server's frame time and the xruns the server reported since it
//       ran ("frames F xruns X"): the checks' clock and xrun count, left
//       running while other clients come and go.
// The server is JACK_DEFAULT_SERVER's, as for every client.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/transport.h>
#include <signal.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/command_line.h"
#include "cli/sub_commands.h"

namespace {

int fail(const std::string& why) {
  std::fprintf(stderr, "jack_test_client: %s\n", why.c_str());
  return 1;
}

// A client of the server, named `base` and this process's id: libjack names
// a client's socket in /dev/shm by the client's name alone, whatever its
// server, so tests side by side must not share names. Opening is retried
// within a generous limit: a loaded server may refuse a client for a while.
jack_client_t* openClient(const std::string& base) {
  const std::string name = base + "-" + std::to_string(getpid());
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client || std::chrono::steady_clock::now() > limit) return client;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

bool writeWav(const std::string& path, const std::vector<float>& interleaved, int rate) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  const sf_count_t frames = static_cast<sf_count_t>(interleaved.size() / 2);
  const bool ok = sf_writef_float(file, interleaved.data(), frames) == frames;
  return sf_close(file) == 0 && ok;
}

int makeInput(const std::string& path, double seconds, int rate) {
  const size_t frames = static_cast<size_t>(seconds * rate);
  std::vector<float> out(frames * 2, 0.0f);
  uint32_t noise = 12345;
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    // A pluck every 0.37 s (left) and 0.53 s (right), from frame 0 on.
    const double pl = std::fmod(t, 0.37), pr = std::fmod(t, 0.53);
    double l = 0.5 * std::exp(-pl * 9.0) * std::sin(2 * M_PI * 220.0 * t + 0.3);
    double r = 0.45 * std::exp(-pr * 7.0) * std::sin(2 * M_PI * 330.0 * t + 1.1);
    noise = noise * 1664525u + 1013904223u;
    const double white = (static_cast<double>(noise >> 8) / 8388608.0) - 1.0;
    if (std::fmod(t, 0.9) < 0.02) l += 0.2 * white;  // short noise bursts
    if (i % 9000 == 17) r += 0.7;                    // clicks
    out[2 * i] = static_cast<float>(l);
    out[2 * i + 1] = static_cast<float>(r);
  }
  out[0] = 0.25f;  // sound at the very first frame
  return writeWav(path, out, rate) ? 0 : fail("cannot write " + path);
}

struct MidiEvent {
  uint64_t frame;
  std::vector<uint8_t> bytes;
};

// The events of a --midi file, by frame (stable: one frame's in file order).
bool readMidiEvents(const std::string& path, std::vector<MidiEvent>* events) {
  std::ifstream in(path);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    MidiEvent event;
    if (!(words >> event.frame)) continue;
    for (std::string hex; words >> hex;)
      event.bytes.push_back(static_cast<uint8_t>(std::stoul(hex, nullptr, 16)));
    events->push_back(event);
  }
  std::stable_sort(events->begin(), events->end(),
                   [](const MidiEvent& a, const MidiEvent& b) { return a.frame < b.frame; });
  return true;
}

struct Recording {
  std::vector<float> input;  // interleaved, the file's frames
  size_t inputFrames = 0;
  std::vector<MidiEvent> midi;
  size_t nextEvent = 0;
  uint64_t periodStart = 0;  // frames played since the start, silence included
  jack_port_t* midiOut = nullptr;
  std::vector<float> recorded;  // interleaved, inputFrames + tail
  size_t recordFrames = 0;
  jack_port_t* play[2] = {};
  jack_port_t* rec[2] = {};
  jack_client_t* playerClient = nullptr;
  jack_client_t* recorderClient = nullptr;
  std::atomic<bool> joined{false};
  // Once joined: the period the player ran last (its start's frame time), and
  // how many periods in a row the recorder has run after it in the same one.
  std::atomic<jack_nframes_t> playerPeriod{0};
  std::atomic<int> periodsInOrder{0};
  std::atomic<bool> freewheeling{false};
  std::atomic<int> freewheelPeriodsInOrder{0};  // of those, freewheeling
  std::atomic<bool> armed{false};
  std::atomic<bool> started{false};
  std::atomic<bool> done{false};
  size_t played = 0, heard = 0;
  long firstSoundHeard = -1;
};

int playCallback(jack_nframes_t frames, void* arg) {
  auto* r = static_cast<Recording*>(arg);
  float* out[2] = {static_cast<float*>(jack_port_get_buffer(r->play[0], frames)),
                   static_cast<float*>(jack_port_get_buffer(r->play[1], frames))};
  if (r->joined.load()) r->playerPeriod.store(jack_last_frame_time(r->playerClient));
  if (r->armed.load() && !r->started.load()) r->started.store(true);
  if (r->midiOut) {
    void* buffer = jack_port_get_buffer(r->midiOut, frames);
    jack_midi_clear_buffer(buffer);
    for (; r->started.load() && r->nextEvent < r->midi.size() &&
           r->midi[r->nextEvent].frame < r->periodStart + frames;
         ++r->nextEvent) {
      const MidiEvent& e = r->midi[r->nextEvent];
      jack_midi_event_write(buffer, static_cast<jack_nframes_t>(e.frame - r->periodStart),
                            e.bytes.data(), e.bytes.size());
    }
    if (r->started.load()) r->periodStart += frames;
  }
  for (jack_nframes_t i = 0; i < frames; ++i) {
    const bool playing = r->started.load() && r->played < r->inputFrames;
    for (int c = 0; c < 2; ++c) out[c][i] = playing ? r->input[2 * r->played + c] : 0.0f;
    if (playing) ++r->played;
  }
  return 0;
}

int recordCallback(jack_nframes_t frames, void* arg) {
  auto* r = static_cast<Recording*>(arg);
  const float* in[2] = {static_cast<const float*>(jack_port_get_buffer(r->rec[0], frames)),
                        static_cast<const float*>(jack_port_get_buffer(r->rec[1], frames))};
  if (r->joined.load()) {
    if (r->playerPeriod.load() == jack_last_frame_time(r->recorderClient)) {
      r->periodsInOrder.fetch_add(1);
      if (r->freewheeling.load()) r->freewheelPeriodsInOrder.fetch_add(1);
    } else {
      r->periodsInOrder.store(0);
      r->freewheelPeriodsInOrder.store(0);
    }
  }
  // From the period the player started in (this client runs after it in
  // the same period), one period after another.
  if (!r->started.load() || r->done.load()) return 0;
  for (jack_nframes_t i = 0; i < frames && r->heard < r->recordFrames; ++i, ++r->heard) {
    for (int c = 0; c < 2; ++c) {
      r->recorded[2 * r->heard + c] = in[c][i];
      if (in[c][i] != 0.0f && r->firstSoundHeard < 0)
        r->firstSoundHeard = static_cast<long>(r->heard);
    }
  }
  if (r->heard >= r->recordFrames) r->done.store(true);
  return 0;
}

int playAndRecord(jack_nframes_t frames, void* arg) {
  playCallback(frames, arg);
  return recordCallback(frames, arg);
}

// Freewheeling, the server runs as fast as its clients allow, waiting for
// each of them in every period: no period is lost to an xrun on a busy
// machine.
void onFreewheel(int starting, void* arg) {
  static_cast<Recording*>(arg)->freewheeling.store(starting != 0);
}

bool connect(jack_client_t* client, const std::string& from, const std::string& to) {
  return jack_connect(client, from.c_str(), to.c_str()) == 0;
}

int playRecord(const std::string& inPath, const std::string& outPath, double tail, bool oneClient,
               const std::string& midiPath) {
  SF_INFO info{};
  SNDFILE* file = sf_open(inPath.c_str(), SFM_READ, &info);
  if (!file || info.channels != 2) return fail("cannot read a stereo " + inPath);
  Recording r;
  r.inputFrames = static_cast<size_t>(info.frames);
  r.input.resize(r.inputFrames * 2);
  sf_readf_float(file, r.input.data(), info.frames);
  sf_close(file);
  if (!midiPath.empty() && !readMidiEvents(midiPath, &r.midi))
    return fail("cannot read " + midiPath);

  r.playerClient = openClient(oneClient ? "loop" : "player");
  if (!r.playerClient) return fail("no JACK server");
  if (static_cast<int>(jack_get_sample_rate(r.playerClient)) != info.samplerate)
    return fail("the server's rate is not the file's");
  r.recordFrames = r.inputFrames + static_cast<size_t>(tail * info.samplerate);
  r.recorded.assign(r.recordFrames * 2, 0.0f);
  jack_client_t* recorder = r.playerClient;
  if (!oneClient) {
    recorder = openClient("recorder");
    if (!recorder) return fail("no second client");
  }
  r.recorderClient = recorder;
  const char* playNames[2] = {"play_1", "play_2"};
  const char* recNames[2] = {"rec_1", "rec_2"};
  for (int c = 0; c < 2; ++c) {
    r.play[c] = jack_port_register(r.playerClient, playNames[c], JACK_DEFAULT_AUDIO_TYPE,
                                   JackPortIsOutput, 0);
    r.rec[c] =
        jack_port_register(recorder, recNames[c], JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  }
  if (!midiPath.empty())
    r.midiOut =
        jack_port_register(r.playerClient, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  if (oneClient) {
    jack_set_process_callback(r.playerClient, &playAndRecord, &r);
  } else {
    jack_set_process_callback(r.playerClient, &playCallback, &r);
    jack_set_process_callback(recorder, &recordCallback, &r);
  }
  jack_set_freewheel_callback(r.playerClient, &onFreewheel, &r);
  if (jack_activate(r.playerClient) != 0 || (!oneClient && jack_activate(recorder) != 0))
    return fail("cannot activate");
  const std::string player = jack_get_client_name(r.playerClient);
  const std::string rec = jack_get_client_name(recorder);
  for (int c = 0; c < 2; ++c) {
    const std::string n = std::to_string(c + 1);
    if (!connect(r.playerClient, player + ":play_" + n, "quillet-k3:in_" + n) ||
        !connect(r.playerClient, "quillet-k3:out_" + n, rec + ":rec_" + n))
      return fail("cannot join the ports of quillet-k3");
  }
  if (r.midiOut && !connect(r.playerClient, player + ":midi_out", "quillet-k3:midi_in"))
    return fail("cannot join quillet-k3:midi_in");
  // The first sound once the server runs the new graph in its order, player
  // -> quillet-k3 -> recorder, in every period: the recorder has run after
  // the player in the same period four times in a row. (Just after joining,
  // a period may still run the recorder first, and miss the first sound.)
  r.joined.store(true);
  const auto joinLimit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (r.periodsInOrder.load() < 4) {
    if (std::chrono::steady_clock::now() > joinLimit)
      return fail("the server does not run the player before the recorder");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // The first sound a few periods into freewheeling, in order: never in a
  // period of the change-over, where a busy machine may have the recorder
  // miss a period.
  if (jack_set_freewheel(r.playerClient, 1) != 0) return fail("cannot freewheel");
  while (r.freewheelPeriodsInOrder.load() < 4) {
    if (std::chrono::steady_clock::now() > joinLimit) return fail("the server does not freewheel");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  r.armed.store(true);
  const auto limit = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<long>(
                         2000 + 3000.0 * static_cast<double>(r.recordFrames) / info.samplerate));
  while (!r.done.load()) {
    if (std::chrono::steady_clock::now() > limit) return fail("the recording did not finish");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  jack_set_freewheel(r.playerClient, 0);
  const jack_nframes_t period = jack_get_buffer_size(r.playerClient);
  if (!oneClient) jack_client_close(recorder);
  jack_client_close(r.playerClient);
  std::printf("latency: %ld frames (period %u frames)\n", r.firstSoundHeard, period);
  return writeWav(outPath, r.recorded, info.samplerate) ? 0 : fail("cannot write " + outPath);
}

struct Sender {
  std::vector<MidiEvent> events;
  size_t next = 0;
  uint64_t periodStart = 0;
  jack_port_t* out = nullptr;
  std::atomic<bool> joined{false};
  std::atomic<int> periodsJoined{0};
  std::atomic<bool> freewheeling{false};
  std::atomic<int> freewheelPeriods{0};
  std::atomic<bool> armed{false};
  std::atomic<int> periodsAfter{0};  // periods run since the last event was written
};

int sendCallback(jack_nframes_t frames, void* arg) {
  auto* s = static_cast<Sender*>(arg);
  void* buffer = jack_port_get_buffer(s->out, frames);
  jack_midi_clear_buffer(buffer);
  if (s->joined.load()) s->periodsJoined.fetch_add(1);
  if (s->freewheeling.load()) s->freewheelPeriods.fetch_add(1);
  if (!s->armed.load()) return 0;
  for (; s->next < s->events.size() && s->events[s->next].frame < s->periodStart + frames;
       ++s->next) {
    const MidiEvent& e = s->events[s->next];
    jack_midi_event_write(buffer, static_cast<jack_nframes_t>(e.frame - s->periodStart),
                          e.bytes.data(), e.bytes.size());
  }
  s->periodStart += frames;
  if (s->next == s->events.size()) s->periodsAfter.fetch_add(1);
  return 0;
}

int sendMidi(const std::string& path) {
  Sender s;
  if (!readMidiEvents(path, &s.events)) return fail("cannot read " + path);
  jack_client_t* client = openClient("controller");
  if (!client) return fail("no JACK server");
  s.out = jack_port_register(client, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  jack_set_process_callback(client, &sendCallback, &s);
  jack_set_freewheel_callback(
      client,
      [](int starting, void* arg) { static_cast<Sender*>(arg)->freewheeling.store(starting != 0); },
      &s);
  if (!s.out || jack_activate(client) != 0) return fail("cannot activate");
  const std::string from = std::string(jack_get_client_name(client)) + ":midi_out";
  if (jack_connect(client, from.c_str(), "quillet-k3:midi_in") != 0)
    return fail("cannot join quillet-k3:midi_in");
  s.joined.store(true);
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (s.periodsJoined.load() < 4) {
    if (std::chrono::steady_clock::now() > limit) return fail("the server runs no periods");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // Freewheeling, every client runs every period, and the frames between the
  // events are exactly the file's. The first event a few periods into it,
  // never in a period of the change-over, which a busy machine may lose
  // (as play-record's first sound).
  if (jack_set_freewheel(client, 1) != 0) return fail("cannot freewheel");
  while (s.freewheelPeriods.load() < 4) {
    if (std::chrono::steady_clock::now() > limit) return fail("the server does not freewheel");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  s.armed.store(true);
  while (s.periodsAfter.load() < 4) {
    if (std::chrono::steady_clock::now() > limit) return fail("the events were not all sent");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  jack_set_freewheel(client, 0);
  jack_client_close(client);
  std::printf("sent %zu MIDI events\n", s.events.size());
  return 0;
}

std::atomic<bool> stopAsked{false};
double masterTempo = 120.0;

void onTimebase(jack_transport_state_t, jack_nframes_t, jack_position_t* position, int, void*) {
  position->valid = JackPositionBBT;
  position->bar = 1;
  position->beat = 1;
  position->tick = 0;
  position->bar_start_tick = 0;
  position->beats_per_bar = 4;
  position->beat_type = 4;
  position->ticks_per_beat = 1920;
  position->beats_per_minute = masterTempo;
}

int timebase(double bpm) {
  masterTempo = bpm;
  jack_client_t* client = openClient("timebase");
  if (!client) return fail("no JACK server");
  signal(SIGTERM, [](int) { stopAsked.store(true); });
  if (jack_set_timebase_callback(client, 0, &onTimebase, nullptr) != 0)
    return fail("cannot become the timebase master");
  if (jack_activate(client) != 0) return fail("cannot activate");
  jack_transport_start(client);
  std::printf("timebase master at %g bpm\n", bpm);
  std::fflush(stdout);
  while (!stopAsked.load()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  jack_release_timebase(client);
  jack_client_close(client);
  return 0;
}

std::atomic<uint64_t> watchedXruns{0};

int watch() {
  jack_client_t* client = openClient("watch");
  if (!client) return fail("no JACK server");
  signal(SIGTERM, [](int) { stopAsked.store(true); });
  jack_set_xrun_callback(
      client,
      [](void*) {
        watchedXruns.fetch_add(1);
        return 0;
      },
      nullptr);
  if (jack_activate(client) != 0) return fail("cannot activate");
  while (!stopAsked.load()) {
    std::printf("frames %u xruns %llu\n", jack_frame_time(client),
                static_cast<unsigned long long>(watchedXruns.load()));
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  jack_client_close(client);
  return 0;
}

namespace cli = quillet::cli;

int runMakeInput(const std::vector<std::string>& args);
int runPlayRecord(const std::vector<std::string>& args);
int runSendMidi(const std::vector<std::string>& args);
int runTimebase(const std::vector<std::string>& args);
int runWatch(const std::vector<std::string>& args);

constexpr cli::OptionSpec kOneClient =
    cli::flag("--one-client", "play and record in one client (a loop JACK breaks with a period)");
constexpr cli::OptionSpec kMidi =
    cli::text("--midi", "EVENTS", "a file name", "also play EVENTS into quillet-k3:midi_in");

const cli::CommandSpec kMakeInput = {
    "jack_test_client",
    "make-input",
    "OUT.wav SECONDS RATE: a stereo input that sounds from its first frame",
    runMakeInput,
    {{nullptr,
      "OUT.wav SECONDS RATE",
      "Writes a stereo float WAV of plucks, clicks and noise bursts.",
      {3, 3, "make-input wants OUT.wav SECONDS RATE", "make-input wants OUT.wav SECONDS RATE"},
      {}}}};
const cli::CommandSpec kPlayRecord = {
    "jack_test_client",
    "play-record",
    "IN.wav OUT.wav SECONDS-AFTER: plays into quillet-k3 and records it",
    runPlayRecord,
    {{nullptr,
      "IN.wav OUT.wav SECONDS-AFTER [--one-client] [--midi EVENTS]",
      "Plays IN.wav into quillet-k3 and records its outputs, the server freewheeling.",
      {3, 3, "play-record wants IN.wav OUT.wav SECONDS-AFTER",
       "play-record wants IN.wav OUT.wav SECONDS-AFTER"},
      {kOneClient, kMidi}}}};
const cli::CommandSpec kSendMidi = {
    "jack_test_client",
    "send-midi",
    "EVENTS: plays MIDI events into quillet-k3:midi_in",
    runSendMidi,
    {{nullptr,
      "EVENTS",
      "Plays EVENTS into quillet-k3:midi_in, the server freewheeling.",
      {1, 1, "no EVENTS file given", "one EVENTS file at a time"},
      {}}}};
const cli::CommandSpec kTimebase = {
    "jack_test_client",
    "timebase",
    "BPM: the transport's timebase master until SIGTERM",
    runTimebase,
    {{nullptr,
      "BPM",
      "Rolls the transport as its timebase master at BPM until SIGTERM.",
      {1, 1, "no tempo given", "one tempo at a time"},
      {}}}};

const cli::CommandSpec kWatch = {
    "jack_test_client",
    "watch",
    "prints the server's frame time and its xruns about every 10 ms until SIGTERM",
    runWatch,
    {{nullptr,
      "",
      "An idle client printing \"frames F xruns X\" lines until SIGTERM.",
      {0, 0, "", "watch takes no argument"},
      {}}}};

// Each sub-command's line read by its table; `run` with what it said.
template <typename Run>
int readThen(const cli::CommandSpec& command, const std::vector<std::string>& args, Run run) {
  cli::CommandLine line;
  const int status = cli::readCommandLine(command, args, &line);
  return status == cli::kRunCommand ? run(line, line.positionals()) : status;
}

using Args = std::vector<std::string>;

int runMakeInput(const Args& args) {
  return readThen(kMakeInput, args, [](const cli::CommandLine&, const Args& p) {
    return makeInput(p[0], std::atof(p[1].c_str()), std::atoi(p[2].c_str()));
  });
}

int runPlayRecord(const Args& args) {
  return readThen(kPlayRecord, args, [](const cli::CommandLine& line, const Args& p) {
    return playRecord(p[0], p[1], std::atof(p[2].c_str()), line.has(kOneClient), line.text(kMidi));
  });
}

int runSendMidi(const Args& args) {
  return readThen(kSendMidi, args,
                  [](const cli::CommandLine&, const Args& p) { return sendMidi(p[0]); });
}

int runTimebase(const Args& args) {
  return readThen(kTimebase, args, [](const cli::CommandLine&, const Args& p) {
    return timebase(std::atof(p[0].c_str()));
  });
}

int runWatch(const Args& args) {
  return readThen(kWatch, args, [](const cli::CommandLine&, const Args&) { return watch(); });
}

}  // namespace

int main(int argc, char** argv) {
  const cli::ProgramSpec program = {"jack_test_client",
                                    {&kMakeInput, &kPlayRecord, &kSendMidi, &kTimebase, &kWatch}};
  return cli::runProgram(program, std::vector<std::string>(argv + 1, argv + argc));
}
