#include "persist/session_file.h"

#include "core/convert.h"
#include "core/field_code.h"
#include "core/format.h"
#include "core/text_file.h"
#include "persist/export_writer.h"
#include "persist/session_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_map>

namespace twinsift {
namespace {

// A session of a million rows is a file of some 150 MiB; far more than any
// list can hold is refused before it fills the memory.
constexpr std::size_t kSessionFileLimit = std::size_t{4} << 30;
// Short lines could still ask for some 70 GB of rows within that size.
constexpr std::size_t kMostResultLines = 20'000'000;
// The shortest result line: ten empty fields and the line end.
constexpr std::size_t kShortestResultLine = 11;
// Panel 1 and the window are refreshed this often while rows are read.
constexpr std::size_t kRowsPerProgress = 500;

void appendResultLine(ExportText& text, const ResultRow& row) {
    static constexpr ResultColumn kSaved[] = {
        ColFileName, ColSize,     ColLastModified, ColFileVersion, ColGroup,
        ColInFolder, ColSortSize, ColSortDate,     ColSortGrpno,
    };
    std::string line;
    for (const ResultColumn column : kSaved) {
        line += encodeField(row.text(column), kResultSeparator);
        line += kResultSeparator;
    }
    line += std::to_string(row.icon);
    text.add(line);
}

std::int64_t wholeBytes(std::string_view text) {
    return std::llround(std::clamp(leadingNumber(text), 0.0, 0x1p62));
}

// Whole seconds of a saved "yyyy-mm-dd hh:nn" text, local time; 0 when the
// text is no time.
std::int64_t secondsOf(std::string_view text) {
    const std::optional<DateTime> stamp = readTimeStamp(text);
    return stamp ? localTimeOf(*stamp) : 0;
}

// What a scan could have listed: a plain name in an absolute folder without
// "." or ".." steps. Anything else would point the file operations somewhere
// no search ever looked.
bool plainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

bool plainFolder(std::string_view folder) {
    if (!folder.starts_with('/') || !folder.ends_with('/') ||
        folder.find('\0') != std::string_view::npos)
        return false;
    for (std::size_t start = 1; start < folder.size();) {
        const std::size_t end = folder.find('/', start);
        const std::string_view step = folder.substr(start, end - start);
        if (step.empty() || step == "." || step == "..")
            return false;
        start = end + 1;
    }
    return true;
}

// Looks a folder up by a view of the line, without a copy of its text.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};

// The state of one read, line by line.
class SessionReader {
public:
    SessionReader(WindowModel& model, const std::string& path, UserInterface& ui,
                  const SessionReading& reading)
        : m_model(model), m_path(path), m_reading(reading), m_guard(ui, "File Opening") {}

    SessionReadOutcome read();

private:
    void readHeader(const Fields& header);
    void readSearchPath(const Fields& fields);
    void readResult(const Fields& fields);
    SharedText sharedFolder(std::string_view folder);

