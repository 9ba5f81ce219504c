// The composition root: builds the display program from its parts and runs
// it. Read Run() top-down to see how the parts meet:
//
//   socket → network thread → hand-over → telemetry input → flight data
//   record → pages → engine → device
#pragma once

#include <string>

#include "app/CommandLine.h"

namespace velmora {

// Runs the display with the options; returns the process's exit code.
int RunDisplay(const Options& options, const std::string& title);

// Set by Ctrl-C and SIGTERM: the display closes as if its window were closed.
void RequestStop();

}  // namespace velmora
