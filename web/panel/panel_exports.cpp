// The panel as the page shows it (web/site/panel.js): QuilletPanel over a
// PanelHost whose values live here and go to the page, which hands them to
// the echo's worklet, the address and the browser's storage. The window is
// the page's <canvas> (platform/web_window.h).
//
// Every call comes from the page's one thread. While a control tracks the
// pointer the module is suspended inside panel_idle (Asyncify) and the page
// calls nothing else until it has returned.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

#include "core/param_store.h"
#include "core/param_text.h"
#include "editor/quillet_panel.h"
#include "gui/key_code.h"
#include "platform/web_import.h"
#include "platform/web_window.h"

#define QUILLET_EXPORT(name) extern "C" __attribute__((export_name(#name), used))

extern "C" {
// The user set parameter `index` to `value` (stored, clamped): the page
// passes it on to the echo.
QUILLET_WEB_IMPORT(panel_value_changed)
void quillet_web_panel_value_changed(int32_t index, float value);
// A gesture on the control with `tag` begins (1) or ends (0).
QUILLET_WEB_IMPORT(panel_gesture) void quillet_web_panel_gesture(int32_t tag, int32_t begins);
}

namespace quillet::web {

namespace {

class PageHost final : public quillet::core::PanelHost {
 public:
  float parameterValue(int32_t index) override { return values.value(index); }
  void beginGesture(int32_t tag) override { quillet_web_panel_gesture(tag, 1); }
  void endGesture(int32_t tag) override { quillet_web_panel_gesture(tag, 0); }
  void performEdit(int32_t index, float value) override {
    if (values.store(index, value)) quillet_web_panel_value_changed(index, values.value(index));
  }
  double hostTempo() override { return tempo; }
  // The page gives the canvas whatever size the panel takes.
  bool requestResize(int32_t, int32_t) override { return true; }

  quillet::core::ParamStore values;
  double tempo = 120.0;
  float sampleRate = 48000.0f;
};

PageHost* theHost = nullptr;

// The host exists from the first call on, so values set before the panel
// opens are the ones it opens with.
PageHost* pageHost() {
  if (!theHost) theHost = new (std::nothrow) PageHost;
  return theHost;
}
quillet::editor::QuilletPanel* thePanel = nullptr;

// The page's Asyncify data: where the suspended stack is kept.
alignas(16) uint8_t asyncifyData[64 * 1024];

}  // namespace

}  // namespace quillet::web

using quillet::web::theHost;
using quillet::web::thePanel;

// Builds the panel at the page's factor (device pixels per panel pixel: the
// nearest of the panel's sizes is taken) and opens it; 1 when it shows.
QUILLET_EXPORT(panel_open) int32_t panelOpen(float hostScale) {
  if (!quillet::web::pageHost()) return 0;
  if (!thePanel) thePanel = new (std::nothrow) quillet::editor::QuilletPanel(*theHost);
  if (!thePanel) return 0;
  thePanel->setHostScale(hostScale);
  static int canvas = 0;  // any non-null parent: the page has one canvas
  return thePanel->open(&canvas) ? 1 : 0;
}

QUILLET_EXPORT(panel_width) int32_t panelWidth() { return thePanel ? thePanel->width() : 0; }
QUILLET_EXPORT(panel_height) int32_t panelHeight() { return thePanel ? thePanel->height() : 0; }
QUILLET_EXPORT(panel_scale) float panelScale() { return thePanel ? thePanel->scale() : 1.0f; }

// A new factor of the page's (the window moved to another screen, or zoomed).
QUILLET_EXPORT(panel_set_host_scale) void panelSetHostScale(float factor) {
  if (thePanel) thePanel->setHostScale(factor);
}

// The user's size from the menu, as the page keeps it (0: automatic), and
// whether the size shown is the user's choice.
QUILLET_EXPORT(panel_set_user_scale) void panelSetUserScale(float choice) {
  if (!thePanel) return;
  if (choice >= 1.0f && choice <= 3.0f)
    thePanel->setUserScale(choice);
  else
    thePanel->setUserScale(std::nullopt);
}
QUILLET_EXPORT(panel_scale_is_users) int32_t panelScaleIsUsers() {
  return thePanel && thePanel->scaleSource() == quillet::editor::ScaleSource::kUser ? 1 : 0;
}

