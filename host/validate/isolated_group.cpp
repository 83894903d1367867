// Runs a group of validator checks in a child process, as industry validators
// do, so a crash or hang of the plug-in fails that group and the run goes on.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "host/validate/validator.h"

namespace quillet::host {

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
  runIsolatedGroup(
      name,
      [&](ValidationReport& report) {
        ValidationContext childCtx{ctx.library, ctx.path, ctx.options, report};
        run(childCtx);
      },
      ctx.report, ctx.options.groupTimeoutSeconds);
}

void runIsolatedGroup(const char* name, const std::function<void(ValidationReport&)>& run,
                      ValidationReport& parentReport, double timeoutSeconds) {
  int fds[2];
  std::fflush(parentReport.stream());
  std::fflush(stdout);
  std::fflush(stderr);
  if (pipe(fds) != 0) {
    run(parentReport);
    return;
  }
  const pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    run(parentReport);
    return;
  }
  if (child == 0) {
    close(fds[0]);
    ValidationReport report(parentReport.stream());
    report.forwardTo(fds[1]);
    run(report);
    std::fflush(report.stream());
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(0);  // no exit handlers of the parent's program
  }
  close(fds[1]);
  std::string pending;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  bool timedOut = false;
  for (;;) {
    pollfd p{fds[0], POLLIN, 0};
    const int ready = poll(&p, 1, 200);
    if (ready > 0) {
      char buffer[4096];
      const ssize_t n = read(fds[0], buffer, sizeof(buffer));
      if (n <= 0) break;  // the child is done (or gone)
      pending.append(buffer, static_cast<size_t>(n));
      absorbLines(pending, parentReport);
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
    parentReport.fail(name, "the plug-in did not finish within " +
                                std::to_string(static_cast<int>(timeoutSeconds)) + " s (hung)");
  else if (WIFSIGNALED(status))
    parentReport.fail(name,
                      std::string("the plug-in crashed (") + strsignal(WTERMSIG(status)) + ")");
  else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    parentReport.fail(
        name, "the plug-in ended the process (status " + std::to_string(WEXITSTATUS(status)) + ")");
}

#else

void runIsolated(const char*, void (*run)(ValidationContext&), ValidationContext& ctx) { run(ctx); }

void runIsolatedGroup(const char*, const std::function<void(ValidationReport&)>& run,
                      ValidationReport& report, double) {
  run(report);
}

#endif

}  // namespace quillet::host
