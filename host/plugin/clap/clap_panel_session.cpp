#include "host/plugin/clap/clap_panel_session.h"

namespace quillet::host {

const char* clapWindowApi() {
#ifdef _WIN32
  return CLAP_WINDOW_API_WIN32;
#else
  return CLAP_WINDOW_API_X11;
#endif
}

std::unique_ptr<ClapPanelSession> ClapPanelSession::open(ClapInstance& instance,
                                                         const std::string& title,
                                                         std::string* error, double scale) {
  const auto* gui = instance.extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
  const clap_plugin_t* plugin = instance.plugin();
  if (!gui) {
    *error = "the plug-in has no gui extension";
    return nullptr;
  }
  if (!gui->is_api_supported(plugin, clapWindowApi(), false)) {
    *error = std::string("the plug-in's gui does not embed in a ") + clapWindowApi() + " window";
    return nullptr;
  }
  std::unique_ptr<ClapPanelSession> session(new ClapPanelSession(instance, gui));
  if (!gui->create(plugin, clapWindowApi(), false)) {
    *error = "the plug-in's gui was not created";
    return nullptr;
  }
  session->created = true;
  ClapPanelSession* self = session.get();
  instance.host().onResizeRequest([self](uint32_t width, uint32_t height) {
    if (!self->hostWindow ||
        !self->hostWindow->resize(static_cast<int>(width), static_cast<int>(height)))
      return false;
    self->panelWidth = width;
    self->panelHeight = height;
    return true;
  });
  if (scale != 0.0 && !gui->set_scale(plugin, scale)) {
    *error = "the plug-in's gui does not take a host's scale factor";
    return nullptr;
  }
  if (!gui->get_size(plugin, &session->panelWidth, &session->panelHeight) ||
      session->panelWidth == 0 || session->panelHeight == 0) {
    *error = "the plug-in's gui reports no size";
    return nullptr;
  }
  session->hostWindow = HostWindow::create(static_cast<int>(session->panelWidth),
                                           static_cast<int>(session->panelHeight), title, error);
  if (!session->hostWindow) return nullptr;
  clap_window_t window{};
  window.api = clapWindowApi();
#ifdef _WIN32
  window.win32 = session->hostWindow->parentHandle();
#else
  window.x11 = static_cast<clap_xwnd>(session->hostWindow->id());
#endif
  if (!gui->set_parent(plugin, &window)) {
    *error = "the plug-in's gui did not open in the host's window";
    return nullptr;
  }
  if (!gui->show(plugin)) {
    *error = "the plug-in's gui did not show";
    return nullptr;
  }
  return session;
}

ClapPanelSession::~ClapPanelSession() {
  if (!created) return;
  instance.host().onResizeRequest({});
  gui->hide(instance.plugin());
  gui->destroy(instance.plugin());
}

void ClapPanelSession::runFor(int milliseconds, const std::function<bool()>& done) {
  instance.host().runFor(
      milliseconds, [this] { hostWindow->pump(); }, done);
}

}  // namespace quillet::host
