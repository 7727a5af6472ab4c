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
        return facts.group != 0 ? zeroPadded(facts.group, 11) : std::string();
    case ColExt:
        return ExtensionOf(m_name);
    }
    return {};
}

ResultRow makeResultRow(std::string name, SharedText folder, std::string version,
                        std::string lastWrite, const RowFacts& facts) {
    ResultRow row;
    row.m_name = std::move(name);
    row.m_folder = std::move(folder);
    row.m_version = std::move(version);
    row.m_lastWrite = std::move(lastWrite);
    row.facts = facts;
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

void sortResultRows(WindowModel& model, int keyColumn, bool descending) {
    if (keyColumn < 0 || keyColumn >= kResultColumnCount)
        return;
    // The keys are copied side by side first: compared where they stand, in
    // rows of a few hundred bytes each, nearly every comparison of a large
    // list would miss the cache. Sorting positions and moving each row once
    // keeps the strings' buffers in place.
    const auto key = static_cast<ResultColumn>(keyColumn);
    std::string keyText;
    std::vector<std::size_t> keyEnds;
    keyEnds.reserve(model.rows.size());
    for (const ResultRow& row : model.rows) {
        keyText += row.text(key);
        keyEnds.push_back(keyText.size());
    }
    struct Keyed {
        std::string_view key;
        std::size_t row;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(model.rows.size());
    for (std::size_t r = 0, start = 0; r < keyEnds.size(); start = keyEnds[r++])
        keyed.push_back({std::string_view(keyText).substr(start, keyEnds[r] - start), r});
    keyEnds = {};
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        const int c = compareText(a.key, b.key);
        return descending ? c > 0 : c < 0;
    });
    std::vector<std::size_t> order;
    order.reserve(keyed.size());
    for (const Keyed& k : keyed)
        order.push_back(k.row);
    keyed = {};
    std::vector<ResultRow> sorted;
    sorted.reserve(model.rows.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(model.rows[i]));
    model.rows = std::move(sorted);
    model.sortKey = keyColumn;
    model.sortDescending = descending;
    if (model.focusedRow)
        model.focusedRow = static_cast<std::size_t>(
            std::find(order.begin(), order.end(), *model.focusedRow) - order.begin());
    model.notices().rowsReordered(order);
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
