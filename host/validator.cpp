#include "host/validator.h"

#include <cmath>
#include <cstring>

#include "host/allocation_trap.h"
#include "host/opened_plugin.h"

namespace vsthost {

void ValidationReport::pass(const std::string& check, const std::string& detail) {
  ++passes;
  std::fprintf(out, "  PASS  %s%s%s\n", check.c_str(), detail.empty() ? "" : ": ", detail.c_str());
  std::fflush(out);
}

void ValidationReport::fail(const std::string& check, const std::string& reason) {
  ++failures;
  failed_.push_back(check);
  std::fprintf(out, "  FAIL  %s: %s\n", check.c_str(), reason.c_str());
  std::fflush(out);
}

void ValidationReport::result(const std::string& check, const std::string& problem,
                              const std::string& detail) {
  if (problem.empty())
    pass(check, detail);
  else
    fail(check, problem);
}

void ValidationReport::note(const std::string& text) {
  std::fprintf(out, "  ....  %s\n", text.c_str());
  std::fflush(out);
}

std::unique_ptr<PluginInstance> ValidationContext::instance(const std::string& check) {
  std::string error;
  auto plugin = openInstance(library, &error);
  if (!plugin) report.fail(check, error);
  return plugin;
}

const char* signalName(Signal s) {
  switch (s) {
    case Signal::Noise:
      return "noise";
    case Signal::Silence:
      return "silence";
    case Signal::Impulses:
      return "impulses";
  }
  return "?";
}

std::string checkedText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index, size_t limit,
                        std::string* text) {
  // A canary-filled buffer shows how far the plug-in wrote.
  constexpr unsigned char kCanary = 0xA5;
  unsigned char buffer[1024];
  std::memset(buffer, kCanary, sizeof(buffer));
  plugin.dispatch(opcode, index, 0, buffer);
  const void* nul = std::memchr(buffer, 0, sizeof(buffer));
  if (!nul) {
    *text = std::string(reinterpret_cast<char*>(buffer), 32);
    size_t untouched = 0;
    while (untouched < sizeof(buffer) && buffer[untouched] == kCanary) ++untouched;
    return untouched == sizeof(buffer) ? "nothing written, not even a NUL" : "not NUL-terminated";
  }
  const size_t length = static_cast<size_t>(static_cast<const unsigned char*>(nul) - buffer);
  *text = std::string(reinterpret_cast<char*>(buffer), length);
  if (length > limit)
    return "\"" + *text + "\" has " + std::to_string(length) + " characters, limit " +
           std::to_string(limit);
  return "";
}

ProcessHarness::ProcessHarness(PluginInstance& plugin, uint32_t seed)
    : plugin(plugin), random(seed) {}

void ProcessHarness::watchAllocations(bool on) {
  watching = on;
  allocations = 0;
}

bool ProcessHarness::offersDouble() const {
  const AEffect* e = plugin.effect();
  return (e->flags & effFlagsCanDoubleReplacing) && e->processDoubleReplacing;
}

void ProcessHarness::setup(double sampleRate, VstInt32 maxBlock, bool doublePrecision) {
  rate = sampleRate;
  useDouble = doublePrecision;
  position = 0;
  const AEffect* e = plugin.effect();
  const size_t ins = static_cast<size_t>(std::max(0, e->numInputs));
  const size_t outs = static_cast<size_t>(std::max(0, e->numOutputs));
  const size_t n = static_cast<size_t>(maxBlock);
  inF.assign(ins, std::vector<float>(n));
  outF.assign(outs, std::vector<float>(n));
  inD.assign(ins, std::vector<double>(n));
  outD.assign(outs, std::vector<double>(n));
  inPtrF.clear();
  outPtrF.clear();
  inPtrD.clear();
  outPtrD.clear();
  for (auto& c : inF) inPtrF.push_back(c.data());
  for (auto& c : outF) outPtrF.push_back(c.data());
  for (auto& c : inD) inPtrD.push_back(c.data());
  for (auto& c : outD) outPtrD.push_back(c.data());
  plugin.dispatch(effMainsChanged, 0, 0);
  plugin.dispatch(effSetProcessPrecision, 0,
                  doublePrecision ? kVstProcessPrecision64 : kVstProcessPrecision32);
  plugin.host().setSampleRate(sampleRate);
  plugin.host().setBlockSize(maxBlock);
  plugin.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  plugin.dispatch(effSetBlockSize, 0, maxBlock);
  plugin.dispatch(effMainsChanged, 0, 1);
}

