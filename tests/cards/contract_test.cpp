// Contract scores and the IMP scale, and the message of an internal error.
#include "cards/contract.h"
#include "cards/host.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <sstream>
#include <string>

namespace nvx {
namespace {

Contract C(int level, int strain, bool dbl = false, bool rdbl = false, bool vul = false) {
    return Contract{std::uint8_t(level), std::uint8_t(strain), std::uint8_t(dbl),
                    std::uint8_t(rdbl), std::uint8_t(vul)};
}

TEST(ContractScoreTest, MadeAndOutOfRange) {
    std::ifstream file(NORVADEX_SCORES_FILE);
    int cases = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        int level = 0, strain = 0, overtricks = 0, score = 0;
        std::string x;
        in >> level >> strain >> x >> overtricks >> score;
        const auto has = [&x](char c) { return x.find(c) != std::string::npos; };
        EXPECT_EQ(ContractScore(C(level, strain, has('d'), has('r'), has('v')), overtricks), score)
            << line;
        ++cases;
    }
    EXPECT_GE(cases, 20) << "no scores at " << NORVADEX_SCORES_FILE;
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
