#include "lines_helper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace nvx {
namespace {

using test::Analysis;

TEST(ResultQueries, TwoLineExample) {
    Analysis an;
    an.Run({Val{2, 0}, Val{1, 1}}, {3, 1});
    test::RecordingHost& host = an.host;
    const ProbLines& r = an.lines;
    ASSERT_EQ(r.LineCount(), 2);
    EXPECT_EQ(r.GetLineName(2), "B");
    EXPECT_DOUBLE_EQ(r.GetLineProb(1, 0), 1.5);
    EXPECT_DOUBLE_EQ(r.GetLineProb(1, 2), 0.75);
    EXPECT_DOUBLE_EQ(r.GetLineProb(2, 1), 1.0);
    EXPECT_DOUBLE_EQ(r.GetLineProb(2, 2), 0.0);
    EXPECT_DOUBLE_EQ(r.GetBestProb(1), 1.0);
    EXPECT_DOUBLE_EQ(r.GetBestProb(3), 0.0);
    EXPECT_EQ(r.GetMinK(), 1);
    EXPECT_EQ(r.GetMaxK(), 2);
    using Lines = std::vector<int>;
    EXPECT_EQ(r.GetBestForGoal(2), Lines{1});
    EXPECT_EQ(r.GetBestForGoal(1), Lines{2});
    EXPECT_EQ(r.GetBestForGoal(0), Lines{1});
    EXPECT_EQ(r.GetPayoffBest(), Lines{1});
    EXPECT_EQ(r.GetBeaters(host, 2).Lines, Lines{1});
    EXPECT_TRUE(r.GetBeaters(host, 1).Lines.empty());
    EXPECT_FALSE(r.GetBeaters(host, 1).ByUnshownLine);
    EXPECT_DOUBLE_EQ(r.GetPayoff(host, 1, 2), 0.5);
    EXPECT_DOUBLE_EQ(r.GetPayoff(host, 1, 1), 0.0);
    EXPECT_EQ(r.GetLineTricksAt(2, 1), 1);
    EXPECT_EQ(r.GetLineTricksAt(2, 2), 0); // no such division
    EXPECT_TRUE(host.errors.empty());
}

TEST(ResultQueries, PositionsOutsideTheList) {
    Analysis an;
    an.Run({Val{2, 0}, Val{1, 1}}, {3, 1});
    const ProbLines& r = an.lines;
    EXPECT_EQ(r.GetLine(0), r.GetLine(1));
    EXPECT_EQ(r.GetLine(-3), r.GetLine(1));
    EXPECT_NE(r.GetLine(2), r.GetLine(1));
    EXPECT_EQ(r.GetLine(3), nullptr);
    EXPECT_EQ(r.GetLineName(3), "");
    EXPECT_DOUBLE_EQ(r.GetLineProb(1, 14), 0.0);
    EXPECT_TRUE(r.GetBestForGoal(14).empty());

    ProbLines none;
    EXPECT_EQ(none.LineCount(), 0);
    EXPECT_EQ(none.GetLine(1), nullptr);
    EXPECT_TRUE(none.GetBestForGoal(1).empty());
    EXPECT_TRUE(none.GetPayoffBest().empty());
    EXPECT_EQ(none.GetMinK(), 13);
    EXPECT_EQ(none.GetMaxK(), 0);
    EXPECT_TRUE(none.GetBeaters(an.host, 1).Lines.empty());
    EXPECT_DOUBLE_EQ(none.GetPayoff(an.host, 1, 1), 0.0);
}

TEST(ResultQueries, NamesAreJoinedWithTheSeparator) {
    // A = L (best for 3 tricks), B = Y, C = X; X and Y beat L.
    const Val l{3, 0, 0, 0, 0}, x{0, 2, 2, 0, 0}, y{0, 0, 0, 2, 2};
    Analysis an;
    an.Run({l, x, y}, {1, 1, 1, 1, 1});
    const ProbLines& r = an.lines;
    using Lines = std::vector<int>;
    EXPECT_EQ(r.GetBestForGoal(2), (Lines{2, 3}));
    EXPECT_EQ(r.GetBestForGoal(3), Lines{1});
    EXPECT_EQ(r.GetPayoffBest(), (Lines{2, 3}));
    EXPECT_EQ(r.GetBeaters(an.host, 1).Lines, (Lines{2, 3}));

    Analysis many;
    many.Run(test::UnitVals(12), std::vector<std::int32_t>(12, 1));
    EXPECT_EQ(many.lines.GetPayoffBest(), (Lines{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
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

// Three one-card classes, ranks 12, 8 and 2 (weights 4, 2, 1): the rank falls
// as far as some line cares which of the higher cards West holds.
TEST(SmallCardClassRank, ThreeClasses) {
    const std::array<std::uint8_t, 8> at8 = {0, 1, 1, 3, 4, 5, 5, 7};
    const std::array<std::uint8_t, 8> at12 = {0, 1, 1, 3, 1, 3, 3, 7};
    auto merged = [&](std::uint8_t d, std::uint8_t r) -> std::uint8_t {
        return r >= 12 ? at12[d] : r >= 8 ? at8[d] : d;
    };
    const std::array<std::uint8_t, 3> ranks = {12, 8, 2};
    const std::vector<std::int32_t> w(8, 1);
    Analysis an;
    an.Run({Val{0, 1, 1, 2, 1, 2, 2, 3}}, w); // West's length
    EXPECT_EQ(SmallCardClassRank(an.lines, 8, ranks, merged), 12);
    an.Run({Val{0, 0, 0, 0, 1, 1, 1, 1}}, w); // whether West holds the 12
    EXPECT_EQ(SmallCardClassRank(an.lines, 8, ranks, merged), 8);
    an.Run({Val{0, 0, 1, 1, 0, 0, 1, 1}}, w); // whether West holds the 8
    EXPECT_EQ(SmallCardClassRank(an.lines, 8, ranks, merged), 2);
    EXPECT_EQ(SmallCardClassRank(ProbLines(), 8, ranks, merged), 12); // no line cares
}

} // namespace
} // namespace nvx
