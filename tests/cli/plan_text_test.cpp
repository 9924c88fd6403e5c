// The plans of the lines in words: the examples players ask about as golden text
// (each read against the tricks table and by a player's eye before it was
// fixed), and the JSON plan, which must round-trip and give the same words.
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

struct Golden {
    std::vector<std::string> Args;
    std::string Line;
    std::string Text;
};

const std::vector<Golden>& GoldenPlans() {
    static const std::vector<Golden> g = {
        {{"AQ", "32"},
         "A",
         R"(1. Lead low from South towards North's AQ and finesse the queen (win the king with the ace). Then cash the winners.
)"},
        {{"AKJ65", "7432"},
         "A",
         R"(1. Lead low from South to the ace (if West shows out, play the jack).
  2. If both follow low, cash the winners, playing for the drop of the queen.
  3. If East shows out, cash the king.
    4. If West plays low, return to South and lead low towards North's J and play the jack (if West plays the queen, play low from North). Then cash the winners.
    5. Otherwise, cash the winners.
  6. Otherwise, cash the winners.
)"},
        {{"AQ10", "432"},
         "A",
         R"(1. Lead low from South towards North's AQ10 and finesse the 10 (cover the jack with the queen; win the king with the ace).
  2. If the 10 loses to the jack, lead low from South towards North's AQ and finesse the queen (win the king with the ace). Then cash the winners.
  3. If the 10 wins, return to South and lead low towards North's AQ and finesse the queen (win the king with the ace). Then cash the winners.
  4. If West plays the jack and the queen wins, return to South and lead low towards North's A10 and finesse the 10. Then cash the winners.
  5. If West plays the king, return to South and lead low towards North's Q10 and finesse the 10 (win the jack with the queen). Then cash the winners.
  6. Otherwise, cash the winners.
Then play on as the play-through shows.
)"},
        {{"AQ9", "J10432"},
         "A",
         R"(1. Lead low from South towards North's AQ9 and finesse the queen (win the king with the ace).
  2. If the queen wins, return to South and lead low towards North's AQ and finesse the queen (win the king with the ace). Then cash the winners.
  3. If West shows out and the queen loses to the king, lead low from South to the ace. Then cash the winners.
  4. Otherwise, cash the winners.
)"},
        {{"KQ1087", "32"},
         "C",
         R"(1. Lead low from South towards North's KQ10 and finesse the 10 (cover the jack with the king; if West plays the ace, play low from North).
  2. If West plays low and East plays the jack, lead low from South towards North's KQ and play the king (if West plays the ace or shows out, play low from North).
    3. If West plays the ace or shows out, cash the winners, playing for the drop of the 9.
    4. Otherwise, cash the winners.
  5. If West plays low and East plays the ace, lead low from South towards North's KQ and finesse the 8. Then cash the winners.
  6. If both defenders play low, return to South and lead low towards North's KQ and play the king. Then cash the winners.
  7. If West plays the jack and East plays low, return to South and lead low towards North's Q10 and play the queen.
    8. If West plays the ace or shows out, cash the winners, playing for the drop of the 9.
Then play on as the play-through shows.
)"},
        {{"AQJ4", "532"},
         "A",
         R"(1. Lead low from South towards North's AQJ and finesse the queen (win the king with the ace).
  2. If the queen wins, return to South and lead low towards North's AJ and finesse the jack (win the king with the ace). Then cash the winners.
  3. If the queen wins and East shows out, cash the ace.
    4. If West plays low, return to South and lead low towards North's J and play the jack (if West plays the king, play low from North). Then cash the winners.
    5. Otherwise, cash the winners.
  6. Otherwise, cash the winners.
)"},
        {{"AQJ4", "532"},
         "B",
         R"(1. Lead low from South to the ace (if West shows out, play the queen).
  2. If both follow low, return to South and lead low towards North's QJ and play the queen (if West plays the king, play low from North).
    3. If the queen wins, return to South and lead low towards North's J and play the jack (if West plays the king, play low from North). Then cash the winners.
    4. Otherwise, cash the winners.
  5. If East shows out, return to South and lead low towards North's QJ and play the queen (if West plays the king, play low from North).
    6. If West plays low, return to South and lead low towards North's J and play the jack (if West plays the king, play low from North). Then cash the winners.
    7. Otherwise, cash the winners.
  8. Otherwise, cash the winners.
)"},
        {{"KJ9", "A432"},
         "B",
         R"(1. Lead low from South to the king (cover the 10 with the jack; if West shows out, play the 9).
  2. If both follow low, return to South and lead low towards North's J9 and play the jack (if West plays the queen, play the 9 from North).
    3. If West plays the 10 and the jack wins, cash the winners, playing for the drop of the queen.
    4. If West plays the 10 and the jack loses to the queen, lead low from South to the 9. Then cash the winners.
    5. If West plays the queen, lead low from South to the jack. Then cash the winners.
    6. Otherwise, cash the winners.
  7. If the 10 drops, lead the jack from North through East and let it run (win the queen with the ace).
  8. If West plays the 10 and the jack wins, return to South and lead low towards North's K9 and finesse the 9 (win the queen with the king).
Then play on as the play-through shows.
)"},
        {{"KJ9", "A432"},
         "C",
         R"(As B, but at trick 2, if both follow low, return to South and lead low towards North's J9 and finesse the 9 (cover the 10 with the jack).
    3. If the 9 loses to the queen, lead low from South to the jack. Then cash the winners.
    4. If West plays the 10 and the jack loses to the queen, lead low from South to the 9. Then cash the winners.
  5. If the 10 drops, lead the jack from North through East and let it run (win the queen with the ace).
  6. If West plays the 10 and the jack wins, return to South and lead low towards North's K9 and finesse the 9 (win the queen with the king).
  7. If the queen drops, return to South and lead low towards North's J9 and finesse the 9 (win the 10 with the jack).
    8. If the 9 wins, cash the winners.
Then play on as the play-through shows.
)"},
        {{"A975", "QT64"},
         "A",
         R"(1. Lead the queen from South through West and let it run (if West plays the king or shows out, win with the ace).
  2. If the queen wins, lead low from South towards North's A9 and finesse the 9 (if West plays the king or jack, win with the ace). Then cash the winners.
  3. If the queen loses to the king, lead the 10 from South through West and let it run (win the jack with the ace).
  4. If West plays the 8 and the queen loses to the king, lead low from South towards North's A9 and finesse the 9 (win the jack with the ace).
  5. If West plays the jack and the queen wins, lead the 10 from South through West and let it run (win the king with the ace).
  6. If the queen wins and the jack drops, lead the 10 from South through West and let it run (win the king with the ace).
  7. If West covers, lead low from North towards South's 10 and play the 10 (if East plays the jack, play low from South).
  8. If West plays the jack and the queen loses to the king, cash the winners.
Then play on as the play-through shows.
)"},
        {{"A975", "QT64"},
         "B",
         R"(1. Lead low from South to the ace.
  2. If both defenders play low, lead low from North towards South's Q10 and finesse the 10 (cover the jack with the queen).
    3. If East plays low and West shows out, cross to North and lead low towards South's Q (cover the jack with the queen). Then cash the winners.
  4. If West plays low and East plays the 8, lead low from North towards South's Q10 and finesse the 10 (cover the jack with the queen).
  5. If West plays the 8 and East plays low, lead low from North towards South's Q10 and finesse the 10 (cover the jack with the queen).
    6. If East plays low and West shows out, cross to North and lead low towards South's Q10 (cover the jack with the queen). Then cash the winners.
  7. If West plays low and East plays the king, lead low from North towards South's Q10 and finesse the 10 (win the jack with the queen). Then cash the winners.
  8. If West plays low and East plays the jack or shows out, cash the winners.
Then play on as the play-through shows.
)"},
        {{"A975", "QT64"},
         "C",
         R"(1. Lead low from North towards South's Q10 and finesse the 10 (cover the jack with the queen; if East plays the king, play low from South).
  2. If East plays low and West plays the jack, lead the queen from South through West and let it run (win the king with the ace).
    3. If the queen wins and East shows out, lead low from South towards North's A9 and finesse the 9 (win the king with the ace). Then cash the winners.
  4. If East plays low and West plays the king, cash the queen.
  5. If both defenders play low, lead low from South towards North's A9 and finesse the 9 (if West plays the king or jack or shows out, win with the ace).
    6. If West shows out, lead low from North towards South's Q (cover the jack with the queen; if East plays the king, play low from South). Then cash the winners.
    7. Otherwise, cash the winners.
  8. If East plays the 8 and West plays the jack, lead low from South towards North's A9 and finesse the 9 (win the king with the ace).
Then play on as the play-through shows.
)"},
        {{"QJ109", "A32", "--entries", "1"},
         "A",
         R"(1. Using an entry to North, lead the queen from North through East and let it run (if East plays the king or shows out, win with the ace).
  2. If the queen wins, lead the jack from North through East and let it run (if East plays the king or shows out, win with the ace).
    3. If East plays low, cash the winners, playing for the drop of the king.
    4. Otherwise, cash the winners.
  5. If the queen wins and West shows out, lead the jack from North through East and let it run (win the king with the ace). Then cash the winners.
  6. Otherwise, cash the winners.
)"},
        {{"QJ109", "A32", "--entries", "1"},
         "B",
         R"(1. Cash the ace. Then knock out the king.
)"},
        {{"AK6543", "72", "--entries", "0"},
         "A",
         R"(1. Lead low from South and duck in North (if West shows out, win with the ace). Then cash the winners.
)"},
    };
    return g;
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
        for (int i = 1; i <= a.StratCount(); ++i)
            CheckLeadsFromTheHandOnLead(BuildLinePlan(a, i), in.describe());
    }
}

