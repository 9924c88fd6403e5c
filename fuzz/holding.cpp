// Holding normalisation and the combination dialog's typing filter and OK
// checks, fed with arbitrary bytes as typed text and arbitrary numbers for the
// entries and the vacant places.
#include "cards/holding.h"
#include "present/input_rules.h"
#include "present/result_views.h"

#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <string>

namespace {

using namespace nvx;
using fuzz::Require;

// Ranks strictly falling, each a card character.
bool HighestFirst(std::string_view h) {
    for (std::size_t i = 0; i < h.size(); ++i) {
        if (RankValue(h[i]) == 0) return false;
        if (i > 0 && !IsHigher(h[i - 1], h[i])) return false;
    }
    return true;
}

bool SubsetOf(const Holding& a, const Holding& b) {
    return HoldingMinus(a, b).empty();
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void CheckNormalize(const std::string& text) {
    const Holding h = NormalizeHolding(text);
    Require(h.size() <= 13 && HighestFirst(h), "normalised holding highest first");
    for (char c : h)
        Require(text.find(c) != std::string::npos ||
                    (c == 'T' && text.find("10") != std::string::npos),
                "normalised card typed");
    Require(NormalizeHolding(HoldingDisplayText(h)) == h, "display text normalises back");
    Require(NormalizeHolding(h.view()) == h, "normalising twice changes nothing");
    const Holding rest = HoldingMinus(FullSuit(), h);
    Require(rest.size() + h.size() == 13, "holding and rest make the suit");
    Require(NormalizeHolding(h.str() + rest.str()) == FullSuit(), "holding and rest");
}

// What a holding edit keeps of typed text, as the dialog filters it on every
// change: cards allowed, none twice, and filtering again keeps it as it is.
std::string FilterEdit(const std::string& typed, const Holding& allowed, std::size_t caret) {
    const FilteredText f = FilterTypedText(Upper(typed), allowed, caret);
    Require(f.Caret <= f.Text.size(), "caret inside the text");
    std::string seen;
    for (std::size_t i = 0; i < f.Text.size(); ++i) {
        const char c = f.Text[i];
        if (c == ' ') continue;
        Require(seen.find(c) == std::string::npos, "no card kept twice");
        seen += c;
        if (c == '1' || c == '0') {
            Require(HasCard('T', allowed), "a ten typed only when allowed");
            if (c == '0') Require(i > 0 && f.Text[i - 1] == '1', "0 only after 1");
        } else {
            Require(HasCard(c, allowed), "kept card allowed");
        }
    }
    const FilteredText again = FilterTypedText(f.Text, allowed, f.Caret);
    Require(again.Text == f.Text && again.Caret == f.Caret, "filtering is stable");
    const std::string exit = HoldingEditExitText(f.Text, allowed);
    Require(SubsetOf(NormalizeHolding(exit), allowed), "exit text allowed");
    return f.Text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::size_t caret = in.ConsumeIntegralInRange<std::size_t>(0, 40);
    const bool discardsOn = in.ConsumeBool();
    const bool entriesOn = in.ConsumeBool();
    const bool vacantOn = in.ConsumeBool();
    const bool imps = in.ConsumeBool();
    const std::string entriesText = in.ConsumeRandomLengthString(12);
    const std::string westText = in.ConsumeRandomLengthString(12);
    const std::string eastText = in.ConsumeRandomLengthString(12);
    ContractGoal goal;
    goal.Contract.Level = in.ConsumeIntegralInRange<std::uint8_t>(1, 7);
    goal.Contract.Strain = in.ConsumeIntegralInRange<std::uint8_t>(0, 4);
    goal.TricksNeeded = in.ConsumeIntegral<std::uint8_t>();
    const std::string northTyped = in.ConsumeRandomLengthString(40);
    const std::string southTyped = in.ConsumeRandomLengthString(40);
    const std::string discardsTyped = in.ConsumeRemainingBytesAsString();

    for (const std::string* t : {&northTyped, &southTyped, &discardsTyped})
        CheckNormalize(*t);
    {
        const std::string expanded = ExpandLowestFree(northTyped, FullSuit());
        Require(expanded.size() == northTyped.size(), "expansion keeps the length");
    }

    // The dialog: North filtered against South's (empty) text, then South
    // against North, then the discards against both.
    const std::string north =
        FilterEdit(northTyped, AllowedCards(HoldingEdit::North, "", ""), caret);
    const std::string south =
        FilterEdit(southTyped, AllowedCards(HoldingEdit::South, north, ""), caret);
    const std::string discards =
        FilterEdit(discardsTyped, AllowedCards(HoldingEdit::Discards, north, south), caret);

    ComboValues v;
    v.North = NormalizeHolding(north);
    v.South = NormalizeHolding(south);
    Require(HoldingMinus(v.North, v.South) == v.North, "North and South hold no card twice");
    if (discardsOn) v.Discards = NormalizeHolding(discards);
    Require(SubsetOf(v.Discards, NormalizeHolding(v.North.str() + v.South.str())),
            "discards held by North or South");

    // Numeric fields: a value is taken only when it is a whole number in range.
    const std::optional<int> entries = ParseRangeValue(entriesText, MaxEntriesValue);
    const std::optional<int> west = ParseRangeValue(westText, MaxPlacesValue);
    const std::optional<int> east = ParseRangeValue(eastText, MaxPlacesValue);
    for (const std::optional<int>& value : {entries, west, east})
        if (value) Require(*value >= 0 && *value <= MaxPlacesValue, "numeric field in range");
    if (entries) Require(*entries <= MaxEntriesValue, "entries in range");
    v.EntriesOn = entriesOn && entries.has_value();
    v.Entries = static_cast<std::uint8_t>(entries.value_or(0));
    v.VacantOn = vacantOn;
    v.VacantWestSpin = static_cast<std::uint8_t>(west.value_or(13));
    v.VacantEastSpin = static_cast<std::uint8_t>(east.value_or(13));
    if (imps) v.Goal = goal;

    const ComboCheck check = CheckCombination(v);
    const std::string summary = CombinationSummary(v);
    Require(!summary.empty(), "summary");
    if (imps) Require(!CompareMethodText(goal).empty(), "IMP caption");
    if (!check.ok()) {
        Require(check.Focus != ComboField::None, "a refusal names a field");
        const std::string line = OneLineMessage(check.Message);
        Require(line.find('\r') == std::string::npos && line.find('\n') == std::string::npos,
                "message on one line");
        return 0;
    }
    // The rules of the check themselves are in the tool's transcripts, at their edges.
    Require(v.North.size() + v.South.size() + v.DefendersHolding().size() == 13, "one suit");
    Require(v.EntriesCount() <= 13 && v.TricksInSuit() <= 13, "counts");
    return 0;
}
