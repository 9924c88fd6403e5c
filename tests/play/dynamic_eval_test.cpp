// The dynamic evaluation: the line's marks and the defence warning. Random
// play-throughs of every line are in the stress test; refusals and the rise of
// the target after a defence error in the tool's transcripts.
#include "play/dynamic_eval.h"
#include "play/line_helper.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace nvx {
namespace {

using test::RecordingHost;

class DynamicEvaluationTest : public ::testing::Test {
  protected:
    void Analyse(const char* north, const char* south, std::uint8_t entries) {
        a.SetUpCombination(north, south, entries, "", 0, 0);
        a.SetTrickTable();
        a.ComputeOptimalLines();
        ASSERT_GE(a.LineCount(), 1);
        start = a.GetEngine().play;
    }
    DynamicEvaluation& dyn() { return a.GetDynamicEvaluation(); }
    Engine& e() { return a.GetEngine(); }
    const Val& LineVal(int i) const { return a.GetLines().ProbList()[i - 1]->Val; }

    RecordingHost host;
    Analysis a{host};
    PlayState start;
};

TEST_F(DynamicEvaluationTest, RootMarksTheFirstCardsThatCanKeepTheLine) {
    const char* combos[][2] = {{"AQ", "32"}, {"AQT", "32"}, {"KJ", "32"}, {"AJ2", "43"}};
    for (const auto& c : combos) {
        Analyse(c[0], c[1], 2);
        for (int i = 1; i <= a.LineCount(); ++i) {
            a.SelectLine(i);
            ASSERT_EQ(dyn().StackDepth(), 1u);
            EXPECT_EQ(dyn().LineEval().Val, LineVal(i));
            int marked = 0;
            for (std::uint8_t code = 1; code <= FirstShowOut; ++code) {
                EXPECT_EQ(dyn().OnLine(code), test::Reaches(a, code, LineVal(i)))
                    << c[0] << "/" << c[1] << " line " << i << " code " << int(code);
                marked += dyn().OnLine(code);
            }
            EXPECT_GE(marked, 1);
            EXPECT_TRUE(e().play == start);
        }
    }
    EXPECT_TRUE(host.errors.empty());
}

// Every defender's card of every line of a few combinations, a few tricks
// deep: the warning is given exactly when the check is still active and
// declarer can now beat the line's promise on every division still possible;
// it is then switched off for everything below.
TEST_F(DynamicEvaluationTest, WarningExactlyWhenDeclarerGainsOnEveryDivision) {
    int someOnly = 0, everywhere = 0, suppressed = 0;
    const char* combos[][2] = {{"AQ", "32"}, {"AQT", "32"}, {"AJT", "32"}};
    for (const auto& c : combos) {
        Analyse(c[0], c[1], 3);
        std::function<void(int)> walk = [&](int depth) {
            if (depth == 0) return;
            for (std::uint8_t code = 1; code <= FirstShowOut; ++code) {
                const bool declarer = dyn().DeclarerTurn();
                const bool checking = dyn().DefenceOptimal();
                const std::size_t messages = host.messages.size();
                if (!dyn().PlayOnLine(code)) continue;
                if (!declarer) {
                    Val lv, m;
                    ASSERT_TRUE(test::BestAgainstPromise(a, dyn().LineEval(), lv, m));
                    const bool gainsEverywhere = ValAllLT(host, lv, m);
                    const bool gainsSomewhere = !(lv == m);
                    const bool warned = host.messages.size() == messages + 1;
                    ASSERT_LE(host.messages.size(), messages + 1);
                    EXPECT_EQ(warned, checking && gainsEverywhere);
                    EXPECT_EQ(dyn().DefenceOptimal(), checking && !warned);
                    if (warned) {
                        EXPECT_EQ(host.messages.back().kind, MessageKind::Warning);
                        EXPECT_EQ(host.messages.back().text, DefenceWarningText);
                    }
                    someOnly += checking && gainsSomewhere && !gainsEverywhere;
                    everywhere += warned;
                    suppressed += !checking && gainsEverywhere;
                }
                walk(depth - 1);
                dyn().UndoOnLine();
            }
        };
        for (int i = 1; i <= a.LineCount(); ++i) {
            a.SelectLine(i);
            walk(6);
            EXPECT_TRUE(e().play == start);
        }
    }
    EXPECT_GT(someOnly, 0);
    EXPECT_GT(everywhere, 0);
    EXPECT_GT(suppressed, 0);
    EXPECT_TRUE(host.errors.empty());
}

} // namespace
} // namespace nvx
