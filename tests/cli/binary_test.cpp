// The tool as a user runs it: its JSON, its text, batches, the play-through,
// and its answers to bad input.
#include "run_program.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace nvx::test {
namespace {

using Json = nlohmann::json;

Json ParseJson(const std::string& text) {
    Json j = Json::parse(text, nullptr, false);
    EXPECT_FALSE(j.is_discarded()) << text;
    return j;
}

// The checks every result object must pass.
void CheckShape(const Json& j) {
    for (const char* key :
         {"north", "south", "defenders", "discards", "entries", "vacant", "scoring", "divisions",
          "probability_denominator", "min_k", "max_k", "best", "expected_best", "goals", "lines",
          "payoff", "tricks_table", "small_card_limit", "seconds"})
        EXPECT_TRUE(j.contains(key)) << key;
    ASSERT_TRUE(j["best"].is_object());
    for (int k = 1; k <= 13; ++k)
        EXPECT_TRUE(j["best"].contains(std::to_string(k))) << k;
    const std::size_t n = j["lines"].size();
    ASSERT_EQ(j["payoff"].size(), n);
    for (std::size_t i = 0; i < n; ++i) {
        ASSERT_EQ(j["payoff"][i].size(), n);
        EXPECT_TRUE(j["payoff"][i][i].is_null());
        EXPECT_EQ(j["lines"][i]["tricks"].size(), j["divisions"].get<std::size_t>());
    }
    // The rows cover every layout exactly once.
    double total = 0;
    unsigned layouts = 0;
    for (const Json& row : j["tricks_table"]) {
        total += row["probability"].get<double>();
        layouts += row["layouts"].get<unsigned>();
        EXPECT_EQ(row["tricks"].size(), n);
    }
    EXPECT_NEAR(total, 1.0, 1e-9);
    EXPECT_EQ(layouts, 1u << j["defenders"].get<std::string>().size());
}

TEST(CliBinary, FinesseJson) {
    const ProgramRun r = RunProgram({"AQ", "32", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Json j = ParseJson(r.out);
    CheckShape(j);
    EXPECT_EQ(j["north"], "AQ");
    EXPECT_EQ(j["south"], "32");
    EXPECT_EQ(j["defenders"], "KJT987654");
    EXPECT_EQ(j["scoring"], "matchpoints");
    EXPECT_FALSE(j.contains("contract"));
    EXPECT_EQ(j["vacant"], Json::array({13, 13}));
    EXPECT_DOUBLE_EQ(j["best"]["2"].get<double>(), 0.5);
    EXPECT_DOUBLE_EQ(j["best"]["1"].get<double>(), 1.0);
    EXPECT_DOUBLE_EQ(j["best"]["3"].get<double>(), 0.0);
    EXPECT_DOUBLE_EQ(j["expected_best"].get<double>(), 1.5);
    EXPECT_EQ(j["max_k"], 2);
    ASSERT_GE(j["goals"].size(), 2u);
    EXPECT_EQ(j["goals"][0]["goal"], "2");
    EXPECT_DOUBLE_EQ(j["goals"][0]["probability"].get<double>(), 0.5);
    EXPECT_EQ(j["goals"].back()["goal"], "mp-best");
    EXPECT_TRUE(j["goals"].back()["probability"].is_null());
    // The finessing line: two tricks exactly when West holds the king.
    const Json& a = j["lines"][0];
    EXPECT_EQ(a["name"], "A");
    EXPECT_DOUBLE_EQ(a["probability"]["2"].get<double>(), 0.5);
    for (const Json& row : j["tricks_table"]) {
        const bool westKing = row["west"].get<std::string>().find('K') != std::string::npos;
        EXPECT_EQ(row["tricks"]["A"], westKing ? "2" : "1") << row.dump();
    }
}

TEST(CliBinary, TextWithTricksTable) {
    const ProgramRun r = RunProgram({"AQ", "32", "--table"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string& t = r.out;
    EXPECT_EQ(t.rfind("North: \tAQ\nSouth: \t32\n", 0), 0u) << t;
    for (const char* part :
         {"Succ. prob.", "mp-best", "Strat x goal table", "P( tricks >= 2 )", " E( tricks )",
          "loses at matchpoints from",
          "Payoff table: expected percentage wins minus expected percentage loses", "    50.0000%",
          "Tricks table"})
        EXPECT_NE(t.find(part), std::string::npos) << part << "\n" << t;
    // The tricks table: its header, then one row per West-East caption.
    std::istringstream lines(t.substr(t.find("Tricks table")));
    std::string line;
    std::getline(lines, line);
    std::getline(lines, line);
    EXPECT_NE(line.find("West-East"), std::string::npos) << line;
    EXPECT_NE(line.find("#"), std::string::npos);
    EXPECT_NE(line.find("prob."), std::string::npos);
    int rows = 0;
    bool kingOnside = false;
    while (std::getline(lines, line)) {
        ++rows;
        EXPECT_NE(line.find(" - "), std::string::npos) << line;
        EXPECT_NE(line.find("%"), std::string::npos) << line;
        // The finesse wins (2 tricks) exactly when West's part names the king.
        const std::string west = line.substr(0, line.find(" - "));
        if (west.find('K') != std::string::npos) {
            kingOnside = true;
            EXPECT_EQ(line.back(), '2') << line;
        } else {
            EXPECT_EQ(line.back(), '1') << line;
        }
    }
    EXPECT_GT(rows, 2);
    EXPECT_TRUE(kingOnside);

    // Without --table there is no tricks table.
    const ProgramRun plain = RunProgram({"AQ", "32"});
    ASSERT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out.find("Tricks table"), std::string::npos);
    EXPECT_NE(plain.out.find("mp-best"), std::string::npos);
}

std::vector<Json> JsonLines(const std::string& out) {
    std::vector<Json> objects;
    std::istringstream s(out);
    std::string line;
    while (std::getline(s, line))
        objects.push_back(ParseJson(line));
    return objects;
}

TEST(CliBinary, BatchGoesOnAfterABadLine) {
    const std::string input = "AQ 32\n"
                              "\n"
                              "AQ Q2\n"
                              "\"A K Q\" 32 --entries 1\n"
                              "AQ 32 --frobnicate\n"
                              "AK 32 --line A --play x\n";
    for (const char* jobs : {"1", "3"}) {
        const ProgramRun r = RunProgram({"--batch", "-", "--jobs", jobs}, input);
        EXPECT_EQ(r.status, 2) << r.err;
        const std::vector<Json> out = JsonLines(r.out);
        ASSERT_EQ(out.size(), 5u) << r.out; // the blank line gives none
        EXPECT_EQ(out[0]["input"], "AQ 32");
        EXPECT_DOUBLE_EQ(out[0]["best"]["2"].get<double>(), 0.5);
        EXPECT_EQ(out[1]["input"], "AQ Q2");
        EXPECT_EQ(out[1]["error"], "card Q given to both North and South");
        EXPECT_EQ(out[1].size(), 2u);
        EXPECT_EQ(out[2]["north"], "AKQ");
        EXPECT_EQ(out[2]["entries"], 1);
        EXPECT_DOUBLE_EQ(out[2]["best"]["3"].get<double>(), 1.0);
        EXPECT_TRUE(out[3].contains("error"));
        EXPECT_NE(out[3]["error"].get<std::string>().find("--frobnicate"), std::string::npos);
        EXPECT_EQ(out[4]["play"]["steps"][0]["accepted"], true);
    }
    // A line the parser takes but the analysis refuses fails the batch too.
    const ProgramRun r = RunProgram({"--batch", "-"}, "AQ 32\nAQ 32 --line Z\n");
    EXPECT_EQ(r.status, 2) << r.err;
    const std::vector<Json> out = JsonLines(r.out);
    ASSERT_EQ(out.size(), 2u) << r.out;
    EXPECT_TRUE(out[1].contains("error")) << r.out;
}

TEST(CliBinary, BatchFromAFile) {
    char name[] = "/tmp/norvadex_batch_XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    const std::string content = "AKQ 32\r\nAJ 32 --vacant 6,7\r\n";
    ASSERT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    close(fd);
    const ProgramRun r = RunProgram({"--batch", name});
    std::remove(name);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Json> out = JsonLines(r.out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0]["input"], "AKQ 32");
    EXPECT_EQ(out[1]["vacant"], Json::array({6, 7}));
    CheckShape(out[1]);

    const ProgramRun missing = RunProgram({"--batch", "/nonexistent/combinations.txt"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.errLines().size(), 1u);
}

TEST(CliBinary, PlayThroughALine) {
    const ProgramRun r = RunProgram({"AKQ", "32", "--json", "--line", "a", "--play", "A x x x;K"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Json p = ParseJson(r.out)["play"];
    EXPECT_EQ(p["line"], "A");
    ASSERT_EQ(p["steps"].size(), 6u);
    // x plays the lowest card accepted: East's 4, South's 2, West's 5.
    EXPECT_EQ(p["steps"][1]["card"], "4");
    EXPECT_EQ(p["steps"][2]["card"], "2");
    EXPECT_EQ(p["steps"][3]["card"], "5");
    for (const Json& s : p["steps"]) {
        EXPECT_EQ(s["accepted"], true);
        EXPECT_TRUE(s["warning"].is_null());
    }
    EXPECT_EQ(p["play_string"], "A425;K");
    EXPECT_EQ(p["current_trick"], "K");
    EXPECT_EQ(p["north_unplayed"], "Q");
    EXPECT_EQ(p["south_unplayed"], "3");
    EXPECT_EQ(p["completed_tricks"], 1);
    EXPECT_EQ(p["ns_tricks_won"], 1);
    EXPECT_EQ(p["line_cards"], "JT9876-"); // East may play any card or show out
    // East followed with the 4: rows with East void are gone.
    ASSERT_FALSE(p["possible_rows"].empty());
    for (const Json& row : p["possible_rows"])
        EXPECT_NE(row["east"], "");
    EXPECT_LT(p["possible_rows"].size(), ParseJson(r.out)["tricks_table"].size());
}

TEST(CliBinary, PlayStopsAtARefusedCardAndWarns) {
    // After West shows out, East's jack under the queen gives declarer a trick
    // the line never promised.
    ProgramRun r = RunProgram({"AQ", "32", "--line", "A", "--play", "3-QJ;K", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    Json p = ParseJson(r.out)["play"];
    ASSERT_EQ(p["steps"].size(), 6u);
    EXPECT_TRUE(p["steps"][2]["warning"].is_null());
    EXPECT_EQ(p["steps"][3]["warning"].get<std::string>().rfind("Defense not optimal.", 0), 0u);
    EXPECT_EQ(p["steps"][3]["warning"].get<std::string>().find('\r'), std::string::npos);
    EXPECT_EQ(p["steps"][4]["typed"], ";");
    EXPECT_EQ(p["steps"][4]["accepted"], true);
    // Declarer cannot play the defenders' king.
    EXPECT_EQ(p["steps"][5]["accepted"], false);
    EXPECT_EQ(p["play_string"], "3-QJ;");
    EXPECT_EQ(p["line_cards"], "A2");

    // A declarer's card off the line is refused and ends the play.
    r = RunProgram({"AQ", "32", "--line", "A", "--play", "A3", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    p = ParseJson(r.out)["play"];
    ASSERT_EQ(p["steps"].size(), 1u);
    EXPECT_EQ(p["steps"][0]["accepted"], false);
    EXPECT_EQ(p["not_played"], "3");
    EXPECT_EQ(p["play_string"], "");
    EXPECT_EQ(p["line_cards"], "32");

    // In text: the warning, the refusal of a card already played, the position.
    r = RunProgram({"AQ", "32", "--line", "A", "--play", "3-AK;A"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("  warning: Defense not optimal."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  A  refused\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Position after 3-AK;\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  North unplayed: Q\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Tricks-table rows still possible"), std::string::npos);
}

TEST(CliBinary, BadInputGivesOneLineAndStatusTwo) {
    struct Case {
        std::vector<std::string> args;
        const char* message; // the whole line after "norvadex-cli: ", or a part of it
        bool whole;
    };
    const Case cases[] = {
        {{"AQ", "32", "--frobnicate"}, "--frobnicate", false},
        {{"AZ", "32"}, "North: 'Z' is no card", true},
        {{"AQ", "Q2"}, "card Q given to both North and South", true},
        {{"AQ", "32", "--entries", "10"},
         "--entries: Value must be integer number in the range 0 to 9",
         true},
        {{"AQ", "32", "--vacant", "14,3"},
         "--vacant: West: Value must be integer number in the range 0 to 13",
         true},
        {{"AQ", "32", "--imps", "8NT"}, "--imps: '8NT' is no contract", false},
        {{"AQ", "32", "--imps", "3NT", "--tricks-needed", "-1"},
         "--tricks-needed: Value must be integer number in the range 0 to 13",
         true},
        {{"A", "K"}, "Either North or South needs at least two cards", true},
        {{"AKQ", "", "--discards", "QK"}, "Either North or South needs at least two cards", true},
        {{"AKQJT9", "876543"}, "Defenders need at least two cards", true},
        {{"AKQJ", "T98", "--vacant", "3,2"}, "Not enough vacant places for defenders' cards", true},
        {{"AKQJ", "T98", "--imps", "1NT", "--tricks-needed", "8"},
         "Too many tricks specified for IMPs.  7 tricks should be enough for 1NT.",
         true},
        {{"AKQJ", "T98", "--imps", "6NT"}, "Not enough tricks specified for IMPS.", false},
        {{"AQ", "32", "--line", "Z"}, "--line: there is no line Z (the lines are A)", true},
        {{"AQ", "32", "--line", "A", "--play", "3?"}, "--play: '?' is no card", false},
        {{"AQ", "32", "--vul"}, "--imps", false},
        {{"AQ"}, "SOUTH is missing", false},
    };
    for (const Case& c : cases) {
        const ProgramRun r = RunProgram(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.out, "") << c.message;
        const std::vector<std::string> lines = r.errLines();
        ASSERT_EQ(lines.size(), 1u) << r.err;
        const std::string prefix = "norvadex-cli: ";
        ASSERT_EQ(lines[0].rfind(prefix, 0), 0u) << lines[0];
        const std::string message = lines[0].substr(prefix.size());
        if (c.whole)
            EXPECT_EQ(message, c.message);
        else
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_EQ(message.find('\r'), std::string::npos);
    }
}

// A combination whose analysis takes far longer than the tests wait.
const char* const LongNorth = "AT84";
const char* const LongSouth = "Q62";

TEST(CliBinary, CtrlCCancels) {
    const ProgramRun r =
        RunProgram({LongNorth, LongSouth, "--json"}, "", std::chrono::milliseconds(300));
    EXPECT_EQ(r.status, 130);
    EXPECT_EQ(r.out, ""); // never a partial object
    EXPECT_EQ(r.err, "norvadex-cli: No results: computation cancelled\n");
}

TEST(CliBinary, CtrlCCancelsABatch) {
    const std::string input = std::string("AQ 32\n") + LongNorth + " " + LongSouth + "\nAKQ 32\n";
    const ProgramRun r =
        RunProgram({"--batch", "-", "--jobs", "1"}, input, std::chrono::milliseconds(500));
    EXPECT_EQ(r.status, 130);
    // What was finished before the interrupt is there, whole; nothing after it.
    const std::vector<Json> out = JsonLines(r.out);
    ASSERT_EQ(out.size(), 1u) << r.out;
    EXPECT_EQ(out[0]["input"], "AQ 32");
    EXPECT_EQ(r.errLines(),
              std::vector<std::string>{"norvadex-cli: No results: computation cancelled"});
}

TEST(CliBinary, MemoryLimitStopsTheAnalysis) {
    const ProgramRun r = RunProgram({"AT6", "Q842", "--json", "--max-memory", "1"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "norvadex-cli: the analysis needs more memory than the limit of 1 MB "
                     "allows (--max-memory)\n");
}

TEST(CliBinary, MemoryLimitInABatchFailsTheLineAndGoesOn) {
    // The program is always above 1 MB: each line that runs long enough to be
    // watched is stopped.
    const std::string input = std::string("AT6 Q842\n") + LongNorth + " " + LongSouth + "\n";
    const ProgramRun r = RunProgram({"--batch", "-", "--jobs", "1", "--max-memory", "1"}, input);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "");
    const std::vector<Json> out = JsonLines(r.out);
    ASSERT_EQ(out.size(), 2u) << r.out;
    const std::string error =
        "the analysis needs more memory than the limit of 1 MB allows (--max-memory)";
    EXPECT_EQ(out[0], (Json{{"input", "AT6 Q842"}, {"error", error}}));
    EXPECT_EQ(out[1],
              (Json{{"input", std::string(LongNorth) + " " + LongSouth}, {"error", error}}));
}

TEST(CliBinary, ResultsThatCannotBeWrittenGiveOneLineAndStatusOne) {
    // A reader that has gone away is a write error, not a silent death by SIGPIPE.
    ProgramRun r =
        RunProgram({"--batch", "-"}, "AQ 32\nAK 32\n", std::nullopt, StdoutTo::PipeWithoutReader);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.errLines(),
              std::vector<std::string>{"norvadex-cli: cannot write the results: Broken pipe"});
    r = RunProgram({"AQ", "32", "--json"}, "", std::nullopt, StdoutTo::Closed);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.errLines(), std::vector<std::string>{
                                "norvadex-cli: cannot write the results: Bad file descriptor"});
}

} // namespace
} // namespace nvx::test
