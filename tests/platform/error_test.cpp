// A failure dropped on purpose leaves a warning in the log that says what was dropped and why, whatever
// was thrown.
#include "platform/error/error.h"
#include "tests/fixtures/logged_warnings.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(DroppedError, TheWarningNamesTheStepAndTheFailure)
{
    const struct {
        const char* name;
        std::function<void()> fail;
        const char* warning;
    } cases[] = {
        {"a layer's error, in the operator's text",
         [] { throw platform::Error(QStringLiteral("找不到文件“a.mdb”。")); },
         "dropped: closing the file: 找不到文件“a.mdb”。"},
        {"any other exception, by what()", [] { throw std::logic_error("plain"); }, "dropped: closing the file: plain"},
        {"something that is no exception", [] { throw 42; }, "dropped: closing the file: (not a std::exception)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fixtures::LoggedWarnings log;
        try {
            c.fail();
        } catch (...) {
            platform::warnDropped("closing the file");
        }
        EXPECT_EQ(log.list(), QStringList{QString::fromUtf8(c.warning)});
    }
}

TEST(DroppedError, OutsideAHandlerItStillWritesAndNeverThrows)
{
    fixtures::LoggedWarnings log;
    platform::warnDropped("nothing");
    EXPECT_EQ(log.list(), QStringList{QStringLiteral("dropped: nothing: (no exception)")});
}

} // namespace
