// quillet-host validate: checks any VST 2.4 plug-in the way industry plug-in
// validators do, one line per check and a closing count.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/plugin/vst2/plugin_host.h"
#include "host/validate/channel_buffers.h"

namespace quillet::host {

// What validate does when the command line does not say.
constexpr double kDefaultThreadSeconds = 3.0;
constexpr uint32_t kDefaultSeed = 1;

struct ValidateOptions {
  double threadSeconds = kDefaultThreadSeconds;  // length of the two-thread stress check
  uint32_t seed = kDefaultSeed;                  // for every random value the checks use
  // Each group of checks runs in a child process where the system allows, so
  // a plug-in that crashes or hangs fails that group instead of ending the run.
  bool isolate = true;
  double groupTimeoutSeconds = 300.0;
};

class ValidationReport {
 public:
  explicit ValidationReport(FILE* out) : out(out) {}
  void pass(const std::string& check, const std::string& detail = "");
  void fail(const std::string& check, const std::string& reason);
  // Passes or fails on whether `problem` is empty.
  void result(const std::string& check, const std::string& problem, const std::string& detail = "");
  void note(const std::string& text);
  int passed() const { return passes; }
  int failed() const { return failures; }
  const std::vector<std::string>& failedChecks() const { return failed_; }
  FILE* stream() const { return out; }
  // Also sends every result down a pipe ('P' or 'F' and the check's name, one
  // line each), for the parent of an isolated group.
  void forwardTo(int fd) { forward = fd; }
  // Counts a result a child process has already printed.
  void absorb(bool passed, const std::string& check);

 private:
  void send(char kind, const std::string& check);

  FILE* out;
  int forward = -1;
  int passes = 0;
  int failures = 0;
  std::vector<std::string> failed_;
};

// Small deterministic generator for the checks' random values and noise.
class Random {
 public:
  explicit Random(uint32_t seed) : state(seed ? seed : 1) {}
  uint32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  float unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }  // 0..1
  double signedUnit() { return static_cast<double>(next() >> 8) / 8388608.0 - 1.0; }

 private:
  uint32_t state;
};

struct ValidationContext {
  const PluginLibrary& library;
  std::string path;
  ValidateOptions options;
  ValidationReport& report;

  // A new opened instance; null after reporting a failure under `check`.
  std::unique_ptr<PluginInstance> instance(const std::string& check);
};

enum class Signal { Noise, Silence, Impulses };
const char* signalName(Signal s);

// Drives one instance's process entries with its own buffers and checks every
// output sample: no NaN, no infinity, no subnormal.
class ProcessHarness : private ChannelBuffers {
 public:
  ProcessHarness(PluginInstance& plugin, uint32_t seed);
  bool offersDouble() const;
  // Mains off, precision, rate and block size, mains on.
  void setup(double rate, VstInt32 maxBlock, bool doublePrecision);
  // Processes `frames` frames of `signal` in calls of `block` frames; an empty
  // answer when every output was clean, else what was wrong and where.
  std::string run(Signal signal, size_t frames, VstInt32 block);
  // One call of `frames` frames (at most the setup's block size).
  std::string processOnce(Signal signal, VstInt32 frames);
  const std::vector<std::vector<float>>& floatOutputs() const { return outF; }
  const std::vector<std::vector<double>>& doubleOutputs() const { return outD; }
  bool doublePrecision() const { return useDouble; }
  // Counts allocations made inside the process entries from now on.
  void watchAllocations(bool on);
  size_t allocationsSeen() const { return allocations; }

 private:
  void fillInput(Signal signal, VstInt32 frames);
  std::string checkOutputs(VstInt32 frames) const;

  PluginInstance& plugin;
  Random random;
  bool useDouble = false;
  bool watching = false;
  size_t allocations = 0;
  size_t position = 0;
  double rate = 48000.0;
};

// The checks, one group per file.
void validateLifecycle(ValidationContext& ctx);
void validateStrings(ValidationContext& ctx);
void validateProcessing(ValidationContext& ctx);
void validateAutomation(ValidationContext& ctx);
void validateState(ValidationContext& ctx);
void validateParameterFuzz(ValidationContext& ctx);
void validateThreads(ValidationContext& ctx);
void validateAllocation(ValidationContext& ctx);
// The editor's checks: rectangle, open, idle, close (validate_editor.cpp).
void validateEditor(ValidationContext& ctx);

// Runs one group of checks in a child process (in this one where there is no
// fork); a crash, a hang or an exit of the plug-in fails the group by `name`.
void runIsolated(const char* name, void (*run)(ValidationContext&), ValidationContext& ctx);
// The same for a group of any format's checks, which report into the report
// they are handed (the child's own, in a child process).
void runIsolatedGroup(const char* name, const std::function<void(ValidationReport&)>& run,
                      ValidationReport& report, double timeoutSeconds);

// Loads the VST 2.4 plug-in and runs every check; false when the plug-in
// could not even be loaded (reported as a failure too).
bool validateVst2Plugin(const std::string& path, const ValidateOptions& options,
                        ValidationReport& report);

// A text a plug-in writes into a host buffer, checked: empty when it is
// NUL-terminated within `limit` characters, else what is wrong.
std::string checkedText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index, size_t limit,
                        std::string* text);

}  // namespace quillet::host
