#include "core/guard.h"

#include "support/scripted_answerer.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <vector>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;

std::string describe(const ErrorRecord& e) {
    return std::to_string(e.number) + " " + e.description + " " + e.procedure + ":" +
           std::to_string(e.line);
}

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
    ASSERT_EQ(user.asked().size(), 2u); // steps that pass ask nothing
    EXPECT_EQ(describe(user.asked()[0].error), "61 Disk full Scanning:2");
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
    EXPECT_EQ(describe(user.asked()[0].error), "7 Out of memory A:4");
    EXPECT_EQ(describe(user.asked()[1].error), "5 Invalid procedure call or argument B:5");
    EXPECT_EQ(describe(user.asked()[2].error), "5 Invalid procedure call or argument C:6");
}

} // namespace
} // namespace twinsift
