// The head-to-head comparison of two lines: what it is worth to take i tricks
// in the suit when the other line takes j, at matchpoints or at IMPs, and the
// payoff of one line against another summed over all divisions.
#pragma once

#include "cards/contract.h"
#include "cards/host.h"
#include "strategy/bytestr.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace nvx {

inline constexpr int MaxTricks = 13;

class PayoffTable {
  public:
    // A fresh table compares tricks (matchpoints).
    PayoffTable() { SetTrickTable(); }

    // Entry (i, j) := +1 when i > j, -1 when i < j, 0 when equal; not IMPs.
    void SetTrickTable();
    // Entry (i, j) := the IMPs that declarer's side gains by taking i tricks in the
    // suit instead of j, scoring the goal's contract with tricksNeeded tricks
    // needed in the suit. A trick count that would take the contract's total below
    // 0 or above 13 tricks scores 0.
    void SetIMPTable(const ContractGoal& goal, std::int8_t tricksNeeded);

    // The entry (i, j); 0 outside 0..13.
    std::int32_t TablePayoff(int i, int j) const {
        if (i < 0 || j < 0 || i > MaxTricks || j > MaxTricks) return 0;
        return table_[i][j];
    }
    bool IsIMPs() const { return imps_; }

  private:
    std::array<std::array<std::int32_t, MaxTricks + 1>, MaxTricks + 1> table_{};
    bool imps_ = false;
};

// What line A gains over line B: the sum over the divisions p of
// TablePayoff(a[p], b[p]) * divProb[p]. Both Vals must be over the set of all
// divisions (position p is the division numbered p). Vals of different lengths,
// or longer than the probability table, report internal error 501 and give 0.
std::int32_t Payoff(Host& host, const PayoffTable& table, const Val& a, const Val& b,
                    std::span<const std::int32_t> divProb);

// A line's payoffs as a table: per division p and trick count t (row
// p * (MaxTricks + 1) + t), what the line gains over t tricks there (gaining)
// or what t tricks gain over it, times the division's weight. The payoff
// against (or of) a Val is then SumPayoffRows of it.
std::vector<std::int32_t> PayoffRows(const PayoffTable& table, const Val& line,
                                     std::span<const std::int32_t> divProb, bool gaining);
std::int32_t SumPayoffRows(const std::vector<std::int32_t>& rows, const Val& v);

} // namespace nvx
