#include "cli/options.h"

#include "present/result_views.h"
#include "results/memory_limit.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <thread>

namespace nvx::cli {

namespace {

constexpr const char* Description =
    "Analyses the play of one suit: North (dummy) and South (declarer) hold the cards given, the\n"
    "defenders West and East hold the rest. Holdings are typed as in the combination dialog:\n"
    "AQ10, \"A Q 10\" or AQT; x stands for the lowest free card (AKxx).";

// Far above any machine's memory, and small enough to count in bytes.
constexpr std::uint64_t MaxMemoryLimitMB = std::uint64_t(1) << 30;

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// Builds the parser. Batch lines take the options of one combination only.
void AddOptions(CLI::App& app, CliOptions& o, bool batchLine) {
    app.description(Description);
    app.add_option("NORTH", o.Combo.North, "North's cards (dummy)")->type_name("CARDS");
    app.add_option("SOUTH", o.Combo.South, "South's cards (declarer)")->type_name("CARDS");
    app.add_option("--entries", o.Combo.Entries, "Entries to North, 0 to 9 (default: no limit)")
        ->type_name("N");
    app.add_option("--discards", o.Combo.Discards,
                   "North's or South's cards discarded or ruffed elsewhere")
        ->type_name("CARDS");
    app.add_option("--vacant", o.Combo.Vacant,
                   "Vacant places of West and East, 0 to 13 each (default 13,13)")
        ->type_name("W,E");
    CLI::Option* imps =
        app.add_option("--imps", o.Combo.Imps, "Score at IMPs in this contract: 3NT, 4S, 4Hx, 6Cxx")
            ->type_name("CONTRACT");
    app.add_flag("--vul", o.Combo.Vulnerable, "Declarer is vulnerable (with --imps)")->needs(imps);
    app.add_option("--tricks-needed", o.Combo.TricksNeeded,
                   "Tricks in the suit the contract needs, 0 to 13 (with --imps; default 2)")
        ->type_name("N")
        ->needs(imps);
    app.add_flag("--json", o.Json, "Print the results as one JSON object");
    app.add_flag("--table", o.Table, "Print the tricks table too");
    app.add_flag("--plans", o.Combo.Plans,
                 "Print each line's plan: in words under the lines, or in the JSON as \"plan\" "
                 "and \"plan_text\"");
    CLI::Option* line = app.add_option("--line", o.Combo.Line, "Play this line through (A, B, ...)")
                            ->type_name("NAME");
    app.add_option("--play", o.Combo.Play,
                   "The cards to play, as typed in the play panel: x plays the lowest card "
                   "accepted, ';' closes a trick, '-' shows out")
        ->type_name("CARDS")
        ->needs(line);
    if (batchLine) {
        // A batch line is a combination: "-h" there is a bad line, not a request for help.
        app.set_help_flag();
        return;
    }
    app.add_option("--batch", o.Batch,
                   "Analyse one combination per line of FILE ('-': standard input), in the form "
                   "of this command line; print one JSON object per line (blank lines are "
                   "skipped)")
        ->type_name("FILE");
    app.add_option("--jobs", o.Jobs, "Combinations of a batch analysed at once (default: cores)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u).description(""));
    app.add_option("--max-memory", o.MaxMemoryMB,
                   "Stop an analysis when the program uses more than MB megabytes of memory; "
                   "the analyses of a batch share it; 0: no limit (default: three quarters of "
                   "the physical memory, " +
                       std::to_string(o.MaxMemoryMB) + " here)")
        ->type_name("MB")
        ->check(CLI::Range(std::uint64_t(0), MaxMemoryLimitMB).description(""));
    app.footer("Exit status: 0 done, 1 internal error or results not written, 2 bad input (for "
               "a batch: some line was bad, or the file could not be read), 3 an analysis needed "
               "more memory than --max-memory allows (for a batch: on some line), 130 cancelled "
               "with Ctrl-C.");
    app.set_version_flag("--version", VersionText, "Print the version");
}

ParseOutcome Parse(const std::vector<std::string>& args, bool batchLine) {
    ParseOutcome out;
    out.Options.MaxMemoryMB = DefaultMemoryLimitMB();
    CLI::App app(Description, ProgramName);
    AddOptions(app, out.Options, batchLine);
    // The parser takes the words last first. Handing it strings rather than C
    // strings keeps a word with a zero byte whole, so that it is refused.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out.Exit = ExitOk;
        out.Output = app.help();
        return out;
    } catch (const CLI::CallForVersion&) {
        out.Exit = ExitOk;
        out.Output = std::string(VersionText) + "\n";
        return out;
    } catch (const CLI::ParseError& e) {
        out.Exit = ExitBadInput;
        out.Error = OneLineMessage(e.what());
        return out;
    }
    CliOptions& o = out.Options;
    const bool north = app.count("NORTH") > 0;
    const bool south = app.count("SOUTH") > 0;
    o.HaveCombo = north && south;
    auto fail = [&](std::string message) {
        out.Exit = ExitBadInput;
        out.Error = std::move(message);
        return out;
    };
    if (o.Batch) {
        if (north || south) return fail("give either NORTH SOUTH or --batch, not both");
        if (o.Combo.Line) return fail("--line is not allowed with --batch (give it on the line)");
        for (const char* name : {"--entries", "--discards", "--vacant", "--imps"})
            if (app.count(name) > 0)
                return fail(std::string(name) +
                            " is not allowed with --batch (give it on the line)");
    } else if (!o.HaveCombo) {
        return fail(north ? "SOUTH is missing (give North's and South's cards)"
                          : "NORTH and SOUTH are missing (give North's and South's cards)");
    }
    if (o.Jobs == 0) o.Jobs = std::max(1u, std::thread::hardware_concurrency());
    return out;
}

} // namespace

ParseOutcome ParseCommandLine(const std::vector<std::string>& args) {
    return Parse(args, false);
}

ParseOutcome ParseBatchLine(std::string_view line) {
    std::string error;
    std::optional<std::vector<std::string>> words = SplitWords(line, error);
    if (!words) {
        ParseOutcome out;
        out.Exit = ExitBadInput;
        out.Error = error;
        return out;
    }
    for (const std::string& w : *words)
        if (w == "--help" || w == "-h" || w == "--version") {
            ParseOutcome out;
            out.Exit = ExitBadInput;
            out.Error = w + " is not allowed on a batch line";
            return out;
        }
    return Parse(*words, true);
}

std::string ShownText(std::string_view text) {
    constexpr std::size_t MaxShown = 40;
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < MaxShown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        out += c < 0x20 || c == 0x7f ? '?' : static_cast<char>(c);
    }
    if (text.size() > MaxShown) out += "...";
    return out;
}