void ProcessHarness::fillInput(Signal signal, VstInt32 frames) {
  const size_t impulseEvery = static_cast<size_t>(rate / 7.0);
  for (VstInt32 i = 0; i < frames; ++i) {
    const size_t at = position + static_cast<size_t>(i);
    for (size_t c = 0; c < inF.size(); ++c) {
      double v = 0.0;
      if (signal == Signal::Noise) v = 0.5 * random.signedUnit();
      if (signal == Signal::Impulses) v = at % impulseEvery == 0 ? 1.0 : 0.0;
      inF[c][static_cast<size_t>(i)] = static_cast<float>(v);
      inD[c][static_cast<size_t>(i)] = v;
    }
  }
}

namespace {
template <typename T>
const char* badSample(T v) {
  switch (std::fpclassify(v)) {
    case FP_NAN:
      return "NaN";
    case FP_INFINITE:
      return "infinity";
    case FP_SUBNORMAL:
      return "subnormal";
    default:
      return nullptr;
  }
}
}  // namespace

std::string ProcessHarness::checkOutputs(VstInt32 frames) const {
  for (size_t c = 0; c < outF.size(); ++c) {
    for (VstInt32 i = 0; i < frames; ++i) {
      const char* bad = useDouble ? badSample(outD[c][static_cast<size_t>(i)])
                                  : badSample(outF[c][static_cast<size_t>(i)]);
      if (bad)
        return std::string(bad) + " in output " + std::to_string(c) + " at frame " +
               std::to_string(position + static_cast<size_t>(i));
    }
  }
  return "";
}

std::string ProcessHarness::processOnce(Signal signal, VstInt32 frames) {
  AEffect* e = plugin.effect();
  fillInput(signal, frames);
  for (auto& c : outF) std::fill(c.begin(), c.begin() + frames, 0.0f);
  for (auto& c : outD) std::fill(c.begin(), c.begin() + frames, 0.0);
  plugin.host().setSamplePosition(static_cast<double>(position));
  if (watching) allocation_trap::arm();
  if (useDouble) {
    e->processDoubleReplacing(e, inPtrD.data(), outPtrD.data(), frames);
  } else if ((e->flags & effFlagsCanReplacing) && e->processReplacing) {
    e->processReplacing(e, inPtrF.data(), outPtrF.data(), frames);
  } else if (e->process) {
    e->process(e, inPtrF.data(), outPtrF.data(), frames);
  }
  if (watching) allocations += allocation_trap::disarm();
  std::string problem = checkOutputs(frames);
  position += static_cast<size_t>(frames);
  return problem;
}

std::string ProcessHarness::run(Signal signal, size_t frames, VstInt32 block) {
  for (size_t done = 0; done < frames; done += static_cast<size_t>(block)) {
    const VstInt32 n =
        static_cast<VstInt32>(std::min<size_t>(static_cast<size_t>(block), frames - done));
    std::string problem = processOnce(signal, n);
    if (!problem.empty()) return problem;
  }
  return "";
}

bool validatePlugin(const std::string& path, const ValidateOptions& options,
                    ValidationReport& report) {
  OpenedPlugin loaded;
  std::string error;
  if (!openPlugin(path, &loaded, &error)) {
    report.fail("load", error);
    return false;
  }
  // The first instance of a freshly loaded library: the cold start.
  {
    const AEffect* e = loaded->effect();
    std::string problem;
    if (e->numInputs < 0 || e->numOutputs < 0 || e->numParams < 0 || e->numPrograms < 0)
      problem = "negative counts in the plug-in record";
    else if (e->numOutputs == 0)
      problem = "the plug-in has no outputs";
    else if (!(e->flags & effFlagsCanReplacing) || !e->processReplacing)
      problem = "no processReplacing (required in VST 2.4)";
    else if (!e->setParameter || !e->getParameter)
      problem = "missing parameter entries";
    loaded.instance.reset();  // effClose; the checks make their own instances
    report.result("open and close, cold", problem, "record and entries in order");
  }
  ValidationContext ctx{*loaded.library, path, options, report};
  validateLifecycle(ctx);
  validateStrings(ctx);
  validateProcessing(ctx);
  validateAutomation(ctx);
  validateState(ctx);
  validateParameterFuzz(ctx);
  validateThreads(ctx);
  validateAllocation(ctx);
  validateEditor(ctx);
  return true;
}

}  // namespace vsthost
