#include "host/validate/validator.h"

#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "host/plugin/vst2/opened_plugin.h"

namespace quillet::host {

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

bool validateVst2Plugin(const std::string& path, const ValidateOptions& options,
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

}  // namespace quillet::host
