// The whole analysis on random combinations, end to end: set-up, the optimal
// lines, a random play-through of every line with take-backs, and analyses
// stopped part-way. Each case is drawn from (seed, index) alone, so a failing
// case is replayed by itself. The same test runs long when
// NORVADEX_STRESS_SEED / _COUNT / _FIRST / _BUDGET are set (`make stress`).
//
// The cost of a case is bounded by counting the host's polls (stop request and
// pending events): an analysis still running after the budget is stopped there
// and checked as an interrupted one.
#include "lines_helper.h"
#include "play/possible_divs.h"
#include "results/analysis.h"
#include "support/combos.h"
#include "support/recording_host.h"
#include "support/test_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace nvx {
namespace {

using test::ComboInput;
using test::RecordingHost;

struct StressOptions {
    std::uint64_t seed = 20261206;
    long first = 0;
    long count = test::Scaled(300);
    // Polls per analysis. The work between two polls grows with the size of
    // the line sets, so the time a budget allows varies a lot between
    // combinations; this one keeps the hardest to a second or so.
    long budget = test::Scaled(500000);
    bool longRun = false;
};

struct StressStats {
    long overBudget = 0, interrupted = 0, lines = 0, manyLines = 0, cards = 0;
};

// Everything the analysis may not leave changed behind it.
struct EngineSnapshot {
    std::string north, south, ew, discards, playString;
    std::uint8_t entries, westFilled, eastFilled;
    ClassTables classes;
    PlayState play;
    Divisions divs;
    Probabilities probs;

