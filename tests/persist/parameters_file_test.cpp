#include "persist/parameters_file.h"

#include "core/field_code.h"
#include "core/startup.h"
#include "core/window_commands.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;
using test::TempDir;

SearchPathRow row(std::string folder, int icon = image::SearchPath) {
    SearchPathRow r;
    r.text = std::move(folder);
    r.subItems = {"Yes", "All Files (*.*)", "0", "0", "", ""};
    r.icon = icon;
    return r;
}

// Reads `text` as a parameters file into a fresh model.
ParametersFileOutcome readText(WindowModel& model, const std::string& text, UserInterface& ui) {
    const TempDir dir;
    return readParametersFile(model, dir.write("p.tsf", text), ui);
}

TEST(ParametersFileTest, writesTheHeaderAndOneLinePerSearchPathWithCrLf) {
    WindowModel model;
    model.chkFuzzy.checked = true;
    model.rows.resize(2);
    model.FilesFound = 12;
    model.FoldersFound = 3;
    model.DuplicateCount = 2;
    model.DuplicateBytes = 80;
    SearchPathRow search = row("/data/photos/");
    search.subItems = {"No", "Text files (*.txt)", "1", "2048", "01/02/2020", "12/31/2024"};
    model.SearchList = {search, row("/data/photos/tmp/", image::ExcludedPath)};

    TempDir dir;
    SaveSearchParameters(model, dir.path() + "default.tsf");
    EXPECT_EQ(test::readFile(dir.path() + "default.tsf"),
              "1,1,0,2,12,3,2,80,1\r\n"
              "/data/photos/,No,Text files (*.txt),1,2048,15,01/02/2020,12/31/2024\r\n"
              "/data/photos/tmp/,Yes,All Files (*.*),0,0,16,,\r\n");
}

TEST(ParametersFileTest, roundTripsAwkwardFolderAndMaskTexts) {
    const std::vector<std::string> folders = {
        "/data/Photos, 2019/",
        "/data/100%2C literally/",
        "/data/lower %2c and %25 and %/",
        "/data/what? spaced /",
        "/data/\xff\xfe latin/",
        "/data/line\nbreak\r/",
        "/data/%0a%0D%3f%zz%2/",
        ";data/;semi/",
        "/data/%3B and %3b/",
    };
    WindowModel model;
    selectEngine(model, Engine::SameNames);
    model.chkProtect.checked = false;
    model.chkIncludeHidden.checked = true;
    for (const std::string& folder : folders)
        model.SearchList.push_back(row(folder));
    model.SearchList[1].icon = image::ExcludedPath;
    model.SearchList[2].subItems[SearchPathRow::FileType] = "Mine (*.a, *.b)";

    TempDir dir;
    SaveSearchParameters(model, dir.path() + "p.tsf");
    WindowModel back;
    ScriptedAnswerer user;
    EXPECT_TRUE(OpenParametersFile(back, dir.path() + "p.tsf", user));

    ASSERT_EQ(back.SearchList.size(), folders.size());
    for (std::size_t i = 0; i < folders.size(); ++i) {
        EXPECT_EQ(back.SearchList[i].text, folders[i]);
        EXPECT_EQ(back.SearchList[i].subItems, model.SearchList[i].subItems);
        EXPECT_EQ(back.SearchList[i].icon, model.SearchList[i].icon);
    }
    EXPECT_EQ(back.engine, Engine::SameNames);
    EXPECT_TRUE(!back.chkFuzzy.enabled && !back.chkProtect.checked);
    EXPECT_TRUE(back.chkIncludeHidden.checked && back.cmdRemoveEnabled);
}

TEST(ParametersFileTest, fieldCodesAreOnlyTheSixItKnows) {
    EXPECT_EQ(encodeField("50% off, 100%", ','), "50% off%2C 100%");
    EXPECT_EQ(encodeField("a?b", '?'), "a%3Fb");
    EXPECT_EQ(encodeField("a?b", ','), "a?b");
    EXPECT_EQ(decodeField("%2c%2C%3f%0d%0A%25%2"), ",,?\r\n%%2");
    EXPECT_EQ(decodeField("%252C"), "%2C");
    EXPECT_EQ(encodeField(";a;%3B", ','), ";a;%253B");
    EXPECT_EQ(decodeField("%3B%3b;"), ";;;");
}

TEST(ParametersFileTest, restoresSwitchesAndPathsAndLeavesResultLinesAlone) {
    WindowModel model;
    model.SearchList.push_back(row("/left/over/"));
    model.chkFuzzy.tag = "Thru";
    ScriptedAnswerer user;
    const ParametersFileOutcome outcome =
        readText(model,
                 "4,0,1,2,5,1,2,80,1\n"
                 "/a/,No,All Files (*.*),1,2,15\n" // an older line without the date fields
                 "/a/b/,Yes,All Files (*.*),0,0,16,,\n"
                 ";x?1?d??1?/a/?1?d?1?18\r\n"
                 "/not/a/path/,Yes,All Files (*.*),0,0,15,,\r\n",
                 user);
    EXPECT_TRUE(outcome.opened);
    EXPECT_EQ(outcome.stop, ParametersFileOutcome::None);
    ASSERT_EQ(model.SearchList.size(), 2u);
    EXPECT_EQ(model.SearchList[0].text, "/a/");
    EXPECT_EQ(model.SearchList[0].subItems[SearchPathRow::MaxSize], "2");
    EXPECT_EQ(model.SearchList[0].subItems[SearchPathRow::MinDate], "");
    EXPECT_EQ(model.SearchList[1].icon, image::ExcludedPath);
    EXPECT_EQ(model.engine, Engine::ZeroSize);
    EXPECT_FALSE(model.chkFuzzy.checked) << "the fuzzy switch is not read from the file";
    EXPECT_EQ(model.chkFuzzy.tag + model.chkProtect.tag, "DirectDirect");
    EXPECT_TRUE(!model.chkProtect.checked && model.chkIncludeHidden.checked);
}

