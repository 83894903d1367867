// What `quillet-host render` tells its user: a progress bar on a terminal while
// it runs, then the summary line, and a warning when samples were clipped.
#pragma once

#include "host/render/render_job.h"

namespace quillet::host {

// A bar on standard error, redrawn in place; gone at 1.
void drawProgress(double fraction);

// The clipping warning on standard error, the summary line on standard
// output: "OUT: 1.18 s, 44100 Hz, 2 ch, 24-bit | peak ... | tail ... | ...".
void reportRender(const RenderOutcome& outcome);

}  // namespace quillet::host