    WindowModel& m_model;
    const std::string& m_path;
    const SessionReading& m_reading;
    Guard m_guard;
    SessionReadOutcome m_outcome;
    std::optional<TextFileLines> m_file;
    std::size_t m_rowsExpected = 0;
    // A group as numbered by the first row of its field-4 text: a list saved
    // while sorted by another column holds its groups interleaved. Gone with
    // the reader, once the rows are read.
    struct Group {
        std::int32_t number;
        SharedText key;
    };
    using Groups = std::unordered_map<std::string, Group, TextHash, std::equal_to<>>;
    Groups m_groups;
    // The rows of a group mostly follow each other: the last row's group is
    // taken again without a lookup.
    Groups::value_type* m_lastGroup = nullptr;
    std::unordered_map<std::string, SharedText, TextHash, std::equal_to<>> m_folders;
};

SessionReadOutcome SessionReader::read() {
    const StepEnd opening = runStep(m_guard, 6, [&] { m_file.emplace(m_path, kSessionFileLimit); });
    if (opening != StepEnd::Done) {
        if (opening == StepEnd::Abandoned)
            m_outcome.stop = ParametersFileOutcome::Failure;
        return m_outcome;
    }
    m_outcome.opened = true;
    m_model.GroupSizes.assign(1, 0);
    m_model.RowShades.clear();
    m_model.lvFolders.clear();
    bool resultsStarted = false;
    for (int number = 1;; ++number) {
        std::optional<std::string> line;
        StepEnd end = runStep(m_guard, 7, [&] { line = m_file->next(); });
        if (end == StepEnd::Done && !line)
            break;
        if (end == StepEnd::Done) {
            std::string_view text = *line;
            if (number > 1 && !resultsStarted && text.starts_with(';')) {
                resultsStarted = true;
                text.remove_prefix(1);
            }
            Fields fields(text, resultsStarted ? kResultSeparator : kHeaderSeparator, m_path,
                          number);
            end = runStep(m_guard, 7, [&] {
                if (number == 1)
                    readHeader(fields);
                else if (!resultsStarted)
                    readSearchPath(fields);
                else
                    readResult(fields);
            });
        }
        // The Cancel command, taken during a yield, ends the read as an Abort does.
        if (end == StepEnd::Done && m_model.SearchCancelled)
            end = StepEnd::Abandoned;
        if (end != StepEnd::Done) {
            m_outcome.stop = end == StepEnd::Silent ? ParametersFileOutcome::ShortLine
                                                    : ParametersFileOutcome::Failure;
            m_outcome.line = number;
            break;
        }
    }
    m_model.GroupCount = static_cast<std::int32_t>(m_model.GroupSizes.size() - 1);
    return m_outcome;
}

// Every field is converted before anything is kept, so that Retry in the
// error report starts the line afresh.
void SessionReader::readHeader(const Fields& header) {
    constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
    readEngineAndSwitches(m_model, header);
    const std::int64_t rows = header.integer(3, "Result Rows", 0, kInt32Max);
    const std::int64_t files = header.integer(4, "Files", kInt32Min, kInt32Max);
    const std::int64_t folders = header.integer(5, "Folders", kInt32Min, kInt32Max);
    const std::int64_t duplicates = header.integer(6, "Duplicates", kInt32Min, kInt32Max);
    std::optional<std::int64_t> bytes;
    if (header.size() > 7)
        bytes = header.integer(7, "Duplicate Bytes", std::numeric_limits<std::int64_t>::min(),
                               std::numeric_limits<std::int64_t>::max());
    std::optional<bool> fuzzy;
    if (header.size() > 8)
        fuzzy = header.checkBox(8, "Fuzzy Logic");

    m_model.FilesFound = static_cast<std::int32_t>(files);
    m_model.FoldersFound = static_cast<std::int32_t>(folders);
    m_model.DuplicateCount = duplicates;
    if (bytes)
        m_model.DuplicateBytes = *bytes;
    m_model.chkFuzzy.tag = "ThruFile";
    if (fuzzy)
        m_model.chkFuzzy.checked = *fuzzy;
    m_model.chkFuzzy.tag = "Direct";
    // The row count only sizes the tables ahead; the file's own size bounds
    // it, so a damaged count cannot ask for more memory than the lines could fill.
    m_rowsExpected = static_cast<std::size_t>(rows);
    const std::size_t room =
        std::min({m_rowsExpected, m_file->fileSize() / kShortestResultLine + 1, kMostResultLines});
    m_model.rows.reserve(room);
    m_model.RowShades.reserve(room);
    // A group has two rows at least; growing the table row by row would
    // move every group it holds each time.
    m_groups.reserve(room / 2);
}

void SessionReader::readSearchPath(const Fields& fields) {
    SearchPathRow row = searchPathRowOf(fields);
    if (row.icon == image::SearchPath) {
        m_model.SearchList.push_back(std::move(row));
        m_model.cmdRemoveEnabled = true;
    } else if (m_reading.excludedFolder) {
        m_reading.excludedFolder(row.text);
    }
}

void SessionReader::readResult(const Fields& fields) {
    if (m_outcome.resultLines == kMostResultLines)
        throw RuntimeError(err::OutOfMemory, runtimeErrorText(err::OutOfMemory) + ": '" + m_path +
                                                 "' holds more than " +
                                                 std::to_string(kMostResultLines) +
                                                 " result rows, more than a list can hold");
    const std::string_view name =
        fields.checked(ColFileName, "File Name", plainName, "not a plain file name");
    const std::string_view folder =
        fields.checked(ColInFolder, "In Folder", plainFolder, "not a plain absolute folder");
    const std::string_view group = fields[ColSortGrpno];
    const bool marked = fields.size() > 9 && std::round(fields.number(9, "Icon")) == image::Marked;
    const std::int64_t size = wholeBytes(fields[ColSize]);
    const std::int64_t seconds = secondsOf(fields[ColLastModified]);

    const std::size_t row = ++m_outcome.resultLines;
    if (!m_lastGroup || m_lastGroup->first != fields[ColGroup]) {
        auto known = m_groups.find(fields[ColGroup]);
        if (known == m_groups.end()) {
            m_model.GroupSizes.push_back(0);
            const Group fresh{static_cast<std::int32_t>(m_model.GroupSizes.size() - 1), {}};
            known = m_groups.emplace(std::string(fields[ColGroup]), fresh).first;
        }
        m_lastGroup = &*known;
    }
    Group& rowGroup = m_lastGroup->second;
    if (rowGroup.key.str() != group)
        rowGroup.key = SharedText(std::string(group));
    RowFacts facts;
    facts.size = size;
    facts.lastWriteSeconds = seconds;
    facts.group = rowGroup.number;
    ResultRow made =
        makeResultRow(std::string(name), sharedFolder(folder), std::string(fields[ColFileVersion]),
                      std::string(fields[ColLastModified]), facts, rowGroup.key);
    made.icon = marked ? image::Marked : image::Unmarked;
    m_model.rows.push_back(std::move(made));
    ++m_model.GroupSizes[static_cast<std::size_t>(rowGroup.number)];
    m_model.RowShades.push_back(rowGroup.number);
    if (marked) {
        ++m_outcome.markedCount;
        m_outcome.markedBytes =
            std::min(m_outcome.markedBytes, std::numeric_limits<std::int64_t>::max() - size) + size;
    }
    if (m_reading.progress)
        m_reading.progress(row, std::max(row, m_rowsExpected));
    if (row % kRowsPerProgress == 0) {
        m_model.statusPanels[PanelProgress].text =
            "Loading Searched Result...(" + std::to_string(row) + ")";
        // The header's count is only a claim: past it, the end is unknown.
        m_model.progress = {static_cast<std::int64_t>(row),
                            row <= m_rowsExpected ? static_cast<std::int64_t>(m_rowsExpected) : 0};
        m_model.notices().statusChanged();
        m_model.yieldToWindow();
    }
}

// Each folder's text once for all its rows; the folder list of the advanced
// marking follows the order the folders first appear in.
SharedText SessionReader::sharedFolder(std::string_view folder) {
    if (const auto known = m_folders.find(folder); known != m_folders.end())
        return known->second;
    const std::string& text = m_model.lvFolders.emplace_back(folder);
    return m_folders.emplace(text, SharedText(text)).first->second;
}

} // namespace

bool SaveSession(const WindowModel& model, const std::string& path, bool withResults,
                 UserInterface& ui, const SessionProgress& progress) {
    if (trimmed(path).empty())
        return false;
    const auto writeSession = [&](const WritePiece& write) {
        ExportText text(write);
        text.add(searchParametersText(model));
        const std::size_t total = withResults ? model.rows.size() : 0;
        for (std::size_t r = 0; r < total; ++r) {
            text.add(r == 0 ? "\r\n;" : kLineEnd);
            appendResultLine(text, model.rows[r]);
            if (progress)
                progress(r + 1, total);
            if ((r + 1) % kRowsPerProgress == 0)
                model.yieldToWindow();
        }
        text.add(kLineEnd);
        text.flush();
    };
    Guard guard(ui, "File Saving");
    return guard.step(4, [&] {
        probeTarget(path);
        replaceFileByPieces(path, writeSession);
    });
}

SessionReadOutcome readSessionFile(WindowModel& model, const std::string& path, UserInterface& ui,
                                   const SessionReading& reading) {
    return SessionReader(model, path, ui, reading).read();
}

} // namespace twinsift
