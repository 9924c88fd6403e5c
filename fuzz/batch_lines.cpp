// Batch lines of norvadex-cli: arbitrary text split into lines, each parsed and
// checked as the batch does; the lines that are refused (help, a batch inside
// the batch and unsplittable lines among them) go through the batch itself,
// which must give one JSON object with "input" and a reason, "error", for each.
#include "cli/app.h"
#include "cli/options.h"

#include "fuzz_support.h"

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>

namespace {

using namespace nvx;
using fuzz::Captured;
using fuzz::Require;
using namespace nvx::cli;

bool Blank(const std::string& line) {
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // The batch of the refused lines: those admitted would start analyses.
    std::string input;
    std::size_t refused = 0;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::string l = line;
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (Blank(l)) {
            input += line + "\n";
            continue;
        }
        const ParseOutcome p = ParseBatchLine(l);
        std::string e;
        if (!p.Exit && CheckComboArgs(p.Options.Combo, e)) continue;
        input += line + "\n";
        ++refused;
    }
    Captured out, err;
    std::istringstream in(input);
    const int status = RunCli({"--batch", "-", "--jobs", "2"}, {in, out.file, err.file, false});
    Require(status == (refused > 0 ? ExitBadInput : ExitOk), "status of a batch");
    Require(err.text().empty(), "a bad line is reported on standard output only");
    std::istringstream printed(out.text());
    std::size_t objects = 0;
    while (std::getline(printed, line)) {
        const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
        Require(!j.is_discarded() && j.is_object(), "each line a JSON object");
        Require(j.size() == 2 && j.contains("input") && j["error"].is_string() &&
                    !j["error"].get<std::string>().empty(),
                "input and error");
        ++objects;
    }
    Require(objects == refused, "one object per refused line");
    return 0;
}
