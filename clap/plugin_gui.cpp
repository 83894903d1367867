#include "clap/plugin_gui.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "clap/host_services.h"
#include "clap/quillet_plugin.h"
#include "editor/quillet_panel.h"

namespace quillet::clap {
namespace {

#ifdef _WIN32
const char* const kWindowApi = CLAP_WINDOW_API_WIN32;
constexpr bool kNeedsDescriptorWatch = false;
#else
const char* const kWindowApi = CLAP_WINDOW_API_X11;
// The X11 connection's events arrive on a socket the host's poll loop watches.
constexpr bool kNeedsDescriptorWatch = true;
#endif

// About 30 passes a second: what every host allows, and smooth enough for
// knobs the host moves.
constexpr uint32_t kIdlePeriodMs = 33;

bool isOurApi(const char* api) { return api != nullptr && std::strcmp(api, kWindowApi) == 0; }

}  // namespace

PluginGui::PluginGui(QuilletPlugin& plugin) : plugin(plugin), panelHost(plugin) {}

PluginGui::~PluginGui() { destroy(); }

bool PluginGui::isApiSupported(const char* api, bool floating) {
  return !floating && isOurApi(api);
}

bool PluginGui::hostCanRunPanel(const HostServices& host) {
  return host.timers != nullptr && (!kNeedsDescriptorWatch || host.fds != nullptr);
}

const char* PluginGui::preferredApi() { return kWindowApi; }

bool PluginGui::create(const char* api, bool floating) {
  if (panel || !isApiSupported(api, floating) || !hostCanRunPanel(plugin.host())) return false;
  try {
    panel = std::make_unique<quillet::editor::QuilletPanel>(panelHost);
  } catch (...) {
    return false;
  }
  return panel->width() > 0;
}

void PluginGui::destroy() {
  stopTimer();
  unwatchDescriptor();
  panel.reset();  // closes the window, unless the host's went first and took it
}

bool PluginGui::size(uint32_t* width, uint32_t* height) const {
  if (!panel || width == nullptr || height == nullptr) return false;
  *width = static_cast<uint32_t>(panel->width());
  *height = static_cast<uint32_t>(panel->height());
  return true;
}

bool PluginGui::setScale(double factor) {
  // The panel takes a positive float; anything else (NaN, infinite, zero,
  // negative, beyond a float's range or below its smallest) is no factor:
  // refused, and the panel keeps the one it has.
  if (!panel || !(factor > 0.0) || factor > std::numeric_limits<float>::max()) return false;
  const auto asFloat = static_cast<float>(factor);
  if (!(asFloat > 0.0f)) return false;
  panel->setHostScale(asFloat);
  return true;
}

bool PluginGui::setParent(const clap_window_t* window) {
  if (!panel || window == nullptr || !isOurApi(window->api)) return false;
#ifdef _WIN32
  void* parent = window->win32;
#else
  void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window->x11));
#endif
  unwatchDescriptor();
  if (parent == nullptr || !panel->open(parent)) return false;
  plugin.takeChangedParams();  // the panel opens on the stored values
  const HostServices& host = plugin.host();
  if (kNeedsDescriptorWatch) {
    const int fd = panel->eventFileDescriptor();
    if (fd >= 0 && host.fds->register_fd(host.host, fd, CLAP_POSIX_FD_READ)) watchedFd = fd;
  }
  // On Win32 the window joins the frame at its first idle pass.
  panel->idle();
  if (!startTimer()) {
    unwatchDescriptor();
    panel->close();
    return false;
  }
  return true;
}

bool PluginGui::show() { return panel && panel->isOpen() && startTimer(); }

bool PluginGui::hide() {
  stopTimer();
  return static_cast<bool>(panel);
}

bool PluginGui::startTimer() {
  if (timer != CLAP_INVALID_ID) return true;
  const HostServices& host = plugin.host();
  clap_id id = CLAP_INVALID_ID;
  if (!host.timers->register_timer(host.host, kIdlePeriodMs, &id) || id == CLAP_INVALID_ID)
    return false;
  timer = id;
  return true;
}

void PluginGui::stopTimer() {
  if (timer == CLAP_INVALID_ID) return;
  const HostServices& host = plugin.host();
  host.timers->unregister_timer(host.host, timer);
  timer = CLAP_INVALID_ID;
}

void PluginGui::unwatchDescriptor() {
  if (watchedFd < 0) return;
  const HostServices& host = plugin.host();
  host.fds->unregister_fd(host.host, watchedFd);
  watchedFd = -1;
}

void PluginGui::idle() {
  if (!panel || !panel->isOpen()) return;
  const uint32_t changed = plugin.takeChangedParams();
  for (int32_t index = 0; index < 32; ++index)
    if (changed & (1u << index)) panel->parameterChanged(index);
  panel->idle();
}

void PluginGui::onTimer(clap_id id) {
  if (id == timer) idle();
}

void PluginGui::onFd(int fd) {
  // The host's poll loop calls while the descriptor is readable: reading
  // every pending event (the panel's idle does) empties it.
  if (fd == watchedFd) idle();
}

}  // namespace quillet::clap
