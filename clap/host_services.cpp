#include "clap/host_services.h"

#include <cstdio>
#include <cstdlib>

#if !defined(NDEBUG) && !defined(QUILLET_CLAP_THREAD_CHECKS)
#define QUILLET_CLAP_THREAD_CHECKS 1
#endif

namespace quillet::clap {
namespace {

template <typename Extension>
const Extension* extensionOf(const clap_host_t* host, const char* id) {
  if (host == nullptr || host->get_extension == nullptr) return nullptr;
  return static_cast<const Extension*>(host->get_extension(host, id));
}

#if QUILLET_CLAP_THREAD_CHECKS
[[noreturn]] void wrongThread(const char* call, const char* thread) {
  std::fprintf(stderr, "QuilletK3.clap: the host called %s outside the %s thread\n", call, thread);
  std::abort();
}
#endif

}  // namespace

void HostServices::lookUp(const clap_host_t* h) {
  host = h;
  params = extensionOf<clap_host_params_t>(h, CLAP_EXT_PARAMS);
  if (params != nullptr &&
      (params->rescan == nullptr || params->clear == nullptr || params->request_flush == nullptr)) {
    params = nullptr;
  }
  state = extensionOf<clap_host_state_t>(h, CLAP_EXT_STATE);
  if (state != nullptr && state->mark_dirty == nullptr) state = nullptr;
  tail = extensionOf<clap_host_tail_t>(h, CLAP_EXT_TAIL);
  if (tail != nullptr && tail->changed == nullptr) tail = nullptr;
  presetLoad = extensionOf<clap_host_preset_load_t>(h, CLAP_EXT_PRESET_LOAD);
  if (presetLoad == nullptr) {
    presetLoad = extensionOf<clap_host_preset_load_t>(h, CLAP_EXT_PRESET_LOAD_COMPAT);
  }
  if (presetLoad != nullptr && presetLoad->loaded == nullptr) presetLoad = nullptr;
  threadCheck = extensionOf<clap_host_thread_check_t>(h, CLAP_EXT_THREAD_CHECK);
  if (threadCheck != nullptr &&
      (threadCheck->is_main_thread == nullptr || threadCheck->is_audio_thread == nullptr)) {
    threadCheck = nullptr;
  }
  timers = extensionOf<clap_host_timer_support_t>(h, CLAP_EXT_TIMER_SUPPORT);
  if (timers != nullptr &&
      (timers->register_timer == nullptr || timers->unregister_timer == nullptr))
    timers = nullptr;
  fds = extensionOf<clap_host_posix_fd_support_t>(h, CLAP_EXT_POSIX_FD_SUPPORT);
  if (fds != nullptr && (fds->register_fd == nullptr || fds->unregister_fd == nullptr))
    fds = nullptr;
  gui = extensionOf<clap_host_gui_t>(h, CLAP_EXT_GUI);
}

void HostServices::expectMainThread([[maybe_unused]] const char* call) const {
#if QUILLET_CLAP_THREAD_CHECKS
  if (threadCheck != nullptr && !threadCheck->is_main_thread(host)) wrongThread(call, "main");
#endif
}

void HostServices::expectAudioThread([[maybe_unused]] const char* call) const {
#if QUILLET_CLAP_THREAD_CHECKS
  if (threadCheck != nullptr && !threadCheck->is_audio_thread(host)) wrongThread(call, "audio");
#endif
}

void HostServices::requestFlush() const {
  if (params != nullptr) params->request_flush(host);
}

}  // namespace quillet::clap
