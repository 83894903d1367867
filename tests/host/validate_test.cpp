// quillet-host validate passes our plug-ins and catches each deliberate fault.
#include <algorithm>

#include "host/formats/hosted_format.h"
#include "host/validate/allocation_trap.h"
#include "host/validate/validator.h"
#include "host_test_support.h"

namespace {

struct Outcome {
  bool loaded;
  int passed;
  int failed;
  std::vector<std::string> failedChecks;
  std::string log;
};

Outcome validate(const std::string& path) {
  quillet::host::ValidateOptions options;
  options.threadSeconds = 0.3;
  FILE* log = std::tmpfile();
  quillet::host::ValidationReport report(log);
  Outcome o;
  o.loaded = quillet::host::formatOf(path).validate(path, options, report);
  o.passed = report.passed();
  o.failed = report.failed();
  o.failedChecks = report.failedChecks();
  std::rewind(log);
  char line[512];
  while (std::fgets(line, sizeof(line), log)) o.log += line;
  std::fclose(log);
  return o;
}

bool failedOnly(const Outcome& o, const std::string& prefix) {
  return !o.failedChecks.empty() &&
         std::all_of(o.failedChecks.begin(), o.failedChecks.end(),
                     [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

TEST(Validate, PassesBothOfOurLibraries) {
  for (const char* path : {QTAPG_PATH, QTAP_PATH}) {
    const Outcome o = validate(path);
    EXPECT_TRUE(o.loaded);
    EXPECT_EQ(o.failed, 0) << o.log;
    // Every rate in both precisions among them, and the two allocation checks
    // where the allocator can be watched.
    EXPECT_GE(o.passed, quillet::host::allocation_trap::available() ? 26 : 24) << o.log;
  }
}

TEST(Validate, PassesTheFaultlessTestPlugin) {
  for (const char* path : {TEST_PLUGIN_GOOD, TEST_PLUGIN_PLAIN}) {
    const Outcome o = validate(path);
    EXPECT_EQ(o.failed, 0) << o.log;
  }
}

TEST(Validate, CatchesNaNOutput) {
  const Outcome o = validate(TEST_PLUGIN_NAN);
  EXPECT_TRUE(
      std::count(o.failedChecks.begin(), o.failedChecks.end(), "process 32-bit at 44100 Hz"))
      << o.log;
  EXPECT_NE(o.log.find("NaN in output 1 at frame 999"), std::string::npos) << o.log;
}

TEST(Validate, CatchesAllocationInProcess) {
  if (!quillet::host::allocation_trap::available())
    GTEST_SKIP() << "this build does not watch the allocator";
  const Outcome o = validate(TEST_PLUGIN_ALLOC);
  EXPECT_TRUE(failedOnly(o, "no allocation while processing")) << o.log;
  EXPECT_EQ(o.failed, 2) << o.log;  // both precisions
  EXPECT_NE(o.log.find("400 allocations or releases inside the process entries"), std::string::npos)
      << o.log;
}

TEST(Validate, CatchesStateNotRestored) {
  const Outcome o = validate(TEST_PLUGIN_STATE);
  EXPECT_TRUE(failedOnly(o, "state:")) << o.log;
  EXPECT_EQ(o.failed, 2) << o.log;
}

TEST(Validate, ACrashFailsItsGroupAndTheRunGoesOn) {
  const Outcome o = validate(TEST_PLUGIN_CRASH);
  EXPECT_EQ(o.failedChecks, std::vector<std::string>{"parameter fuzz"}) << o.log;
  EXPECT_NE(o.log.find("FAIL  parameter fuzz: the plug-in crashed (Segmentation fault)"),
            std::string::npos)
      << o.log;
  EXPECT_NE(o.log.find("PASS  thread safety"), std::string::npos) << o.log;  // after the crash
}

TEST(Validate, CommandExitStatus) {
  auto r = quillet::test::runCommand("validate", {TEST_PLUGIN_STATE, "--seconds", "0.1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find(" failed\n"), std::string::npos);
  r = quillet::test::runCommand("validate", {TEST_PLUGIN_GOOD, "--seconds", "0.1"});
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find(", 0 failed\n"), std::string::npos) << r.out;
  r = quillet::test::runCommand("validate", {"/no/such.so"});
  EXPECT_EQ(r.status, 3);
  r = quillet::test::runCommand("validate", {});
  EXPECT_EQ(r.status, 2);
}

}  // namespace
