// quillet-host validate for VST3 plug-ins: the life cycle in and out of order,
// bus arrangements, state round trips and refused states, texts both ways,
// processing (any block length, 0-frame blocks, 32 and 64 bits, no
// allocation), the audio thread against the user-interface thread, and the
// view. Each group runs in a child process where the system allows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/plugin/vst3/vst3_instance.h"
#include "host/validate/validator.h"

namespace quillet::host::vst3 {

bool validateVst3Plugin(const std::string& path, const ValidateOptions& options,
                        ValidationReport& report);

// The two-thread check, which the race stress also runs: the audio thread
// processes blocks carrying parameter changes and tempo while the
// user-interface thread reads the controller (values, texts), sets values
// on it and saves and restores the state. Empty when every block was
// clean. With `hostBreaksThreadRule` the audio thread also sets controller
// values, which no host may do: ThreadSanitizer must report it.
std::string runVst3ThreadCheck(const Vst3Module& module, double seconds, uint32_t seed,
                               bool hostBreaksThreadRule, std::string* detail);

// The IDs of the parameters a host automates (the bypass left out).
std::vector<ParamID> automatableIds(Vst3Instance& p);

// What the groups share.
struct Vst3Context {
  const Vst3Module& module;
  ValidateOptions options;
  ValidationReport& report;
  // A new instance; null after reporting a failure under `check`.
  std::unique_ptr<Vst3Instance> instance(const std::string& check);
};

void validateVst3LifeCycle(Vst3Context& ctx);
void validateVst3Buses(Vst3Context& ctx);
void validateVst3State(Vst3Context& ctx);
void validateVst3Texts(Vst3Context& ctx);
void validateVst3Processing(Vst3Context& ctx);
void validateVst3Threads(Vst3Context& ctx);
void validateVst3Allocation(Vst3Context& ctx);
void validateVst3Editor(Vst3Context& ctx);

// Stereo buffers for one instance: noise or silence in, every output sample
// checked (no NaN, no infinity, no subnormal).
class Vst3Harness {
 public:
  Vst3Harness(Vst3Instance& instance, uint32_t seed, int32 maxBlock, bool doublePrecision);
  // One block of `frames` (0 allowed); empty when it was processed and clean.
  std::string block(int32 frames, bool silent = false);
  const std::vector<std::vector<double>>& lastOutput() const { return output; }
  bool doublePrecision() const { return useDouble; }

 private:
  Vst3Instance& instance;
  Random random;
  bool useDouble;
  std::vector<std::vector<float>> inF, outF;
  std::vector<std::vector<double>> inD, outD;
  std::vector<std::vector<double>> output;
};

}  // namespace quillet::host::vst3
