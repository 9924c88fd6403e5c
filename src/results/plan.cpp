#include "results/plan.h"

#include "play/possible_divs.h"
#include "play/solver.h"
#include "play/trick_table.h"
#include "results/analysis.h"
#include "strategy/factor.h"
#include "strategy/term.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace nvx {

namespace {

bool SameStep(const PlanStep& a, const PlanStep& b);

bool SameBranch(const PlanBranch& a, const PlanBranch& b) {
    return a.Seat == b.Seat && a.Cards == b.Cards && SamePlan(a.Then, b.Then);
}

bool SameStep(const PlanStep& a, const PlanStep& b) {
    if (a.Trick != b.Trick || a.Position != b.Position || a.Hand != b.Hand || a.Card != b.Card ||
        a.Branches.size() != b.Branches.size())
        return false;
    for (std::size_t i = 0; i < a.Branches.size(); ++i)
        if (!SameBranch(a.Branches[i], b.Branches[i])) return false;
    return true;
}

// The highest class rank of the defenders still out (0 when none).
std::uint8_t DefendersTop(const Engine& e) {
    return HighestLeft(e, hand::Defenders);
}

// The lowest class of hand h above rank r, or 0.
std::uint8_t LowestAbove(const Engine& e, std::uint8_t h, std::uint8_t r) {
    const ClassTables& t = e.classes;
    for (std::uint8_t i = t.ClassCount[h]; i > 0; --i) {
        const std::uint8_t c = t.ClassList[h][i - 1];
        if (e.play.Remaining[c] > 0 && c > r) return c;
    }
    return 0;
}

// A trick start that cashing the winners passes: the position, the tricks
// North-South have won so far (they decide whether the target is reached)
// and whether North is on lead (it decides which hand cashes first), which
// the key of the position may leave out.
struct CashStart {
    TrickStartKey Position;
    std::uint8_t Won = 0;
    bool NorthOnLead = false;
    friend bool operator==(const CashStart&, const CashStart&) = default;
};

struct CashStartHash {
    std::size_t operator()(const CashStart& k) const {
        const std::size_t h = TrickStartKeyHash{}(k.Position);
        return h ^ (std::size_t{k.Won} << 1 | (k.NorthOnLead ? 1u : 0u)) * 0x9E3779B97F4A7C15u;
    }
};

class PlanBuilder {
  public:
    PlanBuilder(const Engine& source, const DynamicEvaluation& dyn, const PlanOptions& options)
        : host_(), e_(host_, source), dyn_(dyn), options_(options) {
        e_.ResetPlay();
        const Holding& discards = e_.GetDiscards();
        north_ = HoldingMinus(e_.GetNorth(), discards).str();
        south_ = HoldingMinus(e_.GetSouth(), discards).str();
        defenders_ = e_.GetEWCards().str();
    }

    LinePlan Build(const Val& lineVal) {
        LinePlan lp;
        lp.EntriesLimited = e_.GetEntries() < north_.size();
        Dom all;
        PossibleDivs(e_, all);
        if (all.size() != lineVal.size()) return lp; // no such line
        Eval target = MakeEval(host_, all, lineVal);
        lp.Root = Decide(target, true);
        Dom withProbability;
        for (std::uint8_t x : all)
            if (e_.DivProb(x) > 0) withProbability.push_back(x);
        Weigh(lp.Root, 0, withProbability);
        SortBranches(lp.Root);
        FillPlanPositions(lp.Root, north_, south_, defenders_, e_.GetEntries());
        lp.Complete = complete_;
        lp.Decisions = decisions_;
        return lp;
    }

  private:
    // The real cards of hand h (hand::North, South or Defenders) of class code.
    std::string& HandCards(std::uint8_t h) {
        return h == hand::North ? north_ : h == hand::South ? south_ : defenders_;
    }
    std::uint8_t CodeOf(char c) const {
        return static_cast<std::uint8_t>(RankValue(e_.ClassRepresentative(c)));
    }
    // The cards of the class still unplayed in the hand, highest first.
    std::string ClassCards(std::uint8_t h, std::uint8_t code) {
        std::string out;
        for (char c : HandCards(h))
            if (CodeOf(c) == code) out += c;
        return out;
    }

