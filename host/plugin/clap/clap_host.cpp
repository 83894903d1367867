#include "host/plugin/clap/clap_host.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#ifndef _WIN32
#include <poll.h>
#endif

namespace quillet::host {
namespace {

const char* const kCallNames[] = {
    "params.rescan",        "params.clear",   "params.request_flush",
    "state.mark_dirty",     "tail.changed",   "preset_load.loaded",
    "preset_load.on_error", "register_timer", "unregister_timer",
    "register_fd",          "modify_fd",      "unregister_fd",
    "gui request",
};

int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

const clap_host_thread_check_t kThreadCheck = {
    [](const clap_host_t* h) {
      return static_cast<ClapHost*>(h->host_data)->threads().onMainThread();
    },
    [](const clap_host_t* h) {
      return static_cast<ClapHost*>(h->host_data)->threads().onAudioThread();
    },
};

}  // namespace

ClapHost& ClapHost::of(const clap_host_t* host) { return *static_cast<ClapHost*>(host->host_data); }

void ClapHost::expectMain(Call call) {
  if (!threadRoles.onMainThread()) wrongThreads.fetch_or(1u << call);
}

void ClapHost::expectNotAudio(Call call) {
  if (threadRoles.onAudioThread()) wrongThreads.fetch_or(1u << call);
}

void ClapHost::expectAudio(Call call) {
  if (!threadRoles.onAudioThread()) wrongThreads.fetch_or(1u << call);
}

std::vector<std::string> ClapHost::wrongThreadCalls() const {
  std::vector<std::string> names;
  const uint32_t bits = wrongThreads.load();
  for (uint32_t c = 0; c < kCallCount; ++c)
    if (bits & (1u << c)) names.push_back(kCallNames[c]);
  return names;
}

ClapHost::ClapHost() {
  static_assert(sizeof(kCallNames) / sizeof(kCallNames[0]) == kCallCount, "a name per call");
  record.clap_version = {1, 2, 0};
  record.host_data = this;
  record.name = "quillet-host";
  record.vendor = "Marrow Ledge";
  record.url = "";
  record.version = "1";
  record.get_extension = extension;
  record.request_restart = [](const clap_host_t* h) { ++of(h).restartRequests; };
  record.request_process = [](const clap_host_t*) {};
  record.request_callback = [](const clap_host_t* h) { ++of(h).callbackRequests; };
}

void ClapHost::attach(const clap_plugin_t* p) { plugin = p; }

const void* ClapHost::extension(const clap_host_t*, const char* id) {
  static const clap_host_params_t params = {
      [](const clap_host_t* h, clap_param_rescan_flags flags) {
        ClapHost& self = of(h);
        self.expectMain(kRescan);
        if (self.threadRoles.onMainThread()) self.rescans.push_back(flags);
      },
      [](const clap_host_t* h, clap_id, clap_param_clear_flags) { of(h).expectMain(kClear); },
      [](const clap_host_t* h) {
        ClapHost& self = of(h);
        self.expectNotAudio(kRequestFlush);
        ++self.flushRequests;
      },
  };
  static const clap_host_state_t state = {[](const clap_host_t* h) {
    ClapHost& self = of(h);
    self.expectMain(kMarkDirty);
    if (self.threadRoles.onMainThread()) ++self.dirtyMarks;
  }};
  static const clap_host_tail_t tail = {[](const clap_host_t* h) {
    ClapHost& self = of(h);
    self.expectAudio(kTailChanged);
    ++self.tailChanges;
  }};
  static const clap_host_preset_load_t presetLoad = {
      [](const clap_host_t* h, uint32_t, const char*, const char*, int32_t, const char* message) {
        ClapHost& self = of(h);
        self.expectMain(kPresetError);
        if (self.threadRoles.onMainThread()) self.presetErrors.push_back(message ? message : "");
      },
      [](const clap_host_t* h, uint32_t, const char*, const char* key) {
        ClapHost& self = of(h);
        self.expectMain(kPresetLoaded);
        if (self.threadRoles.onMainThread()) self.presetsLoaded.push_back(key ? key : "");
      },
  };
  static const clap_host_log_t log = {
      [](const clap_host_t* h, clap_log_severity severity, const char* message) {
        ClapHost& self = of(h);
        std::lock_guard<std::mutex> hold(self.logLock);
        self.logLines.push_back(std::to_string(severity) + ": " + (message ? message : ""));
      }};
  static const clap_host_timer_support_t timers = {
      [](const clap_host_t* h, uint32_t period, clap_id* id) {
        ClapHost& self = of(h);
        self.expectMain(kRegisterTimer);
        if (id == nullptr || !self.threadRoles.onMainThread()) return false;
        // Hosts may lengthen short periods; this one keeps 10 ms at least.
        const uint32_t kept = std::max<uint32_t>(period, 10);
        *id = self.nextTimer++;
        self.timers.push_back({*id, kept, nowMs() + kept});
        return true;
      },
      [](const clap_host_t* h, clap_id id) {
        ClapHost& self = of(h);
        self.expectMain(kUnregisterTimer);
        auto& list = self.timers;
        const auto it =
            std::find_if(list.begin(), list.end(), [id](const Timer& t) { return t.id == id; });
        if (it == list.end() || !self.threadRoles.onMainThread()) return false;
        list.erase(it);
        return true;
      },
  };
#ifndef _WIN32
  static const clap_host_posix_fd_support_t fds = {
      [](const clap_host_t* h, int fd, clap_posix_fd_flags_t flags) {
        ClapHost& self = of(h);
        self.expectMain(kRegisterFd);
        if (fd < 0 || !self.threadRoles.onMainThread()) return false;
        for (const Descriptor& d : self.descriptors)
          if (d.fd == fd) return false;
        self.descriptors.push_back({fd, flags});
        return true;
      },
      [](const clap_host_t* h, int fd, clap_posix_fd_flags_t flags) {
        ClapHost& self = of(h);
        self.expectMain(kModifyFd);
        for (Descriptor& d : self.descriptors)
          if (d.fd == fd) {
            d.flags = flags;
            return true;
          }
        return false;
      },
      [](const clap_host_t* h, int fd) {
        ClapHost& self = of(h);
        self.expectMain(kUnregisterFd);
        auto& list = self.descriptors;
        const auto it = std::find_if(list.begin(), list.end(),
                                     [fd](const Descriptor& d) { return d.fd == fd; });
        if (it == list.end() || !self.threadRoles.onMainThread()) return false;
        list.erase(it);
        return true;
      },
  };
#endif
  // The panel has the host's window: it may ask for another size (its
  // scale changed); showing and hiding it are not offered.
  static const clap_host_gui_t gui = {
      [](const clap_host_t*) {},
      [](const clap_host_t* h, uint32_t width, uint32_t height) {
        ClapHost& self = of(h);
        // Thread-safe in CLAP; this host resizes on its main thread only.
        if (!self.threadRoles.onMainThread()) return false;
        self.resizeRequests.emplace_back(width, height);
        return self.resizeWindow && self.resizeWindow(width, height);
      },
      [](const clap_host_t*) { return false; },
      [](const clap_host_t*) { return false; },
      [](const clap_host_t*, bool) {},
  };
  if (id == nullptr) return nullptr;
  const auto is = [id](const char* name) { return std::strcmp(id, name) == 0; };
  if (is(CLAP_EXT_THREAD_CHECK)) return &kThreadCheck;
  if (is(CLAP_EXT_PARAMS)) return &params;
  if (is(CLAP_EXT_STATE)) return &state;
  if (is(CLAP_EXT_TAIL)) return &tail;
  if (is(CLAP_EXT_PRESET_LOAD) || is(CLAP_EXT_PRESET_LOAD_COMPAT)) return &presetLoad;
  if (is(CLAP_EXT_LOG)) return &log;
  if (is(CLAP_EXT_TIMER_SUPPORT)) return &timers;
#ifndef _WIN32
  if (is(CLAP_EXT_POSIX_FD_SUPPORT)) return &fds;
#endif
  if (is(CLAP_EXT_GUI)) return &gui;
  return nullptr;
}

void ClapHost::runFor(int milliseconds, const std::function<void()>& pump,
                      const std::function<bool()>& done) {
  const int64_t end = nowMs() + milliseconds;
  const auto* timerExt = plugin ? static_cast<const clap_plugin_timer_support_t*>(
                                      plugin->get_extension(plugin, CLAP_EXT_TIMER_SUPPORT))
                                : nullptr;
#ifndef _WIN32
  const auto* fdExt = plugin ? static_cast<const clap_plugin_posix_fd_support_t*>(
                                   plugin->get_extension(plugin, CLAP_EXT_POSIX_FD_SUPPORT))
                             : nullptr;
#endif
  for (;;) {
    if (pump) pump();
    if (flushRequests.exchange(0) > 0 && flushNow && !processing.load()) flushNow();
    if (callbackRequests.exchange(0) > 0 && plugin) plugin->on_main_thread(plugin);
    int64_t now = nowMs();
    // Due timers; a callback may unregister any timer, so look each one up anew.
    for (size_t i = 0; i < timers.size(); ++i) {
      if (timers[i].due > now) continue;
      const clap_id id = timers[i].id;
      timers[i].due = now + timers[i].period;
      ++timerCalls;
      if (timerExt) timerExt->on_timer(plugin, id);
    }
    if (done && done()) return;
    now = nowMs();
    if (now >= end) return;
    int64_t wait = std::min<int64_t>(end - now, 10);
    for (const Timer& t : timers) wait = std::max<int64_t>(0, std::min(wait, t.due - now));
#ifndef _WIN32
    std::vector<pollfd> watched;
    for (const Descriptor& d : descriptors) {
      short events = 0;
      if (d.flags & CLAP_POSIX_FD_READ) events |= POLLIN;
      if (d.flags & CLAP_POSIX_FD_WRITE) events |= POLLOUT;
      watched.push_back({d.fd, events, 0});
    }
    if (!watched.empty()) {
      if (poll(watched.data(), watched.size(), static_cast<int>(wait)) > 0) {
        for (const pollfd& p : watched) {
          if (p.revents == 0) continue;
          uint32_t flags = 0;
          if (p.revents & POLLIN) flags |= CLAP_POSIX_FD_READ;
          if (p.revents & POLLOUT) flags |= CLAP_POSIX_FD_WRITE;
          if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) flags |= CLAP_POSIX_FD_ERROR;
          ++descriptorCalls;
          if (fdExt) fdExt->on_fd(plugin, p.fd, flags);
        }
      }
      continue;
    }
#endif
    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
  }
}

}  // namespace quillet::host
