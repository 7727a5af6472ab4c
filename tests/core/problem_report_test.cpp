#include "core/problem_report.h"

#include "support/scoped_env.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace twinsift {
namespace {

using test::readFile;
using test::TempDir;

const char* const kPlaceholders[] = {"vdatetime",  "vsysteminfo", "verrno",   "verrdesc",
                                     "vprocedure", "verrline",    "vversion", "vse",
                                     "vpara",      "vstage",      "vcomments"};

ProblemReportFacts sampleFacts() {
    ProblemReportFacts facts;
    facts.error = {61, "Disk full", "Scanning", 12};
    facts.engineOption = 1;
    facts.fuzzy = true;
    facts.statusPanels = {"Total Files Marked 0 Size 0 Bytes", "Search Completed.", "3 Duplicates",
                          "10 Files", "00:00:02"};
    facts.searchPaths = {{"/home/ann/Pictures/", "Yes", "*.*", "0", "0"},
                         {"/srv/share/", "No", "*.jpg", "10", "2048"}};
    return facts;
}

std::size_t occurrences(const std::string& text, const std::string& word) {
    std::size_t count = 0;
    for (auto pos = text.find(word); pos != std::string::npos; pos = text.find(word, pos + 1))
        ++count;
    return count;
}

TEST(ProblemReportTest, describesTheSearchEngineStatusAndPaths) {
    EXPECT_EQ(searchEngineLine(1, false), "Search Engine: Byte-By-Byte, Fuzzy Logic:0");
    EXPECT_EQ(searchEngineLine(2, true), "Search Engine: CRC32");
    EXPECT_EQ(searchEngineLine(3, false), "Search Engine: Same Names");
    EXPECT_EQ(searchEngineLine(4, false), "Search Engine: Zero Size");

    EXPECT_EQ(statusText({"a", "", "c", "d", "e"}), "Status: a{}{}c{}d{}e");

    EXPECT_EQ(searchPathText(sampleFacts().searchPaths),
              "/home/ann/Pictures/ {SF} Yes {FT} *.* {MN} 0 {MX} 0 Second"
              "/srv/share/ {SF} No {FT} *.jpg {MN} 10 {MX} 2048 Second");
    EXPECT_EQ(searchPathText({{"/only/path/"}}), "/only/path/ {SF}  {FT}  {MN}  {MX}  Second");
}

TEST(ProblemReportTest, replacesEachPlaceholderWithItsValue) {
    const std::string page = problemReportText("vdatetime|vsysteminfo|verrno|verrdesc|vprocedure|"
                                               "verrline|vversion|vse|vpara|vstage|vdatetime",
                                               sampleFacts(), "2026-03-01 09:30:00",
                                               "Computer Name: box\r\nIP Address: \r\n");
    EXPECT_EQ(page, "2026-03-01 09:30:00|Computer Name: box\r\nIP Address: \r\n|61|Disk full|"
                    "Scanning|12|3.5.3|Search Engine: Byte-By-Byte, Fuzzy Logic:1|" +
                        searchPathText(sampleFacts().searchPaths) + "|" +
                        statusText(sampleFacts().statusPanels) + "|2026-03-01 09:30:00");
}

TEST(ProblemReportTest, leavesTemplateTextOutsidePlaceholdersUntouched) {
    const std::string plain = "<p class=\"x\">Tom & Jerry's \"report\" &amp; VSE Vpara</p>\r\n";
    EXPECT_EQ(problemReportText(plain, sampleFacts(), "now", "info"), plain);

    ProblemReportFacts noPaths = sampleFacts();
    noPaths.searchPaths.clear();
    EXPECT_EQ(problemReportText("[vpara]", noPaths, "now", "info"), "[]");
}

TEST(ProblemReportTest, valuesCannotAddMarkupOrPlaceholders) {
    ProblemReportFacts facts = sampleFacts();
    facts.searchPaths = {{"/tmp/<script>alert(1)</script>/", "Yes", "*.*", "0", "0"}};
    facts.error.description = "Tom & \"Jerry\" can't";
    facts.userText = "Error       : 61\nI clicked <Scan>";
    const std::string page = problemReportText(
        "<td>vpara</td><td title=\"verrdesc\">verrdesc</td><p>vcomments</p>", facts, "now", "info");
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_NE(page.find("/tmp/&lt;script&gt;alert(1)&lt;/script&gt;/"), std::string::npos);
    EXPECT_NE(page.find("<td title=\"Tom &amp; &quot;Jerry&quot; can&#39;t\">"), std::string::npos);
    EXPECT_NE(page.find("<p>Error       : 61\nI clicked &lt;Scan&gt;</p>"), std::string::npos);

    // Placeholder words that a value brings in are never replaced.
    facts.error.description = "vpara vstage verrno";
    facts.searchPaths = {{"/data/vpara/", "Yes", "vse", "0", "0"}};
    EXPECT_EQ(problemReportText("verrdesc|vpara", facts, "vversion", "vsysteminfo"),
              "vpara vstage verrno|/data/vpara/ {SF} Yes {FT} vse {MN} 0 {MX} 0 Second");
}

class ProblemReportFileTest : public ::testing::Test {
protected:
    TempDir m_dataHome;
    TempDir m_templates;
    test::ScopedEnv m_dataHomeVariable{"XDG_DATA_HOME", m_dataHome.path().c_str()};
};

TEST_F(ProblemReportFileTest, writesReportOverAnEarlierOneFromTheChosenTemplate) {
    m_dataHome.write("Twinsift/report.htm", std::string(5000, 'x'));
    const std::string templatePath = m_templates.write("t.brpt", "<b>verrno vse</b>");

    const std::string written = writeProblemReport(sampleFacts(), templatePath);

    EXPECT_EQ(written, m_dataHome.path() + "Twinsift/report.htm");
    EXPECT_EQ(readFile(written), "<b>61 Search Engine: Byte-By-Byte, Fuzzy Logic:1</b>");

    // Without a template given, the user's own one comes first.
    m_dataHome.write("Twinsift/bugreport.brpt", "mine: vprocedure");
    EXPECT_EQ(readFile(writeProblemReport(sampleFacts())), "mine: Scanning");
}

TEST_F(ProblemReportFileTest, reportsMissingTemplateAndUnwritableReportAsRuntimeErrors) {
    try {
        writeProblemReport(sampleFacts(), m_templates.path() + "missing.brpt");
        ADD_FAILURE() << "a missing template was not reported";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::FileNotFound);
    }
    EXPECT_THROW(writeProblemReport(sampleFacts(), ""), RuntimeError);

