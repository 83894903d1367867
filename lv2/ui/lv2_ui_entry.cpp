// The UI library's only export: the descriptor of the panel as an X11 UI.
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>

#include <cstring>
#include <memory>

#include "lv2/lv2_ports.h"
#include "lv2/ui/quillet_lv2_ui.h"

namespace {

quillet::lv2::ui::QuilletLv2Ui* uiOf(LV2UI_Handle handle) {
  return static_cast<quillet::lv2::ui::QuilletLv2Ui*>(handle);
}

LV2UI_Handle instantiate(const LV2UI_Descriptor* /*descriptor*/, const char* /*pluginUri*/,
                         const char* /*bundlePath*/, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features) {
  // Nothing may escape into the host, not even a failed allocation.
  try {
    return quillet::lv2::ui::QuilletLv2Ui::create(write, controller, features, widget).release();
  } catch (...) {
    return nullptr;
  }
}

void cleanup(LV2UI_Handle handle) { delete uiOf(handle); }

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
  if (handle) uiOf(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle) { return handle ? uiOf(handle)->idle() : 1; }

const LV2UI_Idle_Interface kIdleInterface = {idle};

uint32_t getOptions(LV2_Handle handle, LV2_Options_Option* options) {
  return handle ? uiOf(handle)->getOptions(options)
                : static_cast<uint32_t>(LV2_OPTIONS_ERR_UNKNOWN);
}

uint32_t setOptions(LV2_Handle handle, const LV2_Options_Option* options) {
  return handle ? uiOf(handle)->setOptions(options)
                : static_cast<uint32_t>(LV2_OPTIONS_ERR_UNKNOWN);
}

const LV2_Options_Interface kOptionsInterface = {getOptions, setOptions};

const void* extensionData(const char* uri) {
  if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
  if (uri && std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &kOptionsInterface;
  return nullptr;
}

const LV2UI_Descriptor kDescriptor = {quillet::lv2::kUiUri, instantiate, cleanup, portEvent,
                                      extensionData};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(
    uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