    // The divisions of target that the defenders' cards so far leave possible.
    bool AnyProbability(const Dom& d) const {
        for (std::uint8_t x : d)
            if (e_.DivProb(x) > 0) return true;
        return false;
    }

    // The line's target, as after the play-through's check at a declarer's
    // decision: which codes are on the line. When a defender's card gave
    // more away and only one way on is left that takes at least the target
    // everywhere and more somewhere, the target rises to it.
    std::array<bool, FirstShowOut + 1> OnLine(Eval& target, bool root) {
        std::array<bool, FirstShowOut + 1> on{};
        if (root) {
            for (std::uint8_t code = 1; code <= FirstShowOut; ++code) {
                if (!e_.Play(code)) continue;
                on[code] = HasStrategyAtLeast(host_, dyn_.FirstCardSet(code), target);
                e_.UndoPlay();
            }
            return on;
        }
        DeclarerCards cards = SolveDeclarerCards(e_, table_, target);
        RaiseToSingleBest(host_, target, StrategiesAtLeast(host_, cards.All, target), cards.OnLine);
        for (std::uint8_t code = 1; code <= FirstShowOut; ++code)
            on[code] = !cards.OnLine[code].empty();
        return on;
    }

    // Declarer's card among those on the line: as third hand the lowest; at a
    // lead, from the hand that needs no entry first, its highest winner, else
    // its lowest card.
    std::uint8_t Choose(const std::array<bool, FirstShowOut + 1>& on) {
        if (e_.play.Seat != seat::None) {
            // Third hand: win the trick as cheaply as the line allows, unless
            // partner's card wins it already; else the lowest card.
            const std::uint8_t current = e_.play.Highest[e_.play.CardIndex - 1];
            // (A card that no defenders' card still out is below cannot win.)
            const std::uint8_t floor = std::max(current, LowestLeft(e_, hand::Defenders));
            if (e_.classes.Owner[current] == hand::Defenders || current < DefendersTop(e_))
                for (std::uint8_t code = static_cast<std::uint8_t>(floor + 1); code <= 13; ++code)
                    if (on[code]) return code;
            for (std::uint8_t code = 1; code <= FirstShowOut; ++code)
                if (on[code]) return code;
            return 0;
        }
        std::array<std::uint8_t, 2> hands{hand::South, hand::North};
        if (e_.play.NorthOnLead(e_.classes)) hands = {hand::North, hand::South};
        const std::uint8_t top = DefendersTop(e_);
        for (std::uint8_t h : hands) {
            const ClassTables& t = e_.classes;
            for (std::uint8_t i = 0; i < t.ClassCount[h]; ++i) {
                const std::uint8_t c = t.ClassList[h][i];
                if (c > top && on[c]) return c;
            }
            for (std::uint8_t i = t.ClassCount[h]; i > 0; --i) {
                const std::uint8_t c = t.ClassList[h][i - 1];
                if (on[c]) return c;
            }
        }
        return 0;
    }

    // Whether cashing the winners (CashPolicyCode) takes the target on every
    // division still possible, against every defence.
    bool CashReaches(const Eval& target) {
        std::array<std::int16_t, 256> want{};
        want.fill(-1);
        for (std::size_t i = 0; i < target.Dom.size(); ++i)
            want[target.Dom[i]] = target.Val[i];
        memo_.clear();
        return CashFrom(want);
    }

    bool TargetReached(const std::array<std::int16_t, 256>& want) {
        Dom d;
        PossibleDivs(e_, d);
        const int tricks = e_.NSTricks();
        for (std::uint8_t x : d)
            if (want[x] > tricks) return false;
        return true;
    }

