// The plans of the lines in words: the examples of issue 15 as golden text
// (each read against the tricks table and by a player's eye before it was
// fixed), and the JSON plan, which must round-trip and give the same words.
#include "cli/options.h"
#include "cli/run.h"

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

struct Golden {
    std::vector<std::string> Args;
    std::string Line;
    std::string Text;
};

const std::vector<Golden>& GoldenPlans() {
    static const std::vector<Golden> g = {
        {{"AQ", "32"},
         "A",
         R"(1. Lead low from South towards North's AQ; if West plays low, finesse the queen; if West plays the king, win with the ace; if West shows out, play the queen. Then cash the winners.
)"},
        {{"AKJ65", "7432"},
         "A",
         R"(1. Lead low from South towards North's AKJ; if West plays low, win with the ace; if West shows out, play the jack.
  2. If West plays low and East shows out, cash the king in North and play low from South.
    3. If West plays low or the 9, return to South and lead low towards North's J; if West plays low, play the jack; if West plays the queen, play low from North. Then cash the winners.
    4. Otherwise, cash the winners.
  5. Otherwise, cash the winners.
)"},
        {{"AQ10", "432"},
         "A",
         R"(1. Lead low from South towards North's AQ10; if West plays low, finesse the 10; if West plays the jack, finesse the queen; if West plays the king, win with the ace; if West shows out, play the 10.
  2. If West plays low and East plays the jack, lead low from South towards North's AQ; if West plays low, finesse the queen; if West plays the king, win with the ace; if West shows out, play the queen. Then cash the winners.
  3. If both defenders play low, return to South and lead low towards North's AQ; if West plays low, finesse the queen; if West plays the king, win with the ace; if West shows out, play the queen. Then cash the winners.
  4. If West plays low and East shows out, return to South and lead low towards North's AQ; if West plays low, finesse the queen; if West plays the king, win with the ace. Then cash the winners.
  5. If West plays the jack and East plays low, return to South and lead low towards North's A10; if West plays low, finesse the 10; if West plays the king, win with the ace; if West shows out, play the 10. Then cash the winners.
  6. If West plays the jack and East shows out, return to South and lead low towards North's A10; if West plays low, finesse the 10; if West plays the king, win with the ace. Then cash the winners.
  7. If West plays the king and East plays low, return to South and lead low towards North's Q10; if West plays low, finesse the 10; if West plays the jack, win with the queen; if West shows out, play the 10. Then cash the winners.
  8. If West plays the king and East shows out, return to South and lead low towards North's Q10; if West plays low, finesse the 10; if West plays the jack, win with the queen. Then cash the winners.
Then play on as the play-through shows.
)"},
        {{"AQJ4", "532"},
         "A",
         R"(1. Lead low from South towards North's AQJ; if West plays low, finesse the queen; if West plays the king, win with the ace; if West shows out, play the queen.
  2. If both defenders play low, return to South and lead low towards North's AJ; if West plays low, finesse the jack; if West plays the king, win with the ace; if West shows out, play the jack. Then cash the winners.
  3. If West plays low and East shows out, cash the ace in North and play low from South.
    4. If West plays low or the 9, return to South and lead low towards North's J; if West plays low, play the jack; if West plays the king, play low from North. Then cash the winners.
    5. Otherwise, cash the winners.
  6. Otherwise, cash the winners.
)"},
        {{"AQJ4", "532"},
         "B",
         R"(1. Lead low from South towards North's AQJ; if West plays low, win with the ace; if West shows out, play the queen.
  2. If both defenders play low, return to South and lead low towards North's QJ; if West plays low or shows out, play the queen; if West plays the king, play low from North.
    3. If both defenders play low, return to South and lead low towards North's J; if West plays low or shows out, play the jack; if West plays the king, play low from North. Then cash the winners.
    4. If West plays low and East shows out, return to South and lead low towards North's J; if West plays low, play the jack; if West plays the king, play low from North. Then cash the winners.
    5. Otherwise, cash the winners.
  6. If West plays low and East shows out, return to South and lead low towards North's QJ; if West plays low, play the queen; if West plays the king, play low from North.
    7. If West plays low, return to South and lead low towards North's J; if West plays low or the 8, play the jack; if West plays the king, play low from North. Then cash the winners.
    8. Otherwise, cash the winners.
Then play on as the play-through shows.
)"},
        {{"KJ9", "A432"},
         "B",
         R"(1. Lead low from South towards North's KJ9; if West plays low or the queen, win with the king; if West plays the 10, finesse the jack; if West shows out, play the 9.
  2. If both defenders play low, return to South and lead low towards North's J9; if West plays low, play the jack; if West plays the queen, play the 9 from North; if West shows out, play the 9.
    3. If West plays the 10 and East plays the queen, lead low from South towards North's 9 and win with the 9. Then cash the winners.
    4. If West plays the queen, lead low from South towards North's J and win with the jack. Then cash the winners.
    5. Otherwise, cash the winners.
  6. If West plays low and East plays the 10, lead the 9 from North; if East plays low or shows out, let it run; if East plays the queen, win with the ace.
    7. If West wins with the queen or East shows out and West wins with the queen, lead low from South towards North's J and win with the jack. Then cash the winners.
    8. Otherwise, cash the winners.
Then play on as the play-through shows.
)"},
        {{"KJ9", "A432"},
         "C",
         R"(As B, but at step 2: if both defenders play low, return to South and lead low towards North's J9; if West plays low, finesse the 9; if West plays the 10, play the jack; if West plays the queen, play the 9 from North; if West shows out, play the 9.
    3. If West plays low and East plays the queen or West plays the queen, lead low from South towards North's J and win with the jack. Then cash the winners.
    4. If West plays the 10 and East plays the queen, lead low from South towards North's 9 and win with the 9. Then cash the winners.
    5. Otherwise, cash the winners.
  6. If West plays low and East plays the 10, lead the 9 from North; if East plays low or shows out, let it run; if East plays the queen, win with the ace.
    7. If West wins with the queen or East shows out and West wins with the queen, lead low from South towards North's J and win with the jack. Then cash the winners.
    8. Otherwise, cash the winners.
Then play on as the play-through shows.
)"},
        {{"A975", "QT64"},
         "A",
         R"(1. Lead the queen from South; if West plays low, let it run; if West plays the king or shows out, win with the ace.
  2. If West plays low and East plays the king, lead the 10 from South; if West plays low or shows out, let it run; if West plays the jack, win with the ace.
    3. If West plays the 8 and East shows out, lead low from South towards North's A9; if West plays low, play the 9; if West plays the jack, win with the ace. Then cash the winners.
    4. If West plays low and East shows out, lead low from South towards North's A9; if West plays low, finesse the 9; if West plays the jack, win with the ace. Then cash the winners.
    5. If West plays the jack and East shows out, return to South and lead low towards North's 9; if West plays low, play the 7; if West plays the 8, win with the 9. Then cash the winners.
    6. Otherwise, cash the winners.
  7. If both defenders play low, lead low from South towards North's A9; if West plays low, finesse the 9; if West plays the king or jack, win with the ace; if West shows out, play the 9. Then cash the winners.
  8. If West plays low and East plays the 8, lead low from South towards North's A9; if West plays the king or jack, win with the ace; if West plays low or shows out, play the 7. Then cash the winners.
Then play on as the play-through shows.
)"},
        {{"A975", "QT64"},
         "B",
         R"(1. Lead low from South towards North's A9 and win with the ace.
  2. If both defenders play low, lead low from North towards South's Q10; if East plays low, finesse the 10; if East plays the jack, play the queen; if East plays the king, play low from South; if East shows out, play the 10.
    3. If East plays low and West shows out, cross to North and lead low towards South's Q; if East plays the jack, play the queen; if East plays the king, play low from South. Then cash the winners.
    4. If East plays the king and West shows out, cross to North and lead low towards South's Q10; if East plays low, finesse the 10; if East plays the jack, win with the queen. Then cash the winners.
    5. Otherwise, cash the winners.
  6. If West plays low and East plays the 8, lead low from North towards South's Q10; if East plays low or shows out, play the 6; if East plays the jack, play the queen; if East plays the king, play low from South.
    7. If East plays low and West shows out, cross to North and lead low towards South's Q10; if East plays the jack, play the queen; if East plays the king, play the 10 from South. Then cash the winners.
    8. If East plays the king and West shows out, cross to North and lead low towards South's Q10; if East plays low, play the 10; if East plays the jack, win with the queen. Then cash the winners.
Then play on as the play-through shows.
)"},
        {{"A975", "QT64"},
         "C",
         R"(1. Lead low from North towards South's Q10; if East plays low or shows out, play the 10; if East plays the 8, finesse the 10; if East plays the jack, play the queen; if East plays the king, play low from South.
  2. If East plays low and West plays the jack, lead the queen from South; if West plays low or shows out, let it run; if West plays the king, win with the ace.
    3. If West plays low and East shows out, lead low from South towards North's A9; if West plays low, finesse the 9; if West plays the king, win with the ace. Then cash the winners.
    4. If West plays the 8 and East shows out, lead low from South towards North's A9; if West plays low, play the 9; if West plays the king, win with the ace. Then cash the winners.
    5. If West plays the king and East shows out, return to South and lead low towards North's 9; if West plays low, play the 7; if West plays the 8, win with the 9. Then cash the winners.
    6. Otherwise, cash the winners.
  7. If East plays low and West plays the king, cash the queen in South and play low from North.
    8. If West plays low and East shows out, lead low from South towards North's A9; if West plays low, finesse the 9; if West plays the jack, win with the ace. Then cash the winners.
Then play on as the play-through shows.
)"},
        {{"QJ109", "A32", "--entries", "1"},
         "A",
         R"(1. Using an entry to North, lead the queen from North; if East plays low, let it run; if East plays the king or shows out, win with the ace.
  2. If both defenders play low, lead the jack from North; if East plays low, let it run; if East plays the king or shows out, win with the ace. Then cash the winners.
  3. If East plays low and West shows out, lead the jack from North; if East plays low, let it run; if East plays the king, win with the ace. Then cash the winners.
  4. Otherwise, cash the winners.
)"},
        {{"AK6543", "72", "--entries", "0"},
         "A",
         R"(1. Lead low from South towards North's AK; if West plays low, duck in North; if West shows out, win with the ace. Then cash the winners.
)"},
    };
    return g;
}

TEST(PlanText, GoldenExamples) {
    for (const Golden& g : GoldenPlans()) {
        const RunResult r = RunWithPlans(g.Args);
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
