// The results of the engine as it was when the golden file was written
// (scripts/combos.py golden): the same combinations must give the same JSON as
// `norvadex-cli --json --table`, member for member and in the same order, the
// seconds aside. The quick entries run with the other tests (fewer in
// unoptimised builds); NORVADEX_GOLDEN=all (`make golden`) runs every entry.
// The entries small enough for the naive full-play reference have their best
// chances checked against it too, so that the file itself is known right.
#include "cli/options.h"
#include "cli/run.h"
#include "support/naive_search.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace nvx::cli {
namespace {

using Json = nlohmann::ordered_json;

struct Entry {
    std::vector<std::string> args;
    Json expected;
};

// Per entry, in seconds the analysis took when the file was written: the
// entries that run with the other tests. The naive search takes the entries
// with at most six cards played by North and South, six held by the
// defenders, and NaiveCards in all.
#ifdef NDEBUG
constexpr double QuickSeconds = 0.5;
constexpr std::size_t NaiveCards = 12;
#else
constexpr double QuickSeconds = 0.02; // sanitizer builds are 10 to 20 times slower
constexpr std::size_t NaiveCards = 11;
#endif

// NORVADEX_GOLDEN: "all", or the entries whose arguments, joined by spaces,
// are one of those given, separated by '|' (the sanitizer run picks some that
// reach the threads); otherwise the quick entries.
// The entries asked for by name, or 0.
std::size_t Named() {
    const char* which = std::getenv("NORVADEX_GOLDEN");
    if (!which || std::string(which) == "all") return 0;
    return 1 + static_cast<std::size_t>(std::count(which, which + std::strlen(which), '|'));
}

std::vector<Entry> Selected() {
    const char* which = std::getenv("NORVADEX_GOLDEN");
    std::string chosen; // "|name|name|"
    if (which) chosen.append("|").append(which).append("|");
    const bool all = chosen == "|all|";
    std::vector<Entry> v;
    std::ifstream in(NORVADEX_GOLDEN_FILE);
    for (std::string line; std::getline(in, line);) {
        Json j = Json::parse(line);
        std::string args;
        for (const std::string& a : j["args"].get<std::vector<std::string>>()) {
            if (!args.empty()) args += ' ';
            args += a;
        }
        const bool take = all               ? true
                          : !chosen.empty() ? chosen.find("|" + args + "|") != std::string::npos
                                            : j["seconds"].get<double>() <= QuickSeconds;
        if (take)
            v.push_back({j["args"].get<std::vector<std::string>>(), std::move(j["expected"])});
    }
    return v;
}

std::string CommandLine(const Entry& e) {
    std::string s = "norvadex-cli --json --table";
    for (const std::string& a : e.args)
        s += a.empty() || a.find(' ') != std::string::npos ? " '" + a + "'" : " " + a;
    return s;
}

TEST(Golden, ResultsAsBefore) {
    const std::vector<Entry> entries = Selected();
    if (Named() > 0)
        ASSERT_EQ(entries.size(), Named()) << "an entry asked for is not in the golden file";
    else
        ASSERT_GE(entries.size(), 20u) << "no golden file at " << NORVADEX_GOLDEN_FILE;
    for (const Entry& e : entries) {
        std::vector<std::string> args = e.args;
        args.insert(args.end(), {"--json", "--table"});
        const ParseOutcome parsed = ParseCommandLine(args);
        ASSERT_FALSE(parsed.Exit) << CommandLine(e) << ": " << parsed.Error;
        std::string error;
        const std::optional<RunRequest> request = CheckComboArgs(parsed.Options.Combo, error);
        ASSERT_TRUE(request) << CommandLine(e) << ": " << error;
        CliHost host;
        const RunResult r = RunAnalysis(*request, host);
        ASSERT_EQ(r.Status, RunStatus::Ok) << CommandLine(e) << ": " << r.Error;
        Json actual = ResultJson(r);
        actual.erase("seconds");
        if (actual.dump() != e.expected.dump()) // the first differences, as a JSON patch
            ADD_FAILURE() << CommandLine(e) << "\n  "
                          << Json::diff(e.expected, actual).dump().substr(0, 600);
    }
    RecordProperty("entries", int(entries.size()));
}

// The golden best chances (and most expected tricks) are the naive search's.
TEST(Golden, SmallEntriesAsTheNaiveSearch) {
    if (Named() > 0) GTEST_SKIP() << "entries asked for by name";
    int checked = 0;
    for (const Entry& e : Selected()) {
        const Json& x = e.expected;
        const std::string north = x["north"], south = x["south"], discards = x["discards"];
        const std::size_t playing = north.size() + south.size() - discards.size();
        const std::size_t defenders = std::string(x["defenders"]).size();
        if (playing > 6 || defenders > 6 || playing + defenders > NaiveCards) continue;
        const std::int64_t denominator = x["probability_denominator"];
        std::array<std::int64_t, 14> best{};
        for (int k = 0; k <= 13; ++k) {
            const double p = (k ? x["best"][std::to_string(k)] : x["expected_best"]).get<double>();
            best[k] = std::llround(p * double(denominator));
            ASSERT_EQ(double(best[k]) / double(denominator), p) << CommandLine(e) << " goal " << k;
        }
        EXPECT_TRUE(test::SameBestAsNaive(
            best, denominator,
            {north, south, discards, x["entries"], x["vacant"][0], x["vacant"][1]}))
            << CommandLine(e);
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

} // namespace
} // namespace nvx::cli
