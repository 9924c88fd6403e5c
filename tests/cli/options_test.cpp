#include "cards/version.h"
#include "cli/options.h"
#include "cli/run.h"

#include <gtest/gtest.h>

namespace nvx::cli {
namespace {

ComboArgs Args(const char* north, const char* south) {
    ComboArgs a;
    a.North = north;
    a.South = south;
    return a;
}

TEST(CliOptions, Contracts) {
    for (const auto& [text, read] : {std::pair{"3NT", "3NT"}, {"4hx", "4H x"}, {"6Cxx", "6C xx"}})
        EXPECT_EQ(ContractText(ReadContract(text).value_or(Contract{})), read) << text;
    for (const char* bad : {"", "3", "8NT", "0S", "3Z", "3NTxxx", "3NTy", "33NT", "4SX X"})
        EXPECT_FALSE(ReadContract(bad)) << bad;
}

TEST(CliCommandLine, HelpAndVersion) {
    ParseOutcome p = ParseCommandLine({"--version"});
    ASSERT_TRUE(p.Exit);
    EXPECT_EQ(*p.Exit, ExitOk);
    EXPECT_EQ(p.Output, std::string(NameAndVersion) + "\n");
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

} // namespace
} // namespace nvx::cli
