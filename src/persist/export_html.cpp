#include "persist/export_html.h"

#include "core/format.h"
#include "core/text_compare.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

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
constexpr std::array<bool, 256> kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (std::size_t byte = 0x20; byte < 0x7F; ++byte)
        plain[byte] = true;
    for (const char whitespace : {'\t', '\r', '\n'})
        plain[static_cast<unsigned char>(whitespace)] = true;
    for (const char markup : {'&', '<', '>', '"', '\''})
        plain[static_cast<unsigned char>(markup)] = false;
    return plain;
}();

bool isPlain(char byte) {
    return kPlainBytes[static_cast<unsigned char>(byte)];
}

bool isMarkup(char byte) {
    return std::string_view("&<>\"'").find(byte) != std::string_view::npos;
}

// Names on Linux are bytes; a browser shown bytes that are not UTF-8 may
// guess another encoding for the whole page, so each such byte becomes
// U+FFFD, as does an ASCII control character, which a page may not hold.
// Runs of plain text are appended whole: most values are nothing else, and
// a report holds millions of them.
void addValue(std::string& page, std::string_view value) {
    while (!value.empty()) {
        const auto plain = static_cast<std::size_t>(
            std::find_if_not(value.begin(), value.end(), isPlain) - value.begin());
        page.append(value.substr(0, plain));
        value.remove_prefix(plain);
        if (value.empty())
            return;
        std::size_t length = 1;
        const bool ascii = static_cast<unsigned char>(value.front()) < 0x80;
        if (isMarkup(value.front())) {
            page += htmlEscaped(value.substr(0, 1));
        } else if (const std::size_t valid = ascii ? 0 : validUtf8Length(value); valid > 0) {
            length = valid;
            page.append(value.substr(0, length));
        } else {
            page += kReplacementCharacter;
        }
        value.remove_prefix(length);
    }
}

void addSummary(std::string& page, const WindowModel& model, std::string_view generatedOn) {
    page += "<table border='0' width='350'>\r\n"
            "<tr height='15' width='130'><td class='title' colspan='2' width='344'> "
            "Twinsift </td></tr>\r\n"
            "<tr class='tr1'><td width='120'>Total Scanned</td> <td width='220'><b>";
    addValue(page, afterCaption(model.statusPanels[PanelFiles].text, kFilesCaptionLength));
    page += "</b></td></tr>\r\n"
            "<tr class='tr1'><td width='120'>Total Duplicates</td><td width='220'><b>";
    addValue(page,
             afterCaption(model.statusPanels[PanelDuplicates].text, kDuplicatesCaptionLength));
    page += "</b></td></tr>\r\n"
            "<tr class='tr1'><td width='120'>Generate on</td><td width='220'><b>";
    addValue(page, generatedOn);
    page += "</b></td></tr></table><hr>\r\n";
}

// The markup around a row's values in one shade: what opens the row, what
// closes one cell and opens the next, the same before the last-modified
// cell, and what closes the row.
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

// The size and group texts are digits or "N/A": nothing to escape.
void addRow(std::string& line, const ResultRow& row, const RowMarkup& markup) {
    line += markup.open;
    addValue(line, row.name());
    line += markup.next;
    addValue(line, row.text(ColExt));
    line += markup.next;
    line += row.text(ColSize);
    line += markup.nextNowrap;
    addValue(line, row.text(ColLastModified));
    line += markup.next;
    addValue(line, row.text(ColFileVersion));
    line += markup.next;
    line += row.text(ColGroup);
    line += markup.next;
    addValue(line, row.folder());
    line += markup.close;
}

} // namespace

void appendHtmlReport(ExportText& text, const WindowModel& model,
                      const std::vector<std::size_t>& rows, std::string_view generatedOn,
                      const ExportProgress& progress) {
    std::vector<bool> exported(model.rows.size(), false);
    for (const std::size_t row : rows) {
        if (row < exported.size())
            exported[row] = true;
    }

    std::string lines(kHead);
    addSummary(lines, model, generatedOn);
    lines += kResultTableHead;
    text.add(lines);
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
        if (exported[i]) {
            lines.clear();
            addRow(lines, model.rows[i], groupCount % 2 == 1 ? kOddRow : kEvenRow);
            text.add(lines);
        }
        if (progress)
            progress(i + 1, model.rows.size());
    }
    text.add(kFooter);
}

bool ExportHtml(const WindowModel& model, const ExportRequest& request, UserInterface& ui) {
    // The delimited writer's label: the report shares its error handling.
    return writeExport(request.path, "Exporting CSV", ui, [&](ExportText& text) {
        appendHtmlReport(text, model, exportedRows(model, request.rows), nowText(),
                         request.progress);
    });
}

} // namespace twinsift
