// A .vstpreset loaded into a VST3 instance as hosts load one: the
// component's state ('Comp') to the processor and, as the component state,
// to the controller; the controller's own state ('Cont'), when the file has
// one, to the controller. Only for the processor class the file names.
#pragma once

#include <string>

#include "host/plugin/vst3/vst3_instance.h"
#include "host/presets/vst_preset_file.h"

namespace quillet::host {

bool applyVstPreset(vst3::Vst3Instance& instance, const vst3::Vst3Module& module,
                    const VstPresetFile& preset, std::string* error);

// A program of the controller's program lists (IUnitInfo), by its name (any
// letter case) or its number in the list, selected as a host's program menu
// selects it: the program-change parameter of the list's unit set on the
// controller and sent to the processor with the next block.
bool selectVst3Program(vst3::Vst3Instance& instance, const std::string& program,
                       std::string* error);

}  // namespace quillet::host
