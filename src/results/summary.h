// The results of an analysis read once through the result queries: what the
// results list, the two tables and the saved or printed results show, as
// numbers, line names and flags.
#pragma once

#include "cards/host.h"
#include "results/prob_lines.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace nvx {

struct LineResult {
    std::string Name;
    // [0] the expected tricks, [k] the chance of at least k tricks.
    std::array<double, MaxTricks + 1> Prob{};
    std::vector<int> Beaters; // the lines that beat this one on average (indices into Lines)
    // Nothing shown beats it, yet some line did: one that is no longer shown.
    bool BeatenByUnshownLine = false;
    std::vector<std::uint8_t> Tricks; // tricks per division, in division-number order
};

// Everything the results list and the two tables read, taken once from the
// result queries. Lines are referred to by their index into Lines.
struct ResultsSummary {
    bool Imps = false;
    std::uint8_t MinK = MaxTricks;
    std::uint8_t MaxK = 0;
    std::array<double, MaxTricks + 1> Best{}; // [0] the most expected tricks
    // The lines optimal for each goal ([0] the most expected tricks).
    std::array<std::vector<int>, MaxTricks + 1> BestForGoal;
    std::vector<int> PayoffBest; // the mp-best or imp-best lines
    std::vector<LineResult> Lines;
    // Payoff[i][j]: line i's average gain over line j (0 on the diagonal).
    std::vector<std::vector<double>> Payoff;
};

// Reads the result queries of the lines of an analysis.
ResultsSummary SummarizeResults(Host& host, const ProbLines& lines);

} // namespace nvx
