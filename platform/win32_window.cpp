#include "platform/win32_window.h"

#include <ole2.h>
#include <windows.h>
#include <windowsx.h>

#include <cstdio>
#include <cstring>

#include "platform/module_handle.h"
#include "platform/win32_drop_target.h"

namespace quillet::platform {

namespace {

using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                         BLENDFUNCTION);

// One window class for every frame of this module, registered with the first
// frame and removed with the last.
int classUseCount = 0;
char className[64] = "";

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool useWindowClass() {
  if (classUseCount++ > 0) return true;
  HINSTANCE module = static_cast<HINSTANCE>(moduleHandle());
  std::snprintf(className, sizeof className, "Plugin%p", static_cast<void*>(module));
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.style = CS_GLOBALCLASS;
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  if (RegisterClassA(&windowClass)) return true;
  classUseCount = 0;
  return false;
}

void releaseWindowClass() {
  if (classUseCount <= 0 || --classUseCount > 0) return;
  UnregisterClassA(className, static_cast<HINSTANCE>(moduleHandle()));
}

int32_t buttonsFromKeyState(WPARAM keys) {
  int32_t buttons = 0;
  if (keys & MK_LBUTTON) buttons |= kButtonLeft;
  if (keys & MK_MBUTTON) buttons |= kButtonMiddle;
  if (keys & MK_RBUTTON) buttons |= kButtonRight;
  if (keys & MK_SHIFT) buttons |= kKeyShift;
  if (keys & MK_CONTROL) buttons |= kKeyControl;
  if (GetKeyState(VK_MENU) < 0) buttons |= kKeyAlt;
  return buttons;
}

bool held(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

int32_t liveButtons() {
  int32_t buttons = 0;
  if (held(VK_LBUTTON)) buttons |= kButtonLeft;
  if (held(VK_MBUTTON)) buttons |= kButtonMiddle;
  if (held(VK_RBUTTON)) buttons |= kButtonRight;
  if (held(VK_SHIFT)) buttons |= kKeyShift;
  if (held(VK_CONTROL)) buttons |= kKeyControl;
  if (held(VK_MENU)) buttons |= kKeyAlt;
  return buttons;
}

class Win32Window : public PlatformWindow {
 public:
  ~Win32Window() override;
  static std::unique_ptr<PlatformWindow> create(HWND parent, int32_t width, int32_t height);

  void processEvents(PlatformWindowEvents& events) override;
  bool processOnePaint(PlatformWindowEvents& events) override;
  void present(const PixelView& image, const Rect& area) override;
  MouseState pollMouse() override;
  MouseState queryMouse() override;
  uintptr_t nativeHandle() const override { return reinterpret_cast<uintptr_t>(window); }
  bool resize(int32_t newWidth, int32_t newHeight) override;

  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  Win32Window() = default;
  // The image `present` copies from, for the window's current size.
  bool makeImage(int32_t imageWidth, int32_t imageHeight);
  Point toWindow(POINT screen) const;

  HWND window = nullptr;
  bool classInUse = false;
  bool oleStarted = false;
  bool dropRegistered = false;
  RefusingDropTarget* dropTarget = nullptr;
  HMODULE msimg32 = nullptr;
  AlphaBlendFunction alphaBlend = nullptr;
  HDC imageContext = nullptr;
  HBITMAP image = nullptr;
  HGDIOBJ replacedBitmap = nullptr;
  uint32_t* imagePixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  // Known from the frame's first idle on; paint before that waits in `unpainted`.
  PlatformWindowEvents* sink = nullptr;
  Rect unpainted;
  MouseState tracked{Point(), 0};
};

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self) return self->handle(message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

std::unique_ptr<PlatformWindow> Win32Window::create(HWND parent, int32_t width, int32_t height) {
  if (!parent || !IsWindow(parent) || width <= 0 || height <= 0) return nullptr;
  std::unique_ptr<Win32Window> self(new Win32Window());
  self->width = width;
  self->height = height;
  // S_FALSE (already started on this thread) also wants its uninitialise.
  const HRESULT ole = OleInitialize(nullptr);
  self->oleStarted = ole == S_OK || ole == S_FALSE;
  self->msimg32 = LoadLibraryA("msimg32.dll");
  if (self->msimg32) {
    self->alphaBlend = reinterpret_cast<AlphaBlendFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(self->msimg32, "AlphaBlend")));
  }

  self->imageContext = CreateCompatibleDC(nullptr);
  if (!self->imageContext) return nullptr;
  if (!self->makeImage(width, height)) return nullptr;

  self->classInUse = useWindowClass();
  if (!self->classInUse) return nullptr;
  self->window = CreateWindowExA(
      0, className, "Window", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
      width, height, parent, nullptr, static_cast<HINSTANCE>(moduleHandle()), nullptr);
  if (!self->window) return nullptr;
  SetWindowLongPtrA(self->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self.get()));
  if (self->oleStarted) {
    self->dropTarget = new RefusingDropTarget();
    self->dropRegistered = RegisterDragDrop(self->window, self->dropTarget) == S_OK;
  }
  return std::unique_ptr<PlatformWindow>(self.release());
}