TEST(PlanText, GoldenExamples) {
    for (const Golden& g : GoldenPlans()) {
        const RunResult r = RunWithPlans(g.Args);
        for (const LinePlan& lp : r.Plans)
            CheckLeadsFromTheHandOnLead(lp, g.Args[0] + "/" + g.Args[1]);
        std::string text;
        for (std::size_t i = 0; i < r.Results.Lines.size(); ++i)
            if (r.Results.Lines[i].Name == g.Line && i < r.PlanTexts.size()) text = r.PlanTexts[i];
        EXPECT_EQ(text, g.Text) << g.Args[0] << "/" << g.Args[1] << " line " << g.Line;
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
            const THolding discards(j["discards"].get<std::string>());
            FillPlanPositions(lp.Root,
                              HoldingMinus(THolding(j["north"].get<std::string>()), discards).str(),
                              HoldingMinus(THolding(j["south"].get<std::string>()), discards).str(),
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

TEST(PlanText, OnlyAskedForPlansAreInTheJson) {
    ParseOutcome p = ParseCommandLine({"AQ", "32"});
    std::string error;
    std::optional<RunRequest> req = CheckComboArgs(p.Options.Combo, error);
    ASSERT_TRUE(req);
    CliHost host;
    const nlohmann::ordered_json j = ResultJson(RunAnalysis(*req, host));
    EXPECT_FALSE(j["lines"][0].contains("plan"));
    EXPECT_FALSE(j["lines"][0].contains("plan_text"));
}

} // namespace
} // namespace nvx::cli
