#include "host/validate/clap/clap_validator.h"

#include <cmath>
#include <cstring>

#include "host/validate/sample_check.h"

namespace quillet::host {

std::unique_ptr<ClapInstance> ClapValidationContext::instance(const std::string& check) {
  std::string error;
  auto plugin = ClapInstance::create(module, &error);
  if (!plugin) report.fail(check, error);
  return plugin;
}

bool ClapValidationContext::threadsKept(ClapInstance& instance, const std::string& check) {
  std::string wrong;
  for (const std::string& call : instance.host().wrongThreadCalls())
    wrong += (wrong.empty() ? "" : ", ") + call;
  if (!wrong.empty()) {
    report.fail(check, "the plug-in called on a thread CLAP does not allow: " + wrong);
    return false;
  }
  if (instance.host().threads().roleWasShared()) {
    report.fail(check, "two threads held the audio role at once (a fault of this host)");
    return false;
  }
  return true;
}

ClapBlockRunner::ClapBlockRunner(ClapInstance& instance, uint32_t seed)
    : plugin(instance), random(seed) {
  out.reserve(4096);
}

bool ClapBlockRunner::start(double rate, uint32_t maxBlock, bool doublePrecision) {
  prepare(maxBlock, doublePrecision);
  if (plugin.isActive()) plugin.deactivate();
  return plugin.activate(rate, 1, maxBlock) && plugin.startProcessing();
}

void ClapBlockRunner::prepare(uint32_t maxBlock, bool doublePrecision) {
  useDouble = doublePrecision;
  maxFrames = maxBlock;
  steady = 0;
  size_t ins = 0, outs = 0;
  if (const clap_plugin_audio_ports_t* ports = plugin.audioPorts()) {
    clap_audio_port_info_t info{};
    if (ports->count(plugin.plugin(), true) > 0 && ports->get(plugin.plugin(), 0, true, &info))
      ins = info.channel_count;
    if (ports->count(plugin.plugin(), false) > 0 && ports->get(plugin.plugin(), 0, false, &info))
      outs = info.channel_count;
  }
  resize(ins, outs, maxBlock);
}

void ClapBlockRunner::stop() {
  plugin.stopProcessing();
  plugin.deactivate();
}

void ClapBlockRunner::fill(uint32_t frames, bool silence) {
  for (size_t c = 0; c < inF.size(); ++c)
    for (uint32_t i = 0; i < frames; ++i) {
      const double v = silence ? 0.0 : 0.5 * random.signedUnit();
      inF[c][i] = static_cast<float>(v);
      inD[c][i] = v;
    }
}

std::string ClapBlockRunner::block(uint32_t frames, const ClapInputEvents& events, bool inPlace) {
  if (frames > maxFrames) return "a block longer than the activated maximum (a fault of this host)";
  clap_audio_buffer_t input{}, output{};
  input.channel_count = static_cast<uint32_t>(inF.size());
  output.channel_count = static_cast<uint32_t>(outF.size());
  const bool sharing = inPlace && inF.size() == outF.size();
  lastInPlace = sharing;
  if (useDouble) {
    input.data64 = inPtrD.data();
    output.data64 = sharing ? inPtrD.data() : outPtrD.data();
  } else {
    input.data32 = inPtrF.data();
    output.data32 = sharing ? inPtrF.data() : outPtrF.data();
  }
  clap_process_t process{};
  process.steady_time = steady;
  process.frames_count = frames;
  process.audio_inputs = &input;
  process.audio_outputs = &output;
  process.audio_inputs_count = inF.empty() ? 0 : 1;
  process.audio_outputs_count = 1;
  process.in_events = events.list();
  process.out_events = out.list();
  status = plugin.process(process);
  out.clear();
  steady += frames;
  if (status == CLAP_PROCESS_ERROR) return "process answered CLAP_PROCESS_ERROR";
  if (sharing) return useDouble ? firstBadSample(inD, frames) : firstBadSample(inF, frames);
  return useDouble ? firstBadSample(outD, frames) : firstBadSample(outF, frames);
}

std::string ClapBlockRunner::run(size_t frames, uint32_t blockSize, bool silence, bool inPlace) {
  for (size_t done = 0; done < frames;) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(blockSize, frames - done));
    fill(n, silence);
    const std::string problem = block(n, noEvents, inPlace);
    if (!problem.empty()) return problem + " (after " + std::to_string(done) + " frames)";
    done += n;
  }
  return "";
}

namespace {

// The module as a host's scanner sees it: entry, factory, descriptor.
void checkModule(const ClapModule& module, ValidationReport& report) {
  std::string problem;
  const clap_plugin_factory_t* factory = module.pluginFactory();
  if (!factory) {
    report.fail("plug-in factory", "clap_entry offers no clap.plugin-factory");
    return;
  }
  const uint32_t count = factory->get_plugin_count(factory);
  if (count == 0) problem = "the factory describes no plug-in";
  if (factory->get_plugin_descriptor(factory, count) != nullptr)
    problem = "a descriptor past the count";
  for (uint32_t i = 0; i < count && problem.empty(); ++i) {
    const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, i);
    if (!d || !d->id || !*d->id || !d->name || !*d->name)
      problem = "descriptor " + std::to_string(i) + " lacks an id or a name";
    else if (!qclap_version_is_compatible(d->clap_version))
      problem = std::string(d->id) + " declares a CLAP version before 1.0";
  }
  report.result("plug-in factory and descriptors", problem, std::to_string(count) + " plug-in(s)");

  // A host scanning twice, and asking for what is not there.
  problem.clear();
  const clap_plugin_entry_t& entry = module.entry();
  if (!entry.init(module.path().c_str()))
    problem = "a second init answered false";
  else
    entry.deinit();
  if (entry.get_factory("clap.no-such-factory") != nullptr) problem = "a factory for an unknown id";
  ClapHost host;
  if (factory->create_plugin(factory, host.host(), "no.such.plugin") != nullptr)
    problem = "create_plugin made a plug-in for an unknown id";
  report.result("entry: init twice, unknown ids", problem);
}

}  // namespace

bool validateClapPlugin(const std::string& path, const ValidateOptions& options,
                        ValidationReport& report) {
  std::string error;
  auto module = ClapModule::load(path, &error);
  if (!module) {
    report.fail("load", error);
    return false;
  }
  report.pass("load", "CLAP " + std::to_string(module->entry().clap_version.major) + "." +
                          std::to_string(module->entry().clap_version.minor));
  checkModule(*module, report);
  ClapValidationContext ctx{*module, options, report};
  const struct {
    const char* name;
    void (*run)(ClapValidationContext&);
  } groups[] = {{"activation and thread rules", validateClapLifecycle},
                {"process", validateClapProcessing},
                {"parameters", validateClapParameters},
                {"state and presets", validateClapState},
                {"two threads", validateClapThreads},
                {"gui", validateClapGui}};
  for (const auto& group : groups) {
    if (!options.isolate) {
      group.run(ctx);
      continue;
    }
    runIsolatedGroup(
        group.name,
        [&](ValidationReport& groupReport) {
          ClapValidationContext child{*module, options, groupReport};
          group.run(child);
        },
        report, options.groupTimeoutSeconds);
  }
  return true;
}

}  // namespace quillet::host
