// Ctrl-C (SIGINT), SIGTERM and SIGHUP end lqhost at once with one line on stderr. Nothing is
// left behind: outputs are written only at the end, in a batch that holds these signals back
// until it is done or undone (OutputBatch), so a run stopped earlier has written nothing.
#pragma once

namespace lq {

void InstallInterruptHandlers();

}  // namespace lq
