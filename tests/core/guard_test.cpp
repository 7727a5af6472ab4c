#include "core/guard.h"

#include "support/scripted_answerer.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <vector>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;

TEST(GuardTest, retryRerunsOnlyTheFailingStepAndAsksAgainEachTimeItFails) {
    ScriptedAnswerer user;
    user.expectErrorReport(ErrorReportAnswer::Retry).expectErrorReport(ErrorReportAnswer::Retry);
    std::vector<int> ran;
    int failuresLeft = 2;

    Guard guard(user, "Scanning");
    const bool completed = guard.run({
        [&] { ran.push_back(1); },
        [&] {
            ran.push_back(2);
            if (failuresLeft-- > 0)
                throw RuntimeError(err::DiskFull, "Disk full");
        },
        [&] { ran.push_back(3); },
    });

    EXPECT_TRUE(completed);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 2, 2, 3}));
    ASSERT_EQ(user.asked().size(), 2u);
    const ErrorRecord& error = user.asked()[0].error;
    EXPECT_EQ(error.number, 61);
    EXPECT_EQ(error.description, "Disk full");
    EXPECT_EQ(error.procedure, "Scanning");
    EXPECT_EQ(error.line, 2);
}

TEST(GuardTest, abortLeavesThroughTheCommandsExitWithoutRunningLaterSteps) {
    ScriptedAnswerer user;
    user.expectErrorReport(ErrorReportAnswer::Abort);
    bool laterStepRan = false;
    bool exitRan = false;

    Guard guard(user, "Loading");
    if (!guard.step(1, [] { throw RuntimeError(err::FileNotFound, "File not found"); }) ||
        !guard.step(2, [&] { laterStepRan = true; }))
        exitRan = true;
    // A step reached after the abandon, as in a command that goes on to its
    // cleanup by another path, is skipped too.
    EXPECT_FALSE(guard.step(3, [&] { laterStepRan = true; }));

    EXPECT_TRUE(exitRan);
    EXPECT_FALSE(laterStepRan);
    EXPECT_TRUE(guard.abandoned());
    EXPECT_EQ(user.asked().at(0).error.line, 1);
}

TEST(GuardTest, reportsExceptionsOtherThanRuntimeErrorsWithFixedNumbers) {
    ScriptedAnswerer user;
    user.expectErrorReport(ErrorReportAnswer::Abort)
        .expectErrorReport(ErrorReportAnswer::Abort)
        .expectErrorReport(ErrorReportAnswer::Abort);

    Guard(user, "A").step(4, [] { throw std::bad_alloc(); });
    Guard(user, "B").step(5, [] { std::vector<int>().at(3); });
    Guard(user, "C").step(6, [] { throw 42; });

    ASSERT_EQ(user.asked().size(), 3u);
    EXPECT_EQ(user.asked()[0].error.number, 7);
    EXPECT_EQ(user.asked()[0].error.description, "Out of memory");
    EXPECT_EQ(user.asked()[1].error.number, 5);
    EXPECT_EQ(user.asked()[1].error.description, "Invalid procedure call or argument");
    EXPECT_EQ(user.asked()[2].error.number, 5);
    EXPECT_EQ(user.asked()[2].error.procedure, "C");
    EXPECT_EQ(user.asked()[2].error.line, 6);
}

TEST(GuardTest, commandWithoutFailureAsksNothing) {
    ScriptedAnswerer user;
    int count = 0;
    EXPECT_TRUE(Guard(user, "New Session").run({[&] { ++count; }, [&] { ++count; }}));
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(user.asked().empty());
}

} // namespace
} // namespace twinsift
