#include "engine/result_list.h"

#include "core/file_info.h"
#include "core/format.h"
#include "core/guard.h"
#include "core/walked_file.h"
#include "engine/worker_pool.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <unordered_set>

namespace twinsift {
namespace {

// The progress text is rewritten only this often while the list fills.
constexpr std::int32_t kElementsPerProgress = 500;
// Elements whose files are looked at together, on the worker threads: the
// looks are system calls, and a large list holds many.
constexpr std::size_t kElementsPerBatch = 4096;

// A listed file as the rows need it: its record and its group's shade.
struct ListedFile {
    FileRecord record;
    std::int32_t shade = 0;
};

// What the listing found of a listed file: its state when it is still the
// file that was compared, and then its version text.
struct Looked {
    std::optional<FileStamp> stamp;
    std::string version;
};

// The listed files' records, copied out in listing order, and the folder
// table. The candidates and the entries give their memory back before the
// first row is made, so the rows take their place instead of adding to them.
std::vector<ListedFile> takeListedFiles(WindowModel& model, std::vector<std::string>& folders) {
    CandidateStore& store = model.Candidates;
    for (const DuplicateEntry& entry : model.DuplicateFiles)
        if (entry.record >= store.size())
            throw std::logic_error("a listed file has no candidate record");
    std::vector<ListedFile> listed;
    listed.reserve(model.DuplicateFiles.size());
    for (const DuplicateEntry& entry : model.DuplicateFiles)
        listed.push_back({store.records[entry.record], entry.shade});
    folders = std::move(store.folders);
    store.clear();
    model.DuplicateFiles = {};
    return listed;
}

// The listed file must still be the one that was compared: a path that now
// reaches another file, or a file written since, is no copy of anything.
Looked look(const ListedFile& file, const std::vector<std::string>& folders) {
    const FileRecord& record = file.record;
    const std::string path = folders[record.folder] + record.name;
    Looked looked{stillWalkedFile(path, record.seen, record.size), {}};
    if (looked.stamp)
        looked.version = VersionText(path);
    return looked;
}

} // namespace

RowFacts rowFactsOf(const FileStamp& stamp, std::int32_t group) {
    constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
    // Floored, so that a time before 1970 keeps its nanoseconds positive.
    std::int64_t seconds = stamp.modifyTime / kNanosecondsPerSecond;
    std::int64_t nanoseconds = stamp.modifyTime % kNanosecondsPerSecond;
    if (nanoseconds < 0) {
        --seconds;
        nanoseconds += kNanosecondsPerSecond;
    }
    return {stamp.size, seconds, static_cast<std::int32_t>(nanoseconds), group,
            stamp.seen.identity};
}

void ListDuplicateGroups(WindowModel& model, UserInterface& ui, WorkerPool& pool) {
    std::vector<std::string> folders;
    const std::vector<ListedFile> listed = takeListedFiles(model, folders);
    const auto count = static_cast<std::int32_t>(listed.size());
    clearResultRows(model);
    model.rows.reserve(listed.size());
    // Counted as the groups are numbered, so that a listing stopped part-way
    // never leaves the last scan's count beside this scan's rows.
    model.GroupCount = 0;
    model.GroupSizes.assign(1, 0);
    model.RowShades.clear();
    model.lvFolders.clear();
    model.statusPanels[PanelProgress].text = "Loading Searched Result...";
    model.notices().statusChanged();

    const WorkerPool::Phase phase(pool, [&] {
        model.yieldToWindow();
        return true;
    });
    std::vector<Looked> found;
    std::unordered_set<std::string> knownFolders;
    std::int32_t group = 0;
    std::int64_t previousShade = 0;
    bool groupStarts = false;
    // A tolerant match is not transitive: each member was found like the
    // group's first file only, so without that file the others are not
    // known to be alike and the group is not listed.
    const bool membersNeedTheirFirst = model.engine == Engine::ByteByByte && model.chkFuzzy.checked;
    bool firstLost = false;
    std::size_t announced = 0;
    for (std::int32_t i = 1; i <= count; ++i) {
        model.yieldToWindow();
        const auto at = static_cast<std::size_t>(i - 1);
        const auto inBatch = at % kElementsPerBatch;
        if (inBatch == 0) {
            found.assign(std::min<std::size_t>(kElementsPerBatch, listed.size() - at), {});
            pool.forEach(found.size(),
                         [&](std::size_t k) { found[k] = look(listed[at + k], folders); });
        }
        const ListedFile& file = listed[at];
        Looked& looked = found[inBatch];
        // Group boundaries are taken from every stored element, listed or
        // not: if a whole group has vanished, its neighbours share a shade,
        // and one number for both would let marking treat two different
        // contents as copies of one file.
        if (file.shade != previousShade) {
            previousShade = file.shade;
            groupStarts = true;
            firstLost = membersNeedTheirFirst && !looked.stamp;
        }
        if (!looked.stamp || firstLost)
            continue;
        if (groupStarts) {
            groupStarts = false;
            model.GroupCount = ++group;
            model.GroupSizes.push_back(0);
        }
        const std::string& folder = folders[file.record.folder];
        if (knownFolders.insert(folder).second)
            model.lvFolders.push_back(folder);
        model.rows.push_back(makeResultRow(file.record.name, folder, std::move(looked.version),
                                           fileTimeText(file.record.lastWrite),
                                           rowFactsOf(*looked.stamp, group)));
        ++model.GroupSizes[static_cast<std::size_t>(group)];
        if (i % kElementsPerProgress == 0) {
            model.statusPanels[PanelProgress].text = "Loading Searched Result...(" +
                                                     std::to_string(i) + "/" +
                                                     std::to_string(count) + ")";
            announced = announceAppendedRows(model, announced);
            model.notices().statusChanged();
        }
    }
    announceAppendedRows(model, announced);
    model.ShadingSuspended = false;
    if (!model.rows.empty())
        RefreshColorShade(model, ui);
}

void RefreshColorShade(WindowModel& model, UserInterface& ui) {
    Guard(ui, "Refresh ColorShade").step(1, [&] {
        if (model.rows.empty())
            return;
        computeRowShades(model);
        model.notices().rowsChanged({0, model.rows.size() - 1});
    });
}

void RemoveRemainingOriginal(WindowModel& model, UserInterface& ui) {
    if (model.engine == Engine::ZeroSize)
        return;
    // Group numbers outside the filled range cannot come from filling; such
    // rows are neither counted nor removed rather than sizing a table by them.
    auto groupOf = [&](const ResultRow& row) -> std::size_t {
        const std::int32_t group = row.facts.group;
        return group >= 1 && group <= model.GroupCount ? static_cast<std::size_t>(group) : 0;
    };
    model.GroupSizes.assign(1, 0);
    for (const ResultRow& row : model.rows) {
        const std::size_t group = groupOf(row);
        if (group == 0)
            continue;
        if (group >= model.GroupSizes.size())
            model.GroupSizes.resize(group + 1, 0);
        ++model.GroupSizes[group];
    }
    removeResultRows(model, [&](const ResultRow& row) {
        const std::size_t group = groupOf(row);
        return group != 0 && model.GroupSizes[group] == 1;
    });
    RefreshColorShade(model, ui);
}

} // namespace twinsift
