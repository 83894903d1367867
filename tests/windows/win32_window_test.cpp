// The frame's Win32 window under Wine: its class and use count, the child
// window it makes, and how paint, button and wheel messages reach the frame.
#include "platform/win32_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/module_handle.h"

namespace {

using quillet::platform::Point;
using quillet::platform::Rect;

struct RecordedEvents : quillet::platform::PlatformWindowEvents {
  std::vector<Rect> paints;
  std::vector<std::pair<Point, int32_t>> presses;
  std::vector<std::pair<Point, float>> wheels;
  void onPaint(const Rect& area) override { paints.push_back(area); }
  void onMouseDown(const Point& where, int32_t buttons) override {
    presses.push_back({where, buttons});
  }
  void onMouseWheel(const Point& where, float distance, int32_t) override {
    wheels.push_back({where, distance});
  }
};

std::string frameClassName() {
  char name[64];
  std::snprintf(name, sizeof name, "Plugin%p", quillet::platform::moduleHandle());
  return name;
}

bool classRegistered() {
  WNDCLASSA info;
  return GetClassInfoA(static_cast<HINSTANCE>(quillet::platform::moduleHandle()),
                       frameClassName().c_str(), &info) != 0;
}

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

HWND makeHostWindow() {
  return CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300,
                         nullptr, nullptr, nullptr, nullptr);
}

// One host window for the suite: Wine takes a while to show and hide a
// top-level window on a display without a window manager.
class Win32Window : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sharedParent = makeHostWindow(); }
  static void TearDownTestSuite() {
    if (sharedParent) DestroyWindow(sharedParent);
    pump();
  }
  void SetUp() override {
    parent = sharedParent;
    ASSERT_NE(parent, nullptr);
  }
  void TearDown() override { pump(); }
  HWND child() const { return FindWindowExA(parent, nullptr, frameClassName().c_str(), nullptr); }

  static HWND sharedParent;
  HWND parent = nullptr;
};

HWND Win32Window::sharedParent = nullptr;

TEST_F(Win32Window, NoWindowWithoutAParent) {
  EXPECT_EQ(quillet::platform::createWin32Window(nullptr, 100, 100), nullptr);
  EXPECT_FALSE(classRegistered());
}

TEST_F(Win32Window, ChildTitledWindowAtTheTopLeftWithTheFrameSize) {
  auto window = quillet::platform::createWin32Window(parent, 120, 80);
  ASSERT_NE(window, nullptr);
  HWND made = child();
  ASSERT_NE(made, nullptr);
  char title[32] = "";
  GetWindowTextA(made, title, sizeof title);
  EXPECT_STREQ(title, "Window");
  const LONG style = GetWindowLongA(made, GWL_STYLE);
  EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  RECT client;
  GetClientRect(made, &client);
  EXPECT_EQ(client.right, 120);
  EXPECT_EQ(client.bottom, 80);
  POINT corner{0, 0};
  MapWindowPoints(made, parent, &corner, 1);
  EXPECT_EQ(corner.x, 0);
  EXPECT_EQ(corner.y, 0);
  // Hosts that embed the panel get the child window; no descriptor to watch.
  EXPECT_EQ(window->nativeHandle(), reinterpret_cast<uintptr_t>(made));
  EXPECT_EQ(window->eventFileDescriptor(), -1);
  window.reset();
  EXPECT_EQ(child(), nullptr);
}

TEST_F(Win32Window, ClassLivesWhileAnyFrameWindowDoes) {
  auto first = quillet::platform::createWin32Window(parent, 50, 50);
  auto second = quillet::platform::createWin32Window(parent, 50, 50);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(classRegistered());
  first.reset();
  EXPECT_TRUE(classRegistered());
  second.reset();
  EXPECT_FALSE(classRegistered());
  auto again = quillet::platform::createWin32Window(parent, 50, 50);
  EXPECT_NE(again, nullptr);
  EXPECT_TRUE(classRegistered());
}

