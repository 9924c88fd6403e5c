#include "results/line_filter.h"

#include <algorithm>

namespace nvx {
namespace {

constexpr int Width = MaxTricks + 1;

// Per division and trick count, a line's part of a payoff: what it gains
// over `other` (gaining) or what `other` gains over it, times the weight.
std::vector<std::int32_t> PayoffRows(const PayoffTable& payoff, const Val& line,
                                     std::span<const std::int32_t> divProb, bool gaining) {
    std::vector<std::int32_t> rows(line.size() * Width);
    for (std::size_t p = 0; p < line.size(); ++p)
        for (int t = 0; t < Width; ++t)
            rows[p * Width + t] =
                (gaining ? payoff.TablePayoff(line[p], t) : payoff.TablePayoff(t, line[p])) *
                divProb[p];
    return rows;
}

// The payoff the rows stand for, against (or of) v.
std::int32_t SumRows(const std::vector<std::int32_t>& rows, const Val& v) {
    std::int32_t sum = 0;
    for (std::size_t p = 0; p < v.size(); ++p)
        sum += rows[p * Width + std::min<int>(v[p], MaxTricks)];
    return sum;
}

bool HasLine(const std::vector<Val>& lines, const Val& v) {
    return std::find(lines.begin(), lines.end(), v) != lines.end();
}

} // namespace

std::uint8_t FewestSureTricks(Host& host, const LineSet& s, std::span<const std::int32_t> divProb) {
    std::uint8_t fewest = MaxTricks;
    for (const Term& t : s) {
        const Eval worst = MinEval(host, t);
        for (std::size_t p = 0; p < worst.Dom.size() && p < worst.Val.size(); ++p)
            if (worst.Dom[p] < divProb.size() && divProb[worst.Dom[p]] > 0)
                fewest = std::min(fewest, worst.Val[p]);
    }
    return fewest;
}

std::uint8_t MostTricks(const LineSet& s) {
    std::uint8_t most = 0;
    for (const Term& t : s)
        for (std::uint8_t v : t.MaxEval.Val)
            most = std::max(most, v);
    return most;
}

// What does not change while strategies are noted.
struct OptimalLineFilter::Shared {
    PayoffTable payoff;
    std::vector<std::int32_t> divProb;
    std::int32_t total;
    int firstGoal; // goals below it are met by every line
    // Every division has weight. Else a strategy at least as high as one
    // that a reference dominates may make a goal in more divisions of no
    // weight, and the reference not dominate it: dominance is not asked.
    bool allWeighted;
    // Per watched line, what a strategy gains against it.
    std::vector<std::vector<std::int32_t>> beaten, worst;
};

// The filter as it stands.
class OptimalLineFilter::State final : public StrategyFilter::Test {
  public:
    // A strategy noted as the best so far for some goal, with what it gains
    // over any strategy.
    struct Reference {
        ProbLine line;
        std::vector<std::int32_t> gains;
    };

    explicit State(std::shared_ptr<const Shared> shared)
        : shared_(std::move(shared)), worstAtLeast_(shared_->worst.size(), 1) {}

    bool Admits(Host& host, const Val& v) const override {
        const Shared& sh = *shared_;
        if (v.size() != sh.divProb.size()) return true;
        // Most strategies are beaten on average by a reference, and are not
        // among the best for any goal: that is asked first.
        if (std::none_of(references_.begin(), references_.end(),
                         [&](const auto& r) { return SumRows(r->gains, v) > 0; }))
            return true; // it may be payoff-best
        // Best for some goal that counts so far, and no reference dominates it.
        const GoalWeights g = GoalWeightsOf(v, sh.divProb);
        bool best = g[0] >= best_[0];
        for (int k = sh.firstGoal; k <= MaxTricks && !best; ++k)
            best = g[k] > 0 && g[k] >= best_[k];
        if (best) {
            ProbLine s;
            s.Val = v;
            s.GoalWeight = g;
            if (!sh.allWeighted ||
                std::none_of(references_.begin(), references_.end(), [&](const auto& r) {
                    return CompareGoals(host, r->line, s, sh.total) == '>';
                }))
                return true;
        }
        // It may beat a watched line, or be a watched line's worst opponent.
        for (std::size_t i = 0; i < sh.beaten.size(); ++i)
            if (SumRows(sh.beaten[i], v) > 0) return true;
        for (std::size_t i = 0; i < sh.worst.size(); ++i)
            if (SumRows(sh.worst[i], v) >= worstAtLeast_[i]) return true;
        return false;
    }

