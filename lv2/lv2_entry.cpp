// The DSP library's only export: lv2_descriptor, with the one plug-in.
#include <lv2/core/lv2.h>

#include "lv2/lv2_ports.h"
#include "lv2/quillet_lv2_instance.h"

using quillet::lv2::QuilletLv2Instance;

namespace {

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
  try {
    return QuilletLv2Instance::create(rate, features);
  } catch (...) {
    return nullptr;
  }
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
  static_cast<QuilletLv2Instance*>(handle)->connectPort(port, data);
}

void activate(LV2_Handle handle) {
  try {
    static_cast<QuilletLv2Instance*>(handle)->activate();
  } catch (...) {
  }
}

void run(LV2_Handle handle, uint32_t frames) {
  static_cast<QuilletLv2Instance*>(handle)->run(frames);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle handle) { delete static_cast<QuilletLv2Instance*>(handle); }

const void* extensionData(const char*) { return nullptr; }

const LV2_Descriptor kDescriptor = {quillet::lv2::kPluginUri,
                                    instantiate,
                                    connectPort,
                                    activate,
                                    run,
                                    deactivate,
                                    cleanup,
                                    extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
