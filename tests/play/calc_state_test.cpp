#include "play/calc_state.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

TEST(ComputationStateTest, StopRequestedOnlyWhileStopping) {
    ComputationState s;
    EXPECT_EQ(s.get(), TCalcState::Ready);
    EXPECT_FALSE(s.StopRequested());
    s.RequestStop(); // nothing runs: nothing to stop
    EXPECT_EQ(s.get(), TCalcState::Ready);
    s.set(TCalcState::Calculating);
    EXPECT_FALSE(s.StopRequested());
    s.RequestStop();
    EXPECT_EQ(s.get(), TCalcState::Stopping);
    EXPECT_TRUE(s.StopRequested());
    s.set(TCalcState::Ready);
    EXPECT_FALSE(s.StopRequested());
}

TEST(ComputationStateTest, HostAnswersFromTheState) {
    // How a host wires its stop request to the state it owns.
    struct StateHost : test::RecordingHost {
        ComputationState state{TCalcState::Calculating};
        bool stopRequested() override { return state.StopRequested(); }
    } host;
    Host& h = host;
    EXPECT_FALSE(h.stopRequested());
    host.state.RequestStop();
    EXPECT_TRUE(h.stopRequested());
}

} // namespace
} // namespace nvx
