#include "present/input_rules.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

TEST(ComboDialog, NumericFields) {
    EXPECT_EQ(RangeMessage(9), "Value must be integer number in the range 0 to 9");
    EXPECT_EQ(RangeMessage(13), "Value must be integer number in the range 0 to 13");
    EXPECT_EQ(ParseRangeValue("0", 9), 0);
    EXPECT_EQ(ParseRangeValue(" 9 ", 9), 9);
    EXPECT_EQ(ParseRangeValue("13", 13), 13);
    for (const char* bad : {"10", "a", "", " ", "-1", "3a", "1.5", "99999999999"})
        EXPECT_FALSE(ParseRangeValue(bad, 9).has_value()) << bad;
    EXPECT_FALSE(ParseRangeValue("14", 13).has_value());
}

TEST(ComboDialog, TypingTheTen) {
    const THolding all = FullSuit();
    FilteredText f = FilterTypedText("AK10", all, 4);
    EXPECT_EQ(f.Text, "AK10");
    EXPECT_EQ(f.Caret, 4u);
    EXPECT_EQ(HoldingEditExitText(f.Text, all), "A K 10 ");
    // A lone 1 stays while the caret is right behind it...
    EXPECT_EQ(FilterTypedText("AK1", all, 3).Text, "AK1");
    // ...but goes when another card follows it, and when the field is left.
    f = FilterTypedText("1K", all, 2);
    EXPECT_EQ(f.Text, "K");
    EXPECT_EQ(f.Caret, 1u);
    EXPECT_EQ(HoldingEditExitText("AK1", all), "A K ");
    // With a T typed, or the ten held by the other hand, a 1 never stays.
    EXPECT_EQ(FilterTypedText("T1", all, 2).Text, "T");
    EXPECT_EQ(FilterTypedText("A1", HoldingMinus(all, "T"), 2).Text, "A");
    // A 0 without a 1 before it is dropped.
    EXPECT_EQ(FilterTypedText("A0", all, 2).Text, "A");
    // Blanks stay, repeated cards go.
    EXPECT_EQ(FilterTypedText("A Q A", all, 5).Text, "A Q ");
}

TEST(ComboDialog, CardsOfTheOtherHandAndOtherSignsDisappear) {
    const THolding north = AllowedCards(HoldingEdit::North, "", "Q");
    EXPECT_EQ(north.str(), "AKJT98765432");
    FilteredText f = FilterTypedText("AQ", north, 2);
    EXPECT_EQ(f.Text, "A");
    EXPECT_EQ(f.Caret, 1u);
    EXPECT_EQ(FilterTypedText("A,K?Z", north, 5).Text, "AK");
    EXPECT_EQ(AllowedCards(HoldingEdit::South, "A K 10", "").str(), "QJ98765432");
    EXPECT_EQ(AllowedCards(HoldingEdit::Discards, "A K", "10 3").str(), "AKT3");
    // Leaving the field drops what is no longer allowed.
    EXPECT_EQ(HoldingEditExitText("AQ3", north), "A 3 ");
}

TEST(ComboDialog, XStandsForTheLowestFreeCard) {
    EXPECT_EQ(FilterTypedText("AKXX", FullSuit(), 4).Text, "AK32");
    EXPECT_EQ(ExpandLowestFree("AKxx", FullSuit()), "AK32");
    // The rightmost x gets the lowest card; named cards are not free.
    EXPECT_EQ(ExpandLowestFree("X2XA", FullSuit()), "423A");
    // Cards the other hand holds are not free either.
    EXPECT_EQ(ExpandLowestFree("AXX", HoldingMinus(FullSuit(), "32")), "A54");
    // No free card left: the x stays and the filter drops it.
    EXPECT_EQ(ExpandLowestFree("AXX", "A2"), "AX2");
    EXPECT_EQ(FilterTypedText("AXX", "A2", 3).Text, "A2");
}

