#include "cli/cli_output.h"

#include "core/format.h"
#include "core/text_compare.h"

#include <algorithm>
#include <cstdint>

namespace twinsift {
namespace {

bool isValidUtf8(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = validUtf8Length(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

void writeJsonString(std::ostream& out, std::string_view text) {
    static const char* const hex = "0123456789abcdef";
    out << '"';
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text.front());
        std::size_t length = 1;
        if (byte == '"' || byte == '\\') {
            out << '\\' << text.front();
        } else if (byte < 0x20) {
            out << "\\u00" << hex[byte >> 4] << hex[byte & 0xF];
        } else if (byte < 0x80) {
            out << text.front();
        } else if ((length = validUtf8Length(text)) > 0) {
            out << text.substr(0, length);
        } else {
            length = 1;
            out << kReplacementCharacter;
        }
        text.remove_prefix(length);
    }
    out << '"';
}

std::string base64(std::string_view bytes) {
    static const char* const digits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t chunk = 0;
        for (std::size_t k = 0; k < 3; ++k)
            chunk = chunk << 8 | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= count ? digits[chunk >> (18 - 6 * k) & 0x3F] : '=';
    }
    return out;
}

void writePath(std::ostream& out, const std::string& path) {
    out << "{\"path\": ";
    writeJsonString(out, path);
    if (!isValidUtf8(path))
        out << ", \"path_base64\": \"" << base64(path) << '"';
}

void writeFile(std::ostream& out, const ResultRow& row) {
    writePath(out, row.fullPath());
    out << ", \"size\": " << row.facts.size << ", \"modified\": ";
    writeJsonString(out, row.text(ColLastModified));
    out << ", \"version\": ";
    writeJsonString(out, row.text(ColFileVersion));
    out << ", \"marked\": " << (row.marked() ? "true" : "false") << '}';
}

// Groups numbered in list order, which is the "Group" column of a fresh list.
void writeGroups(std::ostream& out, const WindowModel& model) {
    out << "  \"groups\": [";
    int group = 0;
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        if (startsGroup(model.rows, r))
            out << (r == 0 ? "" : "]},") << "\n    {\"group\": " << ++group << ", \"files\": [";
        else
            out << ", ";
        writeFile(out, model.rows[r]);
    }
    out << (model.rows.empty() ? "]\n" : "]}\n  ]\n");
}

void writeSkipped(std::ostream& out, const SkipList& skipped) {
    out << "  \"skipped_count\": " << skipped.count() << ",\n  \"skipped\": [";
    for (const SkippedItem& item : skipped.items()) {
        out << (&item == skipped.items().data() ? "\n    " : ",\n    ");
        writePath(out, item.path);
        out << ", \"reason\": ";
        writeJsonString(out, item.reason);
        out << '}';
    }
    out << (skipped.items().empty() ? "]" : "\n  ]");
}

void appendEscape(std::string& out, unsigned char byte) {
    static const char* const hex = "0123456789ABCDEF";
    out += "\\x";
    out += hex[byte >> 4];
    out += hex[byte & 0xF];
}

} // namespace

std::string terminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = validUtf8Length(text);
        const auto first = static_cast<unsigned char>(text.front());
        const auto second = length == 2 ? static_cast<unsigned char>(text[1]) : 0;
        const bool c1Control = first == 0xC2 && second >= 0x80 && second <= 0x9F;
        if (length == 0 || first < 0x20 || first == 0x7F || c1Control) {
            for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i)
                appendEscape(out, static_cast<unsigned char>(text[i]));
        } else if (first == '\\') {
            out += "\\\\";
        } else {
            out += text.substr(0, length);
        }
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return out;
}

void printMessage(std::ostream& err, std::string_view text) {
    err << "twinsift-cli: " << terminalSafe(text) << '\n';
}

void printSkipped(const WindowModel& model, std::ostream& err) {
    const SkipList& skipped = model.skipped;
    const std::size_t shown = std::min(skipped.items().size(), kSkippedLines);
    for (std::size_t i = 0; i < shown; ++i) {
        const SkippedItem& item = skipped.items()[i];
        printMessage(err, "skipped '" + item.path + "': " + item.reason);
    }
    const std::int64_t rest = skipped.count() - static_cast<std::int64_t>(shown);
    if (rest > 0)
        printMessage(err, "skipped " + std::to_string(rest) + " more (" +
                              std::to_string(skipped.count()) + " in all; --json lists " +
                              std::to_string(skipped.items().size()) + ")");
}

void printGroups(const WindowModel& model, std::ostream& out, bool null) {
    const char end = null ? '\0' : '\n';
    for (std::size_t r = 0; r < model.rows.size() && out; ++r) {
        out << model.rows[r].fullPath() << end;
        if (r + 1 == model.rows.size() || startsGroup(model.rows, r + 1))
            out << end;
    }
}

void printMarked(const WindowModel& model, std::ostream& out, bool null) {
    for (std::size_t r = 0; r < model.rows.size() && out; ++r)
        if (model.rows[r].marked())
            out << model.rows[r].fullPath() << (null ? '\0' : '\n');
}

void TerminalLine::show(const std::string& text) {
    if (!m_enabled || text == m_shown)
        return;
    m_shown = text;
    m_err << '\r' << leadingCharacters(terminalSafe(text), kWidth) << "\x1b[K" << std::flush;
}

void TerminalLine::clear() {
    if (m_enabled && !m_shown.empty())
        m_err << "\r\x1b[K" << std::flush;
    m_shown.clear();
}

std::string groupedCount(std::int64_t count) {
    std::string digits = std::to_string(count);
    const std::size_t first = digits.starts_with('-') ? 1 : 0;
    for (std::size_t at = digits.size(); at > first + 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

void printJson(const WindowModel& model, std::ostream& out, bool withGroups) {
    out << "{\n  \"engine\": \"" << engineName(model) << "\",\n  \"status\": ";
    writeJsonString(out, model.statusPanels[PanelProgress].text);
    out << ",\n  \"duplicate_count\": " << model.DuplicateCount
        << ",\n  \"duplicate_bytes\": " << model.DuplicateBytes
        << ",\n  \"files\": " << model.FilesFound << ",\n  \"folders\": " << model.FoldersFound
        << ",\n  \"elapsed\": ";
    writeJsonString(out, model.statusPanels[PanelElapsed].text);
    out << ",\n";
    writeSkipped(out, model.skipped);
    if (withGroups) {
        out << ",\n";
        writeGroups(out, model);
    } else {
        out << '\n';
    }
    out << "}\n";
}

std::vector<std::string> statusLines(const WindowModel& model) {
    std::vector<std::string> lines;
    for (const StatusPanel& panel : model.statusPanels)
        if (panel.visible && !panel.text.empty())
            lines.push_back(panel.text);
    return lines;
}

std::string engineName(const WindowModel& model) {
    switch (model.engine) {
    case Engine::ByteByByte:
        return model.chkFuzzy.checked ? "fuzzy" : "byte";
    case Engine::Crc32:
        return "crc";
    case Engine::SameNames:
        return "name";
    case Engine::ZeroSize:
        return "zero";
    }
    return "byte";
}

} // namespace twinsift
