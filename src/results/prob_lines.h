// The optimal lines of an analysis. Every declarer strategy that the solver
// found becomes a line weighted with the division probabilities; the driver keeps
// the lines that are best for some goal (at least k tricks, the most expected
// tricks, or the head-to-head payoff), orders them, thins them out when there
// are too many to show and names them A, B, C, ... The queries below are how the
// windows read the result.
#pragma once

#include "cards/host.h"
#include "results/payoff.h"
#include "strategy/bytestr.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace nvx {

// More lines than this are reduced to representatives.
inline constexpr std::size_t MaxDisplayedLines = 12;

using GoalWeights = std::array<std::int32_t, MaxTricks + 1>;

struct ProbLine {
    std::string Name = "no name yet";
    // Tricks over the set of all divisions: position p is the division numbered p.
    nvx::Val Val;
    // [k], k >= 1: the weight of the divisions in which the line takes at least k
    // tricks; [0]: the sum of [1..13], the expected tricks times the total weight.
    GoalWeights GoalWeight{};
    bool Chosen = false;
    // Another line is better on expected tricks and at least as good on every goal.
    bool Dominated = false;
    // The line of the same list against which this one's payoff is lowest; null
    // when no line beats it (the line is payoff-best). Not owned.
    ProbLine* WorstOpp = nullptr;
    // That lowest payoff, 0 when none is negative.
    std::int32_t Worst = 0;
};

// The goal weights of a Val (divProb[p] is the weight of the division
// numbered p).
GoalWeights GoalWeightsOf(const Val& val, std::span<const std::int32_t> divProb);
// A fresh line for a Val, with its goal weights.
ProbLine NewProbLine(const Val& val, std::span<const std::int32_t> divProb);

// The divisions with weight, and a Val's length and values there: lines that
// share these score the same against any line, and have the same goal weights.
std::vector<std::size_t> WeightedDivisions(std::span<const std::int32_t> divProb);
std::string WeightedValues(const Val& val, std::span<const std::size_t> weighted);

// Reports internal error 603 when the lines' division set does not hold every
// division; true when it does.
bool CheckAllDivs(Host& host, std::size_t domLength, std::size_t numDivs);

// Whether goal weights a are at least b for every trick goal, and where the
// two are equally likely to make a goal that is neither sure nor hopeless,
// the goal is made in the same divisions (sameDivisions(k) tells, for goal k).
template <class SameDivisions>
bool GoalsAtLeast(const GoalWeights& a, const GoalWeights& b, std::int32_t total,
                  SameDivisions sameDivisions) {
    for (int k = 1; k <= MaxTricks; ++k)
        if (b[k] > a[k]) return false;
    for (int k = 1; k <= MaxTricks; ++k)
        if (a[k] == b[k] && a[k] > 0 && a[k] < total && !sameDivisions(k)) return false;
    return true;
}

// Whether a beats b on expected tricks and is at least as good for every trick
// goal: '>' a does, '<' b does, '|' neither. Equal expected tricks give '|'; so
// does an equal chance for some goal reached in different divisions.
char CompareGoals(Host& host, const ProbLine& a, const ProbLine& b, std::int32_t totalWeight);

// Comparators of the thinning out; they look at the trick goals 1..13 only.
// a at least as good as b for every goal, and not the reverse: '>'; the reverse:
// '<'; otherwise '|' (also when all weights are equal).
char CmpAllKStrict(const ProbLine& a, const ProbLine& b);
// As CmpAllKStrict, but '=' when all weights are equal.
char CmpAllK(const ProbLine& a, const ProbLine& b);
// a covers b when a is optimal for every goal for which b is optimal: '>' only a
// covers the other, '<' only b does, '=' both, '|' neither.
char CmpCoversBest(const ProbLine& a, const ProbLine& b, const GoalWeights& best);

// The lines that beat one line on average.
struct LineBeaters {
    std::vector<int> Lines; // their positions, in list order
    // No shown line beats it, yet some line did: one dropped while the
    // representatives were chosen.
    bool ByUnshownLine = false;
};

class ProbLines {
  public:
    using LineList = std::vector<std::unique_ptr<ProbLine>>;

    // The compute driver, run on what the solver delivered: the Vals of the
    // reduced root factor in that factor's order (freed as the lines are made
    // of them), the division weights (index = division number, at least as
    // many as the Vals are long) and their sum.
    // Replaces the lines of the previous analysis. Pending events are processed
    // while the lines are compared; a stop request ends the comparison early and
    // suppresses the too-many-lines warning, and the rest runs on what there is.
    // A check, when given, is asked once the lines are chosen, before they
    // are ordered, with the number of payoff-best lines; when it says no, the
    // driver ends there and returns false (the lines are then not fit to show).
    using ChoiceCheck = std::function<bool(const ProbLines& lines, int payoffBest)>;
    bool ComputeOptimalLines(Host& host, const PayoffTable& payoff, std::vector<Val> vals,
                             std::span<const std::int32_t> divProb, std::int32_t probDenominator,
                             const ChoiceCheck& check = {});
    // No lines, as at program start.
    void Clear();
    // Whether lines equal on every division of weight are compared as one
    // (PayoffGroups); on by default. The results are the same either way.
    void SetGroupLines(bool on) { groupLines_ = on; }

