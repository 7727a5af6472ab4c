#include "marking/originals_check.h"

#include "core/window_model.h"
#include "platform/user_interface.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace twinsift {
namespace {

// The group a row counts for; 0 for none.
std::size_t groupOf(const ResultRow& row) {
    return row.facts.group > 0 ? static_cast<std::size_t>(row.facts.group) : 0;
}

// The rows of every group in list order, gathered in one pass over the list
// (a warning must not walk a million rows to find its few).
class GroupMembers {
public:
    GroupMembers(const std::vector<ResultRow>& rows, const std::vector<std::int32_t>& sizes)
        : m_starts(sizes.size() + 1, 0), m_rows(rows.size()) {
        for (std::size_t group = 0; group < sizes.size(); ++group)
            m_starts[group + 1] = m_starts[group] + static_cast<std::size_t>(sizes[group]);
        std::vector<std::size_t> filled(m_starts.begin(), m_starts.end() - 1);
        for (std::size_t r = 0; r < rows.size(); ++r)
            m_rows[filled[groupOf(rows[r])]++] = r;
    }

    std::vector<std::size_t> of(std::size_t group) const {
        return {m_rows.begin() + static_cast<std::ptrdiff_t>(m_starts[group]),
                m_rows.begin() + static_cast<std::ptrdiff_t>(m_starts[group + 1])};
    }

private:
    std::vector<std::size_t> m_starts;
    std::vector<std::size_t> m_rows;
};

} // namespace

OriginalsCheck checkOriginals(WindowModel& model, UserInterface& ui) {
    if (model.engine == Engine::ZeroSize)
        return OriginalsCheck::GoOn;
    // Counted from the rows rather than read from GroupSizes: a count gone
    // stale would let a whole group be deleted without a warning.
    std::vector<std::int32_t> groupSizes(1, 0);
    for (const ResultRow& row : model.rows) {
        const std::size_t group = groupOf(row);
        if (group >= groupSizes.size())
            groupSizes.resize(group + 1, 0);
        ++groupSizes[group];
    }
    std::vector<std::int32_t> markedInGroup(groupSizes.size(), 0);
    std::optional<GroupMembers> members;
    bool keepAllOriginals = false;
    bool ignoreWarnings = false;
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        const std::size_t group = groupOf(model.rows[r]);
        if (group == 0 || !model.rows[r].marked() || ++markedInGroup[group] != groupSizes[group])
            continue;
        // Row r is the last of a group whose rows are all marked.
        if (!keepAllOriginals && !ignoreWarnings) {
            if (!members)
                members.emplace(model.rows, groupSizes);
            switch (ui.originalsWarning(model, members->of(group))) {
            case OriginalsAnswer::KeepAllOriginals:
                keepAllOriginals = true;
                break;
            case OriginalsAnswer::IgnoreWarnings:
                ignoreWarnings = true;
                break;
            case OriginalsAnswer::Continue:
                break;
            case OriginalsAnswer::Closed:
                return OriginalsCheck::Abandoned;
            }
        }
        if (keepAllOriginals)
            markRows(model, {r, r}, false);
    }
    return OriginalsCheck::GoOn;
}

} // namespace twinsift
