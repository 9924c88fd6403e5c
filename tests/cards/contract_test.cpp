// Contract scores and the IMP scale, and the message of an internal error.
#include "cards/contract.h"
#include "cards/host.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <climits>

namespace nvx {
namespace {

Contract C(int level, int strain, bool dbl = false, bool rdbl = false, bool vul = false) {
    return Contract{std::uint8_t(level), std::uint8_t(strain), std::uint8_t(dbl),
                    std::uint8_t(rdbl), std::uint8_t(vul)};
}

TEST(ContractScoreTest, MadeAndOutOfRange) {
    const struct {
        Contract c;
        int overtricks, score;
    } cases[] = {
        {C(3, 4), 0, 400},
        {C(3, 4), 1, 430},
        {C(3, 4, false, false, true), 0, 600},
        {C(2, 3, true), 0, 470},
        {C(7, 4, false, true, true), 0, 2980},
        {C(1, 0), 2, 110},                      // two overtricks at 20
        {C(4, 3), 0, 420},                      // 120 + 300
        {C(5, 1, false, false, true), 0, 600},  // 100 + 500
        {C(6, 3), 0, 980},                      // 180 + 500 + 300
        {C(6, 3, false, false, true), 0, 1430}, // 180 + 750 + 500
        {C(7, 0, false, false, true), 0, 2140}, // 140 + 1500 + 500
        {C(1, 4, true, false, true), 1, 380},   // 80 + 200 + 50 + 50
        {C(1, 4, false, true), 1, 760},         // 160 + 200 + 300 + 100
        {C(2, 0, false, true, true), 2, 1560},  // 160 + 800 + 500 + 100
        {C(1, 4), 6, 270},                      // 13 tricks
        {C(7, 4), 1, 0},                        // 14 tricks
        {C(1, 4), -7, -350},
        {C(1, 4), -8, 0}, // -1 tricks
        {C(0, 4), 0, 0},
        {C(8, 4), -1, 0},
        {C(7, 4), INT_MAX, 0}, // far out of range: no overflow
        {C(1, 4), INT_MIN, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ContractScore(c.c, c.overtricks), c.score)
            << ContractText(c.c) << " " << c.overtricks;
}

TEST(ContractScoreTest, UndertricksMatchTheClosedFormulas) {
    for (int level = 1; level <= 7; ++level) {
        for (int x = -1; x >= -(level + 6); --x) {
            EXPECT_EQ(ContractScore(C(level, 4), x), 50 * x);
            EXPECT_EQ(ContractScore(C(level, 4, false, false, true), x), 100 * x);
            EXPECT_EQ(ContractScore(C(level, 4, true), x),
                      std::min(0, x + 3) * 100 + (x + 1) * 200 - 100);
            EXPECT_EQ(ContractScore(C(level, 4, true, false, true), x), (x + 1) * 300 - 200);
            EXPECT_EQ(ContractScore(C(level, 4, false, true), x),
                      std::min(0, x + 3) * 200 + (x + 1) * 400 - 200);
            EXPECT_EQ(ContractScore(C(level, 4, false, true, true), x), (x + 1) * 600 - 400);
        }
    }
}

TEST(ImpsTest, Scale) {
    const std::pair<int, int> cases[] = {{0, 0},     {10, 0},        {-19, 0},       {-20, -1},
                                         {20, 1},    {425, 9},       {430, 10},      {3990, 23},
                                         {4000, 24}, {-100000, -24}, {INT_MIN, -24}, {INT_MAX, 24}};
    for (const auto& [points, imps] : cases)
        EXPECT_EQ(Imps(points), imps) << points;
}

TEST(InternalErrorTest, MessageShowsTheCodeAndAHostThatThrowsDoesNotStopTheCaller) {
    test::RecordingHost host;
    InternalError(host, InternalErrorCode::ProbabilitySumNotOne);
    ASSERT_EQ(host.messages.size(), 1u);
    const std::string& m = host.messages[0].text;
    EXPECT_EQ(m.rfind("An internal error occured. ", 0), 0u);
    EXPECT_NE(m.find(" together with error code 202. Then I will try"), std::string::npos);
    EXPECT_EQ(m.find("sum prob"), std::string::npos);
    struct ThrowingHost : SilentHost {
        void ShowMessage(MessageKind, const std::string&) override { throw 1; }
    } throwing;
    EXPECT_NO_THROW(InternalError(throwing, InternalErrorCode::NoCardToTakeBack));
}

} // namespace
} // namespace nvx