    explicit EngineSnapshot(const Engine& e)
        : north(e.combo.North.str()), south(e.combo.South.str()), ew(e.combo.EWCards.str()),
          discards(e.combo.Discards.str()), playString(e.combo.PlayString),
          entries(e.combo.Entries), westFilled(e.combo.WestFilled), eastFilled(e.combo.EastFilled),
          classes(e.classes), play(e.play), divs(e.divs), probs(e.probs) {}
    friend bool operator==(const EngineSnapshot&, const EngineSnapshot&) = default;
};

// The record of the play in real cards agrees with the play state, which works
// by class; with few defenders' cards, the layouts the record still allows are
// exactly those of the divisions still possible.
void CheckRecord(Analysis& a) {
    const Engine& e = a.GetEngine();
    PlayThrough& pt = a.GetPlay();
    const std::string& ps = pt.GetPlayString();
    const int cards = int(ps.size() - ps.size() / 5);
    ASSERT_EQ(cards, e.play.CardIndex - 1) << ps;
    EXPECT_EQ(pt.CompletedTricks(), cards / 4);
    EXPECT_EQ(pt.NSTricksWon(), e.NSTricks()) << ps;
    EXPECT_EQ(pt.CurrentSeat(), e.play.Seat);
    EXPECT_EQ(pt.NorthUnplayed().size(), e.CardsLeft(hand::North));
    EXPECT_EQ(pt.SouthUnplayed().size(), e.CardsLeft(hand::South));
    const std::string ew = e.GetEWCards().str();
    if (ew.size() > 6) return;
    Dom possible;
    PossibleDivs(e, possible);
    std::vector<bool> hasLayout(e.NumDivs(), false);
    for (unsigned m = 0; m < (1u << ew.size()); ++m) {
        std::string w, x;
        for (unsigned i = 0; i < ew.size(); ++i)
            ((m >> i) & 1 ? w : x).push_back(ew[i]);
        if (!pt.IsDivisionPossible(w, x)) continue;
        const std::uint8_t d = e.DivNrOfCards(w);
        EXPECT_NE(std::find(possible.begin(), possible.end(), d), possible.end())
            << ps << " West " << w;
        hasLayout[d] = true;
    }
    for (std::uint8_t d : possible)
        EXPECT_TRUE(hasLayout[d]) << ps << " division " << int(d);
}

// Plays line i through with random defenders' cards, taking cards back now and
// then; at the end declarer has at least the tricks the line promises in every
// division still possible. Returns the cards played.
int PlayThroughLine(Analysis& a, int i, std::mt19937& rng) {
    PlayThrough& pt = a.GetPlay();
    DynamicEvaluation& dyn = a.GetDynamicEvaluation();
    a.SelectLine(i);
    const Eval root = dyn.TopEval();
    const Val& line = a.GetLines().GetLine(i)->Val;
    int cards = 0;
    for (int step = 0; step < 200; ++step) {
        if (!pt.GetPlayString().empty() && rng() % 8 == 0) {
            for (int back = 1 + int(rng() % 3); back > 0; --back)
                pt.TakeBackCard();
            continue;
        }
        CheckRecord(a);
        const std::string playable = pt.PlayableCards();
        const std::string choice = dyn.DeclarerTurn() ? pt.LineCards() : playable;
        EXPECT_EQ(choice.empty(), playable.empty())
            << "the line has no card at " << pt.GetPlayString();
        if (choice.empty()) {
            Dom possible;
            PossibleDivs(a.GetEngine(), possible);
            EXPECT_FALSE(possible.empty());
            for (std::uint8_t d : possible)
                EXPECT_GE(pt.NSTricksWon(), line[d])
                    << "division " << int(d) << " after " << pt.GetPlayString();
            break;
        }
        if (rng() % 4 == 0) pt.AddTrickSeparator();
        EXPECT_TRUE(pt.PlayChar(choice[rng() % choice.size()])) << pt.GetPlayString();
        ++cards;
    }
    while (!pt.GetPlayString().empty())
        pt.TakeBackCard();
    EXPECT_TRUE(dyn.DeclarerTurn());
    EXPECT_EQ(dyn.StackDepth(), 1u);
    EXPECT_EQ(dyn.TopEval(), root);
    return cards;
}

void RunCase(const StressOptions& o, long index, StressStats& stats) {
    std::seed_seq seq{std::uint32_t(o.seed), std::uint32_t(o.seed >> 32), std::uint32_t(index)};
    std::mt19937 rng(seq);
    const ComboInput in = test::RandomAdmittedCombo(rng);
    const std::optional<ContractGoal> goal = test::RandomGoal(rng);
    const bool interrupt = rng() % 5 == 0;
    SCOPED_TRACE(in.describe() + (goal ? " IMPs " + ContractText(goal->Contract) + " needing " +
                                             std::to_string(goal->TricksNeeded)
                                       : " matchpoints"));
    test::PollingHost host;
    host.countEvents = true; // every poll, of the stop request and of pending events
    Analysis a(host);
    // The budget counts polls, and searches on worker threads poll hosts of
    // their own: one search after the other keeps the count (and a replay)
    // exact.
    a.GetDynamicEvaluation().SetSearchThreads(1);
    test::SetUp(a.GetEngine(), in);
    if (goal)
        a.SetIMPTable(*goal);
    else
        a.SetTrickTable();
    const EngineSnapshot start(a.GetEngine());

    // A stopped analysis: no internal error, the stop still visible to the
    // caller, nothing played and no line to play through.
    auto checkStopped = [&] {
        EXPECT_TRUE(host.errors.empty()) << host.errors.front().code;
        EXPECT_TRUE(host.StopRequested());
        EXPECT_TRUE(EngineSnapshot(a.GetEngine()) == start);
        EXPECT_FALSE(a.GetDynamicEvaluation().HasLine());
    };

    host.Restart(o.budget);
    a.ComputeOptimalLines();
    if (host.stop) {
        ++stats.overBudget;
        checkStopped();
        return;
    }
    const long polls = host.polls;
    host.stopAt = LONG_MAX; // the play-through searches too
    ASSERT_TRUE(host.errors.empty()) << host.errors.front().code << " " << host.errors.front().text;
    ASSERT_GE(a.LineCount(), 1);
    EXPECT_TRUE(EngineSnapshot(a.GetEngine()) == start);

    for (int i = 1; i <= a.LineCount(); ++i) {
        stats.cards += PlayThroughLine(a, i, rng);
        ASSERT_TRUE(EngineSnapshot(a.GetEngine()) == start) << "after line " << i;
    }
    stats.lines += a.LineCount();
    stats.manyLines += a.LineCount() > 1;
    host.messages.clear(); // defence warnings
    ASSERT_TRUE(host.errors.empty()) << host.errors.front().code << " " << host.errors.front().text;
    if (!interrupt) return;

    // Stopped at a random poll, then analysed afresh on the same object.
    const std::vector<Val> lines = test::LineVals(a.GetLines());
    a.SelectLine(1 + int(rng() % a.LineCount()));
    const std::string first = a.GetPlay().LineCards();
    if (!first.empty()) {
        ASSERT_TRUE(a.GetPlay().PlayChar(first.front()));
    }
    host.Restart(1 + long(rng() % polls));
    a.SetUpCombination(in.north, in.south, in.entries, in.discards, in.westFilled(),
                       in.eastFilled());
    a.ComputeOptimalLines();
    ++stats.interrupted;
    checkStopped();
    host.Restart(LONG_MAX);
    a.ComputeOptimalLines();
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.polls, polls);
    EXPECT_EQ(test::LineVals(a.GetLines()), lines);
}

