// The picture of a VST3 plug-in's view for quillet-host snapshot.
#include <string>
#include <vector>

#include "host/commands/format_commands.h"
#include "host/plugin/parameters.h"
#include "host/plugin/vst3/view_host.h"
#include "host/plugin/vst3/vst3_audio_plugin.h"
#include "host/window/capture_settled.h"

namespace quillet::host {

namespace {

#ifdef _WIN32
constexpr const char* kPlatformType = quillet::vst3::kPlatformTypeHWND;
#else
constexpr const char* kPlatformType = quillet::vst3::kPlatformTypeX11EmbedWindowID;
#endif

}  // namespace

bool captureVst3Panel(const PanelRequest& request, PanelPicture* picture, std::string* error) {
  using namespace quillet::host::vst3;
  const std::string& path = request.plugin;
  const auto hostScale = static_cast<float>(request.hostScale);
  auto module = Vst3Module::load(path, error);
  if (!module) return false;
  auto instance = Vst3Instance::open(*module, error);
  if (!instance) return false;
  if (!instance->controller()) {
    *error = path + " has no controller";
    return false;
  }
  Vst3AudioPlugin audio(*instance);
  for (const std::string& assignment : request.sets) {
    ParamSetting setting;
    if (!parseSetting(audio, assignment, &setting, error)) return false;
    audio.setParameter(setting.index, setting.value);
  }
  IPlugView* view = instance->controller()->createView(kViewTypeEditor);
  if (!view) {
    *error = path + " has no editor view";
    return false;
  }
  if (hostScale > 0) {
    void* found = nullptr;
    if (view->queryInterface(IPlugViewContentScaleSupport::iid.bytes, &found) == kResultOk) {
      static_cast<IPlugViewContentScaleSupport*>(found)->setContentScaleFactor(hostScale);
      static_cast<IPlugViewContentScaleSupport*>(found)->release();
    }
  }
  ViewRect size{};
  if (view->isPlatformTypeSupported(kPlatformType) != kResultTrue ||
      view->getSize(&size) != kResultOk || size.right <= size.left || size.bottom <= size.top) {
    view->release();
    *error = "the view reports no size for " + std::string(kPlatformType);
    return false;
  }
  auto window = HostWindow::create(size.right - size.left, size.bottom - size.top,
                                   "quillet-host snapshot", error);
  if (!window) {
    view->release();
    return false;
  }
  ViewHost host;
  view->setFrame(&host);
  if (view->attached(window->parentHandle(), kPlatformType) != kResultOk) {
    view->setFrame(nullptr);
    view->release();
    *error = "the view did not attach";
    return false;
  }
  // The run loop as a DAW runs it.
  const bool captured = captureSettled(
      *window, [&] { host.run(20, [&] { window->pump(); }); }, &picture->rgb, &picture->width,
      &picture->height);
  view->removed();
  view->setFrame(nullptr);
  view->release();
  if (!captured) {
    *error = "could not read the window";
    return false;
  }
  return true;
}

}  // namespace quillet::host
