// The plan of a line, followed card by card: in every layout with a
// probability it takes exactly the line's tricks against the best defence,
// it has a branch for every defender's card of such a layout, and none for a
// card that only layouts without probability allow; the branches' weights
// share out every layout. In words, its leads come from the hand on lead.
#include "play/possible_divs.h"
#include "present/plan_text.h"
#include "results/analysis.h"
#include "results/plan.h"
#include "support/combos.h"
#include "support/recording_host.h"
#include "support/test_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <regex>
#include <set>
#include <string>

namespace nvx {
namespace {

// Follows a plan in one layout (division) against every defence it allows.
class Follower {
  public:
    Follower(Engine& e, std::uint8_t div) : e_(e), div_(div) {}

    int FromDecision(const Plan& p, std::size_t i) {
        if (i >= p.Steps.size()) return PlayOut(p.End);
        const PlanStep& s = p.Steps[i];
        const std::uint8_t code = s.Card == '-' ? FirstShowOut : CodeOf(s.Card);
        const std::uint8_t handToPlay =
            e_.play.Seat == seat::None ? e_.classes.Owner[code] : SeatOwner[e_.play.Seat];
        if (handToPlay != s.Hand || !e_.Play(code)) {
            Fail("the plan's card " + std::string(1, s.Card) + " cannot be played at trick " +
                 std::to_string(s.Trick));
            return -1;
        }
        int worst = INT_MAX;
        for (std::uint8_t dc = 1; dc <= FirstShowOut && failure.empty(); ++dc) {
            if (!Consistent(dc)) continue;
            int v;
            if (s.Branches.empty()) {
                v = FromDecision(p, i + 1);
            } else {
                const PlanBranch* b = BranchFor(s, dc);
                if (b == nullptr) {
                    Fail("no branch for a defender's card at trick " + std::to_string(s.Trick));
                    e_.UndoPlay();
                    break;
                }
                used.insert(b);
                v = FromDecision(b->Then, 0);
            }
            worst = std::min(worst, v);
            e_.UndoPlay();
        }
        e_.UndoPlay();
        return worst;
    }

    std::set<const PlanBranch*> used;
    std::string failure;

  private:
    std::uint8_t CodeOf(char c) const {
        return static_cast<std::uint8_t>(RankValue(e_.ClassRepresentative(c)));
    }
    void Fail(const std::string& why) {
        if (failure.empty()) failure = why;
    }
    // Plays the defender's code if the layout allows it (undo after use).
    bool Consistent(std::uint8_t dc) {
        if (!e_.Play(dc)) return false;
        Dom d;
        PossibleDivs(e_, d);
        if (std::find(d.begin(), d.end(), div_) != d.end()) return true;
        e_.UndoPlay();
        return false;
    }
    const PlanBranch* BranchFor(const PlanStep& s, std::uint8_t dc) const {
        for (const PlanBranch& b : s.Branches)
            for (char c : b.Cards)
                if (c == '-' ? dc == FirstShowOut : CodeOf(c) == dc) return &b;
        return nullptr;
    }
    // After the plan's last step: cash the winners, or any card will do.
    int PlayOut(PlanEnd end) {
        if (end == PlanEnd::Unexplored || end == PlanEnd::Branches) {
            Fail("the plan ends without saying how to go on");
            return -1;
        }
        const std::uint8_t s = e_.play.Seat;
        if (s == seat::None || SeatOwner[s] != hand::Defenders) {
            std::uint8_t code = 0;
            if (end == PlanEnd::Cash) {
                code = CashPolicyCode(e_);
            } else {
                for (std::uint8_t c = 1; c <= FirstShowOut && code == 0; ++c)
                    if (e_.Play(c)) {
                        e_.UndoPlay();
                        code = c;
                    }
            }
            if (code == 0 || !e_.Play(code)) return e_.NSTricks(); // the play is over
            const int v = PlayOut(end);
            e_.UndoPlay();
            return v;
        }
        int worst = INT_MAX;
        for (std::uint8_t dc = 1; dc <= FirstShowOut; ++dc) {
            if (!Consistent(dc)) continue;
            worst = std::min(worst, PlayOut(end));
            e_.UndoPlay();
        }
        return worst;
    }

