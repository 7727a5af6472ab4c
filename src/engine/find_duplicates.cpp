#include "engine/find_duplicates.h"

#include "core/file_info.h"
#include "core/format.h"
#include "core/guard.h"
#include "core/window_model.h"
#include "engine/exact_engine.h"
#include "engine/fuzzy_engine.h"
#include "engine/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace twinsift {
namespace {

enum class Comparison { Exact, Fuzzy, Crc };

Comparison comparisonOf(const WindowModel& model) {
    if (model.engine != Engine::ByteByByte)
        return Comparison::Crc;
    return model.chkFuzzy.checked ? Comparison::Fuzzy : Comparison::Exact;
}

// Two records naming the same path as text (overlapping search paths may
// list one folder twice in the folder table).
bool samePath(const CandidateStore& store, const FileRecord& a, const FileRecord& b) {
    const std::string& folderA = store.folderOf(a);
    const std::string& folderB = store.folderOf(b);
    if (folderA.size() + a.name.size() != folderB.size() + b.name.size())
        return false;
    return (folderA + a.name) == (folderB + b.name);
}

// The files of one size shared by at least two candidates.
struct Run {
    std::size_t begin = 0; // positions in the candidate store: [begin, end)
    std::size_t end = 0;
    std::vector<std::size_t> members; // positions compared: repeated paths left out
    std::int32_t repeatedPaths = 0;
    FileGroups groups;            // indexes into members
    std::vector<LeftOut> leftOut; // indexes into members
    bool complete = false;
    std::exception_ptr failure;
};

// One FindDuplicates call. The candidate store is taken out of the model
// for the search, so that the workers read records nobody else can reach.
class DuplicateSearch {
public:
    DuplicateSearch(WindowModel& model, UserInterface& ui, WorkerPool& pool)
        : m_model(model), m_ui(ui), m_pool(pool), m_store(std::move(model.Candidates)),
          m_comparison(comparisonOf(model)), m_firstEntry(model.DuplicateGroups.size()) {}

    void run();

private:
    void cutRuns();
    std::vector<WalkedFile> filesOf(const Run& run) const;
    std::optional<FileGroups> compare(Run& run, const std::atomic<bool>& cancelled) const;
    void compareOnWorkers(WorkerPool& pool);
    void compareFuzzy(WorkerPool& pool);
    bool whileWaiting();
    void appendFinishedRuns();
    void appendRun(Run& run);
    void accountLeftOut(const Run& run);
    void recoverFailedRun(Run& run);
    void showProgress(std::size_t processed);
    void keepSharedSizesOnly();

