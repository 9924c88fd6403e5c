// The dynamic evaluation: the line's marks and the defence warning. Random
// play-throughs of every line are in the stress test; refusals and the rise of
// the target after a defence error in the tool's transcripts.
#include "play/dynamic_eval.h"
#include "play/solver.h"
#include "results/analysis.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <functional>

namespace nvx {
namespace {

// The best declarer can still reach from the current position among the
// strategies that keep `promise` (over all divisions) on every division still
// possible: the promise restricted to them (lv) and the pointwise maximum (m),
// worked out by a fresh search, not by the dynamic evaluation.
bool BestAgainstPromise(Analysis& a, const Eval& promise, Val& lv, Val& m) {
    Host& h = a.GetHost();
    LineSet s = Solve(a.GetEngine());
    Factor all = LineSetToFactor(h, s);
    lv = RestrictVal(h, promise.Dom, promise.Val, all.Dom);
    KeepAtLeast(h, all, lv);
    if (all.EvalList.empty()) return false;
    m = MaxOfFactor(h, all);
    return true;
}

// Whether declarer's card code keeps the target: some strategy after it
// takes at least the target everywhere, worked out by a fresh search and
// multiplying its whole set out.
bool KeepsTarget(Analysis& a, std::uint8_t code, const Eval& target) {
    Engine& e = a.GetEngine();
    if (!e.Play(code)) return false;
    LineSet s = Solve(e);
    Factor all = LineSetToFactor(a.GetHost(), s);
    KeepAtLeast(a.GetHost(), all, target.Val);
    e.UndoPlay();
    return !all.EvalList.empty();
}

// Every card on the line of every line of a few combinations, a few tricks
// deep (a card marked as keeping the line must keep it): the warning is given
// exactly when the check is still active and declarer can now beat the line's
// promise on every division still possible; it is then switched off for
// everything below. Declarer's cards are marked as on the line exactly when
// they keep the target.
TEST(DynamicEvaluationTest, WarningExactlyWhenDeclarerGainsOnEveryDivision) {
    test::RecordingHost host;
    Analysis a{host};
    DynamicEvaluation& dyn = a.GetDynamicEvaluation();
    int someOnly = 0, everywhere = 0, suppressed = 0, marksOn = 0, marksOff = 0;
    const char* combos[][2] = {{"AQ", "32"}, {"AQT", "32"}, {"AJT", "32"}};
    for (const auto& c : combos) {
        a.SetUpCombination(c[0], c[1], 3, "", 0, 0);
        a.SetTrickTable();
        a.ComputeOptimalLines();
        ASSERT_GE(a.LineCount(), 1);
        const PlayState start = a.GetEngine().play;
        std::function<void(int)> walk = [&](int depth) {
            if (depth == 0) return;
            if (dyn.DeclarerTurn())
                for (std::uint8_t code = 1; code <= FirstShowOut; ++code) {
                    const bool keeps = KeepsTarget(a, code, dyn.TopEval());
                    EXPECT_EQ(dyn.OnLine(code), keeps) << "code " << int(code);
                    marksOn += keeps;
                    marksOff += !keeps && a.GetEngine().CanPlayCard(code);
                }
            for (std::uint8_t code = 1; code <= FirstShowOut; ++code) {
                const bool declarer = dyn.DeclarerTurn();
                const bool checking = dyn.DefenceOptimal();
                const std::size_t messages = host.messages.size();
                if (!dyn.PlayOnLine(code)) continue;
                if (!declarer) {
                    Val lv, m;
                    ASSERT_TRUE(BestAgainstPromise(a, dyn.LineEval(), lv, m));
                    const bool gainsEverywhere = ValAllLT(host, lv, m);
                    const bool gainsSomewhere = !(lv == m);
                    const bool warned = host.messages.size() == messages + 1;
                    ASSERT_LE(host.messages.size(), messages + 1);
                    EXPECT_EQ(warned, checking && gainsEverywhere);
                    EXPECT_EQ(dyn.DefenceOptimal(), checking && !warned);
                    if (warned) {
                        EXPECT_EQ(host.messages.back().kind, MessageKind::Warning);
                        EXPECT_EQ(host.messages.back().text, DefenceWarningText);
                    }
                    someOnly += checking && gainsSomewhere && !gainsEverywhere;
                    everywhere += warned;
                    suppressed += !checking && gainsEverywhere;
                }
                walk(depth - 1);
                dyn.UndoOnLine();
            }
        };
        for (int i = 1; i <= a.LineCount(); ++i) {
            a.SelectLine(i);
            walk(6);
            EXPECT_TRUE(a.GetEngine().play == start);
        }
    }
    EXPECT_GT(someOnly, 0);
    EXPECT_GT(everywhere, 0);
    EXPECT_GT(suppressed, 0);
    EXPECT_GT(marksOn, 0);
    EXPECT_GT(marksOff, 0);
    EXPECT_TRUE(host.errors.empty());
}

} // namespace
} // namespace nvx
