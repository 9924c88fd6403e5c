// The divisions still possible after the cards the defenders have played.
#pragma once

#include "play/engine.h"
#include "strategy/bytestr.h"
#include "strategy/eval.h"

#include <cstdint>

namespace nvx {

// d := every DivNr consistent with the defenders' cards played so far, ascending.
void PossibleDivs(const Engine& engine, Dom& d);
// The evaluation with value x on every division of PossibleDivs.
Eval ConstEval(const Engine& engine, std::uint8_t x);

} // namespace nvx
