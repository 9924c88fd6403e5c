#include "results/line_filter.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nvx {
namespace {

constexpr int Width = MaxTricks + 1;

bool HasLine(const std::vector<Val>& lines, const Val& v) {
    return std::find(lines.begin(), lines.end(), v) != lines.end();
}

// Whether a strategy of s is a line: no strategy of s has a trick more in
// some division and as many in the others. The host handles its events now
// and then, as each division asks about every term.
bool IsLine(Host& host, const LineSet& s, const Val& v) {
    if (s.empty()) return false;
    Eval more{s.front().MaxEval.Dom, v};
    for (std::size_t p = 0; p < v.size(); ++p) {
        if (p % 8 == 7) host.ProcessPendingEvents();
        if (v[p] >= MaxTricks) continue;
        ++more.Val[p];
        if (HasStrategyAtLeast(host, s, more)) return false;
        --more.Val[p];
    }
    return true;
}

// The divisions where a Val makes a goal, as bits.
using GoalSet = std::array<std::uint64_t, (MaxDivisions + 63) / 64>;

GoalSet GoalSetOf(const Val& v, int k) {
    GoalSet set{};
    std::size_t p = 0;
#if defined(__SSE2__)
    const __m128i limit = _mm_set1_epi8(static_cast<char>(k));
    for (; p + 16 <= v.size(); p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v.data() + p));
        // x >= k exactly where max(x, k) == x (unsigned bytes).
        const auto bits = static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(x, limit), x)));
        set[p / 64] |= std::uint64_t{bits} << (p % 64);
    }
#endif
    for (; p < v.size(); ++p)
        if (v[p] >= k) set[p / 64] |= std::uint64_t{1} << (p % 64);
    return set;
}

// The goal sets of a Val judged, each made when first asked for.
class GoalSets {
  public:
    explicit GoalSets(const Val& v) : v_(v) {}
    const GoalSet& Of(int k) {
        if (!made_[k]) {
            sets_[k] = GoalSetOf(v_, k);
            made_[k] = true;
        }
        return sets_[k];
    }

  private:
    const Val& v_;
    std::array<GoalSet, MaxTricks + 1> sets_;
    std::array<bool, MaxTricks + 1> made_{};
};

// A strategy that judges others: its goal weights, and the divisions where
// it makes each goal.
struct Judge {
    GoalWeights weights;
    std::array<GoalSet, Width> sets{}; // from goal 1 on

    Judge(const Val& v, const GoalWeights& g) : weights(g) {
        for (int k = 1; k <= MaxTricks; ++k)
            sets[k] = GoalSetOf(v, k);
    }
    // Whether it dominates a strategy of goal weights g, as CompareGoals
    // says '>'; sameSets(k, set) tells whether that strategy makes goal k in
    // the divisions of set.
    template <class SameSets>
    bool Dominates(const GoalWeights& g, std::int32_t total, SameSets sameSets) const {
        return weights[0] > g[0] &&
               GoalsAtLeast(weights, g, total, [&](int k) { return sameSets(k, sets[k]); });
    }
    bool Dominates(GoalSets& v, const GoalWeights& g, std::int32_t total) const {
        return Dominates(g, total, [&](int k, const GoalSet& set) { return v.Of(k) == set; });
    }
    bool Dominates(const Judge& other, std::int32_t total) const {
        return Dominates(other.weights, total,
                         [&](int k, const GoalSet& set) { return other.sets[k] == set; });
    }
};

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
        Judge judge;
        std::vector<std::int32_t> gains;
    };

    explicit State(std::shared_ptr<const Shared> shared)
        : shared_(std::move(shared)), worstAtLeast_(shared_->worst.size(), 1) {}

    bool Admits(Host&, const Val& v) const override {
        if (fewestAt_ && *fewestAt_ < v.size() && v[*fewestAt_] < shared_->firstGoal) return true;
        return AdmitsAsRival(v);
    }

    bool AdmitsAsRival(const Val& v) const {
        const Shared& sh = *shared_;
        if (v.size() != sh.divProb.size()) return true;
        // Most strategies are beaten on average by a reference, and are not
        // among the best for any goal: that is asked first.
        if (std::none_of(references_.begin(), references_.end(),
                         [&](const auto& r) { return SumPayoffRows(r->gains, v) > 0; }))
            return true; // it may be payoff-best
        // Best for some goal that counts so far, and not dominated by a
        // reference or a dominator.
        const GoalWeights g = GoalWeightsOf(v, sh.divProb);
        if (AtLeastBest(g) && !Dominated(v, g)) return true;
        // It may beat a watched line, or be a watched line's worst opponent.
        for (std::size_t i = 0; i < sh.beaten.size(); ++i)
            if (SumPayoffRows(sh.beaten[i], v) > 0) return true;
        for (std::size_t i = 0; i < sh.worst.size(); ++i)
            if (SumPayoffRows(sh.worst[i], v) >= worstAtLeast_[i]) return true;
        return false;
    }

    // At least as good as the best so far for some goal that counts.
    bool AtLeastBest(const GoalWeights& g) const {
        if (g[0] >= best_[0]) return true;
        for (int k = shared_->firstGoal; k <= MaxTricks; ++k)
            if (g[k] > 0 && g[k] >= best_[k]) return true;
        return false;
    }
    // Some reference or dominator is at least as good as v for every goal,
    // and better for one. Never with divisions of no weight, where a
    // strategy at least as high as a dominated one may make a goal in more
    // of them.
    bool Dominated(const Val& v, const GoalWeights& g) const {
        if (!shared_->allWeighted) return false;
        const std::int32_t total = shared_->total;
        GoalSets sets(v);
        return std::any_of(references_.begin(), references_.end(),
                           [&](const auto& r) { return r->judge.Dominates(sets, g, total); }) ||
               std::any_of(dominators_.begin(), dominators_.end(),
                           [&](const auto& d) { return d->Dominates(sets, g, total); });
    }

  private:
    friend class OptimalLineFilter;
    std::shared_ptr<const Shared> shared_;
    GoalWeights best_{};
    // The newest first: the best so far beat or dominate the most.
    std::vector<std::shared_ptr<const Reference>> references_;
    // Strategies noted that were as good as the best so far for some goal
    // without being better for any, the newest first: they dominate only.
    std::vector<std::shared_ptr<const Judge>> dominators_;
    std::vector<std::int32_t> worstAtLeast_;
    // The division where a line sure of the fewest tricks is looked for.
    std::optional<std::uint8_t> fewestAt_;
};