  private:
    friend class OptimalLineFilter;
    std::shared_ptr<const Shared> shared_;
    GoalWeights best_{};
    // The newest first: the best so far beat or dominate the most.
    std::vector<std::shared_ptr<const Reference>> references_;
    std::vector<std::int32_t> worstAtLeast_;
};

OptimalLineFilter::OptimalLineFilter(const PayoffTable& payoff,
                                     std::span<const std::int32_t> divProb, std::int32_t total,
                                     std::uint8_t fewestSure, const WatchedLines& watched) {
    auto shared = std::make_shared<Shared>();
    shared->payoff = payoff;
    shared->divProb.assign(divProb.begin(), divProb.end());
    shared->total = total;
    shared->firstGoal = fewestSure + 1;
    shared->allWeighted =
        std::all_of(divProb.begin(), divProb.end(), [](std::int32_t w) { return w > 0; });
    for (const Val& l : watched.Beaten)
        shared->beaten.push_back(PayoffRows(payoff, l, divProb, false));
    for (const Val& l : watched.Worst)
        shared->worst.push_back(PayoffRows(payoff, l, divProb, false));
    shared_ = shared;
    now_ = std::make_shared<State>(shared_);
}

bool OptimalLineFilter::Applies(const PayoffTable& payoff, std::uint8_t mostTricks) {
    for (int i = 1; i <= mostTricks; ++i)
        for (int j = 0; j <= mostTricks; ++j)
            if (payoff.TablePayoff(i, j) < payoff.TablePayoff(i - 1, j)) return false;
    return true;
}

std::shared_ptr<const StrategyFilter::Test> OptimalLineFilter::Now() const {
    return now_;
}

void OptimalLineFilter::Note(Host&, const Val& v) {
    const Shared& sh = *shared_;
    if (v.size() != sh.divProb.size()) return;
    ProbLine s = NewProbLine(v, sh.divProb);
    std::shared_ptr<State> next;
    const auto change = [&]() -> State& {
        if (!next) next = std::make_shared<State>(*now_);
        return *next;
    };
    bool better = s.GoalWeight[0] > now_->best_[0];
    for (int k = sh.firstGoal; k <= MaxTricks; ++k)
        better |= s.GoalWeight[k] > now_->best_[k];
    if (better) {
        State& n = change();
        for (int k = 0; k <= MaxTricks; ++k)
            n.best_[k] = std::max(n.best_[k], s.GoalWeight[k]);
        if (n.references_.size() < MaxReferences) {
            auto r = std::make_shared<State::Reference>();
            r->gains = PayoffRows(sh.payoff, v, sh.divProb, true);
            r->line = std::move(s);
            n.references_.insert(n.references_.begin(), std::move(r));
        }
    }
    for (std::size_t i = 0; i < sh.worst.size(); ++i) {
        const std::int32_t gain = SumRows(sh.worst[i], v);
        if (gain > now_->worstAtLeast_[i]) change().worstAtLeast_[i] = gain;
    }
    if (next) now_ = std::move(next);
}

FilteredLines CheckFilteredLines(const ProbLines& lines, int payoffBest, std::uint8_t fewestSure,
                                 WatchedLines& watched) {
    // The filter admits no line for being sure of few tricks: unless one of
    // the lines is sure of no more than any strategy, the fewest sure tricks
    // of all the lines are unknown.
    if (lines.GetMinK() != std::min<int>(MaxTricks, fewestSure + 1))
        return FilteredLines::NeedAllLines;
    bool more = false;
    for (const auto& l : lines.ProbList()) {
        if (!l->Chosen) continue;
        if (payoffBest > 0) {
            // A payoff-best line among these may be beaten by a strategy left out.
            if (l->WorstOpp == nullptr && !HasLine(watched.Beaten, l->Val)) {
                watched.Beaten.push_back(l->Val);
                more = true;
            }
        } else if (!HasLine(watched.Worst, l->Val)) {
            // Its worst opponent among these may not be the one among all.
            watched.Worst.push_back(l->Val);
            more = true;
        }
    }
    return more ? FilteredLines::WatchMore : FilteredLines::Exact;
}

} // namespace nvx
