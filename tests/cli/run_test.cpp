// The tool in-process where its transcripts cannot reach: zero bytes and
// control characters in what the user typed, internal errors, results that
// cannot be written, batch input that cannot be read, odd batch lines, and a
// batch answering each line as it comes.
#include "cli/app.h"
#include "cli/options.h"
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

TEST(CliApp, ResultsThatCannotBeWrittenAreAFailure) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"AQ", "32", "--json"},
                                                 {"AQ", "32"},
                                                 {"--version"},
                                                 {"--batch", "-"}}) {
        std::FILE* full = std::fopen("/dev/full", "w");
        ASSERT_NE(full, nullptr);
        const test::ProgramRun r = test::RunInProcess(args, "AQ 32\nAK 32\n", full);
        std::fclose(full);
        EXPECT_EQ(r.status, ExitInternalError) << args[0];
        EXPECT_EQ(r.err, "norvadex-cli: cannot write the results: No space left on device\n");
    }
}

TEST(CliApp, BatchInputThatCannotBeReadIsAFailure) {
    // Standard input open for writing only (the files are in the transcripts).
    std::FILE* writeOnly = std::fopen("/dev/null", "w");
    ASSERT_NE(writeOnly, nullptr);
    const test::ProgramRun r = test::RunInProcess({"--batch", "-"}, "", nullptr, writeOnly);
    std::fclose(writeOnly);
    EXPECT_EQ(r.status, ExitBadInput);
    EXPECT_EQ(r.err, "norvadex-cli: --batch: cannot read standard input: Bad file descriptor\n");
}

TEST(CliApp, OddBatchLines) {
    const std::string longLine(MaxBatchLineLength + 10, 'x');
    const std::string input = longLine + "\n\r\n \t \r\nAQ 32 --frob\xff\xfe\r\nAQ 32";
    const test::ProgramRun r = test::RunInProcess({"--batch", "-", "--jobs", "2"}, input);
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

TEST(CliCommandLine, ZeroBytesAndControlCharactersAreRefusedOnOneLine) {
    // A zero byte inside a word must not cut the word short and let it pass.
    const std::string north("AQ\0Z", 4);
    ParseOutcome p = ParseCommandLine({north, "32"});
    ASSERT_FALSE(p.Exit) << p.Error;
    EXPECT_EQ(p.Options.Combo.North, north);
    std::string error;
    EXPECT_FALSE(CheckComboArgs(p.Options.Combo, error));
    EXPECT_EQ(error, "North: character 0 is no card");
    p = ParseBatchLine(std::string("AQ 3\0002", 7));
    ASSERT_FALSE(p.Exit) << p.Error;
    EXPECT_FALSE(CheckComboArgs(p.Options.Combo, error));
    EXPECT_EQ(error, "South: character 0 is no card");

    // What the user typed is quoted without line breaks or escape sequences,
    // and a long text is cut short.
    ComboArgs a;
    a.North = "AQ";
    a.South = "32";
    a.Imps = "3N\nT\x1b[2J";
    EXPECT_FALSE(CheckComboArgs(a, error));
    EXPECT_EQ(error.rfind("--imps: '3N?T?[2J' is no contract", 0), 0u) << error;
    a.Imps = std::string(1000, 'Q');
    EXPECT_FALSE(CheckComboArgs(a, error));
    EXPECT_LT(error.size(), 200u);
    EXPECT_NE(error.find("QQQ...'"), std::string::npos) << error;
}

} // namespace
} // namespace nvx::cli
