// The computation state that the progress window holds and the engine polls.
#pragma once

#if __has_include("play/calc_state.h")
#include "play/calc_state.h"
#else
#include <cstdint>

namespace nvx {

// Calculating while a computation runs, Stopping once the user has confirmed an
// interrupt, Ready otherwise. The values are compared numerically.
enum class TCalcState : std::uint8_t { Calculating = 0, Stopping = 1, Ready = 2 };

} // namespace nvx
#endif
