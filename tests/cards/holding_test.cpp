#include "cards/holding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace nvx {
namespace {

TEST(RankTest, RankValuesAndCharacters) {
    for (char c : {'t', '1', ' ', '0', 'x', 'a', '\0', '\xff'})
        EXPECT_EQ(RankValue(c), 0) << int(c);
    for (std::uint16_t r = 1; r <= 13; ++r) {
        EXPECT_EQ(RankValue(RankChar(r)), r);
        EXPECT_FALSE(IsHigher(RankChar(r), RankChar(r)));
        EXPECT_TRUE(IsHigher(RankChar(r), 't'));
    }
}

TEST(HoldingTest, NormalizeSortsDropsAndCollapses) {
    const std::pair<const char*, const char*> cases[] = {
        {"10", "T"},   {"1 0", ""},   {"T10", "T"}, {"A 10 3", "AT3"},   {"0 1", ""},
        {"t92", "92"}, {"AKA", "AK"}, {"", ""},     {"2x,3;A-q", "A32"},
    };
    for (const auto& [text, holding] : cases)
        EXPECT_EQ(NormalizeHolding(text), Holding(holding)) << text;
    // All thirteen ranks in any order and with repeats give the full suit.
    std::string all = "23456789TJQKA";
    std::mt19937 rng(7);
    for (int i = 0; i < 50; ++i) {
        std::string text = all + all.substr(0, rng() % 13);
        std::shuffle(text.begin(), text.end(), rng);
        EXPECT_EQ(NormalizeHolding(text), FullSuit()) << text;
    }
    EXPECT_EQ(FullSuit().str(), "AKQJT98765432");
}

TEST(HoldingTest, MinusDisplayCompareAndSmallCards) {
    const Holding h("AQT32");
    EXPECT_EQ(HoldingMinus(h, h), Holding(""));
    EXPECT_EQ(HoldingMinus(h, Holding("KQ3")), Holding("AT2"));
    // Keeps a's order, also when a is not sorted (class form, say).
    EXPECT_EQ(HoldingMinus(Holding("3QQ5"), Holding("5")), Holding("3QQ"));
    EXPECT_EQ(HoldingDisplayText("3AKT"), "A K 10 3 ");
    EXPECT_EQ(HoldingDisplayText("10"), ""); // only a T counts as the ten
    EXPECT_EQ(HoldingDisplayText("22"), "2 ");
    EXPECT_EQ(CompareHoldings("KQ", "KQ"), 0);
    EXPECT_LT(CompareHoldings("A", ""), 0);
    EXPECT_GT(CompareHoldings("K", "A"), 0);
    EXPECT_LT(CompareHoldings("AKQ", "AK"), 0);
    EXPECT_GT(CompareHoldings("A2", "AK"), 0);
    EXPECT_EQ(SmallCardsAsX("AJ842", '9'), "AJxxx");
    EXPECT_EQ(SmallCardsAsX("T9", '9'), "T9");
    EXPECT_EQ(SmallCardsAsX("KQ", 'A'), "xx");
}

} // namespace
} // namespace nvx