    bool CashFrom(const std::array<std::int16_t, 256>& want) {
        if (TargetReached(want)) return true;
        const bool atStart = e_.play.Seat == seat::None;
        CashStart key;
        if (atStart) {
            key = {KeyOfTrickStart(e_), e_.NSTricks(), e_.play.NorthOnLead(e_.classes)};
            if (auto it = memo_.find(key); it != memo_.end()) return it->second;
        }
        bool ok = true;
        const std::uint8_t s = e_.play.Seat;
        if (s == seat::None || SeatOwner[s] != hand::Defenders) {
            const std::uint8_t code = CashPolicyCode(e_);
            if (code == 0 || !e_.Play(code)) {
                ok = false; // the play is over (or blocked) short of the target
            } else {
                ok = CashFrom(want);
                e_.UndoPlay();
            }
        } else {
            for (std::uint8_t code = 1; code <= FirstShowOut && ok; ++code) {
                if (!e_.Play(code)) continue;
                Dom d;
                PossibleDivs(e_, d);
                if (!d.empty()) ok = CashFrom(want);
                e_.UndoPlay();
            }
        }
        if (atStart) memo_[key] = ok;
        return ok;
    }

    // The plan from a declarer's decision (a lead or third hand) on, for the
    // target on the divisions still possible.
    Plan Decide(Eval target, bool root) {
        Plan p;
        const bool lead = e_.play.Seat == seat::None;
        if (lead && !root) {
            bool done = true;
            const std::uint8_t tricks = e_.NSTricks();
            for (std::uint8_t v : target.Val)
                if (v > tricks) done = false;
            if (done) {
                p.End = PlanEnd::Done;
                return p;
            }
            if (CashReaches(target)) {
                p.End = PlanEnd::Cash;
                return p;
            }
        }
        if (decisions_ >= options_.MaxDecisions) {
            p.End = PlanEnd::Unexplored;
            complete_ = false;
            return p;
        }
        ++decisions_;
        const auto on = OnLine(target, root);
        const std::uint8_t code = Choose(on);
        if (code == 0) {
            p.End = PlanEnd::Done; // nothing can be played: the play is over
            return p;
        }

        PlanStep step;
        step.Trick = e_.play.Trick;
        step.Position = e_.PositionInTrick();
        std::uint8_t h = lead ? e_.classes.Owner[code] : SeatOwner[e_.play.Seat];
        step.Hand = h;
        std::string& cards = HandCards(h);
        char real = '-';
        if (code != FirstShowOut) {
            // Small cards from the bottom, higher ones from the top (the queen
            // of QJ10).
            const std::string cls = ClassCards(h, code);
            real = cls.empty() ? '?' : cls.front();
            if (!cls.empty() && cls.back() == cards.back() && RankValue(cls.back()) <= 7)
                real = cls.back();
            // A card that does not beat the trick so far: the lowest of its equals.
            if (!lead && !cls.empty() && code < e_.play.Highest[e_.play.CardIndex - 1])
                real = cls.back();
            RemoveCard(real, cards);
        }
        step.Card = real;
        if (!e_.Play(code)) InternalError(host_, InternalErrorCode::PlanCardRefused);
        const std::string trickBefore = trick_;
        trick_ += real;

        // The defender's card that follows, and the plan after each.
        std::vector<PlanBranch> branches;
        const std::uint8_t defSeat = e_.play.Seat;
        for (std::uint8_t dc = 1; dc <= FirstShowOut; ++dc) {
            if (!e_.Play(dc)) continue;
            Dom d;
            PossibleDivs(e_, d);
            if (AnyProbability(d)) {
                std::string group =
                    dc == FirstShowOut ? std::string("-") : ClassCards(hand::Defenders, dc);
                char removed = '-';
                if (dc != FirstShowOut && !group.empty()) {
                    removed = group.front();
                    RemoveCard(removed, defenders_);
                }
                const std::string trickMid = trick_;
                trick_ += removed;
                if (e_.play.Seat == seat::None) trick_.clear();
                PlanBranch b;
                b.Seat = defSeat;
                b.Cards = group;
                b.Then = Decide(RestrictedTarget(target, d), false);
                trick_ = trickMid;
                if (removed != '-') {
                    defenders_ += removed;
                    std::sort(defenders_.begin(), defenders_.end(),
                              [](char x, char y) { return IsHigher(x, y); });
                }
                // Merge with an earlier branch of the same plan.
                bool merged = false;
                for (PlanBranch& o : branches) {
                    if (SamePlan(o.Then, b.Then)) {
                        o.Cards += b.Cards;
                        merged = true;
                        break;
                    }
                }
                if (!merged) branches.push_back(std::move(b));
            }
            e_.UndoPlay();
        }
        e_.UndoPlay();
        trick_ = trickBefore;
        cards += real == '-' || real == '?' ? std::string() : std::string(1, real);
        std::sort(cards.begin(), cards.end(), [](char x, char y) { return IsHigher(x, y); });

        for (PlanBranch& b : branches) {
            // Show-outs last, the cards highest first.
            std::sort(b.Cards.begin(), b.Cards.end(), [](char x, char y) {
                if (x == '-' || y == '-') return y == '-' && x != '-';
                return IsHigher(x, y);
            });
        }
        if (branches.size() == 1) {
            Plan rest = std::move(branches.front().Then);
            p.Steps.push_back(std::move(step));
            for (PlanStep& s : rest.Steps)
                p.Steps.push_back(std::move(s));
            p.End = rest.End;
            return p;
        }
        step.Branches = std::move(branches);
        p.End = step.Branches.empty() ? PlanEnd::Done : PlanEnd::Branches;
        p.Steps.push_back(std::move(step));
        return p;
    }

