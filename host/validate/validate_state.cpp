// State: what a host saves (the chunk, or the parameters of plug-ins without
// one) must bring back every parameter, the same chunk and the same sound.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/plugin/vst2/opened_plugin.h"
#include "host/validate/validator.h"

namespace quillet::host {

namespace {

// Plug-ins may store values in their own units and convert back.
constexpr float kParamTolerance = 1e-5f;
// Two instances in the same state sound the same, up to noise a plug-in adds
// on purpose (about -90 dBFS here).
constexpr double kOutputTolerance = 1e-3;

bool usesChunks(PluginInstance& p) { return (p.effect()->flags & effFlagsProgramChunks) != 0; }

std::vector<float> paramsOf(PluginInstance& p) {
  AEffect* e = p.effect();
  std::vector<float> values;
  for (VstInt32 i = 0; i < e->numParams; ++i) values.push_back(e->getParameter(e, i));
  return values;
}

void randomise(PluginInstance& p, Random& random) {
  AEffect* e = p.effect();
  for (VstInt32 i = 0; i < e->numParams; ++i) e->setParameter(e, i, random.unit());
}

std::vector<uint8_t> bankChunk(PluginInstance& p) {
  void* data = nullptr;
  const VstIntPtr size = p.dispatch(effGetChunk, 0, 0, &data);
  if (size <= 0 || !data) return {};
  return std::vector<uint8_t>(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

// The saved state: the chunk, or the parameter values as bytes.
std::vector<uint8_t> saveState(PluginInstance& p) {
  if (usesChunks(p)) return bankChunk(p);
  const std::vector<float> values = paramsOf(p);
  std::vector<uint8_t> bytes(values.size() * sizeof(float));
  if (!values.empty()) std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

void restoreState(PluginInstance& p, const std::vector<uint8_t>& state) {
  std::vector<uint8_t> copy = state;  // the plug-in gets its own copy, as from a file
  if (usesChunks(p)) {
    p.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.data());
    return;
  }
  AEffect* e = p.effect();
  for (size_t i = 0; i * sizeof(float) < copy.size(); ++i) {
    float v;
    std::memcpy(&v, &copy[i * sizeof(float)], sizeof v);
    e->setParameter(e, static_cast<VstInt32>(i), v);
  }
}

std::string compareParams(const std::vector<float>& want, const std::vector<float>& got) {
  for (size_t i = 0; i < want.size() && i < got.size(); ++i) {
    if (!(std::fabs(want[i] - got[i]) <= kParamTolerance))
      return "parameter " + std::to_string(i) + " is " + std::to_string(got[i]) + ", saved " +
             std::to_string(want[i]);
  }
  return "";
}

// Renders one second of the same noise through both; the largest difference.
double renderDifference(PluginInstance& a, PluginInstance& b, uint32_t seed, std::string* problem) {
  ProcessHarness ha(a, seed), hb(b, seed);
  ha.setup(48000.0, 512, false);
  hb.setup(48000.0, 512, false);
  double largest = 0.0;
  for (int block = 0; block < 48000 / 512; ++block) {
    *problem = ha.processOnce(Signal::Noise, 512);
    if (problem->empty()) *problem = hb.processOnce(Signal::Noise, 512);
    if (!problem->empty()) return largest;
    for (size_t c = 0; c < ha.floatOutputs().size(); ++c)
      for (size_t i = 0; i < 512; ++i)
        largest = std::max(largest, std::fabs(static_cast<double>(ha.floatOutputs()[c][i]) -
                                              static_cast<double>(hb.floatOutputs()[c][i])));
  }
  stopProcessing(a);
  stopProcessing(b);
  return largest;
}

}  // namespace

void validateState(ValidationContext& ctx) {
  const std::string same = "state: save, randomise, restore";
  const std::string other = "state: restore into a second instance";
  Random random(ctx.options.seed + 11);

  auto first = ctx.instance(same);
  if (!first) return;
  const bool chunks = usesChunks(*first);
  randomise(*first, random);
  const std::vector<float> saved = paramsOf(*first);
  const std::vector<uint8_t> state = saveState(*first);
  std::string problem;
  if (chunks && state.empty()) problem = "effGetChunk gave no data";
  if (problem.empty()) {
    randomise(*first, random);
    restoreState(*first, state);
    problem = compareParams(saved, paramsOf(*first));
  }
  if (problem.empty() && chunks) {
    const std::vector<uint8_t> again = bankChunk(*first);
    if (again != state) {
      size_t at = 0;
      while (at < again.size() && at < state.size() && again[at] == state[at]) ++at;
      problem = "the chunk differs after the restore (" + std::to_string(again.size()) +
                " bytes against " + std::to_string(state.size()) + ", first difference at byte " +
                std::to_string(at) + ")";
    }
  }
  ctx.report.result(
      same, problem,
      chunks ? std::to_string(state.size()) + "-byte chunk, every parameter and byte back"
             : "every parameter back (no chunk)");
  first.reset();

  // Two fresh instances reach the same state, one by parameters, one by the saved state.
  auto a = ctx.instance(other);
  auto b = ctx.instance(other);
  if (!a || !b) return;
  Random values(ctx.options.seed + 23);
  randomise(*a, values);
  const std::vector<float> wanted = paramsOf(*a);
  restoreState(*b, saveState(*a));
  problem = compareParams(wanted, paramsOf(*b));
  double difference = 0.0;
  if (problem.empty()) difference = renderDifference(*a, *b, ctx.options.seed, &problem);
  if (problem.empty() && !(difference <= kOutputTolerance))
    problem =
        "the two instances sound different (largest difference " + std::to_string(difference) + ")";
  char detail[96];
  std::snprintf(detail, sizeof(detail), "same parameters, outputs within %.1e over 1 s",
                difference);
  ctx.report.result(other, problem, detail);
}

}  // namespace quillet::host
