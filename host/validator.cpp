#include "host/validator.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>

#ifndef _WIN32
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "host/allocation_trap.h"
#include "host/opened_plugin.h"

namespace vsthost {

void ValidationReport::send(char kind, const std::string& check) {
#ifndef _WIN32
  if (forward < 0) return;
  const std::string line = std::string(1, kind) + check + "\n";
  ssize_t ignored = write(forward, line.data(), line.size());
  (void)ignored;  // a parent that went away has nothing left to count
#else
  (void)kind;
  (void)check;
#endif
}

void ValidationReport::absorb(bool passed, const std::string& check) {
  if (passed) {
    ++passes;
  } else {
    ++failures;
    failed_.push_back(check);
  }
}

void ValidationReport::pass(const std::string& check, const std::string& detail) {
  ++passes;
  send('P', check);
  std::fprintf(out, "  PASS  %s%s%s\n", check.c_str(), detail.empty() ? "" : ": ", detail.c_str());
  std::fflush(out);
}

void ValidationReport::fail(const std::string& check, const std::string& reason) {
  ++failures;
  failed_.push_back(check);
  send('F', check);
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

#ifndef _WIN32

namespace {

// Reads the child's result lines and counts them in the parent's report.
void absorbLines(std::string& pending, ValidationReport& report) {
  size_t end;
  while ((end = pending.find('\n')) != std::string::npos) {
    const std::string line = pending.substr(0, end);
    pending.erase(0, end + 1);
    if (!line.empty()) report.absorb(line[0] == 'P', line.substr(1));
  }
}

}  // namespace

void runIsolated(const char* name, void (*run)(ValidationContext&), ValidationContext& ctx) {
  int fds[2];
  std::fflush(ctx.report.stream());
  std::fflush(stdout);
  std::fflush(stderr);
  if (pipe(fds) != 0) {
    run(ctx);
    return;
  }
  const pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    run(ctx);
    return;
  }
  if (child == 0) {
    close(fds[0]);
    ValidationReport report(ctx.report.stream());
    report.forwardTo(fds[1]);
    ValidationContext childCtx{ctx.library, ctx.path, ctx.options, report};
    run(childCtx);
    std::fflush(report.stream());
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(0);  // no exit handlers of the parent's program
  }
  close(fds[1]);
  std::string pending;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration<double>(ctx.options.groupTimeoutSeconds);
  bool timedOut = false;
  for (;;) {
    pollfd p{fds[0], POLLIN, 0};
    const int ready = poll(&p, 1, 200);
    if (ready > 0) {
      char buffer[4096];
      const ssize_t n = read(fds[0], buffer, sizeof(buffer));
      if (n <= 0) break;  // the child is done (or gone)
      pending.append(buffer, static_cast<size_t>(n));
      absorbLines(pending, ctx.report);
    }
    if (std::chrono::steady_clock::now() > deadline) {
      timedOut = true;
      kill(child, SIGKILL);
      break;
    }
  }
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (timedOut)
    ctx.report.fail(name, "the plug-in did not finish within " +
                              std::to_string(static_cast<int>(ctx.options.groupTimeoutSeconds)) +
                              " s (hung)");
  else if (WIFSIGNALED(status))
    ctx.report.fail(name, std::string("the plug-in crashed (") + strsignal(WTERMSIG(status)) + ")");
  else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    ctx.report.fail(
        name, "the plug-in ended the process (status " + std::to_string(WEXITSTATUS(status)) + ")");
}

#else

void runIsolated(const char*, void (*run)(ValidationContext&), ValidationContext& ctx) { run(ctx); }

#endif

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
  const struct {
    const char* name;
    void (*run)(ValidationContext&);
  } groups[] = {{"open and close", validateLifecycle},
                {"texts", validateStrings},
                {"process", validateProcessing},
                {"automation", validateAutomation},
                {"state", validateState},
                {"parameter fuzz", validateParameterFuzz},
                {"thread safety", validateThreads},
                {"no allocation while processing", validateAllocation},
                {"editor", validateEditor}};
  for (const auto& group : groups) {
    if (options.isolate)
      runIsolated(group.name, group.run, ctx);
    else
      group.run(ctx);
  }
  return true;
}

}  // namespace vsthost
