#include "results/prob_lines.h"

#include "strategy/eval.h"
#include "strategy/parallel.h"

#include <algorithm>
#include <atomic>
#include <span>
#include <string>
#include <unordered_map>

namespace nvx {
namespace {

// How two lines' weights for the goals 1..13 compare, goal by goal.
struct AllKOrder {
    bool aAtLeastB = true;
    bool bAtLeastA = true;
};

AllKOrder CompareAllK(const ProbLine& a, const ProbLine& b) {
    AllKOrder o;
    for (int k = 1; k <= MaxTricks; ++k) {
        if (a.GoalWeight[k] < b.GoalWeight[k]) o.aAtLeastB = false;
        if (b.GoalWeight[k] < a.GoalWeight[k]) o.bAtLeastA = false;
    }
    return o;
}

// a is at least as good as b for every trick goal, made in the same
// divisions where equally likely.
bool GoalsAtLeast(Host& host, const ProbLine& a, const ProbLine& b, std::int32_t total) {
    return nvx::GoalsAtLeast(a.GoalWeight, b.GoalWeight, total, [&](int k) {
        return CompareValAtLeast(host, a.Val, b.Val, static_cast<std::uint8_t>(k)) == '=';
    });
}

bool Covers(const ProbLine& a, const ProbLine& b, const GoalWeights& best) {
    for (int k = 1; k <= MaxTricks; ++k)
        if (b.GoalWeight[k] == best[k] && a.GoalWeight[k] != best[k]) return false;
    return true;
}

// Lets the host handle its events, unless a stop has been requested already;
// true when one has (by now).
bool Interrupted(Host& host) {
    if (host.StopRequested()) return true;
    host.ProcessPendingEvents();
    return host.StopRequested();
}

bool PayoffBest(const ProbLine& s) {
    return s.WorstOpp == nullptr;
}

// The payoffs of one line against the others, as Payoff gives them (which
// reports odd Vals). With `tables`, every Val has the length of the division
// weights and no impossible trick count, and once the line has been compared
// with many others the payoffs come from two tables made for it: what it
// gains over b is the sum over the divisions p of row[p][b[p]], what b gains
// over it the sum of col[p][b[p]].
class LinePayoffs {
  public:
    LinePayoffs(Host& host, const PayoffTable& table, std::span<const std::int32_t> divProb,
                bool tables)
        : host_(host), table_(table), divProb_(divProb), tables_(tables) {}

    void SetLine(const Val& a) {
        a_ = &a;
        asked_ = 0;
        built_ = false;
    }
    // What the line gains over b.
    std::int32_t Against(const Val& b) {
        return UseTables() ? SumPayoffRows(row_, b) : Payoff(host_, table_, *a_, b, divProb_);
    }
    // What b gains over the line.
    std::int32_t From(const Val& b) {
        return UseTables() ? SumPayoffRows(col_, b) : Payoff(host_, table_, b, *a_, divProb_);
    }

    static bool Fits(const Val& v, std::size_t divs) {
        if (v.size() != divs) return false;
        return std::all_of(v.begin(), v.end(), [](std::uint8_t t) { return t <= MaxTricks; });
    }

  private:
    // Most lines meet a line that beats them within a few comparisons, and
    // making the tables costs as much as some thirty payoffs.
    static constexpr int AskedBeforeTables = 16;

    bool UseTables() {
        if (built_) return true;
        if (!tables_ || ++asked_ <= AskedBeforeTables) return false;
        row_ = PayoffRows(table_, *a_, divProb_, true);
        col_ = PayoffRows(table_, *a_, divProb_, false);
        built_ = true;
        return true;
    }

