// The host side of one CLAP plug-in instance in quillet-host: the clap_host
// record and the host extensions a plug-in may ask for (thread-check, params,
// state, tail, preset-load, log, gui, timer-support and, on POSIX systems,
// posix-fd-support). Every request is checked against the thread CLAP gives
// it and counted; a call on the wrong thread is remembered by name. Timers
// and descriptors the plug-in registers run in runFor(), the host's main
// loop, which also answers request_flush and request_callback.
//
// Requests that may come from the audio thread (request_flush, tail changed,
// request_restart, request_process, request_callback) are counted in atomics,
// so answering them allocates nothing there.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "clap/interface/clap_audio_extensions.h"
#include "clap/interface/clap_gui.h"
#include "clap/interface/clap_presets.h"
#include "host/plugin/clap/clap_threads.h"

namespace quillet::host {

class ClapHost {
 public:
  // The constructing thread is the main thread.
  ClapHost();
  ClapHost(const ClapHost&) = delete;
  ClapHost& operator=(const ClapHost&) = delete;

  const clap_host_t* host() const { return &record; }
  ClapThreads& threads() { return threadRoles; }
  // The plug-in the timers, descriptors and main-thread callbacks go to.
  void attach(const clap_plugin_t* plugin);
  // Called from runFor() when the plug-in asked for a flush.
  void onFlushRequest(std::function<void()> flush) { flushNow = std::move(flush); }
  // Answers gui.request_resize (the panel's window); without it every
  // request is refused.
  void onResizeRequest(std::function<bool(uint32_t, uint32_t)> resize) {
    resizeWindow = std::move(resize);
  }
  // Whether the plug-in is processing now: request_flush comes while it is
  // not (a processing host collects from process anyway).
  void setProcessing(bool on) { processing.store(on, std::memory_order_relaxed); }

  // ---- what the plug-in asked (read on the main thread) ----
  std::vector<uint32_t> rescans;                              // flags of each params.rescan
  int dirtyMarks = 0;                                         // state.mark_dirty
  std::vector<std::string> presetsLoaded;                     // preset-load loaded: load keys
  std::vector<std::string> presetErrors;                      // preset-load on_error: messages
  std::vector<std::string> logLines;                          // "severity: message"
  std::vector<std::pair<uint32_t, uint32_t>> resizeRequests;  // gui.request_resize
  std::atomic<int> flushRequests{0};
  std::atomic<int> tailChanges{0};
  std::atomic<int> restartRequests{0};
  std::atomic<int> callbackRequests{0};
  // Names of the host functions the plug-in called on a thread CLAP does not
  // allow for them (request_flush from the audio thread, timers off the main
  // thread, ...); each name once.
  std::vector<std::string> wrongThreadCalls() const;

  // ---- the main loop ----
  size_t timerCount() const { return timers.size(); }
  size_t descriptorCount() const { return descriptors.size(); }
  // The period the plug-in asked for its first timer (0 without one).
  uint32_t firstTimerPeriod() const { return timers.empty() ? 0 : timers.front().period; }
  // Counts of the plug-in's callbacks made by runFor().
  int timerCalls = 0;
  int descriptorCalls = 0;
  // Runs the host's loop on the main thread for `milliseconds` (or until
  // `done` answers true): due timers, readable descriptors (waiting on them
  // in between), a requested flush and on_main_thread; `pump` each turn for
  // the host's own window.
  void runFor(int milliseconds, const std::function<void()>& pump,
              const std::function<bool()>& done = {});

 private:
  struct Timer {
    clap_id id;
    uint32_t period;
    int64_t due;  // steady clock, ms
  };
  struct Descriptor {
    int fd;
    uint32_t flags;
  };
  enum Call : uint32_t {
    kRescan,
    kClear,
    kRequestFlush,
    kMarkDirty,
    kTailChanged,
    kPresetLoaded,
    kPresetError,
    kRegisterTimer,
    kUnregisterTimer,
    kRegisterFd,
    kModifyFd,
    kUnregisterFd,
    kGuiRequest,
    kCallCount
  };
  static ClapHost& of(const clap_host_t* host);
  void expectMain(Call call);
  void expectNotAudio(Call call);
  void expectAudio(Call call);
  static const void* extension(const clap_host_t* host, const char* id);

  clap_host_t record{};
  ClapThreads threadRoles;
  const clap_plugin_t* plugin = nullptr;
  std::function<void()> flushNow;
  std::function<bool(uint32_t, uint32_t)> resizeWindow;
  std::atomic<bool> processing{false};
  std::atomic<uint32_t> wrongThreads{0};
  std::mutex logLock;
  std::vector<Timer> timers;
  std::vector<Descriptor> descriptors;
  clap_id nextTimer = 1;
};

}  // namespace quillet::host
