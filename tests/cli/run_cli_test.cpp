#include "cli/run_cli.h"

#include "cli/cli_options.h"
#include "core/window_model.h"
#include "persist/parameters_file.h"
#include "scan/exclusion_list.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace twinsift {
namespace {

using test::TempDir;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

CliRun runWith(const std::vector<std::string>& arguments) {
    std::ostringstream out, err;
    CliRun run;
    run.status = runCli(arguments, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::string describe(const CliRun& run) {
    return "status " + std::to_string(run.status) + "\n--- out:\n" + run.out + "--- err:\n" +
           run.err;
}

// A small tree of empty and non-empty files in a fresh folder.
class RunCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = m_dir.path();
        for (const char* name :
             {"a/empty1", "a/b/empty2", "c, d/empty?3", "a/.hidden", "a/skip.tmp", "x/empty4"})
            m_dir.write(name, "");
        m_dir.write("a/full", "data");
    }

    TempDir m_dir;
    std::string m_root;
};

// The output exactly; the error stream starts with the text given.
TEST_F(RunCliTest, listsWhatTheOptionsSelectInEachOutputForm) {
    const auto stamp = [](const std::string& path, std::time_t when) {
        const timespec times[2] = {{when, 0}, {when, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    stamp(m_root + "a/empty1", -441763200); // 1956
    stamp(m_root + "x/empty4", 1577836800); // 2020
    std::filesystem::create_directory_symlink(m_root + "x", m_root + "link");
    const std::string a = m_root + "a", x = m_root + "x", cd = m_root + "c, d";
    const std::string completed = "Search Completed.\n";
    const std::vector<std::tuple<std::vector<std::string>, std::string, std::string>> cases = {
        // In record order: by size, then name; no duplicate line for empty files.
        {{"--engine", "zero", a, cd},
         a + "/empty1\n" + a + "/b/empty2\n" + cd + "/empty?3\n" + a + "/skip.tmp\n\n",
         completed + "Files : 4\nFolders : 1\n"},
        {{"--engine=zero", "--hidden", "--exclude-ext", ".TMP", "--exclude-folder", a + "/b",
          "--no-subfolders", a, x},
         a + "/.hidden\n" + a + "/empty1\n" + x + "/empty4\n\n",
         completed},
        // Bounds at the ends of their ranges are taken, dates before 1970 too.
        {{"--engine", "zero", "--from", "01/01/1950", "--to", "01/01/1960", a, x},
         a + "/empty1\n\n",
         completed},
        {{"--max-kb", "9e15", a}, "", completed + "Duplicate Files: 0  Size: 0 Bytes\nFiles : 1\n"},
        // Relative and linked folders are searched under the name given, from a/.
        {{"--engine", "zero", "../link", "./b/"},
         a + "/b/empty2\n" + m_root + "link/empty4\n\n",
         completed},
    };
    const std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(a);
    for (const auto& [arguments, out, err] : cases) {
        const CliRun run = runWith(arguments);
        EXPECT_EQ(run.status, exit_status::Completed) << describe(run);
        EXPECT_EQ(run.out, out);
        EXPECT_TRUE(run.err.starts_with(err)) << describe(run);
    }
    std::filesystem::current_path(cwd);
    const CliRun summary = runWith({"--engine", "zero", "--summary", x});
    EXPECT_TRUE(summary.out.starts_with(completed + "Files : 1\nFolders : 0\n")) << summary.out;
    EXPECT_EQ(summary.err, "");
}

// The bytes a base64 text stands for; its padding must be right.
std::string fromBase64(const std::string& text) {
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    std::uint32_t bits = 0;
    int held = 0;
    for (const char c : text.substr(0, text.find('='))) {
        bits = bits << 6 | static_cast<std::uint32_t>(digits.find(c));
        if ((held += 6) >= 8)
            bytes += static_cast<char>(bits >> (held -= 8) & 0xFF);
    }
    return text.size() % 4 == 0 ? bytes : "not base64: " + text;
}

// The text of the first `"name": "..."` field after `from`.
std::string jsonText(const std::string& json, const std::string& name, std::size_t from = 0) {
    const std::string start = "\"" + name + "\": \"";
    const std::size_t at = json.find(start, from);
    if (at == std::string::npos)
        return {};
    const std::size_t begin = at + start.size();
    return json.substr(begin, json.find('"', begin) - begin);
}

TEST_F(RunCliTest, jsonGivesEveryPathExactly) {
    const std::string odd = "bytes/caf\xe9 \"q\"\\";
    m_dir.write(odd, "");
    m_dir.write("bytes/plain", "");
    const CliRun run = runWith({"--engine", "zero", "--json", m_root + "bytes"});
    ASSERT_EQ(run.status, exit_status::Completed) << describe(run);
    EXPECT_TRUE(run.out.starts_with("{\n  \"engine\": \"zero\",\n  \"status\": \"Search "
                                    "Completed.\",\n  \"duplicate_count\": 0,\n  "
                                    "\"duplicate_bytes\": 0,\n  \"files\": 2,\n  \"folders\": 0,"))
        << run.out;
    EXPECT_NE(run.out.find("caf\xef\xbf\xbd \\\"q\\\"\\\\\""), std::string::npos) << run.out;
    EXPECT_EQ(fromBase64(jsonText(run.out, "path_base64")), m_root + odd) << run.out;
    // Only the path that is not UTF-8 gets its bytes spelled out.
    EXPECT_EQ(run.out.find("path_base64", run.out.find("path_base64") + 1), std::string::npos);
    EXPECT_NE(run.out.find("\"version\": \"N/A\""), std::string::npos);

    const CliRun summary = runWith({"--engine", "zero", "--json", "--summary", m_root + "bytes"});
    EXPECT_EQ(summary.out.find("\"groups\""), std::string::npos) << summary.out;
}

// Two groups of equal files among files that only share a size.
class CliGroupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = m_dir.path();
        m_dir.write("b1", "worlds!");
        m_dir.write("a1", "hello");
        m_dir.write("sub/a2", "hello");
        m_dir.write("u", "hellO");
        m_dir.write("b2", "worlds!");
        m_dir.write("sub/b3", "worlds!");
        m_dir.write("solo", "nothing like it");
    }

    TempDir m_dir;
    std::string m_root;
};

TEST_F(CliGroupsTest, printsEachGroupInListOrderWithTheFirstFoundFirstInEveryForm) {
    for (const char* engine : {"byte", "crc"}) {
        const CliRun run = runWith({"--engine", engine, "--threads", "2", m_root});
        ASSERT_EQ(run.status, exit_status::Completed) << describe(run);
        EXPECT_EQ(run.out, m_root + "a1\n" + m_root + "sub/a2\n\n" + m_root + "b1\n" + m_root +
                               "b2\n" + m_root + "sub/b3\n\n")
            << engine;
        EXPECT_NE(run.err.find("Duplicate Files: 3  Size: 19 Bytes\n"), std::string::npos)
            << run.err;
    }
    const CliRun null = runWith({"--null", m_root});
    EXPECT_EQ(null.out, m_root + "a1" + '\0' + m_root + "sub/a2" + '\0' + '\0' + m_root + "b1" +
                            '\0' + m_root + "b2" + '\0' + m_root + "sub/b3" + '\0' + '\0');

    // JSON numbers the groups and counts the duplicates.
    const CliRun json = runWith({"--json", m_root});
    ASSERT_EQ(json.status, exit_status::Completed) << describe(json);
    EXPECT_NE(json.out.find("\"engine\": \"byte\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"duplicate_count\": 3,\n  \"duplicate_bytes\": 19,\n  \"files\": "
                            "7,\n  \"folders\": 1,"),
              std::string::npos)
        << json.out;
    const std::size_t second = json.out.find("{\"group\": 2, \"files\": [");
    ASSERT_NE(second, std::string::npos) << json.out;
    EXPECT_EQ(jsonText(json.out, "path", json.out.find("{\"group\": 1, \"files\": [")),
              m_root + "a1");
    EXPECT_EQ(jsonText(json.out, "path", second), m_root + "b1");
    EXPECT_NE(json.out.find("\"size\": 7, \"modified\": \""), std::string::npos);
    EXPECT_EQ(json.out.find("\"group\": 3"), std::string::npos);

    m_dir.write("other/A1", "different");
    const CliRun names = runWith({"--engine", "name", m_root});
    EXPECT_EQ(names.out, m_root + "a1\n" + m_root + "other/A1\n\n") << describe(names);
}

// The error stream of a terminal whose user presses Ctrl-C as soon as the
// progress line shows `text`.
class InterruptOnProgress : public std::stringbuf {
public:
    explicit InterruptOnProgress(std::string text) : m_text(std::move(text)) {}

protected:
    int sync() override {
        if (!m_pressed && str().find(m_text) != std::string::npos) {
            m_pressed = true;
            std::raise(SIGINT);
        }
        return 0;
    }

private:
    std::string m_text;
    bool m_pressed = false;
};

TEST_F(CliGroupsTest, interruptDuringTheComparisonPrintsTheGroupsFoundSoFar) {
    InterruptOnProgress terminal("Searching for duplicates...");
    std::ostream err(&terminal);
    std::ostringstream out;
    const int status = runCli({m_root}, out, err, true);
    EXPECT_EQ(status, exit_status::Interrupted) << terminal.str();
    EXPECT_NE(terminal.str().find("Search Terminated.\n"), std::string::npos) << terminal.str();
    EXPECT_TRUE(out.str().starts_with(m_root + "a1\n" + m_root + "sub/a2\n\n")) << out.str();
}

TEST_F(RunCliTest, interruptDuringALoadListsTheRowsReadSoFar) {
    for (int i = 0; i < 600; ++i) // the load looks for Ctrl-C every 500 rows
        m_dir.write("many/" + std::to_string(i), "");
    const std::string session = m_root + "s.tsf";
    ASSERT_EQ(runWith({"--engine", "zero", "--save-session", session, m_root + "many"}).status,
              exit_status::Completed);
    InterruptOnProgress terminal("Loading session... 1%");
    std::ostream err(&terminal);
    std::ostringstream out;
    EXPECT_EQ(runCli({"--load-session", session}, out, err, true), exit_status::Interrupted)
        << terminal.str();
    EXPECT_NE(terminal.str().find("Search Terminated.\n"), std::string::npos) << terminal.str();
    EXPECT_NE(out.str().find(m_root + "many/"), std::string::npos);
}

// A list saved while sorted by name holds its groups apart; each is listed whole.
TEST_F(RunCliTest, aSessionSavedSortedByNameListsEachGroupTogether) {
    std::string text = "1,1,0,4,4,1,2,2,0\r\n";
    for (const char* row : {";a?1?2024-01-02 03:04?N/A?1?", "b?1?2024-01-02 03:04?N/A?2?",
                            "c?1?2024-01-02 03:04?N/A?1?", "d?1?2024-01-02 03:04?N/A?2?"})
        text += std::string(row) + m_root + "?0?0?0?18\r\n";
    const CliRun run = runWith({"--load-session", m_dir.write("sorted.tsf", text)});
    EXPECT_EQ(run.out, m_root + "a\n" + m_root + "c\n\n" + m_root + "b\n" + m_root + "d\n\n")
        << describe(run);
}

TEST_F(CliGroupsTest, interruptDuringARescanEndsItAsTerminated) {
    const std::string session = m_root + "s.tsf";
    ASSERT_EQ(runWith({"--save-session", session, m_root}).status, exit_status::Completed);
    InterruptOnProgress terminal("Searching for duplicates...");
    std::ostream err(&terminal);
    std::ostringstream out;
    const int status = runCli({"--load-session", session, "--rescan"}, out, err, true);
    EXPECT_EQ(status, exit_status::Interrupted) << terminal.str();
    EXPECT_NE(terminal.str().find("Search Terminated.\n"), std::string::npos) << terminal.str();
    EXPECT_NE(terminal.str().find("\rLoading session... 100%"), std::string::npos)
        << terminal.str();
}

// Refused before anything is walked, with nothing on the output: a message
// ending in a line break is the whole error stream, any other a part of it.
TEST_F(RunCliTest, refusesWhatCannotBeSearchedOrReadBeforeWalking) {
    const std::string a = m_root + "a";
    m_dir.write("bad.tsf", "x,1,0\r\n");
    m_dir.write("badrow.tsf",
                "1,1,0\r\n" + m_root + "a/,Yes,,0,,15,,\r\n" + m_root + "x/,Yes,,abc,,15,,\r\n");
    m_dir.write("short.tsf", "4,1,0\r\n/a/,Yes\r\n");
    m_dir.write("bad.lst", "/fine,True\r\nno comma here\r\n");
    m_dir.write("saved.tsf", "");
    m_dir.mkdir("folder.xml");
    const std::string saved = m_root + "saved.tsf", csv = m_root + "out.csv";
    ASSERT_EQ(::mkfifo((m_root + "fifo.tsf").c_str(), 0600), 0);
    const int usage = exit_status::Usage, failed = exit_status::Failed;
    std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases = {
        {{"--nope", a}, usage, "unknown option '--nope'"},
        {{a, "--mask"}, usage, "--mask needs a value"},
        {{"--engine", "fast", a}, usage, "unknown engine 'fast'"},
        {{"--hidden=yes", a}, usage, "--hidden takes no value"},
        {{}, usage, "no FOLDER given"},
        {{m_root + "missing"}, usage, "No such file or directory"},
        {{m_root + "a/full"}, usage, "is not a folder"},
        {{"--threads", "2x", a}, usage, "'2x' is not a positive integer"},
        {{"--threads", "1025", a}, usage, "--threads: '1025' is more than 1024"},
        {{"--threads", "99999999999", a}, usage, "--threads: '99999999999' is more than 1024"},
        {{"--min-kb", "-0.4", a}, usage, "--min-kb: '-0.4' is not a size in KB"},
        {{"--max-kb", "9.1e15", a}, usage, "--max-kb: '9.1e15' is not a size in KB"},
        {{"--min-kb", "ten", a}, usage, "--min-kb: 'ten' is not a size in KB"},
        {{"--min-kb", "5", "--max-kb", "5", a},
         usage,
         "Maximum size must be greater then minimum size"},
        {{"--to", "01/01/2024", a}, usage, "You cannot enter Max-Date until Min-Date is valid"},
        {{"--exclude-ext", "*.", a}, usage, "names no extension"},
        {{"--json", "--null", a}, usage, "cannot be combined"},
        {{"--delete", "--yes", a}, usage, "--delete needs --mark, --mark-folder or --load-session"},
        {{"--mark", "all-duplicates", "--delete", "--copy", a, a},
         usage,
         "--delete, --move and --copy exclude each other"},
        {{"--mark", "keep-oldest", a}, usage, "--mark: unknown rule 'keep-oldest'"},
        {{"--mark", "all-duplicates", "--size-limit", "cd", a},
         usage,
         "--size-limit needs --mark with a keep-... rule"},
        {{"--mark", "keep-newer", "--size-limit", "0.5GB", a}, usage, "'0.5GB' is not a size"},
        {{"--mark-mask", "*.txt", a}, usage, "--mark-mask needs --mark with a keep-... rule"},
        {{"--mark-folder", a, "--permanent", a}, usage, "--permanent needs --delete"},
        {{"--mark-folder", a, "--delete", "--structure", a}, usage, "--structure needs --move"},
        {{"--mark-folder", a, "--copy", a, "--allow-whole-groups", a},
         usage,
         "--allow-whole-groups needs --mark, --mark-folder or --load-session, and no --copy"},
        {{"--mark-folder", a, "--dry-run", a}, usage, "--dry-run needs --delete, --move or --copy"},
        {{"--mark-folder", a, "--marked-only", "--json", a}, usage, "cannot be combined"},
        {{"--mark-folder", m_root + "missing", a}, usage, "--mark-folder: '"},
        {{"--mark-folder", a, "--move", m_root + "a/full", a}, usage, "--move: '"},
        // Nobody can answer the question, so nothing may be deleted.
        {{"--mark-folder", a, "--delete", a}, usage, "give --yes"},
        {{"--parameters", m_root + "none.tsf"}, usage, "No such file or directory"},
        {{"--rescan", a}, usage, "--rescan needs --load-session"},
        {{"--load-session", saved, a}, usage, "cannot be combined with FOLDER arguments"},
        {{"--load-session", saved, "--engine", "zero"},
         usage,
         "--load-session replaces the search and cannot be combined with --engine"},
        {{"--load-session", m_root + "none.tsf"}, usage, "No such file or directory"},
        // Reading a FIFO would wait for a writer that never comes.
        {{"--load-session", m_root + "fifo.tsf"}, usage, "fifo.tsf' is not a regular file"},
        {{"--export", m_root + "out.txt", a}, usage, "does not end in .xml, .csv, .htm or .html"},
        {{"--export", m_root + "evil\x1b[2J.txt", a}, usage, "evil\\x1B[2J.txt"},
        {{"--export", m_root + "folder.xml", a}, usage, "folder.xml' names no file"},
        {{"--save-session", m_root + "fifo.tsf", a}, usage, "fifo.tsf' is not a regular file"},
        {{"--save-session", m_root + "none/s.tsf", a}, usage, "--save-session: '"},
        {{"--export-rows", "marked", a}, usage, "--export-rows needs --export"},
        {{"--export", csv, "--export-rows", "some", a}, usage, "'some' is neither all nor marked"},
        {{"--export", m_root + "o.XML", "--delimiter", "tab", a},
         usage,
         "--delimiter needs --export with a .csv file"},
        {{"--export", csv, "--delimiter=a\"b", a}, usage, kUnusableSeparatorMessage},
        {{"--exclusions", m_root + "none.lst", a}, usage, "No such file or directory"},
        {{"--parameters", m_root + "bad.tsf"},
         failed,
         "ParaFile Opening: error 13: Type mismatch: " + m_root +
             "bad.tsf line 1, field 1 (Search Option): not a number"},
        // A row value the scan would refuse.
        {{"--parameters", m_root + "badrow.tsf"},
         failed,
         "twinsift-cli: --parameters: " + m_root +
             "badrow.tsf line 3, field 4 (Min Size): 'abc' is not a number\n"},
        {{"--parameters", m_root + "short.tsf"}, failed, "line 2: too few fields"},
        // Refused, so nothing claims that the other entries were loaded.
        {{"--exclusions", m_root + "bad.lst", a},
         failed,
         "twinsift-cli: --exclusions: Cannot read line 2 of '" + m_root +
             "bad.lst': an entry line ends in a comma and True or False.\n"},
    };
    if (::geteuid() != 0) { // permission bits do not stop the superuser
        const std::string locked = m_dir.write("locked.lst", "/a,True\r\n");
        ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
        cases.push_back(
            {{"--exclusions", locked, a},
             failed,
             "twinsift-cli: --exclusions: Permission denied: cannot read '" + locked + "'\n"});
    }
    for (const auto& [arguments, status, message] : cases) {
        const CliRun run = runWith(arguments);
        EXPECT_EQ(run.status, status) << message << "\n" << describe(run);
        if (message.ends_with('\n')) {
            EXPECT_EQ(run.err, message);
        } else {
            EXPECT_NE(run.err.find(message), std::string::npos) << describe(run);
        }
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(RunCliTest, parametersFileGivesRowsAndSwitchesThatOptionsOverride) {
    WindowModel saved;
    saved.engine = Engine::ZeroSize;
    saved.chkIncludeHidden.checked = true;
    SearchPathRow row;
    row.text = m_root + "a/";
    row.subItems = {"No", "All files(*.*)", "0", "", "", ""};
    saved.SearchList = {row};
    row.text = m_root + "a/b/";
    row.icon = image::ExcludedPath;
    saved.SearchList.push_back(row);
    SaveSearchParameters(saved, m_root + "p.tsf");

    const CliRun fromFile = runWith({"--parameters", m_root + "p.tsf", m_root + "x"});
    ASSERT_EQ(fromFile.status, exit_status::Completed) << describe(fromFile);
    EXPECT_EQ(fromFile.out, m_root + "a/.hidden\n" + m_root + "a/empty1\n" + m_root + "x/empty4\n" +
                                m_root + "a/skip.tmp\n\n");

    const CliRun overridden = runWith({"--parameters", m_root + "p.tsf", "--engine", "name"});
    EXPECT_EQ(overridden.status, exit_status::Completed) << describe(overridden);
    EXPECT_EQ(overridden.out, "");
    EXPECT_NE(overridden.err.find("Duplicate Files: 0"), std::string::npos) << overridden.err;
}

// Parameters-file lines for search paths that cannot be walked.
std::string missingRows(const std::string& root, int count) {
    std::string lines = "1,1,0\r\n";
    for (int i = 0; i < count; ++i)
        lines += root + "missing" + std::to_string(i) + "/,Yes,,0,,15,,\r\n";
    return lines;
}

TEST_F(RunCliTest, whatTheSearchLeftOutIsListedWithItsReason) {
    m_dir.write("two.tsf", missingRows(m_root, 1) + m_root + "a/full/,Yes,,0,,15,,\r\n");
    const CliRun run = runWith({"--parameters", m_root + "two.tsf", m_root + "x"});
    EXPECT_EQ(run.status, exit_status::Completed) << describe(run);
    EXPECT_NE(run.err.find("twinsift-cli: skipped '" + m_root +
                           "missing0/': No such file or directory\n"
                           "twinsift-cli: skipped '" +
                           m_root + "a/full/': Not a directory\n"),
              std::string::npos)
        << run.err;

    const CliRun json = runWith({"--json", "--parameters", m_root + "two.tsf"});
    EXPECT_NE(json.out.find("\"skipped_count\": 2,\n  \"skipped\": [\n    {\"path\": \"" + m_root +
                            "missing0/\", \"reason\": \"No such file or directory\"},"),
              std::string::npos)
        << json.out;

    m_dir.write("many.tsf", missingRows(m_root, 25));
    const CliRun many = runWith({"--parameters", m_root + "many.tsf"});
    EXPECT_NE(many.err.find("missing19/"), std::string::npos);
    EXPECT_EQ(many.err.find("missing20/"), std::string::npos) << many.err;
    EXPECT_NE(many.err.find("twinsift-cli: skipped 5 more (25 in all; --json lists 25)\n"),
              std::string::npos)
        << many.err;
}

TEST_F(RunCliTest, namesReachTheTerminalEscapedAndTheListingExactly) {
    const std::string evil = "evil\x1b]0;PWNED\a\x1b[2J\xc2\x9b";
    for (int i = 0; i < 50; ++i)
        m_dir.mkdir(evil + "/s" + std::to_string(i));
    m_dir.write(evil + "/one", "same");
    m_dir.write(evil + "/two", "same");
    m_dir.write("evil.tsf", "1,1,0\r\n" + m_root + evil + "/gone/,Yes,,0,,15,,\r\n");

    std::ostringstream out, err;
    const int status = runCli({"--parameters", m_root + "evil.tsf", m_root + evil}, out, err, true);
    EXPECT_EQ(status, exit_status::Completed) << err.str();
    EXPECT_EQ(out.str(), m_root + evil + "/one\n" + m_root + evil + "/two\n\n");

    std::string shown = err.str();
    for (std::size_t at; (at = shown.find("\x1b[K")) != std::string::npos;)
        shown.erase(at, 3); // the progress line's own clearing
    const std::string escaped = "evil\\x1B]0;PWNED\\x07\\x1B[2J\\xC2\\x9B";
    EXPECT_NE(shown.find("Scanning... " + m_root + escaped + "/"), std::string::npos) << shown;
    EXPECT_NE(shown.find("skipped '" + m_root + escaped + "/gone/'"), std::string::npos) << shown;
    EXPECT_EQ(shown.find_first_of("\x1b\a"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("\xc2\x9b"), std::string::npos) << shown;
}

// An output stream whose descriptor was closed before the program started.
class ClosedOutput : public std::streambuf {
protected:
    int_type overflow(int_type) override {
        errno = EBADF;
        return traits_type::eof();
    }
};

TEST_F(RunCliTest, aClosedOutputIsReportedAndFailsTheRun) {
    ClosedOutput closed;
    std::ostream out(&closed);
    std::ostringstream err;
    EXPECT_EQ(runCli({"--engine", "zero", m_root + "a"}, out, err), exit_status::Failed);
    EXPECT_NE(err.str().find("twinsift-cli: cannot write the output: Bad file descriptor\n"),
              std::string::npos)
        << err.str();
}

TEST_F(RunCliTest, readsAndWritesNoPerUserFileButTheExclusionsItIsGiven) {
    TempDir data;
    const test::ScopedEnv dataHome("XDG_DATA_HOME", data.path().c_str());
    ExclusionList own;
    own.addExtension("tmp");
    own.save(data.mkdir("Twinsift") + "exclusion.lst");

    const CliRun run = runWith({"--engine", "zero", m_root + "a"});
    EXPECT_NE(run.out.find("skip.tmp"), std::string::npos) << "the user's list is not read";
    EXPECT_FALSE(std::filesystem::exists(data.path() + "Twinsift/default.tsf"));

    const CliRun given = runWith(
        {"--engine", "zero", "--exclusions", data.path() + "Twinsift/exclusion.lst", m_root + "a"});
    EXPECT_EQ(given.out.find("skip.tmp"), std::string::npos) << given.out;
}

TEST_F(RunCliTest, sizeLimitsReadAsTheDialogWouldTakeThem) {
    using Limit = AdvMarkChoices::Limit;
    const std::vector<std::tuple<std::string, Limit, std::string, std::string>> accepted = {
        {"100", Limit::Specify, "100", "KB"},
        {"2.5 mb", Limit::Specify, "2.5 ", "MB"},
        {"3GB", Limit::Specify, "3", "GB"},
        {"DVD", Limit::DVD, "", "KB"},
    };
    for (const auto& [text, limit, number, unit] : accepted) {
        AdvMarkChoices choices;
        ASSERT_TRUE(readSizeLimit(text, choices)) << text;
        EXPECT_EQ(choices.limit, limit) << text;
        EXPECT_EQ(choices.limitText, number) << text;
        EXPECT_EQ(choices.limitUnit, unit) << text;
    }
    for (const char* refused : {"", "0", "-5KB", "KB", "1TB", "0.9GB", "cdrom"}) {
        AdvMarkChoices choices;
        EXPECT_FALSE(readSizeLimit(refused, choices)) << refused;
    }
}

// On a terminal the one question decides; the answer is read from standard input.
TEST_F(RunCliTest, deleteOnATerminalAsksOnceAndActsOnlyOnYes) {
    m_dir.write("g/old", "same");
    m_dir.write("g/new", "same");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (m_root + "g/old").c_str(), old, 0), 0);
    const std::vector<std::string> arguments = {"--mark", "all-duplicates", "--delete",
                                                "--permanent", m_root + "g"};
    for (const auto& [answer, status, gone] :
         {std::tuple{"n\n", exit_status::Failed, false}, std::tuple{"", exit_status::Failed, false},
          std::tuple{" Yes\n", exit_status::Completed, true}}) {
        std::istringstream in(answer);
        std::ostringstream out, err;
        EXPECT_EQ(runCli(arguments, out, err, false, {&in, true}), status) << err.str();
        EXPECT_NE(err.str().find("Delete 1 file (4 Bytes) permanently? [y/N] "), std::string::npos)
            << err.str();
        EXPECT_EQ(std::filesystem::exists(m_root + "g/old"), !gone) << answer;
        EXPECT_TRUE(std::filesystem::exists(m_root + "g/new"));
    }
}

// Standard input on which Ctrl-C comes while the "y" is typed.
class InterruptedYes : public std::streambuf {
protected:
    int_type underflow() override {
        if (gptr() != nullptr)
            return traits_type::eof();
        std::raise(SIGINT);
        setg(m_answer, m_answer, m_answer + 2);
        return traits_type::to_int_type(*gptr());
    }

private:
    char m_answer[2] = {'y', '\n'};
};

TEST_F(RunCliTest, interruptStopsTheActionBeforeItsNextFile) {
    m_dir.write("g/one", "same");
    m_dir.write("g/two", "same");
    InterruptedYes answer;
    std::istream in(&answer);
    std::ostringstream out, err;
    EXPECT_EQ(runCli({"--mark", "all-duplicates", "--delete", "--permanent", m_root + "g"}, out,
                     err, false, {&in, true}),
              exit_status::Interrupted)
        << err.str();
    EXPECT_TRUE(std::filesystem::exists(m_root + "g/one") &&
                std::filesystem::exists(m_root + "g/two"));
}

TEST_F(RunCliTest, dryRunPrintsEachFileEscapedAndTouchesNothing) {
    const std::string hostile = m_dir.write("h/new\nline", "same");
    m_dir.write("h/other", "same");
    const CliRun run = runWith({"--mark-folder", m_root + "h", "--delete", "--permanent",
                                "--allow-whole-groups", "--dry-run", m_root + "h"});
    EXPECT_EQ(run.status, exit_status::Completed) << describe(run);
    EXPECT_NE(run.err.find("would delete " + m_root + "h/new\\x0Aline permanently\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("would delete " + m_root + "h/other permanently\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(hostile));
}

TEST_F(RunCliTest, jsonTellsWhichFilesAreMarked) {
    m_dir.write("g/old", "same");
    m_dir.write("g/new", "same");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (m_root + "g/old").c_str(), old, 0), 0);
    const CliRun run = runWith({"--json", "--mark", "keep-newer", m_root + "g"});
    EXPECT_EQ(run.status, exit_status::Completed) << describe(run);
    const auto marked = [&](const std::string& name) {
        const std::size_t at = run.out.find(m_root + "g/" + name + "\"");
        return run.out.substr(run.out.find("\"marked\": ", at) + 10, 4);
    };
    EXPECT_EQ(marked("old"), "true");
    EXPECT_EQ(marked("new"), "fals");
}

TEST_F(RunCliTest, interruptEndsTheSearchAsTerminated) {
    // A Ctrl-C that arrived while blocked is delivered once the run watches for it.
    sigset_t interrupt, previous;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, &previous);
    std::raise(SIGINT);
    const CliRun run = runWith({"--engine", "zero", m_root + "a"});
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    EXPECT_EQ(run.status, exit_status::Interrupted) << describe(run);
    EXPECT_TRUE(run.err.starts_with("Search Terminated.\n")) << run.err;
}

} // namespace
} // namespace twinsift
