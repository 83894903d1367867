// The VST3 validator: the view, created, attached to a host window with a run
// loop, run, removed and released, twice; everything it registered with the
// run loop is given back.
#include <cstdlib>

#include "host/plugin/vst3/view_host.h"
#include "host/validate/vst3/vst3_validator.h"
#include "host/window/host_window.h"

namespace quillet::host::vst3 {

void validateVst3Editor(Vst3Context& ctx) {
  const std::string check = "editor view";
#ifdef _WIN32
  const char* platformType = kPlatformTypeHWND;
#else
  const char* platformType = kPlatformTypeX11EmbedWindowID;
  if (!std::getenv("DISPLAY")) {
    ctx.report.note(check + ": no X display, not checked");
    return;
  }
#endif
  auto p = ctx.instance(check);
  if (!p) return;
  IEditController* controller = p->controller();
  if (!controller) {
    ctx.report.note(check + ": no controller");
    return;
  }
  std::string problem, error;
  if (controller->createView("no such view")) problem = "a view for the name \"no such view\"";
  for (int round = 0; round < 2 && problem.empty(); ++round) {
    IPlugView* view = controller->createView(kViewTypeEditor);
    if (!view) {
      ctx.report.note(check + ": the plug-in has no view");
      return;
    }
    ViewRect size{};
    if (view->isPlatformTypeSupported(platformType) != kResultTrue)
      problem = std::string("the view does not take ") + platformType;
    else if (view->getSize(&size) != kResultOk || size.right <= size.left ||
             size.bottom <= size.top)
      problem = "the view reports no size";
    std::unique_ptr<HostWindow> window;
    if (problem.empty()) {
      window = HostWindow::create(size.right - size.left, size.bottom - size.top,
                                  "quillet-host validate", &error);
      if (!window) problem = error;
    }
    ViewHost host;
    if (problem.empty()) {
      view->setFrame(&host);
      if (view->attached(window->parentHandle(), platformType) != kResultOk)
        problem = "attached() refused the host's window";
    }
    if (problem.empty()) {
      // Values from the host while it is shown, as automation moves them.
      for (int32 i = 0; i < p->parameterCount(); ++i) {
        ParameterInfo info{};
        if (p->parameterInfo(i, &info)) controller->setParamNormalized(info.id, 0.7);
      }
      host.run(300, [&] { window->pump(); });
#ifndef _WIN32
      if (host.timerCount() == 0 && host.handlerCount() == 0)
        problem = "the view registered nothing with the run loop: it cannot draw";
#endif
      ViewRect other{0, 0, 100, 100};
      if (problem.empty() && view->canResize() == kResultTrue && view->onSize(&other) != kResultOk)
        problem = "a view that can resize refused a size";
      if (view->removed() != kResultOk && problem.empty()) problem = "removed() failed";
      if (problem.empty() && (host.timerCount() != 0 || host.handlerCount() != 0))
        problem = "timers or handlers left registered after removed()";
    }
    view->setFrame(nullptr);
    if (view->release() != 0 && problem.empty()) problem = "references to the view left";
    if (problem.empty() && host.references() != 0)
      problem = "the view kept " + std::to_string(host.references()) + " references to the frame";
  }
  ctx.report.result(check, problem,
                    "created, attached with a run loop, idled 300 ms, removed, twice");
}

}  // namespace quillet::host::vst3
