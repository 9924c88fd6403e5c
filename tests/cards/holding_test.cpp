#include "cards/holding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace nvx {
namespace {

TEST(RankTest, RankValuesAndCharacters) {
    EXPECT_EQ(RankValue('2'), 1);
    EXPECT_EQ(RankValue('9'), 8);
    EXPECT_EQ(RankValue('T'), 9);
    EXPECT_EQ(RankValue('A'), 13);
    for (char c : {'t', '1', ' ', '0', 'x', 'a', '\0', '\xff'})
        EXPECT_EQ(RankValue(c), 0) << int(c);
    for (std::uint16_t r = 1; r <= 13; ++r)
        EXPECT_EQ(RankValue(RankChar(r)), r);
    for (char c : RankChars) {
        EXPECT_TRUE(IsHigher(c, 't'));
        EXPECT_TRUE(IsHigher(c, ' '));
        EXPECT_FALSE(IsHigher(c, c));
    }
}

TEST(HoldingTest, NormalizeTen) {
    EXPECT_EQ(NormalizeHolding("10"), THolding("T"));
    EXPECT_EQ(NormalizeHolding("1 0"), THolding(""));
    EXPECT_EQ(NormalizeHolding("T10"), THolding("T"));
    EXPECT_EQ(NormalizeHolding("A 10 3"), THolding("AT3"));
    EXPECT_EQ(NormalizeHolding("0 1"), THolding(""));
}

TEST(HoldingTest, NormalizeSortsDropsAndCollapses) {
    EXPECT_EQ(NormalizeHolding("K 10 2"), THolding("KT2"));
    EXPECT_EQ(NormalizeHolding("t92"), THolding("92"));
    EXPECT_EQ(NormalizeHolding("AKA"), THolding("AK"));
    EXPECT_EQ(NormalizeHolding(""), THolding(""));
    EXPECT_EQ(NormalizeHolding("2x,3;A-q"), THolding("A32"));
    // All thirteen ranks in any order and with repeats give the full suit.
    std::string all = "23456789TJQKA";
    std::mt19937 rng(7);
    for (int i = 0; i < 50; ++i) {
        std::string text = all + all.substr(0, rng() % 13);
        std::shuffle(text.begin(), text.end(), rng);
        EXPECT_EQ(NormalizeHolding(text), THolding("AKQJT98765432")) << text;
    }
    EXPECT_EQ(FullSuit(), THolding("AKQJT98765432"));
    EXPECT_EQ(FullSuit().size(), 13u);
}

TEST(HoldingTest, Minus) {
    const THolding h("AQT32");
    EXPECT_EQ(HoldingMinus(h, h), THolding(""));
    EXPECT_EQ(HoldingMinus(h, THolding("")), h);
    EXPECT_EQ(HoldingMinus(h, THolding("KQ3")), THolding("AT2"));
    EXPECT_EQ(HoldingMinus(FullSuit(), THolding("AKQJT9876543")), THolding("2"));
    // Keeps a's order, also when a is not sorted (class form, say).
    EXPECT_EQ(HoldingMinus(THolding("3QQ5"), THolding("5")), THolding("3QQ"));
}

TEST(HoldingTest, DisplayText) {
    EXPECT_EQ(HoldingDisplayText("T"), "10 ");
    EXPECT_EQ(HoldingDisplayText(""), "");
    EXPECT_EQ(HoldingDisplayText("3AKT"), "A K 10 3 ");
    EXPECT_EQ(HoldingDisplayText("10"), ""); // only a T counts as the ten
    EXPECT_EQ(HoldingDisplayText("xyz -"), "");
    EXPECT_EQ(HoldingDisplayText("22"), "2 ");
    // What the display text shows normalises back to the same holding.
    EXPECT_EQ(NormalizeHolding(HoldingDisplayText("AKT3")), THolding("AKT3"));
}

TEST(HoldingTest, CompareHoldings) {
    EXPECT_EQ(CompareHoldings("", ""), 0);
    EXPECT_EQ(CompareHoldings("A", ""), -1);
    EXPECT_EQ(CompareHoldings("", "A"), 1);
    EXPECT_EQ(CompareHoldings("K", "A"), 1);
    EXPECT_LT(CompareHoldings("AK", "AQ"), 0);
    EXPECT_LT(CompareHoldings("AKQ", "AK"), 0);
    EXPECT_EQ(CompareHoldings("AK", "AQ"), -1);   // RankValue(Q) - RankValue(K)
    EXPECT_EQ(CompareHoldings("A2", "AK"), 11);   // K - 2
    EXPECT_EQ(CompareHoldings("AKQJ", "AK"), -2); // length difference
    EXPECT_EQ(CompareHoldings("KQ", "KQ"), 0);
}

TEST(HoldingTest, SmallCardsAsX) {
    EXPECT_EQ(SmallCardsAsX("AJ842", '9'), "AJxxx");
    EXPECT_EQ(SmallCardsAsX("T9", '9'), "T9");
    EXPECT_EQ(SmallCardsAsX("AJ842", '2'), "AJ842");
    EXPECT_EQ(SmallCardsAsX("", 'A'), "");
    EXPECT_EQ(SmallCardsAsX("KQ", 'A'), "xx");
}

} // namespace
} // namespace nvx
