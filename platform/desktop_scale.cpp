#include "platform/desktop_scale.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#elif defined(QUILLET_HAVE_X11)
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#endif

namespace quillet::platform {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Digits with an optional fraction, without the C library's locale.
std::optional<double> plainNumber(std::string_view text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  uint64_t digits = 0;
  double divisor = 1;
  bool point = false, before = false, after = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digits = digits * 10 + static_cast<uint64_t>(c - '0');
      (point ? after : before) = true;
      if (point) divisor *= 10;
    } else {
      return std::nullopt;
    }
  }
  if (!before || (point && !after)) return std::nullopt;
  return static_cast<double>(digits) / divisor;
}

}  // namespace

std::optional<float> xftDpiScale(std::string_view value) {
  const std::optional<double> dpi = plainNumber(trim(value));
  if (!dpi || *dpi <= 0 || *dpi > 2000) return std::nullopt;
  return static_cast<float>(*dpi / 96.0);
}

std::optional<float> gdkScale(const char* value) {
  if (!value) return std::nullopt;
  const std::string_view text(value);
  if (text.empty() || text.size() > 2) return std::nullopt;
  int scale = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    scale = scale * 10 + (c - '0');
  }
  if (scale < 1 || scale > 16) return std::nullopt;
  return static_cast<float>(scale);
}

std::optional<float> x11DesktopScale(_XDisplay* display) {
#if defined(QUILLET_HAVE_X11) && !defined(_WIN32)
  if (display) {
    if (const char* resources = XResourceManagerString(display)) {
      XrmInitialize();
      if (XrmDatabase database = XrmGetStringDatabase(resources)) {
        char* type = nullptr;
        XrmValue value{};
        std::optional<float> scale;
        if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
          scale = xftDpiScale(std::string_view(value.addr, strnlen(value.addr, value.size)));
        XrmDestroyDatabase(database);
        if (scale) return scale;
      }
    }
  }
#else
  (void)display;
#endif
  return gdkScale(std::getenv("GDK_SCALE"));
}

float win32WindowScale(void* window) {
#ifdef _WIN32
  using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
  UINT dpi = 0;
  if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
    const auto getDpi = reinterpret_cast<GetDpiForWindowCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")));
    if (getDpi && window) dpi = getDpi(static_cast<HWND>(window));
  }
  return (dpi ? dpi : 96) / 96.0f;
#else
  (void)window;
  return 1.0f;
#endif
}

std::optional<float> desktopScaleFor(void* parent) {
#ifdef _WIN32
  using GetDpiForSystemCall = UINT(WINAPI*)();
  if (parent) return win32WindowScale(parent);
  if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
    const auto getDpi = reinterpret_cast<GetDpiForSystemCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForSystem")));
    if (getDpi) {
      if (const UINT dpi = getDpi()) return dpi / 96.0f;
    }
  }
  return std::nullopt;
#elif defined(QUILLET_HAVE_X11)
  (void)parent;
  Display* display = XOpenDisplay(nullptr);
  const std::optional<float> scale = x11DesktopScale(display);
  if (display) XCloseDisplay(display);
  return scale;
#else
  (void)parent;
  return gdkScale(std::getenv("GDK_SCALE"));
#endif
}

}  // namespace quillet::platform
