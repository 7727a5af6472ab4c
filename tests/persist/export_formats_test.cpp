#include "persist/export_formats.h"

#include "support/scratch_volume.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace twinsift {
namespace {

using test::readFile;
using test::ScriptedAnswerer;
using test::TempDir;

ResultRow row(std::string name, std::string folder, std::int64_t size, std::int32_t group) {
    RowFacts facts;
    facts.size = size;
    facts.group = group;
    return makeResultRow(std::move(name), std::move(folder), "N/A", "2024-01-02 03:04", facts);
}

WindowModel listOf(std::vector<ResultRow> rows) {
    WindowModel model;
    model.rows = std::move(rows);
    return model;
}

WindowModel twoRows() {
    return listOf({row("a b.txt", "/data/x/", 12, 1), row("notes", "/data/y/", 7, 1)});
}

std::string hex(std::string_view bytes) {
    std::string out;
    char digits[3];
    for (const char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(c));
        out += digits;
    }
    return out;
}

// What a strict reader in Python makes of `file`: `script` is run with the
// file and the hex bytes of `argument`, and prints one line per record.
std::string parsedByPython(const TempDir& dir, const std::string& script, const std::string& file,
                           const std::string& argument = "") {
    const std::string scriptPath = dir.write("read.py", script);
    const std::string command =
        "python3 '" + scriptPath + "' '" + file + "' '" + hex(argument) + "'";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, got);
        EXPECT_EQ(::pclose(pipe), 0) << out;
    }
    return out;
}

bool pythonMissing() {
    return std::system("python3 -c '' >/dev/null 2>&1") != 0;
}

TEST(ExportFormatsTest, writesTheLayoutLineByLineWithCrLfAndAFinalEmptyLine) {
    const TempDir dir;
    const WindowModel model = twoRows();
    ScriptedAnswerer user;
    // A longer earlier file is replaced whole.
    const std::string xml = dir.write("out.xml", std::string(5000, 'z'));
    ASSERT_TRUE(ExportXml(model, {xml, ExportRows::All, {}}, user));
    EXPECT_EQ(readFile(xml), "<?xml version=\"1.0\"?>\r\n<Files>\r\n"
                             "<File>\r\n<FileName>a b.txt</FileName>\r\n<FileExt>txt</FileExt>\r\n"
                             "<FileSize>12</FileSize>\r\n"
                             "<LastModified>2024-01-02 03:04</LastModified>\r\n"
                             "<Version>N/A</Version>\r\n<Group>1</Group>\r\n"
                             "<Path>/data/x/</Path>\r\n</File>\r\n"
                             "<File>\r\n<FileName>notes</FileName>\r\n<FileExt></FileExt>\r\n"
                             "<FileSize>7</FileSize>\r\n"
                             "<LastModified>2024-01-02 03:04</LastModified>\r\n"
                             "<Version>N/A</Version>\r\n<Group>1</Group>\r\n"
                             "<Path>/data/y/</Path>\r\n</File>\r\n"
                             "</Files>\r\n\r\n");

    const std::string csv = dir.path() + "out.csv";
    ASSERT_TRUE(ExportDelimited(model, {csv, ExportRows::All, {}}, Delimiter::Semicolon, "", user));
    EXPECT_EQ(readFile(csv),
              "File Name;File Extension;Size(Bytes);Last Modified;Version;Group;Path\r\n"
              "a b.txt;txt;12;2024-01-02 03:04;N/A;1;/data/x/\r\n"
              "notes;;7;2024-01-02 03:04;N/A;1;/data/y/\r\n\r\n");
}

TEST(ExportFormatsTest, exportsAllMarkedOrSelectedRowsInListOrder) {
    WindowModel model = listOf({row("r0", "/a/", 1, 1), row("r1", "/a/", 1, 1),
                                row("r2", "/a/", 2, 2), row("r3", "/a/", 2, 2)});
    model.rows[1].icon = image::Marked;
    model.rows[2].icon = image::Marked;
    // Selected last row first: the export keeps the list's order.
    model.rows[3].selected = true;
    model.rows[0].selected = true;
    const std::pair<ExportRows, std::vector<std::size_t>> cases[] = {
        {ExportRows::All, {0, 1, 2, 3}},
        {ExportRows::Marked, {1, 2}},
        {ExportRows::Selected, {0, 3}},
    };
    for (const auto& [which, expected] : cases)
        EXPECT_EQ(exportedRows(model, which), expected) << static_cast<int>(which);

    // The progress runs over the whole list, rows passed over included.
    std::vector<std::size_t> passed;
    ExportText text([](std::string_view) {});
    appendXmlExport(text, model, {1, 2}, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, 4U);
        passed.push_back(done);
    });
    EXPECT_EQ(passed, (std::vector<std::size_t>{2, 3, 4}));
}

