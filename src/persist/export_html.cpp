#include "persist/export_html.h"

#include "core/append_string.h"
#include "core/format.h"
#include "core/text_compare.h"

#include <cstdint>

namespace twinsift {
namespace {

constexpr std::string_view kHead = "<html><head>\r\n"
                                   "<meta charset='utf-8'>\r\n"
                                   "<title>Export List - Twinsift</title>\r\n"
                                   "</head><style>\r\n"
                                   ".title { font-family: Arial; font-size: 14pt; color: #0099FF; "
                                   "font-weight: bold}\r\n"
                                   ".tr1   { font-family: Verdana; font-size: 10pt; padding: 0; "
                                   "margin-top:0; margin-bottom:0 }\r\n"
                                   ".th    { margin:2 3; font-family: Arial; font-size: 10pt; "
                                   "color: #FFFFFF; font-weight: bold; text-align:left; "
                                   "background-color:#BF0005; line-height:100% }\r\n"
                                   ".even  { text-align: left; line-height: 100%; font-family: "
                                   "Arial; font-size: 10pt; margin: 0 3; background-color: "
                                   "#ECF5FF }\r\n"
                                   ".odd   { font-family: Arial; font-size: 10pt; text-align: "
                                   "left; line-height: 100%; margin: 0 3 }\r\n"
                                   "</style><body>\r\n";

constexpr std::string_view kResultTableHead =
    "<table border='0' cellspacing='1' style='border-collapse: collapse' "
    "bordercolor='#111111' cellpadding='2' width='100%'>\r\n"
    "<tr><th class='th'>File Name</th>\r\n"
    "<th class='th' nowrap>File Extension</th>\r\n"
    "<th class='th' nowrap>Size(Bytes)</th>\r\n"
    "<th class='th' nowrap>Last Modified</th>\r\n"
    "<th class='th'>Version</th>\r\n"
    "<th class='th'>Group#</th>\r\n"
    "<th class='th'>Path</th></tr>\r\n";

constexpr std::string_view kFooter =
    "</table><table border='0' cellspacing='0' style='border-collapse: collapse' "
    "bordercolor='#111111' width='100%' bgcolor='#666666' height='20'>\r\n"
    "<tr><td width='100%' height='18'><p align='center'><b><font face='Verdana' size='1' "
    "color='#FFFFFF'> Twinsift</font></b></td></tr></table></body></html>";

// The status panels start with a caption ("Files : ", "Duplicate Files: ");
// the report shows the rest from the caption's closing blank on, or nothing
// when the panel is no longer than the caption without it.
constexpr std::size_t kFilesCaptionLength = 7;
constexpr std::size_t kDuplicatesCaptionLength = 16;

std::string_view afterCaption(const std::string& panel, std::size_t captionLength) {
    return panel.size() > captionLength ? std::string_view(panel).substr(captionLength)
                                        : std::string_view();
}

// ASCII that means nothing to HTML goes to the page as it is.
bool isPlain(char byte) {
    return static_cast<unsigned char>(byte) < 0x80 && byte != '&' && byte != '<' && byte != '>' &&
           byte != '"' && byte != '\'';
}

// Names on Linux are bytes; a browser shown bytes that are not UTF-8 may
// guess another encoding for the whole page, so each such byte becomes
// U+FFFD. Long runs of plain text are appended whole: a report holds
// millions of values.
void addValue(AppendString& page, std::string_view value) {
    while (!value.empty()) {
        std::size_t plain = 0;
        while (plain < value.size() && isPlain(value[plain]))
            ++plain;
        page.AddToString(value.substr(0, plain));
        value.remove_prefix(plain);
        if (value.empty())
            return;
        std::size_t length = 1;
        if (static_cast<unsigned char>(value.front()) < 0x80) {
            page.AddToString(htmlEscaped(value.substr(0, 1)));
        } else {
            const std::size_t valid = validUtf8Length(value);
            if (valid > 0) {
                length = valid;
                page.AddToString(value.substr(0, length));
            } else {
                page.AddToString(kReplacementCharacter);
            }
        }
        value.remove_prefix(length);
    }
}

void addSummary(AppendString& page, const WindowModel& model, std::string_view generatedOn) {
    page.AddToString("<table border='0' width='350'>\r\n"
                     "<tr height='15' width='130'><td class='title' colspan='2' width='344'> "
                     "Twinsift </td></tr>\r\n"
                     "<tr class='tr1'><td width='120'>Total Scanned</td> <td width='220'><b>");
    addValue(page, afterCaption(model.statusPanels[PanelFiles].text, kFilesCaptionLength));
    page.AddToString("</b></td></tr>\r\n"
                     "<tr class='tr1'><td width='120'>Total Duplicates</td><td width='220'><b>");
    addValue(page,
             afterCaption(model.statusPanels[PanelDuplicates].text, kDuplicatesCaptionLength));
    page.AddToString("</b></td></tr>\r\n"
                     "<tr class='tr1'><td width='120'>Generate on</td><td width='220'><b>");
    addValue(page, generatedOn);
    page.AddToString("</b></td></tr></table><hr>\r\n");
}

// The markup around a row's values in one shade: what opens the row, what
// closes one cell and opens the next, the same before the last-modified
// cell, and what closes the row. Whole pieces, because a report appends
// them millions of times.
struct RowMarkup {
    std::string_view open;
    std::string_view next;
    std::string_view nextNowrap;
    std::string_view close;
};

constexpr RowMarkup kOddRow{"<tr><td class='odd'>", "</td>\r\n<td class='odd'>",
                            "</td>\r\n<td class='odd' nowrap>", "</td></tr>\r\n"};
constexpr RowMarkup kEvenRow{"<tr><td class='even'>", "</td>\r\n<td class='even'>",
                             "</td>\r\n<td class='even' nowrap>", "</td></tr>\r\n"};

void addRow(AppendString& page, const ResultRow& row, const RowMarkup& markup) {
    page.AddToString(markup.open);
    addValue(page, row.name());
    page.AddToString(markup.next);
    addValue(page, row.text(ColExt));
    page.AddToString(markup.next);
    addValue(page, row.text(ColSize));
    page.AddToString(markup.nextNowrap);
    addValue(page, row.text(ColLastModified));
    page.AddToString(markup.next);
    addValue(page, row.text(ColFileVersion));
    page.AddToString(markup.next);
    addValue(page, row.text(ColGroup));
    page.AddToString(markup.next);
    addValue(page, row.folder());
    page.AddToString(markup.close);
}

} // namespace

std::string htmlReportText(const WindowModel& model, const std::vector<std::size_t>& exportedRows,
                           std::string_view generatedOn) {
    std::vector<bool> exported(model.rows.size(), false);
    for (const std::size_t row : exportedRows) {
        if (row < exported.size())
            exported[row] = true;
    }

    AppendString page;
    page.AddToString(kHead);
    addSummary(page, model, generatedOn);
    page.AddToString(kResultTableHead);
    // Every group of the list counts, exported or not, so the shades follow
    // the list's own groups. Rows outside any group (group 0) before the
    // first group start no group of their own.
    std::int32_t previousGroup = 0;
    std::int64_t groupCount = 0;
    for (std::size_t i = 0; i < model.rows.size(); ++i) {
        const std::int32_t group = model.rows[i].facts.group;
        if (group != previousGroup) {
            previousGroup = group;
            ++groupCount;
        }
        if (exported[i])
            addRow(page, model.rows[i], groupCount % 2 == 1 ? kOddRow : kEvenRow);
    }
    page.AddToString(kFooter);
    return page.ReturnString();
}

} // namespace twinsift
