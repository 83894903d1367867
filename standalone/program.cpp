#include "standalone/program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>

#include "cli/command_line.h"
#include "core/echo_core.h"
#include "core/identity.h"
#include "standalone/echo_runner.h"
#include "standalone/jack_link.h"
#include "standalone/link_status.h"
#include "standalone/midi/midi_map_file.h"
#include "standalone/options.h"
#include "standalone/panel_window.h"
#include "standalone/pedal.h"
#include "standalone/signal_events.h"
#include "standalone/starting_values.h"
#include "standalone/state_file.h"
#include "standalone/tempo_file.h"

namespace quillet::standalone {

namespace {

constexpr const char* kNoServer = "no JACK server is running (start one, or use --wait-for-server)";
// The longest the client waits for the panel's first drawing before it runs.
constexpr int kFirstDrawingMs = 2000;
constexpr int kPanelIdleMs = 33;  // about 30 passes a second, as in the plug-ins
// Without the panel: how soon a tempo tapped over MIDI is told on the terminal.
constexpr int kNewsMs = 250;
// How often a missing server is looked for.
constexpr std::chrono::milliseconds kServerRetry{500};
using Clock = std::chrono::steady_clock;

void say(const std::string& line) {
  std::printf("quillet-k3: %s\n", line.c_str());
  std::fflush(stdout);
}
void complain(const std::string& line) { std::fprintf(stderr, "quillet-k3: %s\n", line.c_str()); }

// A pipe JACK's threads write a byte into to wake the main loop.
struct WakePipe {
  int fds[2] = {-1, -1};
  bool open() { return pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0; }
  void drain() {
    char bytes[64];
    while (read(fds[0], bytes, sizeof bytes) > 0) {
    }
  }
  ~WakePipe() {
    for (int fd : fds)
      if (fd >= 0) close(fd);
  }
};

// Which parameters were stored since the main loop last looked, from any
// thread (MIDI's on the audio thread): the panel's controls follow them.
class StoredMarks final : public quillet::core::ParamListener {
 public:
  void parameterStored(int32_t index, float) override {
    marks.fetch_or(1u << index, std::memory_order_relaxed);
  }
  uint32_t take() { return marks.exchange(0, std::memory_order_relaxed); }

 private:
  std::atomic<uint32_t> marks{0};
};

class Program {
 public:
  explicit Program(const Options& options)
      : options(options), runner(core), pedal(core, say, complain) {
    core.setListener(&marks);  // before any other thread sees the core
    if (options.fixedClock) runner.useFixedClock();
  }
  int run();

 private:
  bool restoreValues();
  void restoreTempo(bool reload);
  void reloadValues();
  int finish(int status, const std::string& why);
  bool link();
  bool startLink();
  LinkStatus status() const;
  void showStatus();
  void tellTempo();
  void handleJackNews();

