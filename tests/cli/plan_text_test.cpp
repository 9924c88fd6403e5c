// The plans of the lines in JSON: they round-trip and give the same words. The
// examples players ask about are in transcripts.txt, the leads of random plans
// in tests/present/plan_test.cpp.
#include "cli/options.h"
#include "cli/run.h"
#include "results/analysis.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace nvx::cli {
namespace {

RunResult RunWithPlans(const std::vector<std::string>& args) {
    std::vector<std::string> all = args;
    all.push_back("--plans");
    ParseOutcome p = ParseCommandLine(all);
    EXPECT_FALSE(p.Exit) << p.Error;
    std::string error;
    std::optional<RunRequest> req = CheckComboArgs(p.Options.Combo, error);
    EXPECT_TRUE(req) << error;
    CliHost host;
    RunResult r = RunAnalysis(req.value_or(RunRequest{}), host);
    EXPECT_EQ(r.Status, RunStatus::Ok) << r.Error;
    return r;
}

TEST(PlanText, JsonRoundTripsAndGivesTheSameWords) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"AQJ4", "532"},
          {"KJ9", "A432"},
          {"QJ109", "A32", "--entries", "1"},
          {"AK7", "Q5", "--discards", "5", "--vacant", "3,6"}}) {
        const RunResult r = RunWithPlans(args);
        const nlohmann::ordered_json j =
            nlohmann::ordered_json::parse(ResultJson(r).dump()); // through text
        ASSERT_EQ(j["lines"].size(), r.Plans.size());
        std::vector<PlanText> texts;
        std::vector<std::string> names;
        std::vector<LinePlan> plans;
        for (const auto& line : j["lines"]) {
            std::optional<Plan> p = PlanFromJson(line["plan"]);
            ASSERT_TRUE(p) << args[0];
            EXPECT_EQ(PlanJson(*p), line["plan"]);
            LinePlan lp;
            lp.Root = std::move(*p);
            lp.EntriesLimited = j["entries_limited"].get<bool>();
            const Holding discards(j["discards"].get<std::string>());
            FillPlanPositions(lp.Root,
                              HoldingMinus(Holding(j["north"].get<std::string>()), discards).str(),
                              HoldingMinus(Holding(j["south"].get<std::string>()), discards).str(),
                              j["defenders"].get<std::string>(), j["entries"].get<std::uint8_t>());
            EXPECT_TRUE(SamePlan(lp.Root, r.Plans[plans.size()].Root)) << args[0];
            plans.push_back(std::move(lp));
            texts.push_back(DescribePlan(plans.back()));
            names.push_back(line["name"].get<std::string>());
        }
        const std::vector<std::string> words = PlanTexts(texts, names);
        for (std::size_t i = 0; i < words.size(); ++i)
            EXPECT_EQ(words[i], j["lines"][i]["plan_text"].get<std::string>()) << args[0];
    }
}

} // namespace
} // namespace nvx::cli
