#include "results/summary.h"

namespace nvx {

namespace {

// Positions 1..n of the result queries as indices into the summary's lines.
std::vector<int> Indices(const std::vector<int>& positions) {
    std::vector<int> indices;
    indices.reserve(positions.size());
    for (int p : positions)
        indices.push_back(p - 1);
    return indices;
}

} // namespace

ResultsSummary SummarizeResults(Host& host, const ProbLines& lines) {
    ResultsSummary r;
    r.Imps = lines.Payoffs().IsIMPs();
    r.MinK = lines.GetMinK();
    r.MaxK = lines.GetMaxK();
    for (int k = 0; k <= MaxTricks; ++k) {
        r.Best[k] = lines.GetBestProb(k);
        r.BestForGoal[k] = Indices(lines.GetBestForGoal(k));
    }
    r.PayoffBest = Indices(lines.GetPayoffBest());
    const int n = lines.LineCount();
    for (int i = 1; i <= n; ++i) {
        LineResult line;
        line.Name = lines.GetLineName(i);
        for (int k = 0; k <= MaxTricks; ++k)
            line.Prob[k] = lines.GetLineProb(i, k);
        const LineBeaters beaters = lines.GetBeaters(host, i);
        line.Beaters = Indices(beaters.Lines);
        line.BeatenByUnshownLine = beaters.ByUnshownLine;
        if (const ProbLine* s = lines.GetLine(i)) line.Tricks.assign(s->Val.begin(), s->Val.end());
        r.Lines.push_back(std::move(line));
    }
    r.Payoff.assign(n, std::vector<double>(n, 0.0));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (i != j) r.Payoff[i][j] = lines.GetPayoff(host, i + 1, j + 1);
    return r;
}

} // namespace nvx
