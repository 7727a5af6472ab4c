#include "commands/session_command.h"

#include "core/convert.h"
#include "core/format.h"
#include "core/window_commands.h"
#include "scan/exclusion_list.h"
#include "support/notice_recorder.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace twinsift {
namespace {

using test::ScriptedAnswerer;
using test::TempDir;

constexpr const char* kTime = "2024-05-06 07:08";

ResultRow resultRow(std::string name, std::string folder, std::int64_t size, std::int32_t group,
                    bool marked = false, std::string time = kTime) {
    RowFacts facts;
    facts.size = size;
    facts.lastWriteSeconds = localTimeOf(*readTimeStamp(time));
    facts.group = group;
    ResultRow row =
        makeResultRow(std::move(name), std::move(folder), "N/A", std::move(time), facts);
    row.icon = marked ? image::Marked : image::Unmarked;
    return row;
}

// The search of the format's own example: one path, one group of two files.
WindowModel exampleSearch() {
    WindowModel model;
    model.FilesFound = 12;
    model.FoldersFound = 3;
    model.DuplicateCount = 2;
    model.DuplicateBytes = 80;
    SearchPathRow path;
    path.text = "/data/";
    path.subItems = {"Yes", "All Files (*.*)", "0", "0", "", ""};
    model.SearchList = {path};
    model.rows = {resultRow("a.txt", "/data/", 40, 1), resultRow("b.txt", "/data/", 40, 1, true)};
    return model;
}

std::string saved(const WindowModel& model, bool withResults) {
    const TempDir dir;
    ScriptedAnswerer user;
    EXPECT_TRUE(SaveSession(model, dir.path() + "s.tsf", withResults, user));
    return test::readFile(dir.path() + "s.tsf");
}

struct Loaded {
    WindowModel model;
    bool result = false;
};

Loaded load(const std::string& text, UserInterface& ui, const SessionLoad& how = {}) {
    const TempDir dir;
    Loaded loaded;
    loaded.result = OpenTwinsiftFile(loaded.model, dir.write("s.tsf", text), ui, how);
    return loaded;
}

std::vector<std::string> column(const WindowModel& model, ResultColumn col) {
    std::vector<std::string> texts;
    for (const ResultRow& row : model.rows)
        texts.push_back(row.text(col));
    return texts;
}

bool panelsHidden(const WindowModel& model) {
    return !model.statusPanels[PanelDuplicates].visible &&
           !model.statusPanels[PanelFiles].visible && !model.statusPanels[PanelFolders].visible;
}

TEST(SessionFileTest, writesTheFormatByteForByte) {
    const std::string header = "1,1,0,2,12,3,2,80,0\r\n/data/,Yes,All Files (*.*),0,0,15,,\r\n";
    const std::string first =
        ";a.txt?40?2024-05-06 07:08?N/A?1?/data/?000000000040?20240506070800?00000000001?18\r\n";
    const std::string second =
        "b.txt?40?2024-05-06 07:08?N/A?1?/data/?000000000040?20240506070800?00000000001?17\r\n";
    WindowModel model = exampleSearch();
    EXPECT_EQ(saved(model, true), header + first + second);
    // Parameters only: the row count is still the list's.
    EXPECT_EQ(saved(model, false), header);
    model.rows.clear();
    EXPECT_EQ(saved(model, true), "1,1,0,0,12,3,2,80,0\r\n/data/,Yes,All Files (*.*),0,0,15,,\r\n");
    model.SearchList.clear();
    EXPECT_EQ(saved(model, true), "1,1,0,0,12,3,2,80,0\r\n");
}

TEST(SessionFileTest, failuresGoToTheErrorReportAsFileSaving) {
    TempDir dir;
    const std::string path = dir.write("s.tsf", "earlier");
    ScriptedAnswerer user;
    user.expectErrorReport(ErrorReportAnswer::Retry).expectErrorReport(ErrorReportAnswer::Abort);
    EXPECT_FALSE(SaveSession(exampleSearch(), dir.path() + "gone/s.tsf", true, user));
    EXPECT_EQ(user.asked().at(0).error.procedure, "File Saving");
    EXPECT_EQ(user.asked().at(0).error.number, err::PathNotFound);
    EXPECT_TRUE(SaveSession(exampleSearch(), path, true, user));
    EXPECT_EQ(test::readFile(path).substr(0, 4), "1,1,");
    EXPECT_FALSE(SaveSession(exampleSearch(), " ", true, user));
}

// The replace renames over a file whatever its permissions. In a child
// process, as a user of its own when run as root, whom permissions bind.
TEST(SessionFileTest, aFileTheUserMayNotWriteIsRefusedAndKept) {
    const TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    const std::string path = dir.write("s.tsf", "earlier");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kLoneUser = 47114;
        if (::geteuid() == 0 && (::setgid(kLoneUser) != 0 || ::setuid(kLoneUser) != 0))
            ::_exit(2);
        ScriptedAnswerer user;
        user.expectErrorReport(ErrorReportAnswer::Abort);
        const bool refused = !SaveSession(exampleSearch(), path, true, user) &&
                             user.asked().size() == 1 &&
                             user.asked()[0].error.procedure == "File Saving" &&
                             user.asked()[0].error.number == err::PermissionDenied;
        ::_exit(refused && test::readFile(path) == "earlier" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(SessionFileTest, anyNameAndMarkSurvivesARoundTrip) {
    const std::vector<std::string> names = {
        ";leading.txt", "with space.txt", "a,comma.txt",  "what?.txt",    "100%3F.txt",
        "line\nbreak",  "cr\rname",       "\xff\xfe.bin", "plain%25.txt", "%zz%2",
    };
    WindowModel model = exampleSearch();
    model.rows.clear();
    for (std::size_t i = 0; i < names.size(); ++i)
        model.rows.push_back(resultRow(names[i], i % 3 ? "/d?ir/" : "/d,ir/",
                                       static_cast<std::int64_t>(100 + i / 2),
                                       static_cast<std::int32_t>(1 + i / 2), i % 3 == 0));
    const std::string text = saved(model, true);
    EXPECT_TRUE(text.find("\r\n;;leading.txt?") != std::string::npos);

    ScriptedAnswerer user;
    const Loaded back = load(text, user);
    ASSERT_TRUE(back.result);
    ASSERT_EQ(back.model.rows.size(), names.size());
    for (int col = ColFileName; col < kResultColumnCount; ++col)
        EXPECT_EQ(column(back.model, ResultColumn(col)), column(model, ResultColumn(col))) << col;
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(back.model.rows[i].marked(), model.rows[i].marked()) << i;
        EXPECT_EQ(back.model.rows[i].facts.lastWriteSeconds, model.rows[i].facts.lastWriteSeconds);
        EXPECT_FALSE(back.model.rows[i].facts.identity);
    }
    EXPECT_EQ(back.model.lvFolders, (std::vector<std::string>{"/d,ir/", "/d?ir/"}));
}

TEST(SessionLoadTest, restoresSwitchesCountersAndStatusWithoutAsking) {
    struct Case {
        std::string text;
        std::size_t rows;
        bool statusShown;
    };
    const std::string header = "2,0,1,5,12,3,2,80,1\r\n/d/,Yes,*.*,0,0,15,01/01/2020,\r\n";
    const std::string line = "x?40?2024-05-06 07:08?N/A?1?/d/?k?k?k?18\r\n";
    for (const Case& c : {Case{header, 0, false}, Case{header + ";" + line, 1, false},
                          Case{header + ";" + line + line, 2, true}}) {
        ScriptedAnswerer user;
        const Loaded loaded = load(c.text, user);
        const WindowModel& m = loaded.model;
        EXPECT_TRUE(loaded.result);
        EXPECT_EQ(m.engine, Engine::Crc32);
        EXPECT_FALSE(m.chkProtect.checked);
        EXPECT_TRUE(m.chkIncludeHidden.checked);
        EXPECT_TRUE(m.chkFuzzy.checked);
        EXPECT_EQ(m.chkFuzzy.tag, "Direct");
        EXPECT_EQ(m.chkProtect.tag, "Direct");
        EXPECT_EQ(m.FilesFound, 12);
        EXPECT_EQ(m.FoldersFound, 3);
        EXPECT_EQ(m.DuplicateCount, 2);
        EXPECT_EQ(m.DuplicateBytes, 80);
        ASSERT_EQ(m.SearchList.size(), 1U);
        EXPECT_EQ(m.SearchList[0].subItems[SearchPathRow::MinDate], "01/01/2020");
        EXPECT_EQ(m.rows.size(), c.rows);
        EXPECT_FALSE(m.scanning);
        EXPECT_EQ(panelsHidden(m), !c.statusShown);
        if (c.statusShown) {
            EXPECT_EQ(m.statusPanels[PanelProgress].text, "Search Completed.");
            EXPECT_EQ(m.statusPanels[PanelDuplicates].text, "Duplicate Files: 2  Size: 80 Bytes");
            EXPECT_EQ(m.statusPanels[PanelFiles].text, "Files : 12");
        } else {
            EXPECT_EQ(m.statusPanels[PanelElapsed].text, "00:00:00");
        }
    }
    ScriptedAnswerer user;
    const Loaded headerOnly = load("1,1,0,0,0,0,0,0,0\r\n", user);
    EXPECT_TRUE(headerOnly.result);
    EXPECT_TRUE(panelsHidden(headerOnly.model));
}

TEST(SessionLoadTest, renumbersGroupsInFileOrderAndCountsMarks) {
    // An older header without fields 7 and 8; a row count smaller than the rows.
    const std::string text = "1,1,0,2,9,1,3\r\n"
                             "/d/,Yes,*.*,0,0,16,,\r\n"
                             ";a?40?2024-05-06 07:08?N/A?4?/d/?0?0?00000000004?17\r\n"
                             "b?40?2024-05-06 07:08?N/A?4?/e/?0?0?00000000004?18\r\n"
                             "c?7?2024-05-06 07:08?N/A?9?/d/?0?0?00000000009?17\r\n"
                             "d?7?2024-05-06 07:08?N/A?9?/f/?0?0?00000000009\r\n"
                             "e?7?2024-05-06 07:08?N/A?9?/d/?0?0?00000000009?18\r\n";
    ExclusionList exclusions;
    SessionLoad how;
    how.exclusions = &exclusions;
    std::vector<std::size_t> progress;
    how.progress = [&](std::size_t done, std::size_t total) {
        progress.push_back(done * 10 + total);
    };
    int closed = 0;
    how.fileRead = [&] { ++closed; };
    ScriptedAnswerer user;
    const Loaded loaded = load(text, user, how);
    const WindowModel& m = loaded.model;
    ASSERT_TRUE(loaded.result);
    EXPECT_EQ(column(m, ColGroup), (std::vector<std::string>{"1", "1", "2", "2", "2"}));
    EXPECT_EQ(column(m, ColSortGrpno),
              (std::vector<std::string>{"00000000004", "00000000004", "00000000009", "00000000009",
                                        "00000000009"}));
    EXPECT_EQ(column(m, ColExt)[0], "");
    EXPECT_EQ(m.GroupSizes, (std::vector<std::int32_t>{0, 2, 3}));
    EXPECT_EQ(m.GroupCount, 2);
    EXPECT_EQ(m.RowShades, (std::vector<std::int32_t>{1, 1, 2, 2, 2}));
    EXPECT_EQ(m.lvFolders, (std::vector<std::string>{"/d/", "/e/", "/f/"}));
    EXPECT_EQ(m.rows[3].icon, image::Unmarked);
    EXPECT_EQ(m.DuplicateBytes, 0);
    EXPECT_FALSE(m.chkFuzzy.checked);
    EXPECT_TRUE(m.SearchList.empty());
    ASSERT_EQ(exclusions.folders.size(), 1U);
    EXPECT_EQ(exclusions.folders[0].text, "/d/");
    EXPECT_EQ(m.statusPanels[PanelProgress].text, "Total Files Marked 2 Size 47 Bytes");
    EXPECT_EQ(progress, (std::vector<std::size_t>{12, 22, 33, 44, 55}));
    EXPECT_EQ(closed, 1);
}

TEST(SessionLoadTest, groupsOfAListSortedByAnotherColumnComeBackWhole) {
    WindowModel model = exampleSearch();
    model.rows = {resultRow("a", "/d/", 40, 1), resultRow("c", "/d/", 40, 1),
                  resultRow("b", "/d/", 7, 2), resultRow("d", "/d/", 7, 2)};
    sortResultRows(model, ColFileName, false);
    ScriptedAnswerer user;
    const Loaded back = load(saved(model, true), user);
    ASSERT_TRUE(back.result);
    EXPECT_EQ(column(back.model, ColGroup), (std::vector<std::string>{"1", "2", "1", "2"}));
    EXPECT_EQ(column(back.model, ColSortGrpno), column(model, ColSortGrpno));
    EXPECT_EQ(back.model.GroupSizes, (std::vector<std::int32_t>{0, 2, 2}));
    EXPECT_EQ(back.model.RowShades, (std::vector<std::int32_t>{1, 2, 1, 2}));
}

class SessionFilesTest : public ::testing::Test {
protected:
    // A file of `content` and its row as a search would list it.
    ResultRow file(const std::string& name, const std::string& content, std::int32_t group) {
        const std::string path = dir.write(name, content);
        struct stat status {};
        ::stat(path.c_str(), &status);
        RowFacts facts;
        facts.size = status.st_size;
        facts.lastWriteSeconds = status.st_mtim.tv_sec;
        facts.group = group;
        return makeResultRow(name, dir.path(), "N/A", fileTimeText(status.st_mtim.tv_sec), facts);
    }

    std::string sessionOf(std::vector<ResultRow> rows, Engine engine = Engine::ByteByByte) {
        WindowModel model;
        selectEngine(model, engine);
        model.rows = std::move(rows);
        const std::string path = dir.path() + "s.tsf";
        ScriptedAnswerer user;
        EXPECT_TRUE(SaveSession(model, path, true, user));
        return path;
    }

    TempDir dir;
};

TEST_F(SessionFilesTest, reScanComparesTheSavedFilesAgainUnlessZeroSize) {
    // Saved as one group, though only a and b are still equal.
    const std::string path =
        sessionOf({file("a", "same", 1), file("b", "same", 1), file("c", "diff", 1)});
    // Touched since: the rows show the files' times now.
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir.path() + "a").c_str(), times, 0), 0);
    SessionLoad how;
    how.reScan = true;
    ScriptedAnswerer user;
    WindowModel model;
    ASSERT_TRUE(OpenTwinsiftFile(model, path, user, how));
    EXPECT_EQ(column(model, ColFileName), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(model.rows[0].text(ColLastModified), fileTimeText(1'000'000'000));
    EXPECT_TRUE(model.rows[0].facts.identity);
    EXPECT_EQ(model.DuplicateCount, 1);
    EXPECT_EQ(model.engine, Engine::ByteByByte);

    const std::string zero =
        sessionOf({file("a", "same", 1), file("c", "diff", 1)}, Engine::ZeroSize);
    ASSERT_TRUE(OpenTwinsiftFile(model, zero, user, how));
    EXPECT_EQ(column(model, ColFileName), (std::vector<std::string>{"a", "c"}));
}

TEST_F(SessionFilesTest, reScanSeesHardLinksAsOneFile) {
    ResultRow a = file("a", "same", 1);
    ASSERT_EQ(::link((dir.path() + "a").c_str(), (dir.path() + "b").c_str()), 0);
    ResultRow b = makeResultRow("b", dir.path(), "N/A", a.text(ColLastModified), a.facts);
    SessionLoad how;
    how.reScan = true;
    ScriptedAnswerer user;
    WindowModel model;
    ASSERT_TRUE(OpenTwinsiftFile(model, sessionOf({a, b}), user, how));
    EXPECT_TRUE(model.rows.empty());
}

TEST_F(SessionFilesTest, reCheckDropsGoneAndChangedFilesThenLoneRows) {
    const std::string path =
        sessionOf({file("a", "1234", 1), file("b", "1234", 1), file("e", "1234", 1),
                   file("c", "xy", 2), file("d", "xy", 2)});
    ::unlink((dir.path() + "c").c_str());
    dir.write("b", "12345");
    SessionLoad how;
    how.reCheck = true;
    ScriptedAnswerer user;
    WindowModel model;
    test::NoticeRecorder notices(model);
    ASSERT_TRUE(OpenTwinsiftFile(model, path, user, how));
    EXPECT_EQ(column(model, ColFileName), (std::vector<std::string>{"a", "e"}));
    // The list hears of the loaded rows before any of them is removed.
    ASSERT_GE(notices.rowNotices.size(), 3U);
    EXPECT_EQ(notices.rowNotices[1], "replaced");
    EXPECT_EQ(notices.rowNotices[2], "removed 1-1 3-3");
    EXPECT_EQ(model.DuplicateCount, 1);
    EXPECT_EQ(model.DuplicateBytes, 4);
    EXPECT_EQ(model.RowShades.size(), 2U);
}

TEST_F(SessionFilesTest, reCheckOfTheZeroSizeListingRecountsTheMarks) {
    std::vector<ResultRow> rows = {file("a", "", 0), file("b", "", 0), file("c", "", 0)};
    rows[0].icon = image::Marked;
    rows[1].icon = image::Marked;
    const std::string path = sessionOf(rows, Engine::ZeroSize);
    ::unlink((dir.path() + "b").c_str());
    SessionLoad how;
    how.reCheck = true;
    ScriptedAnswerer user;
    WindowModel model;
    ASSERT_TRUE(OpenTwinsiftFile(model, path, user, how));
    EXPECT_EQ(column(model, ColFileName), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(model.statusPanels[PanelProgress].text, "Total Files Marked 1 Size 0 Bytes");
}

TEST_F(SessionFilesTest, damagedFilesEndTheLoadAndLeaveTheWindowIdle) {
    const std::string fifo = dir.path() + "fifo.tsf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string longLine =
        dir.write("long.tsf", "1,1,0,0,0,0,0,0,0\r\n" + std::string(2 << 20, 'x') + "\r\n");
    const std::string counter = dir.write("counter.tsf", "1,1,0,0,many,0,0,0,0\r\n");
    // Rounds to 2^63, one past the largest 64-bit integer.
    const std::string bytes = dir.write("bytes.tsf", "1,1,0,0,0,0,0,9223372036854775807,0\r\n");
    for (const std::string& path : {fifo, longLine, counter, bytes}) {
        ScriptedAnswerer user;
        user.expectErrorReport(ErrorReportAnswer::Retry)
            .expectErrorReport(ErrorReportAnswer::Abort);
        WindowModel model;
        EXPECT_FALSE(OpenTwinsiftFile(model, path, user, {})) << path;
        EXPECT_FALSE(model.scanning);
        EXPECT_TRUE(model.SearchCancelled);
        EXPECT_EQ(user.asked().at(0).error.procedure, "File Opening");
    }
    ScriptedAnswerer user;
    WindowModel model;
    ASSERT_TRUE(
        OpenTwinsiftFile(model, sessionOf({file("a", "1", 1), file("b", "1", 1)}), user, {}));
    EXPECT_FALSE(OpenTwinsiftFile(model, dir.path() + "none.tsf", user, {}));
    EXPECT_TRUE(model.lvFolders.empty());
    EXPECT_EQ(model.GroupCount, 0);
    user.expectMessage({"\"" + dir.path() +
                            "short.tsf\" line 3 has too few fields; the lines after it were "
                            "not read.",
                        "Open Session", MsgIcon::Exclamation, MsgButtons::OK, 1},
                       MsgAnswer::OK);
    EXPECT_FALSE(OpenTwinsiftFile(model,
                                  dir.write("short.tsf", "1,1,0,2,0,0,0,0,0\r\n"
                                                         ";a?1?t?v?1?/d/?0?0?0?18\r\nb?1?t\r\n"),
                                  user, {}));
    EXPECT_EQ(model.rows.size(), 1U);
    EXPECT_FALSE(model.scanning);
}

TEST(SessionLoadTest, rowsNoScanCouldListAreRefusedAsDamaged) {
    struct Case {
        std::string name;
        std::string folder;
    };
    const std::string nul(1, '\0');
    for (const Case& c : {Case{"", "/d/"}, Case{".", "/d/"}, Case{"..", "/d/"}, Case{"a/b", "/d/"},
                          Case{"a" + nul, "/d/"}, Case{"a", "d/"}, Case{"a", "/d"}, Case{"a", ""},
                          Case{"a", "/d/../"}, Case{"a", "/./"}, Case{"a", "//"},
                          Case{"a", "/d//e/"}, Case{"a", "/d" + nul + "/"}}) {
        SCOPED_TRACE(c.name + " in " + c.folder);
        ScriptedAnswerer user;
        user.expectErrorReport(ErrorReportAnswer::Abort);
        const Loaded loaded = load("1,1,0,1,0,0,0,0,0\r\n;" + c.name + "?1?" + kTime + "?N/A?1?" +
                                       c.folder + "?0?0?0?18\r\n",
                                   user);
        EXPECT_FALSE(loaded.result);
        EXPECT_TRUE(loaded.model.rows.empty());
        ASSERT_EQ(user.asked().size(), 1U);
        EXPECT_EQ(user.asked()[0].error.procedure, "File Opening");
        EXPECT_EQ(user.asked()[0].error.number, err::TypeMismatch);
    }
}

TEST(SessionLoadTest, cancelEndsTheLoadAndKeepsTheRowsNotLookedAt) {
    // 600 rows in pairs whose files are gone. Cancelled at the 500th row of
    // the read, of Re-Scan's look at the files, or of Re-Check.
    std::string text = "1,1,0,600,0,0,0,0,0\r\n;";
    for (int i = 0; i < 600; ++i)
        text += "f" + std::to_string(i) + "?1?" + kTime + "?N/A?" + std::to_string(i / 2) +
                "?/gone/?0?0?0?18\r\n";
    struct Case {
        bool whileReading, reScan, reCheck;
        std::size_t rows;
    };
    // Re-Check drops rows 0-498, then row 499 as the last of its pair.
    for (const Case& c : {Case{true, false, false, 500}, Case{false, true, false, 600},
                          Case{false, false, true, 100}}) {
        SCOPED_TRACE(c.rows);
        ScriptedAnswerer user;
        const TempDir dir;
        WindowModel model;
        const auto cancel = [&] { model.yield = [&] { stopScan(model); }; };
        if (c.whileReading)
            cancel();
        SessionLoad how;
        how.reScan = c.reScan;
        how.reCheck = c.reCheck;
        how.fileRead = cancel;
        EXPECT_FALSE(OpenTwinsiftFile(model, dir.write("s.tsf", text), user, how));
        EXPECT_EQ(model.rows.size(), c.rows);
        EXPECT_EQ(model.statusPanels[PanelProgress].text, "Search Terminated.");
        EXPECT_FALSE(model.scanning);
    }
}

// Answers every error report with Abort and every message with OK.
class AbortingUser : public ScriptedAnswerer {
public:
    ErrorReportAnswer errorReport(const ErrorRecord&) override { return ErrorReportAnswer::Abort; }
    MsgAnswer messageBox(const MessageBoxRequest&) override { return MsgAnswer::OK; }
};

TEST_F(SessionFilesTest, thousandsOfDamagedFilesNeverBreakTheModel) {
    const std::string valid =
        test::readFile(sessionOf({file("a", "12", 1), file("b;?,%", "12", 1), file("c", "x", 2),
                                  file("d", "x", 2), file("e", "x", 2)}));
    const std::vector<std::string> pieces = {"?",           ",",  ";",     "\r\n", "%", "%3F",
                                             "99999999999", "-1", "1e308", "17",   ""};
    std::mt19937 random(20261207);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    AbortingUser user;
    for (int round = 0; round < 3000; ++round) {
        std::string text = valid;
        for (int edits = 1 + static_cast<int>(pick(4)); edits > 0; --edits) {
            const std::size_t at = pick(text.size() + 1);
            switch (pick(5)) {
            case 0:
                text.resize(at);
                break;
            case 1:
                if (at < text.size())
                    text[at] = static_cast<char>(random());
                break;
            case 2:
                text.erase(at, pick(40));
                break;
            case 3:
                text.insert(at, pieces[pick(pieces.size())]);
                break;
            default:
                text.insert(at, text.substr(at, pick(200)));
            }
        }
        // A fresh file each time: truncating a written one waits for the disk.
        ::unlink((dir.path() + "m.tsf").c_str());
        WindowModel model;
        OpenTwinsiftFile(model, dir.write("m.tsf", text), user, {});
        ASSERT_FALSE(model.scanning) << text;
        ASSERT_EQ(model.RowShades.size(), model.rows.size()) << text;
        const auto groups = static_cast<std::int32_t>(model.GroupSizes.size());
        for (const ResultRow& row : model.rows)
            ASSERT_TRUE(row.facts.group >= 1 && row.facts.group < groups) << text;
        ASSERT_EQ(std::accumulate(model.GroupSizes.begin(), model.GroupSizes.end(), std::size_t{0}),
                  model.rows.size());
    }
}

} // namespace
} // namespace twinsift
