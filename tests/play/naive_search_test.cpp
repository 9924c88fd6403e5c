// Checks of the naive reference itself on hands whose answers every bridge
// player knows; the engine is compared against it elsewhere.
#include "support/naive_search.h"

#include <gtest/gtest.h>

namespace nvx::test {
namespace {

double Chance(const NaiveResult& r, int k) {
    return double(r.bestWeight[k]) / double(r.totalWeight);
}

TEST(NaiveSearchTest, FinesseAgainstTheKing) {
    // AQ opposite 32: the finesse wins two tricks half the time.
    NaiveResult r = NaiveAnalyse({"AQ", "32", "", 13, 13, 13});
    EXPECT_DOUBLE_EQ(Chance(r, 1), 1.0);
    EXPECT_DOUBLE_EQ(Chance(r, 2), 0.5);
    EXPECT_EQ(r.bestWeight[3], 0u);
}

TEST(NaiveSearchTest, WithoutAnEntryNorthCannotLead) {
    // North's ace can only win a trick when South leads towards it.
    NaiveResult none = NaiveAnalyse({"A", "", "", 0, 13, 13});
    EXPECT_EQ(none.bestWeight[1], 0u);
    NaiveResult one = NaiveAnalyse({"A", "", "", 1, 13, 13});
    EXPECT_DOUBLE_EQ(Chance(one, 1), 1.0);
}

TEST(NaiveSearchTest, VacantPlacesShiftTheOdds) {
    // With no vacant place at West every defenders' card is with East: the
    // finesse of the queen through East always works... West has none, so
    // leading towards AQ with East's king behind is hopeless; the king drops
    // only if singleton. With West full, East holds K and the rest.
    NaiveResult r = NaiveAnalyse({"AQ", "32", "", 13, 0, 13});
    EXPECT_EQ(Chance(r, 2), 0.0);
    NaiveResult w = NaiveAnalyse({"AQ", "32", "", 13, 13, 0});
    EXPECT_DOUBLE_EQ(Chance(w, 2), 1.0);
}

} // namespace
} // namespace nvx::test
