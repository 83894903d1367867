// The host's extensions the plug-in uses, looked up once in init, and the
// thread check debug builds make with the host's thread-check extension.
#pragma once

#include "clap/interface/clap_audio_extensions.h"
#include "clap/interface/clap_gui.h"
#include "clap/interface/clap_presets.h"

namespace quillet::clap {

struct HostServices {
  const clap_host_t* host = nullptr;
  const clap_host_params_t* params = nullptr;
  const clap_host_state_t* state = nullptr;
  const clap_host_tail_t* tail = nullptr;
  const clap_host_preset_load_t* presetLoad = nullptr;
  const clap_host_thread_check_t* threadCheck = nullptr;
  const clap_host_timer_support_t* timers = nullptr;
  const clap_host_posix_fd_support_t* fds = nullptr;
  const clap_host_gui_t* gui = nullptr;

  // [main thread, in the plug-in's init] Every pointer is null when the host
  // does not offer the extension or leaves out one of its functions.
  void lookUp(const clap_host_t* host);

  // Debug builds (or QUILLET_CLAP_THREAD_CHECKS=1) stop the process with a
  // message naming `call` when the host says it came on another thread than
  // CLAP gives it; without the host's thread-check nothing is checked.
  void expectMainThread(const char* call) const;
  void expectAudioThread(const char* call) const;

  // Asks for a flush, when the host offers one (any thread but the audio
  // thread).
  void requestFlush() const;
};

}  // namespace quillet::clap