std::optional<std::vector<std::string>> SplitWords(std::string_view line, std::string& error) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote) {
            if (c == quote) {
                quote = 0;
            } else if (c == '\\' && quote == '"' && i + 1 < line.size() &&
                       (line[i + 1] == '"' || line[i + 1] == '\\')) {
                word += line[++i];
            } else {
                word += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == '\\') {
            if (i + 1 < line.size()) word += line[++i];
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote) {
        error = std::string("unterminated ") + (quote == '"' ? "double" : "single") + " quote";
        return std::nullopt;
    }
    if (inWord) words.push_back(word);
    return words;
}

std::optional<Contract> ReadContract(std::string_view text) {
    std::string t;
    for (char c : text)
        t += Upper(c);
    if (t.size() < 2 || t[0] < '1' || t[0] > '7') return std::nullopt;
    Contract c;
    c.Level = static_cast<std::uint8_t>(t[0] - '0');
    std::size_t pos = 2;
    switch (t[1]) {
    case 'C':
        c.Strain = 0;
        break;
    case 'D':
        c.Strain = 1;
        break;
    case 'H':
        c.Strain = 2;
        break;
    case 'S':
        c.Strain = 3;
        break;
    case 'N':
        c.Strain = 4;
        if (pos < t.size() && t[pos] == 'T') ++pos;
        break;
    default:
        return std::nullopt;
    }
    const std::string_view rest = std::string_view(t).substr(pos);
    c.Doubled = rest == "X";
    c.Redoubled = rest == "XX";
    if (!rest.empty() && !c.Doubled && !c.Redoubled) return std::nullopt;
    c.Vulnerable = 0;
    return c;
}

namespace {

std::string CardList(const Holding& cards) {
    std::string s;
    for (char c : cards) {
        if (!s.empty()) s += ", ";
        s += c == 'T' ? std::string("10") : std::string(1, c);
    }
    return s;
}

} // namespace

