// The editor as a host drives it. Without an editor there is nothing to check.
#include <string>

#include "host/validator.h"

namespace vsthost {

void validateEditor(ValidationContext& ctx) {
  const std::string check = "editor rectangle";
  auto plugin = ctx.instance(check);
  if (!plugin) return;
  if (!(plugin->effect()->flags & effFlagsHasEditor)) {
    ctx.report.note("no editor");
    return;
  }
  // Hosts ask for the size before opening, to make the window.
  ERect* rect = nullptr;
  const VstIntPtr answer = plugin->dispatch(effEditGetRect, 0, 0, &rect);
  if (answer == 0) {
    ctx.report.note("editor: no rectangle before the editor opens");
    return;
  }
  std::string problem;
  if (!rect)
    problem = "effEditGetRect answered 1 but gave no rectangle";
  else if (rect->right <= rect->left || rect->bottom <= rect->top)
    problem = "empty rectangle";
  const std::string detail = rect ? std::to_string(rect->right - rect->left) + " x " +
                                        std::to_string(rect->bottom - rect->top)
                                  : "";
  ctx.report.result(check, problem, detail);
}

}  // namespace vsthost
