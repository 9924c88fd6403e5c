// One analysis of the command-line tool, from the checked request to the
// figures it prints (written out by output/result_output.h).
#pragma once

#include "cli/cli_host.h"
#include "cli/options.h"
#include "output/result_output.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nvx::cli {

// Runs the analysis (and the play-through, when asked for) with the host given;
// the host's computation state is Calculating for the whole run. An analysis
// stopped by the host's memory limit, or whose memory ran out, ends as
// OutOfMemory.
RunResult RunAnalysis(const RunRequest& request, CliHost& host);

} // namespace nvx::cli