TEST(ExportFormatsTest, aLongExportIsWrittenWhole) {
    const TempDir dir;
    std::vector<ResultRow> rows;
    for (int i = 0; i < 100'000; ++i)
        rows.push_back(row("f" + std::to_string(i), "/a/", i, i / 2 + 1));
    ScriptedAnswerer user;
    const std::string csv = dir.path() + "long.csv";
    ASSERT_TRUE(ExportDelimited(listOf(std::move(rows)), {csv, ExportRows::All, {}},
                                Delimiter::Comma, "", user));
    const std::string text = readFile(csv);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 100'002);
    EXPECT_NE(text.find("\r\nf54321,,54321,2024-01-02 03:04,N/A,27161,/a/\r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\r\nf99999,,99999,2024-01-02 03:04,N/A,50000,/a/\r\n\r\n"));
}

TEST(ExportFormatsTest, anExportThatFailsLeavesNoFileWhereNoneWas) {
    const test::ScratchVolume small = test::ScratchVolume::tmpfs("1m");
    if (!small.mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    std::vector<ResultRow> rows;
    for (int i = 0; i < 100'000; ++i)
        rows.push_back(row("f" + std::to_string(i), "/a/", i, i / 2 + 1));
    ScriptedAnswerer user;
    user.expectErrorReport(ErrorReportAnswer::Abort);
    EXPECT_FALSE(ExportDelimited(listOf(std::move(rows)),
                                 {small.path() + "full.csv", ExportRows::All, {}}, Delimiter::Comma,
                                 "", user));
    EXPECT_TRUE(test::namesIn(small.path()).empty());
}

TEST(ExportFormatsTest, anExportWithoutRowsHoldsOnlyTheFrame) {
    const TempDir dir;
    const WindowModel model = twoRows(); // nothing marked
    ScriptedAnswerer user;
    const std::string xml = dir.path() + "none.xml";
    const std::string csv = dir.path() + "none.csv";
    ASSERT_TRUE(ExportXml(model, {xml, ExportRows::Marked, {}}, user));
    ASSERT_TRUE(ExportDelimited(model, {csv, ExportRows::Marked, {}}, Delimiter::Comma, "", user));
    EXPECT_EQ(readFile(xml), "<?xml version=\"1.0\"?>\r\n<Files>\r\n</Files>\r\n\r\n");
    EXPECT_EQ(readFile(csv),
              "File Name,File Extension,Size(Bytes),Last Modified,Version,Group,Path\r\n\r\n");
}

// Names no strict reader would take as they are.
const char* const kHostileNames[] = {"Tom & Jerry <1>.txt",
                                     "quote\"apos'.txt",
                                     "bell\x07"
                                     "esc\x1b.txt",
                                     "cr\rlf\ntab\t.txt",
                                     "latin1 \xe9t\xe9.txt",
                                     "caf\xc3\xa9 \xf0\x9f\x98\x80.txt",
                                     "surrogate \xed\xa0\x80.txt",
                                     "nonchar \xef\xbf\xbf.txt",
                                     "]]>.txt"};

TEST(ExportFormatsTest, aStrictXmlReaderReadsBackEveryName) {
    if (pythonMissing())
        GTEST_SKIP() << "python3 is not installed";
    const TempDir dir;
    std::vector<ResultRow> rows;
    for (const char* name : kHostileNames)
        rows.push_back(row(name, "/a&b/<c>/", 1, 1));
    const WindowModel model = listOf(std::move(rows));
    ScriptedAnswerer user;
    const std::string xml = dir.path() + "hostile.xml";
    ASSERT_TRUE(ExportXml(model, {xml, ExportRows::All, {}}, user));

    const std::string parsed =
        parsedByPython(dir,
                       "import sys, xml.etree.ElementTree as T\n"
                       "for f in T.parse(sys.argv[1]).getroot():\n"
                       "    print(' '.join((f.find(t).text or '').encode().hex() for t in "
                       "('FileName', 'Path')))\n",
                       xml);
    const std::string fffd = "\xef\xbf\xbd";
    const std::string expectedNames[] = {"Tom & Jerry <1>.txt",
                                         "quote\"apos'.txt",
                                         "bell" + fffd + "esc" + fffd + ".txt",
                                         "cr\rlf\ntab\t.txt",
                                         "latin1 " + fffd + "t" + fffd + ".txt",
                                         "caf\xc3\xa9 \xf0\x9f\x98\x80.txt",
                                         "surrogate " + fffd + fffd + fffd + ".txt",
                                         "nonchar " + fffd + ".txt",
                                         "]]>.txt"};
    std::string expected;
    for (const std::string& name : expectedNames)
        expected += hex(name) + " " + hex("/a&b/<c>/") + "\n";
    EXPECT_EQ(parsed, expected);
}

TEST(ExportFormatsTest, aCsvReaderReadsBackEveryNameWithEveryDelimiter) {
    if (pythonMissing())
        GTEST_SKIP() << "python3 is not installed";
    const TempDir dir;
    std::vector<ResultRow> rows;
    for (const char* name : kHostileNames)
        rows.push_back(row(name, "/a,b;c|d\te f/", 1, 1));
    rows.push_back(row("plain,semi;pipe|tab\t\"q\"", "/x/", 2, 2));
    const WindowModel model = listOf(std::move(rows));
    const std::pair<Delimiter, std::string> choices[] = {{Delimiter::Tab, "\t"},
                                                         {Delimiter::Comma, ","},
                                                         {Delimiter::Semicolon, ";"},
                                                         {Delimiter::Other, "|"}};
    // Each record as the reader's field count and the fields' bytes.
    const std::string script =
        "import csv, sys\n"
        "sep = bytes.fromhex(sys.argv[2]).decode()\n"
        "with open(sys.argv[1], newline='', encoding='utf-8', errors='surrogateescape') as f:\n"
        "    for r in csv.reader(f, delimiter=sep, strict=True):\n"
        "        print(len(r), *(v.encode('utf-8', 'surrogateescape').hex() for v in r))\n";
    std::string expected = "7";
    for (const char* title : {"File Name", "File Extension", "Size(Bytes)", "Last Modified",
                              "Version", "Group", "Path"})
        expected += " " + hex(title);
    expected += "\n";
    for (const ResultRow& r : model.rows) {
        expected += "7";
        for (const std::string& value :
             {r.name(), r.text(ColExt), r.text(ColSize), r.text(ColLastModified),
              r.text(ColFileVersion), r.text(ColGroup), r.folder()})
            expected += " " + hex(value);
        expected += "\n";
    }
    expected += "0\n"; // the final empty line
    for (const auto& [delimiter, separator] : choices) {
        ScriptedAnswerer user;
        const std::string csv = dir.path() + "hostile.csv";
        ASSERT_TRUE(ExportDelimited(model, {csv, ExportRows::All, {}}, delimiter, separator, user));
        EXPECT_EQ(parsedByPython(dir, script, csv, separator), expected) << hex(separator);
    }
}

// The records of a delimited text as a reader splits them: a field either
// runs to the first separator or line end, or is quoted with its quotes
// doubled. Nothing for a text that does not split.
std::vector<std::vector<std::string>> splitRecords(std::string_view text,
                                                   std::string_view separator) {
    std::vector<std::vector<std::string>> records(1);
    while (!text.empty()) {
        std::string field;
        if (text.front() == '"') {
            std::size_t i = 1;
            for (; i < text.size(); ++i) {
                if (text[i] == '"' && text.substr(i, 2) != "\"\"")
                    break;
                if (text[i] == '"')
                    ++i;
                field += text[i];
            }
            if (i == text.size())
                return {};
            text.remove_prefix(i + 1);
        } else {
            field = text.substr(0, std::min(text.find(separator), text.find("\r\n")));
            text.remove_prefix(field.size());
        }
        records.back().push_back(field);
        if (text.starts_with(separator)) {
            text.remove_prefix(separator.size());
        } else if (text.starts_with("\r\n")) {
            text.remove_prefix(2);
            records.emplace_back();
        } else {
            return {};
        }
    }
    return records;
}

TEST(ExportFormatsTest, aSeparatorOfSeveralCharactersSplitsBackIntoTheValues) {
    const TempDir dir;
    const WindowModel model = listOf({row("a:", "/x:/", 1, 1), row(":b\"", "/y|/", 2, 1),
                                      row("e:|", "/z/", 3, 2), row("c::d", "/:|:/", 4, 2)});
    for (const std::string separator : {"::", ":|:"}) {
        ScriptedAnswerer user;
        const std::string csv = dir.path() + "long.csv";
        ASSERT_TRUE(
            ExportDelimited(model, {csv, ExportRows::All, {}}, Delimiter::Other, separator, user));
        const auto records = splitRecords(readFile(csv), separator);
        // The header, the rows, the final empty line and nothing after it.
        ASSERT_EQ(records.size(), 1 + model.rows.size() + 2) << separator;
        for (std::size_t i = 0; i < model.rows.size(); ++i) {
            const ResultRow& r = model.rows[i];
            EXPECT_EQ(records[i + 1],
                      (std::vector<std::string>{r.name(), r.text(ColExt), r.text(ColSize),
                                                r.text(ColLastModified), r.text(ColFileVersion),
                                                r.text(ColGroup), r.folder()}))
                << separator;
        }
    }
}

TEST(ExportFormatsTest, refusesASeparatorNoReaderCouldSplitOn) {
    EXPECT_EQ(separatorFor(Delimiter::Tab, "ignored"), "\t");
    EXPECT_EQ(separatorFor(Delimiter::Other, " :: "), " :: ");
    for (const char* unusable : {"", "\"", "a\nb", "\r"})
        EXPECT_EQ(separatorFor(Delimiter::Other, unusable), std::nullopt) << hex(unusable);

    const TempDir dir;
    const std::string csv = dir.write("kept.csv", "earlier");
    ScriptedAnswerer user;
    user.expectMessage({kUnusableSeparatorMessage, "Error", MsgIcon::None, MsgButtons::OK},
                       MsgAnswer::OK);
    EXPECT_FALSE(
        ExportDelimited(twoRows(), {csv, ExportRows::All, {}}, Delimiter::Other, "", user));
    EXPECT_EQ(readFile(csv), "earlier");
}

TEST(ExportFormatsTest, aTargetThatMayNotBeWrittenIsToldAndKept) {
    const TempDir dir;
    const std::string folder = dir.mkdir("ro");
    dir.write("ro/out.xml", "earlier");
    // Root writes through permissions, but not onto a read-only mount.
    const test::ScratchVolume volume = test::ScratchVolume::readOnly(folder);
    const std::string target = (volume.mounted() ? volume.path() : folder) + "out.xml";
    if (!volume.mounted()) {
        ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    }
    ScriptedAnswerer user;
    user.expectMessage({"File is already open please close it and proceed.", "Permission denied",
                        MsgIcon::None, MsgButtons::OK},
                       MsgAnswer::OK);
    EXPECT_FALSE(ExportXml(twoRows(), {target, ExportRows::All, {}}, user));
    EXPECT_EQ(readFile(target), "earlier");
    if (volume.mounted()) {
        // A new file there is refused alike.
        user.expectMessage({"File is already open please close it and proceed.",
                            "Permission denied", MsgIcon::None, MsgButtons::OK},
                           MsgAnswer::OK);
        EXPECT_FALSE(ExportXml(twoRows(), {volume.path() + "new.xml", ExportRows::All, {}}, user));
        EXPECT_EQ(test::namesIn(volume.path()), std::vector<std::string>{"out.xml"});
    }
}

TEST(ExportFormatsTest, otherFailuresGoToTheErrorReportWithTheWritersLabel) {
    const TempDir dir;
    ScriptedAnswerer user;
    user.expectErrorReport(ErrorReportAnswer::Abort);
    EXPECT_FALSE(ExportDelimited(twoRows(), {dir.path() + "missing/out.csv", ExportRows::All, {}},
                                 Delimiter::Comma, "", user));
    ASSERT_EQ(user.asked().size(), 1U);
    EXPECT_EQ(user.asked()[0].error.procedure, "Exporting CSV");
    EXPECT_EQ(user.asked()[0].error.number, err::PathNotFound);
}

} // namespace
} // namespace twinsift
