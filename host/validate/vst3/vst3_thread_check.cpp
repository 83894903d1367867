// The VST3 validator's harness and its two-thread check, apart from the
// rest so the race stress links only these and the VST3 loader.
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "host/validate/sample_check.h"
#include "host/validate/vst3/vst3_validator.h"

namespace quillet::host::vst3 {

std::vector<ParamID> automatableIds(Vst3Instance& p) {
  std::vector<ParamID> ids;
  for (int32 i = 0; i < p.parameterCount(); ++i) {
    ParameterInfo info{};
    if (p.parameterInfo(i, &info) && (info.flags & ParameterInfo::kCanAutomate) &&
        !(info.flags & ParameterInfo::kIsBypass))
      ids.push_back(info.id);
  }
  return ids;
}

namespace {

std::string answer(tresult result) {
  return result == kResultOk ? "kResultOk" : std::to_string(result);
}

}  // namespace

Vst3Harness::Vst3Harness(Vst3Instance& instance, uint32_t seed, int32 maxBlock,
                         bool doublePrecision)
    : instance(instance), random(seed), useDouble(doublePrecision) {
  const auto frames = static_cast<size_t>(maxBlock);
  if (useDouble) {
    inD.assign(2, std::vector<double>(frames));
    outD.assign(2, std::vector<double>(frames));
  } else {
    inF.assign(2, std::vector<float>(frames));
    outF.assign(2, std::vector<float>(frames));
  }
  output.assign(2, std::vector<double>(frames));
}

std::string Vst3Harness::block(int32 frames, bool silent) {
  const auto n = static_cast<size_t>(frames);
  for (int c = 0; c < 2; ++c) {
    for (size_t i = 0; i < n; ++i) {
      const double v = silent ? 0.0 : 0.5 * random.signedUnit();
      if (useDouble)
        inD[c][i] = v;
      else
        inF[c][i] = static_cast<float>(v);
    }
  }
  tresult result;
  if (useDouble) {
    double* in[2] = {inD[0].data(), inD[1].data()};
    double* out[2] = {outD[0].data(), outD[1].data()};
    result = instance.process(in, out, frames);
  } else {
    float* in[2] = {inF[0].data(), inF[1].data()};
    float* out[2] = {outF[0].data(), outF[1].data()};
    result = instance.process(in, out, frames);
  }
  if (result != kResultOk) return "process answered " + answer(result);
  for (int c = 0; c < 2; ++c)
    for (size_t i = 0; i < n; ++i) output[c][i] = useDouble ? outD[c][i] : outF[c][i];
  return useDouble ? firstBadSample(outD, n) : firstBadSample(outF, n);
}

std::string runVst3ThreadCheck(const Vst3Module& module, double seconds, uint32_t seed,
                               bool hostBreaksThreadRule, std::string* detail) {
  std::string error;
  auto p = Vst3Instance::open(module, &error);
  if (!p) return error;
  if (!p->start(48000.0, 512, false, kRealtime, &error)) return error;
  IEditController* controller = p->controller();
  IComponent* component = p->component();
  const std::vector<ParamID> ids = automatableIds(*p);
  if (ids.empty() || !controller) return "no parameters to change";
  std::atomic<bool> stop{false};
  std::atomic<long> reads{0};
  // The user-interface thread: what a DAW's mixer and the panel read, the
  // values it sets, and states saved and restored while audio runs.
  std::thread ui([&] {
    Random random(seed + 41);
    while (!stop.load()) {
      const ParamID id = ids[random.next() % ids.size()];
      String128 text{};
      controller->getParamStringByValue(id, random.unit(), text);
      controller->getParamNormalized(id);
      controller->setParamNormalized(id, random.unit());
      if (reads.load() % 64 == 0) {
        MemoryStream state;
        if (component->getState(&state) == kResultOk) {
          state.position = 0;
          component->setState(&state);
        }
      }
      ++reads;
    }
  });
  std::string problem;
  long blocks = 0;
  Vst3Harness harness(*p, seed, 512, false);
  Random random(seed + 43);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end && problem.empty()) {
    for (int k = 0; k < 3; ++k) p->queueChange(ids[random.next() % ids.size()], random.unit());
    p->setTempo(60.0 + 120.0 * random.unit());
    if (hostBreaksThreadRule) controller->setParamNormalized(ids[0], random.unit());
    problem = harness.block(blocks % 16 == 15 ? 0 : 512, blocks % 8 == 7);
    ++blocks;
  }
  stop = true;
  ui.join();
  p->stop();
  if (detail)
    *detail = std::to_string(blocks) + " blocks with changes against " +
              std::to_string(reads.load()) + " controller reads and edits";
  return problem;
}

}  // namespace quillet::host::vst3
