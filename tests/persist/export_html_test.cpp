#include "persist/export_html.h"

#include "core/convert.h"
#include "support/scripted_answerer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace twinsift {
namespace {

using test::readFile;
using test::ScriptedAnswerer;
using test::TempDir;

ResultRow row(std::string name, std::int32_t group, std::string folder = "/data/") {
    RowFacts facts;
    facts.size = 1234;
    facts.group = group;
    return makeResultRow(std::move(name), std::move(folder), "1.2.0.3", "2024-03-05 14:07", facts);
}

WindowModel modelWithGroups(const std::vector<std::int32_t>& groups) {
    WindowModel model;
    for (std::size_t i = 0; i < groups.size(); ++i)
        model.rows.push_back(row("f" + std::to_string(i) + ".txt", groups[i]));
    return model;
}

std::string htmlReportText(const WindowModel& model, const std::vector<std::size_t>& rows,
                           std::string_view generatedOn) {
    std::string page;
    ExportText text([&](std::string_view piece) { page += piece; });
    appendHtmlReport(text, model, rows, generatedOn, {});
    text.flush();
    return page;
}

// The shade of each exported row, in page order.
std::vector<std::string> rowShades(const std::string& page) {
    static const std::regex rowStart("<tr><td class='(\\w+)'>");
    std::vector<std::string> shades;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), rowStart);
         it != std::sregex_iterator(); ++it)
        shades.push_back((*it)[1]);
    return shades;
}

TEST(HtmlReportTest, laysOutHeadSummaryRowsAndFooterWithCrLf) {
    WindowModel model = modelWithGroups({});
    model.rows.push_back(row("report.doc", 1, "/home/ann/"));
    model.statusPanels[PanelFiles].text = "Files : 42";
    model.statusPanels[PanelDuplicates].text = "Duplicate Files: 2  Size: 2.41 KB";

    const std::string expected =
        "<html><head>\r\n"
        "<meta charset='utf-8'>\r\n"
        "<title>Export List - Twinsift</title>\r\n"
        "</head><style>\r\n"
        ".title { font-family: Arial; font-size: 14pt; color: #0099FF; font-weight: bold}\r\n"
        ".tr1   { font-family: Verdana; font-size: 10pt; padding: 0; margin-top:0; "
        "margin-bottom:0 }\r\n"
        ".th    { margin:2 3; font-family: Arial; font-size: 10pt; color: #FFFFFF; font-weight: "
        "bold; text-align:left; background-color:#BF0005; line-height:100% }\r\n"
        ".even  { text-align: left; line-height: 100%; font-family: Arial; font-size: 10pt; "
        "margin: 0 3; background-color: #ECF5FF }\r\n"
        ".odd   { font-family: Arial; font-size: 10pt; text-align: left; line-height: 100%; "
        "margin: 0 3 }\r\n"
        "</style><body>\r\n"
        "<table border='0' width='350'>\r\n"
        "<tr height='15' width='130'><td class='title' colspan='2' width='344'> Twinsift "
        "</td></tr>\r\n"
        "<tr class='tr1'><td width='120'>Total Scanned</td> <td width='220'><b> "
        "42</b></td></tr>\r\n"
        "<tr class='tr1'><td width='120'>Total Duplicates</td><td width='220'><b> 2  Size: 2.41 "
        "KB</b></td></tr>\r\n"
        "<tr class='tr1'><td width='120'>Generate on</td><td width='220'><b>2026-12-07 "
        "16:05:09</b></td></tr></table><hr>\r\n"
        "<table border='0' cellspacing='1' style='border-collapse: collapse' "
        "bordercolor='#111111' cellpadding='2' width='100%'>\r\n"
        "<tr><th class='th'>File Name</th>\r\n"
        "<th class='th' nowrap>File Extension</th>\r\n"
        "<th class='th' nowrap>Size(Bytes)</th>\r\n"
        "<th class='th' nowrap>Last Modified</th>\r\n"
        "<th class='th'>Version</th>\r\n"
        "<th class='th'>Group#</th>\r\n"
        "<th class='th'>Path</th></tr>\r\n"
        "<tr><td class='odd'>report.doc</td>\r\n"
        "<td class='odd'>doc</td>\r\n"
        "<td class='odd'>1234</td>\r\n"
        "<td class='odd' nowrap>2024-03-05 14:07</td>\r\n"
        "<td class='odd'>1.2.0.3</td>\r\n"
        "<td class='odd'>1</td>\r\n"
        "<td class='odd'>/home/ann/</td></tr>\r\n"
        "</table><table border='0' cellspacing='0' style='border-collapse: collapse' "
        "bordercolor='#111111' width='100%' bgcolor='#666666' height='20'>\r\n"
        "<tr><td width='100%' height='18'><p align='center'><b><font face='Verdana' size='1' "
        "color='#FFFFFF'> Twinsift</font></b></td></tr></table></body></html>";
    EXPECT_EQ(htmlReportText(model, {0}, "2026-12-07 16:05:09"), expected);
}

