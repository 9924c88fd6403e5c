// Which of the root strategies can make a difference to the optimal lines.
//
// A long suit can give a million strategies of which a handful become lines.
// A strategy is kept as a line only when it is payoff-best, or undominated and
// best for some goal; otherwise it counts only through the head-to-head
// comparison, as the strategy that beats a kept line or a line's worst
// opponent. The filter admits the strategies that may still be any of those,
// judged against the strategies noted so far, so the root is multiplied out
// into far fewer Vals. The lines chosen from them are then checked
// (CheckFilteredLines): where the check cannot vouch for them, it says which
// lines the next filter must watch, and in the end the whole root serves.
#pragma once

#include "results/payoff.h"
#include "results/prob_lines.h"
#include "strategy/term.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace nvx {

// The fewest tricks any strategy of the set takes in a division that has
// weight: no line is sure of fewer.
std::uint8_t FewestSureTricks(Host& host, const LineSet& s, std::span<const std::int32_t> divProb);
// The most tricks any strategy of the set takes anywhere.
std::uint8_t MostTricks(const LineSet& s);

// Strategies of s that do well, to judge the others by from the start: per
// goal that counts (and the expected tricks), the best of the strategies
// that choose, in every factor of a term, the Val best for that goal.
std::vector<Val> StrongStrategies(const LineSet& s, std::span<const std::int32_t> divProb,
                                  std::uint8_t fewestSure);

// Lines the filter must keep every possible rival of, by their Vals.
struct WatchedLines {
    // Lines that look payoff-best: every strategy that may beat one on
    // average is admitted.
    std::vector<Val> Beaten;
    // Lines whose worst opponent counts: every strategy that may gain as much
    // against one as the most any strategy noted gains is admitted.
    std::vector<Val> Worst;
};

// Where to look for a line sure of as few tricks as any strategy, when the
// lines the filter admits are all sure of more: at `division`, among the
// strategies of `all` (every strategy) that take no more there.
struct FewestSearch {
    const LineSet* all = nullptr;
    std::uint8_t division = 0;
};

class OptimalLineFilter final : public StrategyFilter {
  public:
    // divProb: the division weights (index = division number), total their
    // sum; fewestSure as FewestSureTricks gives it. Strategies already known
    // (the strongest first; lines of an earlier pass, say) judge the others
    // from the start.
    OptimalLineFilter(const PayoffTable& payoff, std::span<const std::int32_t> divProb,
                      std::int32_t total, std::uint8_t fewestSure, const WatchedLines& watched,
                      std::span<const Val> known = {});
    // Whether the filter can judge lines of at most mostTricks tricks: only
    // when taking more tricks never does worse in the head-to-head
    // comparison can a strategy be judged by values it cannot exceed.
    static bool Applies(const PayoffTable& payoff, std::uint8_t mostTricks);

    std::shared_ptr<const Test> Now() const override;
    // Whether the filter as it stands admits v as a possible line or rival
    // (not only while it looks for a line sure of the fewest tricks).
    bool AdmitsAsRival(const Val& v) const;
    // Looks for a line sure of no more than the fewest tricks of any
    // strategy: the filter admits too every strategy that takes no more than
    // that at the division, unless too many are noted. Such a strategy may be
    // covered only by strategies that are sure of more, so this admission is
    // not upward closed: KeepFewestLine sorts out what it alone admitted.
    void LookForFewest(const FewestSearch& search);
    // Drops from the Vals multiplied out with this filter those it admitted
    // only as possibly sure of the fewest tricks, and finds among them the
    // first line (one that no strategy beats in every division), if a few
    // tries find one.
    void KeepFewestLine(Host& host, std::vector<Val>& vals);
    // The line found, if any.
    const std::optional<Val>& FewestLine() const { return fewestLine_; }
    void Note(Host& host, const Val& v) override;

  private:
    // Strategies kept to judge others by; they are never dropped, so that
    // the filter only narrows.
    static constexpr std::size_t MaxReferences = 64;
    // Strategies kept only to dominate others: ones as good as the best so
    // far for some goal. One goes only when a newer one dominates it.
    static constexpr std::size_t MaxDominators = 16;
    // Strategies tried before the filter gives up looking for a line sure of
    // the fewest tricks.
    static constexpr int MaxFewestTries = 64;
    // Strategies admitted as possibly sure of the fewest tricks before the
    // filter stops admitting them.
    static constexpr int MaxFewestNoted = 4096;
    struct Shared;
    class State;
    std::shared_ptr<const Shared> shared_;
    std::shared_ptr<const State> now_;
    FewestSearch fewest_;
    int fewestNoted_ = 0;
    std::optional<Val> fewestLine_;
};

// A division where some strategy of s takes no more than `fewest` tricks, in
// as few terms as may be (none when there is none).
std::optional<std::uint8_t> FewestAtDivision(Host& host, const LineSet& s,
                                             std::span<const std::int32_t> divProb,
                                             std::uint8_t fewest);

enum class FilteredLines : std::uint8_t {
    Exact,        // the lines are those the whole root gives
    WatchMore,    // not vouched for: filter again, watching the lines added
    NeedAllLines, // the filter cannot tell: use every strategy
};

// Whether lines computed from the strategies a filter admitted are those
// every strategy gives, asked once the lines are chosen (payoffBest: how many
// are payoff-best), all being every strategy; adds to `watched` what the
// next filter must watch.
FilteredLines CheckFilteredLines(const ProbLines& lines, int payoffBest, std::uint8_t fewestSure,
                                 const LineSet& all, WatchedLines& watched);

} // namespace nvx
