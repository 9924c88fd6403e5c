#include "cards/version.h"
#include "cli/options.h"
#include "cli/run.h"

#include <gtest/gtest.h>

namespace nvx::cli {
namespace {

std::optional<RunRequest> Check(ComboArgs a, std::string& error) {
    return CheckComboArgs(a, error);
}

ComboArgs Args(const char* north, const char* south) {
    ComboArgs a;
    a.North = north;
    a.South = south;
    return a;
}

TEST(CliHoldings, XsTakeTheLowestFreeCards) {
    std::string error;
    std::optional<RunRequest> r = Check(Args("AKxx", "Qx"), error);
    ASSERT_TRUE(r) << error;
    // North's x's avoid the cards South names; South's avoid North's.
    EXPECT_EQ(r->Combo.North.str(), "AK32");
    EXPECT_EQ(r->Combo.South.str(), "Q4");
    r = Check(Args("Axx", "32"), error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->Combo.North.str(), "A54");
    ComboArgs a = Args("AKx", "Jx");
    a.Discards = "x";
    r = Check(a, error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->Combo.Discards.str(), "2");
    EXPECT_FALSE(Check(Args("AKQJT98765xxx", "x"), error));
    EXPECT_EQ(error, "South: not enough free cards for the x's");
}

TEST(CliHoldings, CardsGivenTwiceOrNotHeld) {
    std::string error;
    EXPECT_FALSE(Check(Args("AQ", "Q2"), error));
    EXPECT_EQ(error, "card Q given to both North and South");
    EXPECT_FALSE(Check(Args("AQ10", "10 Q 2"), error));
    EXPECT_EQ(error, "cards Q, 10 given to both North and South");
    ComboArgs a = Args("AK3", "QJ");
    a.Discards = "5";
    EXPECT_FALSE(Check(a, error));
    EXPECT_EQ(error, "--discards: 5 is held by neither North nor South");
}

TEST(CliOptions, RangesUseTheDialogsMessages) {
    std::string error;
    ComboArgs a = Args("AQ", "32");
    a.Entries = "10";
    EXPECT_FALSE(Check(a, error));
    EXPECT_EQ(error, "--entries: Value must be integer number in the range 0 to 9");
    a.Entries = "3";
    std::optional<RunRequest> r = Check(a, error);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->Combo.EntriesOn);
    EXPECT_EQ(r->Combo.Entries, 3);

    a = Args("AQ", "32");
    a.Vacant = "14,3";
    EXPECT_FALSE(Check(a, error));
    EXPECT_EQ(error, "--vacant: West: Value must be integer number in the range 0 to 13");
    a.Vacant = "3,x";
    EXPECT_FALSE(Check(a, error));
    EXPECT_EQ(error, "--vacant: East: Value must be integer number in the range 0 to 13");
    a.Vacant = "5";
    EXPECT_FALSE(Check(a, error));
    a.Vacant = "6,7";
    r = Check(a, error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->Combo.WestFilled(), 7);
    EXPECT_EQ(r->Combo.EastFilled(), 6);

    a = Args("AQ", "32");
    a.Imps = "3NT";
    a.TricksNeeded = "14";
    EXPECT_FALSE(Check(a, error));
    EXPECT_EQ(error, "--tricks-needed: Value must be integer number in the range 0 to 13");
}

TEST(CliOptions, Contracts) {
    std::optional<TContract> c = ReadContract("3NT");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Level, 3);
    EXPECT_EQ(c->Strain, 4);
    c = ReadContract("4hx");
    ASSERT_TRUE(c);
    EXPECT_EQ(ContractText(*c), "4H x");
    c = ReadContract("6Cxx");
    ASSERT_TRUE(c);
    EXPECT_EQ(ContractText(*c), "6C xx");
    EXPECT_EQ(ContractText(*ReadContract("4S")), "4S");
    for (const char* bad : {"", "3", "8NT", "0S", "3Z", "3NTxxx", "3NTy", "33NT", "4SX X"})
        EXPECT_FALSE(ReadContract(bad)) << bad;
}

