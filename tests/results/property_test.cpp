// Randomized checks of the optimal lines on sets of mutually non-dominated Vals.
#include "cards/contract.h"
#include "lines_helper.h"
#include "strategy/eval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace nvx {
namespace {

struct Case {
    std::vector<Val> vals;
    std::vector<std::int32_t> weights;
    PayoffTable table;
    // Declarer's score by suit tricks when IMPs are in force.
    bool imps = false;
    std::array<std::int32_t, 14> score{};
};

Case RandomCase(std::mt19937& rng) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Case c;
    const int divs = pick(1, 12);
    const int maxTricks = pick(0, 3) == 0 ? 13 : pick(1, 6);
    for (int d = 0; d < divs; ++d)
        c.weights.push_back(pick(1, 60));
    const int wanted = pick(1, 30);
    test::RecordingHost host;
    for (int tries = 0; tries < 300 && static_cast<int>(c.vals.size()) < wanted; ++tries) {
        Val v;
        for (int d = 0; d < divs; ++d)
            v.push_back(static_cast<std::uint8_t>(pick(0, maxTricks)));
        const bool free = std::all_of(c.vals.begin(), c.vals.end(),
                                      [&](const Val& o) { return CompareVal(host, o, v) == '|'; });
        if (free) c.vals.push_back(v);
    }
    if (pick(0, 1) == 1) {
        ContractGoal g;
        g.Contract.Level = static_cast<std::uint8_t>(pick(1, 7));
        g.Contract.Strain = static_cast<std::uint8_t>(pick(0, 4));
        g.Contract.Doubled = static_cast<std::uint8_t>(pick(0, 1));
        g.Contract.Redoubled = static_cast<std::uint8_t>(pick(0, 3) == 0);
        g.Contract.Vulnerable = static_cast<std::uint8_t>(pick(0, 1));
        g.TricksNeeded = static_cast<std::uint8_t>(pick(0, 13));
        c.table.SetIMPTable(g, static_cast<std::int8_t>(g.TricksNeeded));
        c.imps = true;
        for (int t = 0; t <= 13; ++t)
            c.score[t] = ContractScore(g.Contract, t - g.TricksNeeded);
    }
    return c;
}

// The payoff, worked out from the scores without the table.
std::int32_t DirectPayoff(const Case& c, const Val& a, const Val& b) {
    std::int32_t sum = 0;
    for (std::size_t p = 0; p < a.size(); ++p) {
        const int gain =
            c.imps ? Imps(c.score[a[p]] - c.score[b[p]]) : (a[p] > b[p]) - (a[p] < b[p]);
        sum += gain * c.weights[p];
    }
    return sum;
}

GoalWeights DirectWeights(const Case& c, const Val& v) {
    GoalWeights g{};
    for (int k = 1; k <= 13; ++k)
        for (std::size_t p = 0; p < v.size(); ++p)
            if (v[p] >= k) g[k] += c.weights[p];
    for (std::size_t p = 0; p < v.size(); ++p)
        g[0] += c.weights[p] * v[p];
    return g;
}