    Host& host_;
    const PayoffTable& table_;
    std::span<const std::int32_t> divProb_;
    bool tables_; // every line is over all divisions, with at most MaxTricks
    const Val* a_ = nullptr;
    int asked_ = 0;
    bool built_ = false;
    std::vector<std::int32_t> row_, col_;
};

} // namespace

GoalWeights GoalWeightsOf(const Val& val, std::span<const std::int32_t> divProb) {
    GoalWeights g{};
    for (std::size_t p = 0; p < val.size(); ++p) {
        const std::int32_t w = p < divProb.size() ? divProb[p] : 0;
        g[std::min<int>(val[p], MaxTricks)] += w;
    }
    // From "exactly k" to "at least k".
    for (int k = MaxTricks - 1; k >= 1; --k)
        g[k] += g[k + 1];
    g[0] = 0;
    for (int k = 1; k <= MaxTricks; ++k)
        g[0] += g[k];
    return g;
}

std::vector<std::size_t> WeightedDivisions(std::span<const std::int32_t> divProb) {
    std::vector<std::size_t> weighted;
    for (std::size_t p = 0; p < divProb.size(); ++p)
        if (divProb[p] > 0) weighted.push_back(p);
    return weighted;
}

std::string WeightedValues(const Val& val, std::span<const std::size_t> weighted) {
    std::string key(1, static_cast<char>(val.size()));
    for (const std::size_t p : weighted)
        key.push_back(p < val.size() ? static_cast<char>(val[p]) : '\0');
    return key;
}

ProbLine NewProbLine(const Val& val, std::span<const std::int32_t> divProb) {
    ProbLine s;
    s.Val = val;
    s.GoalWeight = GoalWeightsOf(val, divProb);
    return s;
}

bool CheckAllDivs(Host& host, std::size_t domLength, std::size_t numDivs) {
    if (domLength == numDivs) return true;
    InternalError(host, InternalErrorCode::NotAllDivisionsPresent);
    return false;
}

char CompareGoals(Host& host, const ProbLine& a, const ProbLine& b, std::int32_t totalWeight) {
    if (a.GoalWeight[0] == b.GoalWeight[0]) return '|';
    if (a.GoalWeight[0] > b.GoalWeight[0]) return GoalsAtLeast(host, a, b, totalWeight) ? '>' : '|';
    return GoalsAtLeast(host, b, a, totalWeight) ? '<' : '|';
}

char CmpAllKStrict(const ProbLine& a, const ProbLine& b) {
    const AllKOrder o = CompareAllK(a, b);
    if (o.aAtLeastB && !o.bAtLeastA) return '>';
    if (o.bAtLeastA && !o.aAtLeastB) return '<';
    return '|';
}

char CmpAllK(const ProbLine& a, const ProbLine& b) {
    const AllKOrder o = CompareAllK(a, b);
    if (o.aAtLeastB && o.bAtLeastA) return '=';
    return CmpAllKStrict(a, b);
}

char CmpCoversBest(const ProbLine& a, const ProbLine& b, const GoalWeights& best) {
    const bool ab = Covers(a, b, best);
    const bool ba = Covers(b, a, best);
    if (ab && ba) return '=';
    if (ab) return '>';
    if (ba) return '<';
    return '|';
}

// ---- the compute driver ------------------------------------------------------

void ProbLines::Clear() {
    list_.clear();
    best_ = {};
    minK_ = MaxTricks;
    maxK_ = 0;
    payoff_ = PayoffTable();
    divProb_.clear();
    denominator_ = 1;
}

bool ProbLines::ComputeOptimalLines(Host& host, const PayoffTable& payoff, std::vector<Val> vals,
                                    std::span<const std::int32_t> divProb,
                                    std::int32_t probDenominator, const ChoiceCheck& check) {
    Clear();
    payoff_ = payoff;
    divProb_.assign(divProb.begin(), divProb.end());
    denominator_ = probDenominator;

    // Each new line goes to the head of the list, so the list starts in the
    // reverse order of the Vals. A long list of Vals gives its memory back
    // as the lines take their place; a million lines take a while, and the
    // host handles its events meanwhile.
    list_.reserve(vals.size());
    while (!vals.empty()) {
        list_.push_back(std::make_unique<ProbLine>(NewProbLine(vals.back(), divProb_)));
        vals.pop_back();
        if (vals.size() >= 4096 && vals.size() * 2 < vals.capacity()) vals.shrink_to_fit();
        if (list_.size() % 16384 == 0) host.ProcessPendingEvents();
    }

    ComparePairs(host);
    ComputeBest();
    const int payoffBest = MarkOptimal();
    if (payoffBest > 0) {
        if (check && !check(*this, payoffBest)) return false;
        RecomputeWorst(host);
    } else {
        ComputeExactWorst(host);
        CloseUnderWorstOpp(host);
        if (check && !check(*this, payoffBest)) return false;
    }
    RemoveUnchosen();
    SortProbList(host);
    if (list_.size() > MaxDisplayedLines && !host.StopRequested()) {
        host.ShowMessage(MessageKind::Warning,
                         "There are " + std::to_string(list_.size()) +
                             " different optimal strategies: too many to display. " + "\r" +
                             "Some representatives will be chosen.");
        ChooseRepresentatives(host, payoffBest > 0);
    }
    NameLines();
    return true;
}

std::int32_t ProbLines::PayoffOf(Host& host, const ProbLine& a, const ProbLine& b) const {
    return Payoff(host, payoff_, a.Val, b.Val, divProb_);
}

// The payoff table is antisymmetric, so one payoff, p of a against b, serves
// both lines. Strictly lower only: on ties the first opponent in list order
// stays.
void ProbLines::UpdateWorst(ProbLine& a, ProbLine& b, std::int32_t p) const {
    if (p < a.Worst) {
        a.Worst = p;
        a.WorstOpp = &b;
    }
    if (-p < b.Worst) {
        b.Worst = -p;
        b.WorstOpp = &a;
    }
}

// Every line is compared with every other one: which lines another line
// dominates, and which line each line fares worst against. Done pair by pair
// that is quadratic in the number of lines, and a long suit can give tens of
// thousands; only the kept lines need their worst opponent, so this finds the
// dominated lines and, for every line, whether any line beats it, and the
// kept lines get their worst opponent later (ComputeExactWorst).
void ProbLines::ComparePairs(Host& host) {
    MarkDominated(host);
    FindBeaten(host);
}

// A line is dominated when another line beats it on expected tricks and is at
// least as good for every goal. Dominance is a strict order, so a dominated
// line is dominated by some undominated line, which has more expected tricks:
// taking the lines by expected tricks, most first, each needs comparing only
// with the undominated lines found so far. The lines go in blocks, compared
// on two threads with the undominated lines found when their block is
// reached, and then, in order here, with the ones found since.
void ProbLines::MarkDominated(Host& host) {
    std::vector<ProbLine*> order;
    order.reserve(list_.size());
    for (auto& s : list_)
        order.push_back(s.get());
    std::stable_sort(order.begin(), order.end(), [](const ProbLine* a, const ProbLine* b) {
        return a->GoalWeight[0] > b->GoalWeight[0];
    });
    // Room for every line, so that the lines found so far never move while
    // the other thread reads them; it reads the first `published` only.
    std::vector<const ProbLine*> undominated;
    undominated.reserve(order.size());
    const ProbLine* const* found = undominated.data();
    std::atomic<std::size_t> published{0};
    // Lines next to one another in the order tend to be dominated by the same
    // line: the last one found dominating (`last`, a position in found) is
    // tried first.
    const auto dominatedBy = [&](Host& h, ProbLine& a, std::size_t from, std::size_t to,
                                 std::size_t& last) {
        const auto dominates = [&](const ProbLine* m) {
            return m->GoalWeight[0] > a.GoalWeight[0] &&
                   CompareGoals(h, *m, a, denominator_) == '>';
        };
        // Only a line with more tricks on average dominates, and the lines
        // found come in the order: those with as many or fewer come last.
        const auto more = [&](const ProbLine* m) { return m->GoalWeight[0] > a.GoalWeight[0]; };
        to = static_cast<std::size_t>(std::partition_point(found + from, found + to, more) - found);
        if (last >= from && last < to && dominates(found[last])) {
            a.Dominated = true;
            return;
        }
        const ProbLine* const* m = std::find_if(found + from, found + to, dominates);
        a.Dominated = m != found + to;
        if (a.Dominated) last = static_cast<std::size_t>(m - found);
    };
    constexpr std::size_t Block = 64;
    const std::size_t blocks = (order.size() + Block - 1) / Block;
    std::vector<std::size_t> seen(blocks); // how many lines found each block was compared with
    const auto lines = [&](std::size_t b) {
        return std::span(order).subspan(b * Block, std::min(Block, order.size() - b * Block));
    };
    MakeAheadInOrder(
        host, blocks, blocks, 2,
        [&](std::size_t b, Host& h, unsigned) {
            seen[b] = published.load(std::memory_order_acquire);
            std::size_t last = 0;
            for (ProbLine* a : lines(b))
                dominatedBy(h, *a, 0, seen[b], last);
        },
        [&](std::size_t b) {
            std::size_t last = 0;
            for (ProbLine* a : lines(b)) {
                if (!a->Dominated) dominatedBy(host, *a, seen[b], undominated.size(), last);
                if (!a->Dominated) undominated.push_back(a);
            }
            published.store(undominated.size(), std::memory_order_release);
            return true;
        });
}

bool ProbLines::LinesFitTables() const {
    return std::all_of(list_.begin(), list_.end(), [this](const std::unique_ptr<ProbLine>& s) {
        return LinePayoffs::Fits(s->Val, divProb_.size());
    });
}

ProbLines::LineGroups ProbLines::PayoffGroups(bool chosenOnly) const {
    const std::size_t n = list_.size();
    const auto counted = [&](std::size_t i) { return !chosenOnly || list_[i]->Chosen; };
    std::size_t lines = 0;
    for (std::size_t i = 0; i < n; ++i)
        lines += counted(i) ? 1 : 0;
    const std::vector<std::size_t> weighted = WeightedDivisions(divProb_);
    // With every division of weight, the lines (distinct Vals) are groups of one.
    if (!groupLines_ || weighted.size() == divProb_.size()) return {};
    for (int i = 0; i <= MaxTricks; ++i)
        for (int j = 0; j <= MaxTricks; ++j)
            if (payoff_.TablePayoff(i, j) != -payoff_.TablePayoff(j, i)) return {};
    LineGroups g;
    g.of.assign(n, NoGroup);
    std::unordered_map<std::string, std::uint32_t> groups;
    for (std::size_t i = 0; i < n; ++i) {
        if (!counted(i)) continue;
        const auto [at, added] = groups.try_emplace(WeightedValues(list_[i]->Val, weighted),
                                                    static_cast<std::uint32_t>(groups.size()));
        if (added) g.first.push_back(i);
        g.of[i] = at->second;
        if (groups.size() * 4 > lines) return {};
    }
    return g;
}

// For every line, some line that beats it (the lines that have none are the
// payoff-best ones). A line that has beaten others is likely to beat the next
// one too, so the latest such lines are tried first. Before a line is
// compared with every line, whether any line beats it is asked of its group:
// one line of every other group answers for all of that group.
void ProbLines::FindBeaten(Host& host) {
    const std::size_t n = list_.size();
    LinePayoffs payoffs(host, payoff_, divProb_, LinesFitTables());
    std::vector<std::size_t> recent; // latest beaters first
    const LineGroups groups = PayoffGroups(false);
    const std::vector<std::uint32_t>& group = groups.of;
    enum class Beaten : std::uint8_t { Unknown, No, Yes };
    std::vector<Beaten> groupBeaten; // resized, as g++ 12 warns wrongly on the constructor
    groupBeaten.resize(groups.first.size(), Beaten::Unknown);
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 64 == 0 && Interrupted(host)) return;
        ProbLine& a = *list_[i];
        payoffs.SetLine(a.Val);
        // a's payoff against line j, computed as in a pairwise comparison in
        // list order: the earlier line of a pair is the one that gains.
        auto gain = [&](std::size_t j) {
            return j < i ? -payoffs.From(list_[j]->Val) : payoffs.Against(list_[j]->Val);
        };
        std::size_t beater = n;
        std::int32_t p = 0;
        for (std::size_t j : recent)
            if (j != i && (p = gain(j)) < 0) {
                beater = j;
                break;
            }
        bool scan = beater == n;
        if (scan && !group.empty()) {
            Beaten& known = groupBeaten[group[i]];
            if (known == Beaten::Unknown)
                known =
                    std::any_of(groups.first.begin(), groups.first.end(),
                                [&](std::size_t j) { return group[j] != group[i] && gain(j) < 0; })
                        ? Beaten::Yes
                        : Beaten::No;
            scan = known == Beaten::Yes;
        }
        for (std::size_t j = 0; scan && j < n && beater == n; ++j)
            if (j != i && (p = gain(j)) < 0) beater = j;
        a.Worst = beater < n ? p : 0;
        a.WorstOpp = beater < n ? list_[beater].get() : nullptr;
        if (beater < n) {
            std::erase(recent, beater);
            recent.insert(recent.begin(), beater);
            if (recent.size() > 8) recent.pop_back();
        }
    }
}

