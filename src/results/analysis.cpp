#include "results/analysis.h"

#include <new>
#include <utility>
#include <vector>

namespace nvx {

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
    Factor f = LineSetToFactor(h, all);
    // A stopped analysis shows no results: the strategies made so far, which
    // may be hundreds of thousands, are not made into lines.
    if (h.StopRequested()) {
        lines_.Clear();
        dyn_.SelectLine(nullptr);
        return;
    }
    CheckAllDivs(h, f.Dom.size(), engine_.NumDivs());

    std::vector<Val> vals = f.EvalList.takeInListOrder();
    FreeFactor(f);

    const std::size_t n = engine_.NumDivs();
    std::vector<std::int32_t> divProb(n);
    for (std::size_t d = 0; d < n; ++d)
        divProb[d] = engine_.DivProb(static_cast<std::uint8_t>(d));
    lines_.ComputeOptimalLines(h, payoff_, std::move(vals), divProb, engine_.ProbDenominator());

    // No line is selected for the play-through until the user chooses one.
    dyn_.SelectLine(nullptr);
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