TEST(OptimalLinesProperty, RandomNonDominatedSets) {
    std::mt19937 rng(20240611);
    int warned = 0, withoutPayoffBest = 0;
    for (int round = 0; round < 1500; ++round) {
        const Case c = RandomCase(rng);
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << c.vals.size() << " lines");
        test::Analysis an;
        an.Run(c.vals, c.weights, c.table);
        const ProbLines& r = an.lines;
        const bool warning = !an.Warnings().empty();
        warned += warning;
        EXPECT_TRUE(an.host.errors.empty());
        ASSERT_GE(r.LineCount(), 1);
        ASSERT_LE(r.LineCount(), c.vals.size());

        // Best is the best of all the lines, whether kept or not.
        GoalWeights best{};
        for (const Val& v : c.vals) {
            const GoalWeights g = DirectWeights(c, v);
            for (int k = 0; k <= 13; ++k)
                best[k] = std::max(best[k], g[k]);
        }
        EXPECT_EQ(r.Best(), best);

        // Every trick goal's best chance is reached by a kept line; so are the
        // most expected tricks unless the lines had to be thinned out.
        for (int k = 0; k <= 13; ++k) {
            bool reached = false;
            for (const auto& s : r.ProbList())
                reached |= s->GoalWeight[k] == best[k];
            // Thinning out looks at the trick goals only; it may drop the line
            // with the most expected tricks.
            EXPECT_TRUE(reached || (k == 0 && warning)) << "goal " << k;
        }

        // The lines no other line beats.
        std::vector<const Val*> payoffBest;
        for (const Val& a : c.vals)
            if (std::all_of(c.vals.begin(), c.vals.end(),
                            [&](const Val& b) { return DirectPayoff(c, a, b) >= 0; }))
                payoffBest.push_back(&a);
        const bool inputHasPayoffBest = !payoffBest.empty();
        withoutPayoffBest += !inputHasPayoffBest;

        std::uint32_t previousKey = ~0u;
        for (int i = 1; i <= r.LineCount(); ++i) {
            const ProbLine& s = *r.GetLine(i);
            EXPECT_EQ(s.GoalWeight, DirectWeights(c, s.Val));
            EXPECT_TRUE(s.Chosen);
            EXPECT_EQ(s.Name, i <= 26 ? std::string(1, static_cast<char>('A' + i - 1)) : "?");
            EXPECT_LE(s.Worst, 0);
            if (s.WorstOpp != nullptr) {
                bool kept = false;
                for (const auto& o : r.ProbList())
                    kept |= o.get() == s.WorstOpp;
                ASSERT_TRUE(kept);
                EXPECT_EQ(s.Worst, DirectPayoff(c, s.Val, s.WorstOpp->Val));
                EXPECT_LT(s.Worst, 0);
            }
            // Sorted: the goals a line is best for, compared from the largest
            // goal, then payoff-best lines, then the most expected tricks.
            std::uint32_t key = 0;
            for (int k = 13; k >= 1; --k)
                key = key * 2 + (s.GoalWeight[k] == best[k]);
            key = key * 2 + (s.WorstOpp == nullptr);
            key = key * 2 + (s.GoalWeight[0] == best[0]);
            EXPECT_LE(key, previousKey);
            previousKey = key;

            for (int j = 1; j <= r.LineCount(); ++j) {
                const double p = r.GetPayoff(an.host, i, j);
                EXPECT_EQ(p, -r.GetPayoff(an.host, j, i));
                EXPECT_DOUBLE_EQ(p, static_cast<double>(DirectPayoff(c, s.Val, r.GetLine(j)->Val)) /
                                        r.ProbDenominator());
            }

            if (inputHasPayoffBest) {
                // The head-to-head data refer to the shown lines only.
                std::int32_t worst = 0;
                for (const auto& o : r.ProbList())
                    worst = std::min(worst, DirectPayoff(c, s.Val, o->Val));
                EXPECT_EQ(s.Worst, worst);
                EXPECT_FALSE(r.GetBeaters(an.host, i).ByUnshownLine);
            }
        }
        if (!inputHasPayoffBest && !warning) {
            // Every shown line's worst opponent is its worst over all the lines,
            // the first of equal ones in the starting order (the reverse of the
            // input), and it is marked dominated exactly when another line beats
            // it on expected tricks and is at least as good for every goal.
            for (const auto& s : r.ProbList()) {
                std::int32_t worst = 0;
                const Val* opp = nullptr;
                for (auto o = c.vals.rbegin(); o != c.vals.rend(); ++o)
                    if (!(*o == s->Val) && DirectPayoff(c, s->Val, *o) < worst) {
                        worst = DirectPayoff(c, s->Val, *o);
                        opp = &*o;
                    }
                EXPECT_EQ(s->Worst, worst);
                ASSERT_NE(s->WorstOpp, nullptr);
                EXPECT_EQ(s->WorstOpp->Val, *opp);
                const GoalWeights g = DirectWeights(c, s->Val);
                bool dominated = false;
                for (const Val& o : c.vals) {
                    const GoalWeights h = DirectWeights(c, o);
                    bool atLeast = h[0] > g[0];
                    for (int k = 1; k <= 13; ++k)
                        atLeast &=
                            h[k] > g[k] ||
                            (h[k] == g[k] && (h[k] == 0 || h[k] == r.ProbDenominator() ||
                                              CompareValAtLeast(an.host, o, s->Val, k) == '='));
                    dominated |= atLeast;
                }
                EXPECT_EQ(s->Dominated, dominated);
            }
        }
        for (const Val* a : payoffBest) // lines no other line beats are always shown
            EXPECT_TRUE(warning || an.Find(*a) != nullptr);
    }
    // The random sets reach the thinning out and the case without payoff-best lines.
    EXPECT_GT(warned, 40);
    EXPECT_GT(withoutPayoffBest, 40);
}