    // The branches' weights: each layout goes the way the defenders' natural
    // cards take it, second hand low, fourth hand winning the trick as
    // cheaply as it can, else low. share_ gets, for every branch, how likely
    // it is among its step's branches once the play has come that far.
    void Weigh(Plan& p, std::size_t i, const Dom& divs) {
        if (i >= p.Steps.size()) return;
        PlanStep& s = p.Steps[i];
        if (!e_.Play(s.Card == '-' ? FirstShowOut : CodeOf(s.Card))) return;
        Dom all;
        PossibleDivs(e_, all);
        const std::array<Dom, FirstShowOut + 1> byCard = NaturalCards(all);
        auto probability = [&](const Dom& d) {
            std::int64_t sum = 0;
            for (std::uint8_t x : d)
                sum += e_.DivProb(x);
            return static_cast<double>(sum) / static_cast<double>(e_.ProbDenominator());
        };
        // The natural divisions among divs that come with card dc.
        auto along = [&](std::uint8_t dc) {
            Dom d;
            for (std::uint8_t x : divs)
                if (std::find(byCard[dc].begin(), byCard[dc].end(), x) != byCard[dc].end())
                    d.push_back(x);
            return d;
        };
        if (s.Branches.empty()) {
            for (std::uint8_t dc = 1; dc <= FirstShowOut; ++dc) {
                if (byCard[dc].empty() || !e_.Play(dc)) continue;
                Weigh(p, i + 1, along(dc));
                e_.UndoPlay();
            }
        }
        for (PlanBranch& b : s.Branches) {
            bool visited = false;
            for (std::uint8_t dc = 1; dc <= FirstShowOut; ++dc) {
                const bool in = std::any_of(b.Cards.begin(), b.Cards.end(), [&](char c) {
                    return c == '-' ? dc == FirstShowOut : CodeOf(c) == dc;
                });
                if (!in || byCard[dc].empty() || !e_.Play(dc)) continue;
                const Dom d = along(dc);
                share_[&b] += probability(byCard[dc]);
                b.Weight += probability(d);
                Weigh(b.Then, 0, d);
                e_.UndoPlay();
                visited = true;
            }
            // A branch no natural card leads to: its own branches are still
            // put in order.
            const char first = b.Cards.empty() ? '-' : b.Cards.front();
            if (!visited && e_.Play(first == '-' ? FirstShowOut : CodeOf(first))) {
                Weigh(b.Then, 0, Dom());
                e_.UndoPlay();
            }
        }
        e_.UndoPlay();
    }

