// Helpers for the tests of the play-through of a line.
#pragma once

#include "play/solver.h"
#include "results/analysis.h"

#include <string_view>

namespace nvx::test {

// Whether some strategy after playing the code reaches the target on every
// division (worked out by a fresh search, not by the dynamic evaluation).
inline bool Reaches(Analysis& a, std::uint8_t code, const Val& target) {
    Engine& e = a.GetEngine();
    if (!e.Play(code)) return false;
    LineSet s = Solve(e);
    Factor f = LineSetToFactor(a.GetHost(), s);
    e.UndoPlay();
    KeepAtLeast(a.GetHost(), f, target);
    return !f.EvalList.empty();
}

// The best declarer can still reach from the current position among the
// strategies that keep `promise` (over all divisions) on every division still
// possible: the promise restricted to them (lv) and the pointwise maximum (m).
inline bool BestAgainstPromise(Analysis& a, const Eval& promise, Val& lv, Val& m) {
    Host& h = a.GetHost();
    LineSet s = Solve(a.GetEngine());
    Factor all = LineSetToFactor(h, s);
    lv = RestrictVal(h, promise.Dom, promise.Val, all.Dom);
    KeepAtLeast(h, all, lv);
    if (all.EvalList.empty()) return false;
    m = MaxOfFactor(h, all);
    return true;
}

} // namespace nvx::test