TEST(CliOptions, TheDialogsOkChecksOnOneLine) {
    std::string error;
    EXPECT_FALSE(Check(Args("A", "K"), error));
    EXPECT_EQ(error, "Either North or South needs at least two cards");
    EXPECT_FALSE(Check(Args("AKQJT9", "876543"), error));
    EXPECT_EQ(error, "Defenders need at least two cards");
    ComboArgs a = Args("AKQJ", "T98");
    a.Vacant = "3,2";
    EXPECT_FALSE(Check(a, error));
    EXPECT_EQ(error, "Not enough vacant places for defenders' cards");
    a = Args("AKQJ", "T98");
    a.Imps = "1NT";
    a.TricksNeeded = "8";
    EXPECT_FALSE(Check(a, error));
    EXPECT_EQ(error, "Too many tricks specified for IMPs.  7 tricks should be enough for 1NT.");
    a.Imps = "6NT";
    a.TricksNeeded = "2";
    EXPECT_FALSE(Check(a, error));
    EXPECT_EQ(error.find('\r'), std::string::npos);
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_EQ(error.rfind("Not enough tricks specified for IMPS.   4 tricks will be played", 0), 0u)
        << error;
    a.Imps = "3NT";
    a.TricksNeeded = "9"; // all the contract needs: still allowed
    EXPECT_TRUE(Check(a, error)) << error;
    a.TricksNeeded = "2";
    a.Vulnerable = true;
    std::optional<RunRequest> r = Check(a, error);
    ASSERT_TRUE(r) << error;
    ASSERT_TRUE(r->Combo.Goal);
    EXPECT_EQ(r->Combo.Goal->Contract.Vulnerable, 1);
    EXPECT_EQ(r->Combo.Goal->TricksNeeded, 2);
}

TEST(CliOptions, PlayText) {
    std::string error;
    ComboArgs a = Args("AQ", "32");
    a.Line = "a";
    a.Play = "3 - q 10;x";
    std::optional<RunRequest> r = Check(a, error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(*r->Line, "A");
    EXPECT_EQ(r->Play, "3-QT;X");
    a.Play = "3?";
    EXPECT_FALSE(Check(a, error));
    EXPECT_EQ(error.rfind("--play: '?' is no card", 0), 0u) << error;
}

TEST(CliCommandLine, ParsesOptions) {
    ParseOutcome p =
        ParseCommandLine({"AQ10", "32", "--entries", "2", "--vacant", "6,7", "--imps", "4Hx",
                          "--vul", "--tricks-needed", "3", "--json", "--table"});
    ASSERT_FALSE(p.Exit) << p.Error;
    EXPECT_TRUE(p.Options.HaveCombo);
    EXPECT_EQ(p.Options.Combo.North, "AQ10");
    EXPECT_EQ(*p.Options.Combo.Entries, "2");
    EXPECT_EQ(*p.Options.Combo.Vacant, "6,7");
    EXPECT_TRUE(p.Options.Combo.Vulnerable);
    EXPECT_TRUE(p.Options.Json);
    EXPECT_TRUE(p.Options.Table);
    EXPECT_GE(p.Options.Jobs, 1u);
    // An empty hand is a holding too.
    p = ParseCommandLine({"AKQ", ""});
    ASSERT_FALSE(p.Exit) << p.Error;
    EXPECT_TRUE(p.Options.HaveCombo);
}

TEST(CliCommandLine, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        const char* fragment;
    };
    const Case cases[] = {
        {{"AQ", "32", "--frobnicate"}, "--frobnicate"},
        {{"AQ"}, "SOUTH is missing"},
        {{}, "NORTH and SOUTH are missing"},
        {{"AQ", "32", "--vul"}, "--imps"},
        {{"AQ", "32", "--play", "3"}, "--line"},
        {{"AQ", "32", "--batch", "f"}, "not both"},
        {{"--batch", "f", "--jobs", "0"}, "--jobs"},
        {{"--batch", "f", "--jobs", "99999999999999999999"}, "--jobs"},
        {{"--batch", "f", "--jobs", "-1"}, "--jobs"},
        {{"AQ", "32", "extra"}, "extra"},
    };
    for (const Case& c : cases) {
        ParseOutcome p = ParseCommandLine(c.args);
        ASSERT_TRUE(p.Exit) << c.fragment;
        EXPECT_EQ(*p.Exit, ExitBadInput) << c.fragment;
        EXPECT_NE(p.Error.find(c.fragment), std::string::npos) << p.Error;
        EXPECT_EQ(p.Error.find('\n'), std::string::npos) << p.Error;
    }
}

TEST(CliCommandLine, MaxMemory) {
    ParseOutcome p = ParseCommandLine({"AQ", "32"});
    ASSERT_FALSE(p.Exit) << p.Error;
    EXPECT_GT(p.Options.MaxMemoryMB, 0u); // a limit unless told otherwise
    for (const char* mb : {"0", "1", "300", "1073741824"}) {
        p = ParseCommandLine({"AQ", "32", "--max-memory", mb});
        ASSERT_FALSE(p.Exit) << mb << ": " << p.Error;
        EXPECT_EQ(p.Options.MaxMemoryMB, std::stoull(mb));
    }
    for (const char* mb : {"-1", "abc", "1.5", "", "1073741825", "99999999999999999999"}) {
        p = ParseCommandLine({"AQ", "32", "--max-memory", mb});
        ASSERT_TRUE(p.Exit) << mb;
        EXPECT_EQ(*p.Exit, ExitBadInput) << mb;
        EXPECT_NE(p.Error.find("--max-memory"), std::string::npos) << p.Error;
    }
    // The whole program has one limit: a batch line cannot set its own.
    EXPECT_TRUE(ParseBatchLine("AQ 32 --max-memory 5").Exit);
}