long EnvOr(const char* name, long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

std::string ReplayCommand(const StressOptions& o, long index) {
#if defined(__SANITIZE_ADDRESS__)
    const char* sanitize = " SANITIZE=1";
#else
    const char* sanitize = "";
#endif
    return "make stress SEED=" + std::to_string(o.seed) + " FIRST=" + std::to_string(index) +
           " COUNT=1 BUDGET=" + std::to_string(o.budget) + sanitize;
}

TEST(Stress, WholeAnalysisOnRandomCombinations) {
    StressOptions o;
    if (std::getenv("NORVADEX_STRESS_SEED") || std::getenv("NORVADEX_STRESS_COUNT")) {
        o.longRun = true;
        o.seed = std::uint64_t(EnvOr("NORVADEX_STRESS_SEED", long(o.seed)));
        o.count = EnvOr("NORVADEX_STRESS_COUNT", 1000);
        o.first = EnvOr("NORVADEX_STRESS_FIRST", 0);
        o.budget = EnvOr("NORVADEX_STRESS_BUDGET", 4 * o.budget);
    }
    StressStats stats;
    const auto begin = std::chrono::steady_clock::now();
    const long every = std::max(1L, o.count / 10);
    for (long i = o.first; i < o.first + o.count; ++i) {
        RunCase(o, i, stats);
        if (HasFailure()) {
            std::printf("stress: case %ld of seed %llu failed; replay it with\n  %s\n", i,
                        static_cast<unsigned long long>(o.seed), ReplayCommand(o, i).c_str());
            break;
        }
        if (o.longRun && ((i - o.first + 1) % every == 0 || i + 1 == o.first + o.count)) {
            const double s =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            std::printf("stress: seed %llu, %ld of %ld cases, %ld interrupted, %ld over budget, "
                        "%ld lines, %ld cards, %.0f s\n",
                        static_cast<unsigned long long>(o.seed), i - o.first + 1, o.count,
                        stats.interrupted, stats.overBudget, stats.lines, stats.cards, s);
            std::fflush(stdout);
        }
    }
    if (o.longRun || HasFailure()) return;
    // The sample reaches what it is meant to reach.
    EXPECT_GT(stats.interrupted, o.count / 10);
    EXPECT_LT(stats.overBudget, o.count / 2);
    EXPECT_GT(stats.manyLines, 0);
}

} // namespace
} // namespace nvx
