#include "core/window_model.h"

#include "core/convert.h"
#include "core/file_info.h"
#include "core/format.h"
#include "core/text_compare.h"

#include <algorithm>
#include <string_view>

namespace twinsift {

ModelListener& WindowModel::notices() const {
    static ModelListener nobody;
    return listener ? *listener : nobody;
}

bool rowIsShaded(const WindowModel& model, std::size_t row) {
    if (model.ShadingSuspended || row >= model.RowShades.size())
        return false;
    return model.RowShades[row] % 2 == 0;
}

SharedText::SharedText(std::string text)
    : m_text(std::make_shared<const std::string>(std::move(text))) {}

SharedText::SharedText(const char* text) : SharedText(std::string(text)) {}

const std::string& SharedText::str() const {
    static const std::string empty;
    return m_text ? *m_text : empty;
}

std::string ResultRow::text(ResultColumn column) const {
    switch (column) {
    case ColFileName:
        return m_name;
    case ColSize:
        return std::to_string(facts.size);
    case ColLastModified:
        return m_lastWrite;
    case ColFileVersion:
        return m_version;
    case ColGroup:
        return facts.group != 0 ? std::to_string(facts.group) : "N/A";
    case ColInFolder:
        return folder();
    case ColSortSize:
        return zeroPadded(facts.size, 12);
    case ColSortDate: {
        const auto stamp = readTimeStamp(m_lastWrite);
        return stamp ? sortableStamp(*stamp) : std::string();
    }
    case ColSortGrpno:
        if (!m_groupKey.str().empty())
            return m_groupKey.str();
        return facts.group != 0 ? zeroPadded(facts.group, 11) : std::string();
    case ColExt:
        return ExtensionOf(m_name);
    }
    return {};
}

ResultRow makeResultRow(std::string name, SharedText folder, std::string version,
                        std::string lastWrite, const RowFacts& facts, SharedText groupKey) {
    ResultRow row;
    row.m_name = std::move(name);
    row.m_folder = std::move(folder);
    row.m_version = std::move(version);
    row.m_lastWrite = std::move(lastWrite);
    row.facts = facts;
    row.m_groupKey = std::move(groupKey);
    return row;
}

bool startsGroup(const std::vector<ResultRow>& rows, std::size_t row) {
    return row == 0 || rows[row].facts.group != rows[row - 1].facts.group;
}

void computeRowShades(WindowModel& model) {
    model.RowShades.resize(model.rows.size());
    model.ShadingSuspended = false;
    std::int32_t changes = 0;
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        if (startsGroup(model.rows, r))
            ++changes;
        model.RowShades[r] = changes;
    }
}

namespace {

// A row's place in a sort: two numbers that order as the row's key does (for
// a text, sixteen case-folded bytes after the prefix all keys share), where
// the whole folded text lies in the shared buffer, and the row's position
// before the sort.
struct SortEntry {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::size_t textStart = 0;
    std::uint32_t textLength = 0;
    std::uint32_t row = 0;
};

// Keeps the order of signed numbers when compared without sign.
std::uint64_t orderedBits(std::int64_t value) {
    return static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << 63);
}

// The typed fact behind a key column whose text was formatted from it. The
// fact also orders sizes of a terabyte and more, which the padded text does not.
std::optional<std::int64_t> typedKey(const ResultRow& row, ResultColumn key) {
    switch (key) {
    case ColSortSize:
        return row.facts.size;
    case ColSortDate:
        return row.facts.lastWriteSeconds;
    case ColSortGrpno:
        return row.facts.group;
    default:
        return std::nullopt;
    }
}

// Appends the text as compareText orders it; plain ASCII, the common case,
// is folded in place without building a string.
void appendFolded(std::string& folded, std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        folded += foldCase(text);
        return;
    }
    for (const char c : text)
        folded.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
}

// Eight bytes from `from` on, big-endian, zero-padded past the end.
std::uint64_t bigEndianAt(std::string_view bytes, std::size_t from) {
    std::uint64_t word = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        word = (word << 8) | (i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0U);
    return word;
}