    WindowModel& m_model;
    UserInterface& m_ui;
    WorkerPool& m_pool;
    CandidateStore m_store;
    const Comparison m_comparison;
    std::vector<Run> m_runs;
    // Set by a run's worker once its slot in m_runs is final.
    std::unique_ptr<std::atomic<bool>[]> m_finished;
    std::size_t m_appended = 0;
    // Where this search's entries begin in DuplicateGroups.
    const std::size_t m_firstEntry;
};

void DuplicateSearch::run() {
    cutRuns();
    m_finished = std::make_unique<std::atomic<bool>[]>(m_runs.size());
    {
        const WorkerPool::Phase phase(m_pool, [this] { return whileWaiting(); });
        m_model.yieldToWindow();
        if (!m_model.SearchCancelled) {
            if (m_comparison == Comparison::Fuzzy)
                compareFuzzy(m_pool);
            else
                compareOnWorkers(m_pool);
        }
        appendFinishedRuns();
    }
    if (!m_model.SearchCancelled && m_store.size() > 1)
        showProgress(m_store.size() - 1);
    keepSharedSizesOnly();
    m_model.Candidates = std::move(m_store);
}

void DuplicateSearch::cutRuns() {
    const auto& records = m_store.records;
    for (std::size_t begin = 0; begin < records.size();) {
        std::size_t end = begin + 1;
        while (end < records.size() && records[end].size == records[begin].size)
            ++end;
        if (end - begin > 1) {
            Run run{begin, end, {begin}, 0, {}, {}, false, {}};
            for (std::size_t i = begin + 1; i < end; ++i) {
                if (samePath(m_store, records[run.members.back()], records[i]))
                    ++run.repeatedPaths;
                else
                    run.members.push_back(i);
            }
            m_runs.push_back(std::move(run));
        }
        begin = end;
    }
}

std::vector<WalkedFile> DuplicateSearch::filesOf(const Run& run) const {
    std::vector<WalkedFile> files;
    files.reserve(run.members.size());
    for (const std::size_t member : run.members)
        files.push_back(m_store.walkedFile(m_store.records[member]));
    return files;
}

std::optional<FileGroups> DuplicateSearch::compare(Run& run,
                                                   const std::atomic<bool>& cancelled) const {
    if (run.members.size() < 2)
        return FileGroups{};
    const std::int64_t size = m_store.records[run.begin].size;
    if (m_comparison == Comparison::Crc)
        return equalCrcFiles(filesOf(run), size, cancelled, &run.leftOut);
    return identicalFiles(filesOf(run), size, cancelled, &run.leftOut);
}

// Every run is one task; this thread appends the finished runs in order
// while it waits.
void DuplicateSearch::compareOnWorkers(WorkerPool& pool) {
    pool.forEach(m_runs.size(), [this, &pool](std::size_t i) {
        Run& run = m_runs[i];
        try {
            std::optional<FileGroups> groups = compare(run, pool.cancelled());
            run.complete = groups.has_value();
            if (groups)
                run.groups = std::move(*groups);
        } catch (...) {
            run.failure = std::current_exception();
            run.complete = true;
        }
        m_finished[i].store(true, std::memory_order_release);
    });
}

// The tolerant rule is not transitive, so each run keeps its pairwise loop,
// which reads the run's files on the pool.
void DuplicateSearch::compareFuzzy(WorkerPool& pool) {
    for (std::size_t i = 0; i < m_runs.size(); ++i) {
        m_model.yieldToWindow();
        if (m_model.SearchCancelled || pool.cancelled())
            return;
        Run& run = m_runs[i];
        Guard guard(m_ui, "Find Duplicates");
        guard.step(2, [&] {
            if (run.members.size() > 1)
                run.groups = fuzzyGroups(filesOf(run), m_store.records[run.begin].size, pool,
                                         pool.cancelled(), &run.leftOut);
        });
        // Groups found before a cancel are kept, as the loop would have kept them.
        run.complete = !guard.abandoned();
        m_finished[i].store(true, std::memory_order_release);
        appendFinishedRuns();
    }
}

bool DuplicateSearch::whileWaiting() {
    appendFinishedRuns();
    m_model.yieldToWindow();
    return !m_model.SearchCancelled;
}

void DuplicateSearch::appendFinishedRuns() {
    const std::size_t before = m_appended;
    while (m_appended < m_runs.size() && m_finished[m_appended].load(std::memory_order_acquire)) {
        Run& run = m_runs[m_appended];
        // A run cut short by a cancel is not shown; nor is any run after it.
        if (!run.complete && !run.failure)
            break;
        appendRun(run);
        ++m_appended;
    }
    if (m_appended != before)
        showProgress(std::min(m_runs[m_appended - 1].end, m_store.size() - 1));
}

void DuplicateSearch::appendRun(Run& run) {
    m_model.FilesFound -= run.repeatedPaths;
    if (run.failure)
        recoverFailedRun(run);
    accountLeftOut(run);
    for (const auto& group : run.groups) {
        bool first = true;
        for (const std::size_t member : group) {
            const std::size_t record = run.members[member];
            appendGroupMember(m_model, record, first);
            const FileRecord& file = m_store.records[record];
            if (!first) {
                ++m_model.DuplicateCount;
                m_model.DuplicateBytes += file.size;
            }
            first = false;
        }
    }
}

// Files the comparison could not read whole, or that changed under it, are
// told apart from files that simply have no copy.
void DuplicateSearch::accountLeftOut(const Run& run) {
    for (const LeftOut& file : run.leftOut) {
        std::string reason = leftOutReason(file.error);
        if (!reason.empty())
            m_model.skipped.add(m_store.pathOf(m_store.records[run.members[file.file]]),
                                std::move(reason));
    }
}

// A comparison that failed on a worker goes to the error report; Retry
// compares the run again here, any other answer leaves the run out.
void DuplicateSearch::recoverFailedRun(Run& run) {
    std::exception_ptr failure = std::exchange(run.failure, nullptr);
    run.groups.clear();
    run.leftOut.clear();
    Guard guard(m_ui, "Find Duplicates");
    guard.step(2, [&] {
        if (failure)
            std::rethrow_exception(std::exchange(failure, nullptr));
        run.groups = compare(run, m_pool.cancelled()).value_or(FileGroups{});
    });
    if (guard.abandoned())
        run.groups.clear();
}

void DuplicateSearch::showProgress(std::size_t processed) {
    twinsift::showProgress(m_model, "Searching for duplicates...", processed, m_store.size());
    m_model.notices().statusChanged();
}

// Files whose size no other file has are dropped as the search passes them;
// the entries follow their records to where they move. Only files in runs
// are listed, and those are all kept.
void DuplicateSearch::keepSharedSizesOnly() {
    const std::size_t passed = m_model.SearchCancelled
                                   ? (m_appended == 0 ? 0 : m_runs[m_appended - 1].end)
                                   : m_store.size();
    std::vector<bool> keep(m_store.size(), false);
    for (const Run& run : m_runs)
        std::fill(keep.begin() + std::ptrdiff_t(run.begin), keep.begin() + std::ptrdiff_t(run.end),
                  true);
    std::fill(keep.begin() + std::ptrdiff_t(passed), keep.end(), true);
    std::vector<std::uint32_t> movedTo(m_store.size());
    std::uint32_t kept = 0;
    for (std::size_t i = 0; i < m_store.size(); ++i) {
        if (!keep[i])
            continue;
        movedTo[i] = kept;
        // Moved onto itself, a record would lose its name.
        if (kept != i)
            m_store.records[kept] = std::move(m_store.records[i]);
        ++kept;
    }
    m_store.records.resize(kept);
    for (std::size_t e = m_firstEntry; e < m_model.DuplicateGroups.size(); ++e) {
        std::uint32_t& record = m_model.DuplicateGroups[e].record;
        record = movedTo[record];
    }
}

} // namespace

void FindDuplicates(WindowModel& model, UserInterface& ui, WorkerPool& pool) {
    DuplicateSearch(model, ui, pool).run();
}

void appendGroupMember(WindowModel& model, std::size_t record, bool startsGroup) {
    if (startsGroup)
        model.GroupShade = model.GroupShade == 1 ? 2 : 1;
    model.DuplicateGroups.push_back({static_cast<std::uint32_t>(record), model.GroupShade});
}

bool showProgress(WindowModel& model, std::string_view activity, std::size_t processed,
                  std::size_t total) {
    model.progress = {static_cast<std::int64_t>(processed), static_cast<std::int64_t>(total)};
    const std::string percent =
        formatFixed(100.0 / static_cast<double>(total) * static_cast<double>(processed), 1);
    const std::string counts = std::to_string(processed) + "/" + std::to_string(total);
    std::string text = model.minimised
                           ? percent + "% (" + counts + ")"
                           : std::string(activity) + "(" + counts + ") " + percent + "%";
    std::string& shown = model.minimised ? model.caption : model.statusPanels[PanelProgress].text;
    if (text == shown)
        return false;
    shown = std::move(text);
    return true;
}

} // namespace twinsift