    Engine& e_;
    std::uint8_t div_;
};

void CollectBranches(const Plan& p, std::vector<const PlanBranch*>& out) {
    for (const PlanStep& s : p.Steps)
        for (const PlanBranch& b : s.Branches) {
            out.push_back(&b);
            CollectBranches(b.Then, out);
        }
}

// Every layout with a probability comes to exactly one branch of a step the
// play reaches, so the branches' weights add up to the weight of the way there.
void CheckWeights(const Plan& p, double weight, const std::string& what) {
    for (const PlanStep& s : p.Steps) {
        if (s.Branches.empty()) continue;
        double sum = 0;
        for (const PlanBranch& b : s.Branches) {
            sum += b.Weight;
            CheckWeights(b.Then, b.Weight, what);
        }
        EXPECT_NEAR(sum, weight, 1e-9) << what << " at trick " << int(s.Trick);
    }
}

// A step that says "lead ... from South" (or North), without returning to
// that hand first, stands for no lead made after partner won the last trick.
void CheckLeadsFromTheHandOnLead(const LinePlan& lp, const std::string& what) {
    static const std::regex lead("lead (low|the \\w+) from (North|South)");
    for (const PlanTextStep& s : DescribePlan(lp).Steps) {
        std::smatch m;
        if (!std::regex_search(s.Text, m, lead)) continue;
        if (s.Text.find("return to " + m[2].str()) != std::string::npos ||
            s.Text.find("cross to " + m[2].str()) != std::string::npos)
            continue;
        const std::uint8_t h = m[2] == "North" ? hand::North : hand::South;
        for (const PlanStep* p : s.Steps)
            if (p->Position == 0 && p->Hand == h) {
                EXPECT_NE(p->PreviousWinner, h == hand::North ? hand::South : hand::North)
                    << what << ": " << s.Text;
            }
    }
}

// Checks every line of the analysis; counts the plans that were complete.
void CheckPlans(Analysis& a, const std::string& what, int& complete) {
    for (int i = 1; i <= a.LineCount(); ++i) {
        const LinePlan lp = BuildLinePlan(a, i);
        CheckLeadsFromTheHandOnLead(lp, what);
        if (!lp.Complete) continue;
        ++complete;
        const Val& val = a.GetLines().GetLine(i)->Val;
        Engine e(a.GetHost(), a.GetEngine());
        e.ResetPlay();
        std::set<const PlanBranch*> used;
        for (std::uint8_t d = 0; d < e.NumDivs(); ++d) {
            if (e.DivProb(d) == 0) continue;
            Follower f(e, d);
            const int tricks = f.FromDecision(lp.Root, 0);
            ASSERT_TRUE(f.failure.empty()) << what << " line " << a.GetLineName(i) << " division "
                                           << int(d) << ": " << f.failure;
            ASSERT_EQ(tricks, val[d])
                << what << " line " << a.GetLineName(i) << " division " << int(d);
            used.insert(f.used.begin(), f.used.end());
        }
        CheckWeights(lp.Root, 1.0, what + " line " + a.GetLineName(i));
        std::vector<const PlanBranch*> all;
        CollectBranches(lp.Root, all);
        for (const PlanBranch* b : all)
            EXPECT_TRUE(used.count(b)) << what << " line " << a.GetLineName(i) << ": a branch for "
                                       << b->Cards << " that no layout with a probability reaches";
    }
}

TEST(PlanProperty, FollowingThePlanTakesTheLinesTricks) {
    std::mt19937 rng(15015);
    const int cases = test::Scaled(250);
    int analysed = 0, plans = 0;
    for (int n = 0; n < cases; ++n) {
        const test::ComboInput in = test::RandomAdmittedCombo(rng);
        test::PollingHost host; // a budget, so that no case runs long
        host.stopAt = 300001;
        Analysis a(host);
        a.SetUpCombination(in.north, in.south, in.entries, in.discards, in.westFilled(),
                           in.eastFilled());
        a.SetTrickTable();
        if (a.ComputeOptimalLines() != ComputeEnd::Finished) continue;
        ++analysed;
        CheckPlans(a, in.describe(), plans);
        if (HasFatalFailure()) return;
    }
    EXPECT_GE(analysed, cases / 2);
    EXPECT_GE(plans, analysed);
}

} // namespace
} // namespace nvx