    // A folder where the report should go cannot be replaced by it.
    m_dataHome.mkdir("Twinsift/report.htm");
    EXPECT_THROW(writeProblemReport(sampleFacts(), m_templates.write("t.brpt", "x")), RuntimeError);
}

// The shipped page shows every value once, and no placeholder word hides
// inside its other text.
TEST(ProblemReportTest, shippedTemplateHoldsEachPlaceholderExactlyOnce) {
    // ctest names the source tree; __FILE__ alone may be relative to the build.
    const char* tree = std::getenv("TWINSIFT_SOURCE_DIR");
    const std::string source = tree ? std::string(tree) + "/tests/" : __FILE__;
    const std::string shipped =
        readFile(source.substr(0, source.rfind("tests/")) + "resources/bugreport.brpt");
    ASSERT_FALSE(shipped.empty());
    for (const char* word : kPlaceholders)
        EXPECT_EQ(occurrences(shipped, word), 1u) << word;

    const std::string page = problemReportText(shipped, sampleFacts(), "DATE-MARK", "SYSINFO-MARK");
    for (const char* word : kPlaceholders)
        EXPECT_EQ(occurrences(page, word), 0u) << word;
    EXPECT_NE(page.find("DATE-MARK"), std::string::npos);
    EXPECT_NE(page.find("SYSINFO-MARK"), std::string::npos);
    EXPECT_NE(page.find("report.htm"), std::string::npos);
}

} // namespace
} // namespace twinsift
