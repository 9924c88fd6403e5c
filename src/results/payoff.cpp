#include "results/payoff.h"

#include <algorithm>

namespace nvx {

void PayoffTable::SetTrickTable() {
    for (int i = 0; i <= MaxTricks; ++i)
        for (int j = 0; j <= MaxTricks; ++j)
            table_[i][j] = i > j ? 1 : i < j ? -1 : 0;
    imps_ = false;
}

void PayoffTable::SetIMPTable(const ContractGoal& goal, std::int8_t tricksNeeded) {
    std::array<std::int32_t, MaxTricks + 1> score{};
    for (int t = 0; t <= MaxTricks; ++t)
        score[t] = ContractScore(goal.Contract, t - tricksNeeded);
    for (int i = 0; i <= MaxTricks; ++i)
        for (int j = 0; j <= MaxTricks; ++j)
            table_[i][j] = Imps(score[i] - score[j]);
    imps_ = true;
}

std::int32_t Payoff(Host& host, const PayoffTable& table, const Val& a, const Val& b,
                    std::span<const std::int32_t> divProb) {
    if (a.size() != b.size() || a.size() > divProb.size()) {
        InternalError(host, InternalErrorCode::PayoffDifferentSets);
        return 0;
    }
    std::int32_t sum = 0;
    for (std::size_t p = 0; p < a.size(); ++p)
        sum += table.TablePayoff(a[p], b[p]) * divProb[p];
    return sum;
}

std::vector<std::int32_t> PayoffRows(const PayoffTable& table, const Val& line,
                                     std::span<const std::int32_t> divProb, bool gaining) {
    constexpr int Width = MaxTricks + 1;
    std::vector<std::int32_t> rows(line.size() * Width);
    for (std::size_t p = 0; p < line.size() && p < divProb.size(); ++p)
        for (int t = 0; t < Width; ++t)
            rows[p * Width + t] =
                (gaining ? table.TablePayoff(line[p], t) : table.TablePayoff(t, line[p])) *
                divProb[p];
    return rows;
}

std::int32_t SumPayoffRows(const std::vector<std::int32_t>& rows, const Val& v) {
    constexpr int Width = MaxTricks + 1;
    std::int32_t sum = 0;
    for (std::size_t p = 0; p < v.size() && (p + 1) * Width <= rows.size(); ++p)
        sum += rows[p * Width + std::min<int>(v[p], MaxTricks)];
    return sum;
}

} // namespace nvx
