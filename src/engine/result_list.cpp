#include "engine/result_list.h"

#include "core/guard.h"
#include "core/walked_file.h"
#include "engine/worker_pool.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <stdexcept>
#include <unordered_set>

namespace twinsift {
namespace {

// The progress text is rewritten only this often while the list fills.
constexpr std::int32_t kElementsPerProgress = 500;
// Elements whose files are looked at together, on the worker threads: the
// looks are system calls, and a large list holds many.
constexpr std::int32_t kElementsPerBatch = 4096;

// A store slot as text; the engines write texts, but a number reads the same.
std::string textOf(const Variant& value) {
    if (const auto number = value.wholeNumber())
        return std::to_string(*number);
    return std::string(value.text());
}

std::optional<std::int64_t> integerOf(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::int64_t shadeOf(const Variant& value) {
    if (const auto number = value.wholeNumber())
        return *number;
    if (const auto* real = value.get<double>())
        return static_cast<std::int64_t>(*real);
    return integerOf(value.text()).value_or(0);
}

struct StoredResult {
    FileSeen seen;
    std::string size; // twelve digits
    std::string name;
    std::string folder; // ends in "/"
    std::string version;
    std::int64_t shade = 0;
    std::string lastWrite;
};

StoredResult storedResult(const WindowModel& model, CHive& store, std::int32_t position) {
    const Variant at(position);
    return {model.DuplicateSeen[static_cast<std::size_t>(position - 1)],
            textOf(store.Item(at)),
            textOf(store.Item1(at)),
            textOf(store.Item2(at)),
            textOf(store.Item3(at)),
            shadeOf(store.Item4(at)),
            textOf(store.Item5(at))};
}

// The listed file must still be the one that was compared: a path that now
// reaches another file, or a file written since, is no copy of anything.
std::optional<FileStamp> stillCompared(const StoredResult& stored) {
    const auto size = integerOf(stored.size);
    if (!size)
        return std::nullopt;
    return stillWalkedFile(stored.folder + stored.name, stored.seen, *size);
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
    CHive& store = model.DuplicateGroups;
    const std::int32_t count = store.Count();
    if (model.DuplicateSeen.size() != static_cast<std::size_t>(count))
        throw std::logic_error("the stored results and what the walk saw of them differ in number");
    clearResultRows(model);
    model.rows.reserve(static_cast<std::size_t>(count));
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
    std::vector<StoredResult> batch;
    std::vector<std::optional<FileStamp>> found;
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
        const auto inBatch = static_cast<std::size_t>((i - 1) % kElementsPerBatch);
        if (inBatch == 0) {
            batch.clear();
            for (std::int32_t k = i; k <= std::min(count, i + kElementsPerBatch - 1); ++k)
                batch.push_back(storedResult(model, store, k));
            found.assign(batch.size(), std::nullopt);
            pool.forEach(batch.size(), [&](std::size_t k) { found[k] = stillCompared(batch[k]); });
        }
        StoredResult stored = std::move(batch[inBatch]);
        // Group boundaries are taken from every stored element, listed or
        // not: if a whole group has vanished, its neighbours share a shade,
        // and one number for both would let marking treat two different
        // contents as copies of one file.
        if (stored.shade != previousShade) {
            previousShade = stored.shade;
            groupStarts = true;
            firstLost = membersNeedTheirFirst && !found[inBatch];
        }
        if (!found[inBatch] || firstLost)
            continue;
        if (groupStarts) {
            groupStarts = false;
            model.GroupCount = ++group;
            model.GroupSizes.push_back(0);
        }
        if (knownFolders.insert(stored.folder).second)
            model.lvFolders.push_back(stored.folder);
        model.rows.push_back(makeResultRow(std::move(stored.name), std::move(stored.folder),
                                           std::move(stored.version), std::move(stored.lastWrite),
                                           rowFactsOf(*found[inBatch], group)));
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
