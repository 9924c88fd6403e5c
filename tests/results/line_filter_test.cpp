#include "results/analysis.h"
#include "support/combos.h"
#include "support/recording_host.h"
#include "support/test_scale.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace nvx {
namespace {

// Everything the results show of an analysis.
std::string Results(Analysis& a) {
    std::ostringstream o;
    o << "minK " << int(a.GetMinK()) << " maxK " << int(a.GetMaxK()) << "\n";
    for (int k = 0; k <= MaxTricks; ++k)
        o << a.GetBestProb(k) << " ";
    o << "\npayoff-best";
    for (int i : a.GetPayoffBest())
        o << " " << i;
    for (int i = 1; i <= a.LineCount(); ++i) {
        o << "\n" << a.GetLineName(i) << ":";
        for (std::uint8_t t : a.GetLines().GetLine(i)->Val)
            o << int(t);
        const LineBeaters b = a.GetBeaters(i);
        o << " beaten by";
        for (int j : b.Lines)
            o << " " << j;
        o << (b.ByUnshownLine ? " and a line not shown" : "");
    }
    return o.str();
}

// The results of an analysis with and without the filter, and how the
// filtered one's lines were made.
struct BothWays {
    std::string filtered, all;
    Analysis::LineSource source;
};

BothWays AnalyseBothWays(const test::ComboInput& in, const std::optional<ContractGoal>& goal,
                         bool unfilteredToo = true) {
    BothWays r;
    for (const bool filter : {true, false}) {
        if (!filter && !unfilteredToo) break;
        test::PollingHost host;
        Analysis a(host);
        test::SetUp(a.GetEngine(), in);
        if (goal)
            a.SetIMPTable(*goal);
        else
            a.SetTrickTable();
        a.FilterStrategies(filter);
        EXPECT_EQ(a.ComputeOptimalLines(), ComputeEnd::Finished) << in.describe();
        EXPECT_TRUE(host.errors.empty()) << in.describe();
        (filter ? r.filtered : r.all) = Results(a);
        if (filter) r.source = a.GetLineSource();
    }
    return r;
}

// The lines chosen from the strategies a filter admits are those that every
// strategy gives: goals, payoff-best lines, worst opponents and all, at
// matchpoints and at IMPs.
TEST(StrategyFilter, LinesAsFromEveryStrategy) {
    int filtered = 0;
    for (std::uint32_t seed = 1; seed <= test::Scaled(150); ++seed) {
        std::mt19937 rng(seed);
        const test::ComboInput in = test::RandomAdmittedCombo(rng);
        const std::optional<ContractGoal> goal = test::RandomGoal(rng);
        const BothWays r = AnalyseBothWays(in, goal);
        EXPECT_EQ(r.filtered, r.all) << "seed " << seed << ": " << in.describe();
        filtered += !r.source.everyStrategy;
    }
    EXPECT_GT(filtered, test::Scaled(100)); // most end on the filtered strategies
    // Here the line that looks payoff-best at first is beaten by a strategy
    // left out, and then no line is: the lines kept are watched for their
    // worst opponents in a third pass. Without the filter it takes seconds,
    // too long for an unoptimised build.
    test::ComboInput in;
    in.north = "AT84";
    in.south = "Q62";
    const bool unfilteredToo = test::SlowBuildDivisor == 1;
    BothWays r = AnalyseBothWays(in, std::nullopt, unfilteredToo);
    if (unfilteredToo) {
        EXPECT_EQ(r.filtered, r.all);
    }
    EXPECT_EQ(r.source.filteredPasses, 3);
    EXPECT_FALSE(r.source.everyStrategy);
    // Here the lines admitted are all sure of a trick, and a line sure of
    // none is looked for and found.
    in.north = "T7";
    in.south = "AQ932";
    r = AnalyseBothWays(in, std::nullopt);
    EXPECT_EQ(r.filtered, r.all);
    EXPECT_TRUE(r.source.fewestLine);
    EXPECT_FALSE(r.source.everyStrategy);
    // Here East has only two vacant places, so some divisions have no
    // weight: a strategy at least as high as one that another dominates may
    // make a goal in more of them and not be dominated. Dominance is then
    // not asked.
    in.north = "5";
    in.south = "QJT74";
    in.entries = 2;
    in.vacantWest = 5;
    in.vacantEast = 2;
    r = AnalyseBothWays(in, std::nullopt);
    EXPECT_EQ(r.filtered, r.all);
    in = {};
    // Here some strategies are sure of no trick, but no line is: the look
    // finds none, and every strategy serves. In the first, a strategy that
    // the look keeps is beaten in every division by one the filter dropped.
    for (const auto& [north, south] : {std::pair{"KJ32", "AT84"}, std::pair{"J6", "KT5"}}) {
        in.north = north;
        in.south = south;
        r = AnalyseBothWays(in, std::nullopt);
        EXPECT_EQ(r.filtered, r.all) << north << "/" << south;
        EXPECT_FALSE(r.source.fewestLine) << north << "/" << south;
        EXPECT_TRUE(r.source.everyStrategy) << north << "/" << south;
    }
}

} // namespace
} // namespace nvx