// Without payoff-best lines, the worst opponent of every kept line among all
// lines: the line it has the lowest payoff against, the first in list order of
// equal ones; and the worst opponents of those too, as far as the chain goes.
// A line's worst opponent depends on the lines' Vals alone, so the lines are
// taken in rounds, a round on two threads: the kept lines, then the worst
// opponents found in a round that are not yet done.
void ProbLines::ComputeExactWorst(Host& host) {
    const std::size_t n = list_.size();
    // Where the worst opponents stand, for following their chains.
    std::unordered_map<const ProbLine*, std::size_t> position;
    for (std::size_t i = 0; i < n; ++i)
        position[list_[i].get()] = i;
    std::vector<std::size_t> round;
    for (std::size_t i = 0; i < n; ++i)
        if (list_[i]->Chosen && list_[i]->WorstOpp != nullptr) round.push_back(i);
    std::vector<bool> exact(n, false);
    const bool tables = LinesFitTables();
    while (!round.empty()) {
        std::erase_if(round, [&](std::size_t i) { // each line once
            const bool done = exact[i];
            exact[i] = true;
            return done;
        });
        std::vector<std::size_t> next;
        MakeAheadInOrder(
            host, round.size(), round.size(), 2,
            [&](std::size_t k, Host& h, unsigned) { FindExactWorst(h, round[k], tables); },
            [&](std::size_t k) {
                const ProbLine* w = list_[round[k]]->WorstOpp;
                if (w != nullptr && !exact[position[w]]) next.push_back(position[w]);
                return true;
            });
        if (host.StopRequested()) return;
        round.swap(next);
    }
}

