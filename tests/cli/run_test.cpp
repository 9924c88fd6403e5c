#include "cli/app.h"
#include "cli/run.h"
#include "run_program.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <poll.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace nvx::cli {
namespace {

RunRequest Request(const char* north, const char* south) {
    ComboArgs a;
    a.North = north;
    a.South = south;
    std::string error;
    std::optional<RunRequest> r = CheckComboArgs(a, error);
    EXPECT_TRUE(r) << error;
    return r.value_or(RunRequest{});
}

TEST(CliRun, InternalErrorsReplaceTheResults) {
    CliHost host;
    InternalError(host, InternalErrorCode::PlanCardRefused);
    const RunResult r = RunAnalysis(Request("AQ", "32"), host);
    EXPECT_EQ(r.Status, RunStatus::InternalError);
    EXPECT_NE(r.Error.find("error code 1501"), std::string::npos) << r.Error;
    EXPECT_EQ(r.Error.find('\r'), std::string::npos);
}

// The tool in-process, its output and diagnostics captured.
struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

CliRun RunTool(const std::vector<std::string>& args, const std::string& input = "",
               std::FILE* out = nullptr, std::FILE* inFile = nullptr) {
    std::istringstream in(input);
    std::FILE* err = std::tmpfile();
    std::FILE* captured = out ? nullptr : std::tmpfile();
    CliRun r;
    r.status = RunCli(args, {in, out ? out : captured, err, false, inFile});
    if (captured) r.out = test::ReadAndClose(captured);
    r.err = test::ReadAndClose(err);
    return r;
}

TEST(CliApp, ResultsThatCannotBeWrittenAreAFailure) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"AQ", "32", "--json"},
                                                 {"AQ", "32"},
                                                 {"--version"},
                                                 {"--batch", "-"}}) {
        std::FILE* full = std::fopen("/dev/full", "w");
        ASSERT_NE(full, nullptr);
        const CliRun r = RunTool(args, "AQ 32\nAK 32\n", full);
        std::fclose(full);
        EXPECT_EQ(r.status, ExitInternalError) << args[0];
        EXPECT_EQ(r.err, "norvadex-cli: cannot write the results: No space left on device\n");
    }
}

TEST(CliApp, BatchInputThatCannotBeReadIsAFailure) {
    // Standard input open for writing only (the files are in the transcripts).
    std::FILE* writeOnly = std::fopen("/dev/null", "w");
    ASSERT_NE(writeOnly, nullptr);
    const CliRun r = RunTool({"--batch", "-"}, "", nullptr, writeOnly);
    std::fclose(writeOnly);
    EXPECT_EQ(r.status, ExitBadInput);
    EXPECT_EQ(r.err, "norvadex-cli: --batch: cannot read standard input: Bad file descriptor\n");
}

TEST(CliApp, OddBatchLines) {
    const std::string longLine(MaxBatchLineLength + 10, 'x');
    const std::string input = longLine + "\n\r\n \t \r\nAQ 32 --frob\xff\xfe\r\nAQ 32";
    const CliRun r = RunTool({"--batch", "-", "--jobs", "2"}, input);
    EXPECT_EQ(r.status, ExitBadInput);
    EXPECT_EQ(r.err, "");
    const std::vector<nlohmann::json> objects = test::JsonLines(r.out);
    ASSERT_EQ(objects.size(), 3u) << r.out; // blank lines give none
    EXPECT_EQ(objects[0]["input"], longLine.substr(0, MaxBatchLineLength));
    EXPECT_EQ(objects[0]["error"], "line too long (more than 4096 characters)");
    // Bytes that are no UTF-8 come out replaced, in valid JSON.
    EXPECT_NE(objects[1]["error"].get<std::string>().find("--frob"), std::string::npos);
    EXPECT_EQ(objects[2]["input"], "AQ 32"); // the last line needs no line end
    EXPECT_DOUBLE_EQ(objects[2]["best"]["2"].get<double>(), 0.5);
}

TEST(CliApp, BatchAnswersEachLineBeforeTheInputEnds) {
    int in[2], out[2];
    ASSERT_EQ(pipe(in), 0);
    ASSERT_EQ(pipe(out), 0);
    std::FILE* inFile = fdopen(in[0], "r");
    std::FILE* outFile = fdopen(out[1], "w");
    std::FILE* err = std::tmpfile();
    int status = -1;
    std::thread tool([&] {
        std::istringstream unused;
        status = RunCli({"--batch", "-"}, {unused, outFile, err, false, inFile});
        std::fclose(outFile);
    });
    ASSERT_EQ(write(in[1], "AQ 32\n", 6), 6);
    // The object comes while the input is still open (a generous bound keeps a
    // fault from hanging the test).
    pollfd p{out[0], POLLIN, 0};
    const bool answered = poll(&p, 1, 60000) == 1;
    close(in[1]);
    tool.join();
    std::fclose(inFile);
    std::FILE* outRead = fdopen(out[0], "r");
    std::string printed;
    for (int c; (c = std::fgetc(outRead)) != EOF;)
        printed += static_cast<char>(c);
    std::fclose(outRead);
    std::fclose(err);
    EXPECT_TRUE(answered);
    EXPECT_EQ(status, ExitOk);
    ASSERT_EQ(test::JsonLines(printed).size(), 1u);
}

} // namespace
} // namespace nvx::cli
