#include <algorithm>
#include <cmath>

#include "host/validate/allocation_trap.h"
#include "host/validate/sample_check.h"
#include "host/validate/validator.h"

namespace quillet::host {

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
  resize(ins, outs, static_cast<size_t>(maxBlock));
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

std::string ProcessHarness::checkOutputs(VstInt32 frames) const {
  const auto n = static_cast<size_t>(frames);
  return useDouble ? firstBadSample(outD, n, position) : firstBadSample(outF, n, position);
}

std::string ProcessHarness::processOnce(Signal signal, VstInt32 frames) {
  AEffect* e = plugin.effect();
  fillInput(signal, frames);
  for (auto& c : outF) std::fill(c.begin(), c.begin() + frames, 0.0f);
  for (auto& c : outD) std::fill(c.begin(), c.begin() + frames, 0.0);
  plugin.host().setSamplePosition(static_cast<double>(position));
  auto process = [&] {
    if (useDouble) {
      e->processDoubleReplacing(e, inPtrD.data(), outPtrD.data(), frames);
    } else if ((e->flags & effFlagsCanReplacing) && e->processReplacing) {
      e->processReplacing(e, inPtrF.data(), outPtrF.data(), frames);
    } else if (e->process) {
      e->process(e, inPtrF.data(), outPtrF.data(), frames);
    }
  };
  if (watching) {
    allocations += quillet::host::allocation_trap::countIn(process);
  } else {
    process();
  }
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

}  // namespace quillet::host
