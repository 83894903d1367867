#include "host/window/win32_host_window.h"

#include <windows.h>

#include <cstring>

namespace quillet::host {

namespace {

constexpr char kClassName[] = "quillet-host editor window";

bool registerClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  registered = RegisterClassA(&windowClass) != 0;
  return registered;
}

}  // namespace

std::unique_ptr<Win32HostWindow> Win32HostWindow::create(int width, int height,
                                                         const std::string& title,
                                                         std::string* error) {
  if (!registerClass()) {
    *error = "cannot register a window class";
    return nullptr;
  }
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT outer{0, 0, width, height};
  AdjustWindowRect(&outer, style, FALSE);
  HWND window = CreateWindowExA(0, kClassName, title.c_str(), style, 0, 0, outer.right - outer.left,
                                outer.bottom - outer.top, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (!window) {
    *error = "cannot create a window (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  std::unique_ptr<Win32HostWindow> self(new Win32HostWindow());
  self->window = window;
  self->width = width;
  self->height = height;
  self->pump();
  return self;
}

Win32HostWindow::~Win32HostWindow() { destroyWindow(); }

bool Win32HostWindow::resize(int newWidth, int newHeight) {
  if (!window || newWidth <= 0 || newHeight <= 0) return false;
  HWND hwnd = static_cast<HWND>(window);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
  RECT outer{0, 0, newWidth, newHeight};
  AdjustWindowRect(&outer, style, FALSE);
  if (!SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                    SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
    return false;
  width = newWidth;
  height = newHeight;
  pump();
  return true;
}

void Win32HostWindow::pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

bool Win32HostWindow::capture(std::vector<unsigned char>* rgb, int* w, int* h) {
  HWND handle = static_cast<HWND>(window);
  if (!handle) return false;
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP image = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(screen);
  bool ok = false;
  if (image && memory && bits) {
    HGDIOBJ old = SelectObject(memory, image);
    // From the screen, where the editor's child window has drawn itself.
    POINT corner{0, 0};
    ClientToScreen(handle, &corner);
    ok = BitBlt(memory, 0, 0, width, height, screen, corner.x, corner.y, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(memory, old);
    if (ok) {
      const auto* pixels = static_cast<const uint32_t*>(bits);
      rgb->resize(static_cast<size_t>(width) * height * 3);
      for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        (*rgb)[i * 3 + 0] = static_cast<unsigned char>(pixels[i] >> 16);
        (*rgb)[i * 3 + 1] = static_cast<unsigned char>(pixels[i] >> 8);
        (*rgb)[i * 3 + 2] = static_cast<unsigned char>(pixels[i]);
      }
      *w = width;
      *h = height;
    }
  }
  if (memory) DeleteDC(memory);
  if (image) DeleteObject(image);
  ReleaseDC(nullptr, screen);
  return ok;
}

void Win32HostWindow::destroyWindow() {
  if (!window) return;
  DestroyWindow(static_cast<HWND>(window));
  window = nullptr;
  pump();
}

bool Win32HostWindow::origin(int* x, int* y) {
  if (!window) return false;
  POINT corner{0, 0};
  if (!ClientToScreen(static_cast<HWND>(window), &corner)) return false;
  *x = corner.x;
  *y = corner.y;
  return true;
}

}  // namespace quillet::host