ComboValues Combo(const char* north, const char* south, const char* discards = "") {
    ComboValues v;
    v.North = NormalizeHolding(north);
    v.South = NormalizeHolding(south);
    v.Discards = NormalizeHolding(discards);
    return v;
}

TEST(ComboDialog, DerivedValues) {
    ComboValues v = Combo("AKQ5", "J43", "5");
    EXPECT_EQ(v.NorthPlaying().str(), "AKQ");
    EXPECT_EQ(v.NorthDiscards().str(), "5");
    EXPECT_EQ(v.SouthDiscards().str(), "");
    EXPECT_EQ(v.DefendersHolding().str(), "T98762");
    EXPECT_EQ(v.EntriesCount(), 3); // option off: as many as North plays
    EXPECT_EQ(v.TricksInSuit(), 3);
    EXPECT_EQ(v.WestFilled(), 0);
    v.EntriesOn = true;
    v.Entries = 1;
    EXPECT_EQ(v.EntriesCount(), 1);
    v.VacantWestSpin = 6; // ignored while the option is off
    EXPECT_EQ(v.VacantWest(), 13);
    v.VacantOn = true;
    EXPECT_EQ(v.VacantWest(), 6);
    EXPECT_EQ(v.WestFilled(), 7);
}

TEST(ComboDialog, OkButtonChecksInOrder) {
    ComboCheck c = CheckCombination(Combo("A", "K"));
    EXPECT_EQ(c.Message, "Either North or South needs at least two cards");
    EXPECT_EQ(c.Focus, ComboField::North);
    c = CheckCombination(Combo("AKQ", "", "QK"));
    EXPECT_EQ(c.Message, "Either North or South needs at least two cards");
    EXPECT_EQ(c.Focus, ComboField::Discards);

    c = CheckCombination(Combo("AKQJT9", "876543"));
    EXPECT_EQ(c.Message, "Defenders need at least two cards");
    EXPECT_EQ(c.Focus, ComboField::North);
    // The first failing check wins: both apply here.
    EXPECT_EQ(CheckCombination(Combo("AKQJT98765432", "")).Message,
              "Defenders need at least two cards");
    c = CheckCombination(Combo("AKQJT98765", "432", "AKQJT9876543"));
    EXPECT_EQ(c.Message, "Either North or South needs at least two cards");
    EXPECT_EQ(c.Focus, ComboField::Discards);

    ComboValues v = Combo("AKQJ", "T98");
    v.VacantOn = true;
    v.VacantWestSpin = 3;
    v.VacantEastSpin = 2;
    c = CheckCombination(v);
    EXPECT_EQ(c.Message, "Not enough vacant places for defenders' cards");
    EXPECT_EQ(c.Focus, ComboField::West);
    v.VacantEastSpin = 3;
    EXPECT_TRUE(CheckCombination(v).ok());
    v.VacantOn = false; // the spin positions count only with the option on
    v.VacantEastSpin = 0;
    EXPECT_TRUE(CheckCombination(v).ok());
}

TEST(ComboDialog, ImpChecks) {
    ComboValues v = Combo("AKQJ", "T98");
    TContractGoal g;
    g.Contract.Level = 1;
    g.TricksNeeded = 8;
    v.Goal = g;
    ComboCheck c = CheckCombination(v);
    EXPECT_EQ(c.Message,
              "Too many tricks specified for IMPs. \r\n7 tricks should be enough for 1NT.");
    EXPECT_EQ(c.Focus, ComboField::Contract);

    g = TContractGoal{}; // 3NT, 2 tricks; p = 4 passes
    v.Goal = g;
    EXPECT_TRUE(CheckCombination(v).ok());
    g.Contract.Level = 6;
    v.Goal = g;
    c = CheckCombination(v);
    EXPECT_EQ(c.Message,
              "Not enough tricks specified for IMPS. \r\n\r\n4 tricks will be played in the "
              "suit, so winning 2 tricks in the suit means losing 2 tricks. \r\nSo 6NT will "
              "not make.\r\nEither change contract or number tricks needed for contract, or "
              "remove or discard cards from North or South.");
    EXPECT_EQ(c.Focus, ComboField::North);
    // Discarding shortens the suit: 3 tricks played, 3 + 6 > 2 + 7 is false.
    v.Discards = NormalizeHolding("J");
    EXPECT_TRUE(CheckCombination(v).ok());
}

