// The input rules that only a window shows: the typing filter of the holding
// fields. The messages of the checks, the typed holdings, the values the dialog
// derives and the summary are in the tool's transcripts
// (tests/cli/transcripts.txt).
#include "present/input_rules.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

// The typing filter of the holding fields, as keys come in: cards the field
// may not take go, a lone 1 waits for its 0 while the caret is behind it, and x
// stands for the lowest free card. The windows' tests type through it.
TEST(ComboDialog, TypingFilter) {
    const Holding all = FullSuit(), noQ = AllowedCards(HoldingEdit::North, "", "Q");
    const struct {
        const char* typed;
        Holding allowed;
        std::size_t caret;
        const char *text, *exitText;
    } cases[] = {
        {"AK10", all, 4, "AK10", "A K 10 "},
        {"AK1", all, 3, "AK1", "A K "}, // the 1 stays until the field is left
        {"1K", all, 2, "K", nullptr},   // ...or another card follows it
        {"T1", all, 2, "T", nullptr},   // with a T typed a 1 never stays
        {"A1", HoldingMinus(all, "T"), 2, "A", nullptr},
        {"A0", all, 2, "A", nullptr},
        {"A Q A", all, 5, "A Q ", nullptr}, // blanks stay, repeated cards go
        {"AQ3", noQ, 3, "A3", "A 3 "},
        {"A,K?Z", noQ, 5, "AK", nullptr},
        {"AKXX", all, 4, "AK32", nullptr},
        {"AXX", "A2", 3, "A2", nullptr}, // no free card left for the second x
    };
    for (const auto& c : cases) {
        const FilteredText f = FilterTypedText(c.typed, c.allowed, c.caret);
        EXPECT_EQ(f.Text, c.text) << c.typed;
        if (c.exitText) {
            EXPECT_EQ(HoldingEditExitText(c.typed, c.allowed), c.exitText) << c.typed;
        }
    }
    EXPECT_EQ(FilterTypedText("1K", all, 2).Caret, 1u);
    EXPECT_EQ(noQ.str(), "AKJT98765432");
    EXPECT_EQ(AllowedCards(HoldingEdit::South, "A K 10", "").str(), "QJ98765432");
    EXPECT_EQ(AllowedCards(HoldingEdit::Discards, "A K", "10 3").str(), "AKT3");
    // The rightmost x gets the lowest card; named cards and the other hand's
    // are not free.
    EXPECT_EQ(ExpandLowestFree("X2XA", all), "423A");
    EXPECT_EQ(ExpandLowestFree("AXX", HoldingMinus(all, "32")), "A54");
}

} // namespace
} // namespace nvx
