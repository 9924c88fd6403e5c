// Runs norvadex-cli as a child process and collects what it printed.
#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace nvx::test {

struct ProgramRun {
    int status = -1; // exit status, or 128 + signal
    std::string out; // standard output
    std::string err; // standard error
};

// Where the tool's standard output goes: a file (collected), nowhere (the
// descriptor closed), or a pipe whose reader has gone.
enum class StdoutTo { File, Closed, PipeWithoutReader };

// Runs the tool with the arguments and, if given, the text on standard input.
// interruptAfter: send SIGINT once that much time has passed.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& input = "",
                      std::optional<std::chrono::milliseconds> interruptAfter = std::nullopt,
                      StdoutTo stdoutTo = StdoutTo::File);

// Runs the tool in this process on the arguments and the text on standard
// input. out, if given, takes standard output instead of a file that is
// collected; inFile, if given, is the standard input a batch reads.
ProgramRun RunInProcess(const std::vector<std::string>& args, const std::string& input = "",
                        std::FILE* out = nullptr, std::FILE* inFile = nullptr);

// A new temporary file holding content; its name ("" if it cannot be made).
std::string TempFile(const std::string& content);

// Everything written to f (a temporary file), from its start; f is closed.
std::string ReadAndClose(std::FILE* f);

// The JSON objects of the tool's output, one a line; a line that is no JSON fails the test.
std::vector<nlohmann::json> JsonLines(const std::string& out);

} // namespace nvx::test