void ProbLines::FindExactWorst(Host& host, std::size_t i, bool tables) {
    LinePayoffs payoffs(host, payoff_, divProb_, tables);
    ProbLine& a = *list_[i];
    payoffs.SetLine(a.Val);
    a.Worst = 0;
    a.WorstOpp = nullptr;
    for (std::size_t j = 0; j < list_.size(); ++j) {
        if (j == i) continue;
        const std::int32_t p =
            j < i ? -payoffs.From(list_[j]->Val) : payoffs.Against(list_[j]->Val);
        if (p < a.Worst) {
            a.Worst = p;
            a.WorstOpp = list_[j].get();
        }
    }
}

void ProbLines::ComputeBest() {
    best_ = {};
    minK_ = MaxTricks;
    for (const auto& s : list_) {
        for (int k = 0; k <= MaxTricks; ++k)
            best_[k] = std::max(best_[k], s->GoalWeight[k]);
        int sure = 0;
        for (int k = MaxTricks; k >= 1; --k)
            if (s->GoalWeight[k] >= denominator_) {
                sure = k;
                break;
            }
        minK_ = static_cast<std::uint8_t>(std::min<int>(minK_, sure + 1));
    }
    maxK_ = 0;
    for (int k = MaxTricks; k >= 1; --k)
        if (best_[k] > 0) {
            maxK_ = static_cast<std::uint8_t>(k);
            break;
        }
}