// What a run shows of its lines, in display order.
struct Shown {
    Val val, worstOpp;
    std::string name;
    std::int32_t worst;
    bool dominated, hasWorstOpp;
    friend bool operator==(const Shown&, const Shown&) = default;
};

std::vector<Shown> ShownLines(const ProbLines& r) {
    std::vector<Shown> shown;
    for (const auto& s : r.ProbList())
        shown.push_back({s->Val, s->WorstOpp ? s->WorstOpp->Val : Val{}, s->Name, s->Worst,
                         s->Dominated, s->WorstOpp != nullptr});
    return shown;
}

// With most divisions of no weight (a defender void, vacant places), many
// lines are equal where it counts, and they are compared as one: the lines,
// their order, names and worst opponents, and the warning, are those of the
// comparison line by line.
TEST(OptimalLinesProperty, LinesEqualWhereItCountsComparedAsOne) {
    std::mt19937 rng(20261209);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int thinned = 0, withPayoffBest = 0;
    for (int round = 0; round < 300; ++round) {
        Case c;
        const int divs = pick(6, 9);
        // Three divisions of weight allow lines that beat one another in a
        // ring (no payoff-best line); few values keep the groups few.
        const int weighted = pick(1, 3);
        const int maxTricks = weighted == 3 ? 2 : pick(2, 4);
        // Or three of equal weight where every line takes 2, 1 and 0 tricks
        // in turn: each line is beaten.
        const bool ring = weighted == 3 && pick(0, 1) == 1;
        // Equal weights make lines fare equally badly against several others.
        const bool equal = ring || pick(0, 1) == 1;
        const int weight = pick(1, 60);
        for (int d = 0; d < divs; ++d)
            c.weights.push_back(d >= weighted ? 0 : equal ? weight : pick(1, 60));
        std::shuffle(c.weights.begin(), c.weights.end(), rng);
        if (pick(0, 1) == 1) {
            ContractGoal g;
            g.Contract.Level = 4;
            g.TricksNeeded = static_cast<std::uint8_t>(pick(1, maxTricks));
            c.table.SetIMPTable(g, static_cast<std::int8_t>(g.TricksNeeded));
        }
        test::RecordingHost host;
        const int wanted = weighted == 3 ? pick(120, 160) : pick(64, 160);
        for (int tries = 0; tries < 20000 && static_cast<int>(c.vals.size()) < wanted; ++tries) {
            Val v;
            const int turn = pick(0, 2);
            for (int d = 0, w = 0; d < divs; ++d)
                v.push_back(static_cast<std::uint8_t>(
                    ring && c.weights[d] > 0 ? (turn + w++) % 3 : pick(0, maxTricks)));
            if (std::all_of(c.vals.begin(), c.vals.end(),
                            [&](const Val& o) { return CompareVal(host, o, v) == '|'; }))
                c.vals.push_back(v);
        }
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << c.vals.size() << " lines");
        test::Analysis one, grouped;
        one.lines.SetGroupLines(false);
        one.Run(c.vals, c.weights, c.table);
        grouped.Run(c.vals, c.weights, c.table);
        EXPECT_TRUE(grouped.host.errors.empty());
        EXPECT_EQ(ShownLines(grouped.lines), ShownLines(one.lines));
        EXPECT_EQ(grouped.Warnings(), one.Warnings());
        thinned += !one.Warnings().empty();
        withPayoffBest += !one.lines.GetPayoffBest().empty();
    }
    // The cases reach the thinning out, with and without payoff-best lines.
    EXPECT_GT(thinned, 50);
    EXPECT_GT(withPayoffBest, 50);
    EXPECT_LT(withPayoffBest, 290);
}

} // namespace
} // namespace nvx
