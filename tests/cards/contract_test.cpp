#include "cards/contract.h"

#include <gtest/gtest.h>

#include <climits>

namespace nvx {
namespace {

TContract C(int level, int strain, bool dbl = false, bool rdbl = false, bool vul = false) {
    return TContract{std::uint8_t(level), std::uint8_t(strain), std::uint8_t(dbl),
                     std::uint8_t(rdbl), std::uint8_t(vul)};
}

TEST(ContractScoreTest, WorkedExamples) {
    EXPECT_EQ(ContractScore(C(3, 4), 0), 400);
    EXPECT_EQ(ContractScore(C(3, 4), 1), 430);
    EXPECT_EQ(ContractScore(C(3, 4), -1), -50);
    EXPECT_EQ(ContractScore(C(3, 4, false, false, true), 0), 600);
    EXPECT_EQ(ContractScore(C(2, 3, true), 0), 470);
    EXPECT_EQ(ContractScore(C(7, 4, false, true, true), 0), 2980);
    EXPECT_EQ(ContractScore(C(4, 2, true), -4), -800);
    EXPECT_EQ(ContractScore(C(4, 2, false, true), -4), -1600);
}

TEST(ContractScoreTest, MadeContracts) {
    EXPECT_EQ(ContractScore(C(1, 0), 0), 70);                       // 20 + 50
    EXPECT_EQ(ContractScore(C(1, 0), 2), 110);                      // two overtricks at 20
    EXPECT_EQ(ContractScore(C(4, 3), 0), 420);                      // 120 + 300
    EXPECT_EQ(ContractScore(C(5, 1, false, false, true), 0), 600);  // 100 + 500
    EXPECT_EQ(ContractScore(C(6, 3), 0), 980);                      // 180 + 500 + 300
    EXPECT_EQ(ContractScore(C(7, 0, false, false, true), 0), 2140); // 140 + 1500 + 500
    EXPECT_EQ(ContractScore(C(1, 4, true), 1), 280);                // 80 + 100 + 50 + 50
    EXPECT_EQ(ContractScore(C(1, 4, true, false, true), 1), 380);   // 80 + 200 + 50 + 50
    EXPECT_EQ(ContractScore(C(1, 4, false, true), 1), 760);         // 160 + 200 + 300 + 100
    EXPECT_EQ(ContractScore(C(2, 0, false, true, true), 2), 1560);  // 160 + 800 + 500 + 100
}

TEST(ContractScoreTest, UndertricksMatchTheClosedFormulas) {
    for (int level = 1; level <= 7; ++level) {
        for (int x = -1; x >= -(level + 6); --x) {
            const int d = -x;
            EXPECT_EQ(ContractScore(C(level, 4), x), -50 * d);
            EXPECT_EQ(ContractScore(C(level, 4, false, false, true), x), -100 * d);
            EXPECT_EQ(ContractScore(C(level, 4, true), x),
                      std::min(0, x + 3) * 100 + (x + 1) * 200 - 100);
            EXPECT_EQ(ContractScore(C(level, 4, true, false, true), x), (x + 1) * 300 - 200);
            EXPECT_EQ(ContractScore(C(level, 4, false, true), x),
                      std::min(0, x + 3) * 200 + (x + 1) * 400 - 200);
            EXPECT_EQ(ContractScore(C(level, 4, false, true, true), x), (x + 1) * 600 - 400);
        }
    }
    EXPECT_EQ(ContractScore(C(4, 2, true), -1), -100);
    EXPECT_EQ(ContractScore(C(4, 2, true), -2), -300);
    EXPECT_EQ(ContractScore(C(4, 2, true), -3), -500);
    EXPECT_EQ(ContractScore(C(4, 2, true), -5), -1100);
    EXPECT_EQ(ContractScore(C(4, 2, true, false, true), -3), -800);
}

TEST(ContractScoreTest, OutOfRangeScoresZero) {
    EXPECT_EQ(ContractScore(C(7, 4), 1), 0);  // 14 tricks
    EXPECT_EQ(ContractScore(C(1, 4), -8), 0); // -1 tricks
    EXPECT_EQ(ContractScore(C(1, 4), -7), -350);
    EXPECT_EQ(ContractScore(C(1, 4), 6), 270); // 13 tricks
    EXPECT_EQ(ContractScore(C(0, 4), 0), 0);
    EXPECT_EQ(ContractScore(C(8, 4), -1), 0);
    // Far out of range: no overflow, just 0.
    EXPECT_EQ(ContractScore(C(7, 4), INT_MAX), 0);
    EXPECT_EQ(ContractScore(C(1, 4), INT_MIN), 0);
}

TEST(ImpsTest, Scale) {
    EXPECT_EQ(Imps(0), 0);
    EXPECT_EQ(Imps(10), 0);
    EXPECT_EQ(Imps(-19), 0);
    EXPECT_EQ(Imps(-20), -1);
    EXPECT_EQ(Imps(20), 1);
    EXPECT_EQ(Imps(425), 9);
    EXPECT_EQ(Imps(430), 10);
    EXPECT_EQ(Imps(3990), 23);
    EXPECT_EQ(Imps(4000), 24);
    EXPECT_EQ(Imps(-100000), -24);
    EXPECT_EQ(Imps(INT_MIN), -24);
    EXPECT_EQ(Imps(INT_MAX), 24);
}

TEST(ContractTextTest, Texts) {
    EXPECT_EQ(ContractName(3, 4), "3NT");
    EXPECT_EQ(ContractName(4, 3), "4S");
    EXPECT_EQ(ContractText(C(4, 3, true, false, true)), "4S x vul");
    EXPECT_EQ(ContractText(C(6, 0, false, true)), "6C xx");
    EXPECT_EQ(ContractText(C(6, 0, true, true)), "6C xx");
    EXPECT_EQ(ContractText(C(1, 1)), "1D");
    EXPECT_EQ(ContractText(C(2, 2, false, false, true)), "2H vul");
}

} // namespace
} // namespace nvx
