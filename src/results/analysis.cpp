#include "results/analysis.h"

#include "results/line_filter.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

namespace nvx {
namespace {

// Passes with a filter before every strategy serves.
constexpr int MaxFilteredPasses = 4;

} // namespace

Analysis::Analysis(Host& host) : engine_(host), dyn_(engine_), play_(engine_, dyn_) {}

void Analysis::SetUpCombination(std::string_view north, std::string_view south,
                                std::uint8_t entries, std::string_view discards,
                                std::uint8_t westFilled, std::uint8_t eastFilled) {
    engine_.SetUpCombination(north, south, entries, discards, westFilled, eastFilled);
    // The play was reset and the record emptied: a line of the previous
    // combination can no longer be played through.
    dyn_.SelectLine(nullptr);
}

ComputeEnd Analysis::ComputeOptimalLines() {
    Host& h = GetHost();
    try {
        ComputeLines();
    } catch (const std::bad_alloc&) {
        // What the computation had built was freed on the way out; the play it
        // was in the middle of and the lines made so far go too.
        engine_.ResetPlay();
        lines_.Clear();
        dyn_.SelectLine(nullptr);
        return ComputeEnd::OutOfMemory;
    }
    // The stop check first: it may be the one that finds the memory limit passed.
    const bool stopped = h.StopRequested();
    if (h.MemoryLimitReached()) return ComputeEnd::OutOfMemory;
    return stopped ? ComputeEnd::Interrupted : ComputeEnd::Finished;
}

void Analysis::ComputeLines() {
    Host& h = GetHost();
    LineSet all = dyn_.StartSolving();
    const std::size_t n = engine_.NumDivs();
    std::vector<std::int32_t> divProb(n);
    for (std::size_t d = 0; d < n; ++d)
        divProb[d] = engine_.DivProb(static_cast<std::uint8_t>(d));

    // Most strategies cannot make a difference to the lines. A filter leaves
    // them out, and the lines chosen from the rest are used when they are
    // sure to be those that every strategy gives. Each pass watches the lines
    // the last one could not vouch for; after a few, every strategy serves.
    source_ = {};
    if (filterStrategies_ && !all.empty() && OptimalLineFilter::Applies(payoff_, MostTricks(all))) {
        const std::uint8_t fewestSure = FewestSureTricks(h, all, divProb);
        WatchedLines watched;
        // Strategies to judge the others by from the start: strong ones at
        // first, then the lines kept in the last pass, payoff-best first.
        std::vector<Val> known = StrongStrategies(all, divProb, fewestSure);
        // A line sure of as few tricks as any strategy, looked for when the
        // lines admitted are all sure of more, and found. It only sets which
        // goals count: it is never kept, beats no line watched and is no
        // watched line's worst opponent, or the filter would admit it.
        std::optional<std::uint8_t> lookAt;
        std::optional<Val> fewestLine;
        bool searchedFewest = false;
        const auto lookForFewest = [&] {
            searchedFewest = true;
            lookAt = FewestAtDivision(h, all, divProb, fewestSure);
        };
        // When no strong strategy is sure of that few tricks, the lines the
        // filter admits seldom are either: the look starts at once.
        const auto sureOf = [&](const Val& v) {
            std::uint8_t sure = MaxTricks;
            for (std::size_t d = 0; d < v.size() && d < divProb.size(); ++d)
                if (divProb[d] > 0) sure = std::min(sure, v[d]);
            return sure;
        };
        if (std::none_of(known.begin(), known.end(),
                         [&](const Val& v) { return sureOf(v) <= fewestSure; }))
            lookForFewest();
        for (int pass = 0; pass < MaxFilteredPasses; ++pass) {
            LineSet some = CopyLineSet(all);
            OptimalLineFilter filter(payoff_, divProb, engine_.ProbDenominator(), fewestSure,
                                     watched, known);
            if (lookAt) filter.LookForFewest({&all, *lookAt});
            const auto select = [&](std::vector<Val>& vals) {
                if (lookAt) {
                    filter.KeepFewestLine(h, vals);
                    fewestLine = filter.FewestLine();
                    source_.fewestLine = fewestLine.has_value();
                    lookAt.reset();
                }
                if (fewestLine && !filter.AdmitsAsRival(*fewestLine)) vals.push_back(*fewestLine);
            };
            FilteredLines verdict = FilteredLines::Exact;
            const auto check = [&](const ProbLines& lines, int payoffBest) {
                verdict = CheckFilteredLines(lines, payoffBest, fewestSure, all, watched);
                return verdict == FilteredLines::Exact;
            };
            ++source_.filteredPasses;
            if (MakeLines(some, &filter, divProb, check, select) || h.StopRequested()) return;
            if (verdict == FilteredLines::NeedAllLines) {
                if (fewestLine || searchedFewest) break;
                lookForFewest();
                if (!lookAt) break;
            }
            // The lines kept this time judge best in the next pass.
            std::vector<Val> kept;
            for (const bool payoffBest : {true, false})
                for (const auto& l : lines_.ProbList())
                    if (l->Chosen && (l->WorstOpp == nullptr) == payoffBest) kept.push_back(l->Val);
            known.insert(known.begin(), kept.begin(), kept.end());
        }
    }
    source_.everyStrategy = true;
    MakeLines(all, nullptr, divProb, {});
}

bool Analysis::MakeLines(LineSet& s, StrategyFilter* filter, std::span<const std::int32_t> divProb,
                         const ProbLines::ChoiceCheck& check,
                         const std::function<void(std::vector<Val>&)>& select) {
    Host& h = GetHost();
    Factor f = LineSetToFactor(h, s, filter);
    // No line is selected for the play-through until the user chooses one.
    dyn_.SelectLine(nullptr);
    // A stopped analysis shows no results: the strategies made so far, which
    // may be hundreds of thousands, are not made into lines.
    if (h.StopRequested()) {
        lines_.Clear();
        return true;
    }
    CheckAllDivs(h, f.Dom.size(), engine_.NumDivs());

    std::vector<Val> vals = f.EvalList.takeInListOrder();
    FreeFactor(f);
    if (select) select(vals);
    if (lines_.ComputeOptimalLines(h, payoff_, std::move(vals), divProb, engine_.ProbDenominator(),
                                   check))
        return true;
    if (h.StopRequested()) lines_.Clear();
    return false;
}

std::uint8_t Analysis::GetLineTricks(int i, std::string_view westCards) const {
    return lines_.GetLineTricksAt(i, engine_.DivNrOfCards(westCards));
}

double Analysis::GetDivProb(std::string_view westCards) const {
    const std::uint8_t d = engine_.DivNrOfCards(westCards);
    const double m = engine_.DivMultiplicity(d);
    const double den = engine_.ProbDenominator();
    if (m <= 0 || den <= 0) return 0.0;
    return engine_.DivProb(d) / m / den;
}

char Analysis::SmallCardLimit() const {
    const auto& t = engine_.classes;
    std::vector<std::uint8_t> ranks(t.ClassList[hand::Defenders].begin(),
                                    t.ClassList[hand::Defenders].begin() +
                                        t.ClassCount[hand::Defenders]);
    const std::uint8_t r = SmallCardClassRank(
        lines_, engine_.NumDivs(), ranks,
        [this](std::uint8_t d, std::uint8_t rank) { return engine_.MergedDivNr(d, rank); });
    if (r == 0) return RankChar(1);
    // The highest card, from the ace down, whose class is represented by that rank.
    for (std::uint16_t v = 13; v >= 1; --v) {
        const char c = RankChar(v);
        if (RankValue(engine_.ClassRepresentative(c)) == r) return c;
    }
    return RankChar(r);
}

void Analysis::SelectLine(int i) {
    // A line is always played through from the start: take back what has
    // been played on the previous one, so the play state, the record and the
    // line's evaluation stack stay in step.
    while (!engine_.combo.PlayString.empty())
        play_.TakeBackCard();
    const ProbLine* s = lines_.GetLine(i);
    dyn_.SelectLine(s ? &s->Val : nullptr);
}

} // namespace nvx