TEST(HtmlReportTest, withoutExportedRowsOrPanelTextsKeepsTheFrameOnly) {
    const WindowModel model = modelWithGroups({1, 1});
    const std::string page = htmlReportText(model, {}, "");
    EXPECT_TRUE(rowShades(page).empty());
    EXPECT_NE(page.find("Total Scanned</td> <td width='220'><b></b>"), std::string::npos);
    EXPECT_NE(page.find("Total Duplicates</td><td width='220'><b></b>"), std::string::npos);
    EXPECT_NE(page.find("<th class='th'>Path</th></tr>\r\n</table>"), std::string::npos);
}

TEST(HtmlReportTest, shadesAlternateByGroupCountingGroupsWithoutExportedRows) {
    struct Case {
        const char* what;
        std::vector<std::int32_t> groups;
        std::vector<std::size_t> exported;
        std::vector<std::string> shades;
    };
    const std::vector<Case> cases = {
        {"all rows", {1, 1, 2, 2, 3}, {0, 1, 2, 3, 4}, {"odd", "odd", "even", "even", "odd"}},
        {"first group not exported", {1, 1, 2, 3}, {2, 3}, {"even", "odd"}},
        {"a group between skipped", {1, 2, 3}, {0, 2}, {"odd", "odd"}},
        {"given out of order", {1, 2, 3}, {2, 0, 1, 9}, {"odd", "even", "odd"}},
        {"group numbers re-sorted", {4, 4, 2, 4}, {0, 1, 2, 3}, {"odd", "odd", "even", "odd"}},
        {"outside any group", {0, 0}, {0, 1}, {"even", "even"}},
    };
    for (const Case& c : cases) {
        const std::string page = htmlReportText(modelWithGroups(c.groups), c.exported, "");
        EXPECT_EQ(rowShades(page), c.shades) << c.what;
    }
}

TEST(HtmlReportTest, writesHostileNamesAsTextAndForeignBytesAsReplacementCharacters) {
    WindowModel model;
    model.rows.push_back(row("<img src=x onerror=alert(1)>.txt", 1, "/tmp/a&b/"));
    // An overlong "/" (C0 AF) is no character either.
    model.rows.push_back(row("caf\xE9.txt", 1, "/tmp/\xFF\xFE'q\"\xC0\xAF"));
    model.statusPanels[PanelFiles].text = "Files : <b>";

    const std::string page = htmlReportText(model, {0, 1}, "<now>");
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find_first_of("\xFF\xFE\xE9\xC0"), std::string::npos);
    // U+FFFD is EF BF BD.
    for (const char* text :
         {"<td class='odd'>&lt;img src=x onerror=alert(1)&gt;.txt</td>", "<td class='odd'>txt</td>",
          "<td class='odd'>/tmp/a&amp;b/</td></tr>", "<td class='odd'>caf\xEF\xBF\xBD.txt</td>",
          "'>/tmp/\xEF\xBF\xBD\xEF\xBF\xBD&#39;q&quot;\xEF\xBF\xBD\xEF\xBF\xBD</td></tr>",
          "<b> &lt;b&gt;</b>", "<b>&lt;now&gt;</b>"})
        EXPECT_NE(page.find(text), std::string::npos) << text;
    // Valid multi-byte characters and tabs pass unchanged, control characters do not.
    model.rows[0] = row("na\xC3\xAFve \xF0\x9F\x93\x84\tbell\x07\x1F\x7F.txt", 1);
    EXPECT_NE(
        htmlReportText(model, {0}, "")
            .find("na\xC3\xAFve \xF0\x9F\x93\x84\tbell\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.txt"),
        std::string::npos);
}

TEST(ExportHtmlTest, writesTheReportOfTheChosenRowsWithTheTimeOfTheExport) {
    const TempDir dir;
    WindowModel model = modelWithGroups({1, 1, 2, 2, 3});
    for (const std::size_t marked : {2, 4})
        markRows(model, {marked, marked}, true);
    const std::string target = dir.write("report.htm", std::string(100'000, 'z'));
    ScriptedAnswerer user;
    std::size_t lastPassed = 0;
    const ExportRequest request{target, ExportRows::Marked,
                                [&](std::size_t passed, std::size_t) { lastPassed = passed; }};

    ASSERT_TRUE(ExportHtml(model, request, user));
    const std::string page = readFile(target);
    EXPECT_EQ(page.rfind("<html><head>\r\n", 0), 0U);
    EXPECT_TRUE(page.ends_with("</body></html>\r\n"));
    EXPECT_EQ(lastPassed, model.rows.size());
    // The second group is the first exported one; all count.
    EXPECT_EQ(rowShades(page), (std::vector<std::string>{"even", "odd"}));
    static const std::regex stamp("Generate on</td><td width='220'><b>([^<]*)</b>");
    std::smatch generated;
    ASSERT_TRUE(std::regex_search(page, generated, stamp));
    EXPECT_TRUE(readTimeStamp(generated[1].str()).has_value()) << generated[1];
}

} // namespace
} // namespace twinsift
