// The set-up of a combination from arbitrary holdings and numbers. Each one
// goes through the checks the command line (and the dialog's OK button)
// applies; an admitted combination is set up and must come out consistent: the
// division probabilities add up to the denominator, every layout of the
// defenders' cards falls in one division, a walk of plays taken back restores
// the start, and the engine reports no internal error. Refused combinations
// are set up too, on a host of their own, and must merely do no harm.
#include "cli/options.h"
#include "present/input_rules.h"
#include "results/analysis.h"
#include "support/recording_host.h"

#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace nvx;
using fuzz::Require;

void SetUp(Analysis& a, const ComboValues& v) {
    a.SetUpCombination(v.North.str(), v.South.str(), v.EntriesCount(), v.Discards.str(),
                       v.WestFilled(), v.EastFilled());
    if (v.Goal)
        a.SetIMPTable(*v.Goal);
    else
        a.SetTrickTable();
}

void CheckAdmitted(const ComboValues& v, FuzzedDataProvider& in) {
    test::RecordingHost host;
    Analysis a(host);
    SetUp(a, v);
    const Engine& e = a.GetEngine();
    Require(e.GetNorth() == v.North && e.GetSouth() == v.South, "hands as entered");
    Require(e.GetEWCards() == v.DefendersHolding(), "the defenders hold the rest");
    Require(e.GetDiscards() == v.Discards, "discards as entered");

    const unsigned n = static_cast<unsigned>(e.GetEWCards().size());
    const unsigned divs = e.NumDivs();
    Require(divs >= 1 && divs <= 162, "division count");
    Require(e.ProbDenominator() > 0, "denominator");
    std::int64_t sum = 0, layouts = 0;
    for (unsigned d = 0; d < divs; ++d) {
        const auto dn = static_cast<std::uint8_t>(d);
        Require(e.DivProb(dn) >= 0, "probability not negative");
        Require(e.WestLength(dn) <= n, "West's length");
        if (e.DivProb(dn) > 0)
            Require(e.WestLength(dn) <= 13 - e.GetWestFilled() &&
                        n - e.WestLength(dn) <= 13u - e.GetEastFilled(),
                    "a possible division fits the vacant places");
        sum += e.DivProb(dn);
        layouts += e.DivMultiplicity(dn);
    }
    Require(sum == e.ProbDenominator(), "division probabilities add up");
    Require(layouts == (std::int64_t{1} << n), "every layout in one division");

    // Every layout: its division, its length, its probability.
    const Holding ew = e.GetEWCards();
    double total = 0;
    for (unsigned mask = 0; mask < (1u << n); ++mask) {
        std::string west;
        for (unsigned i = 0; i < n; ++i)
            if (mask & (1u << i)) west += ew[i];
        const std::uint8_t d = e.DivNrOfCards(west);
        Require(d < divs, "a layout's division exists");
        Require(e.WestLength(d) == west.size(), "a layout's division has its length");
        const double p = a.GetDivProb(west);
        Require(p >= 0 && p <= 1, "a layout's probability");
        if (p > 0)
            Require(west.size() <= v.VacantWest() && n - west.size() <= v.VacantEast(),
                    "a possible layout fits the vacant places");
        total += p;
    }
    Require(std::fabs(total - 1.0) < 1e-9, "layout probabilities add up to 1");

    // A walk of plays from the start, taken back card by card.
    Engine& engine = a.GetEngine();
    const PlayState start = engine.play;
    unsigned played = 0;
    while (in.remaining_bytes() > 0 && played < MaxCardsPlayed) {
        const std::uint8_t code = in.ConsumeIntegralInRange<std::uint8_t>(0, 16);
        if (engine.Play(code)) {
            ++played;
            Require(engine.play.CardIndex == played + 1, "one card further");
        }
    }
    Require(engine.NSTricks() <= played / 4, "tricks won");
    for (unsigned k = 0; k < played; ++k)
        engine.UndoPlay();
    Require(engine.play == start, "taking back restores the start");
    Require(host.errors.empty(), "no internal error");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    cli::ComboArgs args;
    args.North = in.ConsumeRandomLengthString(20);
    args.South = in.ConsumeRandomLengthString(20);
    if (in.ConsumeBool()) args.Discards = in.ConsumeRandomLengthString(20);
    if (in.ConsumeBool()) args.Entries = in.ConsumeRandomLengthString(4);
    if (in.ConsumeBool()) args.Vacant = in.ConsumeRandomLengthString(6);
    if (in.ConsumeBool()) {
        args.Imps = in.ConsumeRandomLengthString(5);
        args.Vulnerable = in.ConsumeBool();
        if (in.ConsumeBool()) args.TricksNeeded = in.ConsumeRandomLengthString(3);
    }

    std::string error;
    const std::optional<cli::RunRequest> request = cli::CheckComboArgs(args, error);
    if (request) {
        Require(CheckCombination(request->Combo).ok(), "admitted by the dialog's checks");
        CheckAdmitted(request->Combo, in);
        return 0;
    }
    Require(!error.empty(), "a refusal has a reason");
    // Refused: the texts as they are, with the numbers as given, set up on a
    // host of their own. Only memory safety counts here.
    test::RecordingHost host;
    Analysis a(host);
    a.SetUpCombination(args.North, args.South, in.ConsumeIntegralInRange<std::uint8_t>(0, 13),
                       args.Discards.value_or(""), in.ConsumeIntegralInRange<std::uint8_t>(0, 13),
                       in.ConsumeIntegralInRange<std::uint8_t>(0, 13));
    return 0;
}