    // The divisions of divs by the card the defender to play would play
    // naturally in each.
    std::array<Dom, FirstShowOut + 1> NaturalCards(const Dom& divs) {
        std::array<std::array<bool, FirstShowOut + 1>, 256> can{};
        for (std::uint8_t dc = 1; dc <= FirstShowOut; ++dc) {
            if (!e_.Play(dc)) continue;
            Dom d;
            PossibleDivs(e_, d);
            for (std::uint8_t x : d)
                can[x][dc] = true;
            e_.UndoPlay();
        }
        const std::uint8_t current = e_.play.Highest[e_.play.CardIndex - 1];
        const bool beat = e_.PositionInTrick() == 3 && e_.classes.Owner[current] != hand::Defenders;
        std::array<Dom, FirstShowOut + 1> out;
        for (std::uint8_t x : divs) {
            std::uint8_t pick = 0;
            for (std::uint8_t dc = static_cast<std::uint8_t>(current + 1);
                 beat && dc <= 13 && !pick; ++dc)
                if (can[x][dc]) pick = dc;
            for (std::uint8_t dc = 1; dc <= FirstShowOut && !pick; ++dc)
                if (can[x][dc]) pick = dc;
            if (pick) out[pick].push_back(x);
        }
        return out;
    }

    void SortBranches(Plan& p) {
        for (PlanStep& s : p.Steps) {
            // The likeliest first, once the play has come that far.
            std::vector<std::pair<double, std::size_t>> order;
            for (std::size_t k = 0; k < s.Branches.size(); ++k)
                order.push_back({share_[&s.Branches[k]], k});
            std::stable_sort(order.begin(), order.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            std::vector<PlanBranch> sorted;
            for (const auto& [share, k] : order)
                sorted.push_back(std::move(s.Branches[k]));
            s.Branches = std::move(sorted);
            for (PlanBranch& b : s.Branches)
                SortBranches(b.Then);
        }
    }

    Eval RestrictedTarget(const Eval& e, const Dom& d) {
        return MakeEval(host_, d, RestrictVal(host_, e.Dom, e.Val, d));
    }

    SilentHost host_;
    Engine e_;
    const DynamicEvaluation& dyn_;
    PlanOptions options_;
    TrickStartTable table_;
    std::unordered_map<CashStart, bool, CashStartHash> memo_;
    std::unordered_map<const PlanBranch*, double> share_;
    std::string north_, south_, defenders_; // unplayed real cards, highest first
    std::string trick_;                     // real cards of the trick so far
    std::size_t decisions_ = 0;
    bool complete_ = true;
};

struct Replay {
    std::string north, south, defenders, trick;
    std::uint8_t trickNo = 1;
    std::uint8_t leadHand = hand::None;
    std::uint8_t previousWinner = hand::None;
    std::uint8_t entries = 0;