// Keeps the payoff-best lines and the undominated lines that are best for some
// goal that counts; returns the number of payoff-best lines.
int ProbLines::MarkOptimal() {
    int n = 0;
    for (auto& s : list_) {
        if (PayoffBest(*s)) {
            s->Chosen = true;
            ++n;
        } else if (s->Dominated) {
            s->Chosen = false;
        } else {
            bool optimal = s->GoalWeight[0] == best_[0];
            for (int k = minK_; k <= maxK_ && !optimal; ++k)
                optimal = OptimalFor(*s, k);
            s->Chosen = optimal;
        }
    }
    return n;
}

// With payoff-best lines, a kept line's worst opponent is the kept line it
// has the lowest payoff against, the first in list order of equal ones (none
// when it has no negative payoff). Where its worst opponent among all lines is
// kept, that is the same line.
void ProbLines::RecomputeWorst(Host& host) {
    for (auto& s : list_)
        if (s->Chosen) {
            s->WorstOpp = nullptr;
            s->Worst = 0;
        }
    const std::size_t n = list_.size();
    LinePayoffs payoffs(host, payoff_, divProb_, LinesFitTables());
    if (const LineGroups groups = PayoffGroups(true); !groups.empty()) {
        // One payoff per pair of groups. Each line meets the others in list
        // order and keeps the first of the lowest: the first line of the
        // groups its own fares worst against.
        const std::vector<std::size_t>& first = groups.first;
        const std::size_t g = first.size();
        struct Worst {
            std::int32_t payoff = 0;
            std::size_t line = 0;
        };
        std::vector<Worst> worst(g, Worst{0, n});
        for (std::size_t a = 0; a < g; ++a) {
            if (host.StopRequested()) return;
            payoffs.SetLine(list_[first[a]]->Val);
            for (std::size_t b = 0; b < g; ++b) {
                if (b == a) continue;
                const std::int32_t p = payoffs.Against(list_[first[b]]->Val);
                if (p < worst[a].payoff) worst[a] = {p, first[b]};
            }
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (groups.of[i] == NoGroup) continue;
            const Worst& w = worst[groups.of[i]];
            list_[i]->Worst = w.payoff;
            list_[i]->WorstOpp = w.line < n ? list_[w.line].get() : nullptr;
        }
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        // After a stop request many lines may still be chosen; the results
        // are discarded, so the quadratic work is not worth waiting for.
        if (host.StopRequested()) break;
        ProbLine& a = *list_[i];
        if (!a.Chosen) continue;
        payoffs.SetLine(a.Val);
        for (std::size_t j = i + 1; j < n; ++j)
            if (list_[j]->Chosen) UpdateWorst(a, *list_[j], payoffs.Against(list_[j]->Val));
    }
}

