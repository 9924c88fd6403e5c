// The set-up of a combination from arbitrary holdings and numbers. Each one
// goes through the checks the command line (and the dialog's OK button)
// applies; an admitted combination is set up and must come out consistent: the
// hands as entered, a walk of plays taken back restores the start, and the
// engine reports no internal error (the divisions and their probabilities of
// every admitted defenders' holding are checked exhaustively by the
// probabilities test). Refused combinations are set up too, on a host of
// their own, and must merely do no harm.
#include "cli/options.h"
#include "present/input_rules.h"
#include "results/analysis.h"
#include "support/recording_host.h"

#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

namespace {

using namespace nvx;
using fuzz::Require;

void CheckAdmitted(const ComboValues& v, FuzzedDataProvider& in) {
    test::RecordingHost host;
    Analysis a(host);
    a.SetUpCombination(v.North.str(), v.South.str(), v.EntriesCount(), v.Discards.str(),
                       v.WestFilled(), v.EastFilled());
    if (v.Goal)
        a.SetIMPTable(*v.Goal);
    else
        a.SetTrickTable();
    Engine& e = a.GetEngine();
    Require(e.GetNorth() == v.North && e.GetSouth() == v.South, "hands as entered");
    Require(e.GetEWCards() == v.DefendersHolding(), "the defenders hold the rest");
    Require(e.GetDiscards() == v.Discards, "discards as entered");

    // A walk of plays from the start, taken back card by card.
    const PlayState start = e.play;
    unsigned played = 0;
    while (in.remaining_bytes() > 0 && played < MaxCardsPlayed) {
        const std::uint8_t code = in.ConsumeIntegralInRange<std::uint8_t>(0, 16);
        if (e.Play(code)) {
            ++played;
            Require(e.play.CardIndex == played + 1, "one card further");
        }
    }
    Require(e.NSTricks() <= played / 4, "tricks won");
    for (unsigned k = 0; k < played; ++k)
        e.UndoPlay();
    Require(e.play == start, "taking back restores the start");
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