// Events read, controls moved to the stored values, what changed redrawn. A
// press queued before runs its control's tracking here: the call may
// suspend (see panel.js).
QUILLET_EXPORT(panel_idle) void panelIdle() {
  if (thePanel) thePanel->idle();
}

QUILLET_EXPORT(panel_asyncify_data) uint8_t* panelAsyncifyData() {
  return quillet::web::asyncifyData;
}
QUILLET_EXPORT(panel_asyncify_data_size) uint32_t panelAsyncifyDataSize() {
  return sizeof(quillet::web::asyncifyData);
}

// Where the page writes the pointer (x, y, buttons) while a control tracks it.
QUILLET_EXPORT(panel_pointer_slot) int32_t* panelPointerSlot() {
  return quillet::platform::WebWindow::pointerSlot();
}

// A press and a wheel turn (x, y in canvas pixels; buttons and keys as
// platform/mouse_state.h numbers them), taken at the next panel_idle.
QUILLET_EXPORT(panel_pointer_down) void panelPointerDown(int32_t x, int32_t y, int32_t buttons) {
  if (quillet::platform::WebWindow* w = quillet::platform::WebWindow::current())
    w->queueMouseDown(quillet::platform::Point(x, y), buttons);
}
QUILLET_EXPORT(panel_wheel) void panelWheel(int32_t x, int32_t y, float distance, int32_t buttons) {
  if (quillet::platform::WebWindow* w = quillet::platform::WebWindow::current())
    w->queueWheel(quillet::platform::Point(x, y), distance, buttons);
}
// The canvas must be drawn anew (it was resized or lost its pixels).
QUILLET_EXPORT(panel_repaint) void panelRepaint() {
  if (quillet::platform::WebWindow* w = quillet::platform::WebWindow::current())
    w->queuePaint(quillet::platform::Rect(0, 0, w->getWidth(), w->getHeight()));
}

// A key for the panel (its menu or the control with the keyboard focus): a
// character, or a virtual key (gui/key_code.h), and the modifier bits. 1
// when the panel used it.
QUILLET_EXPORT(panel_key) int32_t panelKey(int32_t character, int32_t virt, int32_t modifiers) {
  if (!thePanel) return 0;
  VSTGUI::CKeyCode key;
  key.character = character;
  key.virt = static_cast<uint8_t>(virt);
  key.modifier = static_cast<uint8_t>(modifiers);
  return thePanel->keyDown(key) ? 1 : 0;
}

// A value set by the page (the address, a preset by name): the control
// follows at the next idle. Returns the value stored.
QUILLET_EXPORT(panel_set_value) float panelSetValue(int32_t index, float value) {
  if (!quillet::web::pageHost()) return 0.0f;
  theHost->values.store(index, value);
  if (thePanel) thePanel->parameterChanged(index);
  return theHost->values.value(index);
}
QUILLET_EXPORT(panel_value) float panelValue(int32_t index) {
  return theHost ? theHost->values.value(index) : 0.0f;
}

// Factory preset `preset`, each value as a gesture of its own (so the page
// hears of every one); 0 for a number outside the list.
QUILLET_EXPORT(panel_load_preset) int32_t panelLoadPreset(int32_t preset) {
  return thePanel && thePanel->loadFactoryPreset(preset) ? 1 : 0;
}
// The factory preset the values are now, -1 for none.
QUILLET_EXPORT(panel_marked_preset) int32_t panelMarkedPreset() {
  return thePanel ? thePanel->markedPresetMenuRow() : -1;
}

// The tempo the note keys follow, and the rate the texts of "Delay" are at.
QUILLET_EXPORT(panel_set_tempo) void panelSetTempo(double bpm) {
  if (quillet::web::pageHost()) theHost->tempo = bpm;
}
QUILLET_EXPORT(panel_set_rate) void panelSetRate(float rate) {
  if (quillet::web::pageHost()) theHost->sampleRate = rate;
}

// The musician's text of the stored value ("311.0 ms", "45.0 %"), until the next call.
QUILLET_EXPORT(panel_value_text) const char* panelValueText(int32_t index) {
  static char text[32];
  text[0] = '\0';
  if (!theHost) return text;
  struct Stored {
    const quillet::core::ParamStore& store;
    float operator[](int32_t i) const { return store.value(i); }
  };
  quillet::core::formatParamText(
      index, theHost->values.value(index),
      quillet::core::textContextOf(Stored{theHost->values}, theHost->sampleRate), text,
      sizeof text);
  return text;
}