// Text keys: folded once into one buffer. Most texts of a list share a long
// prefix (a folder path, "IMG_2024"), so the numbers are taken after it and
// most comparisons never read the buffer.
class FoldedKeys {
public:
    FoldedKeys(const std::vector<ResultRow>& rows, ResultColumn key,
               std::vector<SortEntry>& entries) {
        std::size_t total = 0;
        for (const ResultRow& row : rows)
            total += row.text(key).size();
        m_texts.reserve(total);
        // The names lie wherever the heap put them: asking for those a few
        // rows ahead lets their reads overlap instead of waiting one by one.
        // (Other texts are made on the spot, or shared by many rows.)
        constexpr std::size_t kAhead = 16;
        const bool byName = key == ColFileName || key == ColExt;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (byName && r + kAhead < rows.size())
                __builtin_prefetch(rows[r + kAhead].name().data());
            entries[r].textStart = m_texts.size();
            appendFolded(m_texts, rows[r].text(key));
            entries[r].textLength =
                static_cast<std::uint32_t>(m_texts.size() - entries[r].textStart);
        }
        m_shared = entries.empty() ? 0 : entries[0].textLength;
        for (const SortEntry& entry : entries) {
            const std::string_view first = text(entries[0]).substr(0, m_shared);
            const std::string_view other = text(entry);
            m_shared = static_cast<std::size_t>(
                std::mismatch(first.begin(), first.end(), other.begin(), other.end()).first -
                first.begin());
        }
        for (SortEntry& entry : entries) {
            entry.high = bigEndianAt(text(entry), m_shared);
            entry.low = bigEndianAt(text(entry), m_shared + 8);
        }
    }

    // The order of two texts whose numbers are equal.
    int compareRest(const SortEntry& a, const SortEntry& b) const {
        const std::size_t covered = m_shared + 16;
        if (a.textLength <= covered && b.textLength <= covered)
            return a.textLength < b.textLength ? -1 : a.textLength > b.textLength ? 1 : 0;
        const std::string_view restA = text(a).substr(std::min<std::size_t>(covered, a.textLength));
        const std::string_view restB = text(b).substr(std::min<std::size_t>(covered, b.textLength));
        return restA.compare(restB);
    }

private:
    std::string_view text(const SortEntry& entry) const {
        return std::string_view(m_texts).substr(entry.textStart, entry.textLength);
    }

    std::string m_texts;
    std::size_t m_shared = 0;
};

void prefetchRow(const ResultRow& row) {
    const auto* bytes = reinterpret_cast<const char*>(&row);
    for (std::size_t offset = 0; offset < sizeof(ResultRow); offset += 64)
        __builtin_prefetch(bytes + offset);
}

// Moves every row to its place: row i receives what row formerRow[i] held.
// Following the permutation's cycles moves each row once and needs room for
// one row only, not a second list. The rows a cycle reaches next are asked
// for ahead of time, so that their reads overlap.
void permuteRows(std::vector<ResultRow>& rows, const std::vector<std::size_t>& formerRow) {
    constexpr int kAhead = 32;
    std::vector<bool> placed(rows.size(), false);
    for (std::size_t start = 0; start < rows.size(); ++start) {
        if (placed[start] || formerRow[start] == start)
            continue;
        // `ahead` runs kAhead steps before `at` along the cycle, and stops
        // where the cycle closes.
        std::size_t ahead = start;
        bool closed = false;
        auto askAhead = [&] {
            if (closed)
                return;
            ahead = formerRow[ahead];
            closed = ahead == start;
            prefetchRow(rows[ahead]);
        };
        for (int step = 0; step < kAhead; ++step)
            askAhead();
        ResultRow held = std::move(rows[start]);
        std::size_t at = start;
        while (formerRow[at] != start) {
            askAhead();
            rows[at] = std::move(rows[formerRow[at]]);
            placed[at] = true;
            at = formerRow[at];
        }
        rows[at] = std::move(held);
        placed[at] = true;
    }
}

} // namespace