bool Win32Window::makeImage(int32_t imageWidth, int32_t imageHeight) {
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = imageWidth;
  info.bmiHeader.biHeight = -imageHeight;  // top row first, as the frame draws
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP made = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!made || !bits) {
    if (made) DeleteObject(made);
    return false;
  }
  HGDIOBJ previous = SelectObject(imageContext, made);
  if (image) {
    DeleteObject(image);  // selected out just now
  } else {
    replacedBitmap = previous;
  }
  image = made;
  imagePixels = static_cast<uint32_t*>(bits);
  return true;
}

bool Win32Window::resize(int32_t newWidth, int32_t newHeight) {
  if (!window || newWidth <= 0 || newHeight <= 0) return false;
  if (!makeImage(newWidth, newHeight)) return false;
  width = newWidth;
  height = newHeight;
  SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

Win32Window::~Win32Window() {
  if (window) {
    if (dropRegistered) RevokeDragDrop(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
  }
  if (dropTarget) dropTarget->Release();
  if (imageContext) {
    SelectObject(imageContext, replacedBitmap);
    DeleteDC(imageContext);
  }
  if (image) DeleteObject(image);
  if (msimg32) FreeLibrary(msimg32);
  if (classInUse) releaseWindowClass();
  if (oleStarted) OleUninitialize();
}

Point Win32Window::toWindow(POINT screen) const {
  ScreenToClient(window, &screen);
  return Point(screen.x, screen.y);
}

LRESULT Win32Window::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      const Rect area(paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right,
                      paint.rcPaint.bottom);
      EndPaint(window, &paint);
      if (area.isEmpty()) return 0;
      if (sink) {
        sink->onPaint(area);
      } else {
        unpainted = unpainted.unite(area);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      const Point where(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      tracked = MouseState{where, buttonsFromKeyState(wParam)};
      if (sink) sink->onMouseDown(where, tracked.buttons);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const float distance = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / 120.0f;
      if (sink)
        sink->onMouseWheel(toWindow(screen), distance,
                           buttonsFromKeyState(GET_KEYSTATE_WPARAM(wParam)));
      break;  // and the default handling, which passes it on to the parent
    }
    case WM_NCDESTROY: {
      // Destroyed with the host's window: nothing of it is ours to free any more.
      HWND gone = window;
      if (dropRegistered) RevokeDragDrop(gone);
      dropRegistered = false;
      window = nullptr;
      SetWindowLongPtrA(gone, GWLP_USERDATA, 0);
      return DefWindowProcA(gone, message, wParam, lParam);
    }
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Win32Window::processEvents(PlatformWindowEvents& events) {
  // The host's message loop delivers our messages; here the frame becomes
  // known, and a paint that came before it is reported.
  sink = &events;
  if (!unpainted.isEmpty()) {
    const Rect area = unpainted;
    unpainted = Rect();
    events.onPaint(area);
  }
}

bool Win32Window::processOnePaint(PlatformWindowEvents& events) {
  sink = &events;
  MSG message;
  if (!PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) return false;
  DispatchMessageA(&message);
  return true;
}

void Win32Window::present(const PixelView& source, const Rect& area) {
  if (!window || !source.pixels) return;
  const Rect clipped = area.intersect(Rect(0, 0, width < source.width ? width : source.width,
                                           height < source.height ? height : source.height));
  if (clipped.isEmpty()) return;
  GdiFlush();
  for (int32_t y = clipped.top; y < clipped.bottom; ++y) {
    const uint32_t* from = source.pixels + static_cast<size_t>(y) * source.stride;
    uint32_t* to = imagePixels + static_cast<size_t>(y) * width;
    for (int32_t x = clipped.left; x < clipped.right; ++x) to[x] = from[x] | 0xff000000u;
  }
  HDC target = GetDC(window);
  if (!target) return;
  const int x = clipped.left, y = clipped.top, w = clipped.width(), h = clipped.height();
  // Opaque pixels: blending them over the window is a copy.
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  if (!alphaBlend || !alphaBlend(target, x, y, w, h, imageContext, x, y, w, h, blend))
    BitBlt(target, x, y, w, h, imageContext, x, y, SRCCOPY);
  ReleaseDC(window, target);
}

MouseState Win32Window::pollMouse() {
  if (!window) return MouseState{tracked.where, 0};
  // Pointer messages still queued for this window come first, in order, so a
  // quick click that arrived before we looked is seen as it happened.
  MSG message;
  if (PeekMessageA(&message, window, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    if (message.message != WM_MOUSEWHEEL && message.message != WM_MOUSEHWHEEL) {
      tracked = MouseState{Point(GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)),
                           buttonsFromKeyState(message.wParam)};
      return tracked;
    }
  }
  tracked = queryMouse();
  return tracked;
}

MouseState Win32Window::queryMouse() {
  if (!window) return MouseState{tracked.where, 0};
  POINT screen;
  if (!GetCursorPos(&screen)) return MouseState{tracked.where, 0};
  return MouseState{toWindow(screen), liveButtons()};
}

}  // namespace

std::unique_ptr<PlatformWindow> createWin32Window(void* parent, int32_t width, int32_t height) {
  return Win32Window::create(static_cast<HWND>(parent), width, height);
}

PlatformWindowFactory defaultPlatformWindowFactory() { return &createWin32Window; }

}  // namespace quillet::platform
