// The desktop's factor on X11, from an X server whose resource database xrdb
// sets, as a desktop's settings daemon does; and GDK_SCALE after it. Runs on
// a private Xvfb (DISPLAY set by run_with_xvfb.sh).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/desktop_scale.h"

// Last: Xlib's macros (None, Bool, Status) would clash with the test framework.
#include <X11/Xlib.h>

namespace {

// xrdb reads the resources from its standard input; no C preprocessor.
bool xrdb(const char* mode, const char* resources) {
  FILE* pipe = popen((std::string("xrdb -nocpp ") + mode + " -").c_str(), "w");
  if (!pipe) return false;
  std::fputs(resources, pipe);
  return pclose(pipe) == 0;
}

// A connection reads the database when it is opened, as the panel's is.
std::optional<float> desktopScaleOfNewConnection() {
  Display* display = XOpenDisplay(nullptr);
  EXPECT_NE(display, nullptr);
  const std::optional<float> scale = quillet::platform::x11DesktopScale(display);
  if (display) XCloseDisplay(display);
  return scale;
}

class DesktopScaleX11 : public testing::Test {
 protected:
  // Xvfb starts afresh, and forgets its resources, whenever its last client
  // leaves: one connection stays open for the whole suite.
  static void SetUpTestSuite() { keeper = XOpenDisplay(nullptr); }
  static void TearDownTestSuite() {
    if (keeper) XCloseDisplay(keeper);
  }
  void SetUp() override {
    if (std::system("command -v xrdb >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "xrdb is not installed (Debian: x11-xserver-utils)";
    ASSERT_NE(keeper, nullptr) << "run on an X display (run_with_xvfb.sh)";
    ASSERT_TRUE(xrdb("-load", ""));  // an empty database to start from
    unsetenv("GDK_SCALE");
  }
  void TearDown() override { unsetenv("GDK_SCALE"); }
  static Display* keeper;
};
Display* DesktopScaleX11::keeper = nullptr;

TEST_F(DesktopScaleX11, XftDpiSetWithXrdbGivesTheFactor) {
  ASSERT_TRUE(xrdb("-merge", "Xft.dpi: 144\n"));
  EXPECT_EQ(desktopScaleOfNewConnection(), 1.5f);
  ASSERT_TRUE(xrdb("-merge", "Xft.dpi:\t192\n"));
  EXPECT_EQ(desktopScaleOfNewConnection(), 2.0f);
  ASSERT_TRUE(xrdb("-merge", "Xft.dpi: 96\n"));
  EXPECT_EQ(desktopScaleOfNewConnection(), 1.0f);
  // Xft.dpi comes before GDK_SCALE.
  setenv("GDK_SCALE", "3", 1);
  EXPECT_EQ(desktopScaleOfNewConnection(), 1.0f);
}

TEST_F(DesktopScaleX11, OtherResourcesAloneSayNothing) {
  ASSERT_TRUE(xrdb("-merge", "Xft.antialias: 1\nXcursor.size: 48\n"));
  EXPECT_FALSE(desktopScaleOfNewConnection().has_value());
  setenv("GDK_SCALE", "2", 1);
  EXPECT_EQ(desktopScaleOfNewConnection(), 2.0f);
}

TEST_F(DesktopScaleX11, UnusableXftDpiFallsBackToGdkScale) {
  ASSERT_TRUE(xrdb("-merge", "Xft.dpi: lots\n"));
  EXPECT_FALSE(desktopScaleOfNewConnection().has_value());
  setenv("GDK_SCALE", "2", 1);
  EXPECT_EQ(desktopScaleOfNewConnection(), 2.0f);
  setenv("GDK_SCALE", "1.5", 1);  // GDK takes whole numbers only
  EXPECT_FALSE(desktopScaleOfNewConnection().has_value());
}

TEST_F(DesktopScaleX11, NoDatabaseAtAll) {
  ASSERT_EQ(std::system("xrdb -remove"), 0);
  EXPECT_FALSE(desktopScaleOfNewConnection().has_value());
  setenv("GDK_SCALE", "2", 1);
  EXPECT_EQ(desktopScaleOfNewConnection(), 2.0f);
  EXPECT_EQ(quillet::platform::x11DesktopScale(nullptr),
            2.0f);  // no connection: the environment only
}

TEST(DesktopScaleValues, XftDpi) {
  EXPECT_EQ(quillet::platform::xftDpiScale("96"), 1.0f);
  EXPECT_EQ(quillet::platform::xftDpiScale(" 144 "), 1.5f);
  EXPECT_EQ(quillet::platform::xftDpiScale("120.0"), 1.25f);
  EXPECT_EQ(quillet::platform::xftDpiScale("288"), 3.0f);
  EXPECT_EQ(quillet::platform::xftDpiScale("384"), 4.0f);  // raw: the chooser brings it to 3
  for (const char* bad : {"", "0", "-96", "abc", "1e2", "96dpi", "2001", "9.", ".5", "0x60"})
    EXPECT_FALSE(quillet::platform::xftDpiScale(bad).has_value()) << '"' << bad << '"';
}

TEST(DesktopScaleValues, GdkScale) {
  EXPECT_EQ(quillet::platform::gdkScale("1"), 1.0f);
  EXPECT_EQ(quillet::platform::gdkScale("2"), 2.0f);
  EXPECT_EQ(quillet::platform::gdkScale("16"), 16.0f);
  for (const char* bad : {"", "0", "17", "1.5", " 2", "2 ", "-1", "two", "002"})
    EXPECT_FALSE(quillet::platform::gdkScale(bad).has_value()) << '"' << bad << '"';
  EXPECT_FALSE(quillet::platform::gdkScale(nullptr).has_value());
}

}  // namespace
