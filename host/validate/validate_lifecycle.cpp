// Open and close, warm; the texts a plug-in hands to the host.
#include <string>

#include "host/plugin/vst2/opened_plugin.h"
#include "host/validate/validator.h"

namespace quillet::host {

void validateLifecycle(ValidationContext& ctx) {
  const std::string check = "open and close, warm";
  // Several times over, plain and after processing, and two instances side by side.
  for (int round = 0; round < 3; ++round) {
    auto plugin = ctx.instance(check);
    if (!plugin) return;
    if (round == 1) {
      ProcessHarness harness(*plugin, ctx.options.seed);
      harness.setup(44100.0, 512, false);
      harness.run(Signal::Noise, 2048, 512);
      stopProcessing(*plugin);
    }
  }
  auto first = ctx.instance(check);
  auto second = ctx.instance(check);
  if (!first || !second) return;
  if (first->effect() == second->effect()) {
    ctx.report.fail(check, "two instances share one plug-in record");
    return;
  }
  first.reset();
  ProcessHarness harness(*second, ctx.options.seed);
  harness.setup(48000.0, 256, false);
  ctx.report.result(check, harness.run(Signal::Noise, 1024, 256),
                    "three rounds, then two instances side by side");
}

void validateStrings(ValidationContext& ctx) {
  auto plugin = ctx.instance("texts");
  if (!plugin) return;
  std::string text;
  const struct {
    VstInt32 opcode;
    size_t limit;
    const char* what;
  } identity[] = {{effGetEffectName, kVstMaxEffectNameLen, "effect name"},
                  {effGetVendorString, kVstMaxVendorStrLen, "vendor string"},
                  {effGetProductString, kVstMaxProductStrLen, "product string"},
                  {effGetProgramName, kVstMaxProgNameLen, "program name"}};
  std::string problem;
  for (const auto& t : identity) {
    const std::string p = checkedText(*plugin, t.opcode, 0, t.limit, &text);
    if (!p.empty() && problem.empty()) problem = std::string(t.what) + ": " + p;
  }
  ctx.report.result("texts: names, vendor, product, program", problem);

  const AEffect* e = plugin->effect();
  const struct {
    VstInt32 opcode;
    const char* what;
  } params[] = {{effGetParamName, "parameter names"},
                {effGetParamLabel, "parameter labels"},
                {effGetParamDisplay, "parameter display texts"}};
  for (const auto& t : params) {
    problem.clear();
    int bad = 0;
    for (VstInt32 i = 0; i < e->numParams; ++i) {
      const std::string p = checkedText(*plugin, t.opcode, i, kVstMaxParamStrLen, &text);
      if (p.empty()) continue;
      if (bad++ == 0) problem = "parameter " + std::to_string(i) + ": " + p;
    }
    if (bad > 1) problem += " (and " + std::to_string(bad - 1) + " more)";
    ctx.report.result(std::string("texts: ") + t.what, problem,
                      std::to_string(e->numParams) + " parameters");
  }
}

}  // namespace quillet::host
