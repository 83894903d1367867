// quillet-host validate for CLAP plug-ins: the module, its descriptor and
// factory, activation cycles, processing (every block size, both precisions,
// empty blocks, odd event lists), parameters and their texts, states, the
// thread rules CLAP gives each call, presets, and the panel. Groups run in a
// child process as the VST 2.4 checks do.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/plugin/clap/clap_events.h"
#include "host/plugin/clap/clap_instance.h"
#include "host/validate/validator.h"

namespace quillet::host {

struct ClapValidationContext {
  const ClapModule& module;
  ValidateOptions options;
  ValidationReport& report;

  // A new initialised instance; null after reporting a failure under `check`.
  std::unique_ptr<ClapInstance> instance(const std::string& check);
  // Fails `check` when the instance's host saw a call on a thread CLAP does
  // not allow for it (or its own audio role held by two threads); true when
  // it saw none.
  bool threadsKept(ClapInstance& instance, const std::string& check);
};

// Runs blocks through an active instance with its own buffers and events and
// checks every output sample: no NaN, no infinity, no subnormal.
class ClapBlockRunner : private ChannelBuffers {
 public:
  ClapBlockRunner(ClapInstance& instance, uint32_t seed);
  // Activates at `rate` for blocks up to `maxBlock` frames and starts
  // processing on the calling thread; false when the plug-in refuses.
  bool start(double rate, uint32_t maxBlock, bool doublePrecision);
  // Only the buffers, for an instance the caller activates and starts.
  void prepare(uint32_t maxBlock, bool doublePrecision);
  void stop();
  // `frames` frames of noise (or silence) in blocks of `block` frames;
  // empty when every output was clean, else what was wrong.
  std::string run(size_t frames, uint32_t block, bool silence = false, bool inPlace = false);
  // One block with these input events, in place when asked.
  std::string block(uint32_t frames, const ClapInputEvents& events, bool inPlace = false);
  clap_process_status lastStatus() const { return status; }
  // Output channel `c` of the last 32-bit block (in the input buffers when
  // it ran in place).
  const float* floatOutput(size_t c) const { return lastInPlace ? inF[c].data() : outF[c].data(); }

 private:
  void fill(uint32_t frames, bool silence);

  ClapInstance& plugin;
  Random random;
  bool useDouble = false;
  uint32_t maxFrames = 0;
  bool lastInPlace = false;
  int64_t steady = 0;
  clap_process_status status = CLAP_PROCESS_CONTINUE;
  ClapInputEvents noEvents;
  ClapOutputEvents out;
};

// The groups, one file each.
void validateClapLifecycle(ClapValidationContext& ctx);
void validateClapProcessing(ClapValidationContext& ctx);
void validateClapParameters(ClapValidationContext& ctx);
void validateClapState(ClapValidationContext& ctx);
void validateClapThreads(ClapValidationContext& ctx);
void validateClapGui(ClapValidationContext& ctx);

// Loads the module and runs every group; false when it could not be loaded.
bool validateClapPlugin(const std::string& path, const ValidateOptions& options,
                        ValidationReport& report);

}  // namespace quillet::host
