#include "tests/lv2_ui/ui_test_host.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <spawn.h>
#include <sys/wait.h>

#include <csignal>
#include <cstring>

#include "tests/support/wait_until.h"

extern char** environ;

namespace quillet::test {

namespace {

// Xvfb resets itself whenever its last client goes, and a connection made
// during the reset fails: one connection held until the process ends keeps
// the server up between tests that each open and close their own.
struct DisplayKeeper {
  Display* display = XOpenDisplay(nullptr);
  ~DisplayKeeper() {
    if (display) XCloseDisplay(display);
  }
};

void keepDisplayUp() { static DisplayKeeper keeper; }

}  // namespace

std::unique_ptr<UiTestHost> UiTestHost::open(const std::string& path, const std::string& uri,
                                             const HostOffers& offers, std::string* error) {
  keepDisplayUp();
  std::unique_ptr<UiTestHost> host(new UiTestHost());
  host->library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!host->library) {
    *error = dlerror();
    return nullptr;
  }
  auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(host->library, "lv2ui_descriptor"));
  if (!entry) {
    *error = "no lv2ui_descriptor in " + path;
    return nullptr;
  }
  for (uint32_t i = 0; const LV2UI_Descriptor* d = entry(i); ++i)
    if (d->URI && uri == d->URI) host->descriptor = d;
  if (!host->descriptor) {
    *error = "no UI " + uri + " in " + path;
    return nullptr;
  }
  if (host->descriptor->extension_data)
    host->idleInterface = static_cast<const LV2UI_Idle_Interface*>(
        host->descriptor->extension_data(LV2_UI__idleInterface));

  host->hostWindow = quillet::host::X11HostWindow::create(586, 385, "LV2 UI test host", error);
  // (The UI asks for its size with ui:resize once it knows it.)
  if (!host->hostWindow) return nullptr;

  host->resizeFeature = LV2UI_Resize{host.get(), &UiTestHost::resize};
  host->shrinks = offers.shrinks;
  host->touchFeature = LV2UI_Touch{host.get(), &UiTestHost::touch};
  host->mapFeature = LV2_URID_Map{host.get(), &UiTestHost::map};
  host->scaleValue = offers.scaleFactor;
  host->options[0] = LV2_Options_Option{LV2_OPTIONS_INSTANCE,
                                        0,
                                        map(host.get(), LV2_UI__scaleFactor),
                                        sizeof(float),
                                        map(host.get(), LV2_ATOM__Float),
                                        &host->scaleValue};
  host->options[1] = LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
  const LV2_Feature parent{LV2_UI__parent, host->hostWindow->parentHandle()};
  const LV2_Feature idle{LV2_UI__idleInterface, nullptr};
  const LV2_Feature resize{LV2_UI__resize, &host->resizeFeature};
  const LV2_Feature touch{LV2_UI__touch, &host->touchFeature};
  const LV2_Feature urid{LV2_URID__map, &host->mapFeature};
  const LV2_Feature options{LV2_OPTIONS__options, host->options};
  std::vector<const LV2_Feature*> features;
  if (offers.parent) features.push_back(&parent);
  features.push_back(&idle);
  if (offers.resize) features.push_back(&resize);
  if (offers.touch) features.push_back(&touch);
  if (offers.scaleFactor > 0) {
    features.push_back(&urid);
    features.push_back(&options);
  }
  features.push_back(nullptr);

  host->handle = host->descriptor->instantiate(host->descriptor, "urn:marrowledge:quillet-k3", "",
                                               &UiTestHost::write, host.get(), &host->uiWidget,
                                               features.data());
  if (!host->handle) {
    *error = "instantiate answered null";
    return nullptr;
  }
  if (!host->idleUntil([&] { return host->panelDrawn(); })) {
    *error = "the UI did not draw its panel";
    return nullptr;
  }
  host->hostWindow->origin(&host->originX, &host->originY);
  return host;
}

UiTestHost::~UiTestHost() {
  cleanup();
  hostWindow.reset();
  if (library) dlclose(library);
}

void UiTestHost::cleanup() {
  if (handle) descriptor->cleanup(handle);
  handle = nullptr;
}