// Without payoff-best lines: the line that beats a kept line most is kept too.
void ProbLines::CloseUnderWorstOpp(Host& host) {
    for (auto& s : list_) {
        if (!s->Chosen) continue;
        if (s->WorstOpp == nullptr) {
            InternalError(host, InternalErrorCode::WorstOpponentMissing);
            continue;
        }
        ProbLine* w = s->WorstOpp;
        while (w != nullptr && !w->Chosen) {
            w->Chosen = true;
            w = w->WorstOpp;
        }
        if (w == nullptr) InternalError(host, InternalErrorCode::WorstOpponentChainEnds);
    }
}

void ProbLines::ClearDanglingWorstOpp() {
    for (auto& s : list_)
        if (s->Chosen && s->WorstOpp != nullptr && !s->WorstOpp->Chosen) s->WorstOpp = nullptr;
}

void ProbLines::RemoveUnchosen() {
    std::erase_if(list_, [](const std::unique_ptr<ProbLine>& s) { return !s->Chosen; });
}

// Display order: the line optimal for the larger goal first, then payoff-best
// lines, then lines with the most expected tricks, then the larger Val. The
// flags make a key per line, compared before the Vals.
std::uint32_t ProbLines::SortKey(const ProbLine& s) const {
    std::uint32_t key = 0;
    for (int k = MaxTricks; k >= 1; --k)
        key = key * 2 + (OptimalFor(s, k) ? 1 : 0);
    key = key * 2 + (PayoffBest(s) ? 1 : 0);
    return key * 2 + (s.GoalWeight[0] == best_[0] ? 1 : 0);
}

void ProbLines::SortProbList(Host& host) {
    if (list_.empty()) {
        InternalError(host, InternalErrorCode::SortEmptyList);
        return;
    }
    // The order is a strict one, lexicographic in each line's own flags and
    // Val, and total on distinct Vals: any stable sort gives the order that
    // swapping neighbours until none is out of order gives, in n log n.
    // A stopped computation's lines are discarded unsorted: sorting thousands
    // of them would keep the user waiting after the interrupt.
    if (host.StopRequested()) return;
    const std::size_t n = list_.size();
    std::vector<std::uint32_t> key(n);
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) {
        key[i] = SortKey(*list_[i]);
        order[i] = i;
    }
    std::uint32_t compared = 0;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        // Hundreds of thousands of lines take a while.
        if (++compared % 65536 == 0) host.ProcessPendingEvents();
        if (key[a] != key[b]) return key[a] > key[b];
        const char c = CompareValOrder(host, list_[a]->Val, list_[b]->Val);
        if (c == '>') return true;
        if (c == '<') return false;
        InternalError(host, InternalErrorCode::SortOrderUndecided);
        return false;
    });
    LineList sorted;
    sorted.reserve(n);
    for (const std::size_t i : order)
        sorted.push_back(std::move(list_[i]));
    list_ = std::move(sorted);
}

