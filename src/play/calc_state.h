// The computation state through which the user can stop a running analysis.
// The host (desktop or command-line program) owns one and answers its
// Host::StopRequested() from it; the engine only asks the host.
#pragma once

#include <atomic>
#include <cstdint>

namespace nvx {

enum class CalcState : std::uint8_t { Calculating = 0, Stopping = 1, Ready = 2 };

class ComputationState {
  public:
    ComputationState() = default;
    explicit ComputationState(CalcState s) : state_(s) {}

    CalcState get() const { return state_.load(std::memory_order_relaxed); }
    void set(CalcState s) { state_.store(s, std::memory_order_relaxed); }
    // A stop has been asked for exactly when the state is Stopping.
    bool StopRequested() const { return get() == CalcState::Stopping; }
    // The user confirmed the interrupt: only a running computation can be stopped.
    void RequestStop() {
        CalcState expected = CalcState::Calculating;
        state_.compare_exchange_strong(expected, CalcState::Stopping, std::memory_order_relaxed);
    }

  private:
    std::atomic<CalcState> state_{CalcState::Ready};
};

} // namespace nvx