std::optional<RunRequest> CheckComboArgs(const ComboArgs& args, std::string& error) {
    std::optional<TypedHolding> north = ReadTypedHolding(args.North, "North", error);
    if (!north) return std::nullopt;
    std::optional<TypedHolding> south = ReadTypedHolding(args.South, "South", error);
    if (!south) return std::nullopt;
    const Holding both = HoldingMinus(north->Cards, HoldingMinus(north->Cards, south->Cards));
    if (!both.empty()) {
        error = (both.size() == 1 ? "card " : "cards ") + CardList(both) +
                " given to both North and South";
        return std::nullopt;
    }
    RunRequest req;
    ComboValues& v = req.Combo;
    std::optional<Holding> n =
        ResolveLows(*north, AllowedCards(HoldingEdit::North, "", south->Cards));
    if (!n) {
        error = "North: not enough free cards for the x's";
        return std::nullopt;
    }
    v.North = *n;
    std::optional<Holding> s = ResolveLows(*south, AllowedCards(HoldingEdit::South, v.North, ""));
    if (!s) {
        error = "South: not enough free cards for the x's";
        return std::nullopt;
    }
    v.South = *s;

    if (args.Discards) {
        std::optional<TypedHolding> d = ReadTypedHolding(*args.Discards, "--discards", error);
        if (!d) return std::nullopt;
        const Holding ns = AllowedCards(HoldingEdit::Discards, v.North, v.South);
        const Holding stray = HoldingMinus(d->Cards, ns);
        if (!stray.empty()) {
            error = "--discards: " + CardList(stray) + (stray.size() == 1 ? " is" : " are") +
                    " held by neither North nor South";
            return std::nullopt;
        }
        std::optional<Holding> resolved = ResolveLows(*d, ns);
        if (!resolved) {
            error = "--discards: not enough of North's and South's cards for the x's";
            return std::nullopt;
        }
        v.Discards = *resolved;
    }
    if (args.Entries) {
        std::optional<int> e = ParseRangeValue(*args.Entries, MaxEntriesValue);
        if (!e) {
            error = "--entries: " + RangeMessage(MaxEntriesValue);
            return std::nullopt;
        }
        v.EntriesOn = true;
        v.Entries = static_cast<std::uint8_t>(*e);
    }
    if (args.Vacant) {
        const std::string& t = *args.Vacant;
        const std::size_t comma = t.find(',');
        if (comma == std::string::npos || t.find(',', comma + 1) != std::string::npos) {
            error = "--vacant: give West's and East's vacant places as W,E (for example 6,7)";
            return std::nullopt;
        }
        std::optional<int> w =
            ParseRangeValue(std::string_view(t).substr(0, comma), MaxPlacesValue);
        std::optional<int> e =
            ParseRangeValue(std::string_view(t).substr(comma + 1), MaxPlacesValue);
        if (!w || !e) {
            error = std::string("--vacant: ") + (w ? "East: " : "West: ") +
                    RangeMessage(MaxPlacesValue);
            return std::nullopt;
        }
        v.VacantOn = true;
        v.VacantWestSpin = static_cast<std::uint8_t>(*w);
        v.VacantEastSpin = static_cast<std::uint8_t>(*e);
    }
    if (args.Imps) {
        std::optional<Contract> c = ReadContract(*args.Imps);
        if (!c) {
            error = "--imps: '" + ShownText(*args.Imps) +
                    "' is no contract (level 1 to 7, strain C, D, H, S or NT, then x for "
                    "doubled or xx for redoubled: 3NT, 4S, 4Hx, 6Cxx)";
            return std::nullopt;
        }
        ContractGoal goal;
        goal.Contract = *c;
        goal.Contract.Vulnerable = args.Vulnerable ? 1 : 0;
        if (args.TricksNeeded) {
            std::optional<int> t = ParseRangeValue(*args.TricksNeeded, MaxPlacesValue);
            if (!t) {
                error = "--tricks-needed: " + RangeMessage(MaxPlacesValue);
                return std::nullopt;
            }
            goal.TricksNeeded = static_cast<std::uint8_t>(*t);
        }
        v.Goal = goal;
    }
    const ComboCheck check = CheckCombination(v);
    if (!check.ok()) {
        error = OneLineMessage(check.Message);
        return std::nullopt;
    }

    if (args.Play) {
        const std::string& p = *args.Play;
        for (std::size_t i = 0; i < p.size(); ++i) {
            const char c = Upper(p[i]);
            if (c == ' ') continue;
            if (c == '1' && i + 1 < p.size() && p[i + 1] == '0') {
                req.Play += 'T';
                ++i;
            } else if (RankValue(c) != 0 || c == 'X' || c == '-' || c == ';') {
                req.Play += c;
            } else {
                error = "--play: " + Quoted(p[i]) +
                        " is no card (cards, x for the lowest card accepted, '-' to show out, ';' "
                        "to close a trick)";
                return std::nullopt;
            }
        }
    }
    if (args.Line) {
        std::string name;
        for (char c : *args.Line)
            name += Upper(c);
        req.Line = name;
    }
    req.Plans = args.Plans;
    return req;
}

} // namespace nvx::cli
