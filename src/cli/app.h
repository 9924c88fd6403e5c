// The command-line tool as a whole: arguments in, text or JSON out, an exit
// status back.
#pragma once

#include <cstddef>
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
    // When set, the batch "-" is read from here instead of in (a read error
    // can be told from the end of the input only on a C stream).
    std::FILE* inFile = nullptr;
};

// Batch lines longer than this are refused (the object's "input" keeps their
// start).
inline constexpr std::size_t MaxBatchLineLength = 4096;

// Runs norvadex-cli with the arguments (without the program name); returns the
// exit status.
int RunCli(const std::vector<std::string>& args, AppStreams streams);

} // namespace nvx::cli
