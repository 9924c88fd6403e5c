// What the tool's transcripts cannot hold: zero bytes and control characters
// in what the user typed.
#include "cli/options.h"
#include "cli/run.h"

#include <gtest/gtest.h>

namespace nvx::cli {
namespace {

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
    ComboArgs a;
    a.North = "AQ";
    a.South = "32";
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
