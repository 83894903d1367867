// The VST3 validator: state round trips and refused states, and the texts of
// every parameter both ways.
#include <cmath>
#include <cstring>
#include <limits>

#include "host/validate/vst3/vst3_validator.h"

namespace quillet::host::vst3 {

namespace {

std::string utf8(const char16* text) {
  std::string out;
  for (size_t i = 0; i < 128 && text[i]; ++i)
    out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
  return out;
}

void toUtf16(const std::string& from, String128 to) {
  size_t i = 0;
  for (; i < from.size() && i < 127; ++i) to[i] = static_cast<char16>(from[i]);
  to[i] = 0;
}

// Every parameter's ID, in list order.
std::vector<ParamID> parameterIds(Vst3Instance& p) {
  std::vector<ParamID> ids;
  for (int32 i = 0; i < p.parameterCount(); ++i) {
    ParameterInfo info{};
    if (p.parameterInfo(i, &info)) ids.push_back(info.id);
  }
  return ids;
}

// What the state holds, as the component's state and the controller's values.
struct Snapshot {
  std::vector<uint8> state;
  std::vector<ParamValue> values;
  bool operator==(const Snapshot& other) const {
    return state == other.state && values == other.values;
  }
};

Snapshot snapshotOf(Vst3Instance& p, const std::vector<ParamID>& ids) {
  Snapshot s;
  p.saveState(&s.state);
  if (p.controller())
    for (ParamID id : ids) s.values.push_back(p.controller()->getParamNormalized(id));
  return s;
}

}  // namespace

void validateVst3State(Vst3Context& ctx) {
  const std::string check = "state round trip";
  auto a = ctx.instance(check);
  auto b = ctx.instance(check);
  if (!a || !b) return;
  std::string problem, error;
  const std::vector<ParamID> ids = parameterIds(*a);
  // Values set as a host sets them while processing: with a block.
  Random random(ctx.options.seed + 7);
  if (!a->start(48000.0, 256, false, kRealtime, &error)) problem = error;
  Vst3Harness harness(*a, ctx.options.seed, 256, false);
  for (ParamID id : ids) {
    const float v = random.unit();
    a->queueChange(id, v);
    if (a->controller()) a->controller()->setParamNormalized(id, v);
  }
  if (problem.empty()) problem = harness.block(256);
  a->stop();
  std::vector<uint8> saved;
  if (problem.empty() && !a->saveState(&saved)) problem = "getState failed";
  if (problem.empty() && !b->restoreState(saved, &error)) problem = error;
  std::vector<uint8> again;
  if (problem.empty() && (!b->saveState(&again) || again != saved))
    problem = "a restored state saves other bytes";
  // The controller of the second instance follows the state: same values as
  // the first one's (bypass left out: a plug-in may leave it to the host).
  if (problem.empty() && a->controller() && b->controller()) {
    for (ParamID id : ids) {
      ParameterInfo info{};
      const ParamValue va = a->controller()->getParamNormalized(id);
      const ParamValue vb = b->controller()->getParamNormalized(id);
      bool bypass = false;
      for (int32 i = 0; i < a->parameterCount(); ++i)
        if (a->parameterInfo(i, &info) && info.id == id)
          bypass = (info.flags & ParameterInfo::kIsBypass) != 0;
      if (!bypass && va != vb && problem.empty())
        problem = "the controller shows " + std::to_string(vb) + " for parameter " +
                  std::to_string(id) + " after restoring, " + std::to_string(va) + " was saved";
    }
  }
  ctx.report.result(check, problem,
                    std::to_string(saved.size()) + " bytes, component and controller restored");

  // Refused states: each answered kResultFalse, nothing changed.
  const std::string refused = "refused states change nothing";
  problem.clear();
  const Snapshot before = snapshotOf(*b, ids);
  std::vector<std::pair<std::string, std::vector<uint8>>> bad = {
      {"empty", {}},
      {"one byte short", std::vector<uint8>(saved.begin(), saved.end() - (saved.empty() ? 0 : 1))},
      {"one byte long", saved},
      {"text", std::vector<uint8>{'h', 'e', 'l', 'l', 'o'}},
      {"a .fxp of another plug-in", {}},
  };
  bad[2].second.push_back(0);
  // A chunk program record naming another unique ID.
  std::vector<uint8>& other = bad[4].second;
  const char header[] = "CcnK\0\0\0\0FPCh\0\0\0\1ABCD";
  other.assign(header, header + 20);
  other.resize(60 + saved.size(), 0);
  other[59] = static_cast<uint8>(saved.size());
  std::memcpy(other.data() + 60, saved.data(), saved.size());
  // A NaN in each place a value may sit.
  for (size_t at = 0; at + 4 <= saved.size(); at += 4) {
    std::vector<uint8> withNan = saved;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(withNan.data() + at, &nan, 4);
    bad.push_back({"NaN at byte " + std::to_string(at), withNan});
  }
  for (const auto& [what, bytes] : bad) {
    MemoryStream forComponent(bytes), forController(bytes);
    const tresult c = b->component()->setState(&forComponent);
    const tresult e =
        b->controller() ? b->controller()->setComponentState(&forController) : kResultFalse;
    if (problem.empty() && (c != kResultFalse || e != kResultFalse))
      problem = what + ": setState answered " + std::to_string(c) + ", setComponentState " +
                std::to_string(e) + " (kResultFalse wanted)";
    if (problem.empty() && !(snapshotOf(*b, ids) == before))
      problem = what + " changed the state or the controller";
  }
  ctx.report.result(refused, problem,
                    std::to_string(bad.size()) + " states, each kResultFalse from both halves");
}

void validateVst3Texts(Vst3Context& ctx) {
  const std::string check = "texts both ways";
  auto p = ctx.instance(check);
  if (!p) return;
  IEditController* controller = p->controller();
  if (!controller) {
    ctx.report.note(check + ": no controller");
    return;
  }
  std::string problem, error;
  // With a rate known: "Delay" in whole samples.
  if (!p->start(44100.0, 256, false, kRealtime, &error)) problem = error;
  int texts = 0;
  for (int32 i = 0; i < controller->getParameterCount() && problem.empty(); ++i) {
    ParameterInfo info{};
    if (controller->getParameterInfo(i, info) != kResultOk) {
      problem = "no parameter info at " + std::to_string(i);
      break;
    }
    const std::string name = utf8(info.title);
    if (name.empty()) problem = "parameter " + std::to_string(info.id) + " has no title";
    if (info.stepCount < 0) problem = name + " has a negative step count";
    if (!(info.defaultNormalizedValue >= 0.0 && info.defaultNormalizedValue <= 1.0))
      problem = name + ": default outside 0..1";
    for (int k = 0; k <= 40 && problem.empty(); ++k) {
      const ParamValue v = k < 40 ? k / 39.0 : info.defaultNormalizedValue;
      String128 first{}, second{};
      if (controller->getParamStringByValue(info.id, v, first) != kResultOk) {
        problem = name + ": no text for " + std::to_string(v);
        break;
      }
      ParamValue back = -1;
      if (controller->getParamValueByString(info.id, first, back) != kResultOk) {
        problem = name + ": its own text \"" + utf8(first) + "\" is not read back";
        break;
      }
      // The value read back shows the same text: a text stands for one value.
      if (controller->getParamStringByValue(info.id, back, second) != kResultOk ||
          utf8(first) != utf8(second))
        problem = name + ": \"" + utf8(first) + "\" reads back as \"" + utf8(second) + "\"";
      if (info.stepCount > 0 && problem.empty()) {
        const ParamValue plain = controller->normalizedParamToPlain(info.id, v);
        if (plain != std::floor(plain) || plain < 0 || plain > info.stepCount)
          problem = name + ": plain value " + std::to_string(plain) + " is no step";
        else if (controller->normalizedParamToPlain(
                     info.id, controller->plainParamToNormalized(info.id, plain)) != plain)
          problem = name + ": step " + std::to_string(plain) + " does not survive the round trip";
      }
      ++texts;
    }
    String128 garbage{};
    toUtf16("not a value", garbage);
    ParamValue untouched = 0.25;
    if (problem.empty() &&
        (controller->getParamValueByString(info.id, garbage, untouched) == kResultOk ||
         untouched != 0.25))
      problem = name + ": \"not a value\" was taken";
  }
  p->stop();
  ctx.report.result(check, problem, std::to_string(texts) + " texts, each read back to itself");
}

}  // namespace quillet::host::vst3
