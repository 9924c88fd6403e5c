// The tool as a separate program, where the process matters: batches from a
// file, Ctrl+C, the memory limit, and results that cannot be written. What it
// prints for given input is in transcripts.txt.
#include "run_program.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>

namespace nvx::test {
namespace {

using Json = nlohmann::json;

TEST(CliBinary, BatchFromAFile) {
    const std::string name = TempFile("AKQ 32\r\nAJ 32 --vacant 6,7\r\n");
    ASSERT_FALSE(name.empty());
    const ProgramRun r = RunProgram({"--batch", name});
    std::remove(name.c_str());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Json> out = JsonLines(r.out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0]["input"], "AKQ 32");
    EXPECT_EQ(out[1]["vacant"], Json::array({6, 7}));
}

// A combination whose analysis takes far longer than the tests wait.
const char* const LongNorth = "KJ97";
const char* const LongSouth = "53";

TEST(CliBinary, CtrlCCancels) {
    ProgramRun r = RunProgram({LongNorth, LongSouth, "--json"}, "", std::chrono::milliseconds(300));
    EXPECT_EQ(r.status, 130);
    EXPECT_EQ(r.out, ""); // never a partial object
    EXPECT_EQ(r.err, "norvadex-cli: No results: computation cancelled\n");
    // In a batch what was finished before the interrupt is there, whole;
    // nothing after it.
    const std::string input = std::string("AQ 32\n") + LongNorth + " " + LongSouth + "\nAKQ 32\n";
    r = RunProgram({"--batch", "-", "--jobs", "1"}, input, std::chrono::milliseconds(500));
    EXPECT_EQ(r.status, 130);
    const std::vector<Json> out = JsonLines(r.out);
    ASSERT_EQ(out.size(), 1u) << r.out;
    EXPECT_EQ(out[0]["input"], "AQ 32");
    EXPECT_EQ(r.err, "norvadex-cli: No results: computation cancelled\n");
}

TEST(CliBinary, MemoryLimitStopsTheAnalysisAndInABatchFailsTheLine) {
    const std::string error =
        "the analysis needs more memory than the limit of 1 MB allows (--max-memory)";
    ProgramRun r = RunProgram({"AT6", "Q842", "--json", "--max-memory", "1"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "norvadex-cli: " + error + "\n");
    // The program is always above 1 MB: each line that runs long enough to be
    // watched is stopped, and the batch goes on.
    const std::string input = std::string("AT6 Q842\n") + LongNorth + " " + LongSouth + "\n";
    r = RunProgram({"--batch", "-", "--jobs", "1", "--max-memory", "1"}, input);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "");
    const std::vector<Json> out = JsonLines(r.out);
    ASSERT_EQ(out.size(), 2u) << r.out;
    EXPECT_EQ(out[0], (Json{{"input", "AT6 Q842"}, {"error", error}}));
    EXPECT_EQ(out[1]["error"], error);
}

TEST(CliBinary, ResultsThatCannotBeWrittenGiveOneLineAndStatusOne) {
    // A reader that has gone away is a write error, not a silent death by SIGPIPE.
    ProgramRun r =
        RunProgram({"--batch", "-"}, "AQ 32\nAK 32\n", std::nullopt, StdoutTo::PipeWithoutReader);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "norvadex-cli: cannot write the results: Broken pipe\n");
    r = RunProgram({"AQ", "32", "--json"}, "", std::nullopt, StdoutTo::Closed);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "norvadex-cli: cannot write the results: Bad file descriptor\n");
}

} // namespace
} // namespace nvx::test