void sortResultRows(WindowModel& model, int keyColumn, bool descending) {
    if (keyColumn < 0 || keyColumn >= kResultColumnCount)
        return;
    // Each row's key is read once into a compact entry: compared where they
    // stand, in rows of a few hundred bytes each, nearly every comparison of
    // a large list would miss the cache.
    const auto key = static_cast<ResultColumn>(keyColumn);
    std::vector<SortEntry> entries(model.rows.size());
    for (std::size_t r = 0; r < entries.size(); ++r)
        entries[r].row = static_cast<std::uint32_t>(r);
    std::optional<FoldedKeys> texts;
    if (!model.rows.empty() && typedKey(model.rows[0], key)) {
        for (SortEntry& entry : entries)
            entry.high = orderedBits(*typedKey(model.rows[entry.row], key));
    } else {
        texts.emplace(model.rows, key, entries);
    }
    // Equal keys keep their order, as the list control's sort does.
    auto before = [&](const SortEntry& a, const SortEntry& b) {
        int order = a.high < b.high ? -1 : a.high > b.high ? 1 : 0;
        if (order == 0)
            order = a.low < b.low ? -1 : a.low > b.low ? 1 : 0;
        if (order == 0 && texts)
            order = texts->compareRest(a, b);
        if (order != 0)
            return descending ? order > 0 : order < 0;
        return a.row < b.row;
    };
    model.sortKey = keyColumn;
    model.sortDescending = descending;
    if (std::is_sorted(entries.begin(), entries.end(), before))
        return;
    std::sort(entries.begin(), entries.end(), before);
    texts.reset();
    std::vector<std::size_t> formerRow(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        formerRow[i] = entries[i].row;
    entries = {};
    permuteRows(model.rows, formerRow);
    if (model.focusedRow)
        model.focusedRow = static_cast<std::size_t>(
            std::find(formerRow.begin(), formerRow.end(), *model.focusedRow) - formerRow.begin());
    model.notices().rowsReordered(formerRow);
}

void clearResultRows(WindowModel& model) {
    model.rows.clear();
    model.focusedRow.reset();
    model.notices().listReplaced();
}

std::size_t announceAppendedRows(WindowModel& model, std::size_t from) {
    if (model.rows.size() > from)
        model.notices().rowsInserted({from, model.rows.size() - 1});
    return model.rows.size();
}

void markRows(WindowModel& model, RowRange range, bool marked) {
    if (range.first >= model.rows.size() || range.first > range.last)
        return;
    range.last = std::min(range.last, model.rows.size() - 1);
    for (std::size_t r = range.first; r <= range.last; ++r)
        model.rows[r].icon = marked ? image::Marked : image::Unmarked;
    model.notices().rowsChanged(range);
}

void renameResultRow(WindowModel& model, std::size_t row, std::string name) {
    if (row >= model.rows.size())
        return;
    model.rows[row].m_name = std::move(name);
    model.notices().rowsChanged({row, row});
}

void removeResultRows(WindowModel& model, const std::function<bool(const ResultRow&)>& drop) {
    std::vector<RowRange> removed;
    std::size_t kept = 0;
    std::optional<std::size_t> focus;
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        if (!drop(model.rows[r])) {
            if (model.focusedRow == r)
                focus = kept;
            if (kept != r)
                model.rows[kept] = std::move(model.rows[r]);
            ++kept;
        } else if (!removed.empty() && removed.back().last + 1 == r) {
            removed.back().last = r;
        } else {
            removed.push_back({r, r});
        }
    }
    if (removed.empty())
        return;
    model.rows.resize(kept);
    model.focusedRow = focus;
    model.notices().rowsRemoved(removed);
}

ProblemReportFacts problemReportFacts(const WindowModel& model, const ErrorRecord& error) {
    ProblemReportFacts facts;
    facts.error = error;
    facts.engineOption = static_cast<int>(model.engine);
    facts.fuzzy = model.chkFuzzy.checked;
    for (const StatusPanel& panel : model.statusPanels)
        facts.statusPanels.push_back(panel.text);
    for (const SearchPathRow& row : model.SearchList)
        facts.searchPaths.push_back(
            {row.text, row.subItems[0], row.subItems[1], row.subItems[2], row.subItems[3]});
    return facts;
}

} // namespace twinsift
