#include "persist/export_formats.h"

#include "core/text_compare.h"
#include "platform/user_interface.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace twinsift {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool plainXmlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x80 && c != '&' && c != '<' && c != '>' && c != '"' && c != '\'';
}

// `value` as XML character data: markup characters as entities, a CR as a
// reference (a reader would turn a literal one into LF), and every character
// XML 1.0 forbids, like every byte that is not UTF-8, as U+FFFD.
void appendXmlText(std::string& out, std::string_view value) {
    std::size_t i = 0;
    while (i < value.size()) {
        const std::size_t plainEnd = static_cast<std::size_t>(
            std::find_if_not(value.begin() + static_cast<std::ptrdiff_t>(i), value.end(),
                             plainXmlByte) -
            value.begin());
        out += value.substr(i, plainEnd - i);
        if (plainEnd == value.size())
            return;
        i = plainEnd;
        const char c = value[i];
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\t':
        case '\n':
            out += c;
            break;
        default: {
            const std::size_t length = validUtf8Length(value.substr(i));
            const std::string_view sequence = value.substr(i, length);
            const bool forbidden =
                length <= 1 || sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF";
            out += forbidden ? kReplacementCharacter : sequence;
            i += std::max<std::size_t>(length, 1);
            continue;
        }
        }
        ++i;
    }
}

// The seven values of a row, in the order both formats write them.
std::array<std::string, 7> rowValues(const ResultRow& row) {
    return {row.name(),
            row.text(ColExt),
            row.text(ColSize),
            row.text(ColLastModified),
            row.text(ColFileVersion),
            row.text(ColGroup),
            row.folder()};
}

void appendXmlElement(std::string& out, std::string_view tag, std::string_view value) {
    out += '<';
    out += tag;
    out += '>';
    appendXmlText(out, value);
    out += "</";
    out += tag;
    out += '>';
    out += kLineEnd;
}

// A value as one delimited field: quoted, its quotes doubled, when it holds
// a double quote, a line break or any character of the separator. The whole
// separator would not do for a longer one: with "::", a value "a:" followed
// by the separator reads as "a" and ":" at the start of the next field.
void appendField(std::string& out, std::string_view value, std::string_view separator) {
    if (value.find_first_of(separator) == std::string_view::npos &&
        value.find_first_of("\"\r\n") == std::string_view::npos) {
        out += value;
        return;
    }
    out += '"';
    for (const char c : value) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void appendDelimitedLine(std::string& out, const std::array<std::string, 7>& values,
                         std::string_view separator) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            out += separator;
        appendField(out, values[i], separator);
    }
    out += kLineEnd;
}

// Runs `appendRow` for each exported row and tells the progress of the whole
// list, rows passed over included.
template <class AppendRow>
void forEachExportedRow(const WindowModel& model, const std::vector<std::size_t>& rows,
                        const ExportProgress& progress, AppendRow&& appendRow) {
    for (const std::size_t index : rows) {
        appendRow(model.rows[index]);
        if (progress)
            progress(index + 1, model.rows.size());
    }
    if (progress)
        progress(model.rows.size(), model.rows.size());
}

} // namespace

std::optional<std::string> separatorFor(Delimiter delimiter, const std::string& other) {
    switch (delimiter) {
    case Delimiter::Tab:
        return "\t";
    case Delimiter::Comma:
        return ",";
    case Delimiter::Semicolon:
        return ";";
    case Delimiter::Other:
        break;
    }
    if (other.empty() || other.find_first_of("\"\r\n") != std::string::npos)
        return std::nullopt;
    return other;
}

void appendXmlExport(ExportText& text, const WindowModel& model,
                     const std::vector<std::size_t>& rows, const ExportProgress& progress) {
    static constexpr std::array<std::string_view, 7> tags = {
        "FileName", "FileExt", "FileSize", "LastModified", "Version", "Group", "Path"};
    text.add("<?xml version=\"1.0\"?>\r\n<Files>\r\n");
    std::string lines;
    forEachExportedRow(model, rows, progress, [&](const ResultRow& row) {
        const auto values = rowValues(row);
        lines.clear();
        lines += "<File>\r\n";
        for (std::size_t i = 0; i < tags.size(); ++i)
            appendXmlElement(lines, tags[i], values[i]);
        lines += "</File>\r\n";
        text.add(lines);
    });
    text.add("</Files>\r\n");
}

void appendDelimitedExport(ExportText& text, const WindowModel& model,
                           const std::vector<std::size_t>& rows, const std::string& separator,
                           const ExportProgress& progress) {
    std::string line;
    appendDelimitedLine(
        line,
        {"File Name", "File Extension", "Size(Bytes)", "Last Modified", "Version", "Group", "Path"},
        separator);
    text.add(line);
    forEachExportedRow(model, rows, progress, [&](const ResultRow& row) {
        line.clear();
        appendDelimitedLine(line, rowValues(row), separator);
        text.add(line);
    });
}

bool ExportXml(const WindowModel& model, const ExportRequest& request, UserInterface& ui) {
    return writeExport(request.path, "Exporting XML", ui, [&](ExportText& text) {
        appendXmlExport(text, model, exportedRows(model, request.rows), request.progress);
    });
}

bool ExportDelimited(const WindowModel& model, const ExportRequest& request, Delimiter delimiter,
                     const std::string& other, UserInterface& ui) {
    const auto separator = separatorFor(delimiter, other);
    if (!separator) {
        ui.messageBox({kUnusableSeparatorMessage, "Error", MsgIcon::None, MsgButtons::OK});
        return false;
    }
    return writeExport(request.path, "Exporting CSV", ui, [&](ExportText& text) {
        appendDelimitedExport(text, model, exportedRows(model, request.rows), *separator,
                              request.progress);
    });
}

} // namespace twinsift
