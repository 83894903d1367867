#include "vst3/factory_programs.h"

#include <cmath>

namespace quillet::vst3 {

int32 programOfValue(double normalized) {
  if (std::isnan(normalized)) return -1;
  const double steps = kProgramCount - 1;
  const double position = std::round(normalized * steps);
  return position <= 0 ? 0 : position >= steps ? kProgramCount - 1 : static_cast<int32>(position);
}

double valueOfProgram(int32 program) {
  if (program <= 0) return 0.0;
  if (program >= kProgramCount - 1) return 1.0;
  return static_cast<double>(program) / (kProgramCount - 1);
}

const core::FactoryPreset* factoryProgram(int32 program) {
  return program >= 0 && program < kProgramCount ? &core::kFactoryPresets[program] : nullptr;
}

}  // namespace quillet::vst3
