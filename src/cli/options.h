// The command line of norvadex-cli: parsing the arguments, the contract, and
// the checks that turn them, with the input rules of the combination dialog,
// into the values of one analysis.
#pragma once

#include "cards/contract.h"
#include "cards/holding.h"
#include "cards/version.h"
#include "present/input_rules.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nvx::cli {

inline constexpr const char* ProgramName = "norvadex-cli";
inline constexpr const char* VersionText = NameAndVersion;

// Exit statuses.
inline constexpr int ExitOk = 0;
inline constexpr int ExitInternalError = 1;
inline constexpr int ExitBadInput = 2;
inline constexpr int ExitOutOfMemory = 3;
inline constexpr int ExitCancelled = 130;

// One combination with its options, as typed (nothing checked yet).
struct ComboArgs {
    std::string North;
    std::string South;
    std::optional<std::string> Entries;
    std::optional<std::string> Discards;
    std::optional<std::string> Vacant; // "W,E"
    std::optional<std::string> Imps;   // "3NT", "4Hx", ...
    bool Vulnerable = false;
    std::optional<std::string> TricksNeeded;
    std::optional<std::string> Line; // play-through: the line's name
    std::optional<std::string> Play; // and the cards
    bool Plans = false;              // each line's plan, in words and as a tree
};

struct CliOptions {
    ComboArgs Combo; // unused with a batch
    bool HaveCombo = false;
    bool Json = false;
    bool Table = false;
    std::optional<std::string> Batch; // a file name, or "-" for standard input
    unsigned Jobs = 0;                // 0: one per core
    // The program's memory limit in megabytes (0: none); the default is
    // DefaultMemoryLimitMB().
    std::uint64_t MaxMemoryMB = 0;
};

// The outcome of parsing: Exit set means stop with that status after printing
// Output on standard output (help, version) or Error on standard error.
struct ParseOutcome {
    CliOptions Options;
    std::optional<int> Exit;
    std::string Output;
    std::string Error; // one line, without the program name
};

// Parses the arguments (without the program name).
ParseOutcome ParseCommandLine(const std::vector<std::string>& args);
// Parses one line of a batch: a combination in the form of the command line
// (the batch options themselves are not allowed there).
ParseOutcome ParseBatchLine(std::string_view line);

// Splits a line into words as a shell would for simple quoting: blanks separate
// words, '...' and "..." group (the quotes are removed), a backslash outside
// single quotes takes the next character literally. Nothing on an unterminated
// quote, with the reason in error.
std::optional<std::vector<std::string>> SplitWords(std::string_view line, std::string& error);

// Text the user typed, fit to be quoted in a one-line message: control
// characters become '?', and a long text is cut short with "...".
std::string ShownText(std::string_view text);

// "3NT", "4S", "4Hx", "6Cxx" (any case): level 1 to 7, strain C, D, H, S or NT,
// then x (doubled) or xx (redoubled).
std::optional<Contract> ReadContract(std::string_view text);

// What one analysis needs, checked: the combination dialog's values plus the
// line to play through and the cards to play.
struct RunRequest {
    ComboValues Combo;
    std::optional<std::string> Line;
    std::string Play; // upper case, "10" written T, blanks removed
    bool Plans = false;
};

// Checks the arguments of one combination as the combination dialog does
// (same messages, on one line) and resolves the x's: North's x's take the
// lowest cards that neither hand names, South's the lowest that North does not
// hold, the discards' the lowest of North's and South's cards. Nothing, with
// the message in error, when something is wrong.
std::optional<RunRequest> CheckComboArgs(const ComboArgs& args, std::string& error);

} // namespace nvx::cli