namespace {

// What comparing a line a with a later line b does: drops a, drops b, or
// neither; a payoff-best line is never dropped for one that is not.
struct ThinOutStep {
    bool dropA = false, dropB = false;
};

ThinOutStep StepOf(char c, bool aBest, bool bBest) {
    switch (c) {
    case '=':
        return (bBest && !aBest) ? ThinOutStep{true, false} : ThinOutStep{false, true};
    case '>':
        return {false, !(bBest && !aBest)};
    case '<':
        return {!(aBest && !bBest), false};
    default:
        return {};
    }
}

} // namespace

void ProbLines::ThinOut(Host& host,
                        const std::function<char(const ProbLine&, const ProbLine&)>& cmp) {
    const std::size_t n = list_.size();
    if (ThinOutByClasses(host, cmp)) return;
    for (std::size_t i = 0; i < n; ++i) {
        ProbLine& a = *list_[i];
        if (!a.Chosen) continue;
        host.ProcessPendingEvents();
        // Goes on to the end even when a itself has been dropped.
        for (std::size_t j = i + 1; j < n; ++j) {
            ProbLine& b = *list_[j];
            if (!b.Chosen) continue;
            const ThinOutStep step = StepOf(cmp(a, b), PayoffBest(a), PayoffBest(b));
            if (step.dropA) a.Chosen = false;
            if (step.dropB) b.Chosen = false;
        }
    }
}

// ThinOut when the chosen lines fall into few classes: lines of one payoff
// group with the same payoff-best flag compare alike with any line. Taking a
// line drops every later line of the classes it drops, and drops the line
// itself when a later line of a class that drops it is still chosen; a line
// dropped as a later one is never taken. So the pairs need comparing once
// per pair of classes. False when the lines are not in few classes.
bool ProbLines::ThinOutByClasses(Host& host,
                                 const std::function<char(const ProbLine&, const ProbLine&)>& cmp) {
    const LineGroups groups = PayoffGroups(true);
    if (groups.empty()) return false;
    const std::vector<std::uint32_t>& group = groups.of;
    const std::size_t n = list_.size();
    std::vector<std::size_t> cls(n, 0), first, last;
    std::unordered_map<std::uint64_t, std::size_t> classOf;
    for (std::size_t i = 0; i < n; ++i) {
        if (group[i] == NoGroup) continue;
        const std::uint64_t key = std::uint64_t{group[i]} * 2 + (PayoffBest(*list_[i]) ? 1 : 0);
        const auto [at, added] = classOf.try_emplace(key, first.size());
        if (added) {
            first.push_back(i);
            last.push_back(i);
        }
        cls[i] = at->second;
        last[cls[i]] = i;
    }
    const std::size_t c = first.size();
    std::vector<ThinOutStep> step(c * c);
    for (std::size_t a = 0; a < c; ++a)
        for (std::size_t b = 0; b < c; ++b) {
            const ProbLine& la = *list_[first[a]];
            const ProbLine& lb = *list_[first[b]];
            step[a * c + b] = StepOf(cmp(la, lb), PayoffBest(la), PayoffBest(lb));
        }
    std::vector<bool> gone(c, false); // every line of the class from here on is dropped
    std::vector<std::size_t> dropped; // the classes the line at hand drops
    for (std::size_t i = 0; i < n; ++i) {
        if (group[i] == NoGroup) continue;
        ProbLine& a = *list_[i];
        if (gone[cls[i]]) {
            a.Chosen = false;
            continue;
        }
        if (i % 4096 == 0) host.ProcessPendingEvents();
        bool dropA = false;
        dropped.clear();
        for (std::size_t b = 0; b < c; ++b) {
            if (gone[b] || last[b] <= i) continue; // no later line of it is chosen
            const ThinOutStep& s = step[cls[i] * c + b];
            dropA |= s.dropA;
            if (s.dropB) dropped.push_back(b);
        }
        for (const std::size_t b : dropped)
            gone[b] = true;
        if (dropA) a.Chosen = false;
    }
    return true;
}

