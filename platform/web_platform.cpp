// The tick count and the sleep of the web edition. A page has no system
// clock to read from WebAssembly: its JavaScript side answers the time
// (the page: the browser's clock; an audio worklet module that wants
// reproducible renders sets its own tick source on the engine instead).
// Nothing may block the page's thread, so a sleep returns at once: the
// panel's mouse-tracking loops wait for the next pointer event instead
// (web_window.cpp).
#include "platform/tick_count.h"
#include "platform/web_import.h"

extern "C" QUILLET_WEB_IMPORT(tick_count) uint32_t quillet_web_tick_count();

namespace quillet::platform {

uint32_t tickCount() { return quillet_web_tick_count(); }

void sleepMilliseconds(uint32_t) {}

}  // namespace quillet::platform
