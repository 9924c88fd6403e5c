// The dynamic evaluation: the line's marks, the defence warning and the rise of
// the target after a defence error. Random play-throughs of every line are in
// the stress test, refusals in the tool's transcripts.
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

std::uint8_t Code(const Engine& e, char card) {
    return static_cast<std::uint8_t>(RankValue(e.ClassRepresentative(card)));
}

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

TEST_F(DynamicEvaluationTest, SingleBestContinuationRaisesTheTarget) {
    // A J 10 opposite 3 2. Trick 1: South 3, West 9, North J (wins), East 8.
    // South leads the 2 and West plays the K: North's A now gives a third
    // trick where the line promised two, while the 10 only keeps the old
    // target. On a line that promised two, the target rises and the 10 is no
    // longer on the line.
    Analyse("AJT", "32", 3);
    int raisedLines = 0;
    for (int i = 1; i <= a.LineCount(); ++i) {
        test::TakeBackAll(a);
        a.SelectLine(i);
        bool ok = true;
        for (char c : std::string("39J82"))
            if (!(ok = a.GetPlay().PlayChar(c))) break;
        if (!ok) continue;
        const Eval before = dyn().TopEval();
        ASSERT_TRUE(a.GetPlay().PlayChar('K'));
        const Eval& after = dyn().TopEval();
        const Val old = RestrictVal(host, before.Dom, before.Val, after.Dom);
        if (old == after.Val) continue;
        ++raisedLines;
        EXPECT_EQ(CompareVal(host, old, after.Val), '<');
        EXPECT_TRUE(test::Reaches(a, Code(e(), 'T'), old));
        EXPECT_FALSE(test::Reaches(a, Code(e(), 'T'), after.Val));
        EXPECT_FALSE(dyn().OnLine(Code(e(), 'T')));
        EXPECT_TRUE(dyn().OnLine(Code(e(), 'A')));
        EXPECT_EQ(a.GetPlay().LineCards(), "A");
        EXPECT_EQ(a.GetPlay().PlayableCards(), "AT");
    }
    EXPECT_GT(raisedLines, 0);
    EXPECT_TRUE(host.errors.empty());
}

} // namespace
} // namespace nvx