TEST(ComboDialog, CompareMethodText) {
    TContractGoal g;
    EXPECT_EQ(CompareMethodText(g), "IMPS: 3NT, 2 tricks");
    g.Contract.Level = 4;
    g.Contract.Strain = 3;
    g.Contract.Doubled = 1;
    g.Contract.Vulnerable = 1;
    g.TricksNeeded = 1;
    EXPECT_EQ(CompareMethodText(g), "IMPS: 4S x vul, 1 trick");
}

TEST(CombinationSummaryText, PlainAndWithOptions) {
    EXPECT_EQ(CombinationSummary(Combo("AQ42", "J53")), "North: \tAQ42\rSouth: \tJ53\r\r");

    ComboValues v = Combo("AQ42", "J53", "2J");
    v.EntriesOn = true;
    v.Entries = 1;
    v.VacantOn = true;
    v.VacantWestSpin = 6;
    v.Goal = TContractGoal{};
    EXPECT_EQ(CombinationSummary(v),
              "North: \tAQ42\t\t\tdiscards: 2\t\t\tentries: 1\rSouth: \tJ53\t\t\tdiscards: J\r\r"
              "Compare method: IMPS: 3NT, 2 tricks; Vacant places: West 6 East 13");
    // Entries that cover North's cards are no limit.
    v = Combo("AQ", "J53");
    v.EntriesOn = true;
    v.Entries = 2;
    EXPECT_EQ(CombinationSummary(v), "North: \tAQ\rSouth: \tJ53\r\r");
}

TEST(TypedHoldings, ReadInOneGo) {
    std::string error;
    for (const char* text : {"AQ10", "A Q 10", "AQT", "aq10", "qat"}) {
        std::optional<TypedHolding> h = ReadTypedHolding(text, "North", error);
        ASSERT_TRUE(h) << text << ": " << error;
        EXPECT_EQ(h->Cards.str(), "AQT") << text;
        EXPECT_EQ(h->Lows, 0u);
    }
    std::optional<TypedHolding> h = ReadTypedHolding("AKxx", "North", error);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->Cards.str(), "AK");
    EXPECT_EQ(h->Lows, 2u);
    h = ReadTypedHolding("", "South", error);
    ASSERT_TRUE(h);
    EXPECT_TRUE(h->Cards.empty());
}

TEST(TypedHoldings, RefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(ReadTypedHolding("AZ", "North", error));
    EXPECT_EQ(error, "North: 'Z' is no card");
    EXPECT_FALSE(ReadTypedHolding("A1", "South", error));
    EXPECT_EQ(error, "South: '1' is no card (write 10 or T for the ten)");
    EXPECT_FALSE(ReadTypedHolding("A 1 0", "North", error)); // the 1 and 0 must touch
    EXPECT_FALSE(ReadTypedHolding("A,K", "North", error));
    EXPECT_EQ(error, "North: ',' is no card");
    EXPECT_FALSE(ReadTypedHolding("AKA", "North", error));
    EXPECT_EQ(error, "North: A is given twice");
    EXPECT_FALSE(ReadTypedHolding("T10", "North", error));
    EXPECT_EQ(error, "North: 10 is given twice");
    EXPECT_FALSE(ReadTypedHolding("AKQJT98765432x", "North", error));
    EXPECT_EQ(error, "North: more than 13 cards");
    EXPECT_FALSE(ReadTypedHolding("A\x01", "North", error));
    EXPECT_EQ(error, "North: character 1 is no card");
}

} // namespace
} // namespace nvx
