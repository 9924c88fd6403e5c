#include "cards/host.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

namespace nvx {
namespace {

TEST(InternalErrorTest, MessageShowsTheCodeAndAHostThatThrowsDoesNotStopTheCaller) {
    test::RecordingHost host;
    InternalError(host, InternalErrorCode::ProbabilitySumNotOne);
    ASSERT_EQ(host.messages.size(), 1u);
    const std::string& m = host.messages[0].text;
    EXPECT_EQ(m.rfind("An internal error occured. ", 0), 0u);
    EXPECT_NE(m.find(" together with error code 202. Then I will try"), std::string::npos);
    EXPECT_EQ(m.find("sum prob"), std::string::npos);
    struct ThrowingHost : SilentHost {
        void ShowMessage(MessageKind, const std::string&) override { throw 1; }
    } throwing;
    EXPECT_NO_THROW(InternalError(throwing, InternalErrorCode::NoCardToTakeBack));
}

} // namespace
} // namespace nvx
