#include "vst3/window_timer.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace quillet::vst3 {

#if defined(_WIN32)

namespace {

constexpr UINT_PTR kTimerId = 0x5154;  // 'QT'
constexpr wchar_t kTimerProperty[] = L"QuilletK3Vst3Timer";

void CALLBACK onTimer(HWND window, UINT /*message*/, UINT_PTR /*id*/, DWORD /*time*/) {
  if (auto* timer = static_cast<std::function<void()>*>(GetPropW(window, kTimerProperty)))
    (*timer)();
}

}  // namespace

bool WindowTimer::start(uintptr_t newWindow, uint32_t milliseconds, std::function<void()> newTick) {
  stop();
  HWND hwnd = reinterpret_cast<HWND>(newWindow);
  if (!hwnd) return false;
  tick = std::move(newTick);
  if (!SetPropW(hwnd, kTimerProperty, &tick)) return false;
  if (!SetTimer(hwnd, kTimerId, milliseconds, onTimer)) {
    RemovePropW(hwnd, kTimerProperty);
    return false;
  }
  window = newWindow;
  return true;
}

void WindowTimer::stop() {
  if (!window) return;
  HWND hwnd = reinterpret_cast<HWND>(window);
  if (IsWindow(hwnd)) {
    KillTimer(hwnd, kTimerId);
    RemovePropW(hwnd, kTimerProperty);
  }
  window = 0;
  tick = nullptr;
}

#else

bool WindowTimer::start(uintptr_t, uint32_t, std::function<void()>) { return false; }
void WindowTimer::stop() {}

#endif

}  // namespace quillet::vst3