    std::string& Cards(std::uint8_t h) {
        return h == hand::North ? north : h == hand::South ? south : defenders;
    }
    void Add(char c, std::uint8_t h) {
        if (c != '-' && c != 0) RemoveCard(c, Cards(h));
        if (trick.empty()) {
            leadHand = h;
            if (h == hand::North && previousWinner != hand::North && entries > 0) --entries;
        }
        trick += c;
        if (trick.size() == 4) {
            std::size_t best = 0;
            for (std::size_t i = 1; i < 4; ++i)
                if (trick[i] != '-' && (trick[best] == '-' || IsHigher(trick[i], trick[best])))
                    best = i;
            const std::uint8_t partner = leadHand == hand::North ? hand::South : hand::North;
            previousWinner = best == 0 ? leadHand : best == 2 ? partner : hand::Defenders;
            trick.clear();
            ++trickNo;
        }
    }
    // The defender's card when the plan does not branch on it: one of the
    // lowest class.
    char AnyDefendersCard() const { return GroupCard(defenders); }
};

void FillPlan(Plan& p, Replay r) {
    for (PlanStep& s : p.Steps) {
        s.Trick = r.trickNo;
        s.Position = static_cast<std::uint8_t>(r.trick.size());
        s.NorthLeft = r.north;
        s.SouthLeft = r.south;
        s.DefendersLeft = r.defenders;
        s.TrickSoFar = r.trick;
        s.PreviousWinner = r.previousWinner;
        s.EntriesLeft = r.entries;
        r.Add(s.Card, s.Hand);
        if (s.Branches.empty()) {
            r.Add(r.AnyDefendersCard(), hand::Defenders);
            continue;
        }
        for (PlanBranch& b : s.Branches) {
            Replay rb = r;
            rb.Add(GroupCard(b.Cards), hand::Defenders);
            FillPlan(b.Then, rb);
        }
    }
}

} // namespace

void FillPlanPositions(Plan& plan, std::string_view north, std::string_view south,
                       std::string_view defenders, std::uint8_t entries) {
    Replay r;
    r.north = north;
    r.south = south;
    r.defenders = defenders;
    r.entries = entries;
    FillPlan(plan, r);
}

char GroupCard(std::string_view cards) {
    std::size_t i = cards.find_last_not_of('-');
    if (i == std::string_view::npos) return '-';
    while (i > 0 && RankValue(cards[i - 1]) == RankValue(cards[i]) + 1)
        --i;
    return cards[i];
}

bool SamePlan(const Plan& a, const Plan& b) {
    if (a.End != b.End || a.Steps.size() != b.Steps.size()) return false;
    for (std::size_t i = 0; i < a.Steps.size(); ++i)
        if (!SameStep(a.Steps[i], b.Steps[i])) return false;
    return true;
}

std::uint8_t CashPolicyCode(const Engine& e) {
    const PlayState& p = e.play;
    if (p.Seat == seat::None) {
        std::uint8_t h = hand::South;
        if (p.NorthOnLead(e.classes)) h = hand::North;
        if (HighestLeft(e, h) == 0) h = h == hand::North ? hand::South : hand::North;
        const std::uint8_t c = HighestLeft(e, h);
        return c != 0 && e.CanPlayCard(c) ? c : 0;
    }
    const std::uint8_t h = SeatOwner[p.Seat];
    if (h == hand::Defenders) return 0;
    if (e.CardsLeft(h) == 0) return FirstShowOut;
    const std::uint8_t current = p.Highest[p.CardIndex - 1];
    const std::uint8_t top = DefendersTop(e);
    const std::uint8_t lowest = LowestLeft(e, h);
    if (e.classes.Owner[current] != hand::Defenders && current > top) return lowest;
    const std::uint8_t win = LowestAbove(e, h, std::max(current, top));
    return win != 0 ? win : lowest;
}

LinePlan BuildPlan(const Engine& engine, const DynamicEvaluation& dyn, const Val& lineVal,
                   const PlanOptions& options) {
    PlanBuilder b(engine, dyn, options);
    return b.Build(lineVal);
}

LinePlan BuildLinePlan(Analysis& analysis, int i, const PlanOptions& options) {
    if (i < 1 || i > analysis.LineCount()) return {};
    const ProbLine* s = analysis.GetLines().GetLine(i);
    if (s == nullptr) return {};
    return BuildPlan(analysis.GetEngine(), analysis.GetDynamicEvaluation(), s->Val, options);
}

} // namespace nvx
