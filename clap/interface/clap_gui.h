/* The panel's side of the interface: the gui extension with its window
 * reference, and the host services an embedded panel lives on without a
 * thread of its own (timers, file-descriptor callbacks), plus the host's
 * thread check and log.
 *
 * Source of the facts: the public CLAP 1.2 headers ext/gui.h,
 * ext/timer-support.h, ext/posix-fd-support.h, ext/thread-check.h and
 * ext/log.h. */
#ifndef QUILLET_CLAP_ABI_GUI_H
#define QUILLET_CLAP_ABI_GUI_H

#include "clap/interface/clap_plugin.h"

#ifdef __cplusplus
extern "C" {
#endif

#define CLAP_EXT_GUI "clap.gui"

/* Window system names. x11 and win32 sizes are physical pixels, so the host
 * tells the scale with set_scale; cocoa uses logical pixels (no set_scale);
 * wayland has no embedding. */
#define CLAP_WINDOW_API_WIN32 "win32"
#define CLAP_WINDOW_API_COCOA "cocoa"
#define CLAP_WINDOW_API_X11 "x11"
#define CLAP_WINDOW_API_WAYLAND "wayland"

typedef void* clap_hwnd;
typedef void* clap_nsview;
typedef unsigned long clap_xwnd; /* an X11 Window id */

typedef struct clap_window {
  const char* api; /* one of the CLAP_WINDOW_API names */
  union {
    clap_nsview cocoa;
    clap_xwnd x11;
    clap_hwnd win32;
    void* ptr;
  };
} clap_window_t;

typedef struct clap_gui_resize_hints {
  bool can_resize_horizontally;
  bool can_resize_vertically;
  bool preserve_aspect_ratio; /* only when both directions resize */
  uint32_t aspect_ratio_width;
  uint32_t aspect_ratio_height;
} clap_gui_resize_hints_t;

/* Every member runs on the main thread. Embedded order: is_api_supported,
 * create, set_scale, can_resize, get_size (or set_size), set_parent, show;
 * then hide/show as the host likes, destroy at the end. */
typedef struct clap_plugin_gui {
  bool(QCLAP_ABI* is_api_supported)(const clap_plugin_t* plugin, const char* api, bool is_floating);
  /* *api must point at one of the API name constants, not a copy. */
  bool(QCLAP_ABI* get_preferred_api)(const clap_plugin_t* plugin, const char** api,
                                     bool* is_floating);
  bool(QCLAP_ABI* create)(const clap_plugin_t* plugin, const char* api, bool is_floating);
  void(QCLAP_ABI* destroy)(const clap_plugin_t* plugin);
  /* 2 means 200%. False when ignored or impossible. */
  bool(QCLAP_ABI* set_scale)(const clap_plugin_t* plugin, double scale);
  bool(QCLAP_ABI* get_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
  bool(QCLAP_ABI* can_resize)(const clap_plugin_t* plugin);
  bool(QCLAP_ABI* get_resize_hints)(const clap_plugin_t* plugin, clap_gui_resize_hints_t* hints);
  /* The nearest usable size to the given one; changes nothing. */
  bool(QCLAP_ABI* adjust_size)(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height);
  bool(QCLAP_ABI* set_size)(const clap_plugin_t* plugin, uint32_t width, uint32_t height);
  bool(QCLAP_ABI* set_parent)(const clap_plugin_t* plugin, const clap_window_t* window);
  bool(QCLAP_ABI* set_transient)(const clap_plugin_t* plugin, const clap_window_t* window);
  void(QCLAP_ABI* suggest_title)(const clap_plugin_t* plugin, const char* title);
  bool(QCLAP_ABI* show)(const clap_plugin_t* plugin);
  /* Hides without freeing; a good moment to stop timers. */
  bool(QCLAP_ABI* hide)(const clap_plugin_t* plugin);
} clap_plugin_gui_t;

typedef struct clap_host_gui {
  /* [thread-safe & !floating] */
  void(QCLAP_ABI* resize_hints_changed)(const clap_host_t* host);
  /* [thread-safe & !floating] True: the new size is accepted (off the main
   * thread: the request is queued; a refusal comes back as set_size). */
  bool(QCLAP_ABI* request_resize)(const clap_host_t* host, uint32_t width, uint32_t height);
  /* [thread-safe] */
  bool(QCLAP_ABI* request_show)(const clap_host_t* host);
  /* [thread-safe] */
  bool(QCLAP_ABI* request_hide)(const clap_host_t* host);
  /* [thread-safe] A floating window was closed; with was_destroyed the host
   * must call the plug-in's gui destroy. */
  void(QCLAP_ABI* closed)(const clap_host_t* host, bool was_destroyed);
} clap_host_gui_t;

/* ---- timer-support: periodic calls on the main thread ---- */

#define CLAP_EXT_TIMER_SUPPORT "clap.timer-support"

typedef struct clap_plugin_timer_support {
  /* [main-thread] */
  void(QCLAP_ABI* on_timer)(const clap_plugin_t* plugin, clap_id timer_id);
} clap_plugin_timer_support_t;

typedef struct clap_host_timer_support {
  /* [main-thread] The host may lengthen short periods; 30 Hz should be
   * allowed. */
  bool(QCLAP_ABI* register_timer)(const clap_host_t* host, uint32_t period_ms, clap_id* timer_id);
  /* [main-thread] */
  bool(QCLAP_ABI* unregister_timer)(const clap_host_t* host, clap_id timer_id);
} clap_host_timer_support_t;

/* ---- posix-fd-support: the host's poll loop watches our descriptors ---- */

#define CLAP_EXT_POSIX_FD_SUPPORT "clap.posix-fd-support"

enum {
  CLAP_POSIX_FD_READ = 1 << 0,
  CLAP_POSIX_FD_WRITE = 1 << 1,
  CLAP_POSIX_FD_ERROR = 1 << 2,
};
typedef uint32_t clap_posix_fd_flags_t;

typedef struct clap_plugin_posix_fd_support {
  /* [main-thread] Level-triggered: called again while the condition holds. */
  void(QCLAP_ABI* on_fd)(const clap_plugin_t* plugin, int fd, clap_posix_fd_flags_t flags);
} clap_plugin_posix_fd_support_t;

typedef struct clap_host_posix_fd_support {
  /* [main-thread] */
  bool(QCLAP_ABI* register_fd)(const clap_host_t* host, int fd, clap_posix_fd_flags_t flags);
  /* [main-thread] */
  bool(QCLAP_ABI* modify_fd)(const clap_host_t* host, int fd, clap_posix_fd_flags_t flags);
  /* [main-thread] */
  bool(QCLAP_ABI* unregister_fd)(const clap_host_t* host, int fd);
} clap_host_posix_fd_support_t;

/* ---- thread-check ---- */

/* The main thread is one OS thread for the plug-in's life. The audio thread
 * is a role: any OS thread (even the main one) may hold it, never two at a
 * time, so [audio-thread] calls are never concurrent with each other. */
#define CLAP_EXT_THREAD_CHECK "clap.thread-check"

typedef struct clap_host_thread_check {
  /* [thread-safe] */
  bool(QCLAP_ABI* is_main_thread)(const clap_host_t* host);
  /* [thread-safe] */
  bool(QCLAP_ABI* is_audio_thread)(const clap_host_t* host);
} clap_host_thread_check_t;

/* ---- log ---- */

#define CLAP_EXT_LOG "clap.log"

enum {
  CLAP_LOG_DEBUG = 0,
  CLAP_LOG_INFO = 1,
  CLAP_LOG_WARNING = 2,
  CLAP_LOG_ERROR = 3,
  CLAP_LOG_FATAL = 4,
  CLAP_LOG_HOST_MISBEHAVING = 5,
  CLAP_LOG_PLUGIN_MISBEHAVING = 6,
};
typedef int32_t clap_log_severity;

typedef struct clap_host_log {
  /* [thread-safe] */
  void(QCLAP_ABI* log)(const clap_host_t* host, clap_log_severity severity, const char* msg);
} clap_host_log_t;

#ifdef __cplusplus
}
#endif

#endif