TEST(ParametersFileTest, lineWithTooFewFieldsEndsTheReadSilentlyKeepingEarlierRows) {
    for (const char* shortLine : {"/b/,Yes,All Files (*.*)", "", "/b/,Yes,x,0,0,15,01/01/2020"}) {
        WindowModel model;
        ScriptedAnswerer user;
        const ParametersFileOutcome outcome =
            readText(model,
                     std::string("1,1,0\r\n/a/,Yes,x,0,0,15,,\r\n") + shortLine +
                         "\r\n/c/,Yes,x,0,0,15,,\r\n",
                     user);
        EXPECT_TRUE(outcome.opened);
        EXPECT_EQ(outcome.stop, ParametersFileOutcome::ShortLine) << shortLine;
        EXPECT_EQ(outcome.line, 3);
        ASSERT_EQ(model.SearchList.size(), 1u);
        EXPECT_EQ(model.SearchList[0].text, "/a/");
    }
    // Opened as a session, the rows it could not read are told, or saving the
    // session again would drop them unseen.
    TempDir dir;
    const std::string path = dir.write("p.tsf", "1,1,0\r\n/a/,Yes,x,0,0,15,,\r\n/b/,Yes\r\n");
    WindowModel model;
    ScriptedAnswerer user;
    user.expectMessage(
        {"\"" + path + "\" line 3 has too few fields; the search paths after it were not read.",
         "Open Session", MsgIcon::Exclamation, MsgButtons::OK, 1},
        MsgAnswer::OK);
    EXPECT_TRUE(OpenParametersFile(model, path, user));
    EXPECT_EQ(model.SearchList.size(), 1u);
}

TEST(ParametersFileTest, unreadableValuesGoToTheErrorReportAndAbortEndsTheRead) {
    for (const char* header : {"x,1,0", "1,yes,0", "1,1,"}) {
        WindowModel model;
        ScriptedAnswerer user;
        user.expectErrorReport(ErrorReportAnswer::Retry)
            .expectErrorReport(ErrorReportAnswer::Abort);
        const ParametersFileOutcome outcome =
            readText(model, std::string(header) + "\r\n/a/,Yes,x,0,0,15,,\r\n", user);
        user.verify();
        EXPECT_TRUE(outcome.opened);
        EXPECT_EQ(outcome.stop, ParametersFileOutcome::Failure);
        EXPECT_TRUE(model.SearchList.empty());
        ASSERT_EQ(user.asked().size(), 2u);
        EXPECT_EQ(user.asked()[0].error.number, err::TypeMismatch);
        EXPECT_EQ(user.asked()[0].error.procedure, "ParaFile Opening");
    }
    // The report names the file, the line and the field.
    WindowModel model;
    ScriptedAnswerer user;
    user.expectErrorReport(ErrorReportAnswer::Abort);
    TempDir dir;
    const std::string path = dir.write("default.tsf", "1,yes,0\r\n");
    readParametersFile(model, path, user);
    ASSERT_EQ(user.asked().size(), 1u);
    EXPECT_EQ(user.asked()[0].error.description,
              "Type mismatch: " + path + " line 1, field 2 (Protect System Folders): not a number");
}

// A missing file starts a new session without a word; a folder in its place
// is reported (devices and FIFOs are refused by the line reader itself).
TEST(ParametersFileTest, missingFileStartsANewSessionAndOtherKindsAreReported) {
    WindowModel model;
    model.SearchList.push_back(row("/left/over/"));
    ScriptedAnswerer user;
    TempDir dir;
    const ParametersFileOutcome outcome = readParametersFile(model, dir.path() + "none.tsf", user);
    EXPECT_FALSE(outcome.opened);
    EXPECT_EQ(outcome.stop, ParametersFileOutcome::None);
    EXPECT_TRUE(model.SearchList.empty());

    user.expectErrorReport(ErrorReportAnswer::Abort);
    EXPECT_FALSE(OpenParametersFile(model, dir.path(), user));
}

// An error report answered with Abort, without failing the test.
class AbortingUser : public ScriptedAnswerer {
public:
    ErrorReportAnswer errorReport(const ErrorRecord&) override { return ErrorReportAnswer::Abort; }
};

TEST(ParametersFileTest, everyTruncationOfAFileGivesADefinedResult) {
    WindowModel model;
    for (const char* folder : {"/a, b/", "/c%d/", "/e/"})
        model.SearchList.push_back(row(folder));
    model.SearchList[2].icon = image::ExcludedPath;
    const std::string whole = searchParametersText(model) + "\r\n";
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        WindowModel back;
        AbortingUser user;
        const ParametersFileOutcome outcome = readText(back, whole.substr(0, length), user);
        EXPECT_TRUE(outcome.opened);
        ASSERT_LE(back.SearchList.size(), model.SearchList.size());
        for (std::size_t i = 0; i + 1 < back.SearchList.size(); ++i)
            EXPECT_EQ(back.SearchList[i].text, model.SearchList[i].text);
    }
}

TEST(ParametersFileTest, unwritablePathIsIgnored) {
    WindowModel model;
    TempDir dir;
    SaveSearchParameters(model, dir.path() + "missing/folder/default.tsf");
    SaveSearchParameters(model, "");
    EXPECT_EQ(test::readFile(dir.path() + "missing/folder/default.tsf"), "");
}

} // namespace
} // namespace twinsift
