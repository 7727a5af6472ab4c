#include "support/scripted_answerer.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;

MessageBoxRequest message(const std::string& text, const std::string& title = {}) {
    MessageBoxRequest request;
    request.text = text;
    request.title = title;
    return request;
}

// Answering and recording are used by every test that scripts the user; what
// only shows here is that a wrong or missing question fails the test.
TEST(ScriptedAnswererTest, failsTheTestOnAQuestionItDidNotExpectAndAnswersNeutrally) {
    ScriptedAnswerer user;
    user.expectMessage("Expected text", MsgAnswer::Yes);
    MsgAnswer answer = MsgAnswer::Yes;
    EXPECT_NONFATAL_FAILURE(answer = user.messageBox(message("Other text")),
                            "unexpected message box \"Other text\"");
    EXPECT_EQ(answer, MsgAnswer::Cancel);

    // A whole-request expectation also checks the title.
    EXPECT_NONFATAL_FAILURE(user.verify(), "\"Expected text\" was never asked");
    user.expectMessage(message("Q", "Right"), MsgAnswer::Yes);
    EXPECT_NONFATAL_FAILURE(answer = user.messageBox(message("Q", "Wrong")),
                            "next expected was message box \"Q\" (title \"Right\"");
    EXPECT_NONFATAL_FAILURE(user.verify(), "was never asked");

    ErrorReportAnswer report = ErrorReportAnswer::Retry;
    EXPECT_NONFATAL_FAILURE(report = user.errorReport({53, "File not found", "Loading", 3}),
                            "no question was expected");
    EXPECT_EQ(report, ErrorReportAnswer::Abort);
    std::string path = "x";
    EXPECT_NONFATAL_FAILURE(path = user.browseFolder("Pick", false), "folder chooser");
    EXPECT_EQ(path, "");
    EXPECT_EQ(user.asked().size(), 4u);
}

TEST(ScriptedAnswererTest, failsAtDestructionForQuestionsNeverAsked) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedAnswerer user;
            user.expectErrorReport(ErrorReportAnswer::Retry);
        },
        "expected error report was never asked");
}

} // namespace
} // namespace twinsift
