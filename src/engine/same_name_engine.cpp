#include "engine/same_name_engine.h"

#include "core/guard.h"
#include "core/text_compare.h"
#include "core/window_model.h"
#include "engine/find_duplicates.h"

#include <string>
#include <string_view>

namespace twinsift {
namespace {

std::string_view trimmedBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool sameNameKey(const FileRecord& a, const FileRecord& b) {
    return compareText(trimmedBlanks(a.name), trimmedBlanks(b.name)) == 0;
}

// Keeps the first of each run of records with the same full path; the
// dropped ones no longer count as found.
void dropRepeatedFiles(WindowModel& model) {
    CandidateStore& store = model.Candidates;
    std::vector<FileRecord>& records = store.records;
    if (records.empty())
        return;
    std::size_t kept = 0;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const bool repeated = records[i].name == records[kept].name &&
                              store.folderOf(records[i]) == store.folderOf(records[kept]);
        if (repeated)
            --model.FilesFound;
        else if (++kept != i)
            records[kept] = std::move(records[i]);
    }
    records.resize(kept + 1);
}

// Panel 1 follows only while the count of listed files is a multiple of
// 100; the minimised caption follows every candidate.
void showSameNameProgress(WindowModel& model, std::size_t processed, std::size_t total) {
    if (!model.minimised && model.DuplicateGroups.size() % 100 != 0)
        return;
    if (showProgress(model, "Searching for same name files...", processed, total))
        model.notices().statusChanged();
}

// One pass over the sorted candidates. The records that stay in the store
// (the listed files and whatever a cancel leaves unvisited) are moved to the
// front as the pass goes, so nothing is ever removed from the middle.
class SameNameSearch {
public:
    SameNameSearch(WindowModel& model, UserInterface& ui)
        : m_model(model), m_records(model.Candidates.records), m_guard(ui, "Find Same Names") {}

    void run() {
        const std::size_t total = m_records.size();
        std::size_t processed = 0;
        while (m_next + 1 < total) {
            m_model.yieldToWindow();
            if (m_model.SearchCancelled)
                break;
            if (!sameNameKey(m_records[m_next], m_records[m_next + 1])) {
                ++m_next;
                ++processed;
            } else if (!listRun(processed)) {
                break;
            }
            showSameNameProgress(m_model, processed, total);
        }
        keepUnvisited();
    }

private:
    // Lists the run of equal names that starts at m_next; false when the
    // user gave up on an error.
    bool listRun(std::size_t& processed) {
        const FileRecord& first = m_records[m_next];
        const std::string runKey(trimmedBlanks(first.name));
        bool started = false;
        while (m_next < m_records.size()) {
            const FileRecord& file = m_records[m_next];
            if (compareText(trimmedBlanks(file.name), runKey) != 0 || m_model.SearchCancelled)
                break;
            // The record moves to m_kept, and the entry names it there.
            if (!m_guard.step(1, [&] { appendMember(file, started); })) {
                m_model.SearchCancelled = true;
                return false;
            }
            started = true;
            keep(m_next);
            if (++m_next == m_records.size())
                break;
            ++processed;
        }
        return true;
    }

    void appendMember(const FileRecord& file, bool started) {
        appendGroupMember(m_model, m_kept, !started);
        if (started) {
            ++m_model.DuplicateCount;
            m_model.DuplicateBytes += file.size;
        }
    }

    void keep(std::size_t index) {
        if (m_kept != index)
            m_records[m_kept] = std::move(m_records[index]);
        ++m_kept;
    }

    void keepUnvisited() {
        for (std::size_t i = m_next; i < m_records.size(); ++i)
            keep(i);
        m_records.resize(m_kept);
    }

    WindowModel& m_model;
    std::vector<FileRecord>& m_records;
    Guard m_guard;
    std::size_t m_next = 0; // the element the search looks at
    std::size_t m_kept = 0; // records kept so far, at the front
};

} // namespace

void FindSameNames(WindowModel& model, UserInterface& ui) {
    dropRepeatedFiles(model);
    SameNameSearch(model, ui).run();
}

} // namespace twinsift
