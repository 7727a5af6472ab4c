#include "engine/result_list.h"

#include "core/file_info.h"
#include "core/format.h"
#include "core/guard.h"
#include "core/walked_file.h"
#include "engine/worker_pool.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

namespace twinsift {
namespace {

// The progress text is rewritten only this often while the list fills.
constexpr std::size_t kElementsPerProgress = 500;
// Entries whose files are looked at together, on the worker threads: the
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

// The listed files' records, copied out of the candidates in listing order
// in batches, each given back once its rows are made, and the folder table
// as texts the rows share.
struct ListedFiles {
    std::vector<std::vector<ListedFile>> batches;
    std::vector<SharedText> folders;
    std::size_t count = 0;
};

// The candidates and the entries give their memory back before the first
// row is made, so the rows take their place instead of adding to them.
ListedFiles takeListedFiles(WindowModel& model) {
    CandidateStore& store = model.Candidates;
    const std::vector<DuplicateEntry>& entries = model.DuplicateGroups;
    for (const DuplicateEntry& entry : entries)
        if (entry.record >= store.size())
            throw std::logic_error("a listed file has no candidate record");
    ListedFiles listed;
    listed.count = entries.size();
    for (std::size_t first = 0; first < entries.size(); first += kElementsPerBatch) {
        const std::size_t end = std::min(entries.size(), first + kElementsPerBatch);
        std::vector<ListedFile>& batch = listed.batches.emplace_back();
        batch.reserve(end - first);
        for (std::size_t e = first; e < end; ++e)
            batch.push_back({store.records[entries[e].record], entries[e].shade});
    }
    listed.folders.reserve(store.folders.size());
    for (std::string& folder : store.folders)
        listed.folders.emplace_back(std::move(folder));
    store.clear();
    model.DuplicateGroups = {};
    return listed;
}

// The listed file must still be the one that was compared: a path that now
// reaches another file, or a file written since, is no copy of anything.
Looked look(const ListedFile& file, const std::vector<SharedText>& folders) {
    const FileRecord& record = file.record;
    const std::string path = folders[record.folder].str() + record.name;
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
    ListedFiles listed = takeListedFiles(model);
    const std::size_t count = listed.count;
    clearResultRows(model);
    model.rows.reserve(count);
    // Counted as the groups are numbered, so that a listing stopped part-way
    // never leaves the last scan's count beside this scan's rows.
    model.GroupCount = 0;
    model.GroupSizes.assign(1, 0);
    model.RowShades.clear();
    model.lvFolders.clear();
    model.statusPanels[PanelProgress].text = "Loading Searched Result...";
    model.progress = {0, static_cast<std::int64_t>(count)};
    model.notices().statusChanged();

    const WorkerPool::Phase phase(pool, [&] {
        model.yieldToWindow();
        return true;
    });
    std::vector<Looked> found;
    // The table may hold a folder twice, from overlapping search paths.
    std::vector<bool> folderSeen(listed.folders.size(), false);
    std::unordered_set<std::string_view> knownFolders;
    std::int32_t group = 0;
    std::int64_t previousShade = 0;
    bool groupStarts = false;
    // A tolerant match is not transitive: each member was found like the
    // group's first file only, so without that file the others are not
    // known to be alike and the group is not listed.
    const bool membersNeedTheirFirst = model.engine == Engine::ByteByByte && model.chkFuzzy.checked;
    bool firstLost = false;
    std::size_t announced = 0;
    std::size_t i = 0; // the entries passed
    for (std::vector<ListedFile>& batch : listed.batches) {
        found.assign(batch.size(), {});
        pool.forEach(batch.size(),
                     [&](std::size_t k) { found[k] = look(batch[k], listed.folders); });
        for (std::size_t k = 0; k < batch.size(); ++k) {
            ++i;
            model.yieldToWindow();
            const ListedFile& file = batch[k];
            Looked& looked = found[k];
            // Group boundaries are taken from every entry, listed or not: if
            // a whole group has vanished, its neighbours share a shade, and
            // one number for both would let marking treat two different
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
            const SharedText& folder = listed.folders[file.record.folder];
            if (!folderSeen[file.record.folder]) {
                folderSeen[file.record.folder] = true;
                if (knownFolders.insert(folder.str()).second)
                    model.lvFolders.push_back(folder.str());
            }
            model.rows.push_back(makeResultRow(file.record.name, folder, std::move(looked.version),
                                               fileTimeText(file.record.lastWrite),
                                               rowFactsOf(*looked.stamp, group)));
            ++model.GroupSizes[static_cast<std::size_t>(group)];
            if (i % kElementsPerProgress == 0) {
                model.progress.done = static_cast<std::int64_t>(i);
                model.statusPanels[PanelProgress].text = "Loading Searched Result...(" +
                                                         std::to_string(i) + "/" +
                                                         std::to_string(count) + ")";
                announced = announceAppendedRows(model, announced);
                model.notices().statusChanged();
            }
        }
        batch = {};
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
    const bool done = Guard(ui, "Remove Remaining Original").step(1, [&] {
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
    });
    if (done)
        RefreshColorShade(model, ui);
}

DuplicateTotals duplicateTotals(const std::vector<ResultRow>& rows) {
    DuplicateTotals totals;
    std::vector<bool> groupSeen;
    for (const ResultRow& row : rows) {
        const auto group = static_cast<std::size_t>(std::max(row.facts.group, 0));
        if (group >= groupSeen.size())
            groupSeen.resize(group + 1, false);
        if (groupSeen[group]) {
            ++totals.count;
            totals.bytes += row.facts.size;
        }
        groupSeen[group] = true;
    }
    return totals;
}

} // namespace twinsift
