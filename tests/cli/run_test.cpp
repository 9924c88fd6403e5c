#include "cli/run.h"

#include <gtest/gtest.h>

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
    InternalError(host, 999, "test");
    const RunResult r = RunAnalysis(Request("AQ", "32"), host);
    EXPECT_EQ(r.Status, RunStatus::InternalError);
    EXPECT_NE(r.Error.find("error code 999"), std::string::npos) << r.Error;
    EXPECT_EQ(r.Error.find('\r'), std::string::npos);
}

TEST(CliRun, StopRequestCancels) {
    CliHost host;
    RunRequest req = Request("AQT", "432");
    // A stop asked for before the search starts: the state leaves Calculating
    // at the first poll and the run reports a cancellation, not results.
    struct StoppingHost : CliHost {
        bool stopRequested() override {
            state().RequestStop();
            return CliHost::stopRequested();
        }
    } stopping;
    const RunResult r = RunAnalysis(req, stopping);
    EXPECT_EQ(r.Status, RunStatus::Cancelled);
    const RunResult ok = RunAnalysis(req, host);
    EXPECT_EQ(ok.Status, RunStatus::Ok);
    EXPECT_FALSE(ok.Results.Lines.empty());
}

TEST(CliRun, ResultsMatchTheQueries) {
    CliHost host;
    const RunResult r = RunAnalysis(Request("AQ", "32"), host);
    ASSERT_EQ(r.Status, RunStatus::Ok);
    EXPECT_EQ(r.Defenders, "KJT987654");
    EXPECT_EQ(r.Divisions, 18u);
    EXPECT_DOUBLE_EQ(r.Results.Best[2], 0.5);
    // The JSON object and the text say the same.
    const nlohmann::ordered_json j = ResultJson(r);
    EXPECT_EQ(j["divisions"], 18);
    EXPECT_EQ(j["lines"].size(), r.Results.Lines.size());
    const std::string text = ResultText(r, true);
    EXPECT_NE(text.find(TableText(ResultListTable(r.Results))), std::string::npos);
    EXPECT_NE(text.find("18 divisions"), std::string::npos);
}

} // namespace
} // namespace nvx::cli
