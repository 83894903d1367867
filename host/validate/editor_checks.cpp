#include "host/validate/editor_checks.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "host/plugin/vst2/opened_plugin.h"
#include "host/window/host_window.h"

namespace quillet::host {

namespace {

class Checker {
 public:
  Checker(const PluginLibrary& library, const EditorCheckOptions& options, EditorCheckResult& out)
      : library(library), options(options), result(out) {}

  std::unique_ptr<PluginInstance> instance() {
    std::string error;
    auto plugin = openInstance(library, &error);
    if (!plugin) {
      fail("cannot create an instance: " + error);
      if (options.report) options.report("new instance", error);
    }
    return plugin;
  }

  void check(const std::string& name, bool ok, const std::string& detail = "") {
    ++result.checksRun;
    if (!ok) fail(name + (detail.empty() ? "" : ": " + detail));
    if (options.report) options.report(name, ok ? "" : (detail.empty() ? "failed" : detail));
    if (options.log)
      std::fprintf(options.log, "  editor: %-52s %s\n", name.c_str(), ok ? "ok" : "FAILED");
  }

  void fail(const std::string& what) { result.failures.push_back(what); }

  static void idle(PluginInstance& p, HostWindow* window, int times) {
    for (int i = 0; i < times; ++i) {
      p.dispatch(effEditIdle);
      if (window) window->pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  static bool rectOf(PluginInstance& p, ERect* out) {
    ERect* rect = nullptr;
    if (p.dispatch(effEditGetRect, 0, 0, &rect) == 0 || !rect) return false;
    *out = *rect;
    return true;
  }

  const PluginLibrary& library;
  const EditorCheckOptions& options;
  EditorCheckResult& result;
};

bool sameRect(const ERect& a, const ERect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

}  // namespace

EditorCheckResult checkEditor(const PluginLibrary& library, const EditorCheckOptions& options) {
  EditorCheckResult result;
  Checker c(library, options, result);
  auto p = c.instance();
  if (!p) return result;
  if (!(p->effect()->flags & effFlagsHasEditor)) {
    result.skipped = true;
    result.skipReason = "the plug-in has no editor";
    return result;
  }
  // Before any window exists: size, idle, close, keys.
  ERect before{};
  const bool hasRect = Checker::rectOf(*p, &before);
  c.check("rectangle before open",
          hasRect && before.right > before.left && before.bottom > before.top);
  Checker::idle(*p, nullptr, 3);
  p->dispatch(effEditClose);
  c.check("idle and close before open", true);

  const int width = hasRect ? before.right - before.left : 100;
  const int height = hasRect ? before.bottom - before.top : 100;
  std::string error;
  auto window = HostWindow::create(width, height, "quillet-host validate", &error);
  if (!window) {
    result.skipped = true;
    result.skipReason = error;
    return result;
  }

  c.check("open answers 1", p->dispatch(effEditOpen, 0, 0, window->parentHandle()) == 1);
  Checker::idle(*p, window.get(), 5);
  ERect after{};
  c.check("same rectangle after open", Checker::rectOf(*p, &after) && sameRect(before, after));
  p->dispatch(effEditClose);
  p->dispatch(effEditClose);
  c.check("close twice", true);

  for (int i = 0; i < options.cycles; ++i) {
    if (p->dispatch(effEditOpen, 0, 0, window->parentHandle()) != 1) {
      c.check("open/idle/close " + std::to_string(options.cycles) + " times", false,
              "open " + std::to_string(i + 1) + " answered 0");
      break;
    }
    Checker::idle(*p, window.get(), 2);
    p->dispatch(effEditClose);
    if (i + 1 == options.cycles)
      c.check("open/idle/close " + std::to_string(options.cycles) + " times", true);
  }

  p->dispatch(effEditOpen, 0, 0, window->parentHandle());
  p->dispatch(effEditOpen, 0, 0, window->parentHandle());
  Checker::idle(*p, window.get(), 3);
  p->dispatch(effEditClose);
  c.check("open twice without close", true);

  {
    auto second = c.instance();
    auto secondWindow = HostWindow::create(width, height, "quillet-host validate 2", &error);
    if (second && secondWindow) {
      const bool both = p->dispatch(effEditOpen, 0, 0, window->parentHandle()) == 1 &&
                        second->dispatch(effEditOpen, 0, 0, secondWindow->parentHandle()) == 1;
      for (int i = 0; i < 5; ++i) {
        Checker::idle(*p, window.get(), 1);
        Checker::idle(*second, secondWindow.get(), 1);
      }
      second->dispatch(effEditClose);
      p->dispatch(effEditClose);
      c.check("two instances open at once", both);
    }
  }

  {
    // Parameters set from another thread while the editor idles and draws.
    c.check("open for threaded parameter changes",
            p->dispatch(effEditOpen, 0, 0, window->parentHandle()) == 1);
    std::atomic<bool> stop{false};
    AEffect* e = p->effect();
    std::thread automation([&] {
      for (int i = 0; !stop.load(); ++i) {
        for (VstInt32 k = 0; k < e->numParams; ++k)
          e->setParameter(e, k, static_cast<float>((i * 7 + k * 13) % 101) / 100.0f);
        // Let the editor's thread in: under valgrind a spinning thread can
        // otherwise starve it for minutes.
        std::this_thread::yield();
      }
    });
    Checker::idle(*p, window.get(), 50);
    stop = true;
    automation.join();
    Checker::idle(*p, window.get(), 2);
    p->dispatch(effEditClose);
    c.check("parameter changes from another thread while open", true);
  }

  c.check("null parent window does not crash",
          (p->dispatch(effEditOpen, 0, 0, nullptr), p->dispatch(effEditIdle),
           p->dispatch(effEditClose), true));

  {
    // The host tears its window down first, then idles and closes the editor.
    p->dispatch(effEditOpen, 0, 0, window->parentHandle());
    Checker::idle(*p, window.get(), 3);
    window->destroyWindow();
    Checker::idle(*p, window.get(), 3);
    p->dispatch(effEditClose);
    c.check("close after the host destroyed its window", true);
    // And a parent id that is no window at all.
    p->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(0x3fffff0)));
    Checker::idle(*p, nullptr, 2);
    p->dispatch(effEditClose);
    c.check("open on a destroyed parent window", true);
  }
  p->close();
  c.check("effect closes after the editor checks", true);
  return result;
}

}  // namespace quillet::host
