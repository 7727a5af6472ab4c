#pragma once

#include "platform/user_interface.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace twinsift::test {

// One question the code under test put to the user.
struct Question {
    enum Kind {
        MessageBox,
        ErrorReport,
        InputBox,
        BrowseFolder,
        OpenFile,
        SaveFile,
        TooManyFiles,
        OriginalsWarning
    };

    Kind kind = MessageBox;
    MessageBoxRequest message{};     // MessageBox
    ErrorRecord error{};             // ErrorReport
    std::string prompt{};            // InputBox
    std::string title{};             // InputBox and the choosers
    std::string defaultText{};       // InputBox
    std::string filter{};            // OpenFile, SaveFile
    std::string initialFolder{};     // OpenFile, SaveFile
    std::string proposedName{};      // SaveFile
    bool newStyle = false;           // BrowseFolder
    long files = 0;                  // TooManyFiles
    std::vector<std::size_t> rows{}; // OriginalsWarning: the group's rows
};

// One line describing a question, as the failure messages show it.
std::string describe(const Question& question);

// Stands in for the user: each expected question is listed in order with its
// answer. A question that is not the next expected one fails the running test
// and gets a neutral answer (Cancel, Abort, cancelled input, no path);
// expected questions never asked fail the test when the answerer goes (or at
// verify()). Every question asked is kept for inspection.
//
//     ScriptedAnswerer user;
//     user.expectMessage("Delete 3 files?",
//     MsgAnswer::Yes).expectErrorReport(ErrorReportAnswer::Abort);
class ScriptedAnswerer : public UserInterface {
public:
    ScriptedAnswerer() = default;
    ScriptedAnswerer(const ScriptedAnswerer&) = delete;
    ScriptedAnswerer& operator=(const ScriptedAnswerer&) = delete;
    ~ScriptedAnswerer() override;

    // A message box with exactly this text (title, icon and buttons not checked).
    ScriptedAnswerer& expectMessage(const std::string& text, MsgAnswer answer);
    // A message box equal to `request` in text, title, icon, buttons and default button.
    ScriptedAnswerer& expectMessage(const MessageBoxRequest& request, MsgAnswer answer);
    // Any error report; its record is in asked().
    ScriptedAnswerer& expectErrorReport(ErrorReportAnswer answer);
    // An input box with this prompt; std::nullopt answers Cancel.
    ScriptedAnswerer& expectInput(const std::string& prompt, std::optional<std::string> answer);
    // The choosers; an empty path answers Cancel.
    ScriptedAnswerer& expectBrowseFolder(const std::string& path);
    ScriptedAnswerer& expectOpenFile(const std::string& path);
    ScriptedAnswerer& expectSaveFile(const std::string& path);
    // The too-many-files warning; true answers OK (go on), false Cancel.
    ScriptedAnswerer& expectTooManyFiles(bool answer);
    // The original-protection warning: unticks the files at `untick`
    // (positions in the warning's list) and answers `answer`.
    ScriptedAnswerer& expectOriginalsWarning(OriginalsAnswer answer,
                                             std::vector<std::size_t> untick = {});

    // Fails the running test for every expected question not asked yet, and
    // forgets them.
    void verify();

    const std::vector<Question>& asked() const { return m_asked; }

    MsgAnswer messageBox(const MessageBoxRequest& request) override;
    ErrorReportAnswer errorReport(const ErrorRecord& error) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::string browseFolder(const std::string& title, bool newStyle) override;
    std::string openFileDialog(const std::string& filter, const std::string& title,
                               const std::string& initialFolder) override;
    std::string saveFileDialog(const std::string& filter, const std::string& title,
                               const std::string& initialFolder,
                               const std::string& proposedName) override;
    bool tooManyFilesWarning(long files) override;
    OriginalsAnswer originalsWarning(WindowModel& model,
                                     const std::vector<std::size_t>& rows) override;

private:
    struct Expected {
        Question::Kind kind = Question::MessageBox;
        std::string text{}; // message text or input prompt; unchecked for the others
        std::optional<MessageBoxRequest> wholeMessage{};
        MsgAnswer messageAnswer = MsgAnswer::Cancel;
        ErrorReportAnswer reportAnswer = ErrorReportAnswer::Abort;
        std::optional<std::string> textAnswer{};
        bool goOn = false;
        OriginalsAnswer originalsAnswer = OriginalsAnswer::Closed;
        std::vector<std::size_t> untick{};
    };

    static std::string describeExpected(const Expected& expected);
    ScriptedAnswerer& expect(Expected expected);
    // Records the question; the expectation it answers, or nothing after
    // failing the test.
    std::optional<Expected> take(const Question& question);

    std::deque<Expected> m_expected;
    std::vector<Question> m_asked;
};

} // namespace twinsift::test