TEST(CliCommandLine, HelpAndVersion) {
    ParseOutcome p = ParseCommandLine({"--version"});
    ASSERT_TRUE(p.Exit);
    EXPECT_EQ(*p.Exit, ExitOk);
    EXPECT_EQ(p.Output, std::string(kNameAndVersion) + "\n");
    p = ParseCommandLine({"--help"});
    ASSERT_TRUE(p.Exit);
    EXPECT_EQ(*p.Exit, ExitOk);
    for (const char* option :
         {"--entries", "--discards", "--vacant", "--imps", "--vul", "--tricks-needed", "--json",
          "--table", "--line", "--play", "--batch", "--jobs", "--max-memory", "--version"})
        EXPECT_NE(p.Output.find(option), std::string::npos) << option;
}

TEST(CliBatchLines, SplitLikeAShell) {
    std::string error;
    auto w = SplitWords(R"(  "A Q 10" 'K x' J\ 2 "say \"x\"" --json )", error);
    ASSERT_TRUE(w);
    EXPECT_EQ(*w, (std::vector<std::string>{"A Q 10", "K x", "J 2", "say \"x\"", "--json"}));
    w = SplitWords(R"(AQ "" --entries 2)", error);
    ASSERT_TRUE(w);
    EXPECT_EQ(*w, (std::vector<std::string>{"AQ", "", "--entries", "2"}));
    EXPECT_FALSE(SplitWords(R"(AQ "32)", error));
    EXPECT_EQ(error, "unterminated double quote");

    ParseOutcome p = ParseBatchLine("AKQ 32 --entries 1 --line A --play x");
    ASSERT_FALSE(p.Exit) << p.Error;
    EXPECT_EQ(*p.Options.Combo.Entries, "1");
    for (const char* bad :
         {"AQ 32 --batch x", "AQ 32 --jobs 2", "AQ 32 --help", "--version", "AQ 'x"}) {
        p = ParseBatchLine(bad);
        ASSERT_TRUE(p.Exit) << bad;
        EXPECT_EQ(*p.Exit, ExitBadInput);
        EXPECT_FALSE(p.Error.empty());
    }
}

TEST(CliBatchLines, HelpIsABadLineInAnySpelling) {
    // The parser reads "-h|" as -h with a value: on a batch line it is no option.
    for (const char* line : {"-h|", "AQ 32 -hx", "--help=1"}) {
        const ParseOutcome p = ParseBatchLine(line);
        ASSERT_TRUE(p.Exit) << line;
        EXPECT_EQ(*p.Exit, ExitBadInput) << line;
        EXPECT_TRUE(p.Output.empty()) << line;
        EXPECT_FALSE(p.Error.empty()) << line;
    }
}

TEST(CliCommandLine, ZeroBytesAndControlCharactersAreRefusedOnOneLine) {
    // A zero byte inside a word must not cut the word short and let it pass.
    const std::string north("AQ\0Z", 4);
    ParseOutcome p = ParseCommandLine({north, "32"});
    ASSERT_FALSE(p.Exit) << p.Error;
    EXPECT_EQ(p.Options.Combo.North, north);
    std::string error;
    EXPECT_FALSE(CheckComboArgs(p.Options.Combo, error));
    EXPECT_EQ(error, "North: character 0 is no card");
    p = ParseBatchLine(std::string("AQ 3\0002", 7));
    ASSERT_FALSE(p.Exit) << p.Error;
    EXPECT_FALSE(CheckComboArgs(p.Options.Combo, error));
    EXPECT_EQ(error, "South: character 0 is no card");

    // What the user typed is quoted without line breaks or escape sequences,
    // and a long text is cut short.
    ComboArgs a = Args("AQ", "32");
    a.Imps = "3N\nT\x1b[2J";
    EXPECT_FALSE(CheckComboArgs(a, error));
    EXPECT_EQ(error.rfind("--imps: '3N?T?[2J' is no contract", 0), 0u) << error;
    a.Imps = std::string(1000, 'Q');
    EXPECT_FALSE(CheckComboArgs(a, error));
    EXPECT_LT(error.size(), 200u);
    EXPECT_NE(error.find("QQQ...'"), std::string::npos) << error;
}

TEST(CliText, AlignedColumns) {
    ReportTable t;
    t.Caption = "Caption";
    t.Columns = {
        {"Goal", ColumnAlign::Right}, {"Mid", ColumnAlign::Centre}, {"Line", ColumnAlign::Left}};
    t.Rows = {{"2", "x", "AB"}, {"mp-best", "", "A"}};
    EXPECT_EQ(TableText(t), "Caption\n"
                            "   Goal  Mid  Line\n"
                            "      2   x   AB\n"
                            "mp-best       A\n");
}

} // namespace
} // namespace nvx::cli