OptimalLineFilter::OptimalLineFilter(const PayoffTable& payoff,
                                     std::span<const std::int32_t> divProb, std::int32_t total,
                                     std::uint8_t fewestSure, const WatchedLines& watched,
                                     std::span<const Val> known) {
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
    auto state = std::make_shared<State>(shared_);
    for (const Val& v : known) {
        if (v.size() != divProb.size() || state->references_.size() >= MaxReferences / 2) break;
        const GoalWeights g = GoalWeightsOf(v, divProb);
        auto r = std::make_shared<State::Reference>(
            State::Reference{Judge(v, g), PayoffRows(payoff, v, divProb, true)});
        for (int k = 0; k <= MaxTricks; ++k)
            state->best_[k] = std::max(state->best_[k], g[k]);
        for (std::size_t i = 0; i < shared->worst.size(); ++i)
            state->worstAtLeast_[i] =
                std::max(state->worstAtLeast_[i], SumPayoffRows(shared->worst[i], v));
        state->references_.push_back(std::move(r));
    }
    now_ = std::move(state);
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

bool OptimalLineFilter::AdmitsAsRival(const Val& v) const {
    return now_->AdmitsAsRival(v);
}

void OptimalLineFilter::LookForFewest(const FewestSearch& search) {
    fewest_ = search;
    auto next = std::make_shared<State>(*now_);
    next->fewestAt_ = search.division;
    now_ = std::move(next);
}

std::optional<std::uint8_t> FewestAtDivision(Host& host, const LineSet& s,
                                             std::span<const std::int32_t> divProb,
                                             std::uint8_t fewest) {
    std::vector<std::size_t> terms(divProb.size(), 0); // with such strategies, per division
    for (const Term& t : s) {
        const Eval worst = MinEval(host, t);
        for (std::size_t p = 0; p < worst.Dom.size() && p < worst.Val.size(); ++p)
            if (worst.Dom[p] < divProb.size() && worst.Val[p] <= fewest) ++terms[worst.Dom[p]];
    }
    std::optional<std::uint8_t> at;
    for (std::size_t d = 0; d < terms.size(); ++d)
        if (divProb[d] > 0 && terms[d] > 0 && (!at || terms[d] < terms[*at]))
            at = static_cast<std::uint8_t>(d);
    return at;
}

void OptimalLineFilter::Note(Host&, const Val& v) {
    const Shared& sh = *shared_;
    if (v.size() != sh.divProb.size()) return;
    const GoalWeights g = GoalWeightsOf(v, sh.divProb);
    std::shared_ptr<State> next;
    const auto change = [&]() -> State& {
        if (!next) next = std::make_shared<State>(*now_);
        return *next;
    };
    bool better = g[0] > now_->best_[0];
    for (int k = sh.firstGoal; k <= MaxTricks; ++k)
        better |= g[k] > now_->best_[k];
    if (better) {
        State& n = change();
        for (int k = 0; k <= MaxTricks; ++k)
            n.best_[k] = std::max(n.best_[k], g[k]);
        if (n.references_.size() < MaxReferences) {
            auto r = std::make_shared<State::Reference>(
                State::Reference{Judge(v, g), PayoffRows(sh.payoff, v, sh.divProb, true)});
            n.references_.insert(n.references_.begin(), std::move(r));
        }
    } else if (sh.allWeighted && now_->AtLeastBest(g) && !now_->Dominated(v, g)) {
        // Strategies tied for the best of a goal are often many, and most
        // are dominated by others among them: those that stand judge the
        // rest. One that the new one dominates goes, as what it dominated,
        // the new one dominates too.
        auto d = std::make_shared<Judge>(v, g);
        const auto under = [&](const auto& old) { return d->Dominates(*old, sh.total); };
        const std::vector<std::shared_ptr<const Judge>>& was = now_->dominators_;
        if (was.size() < MaxDominators || std::any_of(was.begin(), was.end(), under)) {
            State& n = change();
            std::erase_if(n.dominators_, under);
            if (n.dominators_.size() < MaxDominators)
                n.dominators_.insert(n.dominators_.begin(), std::move(d));
        }
    }
    for (std::size_t i = 0; i < sh.worst.size(); ++i) {
        const std::int32_t gain = SumPayoffRows(sh.worst[i], v);
        if (gain > now_->worstAtLeast_[i]) change().worstAtLeast_[i] = gain;
    }
    // Strategies admitted only as ones that may be sure of the fewest tricks:
    // when there are many, the look goes on no longer.
    const std::optional<std::uint8_t> at = now_->fewestAt_;
    if (at && v[*at] < sh.firstGoal && !now_->AdmitsAsRival(v) && ++fewestNoted_ >= MaxFewestNoted)
        change().fewestAt_.reset();
    if (next) now_ = std::move(next);
}

void OptimalLineFilter::KeepFewestLine(Host& host, std::vector<Val>& vals) {
    if (!fewest_.all) return;
    // Unless the look has gone on to the end, what is left is only what was
    // admitted as a rival.
    const bool looking = now_->fewestAt_.has_value();
    int tried = 0;
    std::erase_if(vals, [&](const Val& v) {
        if (AdmitsAsRival(v)) return false;
        if (looking && !fewestLine_ && tried++ < MaxFewestTries && !host.StopRequested()) {
            host.ProcessPendingEvents();
            if (IsLine(host, *fewest_.all, v)) fewestLine_ = v;
        }
        return true;
    });
}

std::vector<Val> StrongStrategies(const LineSet& s, std::span<const std::int32_t> divProb,
                                  std::uint8_t fewestSure) {
    const std::size_t n = divProb.size();
    // Per goal (0: the expected tricks), the best strategy found so far.
    struct Best {
        std::int64_t weight = -1;
        Val val;
    };
    std::array<Best, Width> best;
    std::vector<std::uint8_t> top(n);
    std::vector<const Val*> chosen;       // per goal, the Val of the factor at hand
    std::vector<std::int32_t> factorProb; // the weights of the factor's divisions
    std::array<Val, Width> v;
    for (const Term& t : s) {
        if (t.MaxEval.Dom.size() != n) continue;
        for (std::size_t d = 0; d < n; ++d) {
            if (t.MaxEval.Dom[d] != d) return {};
            top[d] = t.MaxEval.Val[d];
        }
        // Goals below the fewest sure tricks do not count.
        const auto counts = [&](int k) { return k == 0 || k >= fewestSure + 1; };
        for (int k = 0; k <= MaxTricks; ++k)
            v[k] = t.MaxEval.Val;
        bool some = true; // the term has strategies (no factor without Vals)
        for (const Factor& f : t.Factors) {
            if (f.EvalList.empty()) {
                some = false;
                break;
            }
            // Per goal, the first Val worth the most to it, its values capped
            // at the term's best.
            factorProb.assign(f.Dom.size(), 0);
            for (std::size_t j = 0; j < f.Dom.size(); ++j)
                if (f.Dom[j] < n) factorProb[j] = divProb[f.Dom[j]];
            chosen.assign(Width, nullptr);
            GoalWeights most;
            most.fill(-1);
            for (const Val& x : f.EvalList) {
                Val capped = x;
                for (std::size_t j = 0; j < f.Dom.size() && j < x.size(); ++j)
                    if (f.Dom[j] < n) capped[j] = std::min(x[j], top[f.Dom[j]]);
                const GoalWeights w = GoalWeightsOf(capped, factorProb);
                for (int k = 0; k <= MaxTricks; ++k)
                    if (w[k] > most[k]) {
                        most[k] = w[k];
                        chosen[k] = &x;
                    }
            }
            for (int k = 0; k <= MaxTricks; ++k)
                if (counts(k))
                    for (std::size_t j = 0; j < f.Dom.size() && j < chosen[k]->size(); ++j)
                        if (f.Dom[j] < n)
                            v[k][f.Dom[j]] = std::min(v[k][f.Dom[j]], (*chosen[k])[j]);
        }
        if (!some) continue;
        for (int k = 0; k <= MaxTricks; ++k) {
            if (!counts(k)) continue;
            const std::int64_t w = GoalWeightsOf(v[k], divProb)[k];
            if (w > best[k].weight) best[k] = {w, v[k]};
        }
    }
    std::vector<Val> strong;
    for (const Best& b : best)
        if (b.weight >= 0 && !HasLine(strong, b.val)) strong.push_back(b.val);
    return strong;
}

namespace {

// The most that a strategy of one term gains by the rows, which never fall
// as the tricks rise; `best` holds the term's best values by division.
// Factors that share divisions are taken together, every choice of their
// Vals tried, unless there are too many choices: then each division counts
// only in the first factor that holds it, which gives at least the most.
// Factors that share no division with another choose on their own.
class TermGain {
  public:
    TermGain(const std::vector<std::int32_t>& rows) : rows_(rows), n_(rows.size() / Width) {}

    // With `tryAll` false, each division counts only in the first factor
    // that holds it, which is quicker and gives at least the most.
    std::int64_t Most(const Term& t, bool tryAll) {
        best_.assign(n_, 0);
        std::vector<bool> inFactor(n_, false), inTerm(n_, false);
        for (std::size_t p = 0; p < t.MaxEval.Dom.size() && p < t.MaxEval.Val.size(); ++p)
            if (t.MaxEval.Dom[p] < n_) {
                inTerm[t.MaxEval.Dom[p]] = true;
                best_[t.MaxEval.Dom[p]] = std::min<std::uint8_t>(t.MaxEval.Val[p], MaxTricks);
            }
        // Factors that share a division, by a union of the factors.
        const std::size_t m = t.Factors.size();
        std::vector<std::size_t> group(m);
        for (std::size_t i = 0; i < m; ++i)
            group[i] = i;
        const auto root = [&](std::size_t i) {
            while (group[i] != i)
                i = group[i] = group[group[i]];
            return i;
        };
        std::vector<std::size_t> firstFactor(n_, m);
        for (std::size_t i = 0; i < m; ++i)
            for (const std::uint8_t d : t.Factors[i].Dom) {
                if (d >= n_) continue;
                inFactor[d] = true;
                if (firstFactor[d] == m)
                    firstFactor[d] = i;
                else
                    group[root(i)] = root(firstFactor[d]);
            }
        std::int64_t sum = 0;
        for (std::size_t d = 0; d < n_; ++d)
            if (inTerm[d] && !inFactor[d]) sum += rows_[d * Width + best_[d]];
        for (std::size_t g = 0; g < m; ++g) {
            std::vector<const Factor*> together;
            for (std::size_t i = 0; i < m; ++i)
                if (root(i) == g) together.push_back(&t.Factors[i]);
            if (!together.empty()) sum += MostOfGroup(together, firstFactor, t, tryAll);
        }
        return sum;
    }

  private:
    static constexpr std::size_t MaxChoices = 4096;

    std::int64_t MostOfGroup(const std::vector<const Factor*>& fs,
                             const std::vector<std::size_t>& firstFactor, const Term& t,
                             bool tryAll) {
        std::size_t choices = 1;
        for (const Factor* f : fs) {
            if (f->EvalList.empty()) return 0;
            choices = std::min(MaxChoices + 1, choices * f->EvalList.size());
        }
        if (fs.size() == 1 || !tryAll || choices > MaxChoices) {
            std::int64_t sum = 0;
            for (const Factor* f : fs) {
                const std::size_t i = static_cast<std::size_t>(f - t.Factors.data());
                std::int64_t most = std::numeric_limits<std::int64_t>::min();
                for (const Val& v : f->EvalList) {
                    std::int64_t g = 0;
                    for (std::size_t j = 0; j < f->Dom.size() && j < v.size(); ++j)
                        if (f->Dom[j] < n_ && firstFactor[f->Dom[j]] == i)
                            g += rows_[f->Dom[j] * Width + std::min(v[j], best_[f->Dom[j]])];
                    most = std::max(most, g);
                }
                sum += most;
            }
            return sum;
        }
        // Every choice of one Val per factor, as digits of a counter.
        std::vector<std::size_t> digit(fs.size(), 0);
        std::vector<std::vector<const Val*>> vals;
        std::vector<std::uint8_t> divs;
        for (const Factor* f : fs) {
            vals.emplace_back();
            for (const Val& v : f->EvalList)
                vals.back().push_back(&v);
            for (const std::uint8_t d : f->Dom)
                if (d < n_ && std::find(divs.begin(), divs.end(), d) == divs.end())
                    divs.push_back(d);
        }
        std::vector<std::uint8_t> value(n_);
        std::int64_t most = std::numeric_limits<std::int64_t>::min();
        for (;;) {
            for (const std::uint8_t d : divs)
                value[d] = best_[d];
            for (std::size_t i = 0; i < fs.size(); ++i) {
                const Val& v = *vals[i][digit[i]];
                for (std::size_t j = 0; j < fs[i]->Dom.size() && j < v.size(); ++j)
                    if (fs[i]->Dom[j] < n_)
                        value[fs[i]->Dom[j]] = std::min(value[fs[i]->Dom[j]], v[j]);
            }
            std::int64_t g = 0;
            for (const std::uint8_t d : divs)
                g += rows_[d * Width + value[d]];
            most = std::max(most, g);
            std::size_t i = 0;
            while (i < fs.size() && ++digit[i] == vals[i].size())
                digit[i++] = 0;
            if (i == fs.size()) break;
        }
        return most;
    }

    const std::vector<std::int32_t>& rows_;
    std::size_t n_;
    std::vector<std::uint8_t> best_;
};

// Whether some strategy of s may gain by the rows, which never fall as the
// tricks rise: false only when none does.
bool SomeStrategyMayGain(const LineSet& s, const std::vector<std::int32_t>& rows) {
    TermGain gain(rows);
    // What the term's best values gain is more than any of its strategies
    // gains, and rules out most terms at the cost of one sum.
    const std::size_t n = rows.size() / Width;
    const auto bestGains = [&](const Term& t) {
        std::int64_t sum = 0;
        for (std::size_t p = 0; p < t.MaxEval.Dom.size() && p < t.MaxEval.Val.size(); ++p)
            if (t.MaxEval.Dom[p] < n)
                sum += rows[t.MaxEval.Dom[p] * Width + std::min<int>(t.MaxEval.Val[p], MaxTricks)];
        return sum > 0;
    };
    return std::any_of(s.begin(), s.end(), [&](const Term& t) {
        return bestGains(t) && gain.Most(t, false) > 0 && gain.Most(t, true) > 0;
    });
}

} // namespace

FilteredLines CheckFilteredLines(const ProbLines& lines, int payoffBest, std::uint8_t fewestSure,
                                 const LineSet& all, WatchedLines& watched) {
    // The filter admits no line for being sure of few tricks: unless one of
    // the lines is sure of no more than any strategy, the fewest sure tricks
    // of all the lines are unknown.
    if (lines.GetMinK() != std::min<int>(MaxTricks, fewestSure + 1))
        return FilteredLines::NeedAllLines;
    bool more = false;
    // Lines equal on the divisions of weight have the same rows: with a
    // defender void there may be thousands of them, and one answer serves.
    const std::vector<std::size_t> weighted = WeightedDivisions(lines.DivProb());
    std::unordered_map<std::string, bool> mayGain;
    const auto someMayGain = [&](const Val& line) {
        const auto [known, added] = mayGain.try_emplace(WeightedValues(line, weighted), false);
        if (added)
            known->second =
                SomeStrategyMayGain(all, PayoffRows(lines.Payoffs(), line, lines.DivProb(), false));
        return known->second;
    };
    for (const auto& l : lines.ProbList()) {
        if (!l->Chosen) continue;
        if (payoffBest > 0) {
            // A payoff-best line among these may be beaten by a strategy left
            // out, unless no strategy can beat it.
            if (l->WorstOpp == nullptr && !HasLine(watched.Beaten, l->Val) && someMayGain(l->Val)) {
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
