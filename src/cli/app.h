// The command-line tool as a whole: arguments in, text or JSON out, an exit
// status back.
#pragma once

#include <cstdio>
#include <istream>
#include <string>
#include <vector>

namespace nvx::cli {

struct AppStreams {
    std::istream& in; // the batch "-"
    std::FILE* out;   // results
    std::FILE* err;   // diagnostics and the progress line
    bool progress;    // show the live progress line on err
};

// Runs norvadex-cli with the arguments (without the program name); returns the
// exit status.
int RunCli(const std::vector<std::string>& args, AppStreams streams);

} // namespace nvx::cli