TEST_F(Win32Window, PaintBeforeTheFrameIsKnownIsReportedAtItsFirstIdle) {
  auto window = quillet::platform::createWin32Window(parent, 100, 60);
  ASSERT_NE(window, nullptr);
  RECT part{10, 20, 30, 40};
  InvalidateRect(child(), &part, FALSE);
  UpdateWindow(child());
  RecordedEvents events;
  window->processEvents(events);
  ASSERT_FALSE(events.paints.empty());
  const Rect& area = events.paints.front();
  EXPECT_LE(area.left, 10);
  EXPECT_LE(area.top, 20);
  EXPECT_GE(area.right, 30);
  EXPECT_GE(area.bottom, 40);
  // Later paints go straight to the frame.
  events.paints.clear();
  RECT other{50, 5, 60, 15};
  InvalidateRect(child(), &other, FALSE);
  UpdateWindow(child());
  ASSERT_EQ(events.paints.size(), 1u);
  EXPECT_EQ(events.paints[0], Rect(50, 5, 60, 15));
}

TEST_F(Win32Window, ProcessOnePaintDispatchesAPendingPaint) {
  auto window = quillet::platform::createWin32Window(parent, 100, 60);
  ASSERT_NE(window, nullptr);
  RecordedEvents events;
  window->processEvents(events);
  pump();
  events.paints.clear();
  RECT part{0, 0, 8, 8};
  InvalidateRect(child(), &part, FALSE);
  EXPECT_TRUE(window->processOnePaint(events));
  ASSERT_EQ(events.paints.size(), 1u);
  EXPECT_EQ(events.paints[0], Rect(0, 0, 8, 8));
  EXPECT_FALSE(window->processOnePaint(events));
}

TEST_F(Win32Window, ButtonsCarryTheHeldButtonAndModifiers) {
  auto window = quillet::platform::createWin32Window(parent, 100, 60);
  ASSERT_NE(window, nullptr);
  RecordedEvents events;
  window->processEvents(events);
  SendMessageA(child(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(12, 34));
  SendMessageA(child(), WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, MAKELPARAM(5, 6));
  ASSERT_EQ(events.presses.size(), 2u);
  EXPECT_EQ(events.presses[0].first, Point(12, 34));
  EXPECT_EQ(events.presses[0].second,
            quillet::platform::kButtonLeft | quillet::platform::kKeyShift);
  EXPECT_EQ(events.presses[1].first, Point(5, 6));
  EXPECT_EQ(events.presses[1].second,
            quillet::platform::kButtonRight | quillet::platform::kKeyControl);
}

TEST_F(Win32Window, WheelDeltaOver120AtTheWindowPoint) {
  auto window = quillet::platform::createWin32Window(parent, 100, 60);
  ASSERT_NE(window, nullptr);
  RecordedEvents events;
  window->processEvents(events);
  POINT screen{40, 25};
  ClientToScreen(child(), &screen);
  SendMessageA(child(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)),
               MAKELPARAM(screen.x, screen.y));
  ASSERT_EQ(events.wheels.size(), 1u);
  EXPECT_EQ(events.wheels[0].first, Point(40, 25));
  EXPECT_FLOAT_EQ(events.wheels[0].second, -2.0f);
}

TEST_F(Win32Window, DestroyedWithTheHostWindowLeavesNothingToFree) {
  HWND host = makeHostWindow();
  ASSERT_NE(host, nullptr);
  auto window = quillet::platform::createWin32Window(host, 100, 60);
  ASSERT_NE(window, nullptr);
  DestroyWindow(host);
  RecordedEvents events;
  window->processEvents(events);
  EXPECT_FALSE(window->processOnePaint(events));
  window->present(quillet::platform::PixelView{nullptr, 0, 0, 0}, Rect(0, 0, 10, 10));
  EXPECT_EQ(window->queryMouse().buttons, 0);
  window.reset();
  EXPECT_FALSE(classRegistered());
}

}  // namespace
