// The editor part of validation on the built QTAPG_x64.so, on a private
// Xvfb; CTest also runs it under valgrind with fewer rounds to catch leaks
// and bad memory use.
#include "host/validate/editor_checks.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quillet::host;

TEST(EditorChecks, EditorBuildPassesEveryCheck) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
  std::string error;
  auto library = PluginLibrary::load(QTAPG_PATH, &error);
  ASSERT_TRUE(library) << error;
  EditorCheckOptions options;
  if (const char* cycles = std::getenv("QUILLET_EDITOR_CYCLES")) options.cycles = std::atoi(cycles);
  options.log = stdout;
  const EditorCheckResult result = checkEditor(*library, options);
  EXPECT_FALSE(result.skipped) << result.skipReason;
  EXPECT_GE(result.checksRun, 12);
  for (const std::string& failure : result.failures) ADD_FAILURE() << failure;
}

TEST(EditorChecks, BuildWithoutEditorIsSkipped) {
  std::string error;
  auto library = PluginLibrary::load(QTAP_PATH, &error);
  ASSERT_TRUE(library) << error;
  const EditorCheckResult result = checkEditor(*library, EditorCheckOptions());
  EXPECT_TRUE(result.skipped);
  EXPECT_TRUE(result.failures.empty());
}