  const Options& options;
  std::string statePath;
  std::string mapPath;
  quillet::core::EchoCore core;
  StoredMarks marks;
  EchoRunner runner;
  Pedal pedal;
  WakePipe wake;
  std::unique_ptr<SignalEvents> signals;
  std::unique_ptr<JackLink> jack;
  std::unique_ptr<PanelWindow> window;
  std::string shownTitle, shownLine;  // the status last shown
  std::string shownTempo;             // the tempo last told on the terminal
  Clock::time_point nextTry;          // when to look for a missing server again
  bool serverLost = false;            // without --wait-for-server: end with kExitNoServer
};

bool Program::restoreValues() {
  statePath = options.stateFile.empty() ? defaultStatePath() : options.stateFile;
  if (statePath.empty()) {
    complain("no home folder for the state file: name one with --state FILE");
    return false;
  }
  std::string why;
  if (readStateFile(statePath, core, &why) == StateRead::kRefused) {
    // Never saved over: it may be something else given by mistake.
    complain(statePath + " is " + why + "; move it away or name another with --state FILE");
    return false;
  }
  restoreTempo(false);
  // The preset, then --bpm (the echo on its note), then each --set.
  std::string error;
  if (!applyPresetAndSets(core, options.preset, {}, &error)) {
    complain(error);
    return false;
  }
  if (options.bpm > 0.0) pedal.startAt(options.bpm);
  if (!applyPresetAndSets(core, "", options.sets, &error)) {
    complain(error);
    return false;
  }
  return true;
}

void Program::restoreTempo(bool reload) {
  std::string why;
  const std::string path = tempoPathFor(statePath);
  switch (readTempoFile(path, &pedal.tempo(), &why)) {
    case TempoRead::kLoaded:
      if (reload) say("reloaded " + path);
      break;
    case TempoRead::kMissing:
      break;
    case TempoRead::kRefused:
      // Ours by its name: the tempo stays as it is, and the end saves over it.
      complain(path + " is " + why + "; the tempo stays as it is");
      break;
  }
}

void Program::reloadValues() {
  std::string why;
  switch (readStateFile(statePath, core, &why)) {
    case StateRead::kLoaded:
      say("reloaded " + statePath);
      restoreTempo(true);
      if (window) window->showAllValues();
      break;
    case StateRead::kMissing:
      complain("no " + statePath + " to reload; the values stay as they are");
      break;
    case StateRead::kRefused:
      complain(statePath + " is " + why + "; the values stay as they are");
      break;
  }
}

bool Program::link() {
  std::string error;
  return jack->open(&error) && startLink();
}

// The opened client runs from here on.
bool Program::startLink() {
  std::string error;
  if (!jack->activate(&error)) return false;
  if (options.connect) {
    std::string report;
    jack->connectSystemPorts(&report);
    say("joined " + report);
  }
  if (options.connect || !options.midiConnect.empty()) {
    std::string report;
    switch (jack->connectMidi(options.midiConnect, &report)) {
      case JackLink::MidiJoin::kJoined:
        say("joined " + report);
        break;
      case JackLink::MidiJoin::kNoSource:
        say(report);
        break;
      case JackLink::MidiJoin::kFailed:
        complain(report);
        break;
    }
  }
  if (runner.rate() == 0.0) complain("the server's rate is one the echo cannot run at: silence");
  return true;
}

LinkStatus Program::status() const {
  LinkStatus s;
  s.xruns = jack->xruns();
  if (!jack->isOpen()) return s;
  s.state = runner.rate() > 0.0 ? LinkStatus::State::kLinked : LinkStatus::State::kBadRate;
  s.clientName = jack->clientName();
  s.rate = jack->serverRate();
  s.periodFrames = jack->periodFrames();
  return s;
}

void Program::showStatus() {
  const LinkStatus now = status();
  const double transport = jack->tempo();
  const std::string title = windowTitle(now, pedal.titleText(transport));
  tellTempo();
  if (title == shownTitle) return;
  shownTitle = title;
  if (window) window->setTitle(title);
  // The terminal hears of the link, not of every xrun.
  LinkStatus withoutXruns = now;
  withoutXruns.xruns = 0;
  const std::string line = describeLink(withoutXruns);
  if (line != shownLine) say(line);
  shownLine = line;
}

void Program::tellTempo() {
  // The terminal hears of each new tempo of our own.
  const std::string tempo = pedal.tempoText(0.0);
  if (tempo != shownTempo && !tempo.empty()) say("tempo " + tempo);
  shownTempo = tempo;
}

void Program::handleJackNews() {
  wake.drain();
  if (jack->takeServerGone()) {
    jack->close();
    if (!options.waitForServer) {
      serverLost = true;
      return;
    }
    nextTry = Clock::now() + kServerRetry;
  }
  double rate = 0.0;
  // The server's new rate: a fresh start there, as a host's would.
  if (jack->isOpen() && jack->takeRateChange(&rate)) runner.startAt(rate);
}

int Program::finish(int status, const std::string& why) {
  // What the user did on the panel just before (a signal may come before
  // the panel's events are read) belongs to the values saved.
  if (window) window->catchUp();
  pedal.idle();  // and a controller learned just before
  if (jack) jack->close();
  window.reset();
  tellTempo();
  const std::string xruns = jack ? xrunCount(jack->xruns(), jack->serverRealtime()) : "0 xruns";
  if (!writeTempoFile(tempoPathFor(statePath), pedal.tempo()))
    complain(why + "could not save the tempo to " + tempoPathFor(statePath));
  if (!writeStateFile(statePath, core)) {
    complain(why + "could not save the values to " + statePath + " (" + xruns + ")");
    return status == kExitDone ? kExitProblem : status;
  }
  const std::string line = why + "values saved to " + statePath + " (" + xruns + ")";
  if (status == kExitDone)
    say(line);
  else
    complain(line);
  return status;
}

int Program::run() {
  // First, before any thread starts: the signals go to the main loop only.
  signals = SignalEvents::create();
  if (!signals || !wake.open()) {
    complain("cannot take over the signals");
    return kExitProblem;
  }
  if (!restoreValues()) return kExitProblem;
  mapPath = defaultMidiMapPath();
  pedal.loadMap(mapPath, false);
  jack = std::make_unique<JackLink>(runner, pedal.midiInput(), wake.fds[1]);
  // The client first, so that a missing server is said before a window
  // opens; the panel next, while the server does not call us yet (its
  // opening keeps both cores busy for a moment: see JackLink::activate);
  // then the client runs.
  std::string error;
  bool opened = jack->open(&error);
  if (!opened && !options.waitForServer) {
    complain(kNoServer);
    return kExitNoServer;
  }
  if (!options.noGui) {
    window = PanelWindow::open(
        core, pedal, [this] { return jack->tempo(); },
        windowTitle(status(), pedal.titleText(jack->tempo())), &error);
    if (!window) {
      jack->close();
      complain(error);
      return kExitProblem;
    }
  }
  // Its first drawing too (the whole picture, and the X server's work to
  // show it), which would otherwise share the cores with the first periods.
  if (window) window->waitUntilDrawn(kFirstDrawingMs);
  if (opened && !startLink()) opened = false;
  if (!opened) {
    if (!options.waitForServer) {
      complain(kNoServer);
      return kExitNoServer;
    }
    nextTry = Clock::now() + kServerRetry;
  }
  showStatus();

  for (;;) {
    std::vector<pollfd> fds{{signals->fileDescriptor(), POLLIN, 0}, {wake.fds[0], POLLIN, 0}};
    if (window)
      for (int fd : window->fileDescriptors()) fds.push_back({fd, POLLIN, 0});
    int timeout = window ? kPanelIdleMs : kNewsMs;
    if (!jack->isOpen()) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextTry - Clock::now());
      const int ms = static_cast<int>(std::max<int64_t>(0, wait.count()));
      if (ms < timeout) timeout = ms;
    }
    const int ready = poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR) return finish(kExitProblem, "poll failed; ");

    for (int signal = signals->take(); signal != 0; signal = signals->take()) {
      if (signal == SIGHUP) {
        reloadValues();
        pedal.loadMap(mapPath, true);
        continue;
      }
      return finish(kExitDone, "");
    }
    handleJackNews();
    if (serverLost) return finish(kExitNoServer, "the JACK server went away; ");
    if (!jack->isOpen() && Clock::now() >= nextTry && !link())
      nextTry = Clock::now() + kServerRetry;
    pedal.idle();
    const uint32_t stored = marks.take();
    if (window) {
      window->showValues(stored);
      window->idle();
      if (window->closed()) return finish(kExitDone, "");
    }
    showStatus();
  }
}

}  // namespace

int runStandalone(const std::vector<std::string>& args) {
  Options options;
  const int status = readOptions(args, &options);
  if (status != quillet::cli::kRunCommand) return status;
  if (options.version) {
    std::printf("quillet-k3 %s\n", quillet::core::identity::kVersion);
    return kExitDone;
  }
  Program program(options);
  return program.run();
}

}  // namespace quillet::standalone
