#include "support/scripted_answerer.h"

#include "core/window_model.h"

#include <gtest/gtest.h>
#include <utility>

namespace twinsift::test {
namespace {

const char* kindName(Question::Kind kind) {
    static constexpr const char* names[] = {"message box",
                                            "error report",
                                            "input box",
                                            "folder chooser",
                                            "open-file chooser",
                                            "save-file chooser",
                                            "too-many-files warning",
                                            "original-protection warning"};
    return names[kind];
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string describeMessage(const MessageBoxRequest& request) {
    return std::string("message box ") + quoted(request.text) + " (title " + quoted(request.title) +
           ", icon " + std::to_string(static_cast<int>(request.icon)) + ", buttons " +
           std::to_string(static_cast<int>(request.buttons)) + ", default " +
           std::to_string(request.defaultButton) + ")";
}

bool sameMessage(const MessageBoxRequest& a, const MessageBoxRequest& b) {
    return a.text == b.text && a.title == b.title && a.icon == b.icon && a.buttons == b.buttons &&
           a.defaultButton == b.defaultButton;
}

} // namespace

std::string describe(const Question& question) {
    switch (question.kind) {
    case Question::MessageBox:
        return describeMessage(question.message);
    case Question::ErrorReport:
        return "error report " + std::to_string(question.error.number) + " " +
               quoted(question.error.description) + " in " + quoted(question.error.procedure) +
               " at step " + std::to_string(question.error.line);
    case Question::InputBox:
        return "input box " + quoted(question.prompt) + " (title " + quoted(question.title) +
               ", default " + quoted(question.defaultText) + ")";
    case Question::BrowseFolder:
        return "folder chooser " + quoted(question.title);
    case Question::OpenFile:
    case Question::SaveFile:
        return std::string(kindName(question.kind)) + " " + quoted(question.title) + " (filter " +
               quoted(question.filter) + ", folder " + quoted(question.initialFolder) + ")";
    case Question::TooManyFiles:
        return "too-many-files warning for " + std::to_string(question.files) + " files";
    case Question::OriginalsWarning:
        return "original-protection warning for " + std::to_string(question.rows.size()) + " rows";
    }
    return kindName(question.kind);
}

ScriptedAnswerer::~ScriptedAnswerer() {
    verify();
}

ScriptedAnswerer& ScriptedAnswerer::expectMessage(const std::string& text, MsgAnswer answer) {
    return expect({.kind = Question::MessageBox, .text = text, .messageAnswer = answer});
}

ScriptedAnswerer& ScriptedAnswerer::expectMessage(const MessageBoxRequest& request,
                                                  MsgAnswer answer) {
    return expect({.kind = Question::MessageBox,
                   .text = request.text,
                   .wholeMessage = request,
                   .messageAnswer = answer});
}

ScriptedAnswerer& ScriptedAnswerer::expectErrorReport(ErrorReportAnswer answer) {
    return expect({.kind = Question::ErrorReport, .reportAnswer = answer});
}

ScriptedAnswerer& ScriptedAnswerer::expectInput(const std::string& prompt,
                                                std::optional<std::string> answer) {
    return expect({.kind = Question::InputBox, .text = prompt, .textAnswer = std::move(answer)});
}

ScriptedAnswerer& ScriptedAnswerer::expectBrowseFolder(const std::string& path) {
    return expect({.kind = Question::BrowseFolder, .textAnswer = path});
}

ScriptedAnswerer& ScriptedAnswerer::expectOpenFile(const std::string& path) {
    return expect({.kind = Question::OpenFile, .textAnswer = path});
}

ScriptedAnswerer& ScriptedAnswerer::expectSaveFile(const std::string& path) {
    return expect({.kind = Question::SaveFile, .textAnswer = path});
}

ScriptedAnswerer& ScriptedAnswerer::expectOriginalsWarning(OriginalsAnswer answer,
                                                           std::vector<std::size_t> untick) {
    return expect({.kind = Question::OriginalsWarning,
                   .originalsAnswer = answer,
                   .untick = std::move(untick)});
}

ScriptedAnswerer& ScriptedAnswerer::expectTooManyFiles(bool answer) {
    return expect({.kind = Question::TooManyFiles, .goOn = answer});
}

ScriptedAnswerer& ScriptedAnswerer::expect(Expected expected) {
    m_expected.push_back(std::move(expected));
    return *this;
}

std::string ScriptedAnswerer::describeExpected(const Expected& expected) {
    if (expected.wholeMessage)
        return describeMessage(*expected.wholeMessage);
    const std::string kind = kindName(expected.kind);
    return expected.text.empty() ? kind : kind + " " + quoted(expected.text);
}

void ScriptedAnswerer::verify() {
    for (const Expected& expected : m_expected)
        ADD_FAILURE() << "expected " << describeExpected(expected) << " was never asked";
    m_expected.clear();
}

std::optional<ScriptedAnswerer::Expected> ScriptedAnswerer::take(const Question& question) {
    m_asked.push_back(question);
    if (m_expected.empty()) {
        ADD_FAILURE() << "unexpected " << describe(question) << ": no question was expected";
        return std::nullopt;
    }
    const Expected& next = m_expected.front();
    bool matches = next.kind == question.kind;
    if (matches && question.kind == Question::MessageBox)
        matches = next.wholeMessage ? sameMessage(*next.wholeMessage, question.message)
                                    : next.text == question.message.text;
    else if (matches && question.kind == Question::InputBox)
        matches = next.text == question.prompt;
    if (!matches) {
        ADD_FAILURE() << "unexpected " << describe(question) << "\n  the next expected was "
                      << describeExpected(next);
        return std::nullopt;
    }
    Expected answered = next;
    m_expected.pop_front();
    return answered;
}

MsgAnswer ScriptedAnswerer::messageBox(const MessageBoxRequest& request) {
    const auto expected = take({.kind = Question::MessageBox, .message = request});
    return expected ? expected->messageAnswer : MsgAnswer::Cancel;
}

ErrorReportAnswer ScriptedAnswerer::errorReport(const ErrorRecord& error) {
    const auto expected = take({.kind = Question::ErrorReport, .error = error});
    return expected ? expected->reportAnswer : ErrorReportAnswer::Abort;
}

std::optional<std::string> ScriptedAnswerer::inputBox(const std::string& prompt,
                                                      const std::string& title,
                                                      const std::string& defaultText) {
    const auto expected = take(
        {.kind = Question::InputBox, .prompt = prompt, .title = title, .defaultText = defaultText});
    return expected ? expected->textAnswer : std::nullopt;
}

std::string ScriptedAnswerer::browseFolder(const std::string& title, bool newStyle) {
    const auto expected =
        take({.kind = Question::BrowseFolder, .title = title, .newStyle = newStyle});
    return expected ? expected->textAnswer.value_or("") : "";
}

std::string ScriptedAnswerer::openFileDialog(const std::string& filter, const std::string& title,
                                             const std::string& initialFolder) {
    const auto expected = take({.kind = Question::OpenFile,
                                .title = title,
                                .filter = filter,
                                .initialFolder = initialFolder});
    return expected ? expected->textAnswer.value_or("") : "";
}

std::string ScriptedAnswerer::saveFileDialog(const std::string& filter, const std::string& title,
                                             const std::string& initialFolder,
                                             const std::string& proposedName) {
    const auto expected = take({.kind = Question::SaveFile,
                                .title = title,
                                .filter = filter,
                                .initialFolder = initialFolder,
                                .proposedName = proposedName});
    return expected ? expected->textAnswer.value_or("") : "";
}

bool ScriptedAnswerer::tooManyFilesWarning(long files) {
    const auto expected = take({.kind = Question::TooManyFiles, .files = files});
    return expected && expected->goOn;
}

OriginalsAnswer ScriptedAnswerer::originalsWarning(WindowModel& model,
                                                   const std::vector<std::size_t>& rows) {
    const auto expected = take({.kind = Question::OriginalsWarning, .rows = rows});
    if (!expected)
        return OriginalsAnswer::Closed;
    for (std::size_t position : expected->untick)
        if (position < rows.size())
            markRows(model, {rows[position], rows[position]}, false);
    return expected->originalsAnswer;
}

} // namespace twinsift::test
