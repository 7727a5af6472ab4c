#include "marking/originals_check.h"

#include "core/window_model.h"
#include "platform/user_interface.h"

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace twinsift {
namespace {

// Each row's group as an index 1..n over the groups present (0: none), so
// that the tables follow the number of groups, not the numbers a session
// file may have given them.
struct DenseGroups {
    std::vector<std::uint32_t> ofRow;
    std::vector<std::int32_t> sizes{0};

    explicit DenseGroups(const std::vector<ResultRow>& rows) : ofRow(rows.size(), 0) {
        std::unordered_map<std::int32_t, std::uint32_t> index;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const std::int32_t group = rows[r].facts.group;
            if (group <= 0)
                continue;
            const auto [at, added] =
                index.try_emplace(group, static_cast<std::uint32_t>(sizes.size()));
            if (added)
                sizes.push_back(0);
            ofRow[r] = at->second;
            ++sizes[at->second];
        }
    }
};

// The rows of every group in list order, gathered in one pass over the list
// (a warning must not walk a million rows to find its few).
class GroupMembers {
public:
    explicit GroupMembers(const DenseGroups& groups)
        : m_starts(groups.sizes.size() + 1, 0), m_rows(groups.ofRow.size()) {
        for (std::size_t group = 0; group < groups.sizes.size(); ++group)
            m_starts[group + 1] = m_starts[group] + static_cast<std::size_t>(groups.sizes[group]);
        std::vector<std::size_t> filled(m_starts.begin(), m_starts.end() - 1);
        for (std::size_t r = 0; r < groups.ofRow.size(); ++r)
            m_rows[filled[groups.ofRow[r]]++] = r;
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
    const DenseGroups groups(model.rows);
    std::vector<std::int32_t> markedInGroup(groups.sizes.size(), 0);
    std::optional<GroupMembers> members;
    bool keepAllOriginals = false;
    bool ignoreWarnings = false;
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        const std::uint32_t group = groups.ofRow[r];
        if (group == 0 || !model.rows[r].marked() || ++markedInGroup[group] != groups.sizes[group])
            continue;
        // Row r is the last of a group whose rows are all marked.
        if (!keepAllOriginals && !ignoreWarnings) {
            if (!members)
                members.emplace(groups);
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
