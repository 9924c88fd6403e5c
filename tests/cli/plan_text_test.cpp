// The plans of the lines in words: leads come from the hand on lead, and the
// JSON plan round-trips and gives the same words. The examples players ask
// about are in transcripts.txt.
#include "cli/options.h"
#include "cli/run.h"
#include "results/analysis.h"
#include "support/combos.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <random>
#include <regex>
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

// A step that says "lead ... from South" (or North), without returning to
// that hand first, stands for no lead made after partner won the last trick.
void CheckLeadsFromTheHandOnLead(const LinePlan& lp, const std::string& what) {
    static const std::regex lead("lead (low|the \\w+) from (North|South)");
    for (const PlanTextStep& s : DescribePlan(lp).Steps) {
        std::smatch m;
        if (!std::regex_search(s.Text, m, lead)) continue;
        if (s.Text.find("return to " + m[2].str()) != std::string::npos ||
            s.Text.find("cross to " + m[2].str()) != std::string::npos)
            continue;
        const std::uint8_t h = m[2] == "North" ? hand::North : hand::South;
        for (const PlanStep* p : s.Steps) {
            if (p->Position == 0 && p->Hand == h) {
                EXPECT_NE(p->PreviousWinner, h == hand::North ? hand::South : hand::North)
                    << what << ": " << s.Text;
            }
        }
    }
}

TEST(PlanText, LeadsComeFromTheHandOnLead) {
    std::mt19937 rng(1515);
    for (int n = 0; n < 100; ++n) {
        const test::ComboInput in = test::RandomAdmittedCombo(rng);
        test::RecordingHost host;
        Analysis a(host);
        a.SetUpCombination(in.north, in.south, in.entries, in.discards, in.westFilled(),
                           in.eastFilled());
        a.SetTrickTable();
        if (a.ComputeOptimalLines() != ComputeEnd::Finished) continue;
        for (int i = 1; i <= a.LineCount(); ++i)
            CheckLeadsFromTheHandOnLead(BuildLinePlan(a, i), in.describe());
    }
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
