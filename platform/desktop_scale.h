// The desktop's scale factor for the panel's window, as the desktop states
// it. Raw factors: the caller brings them to the panel's supported sizes.
#pragma once

#include <optional>
#include <string_view>

struct _XDisplay;

namespace quillet::platform {

// X11: the resource database's Xft.dpi divided by 96 (what desktops set for
// their scaling: 144 is 1.5), else the environment's GDK_SCALE (a whole
// number); nothing when neither says anything usable. The database is the
// one the display connection was opened with (xrdb -merge changes it for
// later connections).
std::optional<float> x11DesktopScale(_XDisplay* display);

// The parts of the above, for tests: an Xft.dpi value ("144", "96.0", blanks
// around allowed; more than 0 and at most 2000 dots per inch) as a factor,
// and a GDK_SCALE value (1 to 16).
std::optional<float> xftDpiScale(std::string_view value);
std::optional<float> gdkScale(const char* value);

// Windows: the window's dots per inch divided by 96, from GetDpiForWindow
// (Windows 10 1607 on, looked up at run time); 1 where Windows lacks it or
// cannot tell. A host that is not DPI-aware gets 1 (Windows stretches its
// windows itself).
float win32WindowScale(void* window);

// The desktop's factor for a panel that opens in `parent` (an X11 window id
// or an HWND; null before there is one). X11: x11DesktopScale over a
// connection of its own, opened and closed here (GDK_SCALE alone without a
// display). Windows: the parent's DPI, else the system's, over 96. Nothing
// when the desktop says nothing.
std::optional<float> desktopScaleFor(void* parent);

}  // namespace quillet::platform
