// States: round trips through streams that move any number of bytes a call,
// states loaded while active, refused states that change nothing, and the
// presets preset discovery lists, each loaded through preset-load.
#include <string>
#include <vector>

#include "host/plugin/clap/clap_presets.h"
#include "host/validate/clap/clap_validator.h"

namespace quillet::host {

namespace {

// Moves every parameter away from where it is, by a flush.
void changeEveryValue(ClapInstance& plugin, Random& random) {
  ClapInputEvents events;
  const uint32_t count = plugin.parameterCount();
  for (uint32_t i = 0; i < count; ++i) {
    clap_param_info_t info{};
    if (!plugin.parameterInfo(i, &info)) continue;
    double v = info.min_value + random.unit() * (info.max_value - info.min_value);
    if (info.flags & CLAP_PARAM_IS_STEPPED) v = static_cast<double>(static_cast<int64_t>(v + 0.5));
    events.paramValue(0, info.id, v);
  }
  ClapOutputEvents out;
  plugin.flush(events, out);
}

std::string roundTrips(ClapValidationContext& ctx) {
  auto source = ctx.instance("state");
  auto target = ctx.instance("state");
  if (!source || !target) return "no instance";
  Random random(ctx.options.seed);
  changeEveryValue(*source, random);
  std::vector<uint8_t> saved, again;
  if (!source->saveState(&saved)) return "save failed";
  if (saved.empty()) return "the saved state is empty";
  for (size_t chunk : {SIZE_MAX, size_t{1}, size_t{3}, size_t{7}}) {
    if (!target->loadState(saved, chunk))
      return "load of its own state failed (" + std::to_string(chunk) + " bytes a read)";
    if (!target->saveState(&again) || again != saved)
      return "a loaded state saves differently (" + std::to_string(chunk) + " bytes a read)";
  }
  // Loaded while active and processing, then run.
  ClapBlockRunner runner(*target, ctx.options.seed);
  if (!runner.start(48000, 256, false)) return "activate failed";
  std::string problem = runner.run(1024, 256);
  if (problem.empty() && !target->loadState(saved)) problem = "load while active failed";
  if (problem.empty()) problem = runner.run(1024, 256);
  runner.stop();
  return problem;
}

// Damaged states: each one the plug-in refuses must leave its state as it was.
std::string refusals(ClapValidationContext& ctx, int* refused) {
  auto plugin = ctx.instance("state");
  if (!plugin) return "no instance";
  Random random(ctx.options.seed + 1);
  changeEveryValue(*plugin, random);
  std::vector<uint8_t> good;
  if (!plugin->saveState(&good)) return "save failed";
  std::vector<std::vector<uint8_t>> damaged = {{},
                                               {good.begin(), good.begin() + good.size() / 2},
                                               {good.begin(), good.end() - 1},
                                               std::vector<uint8_t>(good.size(), 0xff)};
  damaged.push_back(good);
  damaged.back().push_back(0);
  damaged.push_back(good);
  damaged.back()[0] ^= 0x55;
  for (size_t i = 0; i < damaged.size(); ++i) {
    if (plugin->loadState(damaged[i])) {
      // Taken: a state of its own again, for the next variant.
      if (!plugin->loadState(good)) return "its own state no longer loads";
      continue;
    }
    ++*refused;
    std::vector<uint8_t> now;
    if (!plugin->saveState(&now) || now != good)
      return "refused damaged state " + std::to_string(i) + " but changed the state";
  }
  return "";
}

void presets(ClapValidationContext& ctx) {
  if (!ctx.module.presetFactory()) {
    ctx.report.note("no preset-discovery factory");
    return;
  }
  std::vector<ClapPreset> list;
  std::string error;
  if (!discoverClapPresets(ctx.module, &list, &error)) {
    ctx.report.fail("presets: discovery", error);
    return;
  }
  ctx.report.pass("presets: discovery", std::to_string(list.size()) + " presets");
  auto plugin = ctx.instance("presets: load");
  if (!plugin) return;
  std::vector<uint8_t> fresh, loaded;
  plugin->saveState(&fresh);
  std::string problem;
  int changed = 0;
  for (const ClapPreset& preset : list) {
    if (!loadClapPreset(*plugin, preset, &error)) {
      problem = error;
      break;
    }
    if (plugin->saveState(&loaded) && loaded != fresh) ++changed;
  }
  if (problem.empty() && !list.empty() && changed == 0)
    problem = "no preset changed the plug-in's state";
  ctx.report.result("presets: every one loads through preset-load", problem,
                    std::to_string(list.size()) + " loaded, " +
                        std::to_string(plugin->host().presetsLoaded.size()) + " reported back");
  ctx.threadsKept(*plugin, "presets: callbacks on their threads");
}

}  // namespace

void validateClapState(ClapValidationContext& ctx) {
  ctx.report.result("state: round trips, chunked streams, loaded while active", roundTrips(ctx));
  int refused = 0;
  const std::string problem = refusals(ctx, &refused);
  ctx.report.result("state: refused states change nothing", problem,
                    std::to_string(refused) + " of 6 damaged states refused");
  presets(ctx);
}

}  // namespace quillet::host
