#include "results/analysis.h"
#include "support/combos.h"
#include "support/recording_host.h"

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

// The lines chosen from the strategies a filter admits are those that every
// strategy gives: goals, payoff-best lines, worst opponents and all, at
// matchpoints and at IMPs.
TEST(StrategyFilter, LinesAsFromEveryStrategy) {
    int filtered = 0, watched = 0;
    for (std::uint32_t seed = 1; seed <= 150; ++seed) {
        std::mt19937 rng(seed);
        const test::ComboInput in = test::RandomAdmittedCombo(rng);
        const std::optional<ContractGoal> goal = test::RandomGoal(rng);
        std::string results[2];
        for (const bool filter : {true, false}) {
            test::PollingHost host;
            Analysis a(host);
            test::SetUp(a.GetEngine(), in);
            if (goal)
                a.SetIMPTable(*goal);
            else
                a.SetTrickTable();
            a.FilterStrategies(filter);
            ASSERT_EQ(a.ComputeOptimalLines(), ComputeEnd::Finished) << in.describe();
            ASSERT_TRUE(host.errors.empty()) << in.describe();
            results[filter] = Results(a);
            const Analysis::LineSource source = a.GetLineSource();
            if (filter && !source.everyStrategy) {
                ++filtered;
                watched += source.filteredPasses > 1;
            }
        }
        EXPECT_EQ(results[true], results[false]) << "seed " << seed << ": " << in.describe();
    }
    // Most analyses end on the filtered strategies, many after watching lines.
    EXPECT_GT(filtered, 100);
    EXPECT_GT(watched, 50);
}

} // namespace
} // namespace nvx
