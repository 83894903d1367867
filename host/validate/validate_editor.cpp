// The editor as a host drives it: rectangle, open, idle and close in the odd
// orders real hosts use (editor_checks.cpp). Without an editor, or without an
// X display to open it on, there is nothing to check.
#include <string>

#include "host/validate/editor_checks.h"
#include "host/validate/validator.h"

namespace quillet::host {

void validateEditor(ValidationContext& ctx) {
  EditorCheckOptions options;
  options.report = [&](const std::string& check, const std::string& problem) {
    ctx.report.result("editor " + check, problem);
  };
  const EditorCheckResult result = checkEditor(ctx.library, options);
  if (result.skipped) ctx.report.note("editor: " + result.skipReason);
}

}  // namespace quillet::host