    // The lines in display order. Every WorstOpp points into this list or is null.
    const LineList& ProbList() const { return list_; }
    // Best[k]: the largest GoalWeight[k] of all lines of the analysis.
    const GoalWeights& Best() const { return best_; }
    std::int32_t ProbDenominator() const { return denominator_; }
    std::span<const std::int32_t> DivProb() const { return divProb_; }
    // The comparison the lines were computed with.
    const PayoffTable& Payoffs() const { return payoff_; }

    // Queries. Lines are addressed by their position 1..LineCount().
    std::uint16_t LineCount() const { return static_cast<std::uint16_t>(list_.size()); }
    // Position below 2: the first line; null when there is none or i is too large.
    const ProbLine* GetLine(int i) const;
    std::string GetLineName(int i) const;
    // The tricks of line i in the division numbered divNr (0 when out of range).
    std::uint8_t GetLineTricksAt(int i, std::size_t divNr) const;
    // k >= 1: the chance of at least k tricks; k = 0: the expected tricks.
    double GetLineProb(int i, int k) const;
    double GetBestProb(int k) const;
    // The most tricks some line takes in some division (0 when none takes any).
    std::uint8_t GetMaxK() const { return maxK_; }
    // One more than the fewest sure tricks of any line: goals below it are met
    // by every line.
    std::uint8_t GetMinK() const { return minK_; }
    // The positions of the lines optimal for goal k (k = 0: the most expected
    // tricks), in list order.
    std::vector<int> GetBestForGoal(int k) const;
    // The positions of the lines no shown line beats on average.
    std::vector<int> GetPayoffBest() const;
    // The lines that beat line i on average.
    LineBeaters GetBeaters(Host& host, int i) const;
    // Line i's average gain over line j (a chance difference at matchpoints,
    // IMPs per deal at IMPs).
    double GetPayoff(Host& host, int i, int j) const;

  private:
    std::int32_t PayoffOf(Host& host, const ProbLine& a, const ProbLine& b) const;
    void UpdateWorst(ProbLine& a, ProbLine& b, std::int32_t p) const;
    void ComparePairs(Host& host);
    void MarkDominated(Host& host);
    void FindBeaten(Host& host);
    // Lines equal on every division of weight score the same against any
    // line: their payoffs differ only where nothing counts. The group of each
    // line (numbered as they first come in list order; NoGroup for a line not
    // chosen when only those count) when there are far fewer groups than
    // lines, as when a defender's void leaves few divisions with weight;
    // empty otherwise.
    static constexpr std::uint32_t NoGroup = UINT32_MAX;
    struct LineGroups {
        std::vector<std::uint32_t> of;  // per line
        std::vector<std::size_t> first; // per group, its first line
        bool empty() const { return of.empty(); }
    };
    LineGroups PayoffGroups(bool chosenOnly) const;
    void ComputeExactWorst(Host& host);
    // Line i's worst opponent among all lines (tables: LinesFitTables()).
    void FindExactWorst(Host& host, std::size_t i, bool tables);
    bool LinesFitTables() const;
    void ComputeBest();
    bool OptimalFor(const ProbLine& s, int k) const { return s.GoalWeight[k] == best_[k]; }
    int MarkOptimal();
    void RecomputeWorst(Host& host);
    void CloseUnderWorstOpp(Host& host);
    void ClearDanglingWorstOpp();
    void RemoveUnchosen();
    std::uint32_t SortKey(const ProbLine& s) const;
    void SortProbList(Host& host);
    void ChooseRepresentatives(Host& host, bool hasPayoffBest);
    void ThinOut(Host& host, const std::function<char(const ProbLine&, const ProbLine&)>& cmp);
    bool ThinOutByClasses(Host& host,
                          const std::function<char(const ProbLine&, const ProbLine&)>& cmp);
    void NameLines();
    std::vector<int> Positions(const std::function<bool(const ProbLine&)>& pick) const;
    double Fraction(std::int64_t weight) const;

    LineList list_;
    GoalWeights best_{};
    std::uint8_t minK_ = MaxTricks;
    std::uint8_t maxK_ = 0;
    PayoffTable payoff_;
    std::vector<std::int32_t> divProb_;
    std::int32_t denominator_ = 1;
    bool groupLines_ = true;
};

// The highest defenders' class rank r up to which no line cares which of the
// defenders' cards at or below r West holds. classRanks are the defenders' class
// ranks, highest first; mergedDivNr(d, r) is the division that d becomes when West
// holds the same cards above r and as many, but the lowest, at or below r. 0 when
// the defenders hold no card.
std::uint8_t
SmallCardClassRank(const ProbLines& lines, std::size_t numDivs,
                   std::span<const std::uint8_t> classRanks,
                   const std::function<std::uint8_t(std::uint8_t, std::uint8_t)>& mergedDivNr);

} // namespace nvx