void UiTestHost::write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                       const void* buffer) {
  HostCall call{HostCall::kWrite};
  call.port = port;
  call.size = size;
  call.protocol = protocol;
  if (buffer && size == sizeof(float)) std::memcpy(&call.value, buffer, sizeof(float));
  static_cast<UiTestHost*>(controller)->recorded.push_back(call);
}

int UiTestHost::resize(LV2UI_Feature_Handle handle, int width, int height) {
  HostCall call{HostCall::kResize};
  call.width = width;
  call.height = height;
  auto* host = static_cast<UiTestHost*>(handle);
  host->recorded.push_back(call);
  // The host's window follows, as a host's plug-in window does, or only
  // grows, as a GTK host's does.
  if (!host->hostWindow) return 1;
  const bool done = host->shrinks ? host->hostWindow->resize(width, height)
                                  : host->hostWindow->growTo(width, height);
  return done ? 0 : 1;
}

LV2_URID UiTestHost::map(LV2_URID_Map_Handle handle, const char* uri) {
  auto* host = static_cast<UiTestHost*>(handle);
  for (size_t i = 0; i < host->mapped.size(); ++i)
    if (host->mapped[i] == uri) return static_cast<LV2_URID>(i + 1);
  host->mapped.push_back(uri);
  return static_cast<LV2_URID>(host->mapped.size());
}

int UiTestHost::setScaleFactor(float factor) {
  const auto* interface = descriptor->extension_data
                              ? static_cast<const LV2_Options_Interface*>(
                                    descriptor->extension_data(LV2_OPTIONS__interface))
                              : nullptr;
  if (!interface || !interface->set || !handle) return -1;
  scaleValue = factor;
  LV2_Options_Option list[2] = {{LV2_OPTIONS_INSTANCE, 0, map(this, LV2_UI__scaleFactor),
                                 sizeof(float), map(this, LV2_ATOM__Float), &scaleValue},
                                {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  return static_cast<int>(interface->set(handle, list));
}

void UiTestHost::touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
  HostCall call{HostCall::kTouch};
  call.port = port;
  call.grabbed = grabbed;
  static_cast<UiTestHost*>(handle)->recorded.push_back(call);
}

void UiTestHost::portEvent(uint32_t port, float value) {
  portEventRaw(port, sizeof value, 0, &value);
}

void UiTestHost::portEventRaw(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
  if (handle && descriptor->port_event) descriptor->port_event(handle, port, size, format, buffer);
}

int UiTestHost::idle() {
  if (!handle || !idleInterface) return 1;
  return idleInterface->idle(handle);
}

bool UiTestHost::idleUntil(const std::function<bool()>& done) {
  return quillet::test::stepUntil(
      [this] {
        idle();
        hostWindow->pump();
      },
      done);
}

bool UiTestHost::panelDrawn() {
  int width = 586, height = 385;
  for (const HostCall& c : recorded)
    if (c.kind == HostCall::kResize) width = c.width, height = c.height;
  std::vector<unsigned char> shown;
  int w = 0, h = 0;
  if (!hostWindow->capture(&shown, &w, &h) || w < width || h < height) return false;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = &shown[(static_cast<size_t>(y) * w + x) * 3];
      if (p[0] == 0 && p[1] == 0 && p[2] == 0) return false;
    }
  return true;
}

bool UiTestHost::drive(const std::vector<std::string>& args, const std::function<bool()>& done) {
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  static std::string program = "xdotool";
  argv.push_back(program.data());
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  // A host keeps idling its UIs meanwhile; a press runs the control's
  // tracking loop inside one idle call until the button is released.
  if (!idleUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
  hostWindow->sync();
  return idleUntil(done);
}

std::vector<std::string> UiTestHost::move(int x, int y) const {
  // A synced move waits until the pointer has moved, so it would wait for
  // ever if the pointer were already there: step next to the target first.
  const std::string sx = std::to_string(originX + x), sy = std::to_string(originY + y);
  return {"mousemove", sx, std::to_string(originY + y + 1), "mousemove", "--sync", sx, sy};
}

}  // namespace quillet::test
