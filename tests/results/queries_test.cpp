// The payoff of one line against another, and the queries of the results.
#include "lines_helper.h"
#include "results/payoff.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace nvx {
namespace {

using test::Analysis;

// The queries of the results outside the list of lines; inside it the tool's
// transcripts and the golden results print every one of them.
TEST(ResultQueries, PositionsOutsideTheList) {
    Analysis an;
    an.Run({Val{2, 0}, Val{1, 1}}, {3, 1});
    const ProbLines& r = an.lines;
    EXPECT_EQ(r.GetLine(0), r.GetLine(1));
    EXPECT_EQ(r.GetLine(-3), r.GetLine(1));
    EXPECT_EQ(r.GetLine(3), nullptr);
    EXPECT_EQ(r.GetLineName(3), "");
    EXPECT_DOUBLE_EQ(r.GetLineProb(1, 14), 0.0);
    EXPECT_EQ(r.GetLineTricksAt(2, 2), 0); // no such division
    EXPECT_TRUE(r.GetBestForGoal(14).empty());

    ProbLines none;
    EXPECT_EQ(none.GetLine(1), nullptr);
    EXPECT_TRUE(none.GetBestForGoal(1).empty());
    EXPECT_TRUE(none.GetPayoffBest().empty());
    EXPECT_EQ(none.GetMinK(), 13);
    EXPECT_EQ(none.GetMaxK(), 0);
    EXPECT_TRUE(none.GetBeaters(an.host, 1).Lines.empty());
    EXPECT_DOUBLE_EQ(none.GetPayoff(an.host, 1, 1), 0.0);
}

// Weights 2, 4, 2, 3; 13 lines no one of which is payoff-best. The last
// thinning pass drops a line that beat a shown line, and nothing shown beats it.
TEST(ResultQueries, BeatersNotAvailableWhenTheBeaterWasDropped) {
    const std::vector<Val> vals = {{1, 5, 0, 1}, {1, 3, 1, 0}, {3, 1, 2, 0}, {2, 0, 2, 5},
                                   {5, 1, 1, 1}, {0, 1, 0, 4}, {2, 0, 5, 3}, {0, 2, 3, 0},
                                   {0, 0, 5, 4}, {3, 5, 0, 0}, {4, 0, 2, 1}, {0, 2, 0, 3},
                                   {1, 2, 2, 0}};
    const std::vector<std::int32_t> w = {2, 4, 2, 3};
    Analysis an;
    an.Run(vals, w);
    ASSERT_EQ(an.Warnings().size(), 1u);
    EXPECT_TRUE(an.host.errors.empty());
    const ProbLines& r = an.lines;
    const PayoffTable trick;
    int unavailable = 0;
    for (int i = 1; i <= r.LineCount(); ++i) {
        const LineBeaters beaters = r.GetBeaters(an.host, i);
        if (!beaters.ByUnshownLine) continue;
        EXPECT_TRUE(beaters.Lines.empty());
        ++unavailable;
        const ProbLine& line = *r.GetLine(i);
        EXPECT_LT(line.Worst, 0);
        EXPECT_EQ(line.WorstOpp, nullptr);
        // Something among all the lines beats it, nothing shown does.
        bool beatenByInput = false;
        for (const Val& v : vals)
            beatenByInput |= Payoff(an.host, trick, v, line.Val, w) > 0;
        EXPECT_TRUE(beatenByInput);
        const std::vector<int> payoffBest = r.GetPayoffBest();
        EXPECT_EQ(std::count(payoffBest.begin(), payoffBest.end(), i), 0);
        for (const auto& s : r.ProbList())
            EXPECT_LE(Payoff(an.host, trick, s->Val, line.Val, w), 0);
    }
    EXPECT_GE(unavailable, 1);
}

// Inside the suit's range the random sets of property_test check the table
// against the scores; outside it every entry is 0.
TEST(PayoffTable, ImpTableOutsideTheSuit) {
    ContractGoal goal;
    goal.Contract.Level = 3;
    goal.Contract.Strain = 4;
    goal.TricksNeeded = 2;
    PayoffTable t;
    t.SetIMPTable(goal, 2);
    EXPECT_EQ(t.TablePayoff(7, 2), -9); // 7 + 9 tricks: more than 13, scored 0
    EXPECT_EQ(t.TablePayoff(13, 7), 0);
    EXPECT_EQ(t.TablePayoff(14, 0), 0);
    EXPECT_EQ(t.TablePayoff(0, -1), 0);
}

TEST(Payoff, SumsTableEntriesWeightedByDivision) {
    test::RecordingHost host;
    PayoffTable t;
    const std::vector<std::int32_t> w = {1, 2, 3};
    EXPECT_EQ(Payoff(host, t, Val{2, 1, 0}, Val{1, 1, 1}, w), 1 * 1 + 2 * 0 - 3 * 1);
    EXPECT_EQ(Payoff(host, t, Val{1, 1, 1}, Val{2, 1, 0}, w), 2);
    // A larger probability table (room for more divisions) is fine.
    const std::vector<std::int32_t> wide = {1, 2, 3, 100, 100};
    EXPECT_EQ(Payoff(host, t, Val{2, 1, 0}, Val{1, 1, 1}, wide), -2);
    EXPECT_TRUE(host.errors.empty());
    // Vals of different lengths, or longer than the probability table, are not
    // over one division set: reported, and no payoff.
    EXPECT_EQ(Payoff(host, t, Val{2, 1}, Val{1, 1, 1}, w), 0);
    EXPECT_EQ(Payoff(host, t, Val{2, 1, 0, 4}, Val{1, 1, 1, 0}, w), 0);
    EXPECT_EQ(host.errorCodes(), (std::vector<std::uint16_t>{501, 501}));
}

} // namespace
} // namespace nvx
