#include "support/memory_settings.h"
#include "support/scripted_answerer.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::MemorySettings;
using test::Question;
using test::ScriptedAnswerer;

MessageBoxRequest message(const std::string& text, const std::string& title = {}) {
    MessageBoxRequest request;
    request.text = text;
    request.title = title;
    return request;
}

TEST(MemorySettingsTest, listsNumericKeysByNumberThenOthersByName) {
    MemorySettings settings;
    for (const char* key : {"b", "10", "2", "a", "0", "x1"})
        settings.saveSetting("Paths", key, std::string("v") + key);
    settings.saveSetting("Other", "1", "elsewhere");

    const auto all = settings.getAllSettings("Paths");
    std::vector<std::string> keys;
    for (const auto& [key, value] : all)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"0", "2", "10", "a", "b", "x1"}));
    EXPECT_EQ(all[2].second, "v10");
    EXPECT_TRUE(settings.getAllSettings("Missing").empty());
}

TEST(ScriptedAnswererTest, answersExpectedQuestionsInOrderAndRecordsThem) {
    ScriptedAnswerer user;
    const MessageBoxRequest exact{"Remove?", "Twinsift", MsgIcon::Question, MsgButtons::YesNo, 2};
    user.expectMessage("Done.", MsgAnswer::OK)
        .expectMessage(exact, MsgAnswer::No)
        .expectInput("Name:", "report")
        .expectInput("Again:", std::nullopt)
        .expectBrowseFolder("/data")
        .expectOpenFile("")
        .expectSaveFile("/tmp/out.csv");

    EXPECT_EQ(user.messageBox(message("Done.", "any")), MsgAnswer::OK);
    EXPECT_EQ(user.messageBox(exact), MsgAnswer::No);
    EXPECT_EQ(user.inputBox("Name:", "T", "d"), "report");
    EXPECT_EQ(user.inputBox("Again:", "T", ""), std::nullopt);
    EXPECT_EQ(user.browseFolder("Pick", true), "/data");
    EXPECT_EQ(user.openFileDialog("All|*.*", "Open", "/"), "");
    EXPECT_EQ(user.saveFileDialog("CSV|*.csv", "Save", "/tmp", "out.csv"), "/tmp/out.csv");

    ASSERT_EQ(user.asked().size(), 7u);
    EXPECT_EQ(user.asked()[0].message.title, "any");
    EXPECT_EQ(user.asked()[2].defaultText, "d");
    EXPECT_EQ(user.asked()[6].kind, Question::SaveFile);
    EXPECT_EQ(user.asked()[6].proposedName, "out.csv");
}

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
