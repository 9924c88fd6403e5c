// The game-tree search: declarer's non-dominated strategies from a position.
#pragma once

#include "play/engine.h"
#include "play/trick_table.h"
#include "strategy/term.h"

#include <cstdint>

namespace nvx {

// The line set of declarer from the current position of the play state,
// each strategy evaluated over the divisions still possible (tricks already won
// included). Declarer's choices are unions, the defenders' choices products.
// The play state is exactly as before when it returns, also after a stop request.
// A table of solved trick starts of its own lives as long as the search.
LineSet Solve(Engine& e);
// The same with the given table, which may be shared with other searches of
// the same combination, also on other threads; nullptr searches without one.
LineSet Solve(Engine& e, TrickStartTable* table);

// The same search without the end-of-play counting: every trick is played out
// to the last card. Slow; it exists to check the counting rules against play.
LineSet SolveFullPlay(Engine& e);

// --- end-of-play counting --------------------------------------------------------
// Hands are 0 North, 1 South, 2 the defenders.

// The highest class rank of the hand with cards left; 0 when none.
std::uint8_t HighestLeft(const Engine& e, std::uint8_t hand);
// The rank of the hand's second highest unplayed card, counting the cards of a
// class separately; 0 when there is none.
std::uint8_t SecondHighestLeft(const Engine& e, std::uint8_t hand);
// The lowest class rank of the hand with cards left; 14 when none.
std::uint8_t LowestLeft(const Engine& e, std::uint8_t hand);

// Trick t has just been completed and at most one more can be played: whether
// North-South take it.
bool WinsLastTrick(const Engine& e, std::uint8_t t);
// Trick t has just been completed, the defenders hold at most one card and at
// least two more tricks can be played: the tricks North-South take from here.
std::uint8_t RemainingNSTricks(const Engine& e, std::uint8_t t);

} // namespace nvx
