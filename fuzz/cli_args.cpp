// The command line of norvadex-cli: arbitrary argument vectors (the input split
// at its zero bytes) through the argument parser, the checks of the
// combination and, whenever they refuse it, the whole tool, which must answer
// with one line on standard error and a non-zero status.
#include "cli/app.h"
#include "cli/options.h"

#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace nvx;
using fuzz::Captured;
using fuzz::Require;
using namespace nvx::cli;

bool OneLine(const std::string& s) {
    return !s.empty() && s.find('\n') == std::string::npos && s.find('\r') == std::string::npos;
}

// The tool as a whole, for arguments that never reach an analysis.
void CheckTool(const std::vector<std::string>& args, int expected) {
    Captured out, err;
    std::istringstream in;
    const int status = RunCli(args, {in, out.file, err.file, false});
    Require(status == expected, "exit status as parsed");
    const std::string e = err.text();
    if (status == ExitOk) {
        Require(e.empty(), "nothing on standard error when all is well");
        return;
    }
    Require(out.text().empty(), "no results after a failure");
    const std::string prefix = "norvadex-cli: ";
    Require(e.rfind(prefix, 0) == 0, "the message names the program");
    Require(e.back() == '\n' && OneLine(e.substr(0, e.size() - 1)), "one line on stderr");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    std::string word;
    for (std::size_t i = 0; i < size && args.size() < 64; ++i) {
        if (data[i] == 0) {
            args.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    if (size > 0 && args.size() < 64) args.push_back(word);

    const ParseOutcome p = ParseCommandLine(args);
    if (p.Exit) {
        if (*p.Exit == ExitOk) {
            Require(!p.Output.empty() && p.Error.empty(), "help or version printed");
        } else {
            Require(*p.Exit == ExitBadInput, "a usage error is bad input");
            Require(OneLine(p.Error), "a usage error is one line");
        }
        CheckTool(args, *p.Exit);
        return 0;
    }
    const CliOptions& o = p.Options;
    Require(o.Jobs >= 1 && o.Jobs <= 1024, "jobs in range");
    if (o.Batch) {
        Require(!o.HaveCombo, "a batch has no combination of its own");
        // An empty batch on standard input: no objects, and done.
        if (*o.Batch == "-") CheckTool(args, ExitOk);
        return 0;
    }
    Require(o.HaveCombo, "a combination without a batch");
    std::string error;
    const std::optional<RunRequest> request = CheckComboArgs(o.Combo, error);
    if (!request) {
        Require(OneLine(error), "a refused combination is one line");
        CheckTool(args, ExitBadInput);
        return 0;
    }
    const ComboValues& v = request->Combo;
    Require(v.North.size() + v.South.size() + v.DefendersHolding().size() == 13, "one suit");
    Require(HoldingMinus(v.North, v.South) == v.North, "no card in both hands");
    for (char c : request->Play)
        Require(RankValue(c) != 0 || c == 'X' || c == '-' || c == ';', "play text of cards");
    return 0;
}
