// The game-tree search: declarer's non-dominated strategies from a position.
#pragma once

#include "play/engine.h"
#include "strategy/term.h"

namespace nvx {

// The strategy set of declarer from the current position of the play state,
// each strategy evaluated over the divisions still possible (tricks already won
// included). Declarer's choices are unions, the defenders' choices products.
// The play state is exactly as before when it returns, also after a stop request.
TStratSet Solve(Engine& e);

} // namespace nvx