void ProbLines::ChooseRepresentatives(Host& host, bool hasPayoffBest) {
    const GoalWeights& best = best_;
    auto covers = [&best](const ProbLine& a, const ProbLine& b) {
        return CmpCoversBest(a, b, best);
    };
    const std::function<char(const ProbLine&, const ProbLine&)> passes[] = {CmpAllKStrict, CmpAllK,
                                                                            covers, covers};
    for (int pass = 0; pass < 4; ++pass) {
        ThinOut(host, passes[pass]);
        if (hasPayoffBest)
            RecomputeWorst(host);
        else if (pass < 3)
            CloseUnderWorstOpp(host);
        else
            ClearDanglingWorstOpp();
        RemoveUnchosen();
        if (list_.size() <= MaxDisplayedLines) return;
    }
}

void ProbLines::NameLines() {
    for (std::size_t i = 0; i < list_.size(); ++i)
        list_[i]->Name = i < 26 ? std::string(1, static_cast<char>('A' + i)) : std::string("?");
}

// ---- queries -------------------------------------------------------------------

const ProbLine* ProbLines::GetLine(int i) const {
    if (list_.empty()) return nullptr;
    if (i < 2) return list_.front().get();
    if (static_cast<std::size_t>(i) > list_.size()) return nullptr;
    return list_[i - 1].get();
}

std::string ProbLines::GetLineName(int i) const {
    const ProbLine* s = GetLine(i);
    return s ? s->Name : std::string();
}

std::uint8_t ProbLines::GetLineTricksAt(int i, std::size_t divNr) const {
    const ProbLine* s = GetLine(i);
    return s && divNr < s->Val.size() ? s->Val[divNr] : 0;
}

double ProbLines::Fraction(std::int64_t weight) const {
    return denominator_ > 0 ? static_cast<double>(weight) / denominator_ : 0.0;
}

double ProbLines::GetLineProb(int i, int k) const {
    const ProbLine* s = GetLine(i);
    if (!s || k < 0 || k > MaxTricks) return 0.0;
    return Fraction(s->GoalWeight[k]);
}

double ProbLines::GetBestProb(int k) const {
    if (k < 0 || k > MaxTricks) return 0.0;
    return Fraction(best_[k]);
}

std::vector<int> ProbLines::Positions(const std::function<bool(const ProbLine&)>& pick) const {
    std::vector<int> positions;
    for (std::size_t i = 0; i < list_.size(); ++i)
        if (pick(*list_[i])) positions.push_back(static_cast<int>(i) + 1);
    return positions;
}

std::vector<int> ProbLines::GetBestForGoal(int k) const {
    if (k < 0 || k > MaxTricks) return {};
    return Positions([&](const ProbLine& s) { return s.GoalWeight[k] >= best_[k]; });
}

std::vector<int> ProbLines::GetPayoffBest() const {
    return Positions([](const ProbLine& s) { return s.Worst == 0; });
}

LineBeaters ProbLines::GetBeaters(Host& host, int i) const {
    const ProbLine* line = GetLine(i);
    if (!line) return {};
    LineBeaters beaters;
    beaters.Lines = Positions([&](const ProbLine& p) { return PayoffOf(host, p, *line) > 0; });
    beaters.ByUnshownLine = beaters.Lines.empty() && line->Worst < 0;
    return beaters;
}

double ProbLines::GetPayoff(Host& host, int i, int j) const {
    const ProbLine* a = GetLine(i);
    const ProbLine* b = GetLine(j);
    if (!a || !b) return 0.0;
    return Fraction(PayoffOf(host, *a, *b));
}

// ---- the small-card limit ------------------------------------------------------

std::uint8_t
SmallCardClassRank(const ProbLines& lines, std::size_t numDivs,
                   std::span<const std::uint8_t> classRanks,
                   const std::function<std::uint8_t(std::uint8_t, std::uint8_t)>& mergedDivNr) {
    if (classRanks.empty()) return 0;
    // A rank that fails for one division fails for every higher rank too, so r
    // only ever moves down.
    std::size_t r = 0;
    for (const auto& line : lines.ProbList()) {
        const Val& v = line->Val;
        for (std::size_t d = 0; d < numDivs && d < v.size(); ++d) {
            while (r + 1 < classRanks.size()) {
                const std::size_t m = mergedDivNr(static_cast<std::uint8_t>(d), classRanks[r]);
                if (m >= v.size() || v[m] == v[d]) break;
                ++r;
            }
        }
    }
    return classRanks[r];
}

} // namespace nvx
